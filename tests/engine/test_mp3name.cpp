// Names from MP3 tags, built from small files that the tag library reads as the program has it
// read them: loaded through its registration and called through its interfaces.
#include <gtest/gtest.h>

#include <QString>

#include <string>
#include <vector>

#include "engine/log.h"
#include "engine/mp3name.h"
#include "platform/localetext.h"
#include "tests/orvane/fixturebytes.h"
#include "tests/orvane/orvaneclient.h"

namespace {

using testsupport::bigEndian;
using testsupport::raw;
using testsupport::synchsafe;

// Four MPEG-1 Layer III frames, 128 kbit/s, 44100 Hz, joint stereo (or single channel).
std::string mpegFrames(bool mono = false) {
    std::string frames;
    for (int i = 0; i < 4; ++i) {
        frames += raw({0xFF, 0xFB, 0x90, mono ? 0xC4 : 0x64}) + std::string(413, '\x11');
    }
    return frames;
}

// A VBR stream whose Xing header gives no frame count: its length and bit rate are unknown.
std::string vbrWithoutFrameCount() {
    std::string first = raw({0xFF, 0xFB, 0x90, 0x64}) + std::string(413, '\0');
    first.replace(36, 8, std::string("Xing") + bigEndian(0, 4));
    return first + mpegFrames().substr(417);
}

// An ID3v2.3 (or 2.4) tag of Latin-1 text frames.
std::string id3v2(int version, const std::vector<std::pair<std::string, std::string>>& frames) {
    std::string body;
    for (const auto& [id, text] : frames) {
        const std::string payload = std::string(1, '\0') + text;
        body += id + (version == 4 ? synchsafe(static_cast<std::uint32_t>(payload.size()))
                                   : bigEndian(static_cast<std::uint32_t>(payload.size()), 4));
        body += std::string(2, '\0') + payload;
    }
    return std::string("ID3") + raw({version, 0, 0}) +
           synchsafe(static_cast<std::uint32_t>(body.size())) + body;
}

std::string id3v22(const std::vector<std::pair<std::string, std::string>>& frames) {
    std::string body;
    for (const auto& [id, text] : frames) {
        const std::string payload = std::string(1, '\0') + text;
        body += id + bigEndian(static_cast<std::uint32_t>(payload.size()), 3) + payload;
    }
    return std::string("ID3") + raw({2, 0, 0}) +
           synchsafe(static_cast<std::uint32_t>(body.size())) + body;
}

// An ID3v1.1 tag (track 0 makes it a 1.0 tag).
std::string id3v1(const std::string& title, const std::string& artist, int track, int genre,
                  const std::string& comment = {}) {
    std::string tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, title.size(), title);
    tag.replace(33, artist.size(), artist);
    tag.replace(63, 5, "Album");
    tag.replace(93, 4, "1999");
    tag.replace(97, comment.size(), comment);
    tag[126] = static_cast<char>(track);
    tag[127] = static_cast<char>(genre);
    return tag;
}

class Mp3Name : public orvanetest::OrvaneMP3Test {
protected:
    void SetUp() override {
        OrvaneMP3Test::SetUp();
        mp3_ = createFile();
        ASSERT_TRUE(mp3_);
    }
    void TearDown() override {
        mp3_.reset();  // every object given back before the library is asked to unload
        OrvaneMP3Test::TearDown();
    }

    // The name `pattern` gives the file `name` holding `bytes`.
    QString nameOf(const std::string& bytes, const QString& pattern,
                   engine::Mp3Options options = {}, const std::string& name = "song.mp3") {
        write(name, bytes);
        options.pattern = pattern;
        return engine::mp3NewName(mp3_.get(), QString::fromStdString(files.path() + "/"),
                                  QString::fromStdString(name), options);
    }

    com::ComPtr<orvane::_cMP3File> mp3_;
};

