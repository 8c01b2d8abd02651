#include "engine/filetype.h"

#include <gtest/gtest.h>

#include <QString>

#include <sys/stat.h>
#include <unistd.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/programfolder.h"
#include "tests/orvane/fixturebytes.h"
#include "tests/orvane/orvaneclient.h"
#include "tests/support/fifoguard.h"
#include "tests/support/tempdir.h"

static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using engine::detectedName;
using engine::detectFileType;
using engine::DetectOptions;
using engine::FileSignature;
using testsupport::raw;

// A small table in the shape of the default one. The three rows in front can never match; put
// first, any of them that did would shadow every other row.
QList<FileSignature> signatures() {
    return {
        {1, QString(), QStringLiteral("empty")},
        {0, QStringLiteral("ZERO"), QStringLiteral("zero")},
        // No byte equals a character beyond one byte; squeezed into one byte it would be "?".
        {1, QString(QChar(0x0100)), QStringLiteral("wide")},
        {1, QStringLiteral("PK"), QStringLiteral("zip")},
        {1, QStringLiteral("<html"), QStringLiteral("html")},
        {1, QStringLiteral("ID3"), QStringLiteral("mp3")},
        {-128, QStringLiteral("TAG"), QStringLiteral("mp3")},
        {9, QStringLiteral("WAVE"), QStringLiteral("wav")},
        {1, QStringLiteral("GIF8"), QStringLiteral("gif")},
        // Signature bytes above 127 stand one character each, not in any multi-byte form.
        {1, QString::fromLatin1("\xFF\xD8\xFF"), QStringLiteral("jpg")},
    };
}

DetectOptions options(bool tryText = false, bool tryMp3 = false, bool keepExtension = false) {
    DetectOptions result;
    result.signatures = signatures();
    result.tryText = tryText;
    result.tryMp3 = tryMp3;
    result.keepExtension = keepExtension;
    return result;
}

// The start of a RIFF WAVE file: chunk header and a PCM format chunk, then the data chunk's.
std::string waveHeader() {
    return "RIFF" + raw({0x24, 0x10, 0, 0}) + "WAVE" + "fmt " +
           raw({16, 0, 0, 0, 1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0}) +
           "data" + raw({0, 0x10, 0, 0});
}

// Four MPEG-1 Layer III frames (128 kbit/s, 44100 Hz): 417 bytes each, header included.
std::string mpegFrames() {
    std::string frames;
    for (int i = 0; i < 4; ++i) {
        frames += raw({0xFF, 0xFB, 0x90, 0x64}) + std::string(413, '\x55');
    }
    return frames;
}

QString folderOf(const testsupport::TempDir& dir) {
    return platform::fromNativePath(dir.path()) + QLatin1Char('/');
}

struct DetectCase {
    const char* label;
    std::string bytes;
    bool tryText;
    const char* expected;
};

void PrintTo(const DetectCase& c, std::ostream* out) {
    *out << c.label << (c.tryText ? " (text look)" : "");
}

class FileTypeTable : public testing::TestWithParam<DetectCase> {};

TEST_P(FileTypeTable, DetectsFromSignaturesAndTheSample) {
    const DetectCase& c = GetParam();
    const testsupport::TempDir dir;
    dir.write("item", c.bytes);
    EXPECT_EQ(detectFileType(folderOf(dir), QStringLiteral("item"), options(c.tryText), nullptr),
              QString::fromLatin1(c.expected));
}

const std::string kTen = "ten bytes!";
const std::string kTagAtEnd = "TAG" + std::string(125, 'x');

