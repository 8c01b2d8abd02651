#include <gtest/gtest.h>

#include <QDateTime>
#include <QRegularExpression>
#include <QString>

#include <cstdio>
#include <cstdlib>

#include "engine/log.h"
#include "platform/localetext.h"
#include "tests/support/tempdir.h"

namespace {

// Each test gets its own program folder, so the logs start out missing.
class LogTest : public testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("QUENZA_PROGRAM_DIR");
        saved_ = old ? old : "";
        setenv("QUENZA_PROGRAM_DIR", folder_.path().c_str(), 1);
        engine::setErrorsLogged(false);
    }
    void TearDown() override { setenv("QUENZA_PROGRAM_DIR", saved_.c_str(), 1); }

    std::string read(const char* name) const { return testsupport::readAll(folder_.file(name)); }

    testsupport::TempDir folder_;
    std::string saved_;
};

// The lines of a log, each without its CR LF, after checking that every line ends with one.
QStringList linesOf(const std::string& content) {
    QString text = QString::fromStdString(content);
    EXPECT_TRUE(text.endsWith("\r\n"));
    text.chop(2);
    return text.split("\r\n");
}

TEST_F(LogTest, ErrorLineCarriesTheDateTimePrefixAndCreatesTheFile) {
    const QString before = platform::dateTimeText(QDateTime::currentDateTime());
    engine::logError("Error 5 (Invalid procedure call or argument) Test: FILE=a b");
    const QString after = platform::dateTimeText(QDateTime::currentDateTime());

    const QStringList lines = linesOf(read("errors.txt"));
    ASSERT_EQ(lines.size(), 1);
    const QString message = ") Error 5 (Invalid procedure call or argument) Test: FILE=a b";
    EXPECT_TRUE(lines[0] == "(" + before + message || lines[0] == "(" + after + message)
        << lines[0].toStdString();
    EXPECT_TRUE(engine::errorsLogged());
    EXPECT_EQ(read("log.txt"), "");
}

TEST_F(LogTest, LinesAppendInCallOrder) {
    engine::logRun("first");
    engine::logRun("second");
    engine::logRun("");
    const QStringList lines = linesOf(read("log.txt"));
    ASSERT_EQ(lines.size(), 3);
    const QRegularExpression prefix(R"(^\([^)]+\) )");
    EXPECT_TRUE(lines[0].endsWith(") first") && prefix.match(lines[0]).hasMatch());
    EXPECT_TRUE(lines[1].endsWith(") second"));
    EXPECT_TRUE(lines[2].endsWith(") ")) << "an empty message leaves the prefix alone";
    // Both lines of the same second carry the same prefix.
    EXPECT_EQ(lines[0].section(')', 0, 0), lines[1].section(')', 0, 0));
}

TEST_F(LogTest, RunLogLeavesTheErrorFlagAlone) {
    engine::logRun("File Renamed: /a -> /b");
    EXPECT_FALSE(engine::errorsLogged());
    engine::setErrorsLogged(true);
    engine::logRun("again");
    EXPECT_TRUE(engine::errorsLogged());
}

// A line break inside a message would forge a second entry: it is shown, not written.
TEST_F(LogTest, LineBreaksInAMessageAreShownSoOneEntryIsOneLine) {
    engine::logError("one\r\ntwo");
    const std::string content = read("errors.txt");
    EXPECT_NE(content.find(") one\\r\\ntwo\r\n"), std::string::npos) << content;
}

// A run keeps log.txt open between its lines, yet every line is on disk as it happens, in order,
// and after the run the next line opens the file afresh.
TEST_F(LogTest, ARunsLinesGoOutAsTheyHappenThroughOneOpenFile) {
    {
        const engine::RunLogSession outer;
        engine::logRun("first");
        EXPECT_EQ(linesOf(read("log.txt")).size(), 1);
        {
            const engine::RunLogSession nested;
            engine::logRun("second");
        }
        engine::logRun("third");
        const QStringList lines = linesOf(read("log.txt"));
        ASSERT_EQ(lines.size(), 3);
        EXPECT_TRUE(lines[2].endsWith(") third"));
    }
    // The run is over: a log moved away meanwhile gets a new file, not the old one's lines.
    std::rename(folder_.file("log.txt").c_str(), folder_.file("old.txt").c_str());
    engine::logRun("after");
    EXPECT_EQ(linesOf(read("log.txt")).size(), 1);
    EXPECT_EQ(linesOf(read("old.txt")).size(), 3);
}

TEST_F(LogTest, UnwritableLogDropsTheLineButStillFlagsTheError) {
    // A folder where the log file should be: no process, root included, can append to it.
    folder_.mkdir("errors.txt");
    folder_.mkdir("log.txt");
    engine::logError("lost");
    engine::logRun("lost too");
    EXPECT_TRUE(engine::errorsLogged());
}

TEST_F(LogTest, MissingProgramFolderDropsTheLine) {
    setenv("QUENZA_PROGRAM_DIR", folder_.file("does-not-exist").c_str(), 1);
    engine::logError("lost");
    EXPECT_TRUE(engine::errorsLogged());
}

TEST_F(LogTest, NonAsciiTextIsKept) {
    engine::logRun("Grüße → 東京");
    const QStringList lines = linesOf(read("log.txt"));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith(QString::fromUtf8(") Grüße → 東京")));
}

TEST(ErrorLine, ComposesNumberDescriptionAndContext) {
    EXPECT_EQ(engine::errorLine(engine::kOverflow, "Number Normalize: 12%1"),
              QString("Error 6 (Overflow) Number Normalize: 12%1"));
}

}  // namespace
