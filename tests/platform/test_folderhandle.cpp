#include "platform/folderhandle.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/filesystem.h"
#include "tests/support/tempdir.h"

namespace {

namespace fs = platform::fs;
using testsupport::readAll;
using testsupport::TempDir;

fs::FolderId idOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// tree/ with a folder, a file, a link to a folder outside and a dangling link; out/ beside it.
class FolderHandleTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree_ = dir_.mkdir("tree");
        outside_ = dir_.mkdir("out");
        dir_.mkdir("tree/sub");
        dir_.write("tree/file", "f");
        ASSERT_EQ(::symlink(outside_.c_str(), dir_.file("tree/link").c_str()), 0);
        ASSERT_EQ(::symlink("nowhere", dir_.file("tree/dangling").c_str()), 0);
    }
    fs::FolderHandle tree() {
        auto opened = fs::FolderHandle::open(tree_);
        EXPECT_TRUE(opened.ok()) << opened.reason();
        return std::move(opened).value();
    }

    TempDir dir_;
    std::string tree_;
    std::string outside_;
};

TEST_F(FolderHandleTest, AWalkStopsAtEveryLevelThatIsNoFolderOfItsOwn) {
    struct Case {
        std::vector<std::string> levels;
        fs::LevelStop stop;
        std::size_t stoppedAt;
    };
    const Case cases[] = {
        {{"sub"}, fs::LevelStop::None, 1},
        {{}, fs::LevelStop::None, 0},
        {{"link"}, fs::LevelStop::Link, 0},
        {{"sub", "..", "link"}, fs::LevelStop::Failed, 1},
        {{"dangling"}, fs::LevelStop::Link, 0},
        {{"file"}, fs::LevelStop::NotFolder, 0},
        {{"sub", "missing"}, fs::LevelStop::Missing, 1},
        {{"a/b"}, fs::LevelStop::Failed, 0},
    };
    const fs::FolderHandle base = tree();
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.levels));
        const fs::Descent walked = fs::descend(base, c.levels);
        EXPECT_EQ(walked.stop, c.stop) << walked.reason;
        EXPECT_EQ(walked.stoppedAt, c.stoppedAt);
        EXPECT_EQ(walked.folder.has_value(), c.stop == fs::LevelStop::None);
        if (c.stop == fs::LevelStop::Link) {
            EXPECT_NE(walked.reason.find("symbolic link"), std::string::npos) << walked.reason;
        }
    }
}

