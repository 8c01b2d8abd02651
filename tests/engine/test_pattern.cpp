#include <gtest/gtest.h>

#include <QDateTime>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/log.h"
#include "engine/pattern.h"
#include "engine/sizetext.h"
#include "platform/localetext.h"
#include "tests/support/tempdir.h"

namespace {

// A 32-byte BMP header: enough for the picture tokens.
std::string bmpHeader(int width, int height, int depth) {
    std::string bytes(32, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    for (int i = 0; i < 4; ++i) {
        bytes[18 + i] = static_cast<char>((width >> (8 * i)) & 0xFF);
        bytes[22 + i] = static_cast<char>((height >> (8 * i)) & 0xFF);
    }
    bytes[28] = static_cast<char>(depth);
    return bytes;
}

class PatternTest : public testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("QUENZA_PROGRAM_DIR");
        saved_ = old ? old : "";
        setenv("QUENZA_PROGRAM_DIR", program_.path().c_str(), 1);
    }
    void TearDown() override { setenv("QUENZA_PROGRAM_DIR", saved_.c_str(), 1); }

    QString folder() const { return QString::fromStdString(dir_.path() + "/"); }

    QString expand(const QString& pattern, const QString& name, bool allMustBeAvailable = false) {
        format_.pattern = pattern;
        format_.allMustBeAvailable = allMustBeAvailable;
        const engine::FormatContext context{format_, engine::ScopeOptions{}, media_};
        return engine::formatFilename(name, folder(), context);
    }

    std::string errors() const { return testsupport::readAll(program_.file("errors.txt")); }

    testsupport::TempDir dir_;
    testsupport::TempDir program_;
    std::string saved_;
    engine::FormatOptions format_;
    media::MediaContext media_;
};

TEST_F(PatternTest, LiteralsTokensAndWhatIsNoToken) {
    dir_.write("song.mp3", "12345");
    const struct {
        const char* pattern;
        const char* expected;
    } cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"<NAME>.<EXT>", "song.mp3"},
        {"<name>.<Ext>", "song.mp3"},
        {"<Fullname>", "song.mp3"},
        {"<SIZEB> <SIZE>", "5 5 bytes"},
        {"a<\\>b", "a<\\>b"},
        {"<%0><FOO><", "<%0><FOO><"},
        {"<<NAME>>", "<song>"},
        {"<NAME", "<NAME"},
        {"x<PARENT>", nullptr},  // checked below: the folder's own name
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        if (c.expected) {
            EXPECT_EQ(expand(c.pattern, "song.mp3"), QString::fromUtf8(c.expected));
        }
    }
    const QString parent = QString::fromStdString(dir_.path()).section(u'/', -1);
    EXPECT_EQ(expand("x<PARENT>", "song.mp3"), "x" + parent);
}

TEST_F(PatternTest, AnUnavailableTokenKeepsTheOldNameOnlyWhenAllMustBeAvailable) {
    dir_.write("README", "text");
    EXPECT_EQ(expand("<NAME>.<EXT>", "README"), "README.");
    EXPECT_EQ(expand("<NAME>.<EXT>", "README", true), "README");
    // The random letter before the unavailable token is dropped with the rest.
    EXPECT_EQ(expand("<RND><DIRFILES>", "README", true), "README");
    EXPECT_EQ(expand("<HTMLTITLE>x", "README"), "x");
    EXPECT_EQ(expand("<HTMLTITLE>x", "README", true), "README");
    // Late in the pattern it still gives the old name, never a part of the new one.
    EXPECT_EQ(expand("<NAME>-<SIZEB>-<WIDTH>", "README", true), "README");
}

TEST_F(PatternTest, DirectoryTokens) {
    dir_.mkdir("empty");
    dir_.mkdir("full");
    EXPECT_EQ(expand("<DIRFILES>|<DIRSIZE>|<SDIRDIRS>", "empty"), "0|0 bytes|0");
    dir_.write("full/a", std::string(10, 'a'));
    dir_.write("full/b", std::string(20, 'b'));
    dir_.mkdir("full/sub");
    dir_.write("full/sub/c", std::string(5, 'c'));
    EXPECT_EQ(expand("<DIRFILES> <DIRDIRS> <DIRSIZEB> <SDIRFILES> <SDIRDIRS> <SDIRSIZEB>", "full"),
              "2 1 30 3 1 35");
    dir_.write("file.txt", "x");
    EXPECT_EQ(expand("[<DIRFILES>]", "file.txt"), "[]");
}