TEST_F(Mp3Name, TokensFromTagsHeaderAndFile) {
    const std::string file = id3v2(3, {{"TPE1", "The Band"},
                                       {"TIT2", "A Song"},
                                       {"TALB", "The Album"},
                                       {"TYER", "2001"},
                                       {"TCON", "(17)Rock"},
                                       {"TRCK", "05/12"},
                                       {"TCOM", "Composer"},
                                       {"TOPE", "Original"},
                                       {"TCOP", "2001 Someone"},
                                       {"TENC", "Encoder"},
                                       {"TBPM", "120"}}) +
                             mpegFrames() + id3v1("v1 title", "v1 artist", 3, 17, "v1 comment");
    const struct {
        const char* pattern;
        const char* name;
    } cases[] = {
        {"<ARTIST> - <TITLE>", "The Band - A Song"},
        {"<artist> - <Title>", "The Band - A Song"},
        {"<ALBUM> <YEAR> <GENRE>", "The Album 2001 Rock"},
        {"<COMMENT>", "v1 comment"},  // comments come from ID3v1 alone
        {"<TRACK>|<TRACKN>", "05|05"},
        {"<COMPOSER>|<ORIGARTIST>|<COPYRIGHT>|<ENCODEDBY>|<BPM>",
         "Composer|Original|2001 Someone|Encoder|120"},
        {"<MPEG> <LAYER> <STEREO> <SMODE>", "MPEG 1 Layer 3 Stereo Joint Stereo"},
        {"<BITRATE> <FREQ> <FREQS>", "128 44100 44"},
        {"<FILENAME>.<FILEEXT>", "song.mp3"},
        {"<SIZEB>", "2005"},  // the ID3v2 tag, four frames of 417 bytes, the ID3v1 tag
        {"<ARTIST><\\><TITLE>", "The Band<\\>A Song"},
        {"a <b> <ARTIS <ARTIST", "a <b> <ARTIS <ARTIST"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(nameOf(file, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.name));
    }
}

TEST_F(Mp3Name, LengthTexts) {
    // 4 frames of 417 bytes at 128 kbit/s: a tenth of a second, so the length is 0.
    EXPECT_EQ(nameOf(mpegFrames(), "<LENGTH>|<LENGTHS>"), "0 Sec|00:00");
    EXPECT_EQ(nameOf(mpegFrames(true), "<STEREO> <SMODE>"), "Mono Mono");
}

TEST_F(Mp3Name, SizeInMegabytesUsesTheUsersDecimalSeparator) {
    const std::string big = mpegFrames() + std::string(1572864 - 1668, '\0');  // 1.5 MiB
    EXPECT_EQ(nameOf(big, "<SIZE>"), platform::numberText(1.5));
    EXPECT_EQ(nameOf(big, "<SIZEB>"), "1572864");
}

TEST_F(Mp3Name, MissingValuesAndTheOptionsAroundThem) {
    engine::Mp3Options extension;
    extension.addExtension = true;
    engine::Mp3Options onlyFilled = extension;
    onlyFilled.onlyFilledTags = true;
    const std::string tagged = id3v2(3, {{"TPE1", "Artist"}, {"TIT2", "Title"}}) + mpegFrames();

    EXPECT_EQ(nameOf(tagged, "<ARTIST> - <TITLE>", extension), "Artist - Title.mp3");
    EXPECT_EQ(nameOf(mpegFrames(), "<ARTIST> - <TITLE>", extension), " - .mp3");
    EXPECT_EQ(nameOf(mpegFrames(), "<ARTIST> - <TITLE>", onlyFilled), "");
    EXPECT_EQ(nameOf(tagged, "", extension), "");
    EXPECT_EQ(nameOf(tagged, "<TITLE>.MP3", extension), "Title.MP3");
    // The file's own values are never missing, an empty extension included.
    EXPECT_EQ(nameOf(mpegFrames(), "<FILENAME>[<FILEEXT>]", onlyFilled, "noext"), "noext[].mp3");
    EXPECT_EQ(nameOf(mpegFrames(), "<FILENAME>", onlyFilled, "a.b.mp3"), "a.b.mp3");
    // Tags without an MPEG header: the header's tokens are missing.
    const std::string noHeader = id3v2(3, {{"TIT2", "Title"}}) + std::string(3000, '\0');
    EXPECT_EQ(nameOf(noHeader, "<TITLE> <BITRATE>"), "Title ");
    EXPECT_EQ(nameOf(noHeader, "<TITLE> <BITRATE>", onlyFilled), "");
}

TEST_F(Mp3Name, GenreAndTrackRules) {
    const struct {
        const char* genre;
        const char* track;
        const char* name;
    } cases[] = {
        {"(17)Rock", "05/12", "Rock|05|05"},
        {"(17)", "0", "||"},         // a bare number in brackets and a track of 0 are missing
        {"Jazz", "0/12", "Jazz||"},  // a track of 0 with a total is missing too
        {"(1)(2)Pop", "7", "Pop|7|07"},
        {"Unknown", "x", "||"},  // no leading number: no track
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.genre);
        const std::string file = id3v2(3, {{"TCON", c.genre}, {"TRCK", c.track}}) + mpegFrames();
        EXPECT_EQ(nameOf(file, "<GENRE>|<TRACK>|<TRACKN>"), QString::fromUtf8(c.name));
    }
    // ID3v1 genre 255 is "Unknown", which counts as missing.
    engine::Mp3Options v1only;
    v1only.useId3v2 = false;
    v1only.onlyFilledTags = true;
    EXPECT_EQ(nameOf(mpegFrames() + id3v1("T", "A", 4, 255), "<TITLE> <GENRE>", v1only), "");
    EXPECT_EQ(nameOf(mpegFrames() + id3v1("T", "A", 4, 17), "<TITLE> <GENRE> <TRACK>", v1only),
              "T Rock 4");
    // An ID3v1.0 tag has no track.
    EXPECT_EQ(nameOf(mpegFrames() + id3v1("T", "A", 0, 17), "<TRACK>", v1only), "");
}

