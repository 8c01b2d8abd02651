// The logs against hostile names and links: one entry stays one line, and no log is written
// anywhere but into a regular file of its own name.
#include <gtest/gtest.h>

#include <QString>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/log.h"
#include "platform/pathcodec.h"
#include "tests/support/fifoguard.h"
#include "tests/support/scopedenv.h"
#include "tests/support/tempdir.h"

namespace {

class LogLinesTest : public testing::Test {
protected:
    void SetUp() override { engine::setErrorsLogged(false); }

    std::string read(const char* name) const { return testsupport::readAll(folder_.file(name)); }

    // The log's one line, after the date and time prefix and without its CR LF.
    std::string onlyEntry(const char* name) const {
        const std::string content = read(name);
        const std::size_t prefixEnd = content.find(") ");
        EXPECT_NE(prefixEnd, std::string::npos) << content;
        EXPECT_EQ(content.find("\r\n"), content.size() - 2) << "more than one line: " << content;
        EXPECT_EQ(content.find('\n'), content.size() - 1) << content;
        return content.substr(prefixEnd + 2, content.size() - prefixEnd - 4);
    }

    testsupport::TempDir folder_;
    testsupport::ScopedEnv programFolder_{"QUENZA_PROGRAM_DIR", folder_.path().c_str()};
};

TEST_F(LogLinesTest, LineBreaksAndTabsInsideAnEntryAreShownAsEscapes) {
    const struct {
        const char* what;
        QString message;
        std::string written;
    } cases[] = {
        {"CR LF", "one\r\ntwo", R"(one\r\ntwo)"},
        {"LF and CR alone", "a\nb\rc", R"(a\nb\rc)"},
        {"tab", "a\tb", R"(a\tb)"},
        {"a forged entry stays inside the name",
         "File Renamed: /x\r\n(1/2/2024 3:04:05 PM) File Renamed: /etc -> /y",
         R"(File Renamed: /x\r\n(1/2/2024 3:04:05 PM) File Renamed: /etc -> /y)"},
        // A backslash is doubled only where it would otherwise read as an escape, so every other
        // line that holds one reads as it always did.
        {"plain backslashes", "C:\\dir\\file <\\> end\\", "C:\\dir\\file <\\> end\\"},
        {"a backslash and n in the name", "a\\nb", R"(a\\nb)"},
        {"a backslash and t", "x\\t", R"(x\\t)"},
        {"two backslashes", "a\\\\b", R"(a\\\b)"},
        {"a backslash before a line break", "a\\\nb", R"(a\\\nb)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(folder_.file("log.txt"));
        engine::logRun(c.message);
        EXPECT_EQ(onlyEntry("log.txt"), c.written);
    }
    engine::logError("Error 53 (File not found) a\r\nb");
    EXPECT_EQ(onlyEntry("errors.txt"), R"(Error 53 (File not found) a\r\nb)");
}

TEST_F(LogLinesTest, UndecodableNameBytesAreWrittenAsTheOriginalBytes) {
    engine::logRun(QStringLiteral("File Renamed: /caf") + QChar(0xDCE9) + QStringLiteral(" -> /b"));
    EXPECT_EQ(onlyEntry("log.txt"), "File Renamed: /caf\xE9 -> /b");
}

// How many lines a viewer that breaks lines wherever Python's str.splitlines() does sees in
// the bytes: valid UTF-8 decoded as such, and every other byte read as Latin-1 (where 0x85 is
// NEL), CR LF counting once.
std::size_t viewerLineBreaks(const std::string& bytes) {
    const std::u16string text = platform::decodePathBytes(bytes);
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        switch (text[i]) {
            case u'\r':
                if (i + 1 < text.size() && text[i + 1] == u'\n') {
                    ++i;
                }
                ++breaks;
                break;
            case u'\n':
            case 0x0B:
            case 0x0C:
            case 0x1C:
            case 0x1D:
            case 0x1E:
            case 0x85:
            case 0xDC85:  // the byte 0x85 outside UTF-8
            case 0x2028:
            case 0x2029:
                ++breaks;
                break;
            default:
                break;
        }
    }
    return breaks;
}

// Every character some viewer ends a line at is shown as an escape in the style of \r and \n,
// so a log holds exactly as many lines as entries, whichever viewer reads it.
TEST_F(LogLinesTest, EveryCharacterAViewerBreaksLinesAtIsShownAsAnEscape) {
    const QChar rawNel(0xDC85);  // a name's byte 0x85 that is not part of UTF-8
    const struct {
        const char* what;
        QString message;
        std::string written;
    } cases[] = {
        {"vertical tab", "a\vb", R"(a\x0bb)"},
        {"form feed", "a\fb", R"(a\x0cb)"},
        {"file, group and record separators",
         "a\x1C"
         "b\x1D"
         "c\x1E"
         "d",
         R"(a\x1cb\x1dc\x1ed)"},
        {"NEL", QStringLiteral("a\u0085b"), R"(a\u0085b)"},
        {"a raw byte 0x85", QStringLiteral("a") + rawNel + QStringLiteral("b"), R"(a\x85b)"},
        {"line separator", QStringLiteral("a\u2028b"), R"(a\u2028b)"},
        {"paragraph separator", QStringLiteral("a\u2029b"), R"(a\u2029b)"},
        // The backslash before a letter of an escape is doubled, so the line still tells what
        // the message held; before any other letter it stays single.
        {"backslash before x and u", "\\x85\\u2028\\v", R"(\\x85\\u2028\v)"},
        {"backslash before a shown separator", QStringLiteral("a\\\u2028"), R"(a\\\u2028)"},
        // Other bytes of a name keep their bytes, as before.
        {"another raw byte", QStringLiteral("caf") + QChar(0xDCE9), "caf\xE9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(folder_.file("log.txt"));
        engine::logRun(c.message);
        EXPECT_EQ(onlyEntry("log.txt"), c.written);
    }

    // Nine entries, each forging as many lines as it can, read as nine lines by the viewer.
    std::filesystem::remove(folder_.file("log.txt"));
    std::filesystem::remove(folder_.file("errors.txt"));
    QString forger = QStringLiteral("/x\r\n\v\f\x1C\x1D\x1E\u0085\u2028\u2029");
    forger += rawNel;
    for (int i = 0; i < 9; ++i) {
        engine::logRun(QStringLiteral("File Renamed: ") + forger + QString::number(i));
        engine::logError(QStringLiteral("Error 53 (File not found) ") + forger);
    }
    EXPECT_EQ(viewerLineBreaks(read("log.txt")), 9u) << read("log.txt");
    EXPECT_EQ(viewerLineBreaks(read("errors.txt")), 9u) << read("errors.txt");
}

// A link placed in the program folder must not let the logs append to another file, nor create
// the file a dangling link names.
TEST_F(LogLinesTest, NoLogIsWrittenThroughASymbolicLink) {
    const testsupport::TempDir elsewhere;
    const auto victim = elsewhere.write("victim", "mine\n");
    ASSERT_EQ(::symlink(victim.c_str(), folder_.file("log.txt").c_str()), 0);
    ASSERT_EQ(::symlink(elsewhere.file("created").c_str(), folder_.file("errors.txt").c_str()), 0);

    engine::logRun("File Renamed: /a -> /b");
    engine::logError("Error 53 (File not found) x");

    EXPECT_EQ(testsupport::readAll(victim), "mine\n");
    EXPECT_FALSE(std::filesystem::exists(elsewhere.file("created")));
    EXPECT_TRUE(engine::errorsLogged()) << "the flag does not depend on the line being written";
}

TEST_F(LogLinesTest, AFifoInPlaceOfALogDropsTheLineWithoutHanging) {
    const std::string fifo = folder_.file("errors.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(testsupport::returnsWithoutHangingOn(fifo, true, [] { engine::logError("x"); }));
    EXPECT_TRUE(engine::errorsLogged());
}

}  // namespace