TEST_F(PatternTest, AMissingItemHasASizeOfNothingAndNoDate) {
    EXPECT_EQ(expand("<SIZE>|<SIZEB>|<DATE>|<TIME>|<FULLNAME>", "gone.txt"), "0 bytes|0|||");
    EXPECT_EQ(expand("<SIZE>", "gone.txt", true), "0 bytes");
}

TEST_F(PatternTest, DateAndTimeOfTheLastChange) {
    const std::string path = dir_.write("dated.txt", "x");
    const QDateTime when(QDate(2021, 3, 4), QTime(5, 6, 7));
    struct timespec times[2] = {{when.toSecsSinceEpoch(), 0}, {when.toSecsSinceEpoch(), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_EQ(expand("<DATE> <TIME>", "dated.txt"),
              platform::shortDateText(when.date()) + " " + platform::longTimeText(when.time()));
}

TEST_F(PatternTest, PictureTokensAndTheColourCount) {
    const struct {
        int depth;
        const char* colours;
    } cases[] = {{24, "16M"}, {32, "16M+"}, {16, "64k"}, {15, "32k"}, {8, "256"}, {1, "2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.depth);
        dir_.write("pic.bmp", bmpHeader(640, 480, c.depth));
        EXPECT_EQ(expand("<WIDTH>x<HEIGHT> <DEPTH> <DEPTHB>", "pic.bmp"),
                  QStringLiteral("640x480 %1 %2").arg(QString::fromLatin1(c.colours)).arg(c.depth));
    }
    // Media tokens of a file of no known kind are empty, and unavailable.
    dir_.write("notes.txt", "hello");
    EXPECT_EQ(expand("[<WIDTH><FPS><CODEC>]", "notes.txt"), "[]");
    EXPECT_EQ(expand("[<WIDTH>]", "notes.txt", true), "notes.txt");
}

TEST_F(PatternTest, RandomCharactersAndFirstLetters) {
    dir_.write("123abc.txt");
    for (int i = 0; i < 50; ++i) {
        const QString text = expand("<RND><RND#>", "123abc.txt");
        ASSERT_EQ(text.size(), 2);
        EXPECT_TRUE(text.at(0) >= u'A' && text.at(0) <= u'Z') << text.toStdString();
        EXPECT_TRUE(text.at(1) >= u'0' && text.at(1) <= u'9') << text.toStdString();
    }
    EXPECT_EQ(expand("<FLETTER>|<FLETTERN1>|<FLETTERN2>", "123abc.txt"), "A|1|0-9");
}

TEST_F(PatternTest, AFailedExpansionKeepsTheOldNameAndIsLogged) {
    // A video stream whose file goes away while the reader lets the window answer: the sound
    // scan cannot reopen it. The item keeps its name; a half-built "clip 64 " never reaches it.
    const std::filesystem::path fixture =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "media" / "realfiles" / "av" /
        "mpeg1_system.mpg";
    const std::string clip = dir_.write("clip.mpg", testsupport::readAll(fixture.string()));
    ASSERT_GT(std::filesystem::file_size(clip), 1000U);
    format_.pattern = "<NAME> <WIDTH> <SOUND>.<EXT>";
    media_.yield = [&clip] { std::filesystem::remove(clip); };
    const engine::FormatContext context{format_, engine::ScopeOptions{}, media_};
    EXPECT_EQ(engine::formatFilename("clip.mpg", folder(), context), "clip.mpg");
    EXPECT_NE(errors().find("formatFilename: FILE=" + dir_.path() +
                            "/clip.mpg FORMAT=<NAME> "
                            "<WIDTH> <SOUND>.<EXT> PARTS="),
              std::string::npos)
        << errors();
}

TEST_F(PatternTest, PartTokensCutTheOldName) {
    dir_.write("Artist - Title.mp3");
    format_.partsPattern = "<%1> - <%2>";
    format_.formatFilenameSelected = true;
    engine::ScopeOptions nameOnly;
    nameOnly.processFileExt = false;
    format_.pattern = "<%2> (<%1>).<EXT>";
    const engine::FormatContext context{format_, nameOnly, media_};
    EXPECT_EQ(engine::formatFilename("Artist - Title.mp3", folder(), context),
              "Title (Artist).mp3");
}

}  // namespace
