// The logs against hostile names and links: one entry stays one line, and no log is written
// anywhere but into a regular file of its own name.
#include <gtest/gtest.h>

#include <QString>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/log.h"
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