INSTANTIATE_TEST_SUITE_P(
    FileType, FileTypeTable,
    testing::Values(
        DetectCase{"empty file", "", true, ""}, DetectCase{"ten ASCII bytes", kTen, false, ""},
        DetectCase{"ten ASCII bytes", kTen, true, "txt"},
        DetectCase{"tab, CR, LF and Latin-1 letters", "caf\xE9\tau\r\nlait", true, "txt"},
        DetectCase{"NUL byte", "plain" + raw({0}) + "text", true, ""},
        DetectCase{"DEL byte", "plain\x7Ftext", true, ""},
        DetectCase{"C1 control byte", "plain\x9Ftext", true, ""},
        DetectCase{"byte 255", "plain\xFFtext", true, ""},
        DetectCase{"form feed", "plain\x0Ctext", true, ""},
        // Only the first 64 bytes are looked at.
        DetectCase{"NUL after 64 plain bytes", std::string(64, 'a') + raw({0}), true, "txt"},
        DetectCase{"HTML tag after 64 bytes", std::string(70, ' ') + "<html>", true, "txt"},
        DetectCase{"lower-case HTML start", "<html><body></body></html>", false, "html"},
        DetectCase{"upper-case HTML start", "<HTML><BODY>", false, ""},
        DetectCase{"upper-case HTML start", "<HTML><BODY>", true, "html"},
        DetectCase{"blank lines, mixed-case tag", "\r\n\r\n  <HtMl>\r\n", false, ""},
        DetectCase{"blank lines, mixed-case tag", "\r\n\r\n  <HtMl>\r\n", true, "html"},
        DetectCase{"mixed-case tag among binary bytes", raw({0, 1, 2}) + "<hTmL>", true, "html"},
        DetectCase{"signature is case-exact", "pk" + kTen, false, ""},
        DetectCase{"RIFF WAVE", waveHeader() + std::string(64, '\0'), false, "wav"},
        DetectCase{"RIFF WAVE", waveHeader() + std::string(64, '\0'), true, "wav"},
        // A wav answer stays open to the later looks; this one happens to be all text.
        DetectCase{"printable WAVE signature", "RIFF1234WAVE and text", true, "txt"},
        // Any other match is final, text or not.
        DetectCase{"zip signature on plain text", "PK and then text", true, "zip"},
        DetectCase{"ID3 start", "ID3" + std::string(20, '\0'), false, "mp3"},
        DetectCase{"TAG 128 bytes before the end", std::string(300, '\0') + kTagAtEnd, false,
                   "mp3"},
        DetectCase{"TAG in a file of exactly 128 bytes", kTagAtEnd, false, "mp3"},
        DetectCase{"TAG at the start of 100 bytes", "TAG" + std::string(97, '\0'), false, ""},
        DetectCase{"TAG one byte too late", std::string(300, '\0') + "x" + kTagAtEnd.substr(0, 127),
                   false, ""},
        DetectCase{"signature longer than the file", "GIF", false, ""},
        DetectCase{"WAVE cut short by the end", "RIFF1234WAV", false, ""},
        DetectCase{"first row wins over the file's order",
                   "PK" + std::string(300, '\0') + kTagAtEnd, false, "zip"},
        DetectCase{"table order, not position in the file",
                   "GIF89a" + std::string(300, '\0') + kTagAtEnd, false, "mp3"},
        DetectCase{"offset 0 row", "ZERO" + std::string(10, '\0'), false, ""},
        DetectCase{"row of a wide character", "?" + std::string(10, '\0'), false, ""},
        DetectCase{"bytes above 127", raw({0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10}), false, "jpg"}));

class FileTypeTest : public testing::Test {
protected:
    QString folder() const { return folderOf(dir_); }
    testsupport::TempDir dir_;
};