TEST_F(Mp3Name, WithoutPreferringId3v2OnlyTheFrameTokensReadIt) {
    engine::Mp3Options v1only;
    v1only.useId3v2 = false;
    const std::string file =
        id3v2(4, {{"TPE1", "Artist"}, {"TIT2", "Title"}, {"TCOM", "Composer"}}) + mpegFrames();
    EXPECT_EQ(nameOf(file, "[<ARTIST>][<TITLE>][<TRACK>][<GENRE>][<COMPOSER>]", v1only),
              "[][][][][Composer]");
    // Version 2 tags name the same frames with three letters.
    const std::string v22 =
        id3v22({{"TT2", "Title"}, {"TCM", "Composer"}, {"TBP", "99"}}) + mpegFrames();
    EXPECT_EQ(nameOf(v22, "<TITLE> <COMPOSER> <BPM> [<ENCODEDBY>]"), "Title Composer 99 []");
}

TEST_F(Mp3Name, TagTextsEndAtTheirFirstNul) {
    const std::string file =
        id3v2(3, {{"TPE1", std::string("Artist\0junk", 11)}, {"TIT2", std::string("Title\0", 6)}}) +
        mpegFrames();
    EXPECT_EQ(nameOf(file, "<ARTIST> - <TITLE>"), "Artist - Title");
}

TEST_F(Mp3Name, AnUnknownLengthOrBitRateIsMissing) {
    engine::Mp3Options onlyFilled;
    onlyFilled.onlyFilledTags = true;
    const std::string file = id3v2(3, {{"TIT2", "Title"}}) + vbrWithoutFrameCount();
    EXPECT_EQ(nameOf(file, "<TITLE> [<LENGTH>][<LENGTHS>][<BITRATE>]"), "Title [][][]");
    EXPECT_EQ(nameOf(file, "<TITLE> <LENGTH>", onlyFilled), "");
    EXPECT_EQ(nameOf(file, "<TITLE> <FREQ>", onlyFilled), "Title 44100");
}

TEST_F(Mp3Name, WhichFilesAreRead) {
    engine::Mp3Options onlyMp3;
    onlyMp3.onlyMp3Files = true;
    const std::string file = id3v2(3, {{"TIT2", "Title"}}) + mpegFrames();
    const struct {
        const char* name;
        bool read;
    } cases[] = {
        {"song.MP3", true}, {"song.mp3", true},   {".mp3", true},     {"a.b.Mp3", true},
        {"mp3", false},     {"MP3", false},       {"song", false},    {"song.mp3.bak", false},
        {"mp3.", false},    {"song.mp3 ", false}, {"song.mp", false}, {"song.mp33", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nameOf(file, "<TITLE>", onlyMp3, c.name), c.read ? "Title" : "") << c.name;
    }
    EXPECT_EQ(nameOf(file, "<TITLE>", {}, "song.bak"), "Title");
    EXPECT_EQ(nameOf(file, "<TITLE>", {}, "mp3"), "Title");
    // A folder or a missing file cannot be read: it keeps its name.
    files.mkdir("folder.mp3");
    engine::Mp3Options options;
    options.pattern = "<TITLE>";
    const QString folder = QString::fromStdString(files.path() + "/");
    EXPECT_EQ(engine::mp3NewName(mp3_.get(), folder, "folder.mp3", options), "");
    EXPECT_EQ(engine::mp3NewName(mp3_.get(), folder, "gone.mp3", options), "");
}

TEST_F(Mp3Name, WithoutTheLibraryObjectTheNameFails) {
    engine::Mp3Options options;
    options.pattern = "<TITLE>";
    write("song.mp3", mpegFrames());
    const QString folder = QString::fromStdString(files.path() + "/");
    try {
        engine::mp3NewName(nullptr, folder, "song.mp3", options);
        ADD_FAILURE() << "no failure";
    } catch (const engine::TransformFailure& failure) {
        EXPECT_EQ(failure.error().number, 91);
    }
    // The only-mp3 test comes first: other files are not asked about.
    options.onlyMp3Files = true;
    EXPECT_EQ(engine::mp3NewName(nullptr, folder, "notes.txt", options), "");
}

}  // namespace
