// The undo after the user swapped a folder of the run for a link to a folder outside ("victim"):
// a sub-folder a rename moved a file into, a directory the run renamed, a folder the run
// created. The undo never renames, moves or removes anything through such a link: the item
// stays where it is with a warning line, and nothing in the victim folder changes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "engine/log.h"
#include "tests/runs/driverharness.h"

namespace {

using testsupport::DriverHarness;
using testsupport::TempDir;
using testsupport::Tree;

using testsupport::joined;

class UndoThroughLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine::setErrorsLogged(false);
        tree_ = dir_.mkdir("tree");
        dir_.mkdir("out");
        victim_ = dir_.mkdir("out/victim");
    }

    // Moves the folder `inTree` (relative to tree/) out of the way and puts a link to the
    // victim folder in its place, as a user (or another program) may do between run and undo.
    void swapForLink(const std::string& inTree, const std::string& movedTo) {
        const std::string path = tree_ + "/" + inTree;
        ASSERT_EQ(std::rename(path.c_str(), dir_.file(movedTo).c_str()), 0);
        ASSERT_EQ(::symlink(victim_.c_str(), path.c_str()), 0);
    }

    void expectVictimUnchanged(const Tree& before) {
        const Tree now = testsupport::snapshotTree(victim_);
        EXPECT_EQ(now, before) << "before:\n"
                               << testsupport::describe(before) << "after:\n"
                               << testsupport::describe(now) << joined(h_.lines());
    }

    TempDir dir_;
    DriverHarness h_;
    std::string tree_;
    std::string victim_;
};

// Replace "a" by "sub<\>a" moved a.txt into the new folder sub; sub is then a link.
TEST_F(UndoThroughLinkTest, AFileIsNotMovedBackThroughASubfolderThatBecameALink) {
    testsupport::writeFile(dir_, "tree/a.txt", "mine");
    testsupport::writeFile(dir_, "out/victim/a.txt", "VICTIM");
    h_.loadFolder(tree_);
    testsupport::replaceNames(h_.inputs, QStringLiteral("a"), QStringLiteral("sub<\\>a"), true);
    h_.run();
    ASSERT_EQ(testsupport::readAll(tree_ + "/sub/a.txt"), "mine") << joined(h_.lines());

    swapForLink("sub", "out/moved-sub");
    const Tree victimBefore = testsupport::snapshotTree(victim_);
    ASSERT_TRUE(h_.undo());

    expectVictimUnchanged(victimBefore);
    EXPECT_EQ(testsupport::readAll(dir_.file("out/moved-sub/a.txt")), "mine");
    EXPECT_FALSE(platform::fs::exists(tree_ + "/a.txt"));
    const QStringList warned =
        h_.lines().filter(QStringLiteral("WARNING: Couldn't rename file <sub/a.txt> as <a.txt> "));
    ASSERT_EQ(warned.size(), 1) << joined(h_.lines());
    EXPECT_TRUE(warned.first().contains(QStringLiteral("symbolic link"))) << joined(warned);
    // The created folder is the link now: it stays, with its warning.
    EXPECT_TRUE(h_.lines().contains(QStringLiteral("WARNING: Failed to delete directory <") +
                                    h_.folder + QStringLiteral("sub>")))
        << joined(h_.lines());
    EXPECT_TRUE(platform::fs::isSymbolicLink(tree_ + "/sub"));
}

// A recursive run renamed aD to bD and aD/a.txt to b.txt; bD is then a link to the victim
// folder, which holds a b.txt of its own.
TEST_F(UndoThroughLinkTest, AFileIsNotRenamedBackInARenamedFolderThatBecameALink) {
    dir_.mkdir("tree/aD");
    testsupport::writeFile(dir_, "tree/aD/a.txt", "mine");
    testsupport::writeFile(dir_, "out/victim/b.txt", "VICTIM");
    h_.setFolder(tree_);
    h_.useFreeSelect({h_.folder + "aD/a.txt"}, {h_.folder + "aD"});
    testsupport::replaceNames(h_.inputs, QStringLiteral("a"), QStringLiteral("b"), true);
    h_.inputs.dirsTicked = true;
    h_.run();
    ASSERT_EQ(testsupport::readAll(tree_ + "/bD/b.txt"), "mine") << joined(h_.lines());

    swapForLink("bD", "out/moved-bD");
    const Tree victimBefore = testsupport::snapshotTree(victim_);
    ASSERT_TRUE(h_.undo());

    expectVictimUnchanged(victimBefore);
    EXPECT_EQ(testsupport::readAll(dir_.file("out/moved-bD/b.txt")), "mine");
    const QStringList warned =
        h_.lines().filter(QStringLiteral("WARNING: Couldn't rename file <b.txt> as <a.txt> "));
    ASSERT_EQ(warned.size(), 1) << joined(h_.lines());
    EXPECT_GE(h_.state.warningCount, 1);
}

// A run created 2003/Jan; 2003 is then a link to the victim folder, which holds an empty Jan.
TEST_F(UndoThroughLinkTest, ACreatedFolderIsNotRemovedThroughALink) {
    testsupport::writeFile(dir_, "tree/x.txt", "mine");
    h_.loadFolder(tree_);
    testsupport::replaceNames(h_.inputs, QStringLiteral("x"), QStringLiteral("2003<\\>Jan<\\>x"),
                              true);
    h_.run();
    ASSERT_EQ(testsupport::readAll(tree_ + "/2003/Jan/x.txt"), "mine") << joined(h_.lines());

    swapForLink("2003", "out/moved-2003");
    dir_.mkdir("out/victim/Jan");
    const Tree victimBefore = testsupport::snapshotTree(victim_);
    ASSERT_TRUE(h_.undo());

    expectVictimUnchanged(victimBefore);
    EXPECT_TRUE(platform::fs::isDirectory(victim_ + "/Jan"));
    EXPECT_TRUE(h_.lines().filter(QStringLiteral("Deleted directory: ")).isEmpty())
        << joined(h_.lines());
    for (const char* created : {"2003/Jan", "2003"}) {
        EXPECT_TRUE(h_.lines().contains(QStringLiteral("WARNING: Failed to delete directory <") +
                                        h_.folder + QString::fromUtf8(created) + QLatin1Char('>')))
            << created << "\n"
            << joined(h_.lines());
    }
    EXPECT_EQ(testsupport::readAll(dir_.file("out/moved-2003/Jan/x.txt")), "mine");
}

// The same folder reached through another path is still that folder: an undo after the user
// renamed the chosen folder back and forth, or reached it through a link of its own, works.
TEST_F(UndoThroughLinkTest, TheChosenFolderReachedThroughALinkOfTheUsersIsTheSameFolder) {
    testsupport::writeFile(dir_, "tree/a.txt", "mine");
    const std::string through = dir_.file("through");
    ASSERT_EQ(::symlink(tree_.c_str(), through.c_str()), 0);
    h_.loadFolder(through);
    const Tree before = testsupport::snapshotTree(tree_);
    testsupport::replaceNames(h_.inputs, QStringLiteral("a"), QStringLiteral("new<\\>b"), true);
    h_.run();
    ASSERT_EQ(testsupport::readKeepingAccessTime(tree_ + "/new/b.txt"), "mine")
        << joined(h_.lines());

    ASSERT_TRUE(h_.undo());
    EXPECT_EQ(testsupport::snapshotTree(tree_), before) << joined(h_.lines());
    EXPECT_EQ(h_.state.warningCount, 0) << joined(h_.lines());
}

}  // namespace