TEST_F(FileTypeTest, NothingButRegularFilesIsRead) {
    dir_.mkdir("folder.zip");
    ASSERT_EQ(::symlink("missing.gif", dir_.file("dangling.gif").c_str()), 0);
    const DetectOptions all = options(true, true);
    EXPECT_EQ(detectFileType(folder(), QStringLiteral("folder.zip"), all, nullptr), "");
    EXPECT_EQ(detectFileType(folder(), QStringLiteral("dangling.gif"), all, nullptr), "");
    EXPECT_EQ(detectFileType(folder(), QStringLiteral("missing"), all, nullptr), "");
    // Devices read as endless zeros or nothing; neither is a file to judge.
    EXPECT_EQ(detectFileType(QStringLiteral("/dev/"), QStringLiteral("zero"), all, nullptr), "");
    EXPECT_EQ(detectFileType(QStringLiteral("/dev/"), QStringLiteral("null"), all, nullptr), "");

    // A link to a regular file is that file.
    dir_.write("real", "GIF89a");
    ASSERT_EQ(::symlink("real", dir_.file("link").c_str()), 0);
    EXPECT_EQ(detectFileType(folder(), QStringLiteral("link"), all, nullptr), "gif");
}

TEST_F(FileTypeTest, AFileThatCannotBeOpenedGivesNothing) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    const std::string locked = dir_.write("locked", "plain text");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    EXPECT_EQ(detectFileType(folder(), QStringLiteral("locked"), options(true), nullptr), "");
}

TEST_F(FileTypeTest, NamesAreBytes) {
    // Not valid UTF-8: the name must reach the file system unchanged.
    const std::string name = "caf\xE9.bin";
    dir_.write(name, "PK\x03\x04");
    EXPECT_EQ(detectFileType(folder(), platform::fromNativePath(name), options(), nullptr), "zip");
}

TEST_F(FileTypeTest, AFifoNamedLikeAPictureIsNeverOpened) {
    const std::string fifo = dir_.file("picture.gif");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    QString type = QStringLiteral("unset");
    QString name = QStringLiteral("unset");
    EXPECT_TRUE(testsupport::returnsWithoutHangingOn(fifo, false, [&] {
        type = detectFileType(folder(), QStringLiteral("picture.gif"), options(true), nullptr);
        name = detectedName(folder(), QStringLiteral("picture.gif"), options(true), nullptr);
    }));
    EXPECT_EQ(type, "");
    EXPECT_EQ(name, "");
}

struct NameCase {
    const char* name;
    std::string bytes;
    bool keepExtension;
    const char* expected;
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << c.name << (c.keepExtension ? " (keep extension)" : "");
}

class DetectedNameTable : public testing::TestWithParam<NameCase> {};

const std::string kJpeg = raw({0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10}) + "JFIF";
const std::string kGif = "GIF89a";

