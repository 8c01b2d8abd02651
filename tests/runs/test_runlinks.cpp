// A sub-folder of a recursive read swapped for a link to a folder outside ("victim", which
// holds a file of the same name) after the read: before the run acts, or between a run and its
// undo. Neither the rename, the attribute and date runs nor their reversals act through it: the
// item gets a warning line and stays as it is, nothing in the victim folder changes, and the
// other items of the run are done.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <ostream>
#include <set>
#include <string>

#include "engine/log.h"
#include "tests/runs/driverharness.h"

namespace {

using testsupport::DriverHarness;
using testsupport::TempDir;
using testsupport::Tree;

using testsupport::joined;

void attributeRun(DriverHarness& h) {
    h.inputs.mode = runs::NamingMode::None;
    h.inputs.attributeRun = true;
    h.inputs.attrib.optAttrib = 0;
    h.inputs.attrib.chkR = 1;
    h.inputs.attrib.chkA = 1;
}

void dateRun(DriverHarness& h) {
    testsupport::dateRun(h.inputs, false);
}

void renameRun(DriverHarness& h) {
    testsupport::replaceNames(h.inputs, QStringLiteral("a"), QStringLiteral("b"), true);
}

struct LinkCase {
    const char* name;
    std::function<void(DriverHarness&)> choose;
    // The start of the warning line of tree/sub/a.txt, of the run and of its undo.
    QString runWarning;
    QString undoWarning;
};

void PrintTo(const LinkCase& linkCase, std::ostream* out) {
    *out << linkCase.name;
}

const LinkCase kCases[] = {
    {"ARename", renameRun, QStringLiteral("WARNING: Couldn't rename file <a.txt> as <b.txt> "),
     QStringLiteral("WARNING: Couldn't rename file <b.txt> as <a.txt> ")},
    {"AnAttributeRun", attributeRun, QStringLiteral("WARNING! File attribute change failed: a.txt"),
     QStringLiteral("WARNING! File attribute change failed: a.txt")},
    {"ADateRun", dateRun, QStringLiteral("WARNING! Change File Modified Date Failed: a.txt"),
     QStringLiteral("WARNING! Change File Modified Date Failed: a.txt")},
};

class RunThroughLinkTest : public ::testing::TestWithParam<LinkCase> {
protected:
    void SetUp() override {
        engine::setErrorsLogged(false);
        tree_ = dir_.mkdir("tree");
        dir_.mkdir("tree/sub");
        dir_.mkdir("out");
        victim_ = dir_.mkdir("out/victim");
        testsupport::writeFile(dir_, "tree/a0.txt", "other");
        testsupport::writeFile(dir_, "tree/sub/a.txt", "mine");
        testsupport::writeFile(dir_, "out/victim/a.txt", "VICTIM", 100);
        // Bits the undo of the attribute run would clear, were it to reach this file.
        if (!platform::fs::setAttributes(victim_ + "/a.txt",
                                         platform::fs::Archive | platform::fs::ReadOnly)
                 .ok()) {
            GTEST_SKIP() << "the temporary folder keeps no extended attributes";
        }
        h_.recursive = true;
        h_.loadFolder(tree_);
        GetParam().choose(h_);
    }

    // Moves tree/sub out of the way and puts a link to the victim folder in its place.
    void swapForLink() {
        const std::string sub = tree_ + "/sub";
        ASSERT_EQ(std::rename(sub.c_str(), dir_.file("out/moved-sub").c_str()), 0);
        ASSERT_EQ(::symlink(victim_.c_str(), sub.c_str()), 0);
    }

    void expectWarned(const QString& start) {
        const QStringList warned = h_.lines().filter(start);
        ASSERT_EQ(warned.size(), 1) << joined(h_.lines());
        EXPECT_TRUE(warned.first().contains(QStringLiteral("symbolic link")) ||
                    warned.first().contains(QStringLiteral("no longer the folder")))
            << joined(warned);
    }

    TempDir dir_;
    DriverHarness h_;
    std::string tree_;
    std::string victim_;
};

// The read listed tree/sub/a.txt; the swap comes after it, before the run acts.
TEST_P(RunThroughLinkTest, TheRunActsOnNothingThroughASubfolderThatBecameALinkAfterTheRead) {
    const Tree treeBefore = testsupport::snapshotTree(tree_);
    Tree victimBefore;
    bool swapped = false;
    h_.duringRun = [&] {
        swapForLink();
        victimBefore = testsupport::snapshotTree(victim_);
        swapped = true;
    };
    h_.run();
    ASSERT_TRUE(swapped);

    EXPECT_EQ(testsupport::snapshotTree(victim_), victimBefore) << joined(h_.lines());
    EXPECT_EQ(testsupport::readKeepingAccessTime(dir_.file("out/moved-sub/a.txt")), "mine");
    expectWarned(GetParam().runWarning);
    // The item in no linked folder was done all the same.
    const Tree treeAfter = testsupport::snapshotTree(tree_);
    const auto other = treeAfter.find("a0.txt");
    EXPECT_TRUE(other == treeAfter.end() || other->second != treeBefore.at("a0.txt"))
        << joined(h_.lines());
}

// The run changed tree/sub/a.txt; the swap comes between the run and the undo.
TEST_P(RunThroughLinkTest, TheUndoActsOnNothingThroughASubfolderThatBecameALinkAfterTheRun) {
    h_.run();
    ASSERT_EQ(h_.state.warningCount, 0) << joined(h_.lines());
    swapForLink();
    // What the rename's undo would rename back, were it to reach the victim folder.
    testsupport::writeFile(dir_, "out/victim/b.txt", "VICTIM B");
    const Tree victimBefore = testsupport::snapshotTree(victim_);
    ASSERT_TRUE(h_.undo());

    EXPECT_EQ(testsupport::snapshotTree(victim_), victimBefore) << joined(h_.lines());
    // The item stays as the run left it, under its new name after a rename.
    EXPECT_EQ(testsupport::contents(testsupport::snapshotTree(dir_.file("out/moved-sub"))),
              std::multiset<std::string>{"mine"});
    expectWarned(GetParam().undoWarning);
}

INSTANTIATE_TEST_SUITE_P(Runs, RunThroughLinkTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