TEST_F(FolderHandleTest, AWalkCreatesMissingLevelsButNeverBelowALink) {
    const fs::FolderHandle base = tree();
    std::vector<std::size_t> made;
    std::vector<fs::FolderId> ids;
    const auto created = [&](std::size_t index, fs::FolderId id) {
        made.push_back(index);
        ids.push_back(id);
    };
    const fs::Descent walked = fs::descend(base, {"sub", "2003", "Jan"}, created);
    ASSERT_TRUE(walked.folder.has_value()) << walked.reason;
    EXPECT_EQ(made, (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(ids.back(), idOf(tree_ + "/sub/2003/Jan"));
    EXPECT_EQ(walked.folder->id(), ids.back());

    made.clear();
    const fs::Descent refused = fs::descend(base, {"link", "new"}, created);
    EXPECT_EQ(refused.stop, fs::LevelStop::Link);
    EXPECT_TRUE(made.empty());
    EXPECT_TRUE(testsupport::entriesOf(outside_).empty());
}

// A handle stays on its folder: swapping the path for a link afterwards redirects nothing.
TEST_F(FolderHandleTest, ARenameOnHandlesActsInTheFolderThatWasOpened) {
    dir_.write("tree/sub/a.txt", "mine");
    dir_.write("out/a.txt", "OUTSIDE");
    const fs::FolderHandle base = tree();
    fs::Descent sub = fs::descend(base, {"sub"});
    ASSERT_TRUE(sub.folder.has_value());
    ASSERT_EQ(std::rename((tree_ + "/sub").c_str(), dir_.file("moved").c_str()), 0);
    ASSERT_EQ(::symlink(outside_.c_str(), (tree_ + "/sub").c_str()), 0);

    EXPECT_TRUE(fs::renameNoReplace(*sub.folder, "a.txt", *sub.folder, "b.txt").ok());
    EXPECT_EQ(readAll(dir_.file("moved/b.txt")), "mine");
    EXPECT_EQ(testsupport::entriesOf(outside_), std::vector<std::string>{"a.txt"});
    // Out of the folder and into another one, and never over an existing name.
    EXPECT_TRUE(fs::renameNoReplace(*sub.folder, "b.txt", base, "c.txt").ok());
    EXPECT_EQ(readAll(tree_ + "/c.txt"), "mine");
    const platform::Status taken = fs::renameNoReplace(base, "c.txt", base, "file");
    EXPECT_FALSE(taken.ok());
    EXPECT_EQ(readAll(tree_ + "/file"), "f");
    EXPECT_FALSE(fs::renameNoReplace(base, "c.txt", base, "sub/c.txt").ok());
    EXPECT_FALSE(fs::renameNoReplace(base, "../out/a.txt", base, "x").ok());
    EXPECT_EQ(readAll(outside_ + "/a.txt"), "OUTSIDE");
}

TEST_F(FolderHandleTest, RemovingAFolderTakesOnlyThatEmptyFolder) {
    dir_.mkdir("tree/made");
    dir_.mkdir("out/empty");
    const fs::FolderId made = idOf(tree_ + "/made");
    const fs::FolderHandle base = tree();

    EXPECT_FALSE(fs::removeFolder(base, "link", {}).ok());
    EXPECT_TRUE(platform::fs::isSymbolicLink(tree_ + "/link"));
    EXPECT_FALSE(fs::removeFolder(base, "file", {}).ok());
    EXPECT_FALSE(fs::removeFolder(base, "sub", made).ok());  // another folder than the one made
    EXPECT_TRUE(platform::fs::isDirectory(tree_ + "/sub"));
    dir_.write("tree/sub/x", "x");
    EXPECT_FALSE(fs::removeFolder(base, "sub", {}).ok());  // not empty
    EXPECT_TRUE(fs::removeFolder(base, "made", made).ok());
    EXPECT_FALSE(platform::fs::exists(tree_ + "/made"));
    EXPECT_TRUE(platform::fs::isDirectory(outside_ + "/empty"));
}

TEST(PathLevels, SplitsAtEverySeparatorAndDropsEmptyLevels) {
    EXPECT_EQ(fs::pathLevels("2003/Jan/a.txt"), (std::vector<std::string>{"2003", "Jan", "a.txt"}));
    EXPECT_EQ(fs::pathLevels("a.txt"), (std::vector<std::string>{"a.txt"}));
    EXPECT_EQ(fs::pathLevels("/a//b/"), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(fs::pathLevels("").empty());
}

}  // namespace

namespace {

// What a run's walk gives for each folder of a tree: below the root only real folders, never
// through a link, nothing outside; without a root, each folder as given.
TEST_F(FolderHandleTest, ARunsWalkEntersOnlyRealFoldersBelowItsRoot) {
    dir_.mkdir("tree/sub/deep");
    struct Case {
        std::string root;
        std::string folder;
        bool opened;
        std::string reasonHas;
    };
    const std::string tree = tree_ + "/";
    const Case cases[] = {
        {tree, tree, true, ""},
        {tree, tree + "sub/", true, ""},
        {tree, tree + "sub/deep", true, ""},
        {tree, tree + "link/", false, "symbolic link"},
        {tree, tree + "dangling/", false, "symbolic link"},
        {tree, tree + "file/", false, "not a folder"},
        {tree, tree + "missing/", false, "missing"},
        {tree, outside_ + "/", false, "outside the chosen folder"},
        {tree, tree + "sub/../link/", false, "cannot be a sub-folder"},
        {"", tree + "link/", true, ""},
    };
    for (const Case& c : cases) {
        fs::FolderWalk walk(c.root);
        const auto opened = walk.open(c.folder);
        EXPECT_EQ(opened.ok(), c.opened) << c.folder << ": " << opened.reason();
        if (opened) {
            EXPECT_EQ((*opened)->id(), idOf(c.folder + "/.")) << c.folder;
        } else {
            EXPECT_NE(opened.reason().find(c.reasonHas), std::string::npos)
                << c.folder << ": " << opened.reason();
        }
    }
}

// A folder walked once is kept for the next items in it; the run forgets it when it renames the
// folder, and a later item under the old path is walked afresh.
TEST_F(FolderHandleTest, ARunsWalkKeepsAFolderUntilItIsForgotten) {
    dir_.mkdir("tree/sub/deep");
    fs::FolderWalk walk(tree_);
    const auto first = walk.open(tree_ + "/sub/deep/");
    ASSERT_TRUE(first.ok()) << first.reason();
    const fs::FolderId deep = (*first)->id();

    ASSERT_EQ(std::rename(dir_.file("tree/sub").c_str(), dir_.file("out/sub").c_str()), 0);
    ASSERT_EQ(::symlink(outside_.c_str(), dir_.file("tree/sub").c_str()), 0);
    const auto kept = walk.open(tree_ + "/sub/deep");
    ASSERT_TRUE(kept.ok());
    EXPECT_EQ((*kept)->id(), deep);

    walk.forget(tree_ + "/sub/");
    const auto again = walk.open(tree_ + "/sub/deep/");
    ASSERT_FALSE(again.ok());
    EXPECT_NE(again.reason().find("symbolic link"), std::string::npos) << again.reason();
}

// The attribute and time services on a folder handle act on the entry of that folder, whatever
// took the folder's path since it was opened, and a link entry is never followed.
TEST_F(FolderHandleTest, EntryServicesActInTheOpenFolderNeverThroughALink) {
    dir_.write("tree/sub/a.txt", "mine");
    dir_.write("out/a.txt", "VICTIM");
    ASSERT_EQ(::symlink(dir_.file("out/a.txt").c_str(), dir_.file("tree/sub/to-victim").c_str()),
              0);
    auto opened = fs::FolderHandle::open(tree_ + "/sub");
    ASSERT_TRUE(opened.ok());
    const int sub = opened->fd();
    // The folder moves away and a link to the outside folder takes its path.
    ASSERT_EQ(std::rename(dir_.file("tree/sub").c_str(), dir_.file("moved").c_str()), 0);
    ASSERT_EQ(::symlink(outside_.c_str(), dir_.file("tree/sub").c_str()), 0);

    struct stat victimBefore {};
    ASSERT_EQ(::lstat(dir_.file("out/a.txt").c_str(), &victimBefore), 0);
    const struct timespec when { 1'000'000'000, 5 };
    ASSERT_TRUE(fs::setFileTimesAt(sub, "a.txt", nullptr, &when, &when).ok());
    ASSERT_TRUE(fs::setPermissionsAt(sub, "a.txt", 0400).ok());
    const platform::Status stored = fs::setAttributesAt(sub, "a.txt", fs::Archive | fs::ReadOnly);

    const auto times = fs::fileTimesAt(sub, "a.txt");
    ASSERT_TRUE(times.ok());
    EXPECT_EQ(times->modified.tv_sec, when.tv_sec);
    EXPECT_EQ(times->modified.tv_nsec, when.tv_nsec);
    const auto state = fs::entryStateAt(sub, "a.txt");
    ASSERT_TRUE(state.ok()) << state.reason();
    EXPECT_EQ(state->kind, fs::Kind::File);
    EXPECT_EQ(state->mode, 0400u);
    if (stored) {
        EXPECT_TRUE(state->hasStoredAttributes);
        EXPECT_EQ(state->attributes & (fs::Archive | fs::ReadOnly), fs::Archive | fs::ReadOnly);
    }

    // The link entry: its own state, refused changes, and its target untouched.
    const auto link = fs::entryStateAt(sub, "to-victim");
    ASSERT_TRUE(link.ok());
    EXPECT_TRUE(link->link);
    EXPECT_FALSE(fs::setAttributesAt(sub, "to-victim", fs::Archive).ok());
    EXPECT_FALSE(fs::setPermissionsAt(sub, "to-victim", 0400).ok());

    struct stat victimAfter {};
    ASSERT_EQ(::lstat(dir_.file("out/a.txt").c_str(), &victimAfter), 0);
    EXPECT_EQ(victimAfter.st_mode, victimBefore.st_mode);
    EXPECT_EQ(victimAfter.st_mtim.tv_sec, victimBefore.st_mtim.tv_sec);
    EXPECT_FALSE(fs::hasStoredAttributes(dir_.file("out/a.txt")));
    EXPECT_EQ(readAll(dir_.file("out/a.txt")), "VICTIM");
}

// A FIFO is examined and given attributes without ever being opened for reading (which would
// wait for a writer).
TEST_F(FolderHandleTest, EntryServicesNeverOpenAFifo) {
    ASSERT_EQ(::mkfifo(dir_.file("tree/fifo").c_str(), 0600), 0);
    auto opened = fs::FolderHandle::open(tree_);
    ASSERT_TRUE(opened.ok());
    const auto state = fs::entryStateAt(opened->fd(), "fifo");
    ASSERT_TRUE(state.ok()) << state.reason();
    EXPECT_EQ(state->kind, fs::Kind::Other);
    EXPECT_FALSE(state->link);
    fs::setAttributesAt(opened->fd(), "fifo", fs::ReadOnly);  // may fail; must not hang
    EXPECT_EQ(fs::entryTimesAt(opened->fd(), "fifo")->kind, fs::Kind::Other);
}

}  // namespace