TEST_P(DetectedNameTable, BuildsTheNewName) {
    const NameCase& c = GetParam();
    const testsupport::TempDir dir;
    dir.write(c.name, c.bytes);
    EXPECT_EQ(detectedName(folderOf(dir), QString::fromLatin1(c.name),
                           options(false, false, c.keepExtension), nullptr),
              QString::fromLatin1(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    DetectedName, DetectedNameTable,
    testing::Values(NameCase{"lib.dll", kGif, false, ""}, NameCase{"lib.dll", kGif, true, ""},
                    // The library test is case-exact.
                    NameCase{"lib.DLL", kGif, false, "lib.gif"},
                    NameCase{"photo.gif", kJpeg, false, "photo.jpg"},
                    NameCase{"photo", kJpeg, false, "photo.jpg"},
                    NameCase{"photo.jpg", kJpeg, false, "photo.jpg"},
                    NameCase{"photo.JPG", kJpeg, false, "photo.jpg"},
                    NameCase{"archive.tar.gz", "PK\x03\x04", false, "archive.tar.zip"},
                    NameCase{"photo.gif", kJpeg, true, "photo.gif.jpg"},
                    NameCase{"photo", kJpeg, true, "photo.jpg"},
                    NameCase{"photo.jpg", kJpeg, true, ""},
                    NameCase{"photo.JPG", kJpeg, true, "photo.JPG.jpg"},
                    // No dot is looked for before the kept extension.
                    NameCase{"photojpg", kJpeg, true, ""},
                    NameCase{"notes.dat", std::string(8, '\0'), false, ""},
                    NameCase{"notes.dat", std::string(8, '\0'), true, ""}));

TEST(DetectedName, AMissingFileKeepsItsName) {
    const testsupport::TempDir dir;
    EXPECT_EQ(detectedName(folderOf(dir), QStringLiteral("gone.gif"), options(true), nullptr), "");
}

// The MPEG look through the tag library itself, loaded as the program loads it.
class FileTypeMp3 : public orvanetest::OrvaneMP3Test {
protected:
    QString folder() const { return folderOf(files); }
    QString detect(const char* name, const DetectOptions& with, orvane::_cMP3File* mp3) const {
        return detectFileType(folder(), QString::fromLatin1(name), with, mp3);
    }
};

TEST_F(FileTypeMp3, MpegAudioInsideAWaveFileIsMp3OnlyWithTheProbe) {
    write("song.wav", waveHeader() + mpegFrames());
    auto mp3 = createFile();
    ASSERT_TRUE(mp3);
    EXPECT_EQ(detect("song.wav", options(false, true), mp3.get()), "mp3");
    EXPECT_EQ(detect("song.wav", options(true, true), mp3.get()), "mp3");
    EXPECT_EQ(detect("song.wav", options(false, false), mp3.get()), "wav");
    EXPECT_EQ(detect("song.wav", options(true, false), mp3.get()), "wav");
    // Without the library the probe finds nothing.
    EXPECT_EQ(detect("song.wav", options(true, true), nullptr), "wav");
}

TEST_F(FileTypeMp3, TheProbeFollowsOnlyNoMatchOrWav) {
    write("frames", mpegFrames());
    write("packed.zip", "PK\x03\x04" + mpegFrames());
    auto mp3 = createFile();
    ASSERT_TRUE(mp3);
    EXPECT_EQ(detect("frames", options(false, true), mp3.get()), "mp3");
    EXPECT_EQ(detect("frames", options(false, true), nullptr), "");
    EXPECT_EQ(detect("frames", options(false, false), mp3.get()), "");
    EXPECT_EQ(detect("packed.zip", options(false, true), mp3.get()), "zip");
}

TEST_F(FileTypeMp3, PlainBytesAreNoMpegAudio) {
    write("notes", "Nothing but words in here, line after line.\n");
    write("zeros", std::string(4096, '\0'));
    auto mp3 = createFile();
    ASSERT_TRUE(mp3);
    EXPECT_EQ(detect("notes", options(false, true), mp3.get()), "");
    EXPECT_EQ(detect("notes", options(true, true), mp3.get()), "txt");
    EXPECT_EQ(detect("zeros", options(true, true), mp3.get()), "");
    // What an earlier file left in the library does not carry over.
    write("frames", mpegFrames());
    EXPECT_EQ(detect("frames", options(false, true), mp3.get()), "mp3");
    EXPECT_EQ(detect("zeros", options(false, true), mp3.get()), "");
}

TEST_F(FileTypeMp3, NamesReachTheLibraryAsBytes) {
    const std::string name = "lied\xFC.wav";  // not valid UTF-8
    write(name, waveHeader() + mpegFrames());
    auto mp3 = createFile();
    ASSERT_TRUE(mp3);
    EXPECT_EQ(
        detectFileType(folder(), platform::fromNativePath(name), options(false, true), mp3.get()),
        "mp3");
}

TEST_F(FileTypeMp3, AFifoStopsEvenTheProbe) {
    const std::string fifo = files.file("song.mp3");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto mp3 = createFile();
    ASSERT_TRUE(mp3);
    QString type = QStringLiteral("unset");
    EXPECT_TRUE(testsupport::returnsWithoutHangingOn(fifo, false, [&] {
        type = detectFileType(folder(), QStringLiteral("song.mp3"), options(true, true), mp3.get());
    }));
    EXPECT_EQ(type, "");
}

}  // namespace
