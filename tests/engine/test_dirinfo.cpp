#include <gtest/gtest.h>

#include <QString>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "engine/dirinfo.h"
#include "tests/support/fifoguard.h"
#include "tests/support/tempdir.h"

namespace {

class DirInfoTest : public testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("QUENZA_PROGRAM_DIR");
        saved_ = old ? old : "";
        setenv("QUENZA_PROGRAM_DIR", program_.path().c_str(), 1);
    }
    void TearDown() override { setenv("QUENZA_PROGRAM_DIR", saved_.c_str(), 1); }

    QString path(const std::string& name) const { return QString::fromStdString(dir_.file(name)); }
    std::string errors() const { return testsupport::readAll(program_.file("errors.txt")); }

    testsupport::TempDir dir_;
    testsupport::TempDir program_;
    std::string saved_;
};

TEST_F(DirInfoTest, CountsDirectlyAndInTheWholeSubtree) {
    dir_.mkdir("top");
    dir_.write("top/a", std::string(10, 'a'));
    dir_.write("top/.hidden", std::string(20, 'b'));
    dir_.mkdir("top/sub");
    dir_.write("top/sub/c", std::string(5, 'c'));
    dir_.mkdir("top/sub/empty");
    const std::string locked = dir_.write("top/sub/locked", "1");
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);

    engine::DirInfo record;
    int yields = 0;
    ASSERT_TRUE(engine::getDirInfo(path("top"), record, [&yields] { ++yields; }));
    EXPECT_EQ(record.path, path("top"));
    EXPECT_EQ(record.files, 2);
    EXPECT_EQ(record.dirs, 1);
    EXPECT_EQ(record.size, 30);
    EXPECT_EQ(record.subFiles, 4);
    EXPECT_EQ(record.subDirs, 2);
    EXPECT_EQ(record.subSize, 36);
    // One after each of the six entries and one after each folder but the last.
    EXPECT_EQ(yields, 6 + 2);

    // The record answers again without walking: a change since is not seen.
    dir_.write("top/new", "x");
    ASSERT_TRUE(engine::getDirInfo(path("top"), record, {}));
    EXPECT_EQ(record.files, 2);
}

TEST_F(DirInfoTest, FilesMissingItemsAndEmptyFolders) {
    dir_.write("file.txt", "x");
    engine::DirInfo record;
    EXPECT_FALSE(engine::getDirInfo(path("file.txt"), record, {}));
    EXPECT_EQ(record.path, "");
    EXPECT_FALSE(engine::getDirInfo(path("missing"), record, {}));
    dir_.mkdir("empty");
    ASSERT_TRUE(engine::getDirInfo(path("empty"), record, {}));
    EXPECT_EQ(record.subFiles + record.subDirs + record.subSize, 0);
}

TEST_F(DirInfoTest, LinksAreNeverEntered) {
    testsupport::TempDir outside;
    outside.write("far", std::string(1000, 'f'));
    dir_.mkdir("top");
    dir_.write("top/a", "12");
    ASSERT_EQ(::symlink(outside.path().c_str(), dir_.file("top/out").c_str()), 0);
    ASSERT_EQ(::symlink("..", dir_.file("top/cycle").c_str()), 0);
    ASSERT_EQ(::symlink(".", dir_.file("top/self").c_str()), 0);

    engine::DirInfo record;
    ASSERT_TRUE(engine::getDirInfo(path("top"), record, {}));
    // The links count as entries of no length; nothing behind them is counted.
    EXPECT_EQ(record.subDirs, 0);
    EXPECT_EQ(record.subFiles, 4);
    EXPECT_EQ(record.subSize, 2);
    // A link to a folder, as the item, is not a folder.
    EXPECT_FALSE(engine::getDirInfo(path("top/out"), record, {}));
}

TEST_F(DirInfoTest, AFolderThatCannotBeReadFailsTheCount) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads every folder";
    }
    dir_.mkdir("top");
    const std::string closed = dir_.mkdir("top/closed");
    ASSERT_EQ(::chmod(closed.c_str(), 0), 0);
    engine::DirInfo record;
    EXPECT_FALSE(engine::getDirInfo(path("top"), record, {}));
    EXPECT_EQ(record.path, "");
    EXPECT_NE(errors().find("getDirInfo: DIR=" + dir_.file("top")), std::string::npos);
    ::chmod(closed.c_str(), 0700);
}

TEST_F(DirInfoTest, HtmlTitles) {
    const struct {
        const char* name;
        const char* content;
        const char* title;
    } cases[] = {
        {"page.html", "<html><head><TITLE>My Page</TITLE></head>", "My Page"},
        {"tabs.htm", "<title>\t a\tb </title>", "  a b "},
        {"lines.txt", "<Title>one\r\ntwo</tITLE>", "onetwo"},
        {"empty.php", "<title></title>", ""},
        {"backwards.xml", "</title>x<title>", ""},
        {"attribute.asp", "<title lang=en>x</title>", ""},
        {"nothing.cgi", "", ""},
        {"page.HTML", "<title>Upper</title>", "Upper"},
        {"page.shtml", "<title>S</title>", "S"},
        {"page.aspx", "<title>no</title>", ""},
        {"page.jsp", "<title>no</title>", ""},
        {"latin.html", "<title>caf\xe9</title>", "caf\xc3\xa9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir_.write(c.name, c.content);
        EXPECT_EQ(engine::getHtmlTitle(path(c.name), 2048), QString::fromUtf8(c.title));
    }
    // Only the first bytes are searched.
    dir_.write("long.html", "<title>" + std::string(3000, 'x') + "</title>");
    EXPECT_EQ(engine::getHtmlTitle(path("long.html"), 2048), "");
    EXPECT_EQ(engine::getHtmlTitle(path("missing.html"), 2048), "");
    dir_.mkdir("folder.html");
    EXPECT_EQ(engine::getHtmlTitle(path("folder.html"), 2048), "");
}

TEST_F(DirInfoTest, AFifoNamedLikeAPageIsNeverOpened) {
    const std::string fifo = dir_.file("pipe.html");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    QString title = "unset";
    EXPECT_TRUE(testsupport::returnsWithoutHangingOn(
        fifo, false, [&] { title = engine::getHtmlTitle(QString::fromStdString(fifo), 2048); }));
    EXPECT_EQ(title, "");
}

}  // namespace
