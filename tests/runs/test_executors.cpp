#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "runs/executors.h"
#include "runs/rename.h"
#include "runs/runreport.h"
#include "runs/runstate.h"
#include "tests/runs/runtestsupport.h"
#include "tests/support/tempdir.h"

namespace {

namespace fs = std::filesystem;

using testsupport::RecordingReport;

using testsupport::contentsOf;
using testsupport::treeOf;

runs::NamingOptions replaceOptions(const QString& find, const QString& replace) {
    runs::NamingOptions options;
    options.options.replace.find = find;
    options.options.replace.replace = replace;
    return options;
}

class ExecutorTest : public testing::Test {
protected:
    void SetUp() override {}

    // Creates the files (with their names as contents) and folders, and returns the work
    // lists as a folder read gives them: files and directories as full paths, a directory
    // after its parent.
    void populate(const QStringList& dirs, const QStringList& files) {
        for (const QString& d : dirs) {
            dir_.mkdir(d.toStdString());
            dirs_.append(folder_ + d);
        }
        for (const QString& f : files) {
            dir_.write(f.toStdString(), f.toStdString());
            files_.append(folder_ + f);
        }
        contentsBefore_ = contentsOf(dir_.path());
    }
    void run(runs::NamingMode mode, const runs::NamingOptions& options,
             runs::WalkKinds kinds = {}) {
        runs::setProgressMaximum(ctx_, runs::walkCount(mode, files_, dirs_, kinds));
        runs::executeNaming(ctx_, mode, options, files_, dirs_, kinds);
        EXPECT_EQ(contentsOf(dir_.path()), contentsBefore_) << "a run lost or changed content";
    }

    testsupport::TempDir dir_;
    testsupport::ProgramFolder program_;
    const QString folder_ = QString::fromStdString(dir_.path()) + "/";
    QStringList files_;
    QStringList dirs_;
    std::multiset<std::string> contentsBefore_;
    runs::RunState state_;
    RecordingReport report_;
    QStringList captions_;
    runs::RunContext ctx_{.state = state_,
                          .report = report_,
                          .setCaption = [this](const QString& text) { captions_.append(text); }};
};

TEST_F(ExecutorTest, ReplaceRenamesContentsBeforeTheirDirectories) {
    populate({"a", "a/a", "b"}, {"a.txt", "b.txt", "a/a/a.txt"});
    state_.lastRunChangedAttributes = true;
    run(runs::NamingMode::Replace, replaceOptions("a", "x"));

    EXPECT_EQ(treeOf(dir_.path()), (std::map<std::string, std::string>{{"x", "<dir>"},
                                                                       {"x/x", "<dir>"},
                                                                       {"x/x/x.txt", "a/a/a.txt"},
                                                                       {"b", "<dir>"},
                                                                       {"x.txt", "a.txt"},
                                                                       {"b.txt", "b.txt"}}));
    // Files first to last, then directories last to first.
    ASSERT_EQ(state_.undoFiles.size(), 2);
    EXPECT_EQ(state_.undoFiles[0].oldName, "a.txt");
    EXPECT_EQ(state_.undoFiles[1].folder, folder_ + "a/a/");
    ASSERT_EQ(state_.undoDirs.size(), 2);
    EXPECT_EQ(state_.undoDirs[0].folder, folder_ + "a/");
    EXPECT_EQ(state_.undoDirs[1].folder, folder_);
    EXPECT_FALSE(state_.lastRunChangedAttributes);
    EXPECT_EQ(state_.lastRunFileCount, 2);
    EXPECT_EQ(state_.lastRunDirCount, 2);
    EXPECT_EQ(report_.progressValue, 6);
    EXPECT_EQ(captions_.last(), "Status: Renaming... 100%");
}

TEST_F(ExecutorTest, ReplaceFollowsTheNameScope) {
    populate({}, {"data.data"});
    runs::NamingOptions options = replaceOptions("data", "info");
    options.options.scope.processFileExt = false;
    run(runs::NamingMode::Replace, options);
    EXPECT_TRUE(fs::exists(dir_.file("info.data")));
}

TEST_F(ExecutorTest, BatchReplaceAppliesEntriesInOrder) {
    populate({}, {"abc.txt"});
    runs::NamingOptions options;
    options.batchReplaceList = {{"a", "b", 0, 0, 0, 0}, {"b", "c", 0, 0, 1, 0}};
    run(runs::NamingMode::BatchReplace, options);
    // "abc" -> "bbc" -> "cbc" (the second entry replaces one match only).
    EXPECT_TRUE(fs::exists(dir_.file("cbc.txt")));
    EXPECT_EQ(state_.lastRunFileCount, 1);
}

TEST_F(ExecutorTest, BatchReplaceWithAnEmptyListKeepsEveryName) {
    populate({"d"}, {"a.txt", "d/b"});
    const auto before = treeOf(dir_.path());
    run(runs::NamingMode::BatchReplace, runs::NamingOptions{});
    EXPECT_EQ(treeOf(dir_.path()), before);
    EXPECT_EQ(state_.lastRunFileCount + state_.lastRunDirCount, 0);
    EXPECT_TRUE(report_.lines.isEmpty());
}

TEST_F(ExecutorTest, NewNameForIsWhatTheRunGives) {
    runs::NamingOptions batch;
    // Each entry works on the result of the one before.
    batch.batchReplaceList = {{"o", "O", 1, 0, 0, 0}, {"O", "1", 1, 0, 0, 0}};
    const runs::NamingOptions single = replaceOptions("o", "0");
    const struct {
        runs::NamingMode mode;
        const runs::NamingOptions& options;
        const char* name;
        const char* expected;
    } cases[] = {
        {runs::NamingMode::Replace, single, "foo.log", "f00.l0g"},
        {runs::NamingMode::Replace, single, "bar", "bar"},
        {runs::NamingMode::BatchReplace, batch, "Foo.txt", "F11.txt"},
        {runs::NamingMode::DetectType, single, "foo", ""},
        {runs::NamingMode::Enum, single, "foo", ""},
        {runs::NamingMode::None, single, "foo", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(runs::newNameFor(c.mode, c.options, folder_, c.name), c.expected);
    }
}

TEST_F(ExecutorTest, TabsWithoutATransformRenameNothing) {
    populate({"d"}, {"a.txt"});
    const auto before = treeOf(dir_.path());
    for (const auto mode : {runs::NamingMode::DetectType, runs::NamingMode::None}) {
        run(mode, replaceOptions("a", "x"));
    }
    EXPECT_EQ(treeOf(dir_.path()), before);
    EXPECT_EQ(state_.filesRenamedCount, 0);
}

TEST_F(ExecutorTest, Mp3WithoutTheTagLibraryEndsTheRunWithOneLine) {
    populate({"d"}, {"a.mp3", "b.mp3", "c.mp3"});
    ctx_.fileMode = 1;
    runs::NamingOptions options;
    options.options.mp3.pattern = "<TITLE>";
    const auto before = treeOf(dir_.path());
    run(runs::NamingMode::Mp3, options);
    EXPECT_EQ(treeOf(dir_.path()), before);
    const std::string errors = testsupport::readAll(program_.dir().file("errors.txt"));
    EXPECT_NE(errors.find("Error 91 (Object variable or With block variable not set) "
                          "executeMp3: Failed To Execute"),
              std::string::npos)
        << errors;
    EXPECT_EQ(errors.find("executeMp3", errors.find("executeMp3") + 1), std::string::npos);
    EXPECT_EQ(state_.lastRunFileCount, 0);
    EXPECT_EQ(state_.lastRunDirCount, 0);
    // Nothing leaves the Free Select list: the item that failed and those after it stay.
    EXPECT_EQ(state_.dragDropRefillFiles, files_);
    EXPECT_EQ(state_.dragDropRefillDirs, dirs_);
}

TEST_F(ExecutorTest, FormatWithAnEmptyPatternKeepsEveryName) {
    populate({"d"}, {"a.txt"});
    const auto before = treeOf(dir_.path());
    run(runs::NamingMode::Format, runs::NamingOptions{});
    EXPECT_EQ(treeOf(dir_.path()), before);
    EXPECT_EQ(state_.filesRenamedCount + state_.dirsRenamedCount, 0);
}

TEST_F(ExecutorTest, CollisionsInARunAreWarningsAndLoseNothing) {
    populate({}, {"a1", "a2", "b1"});
    // a1 -> b1 collides, a2 -> b2 works.
    run(runs::NamingMode::Replace, replaceOptions("a", "b"));
    EXPECT_EQ(state_.warningCount, 1);
    EXPECT_EQ(state_.lastRunFileCount, 1);
    EXPECT_EQ(testsupport::readAll(dir_.file("a1")), "a1");
    EXPECT_EQ(testsupport::readAll(dir_.file("b1")), "b1");
    EXPECT_EQ(testsupport::readAll(dir_.file("b2")), "a2");
}

TEST_F(ExecutorTest, CaseOnlyRun) {
    populate({}, {"readme.txt"});
    runs::NamingOptions options = replaceOptions("readme", "README");
    options.options.replace.caseSensitive = 1;
    run(runs::NamingMode::Replace, options);
    EXPECT_EQ(treeOf(dir_.path()),
              (std::map<std::string, std::string>{{"README.txt", "readme.txt"}}));
}

TEST_F(ExecutorTest, SimulationTouchesNothing) {
    populate({"ad"}, {"a.txt", "ad/a2"});
    const auto before = treeOf(dir_.path());
    state_.simulationMode = true;
    run(runs::NamingMode::Replace, replaceOptions("a", "b<\\>"));
    EXPECT_EQ(treeOf(dir_.path()), before);
    EXPECT_EQ(state_.lastRunFileCount, 2);
    EXPECT_EQ(state_.lastRunDirCount, 1);
    EXPECT_EQ(captions_.first(), "Status: Simulating... 33%");
}

TEST_F(ExecutorTest, OnlySelectedRenamesTheSelectionAndKeepsTheRest) {
    populate({"d1", "d2"}, {"a1", "a2", "a3"});
    ctx_.fileMode = 1;
    state_.onlySelectedInForce = true;
    state_.selectedSnapshot = {folder_ + "a1", folder_ + "a3", folder_ + "d2"};
    run(runs::NamingMode::Replace, replaceOptions("1", "9"));
    // a1 -> a9; a3 has no "1"; d2 -> d9? no "1" either; d1 not selected.
    EXPECT_TRUE(fs::exists(dir_.file("a9")));
    EXPECT_TRUE(fs::exists(dir_.file("d1")));
    EXPECT_EQ(state_.lastRunFileCount, 1);
    EXPECT_EQ(state_.lastRunDirCount, 0);
    // Every entry stepped the bar; left-out items (directories too) keep their place in the
    // Free Select list, and so do the walked ones.
    EXPECT_EQ(report_.progressValue, 5);
    EXPECT_EQ(state_.dragDropRefillFiles,
              QStringList({folder_ + "a9", folder_ + "a2", folder_ + "a3", folder_ + "d1"}));
    EXPECT_EQ(state_.dragDropRefillDirs, QStringList{folder_ + "d2"});

    // The undo lets every item pass and appends nothing.
    state_.undoInProgress = true;
    EXPECT_TRUE(runs::isIncluded(ctx_, folder_ + "a2"));
    EXPECT_EQ(state_.dragDropRefillFiles.size(), 4);
}

TEST_F(ExecutorTest, IsIncludedComparesWholePathsExactly) {
    state_.onlySelectedInForce = true;
    state_.selectedSnapshot = {folder_ + "Photo", QString()};
    EXPECT_TRUE(runs::isIncluded(ctx_, folder_ + "Photo"));
    EXPECT_FALSE(runs::isIncluded(ctx_, folder_ + "photo"));
    EXPECT_FALSE(runs::isIncluded(ctx_, folder_ + "Photo 2"));
    // The Directory source keeps no refill list.
    EXPECT_TRUE(state_.dragDropRefillFiles.isEmpty());
    // A new selection snapshot is seen.
    state_.selectedSnapshot = {folder_ + "photo"};
    EXPECT_TRUE(runs::isIncluded(ctx_, folder_ + "photo"));
    state_.onlySelectedInForce = false;
    EXPECT_TRUE(runs::isIncluded(ctx_, folder_ + "anything"));
}

TEST_F(ExecutorTest, CancelLeavesBothLoopsAndKeepsTheUnwalkedItems) {
    populate({"ad"}, {"a1", "a2", "a3", "a4"});
    ctx_.fileMode = 1;
    report_.onEvents = [this] {
        if (state_.filesRenamedCount == 2) {
            state_.cancelRequested = true;
        }
    };
    run(runs::NamingMode::Replace, replaceOptions("a", "b"));

    EXPECT_EQ(treeOf(dir_.path()),
              (std::map<std::string, std::string>{
                  {"b1", "a1"}, {"b2", "a2"}, {"a3", "a3"}, {"a4", "a4"}, {"ad", "<dir>"}}));
    EXPECT_EQ(state_.lastRunFileCount, 2);
    EXPECT_EQ(state_.lastRunDirCount, 0);
    // The entry after which the cancel was seen got no step.
    EXPECT_EQ(report_.progressValue, 1);
    EXPECT_EQ(state_.dragDropRefillFiles,
              QStringList({folder_ + "b1", folder_ + "b2", folder_ + "a3", folder_ + "a4"}));
    EXPECT_EQ(state_.dragDropRefillDirs, QStringList{folder_ + "ad"});
}

TEST_F(ExecutorTest, CancelInTheDirectoryLoop) {
    populate({"a1", "a2", "a3"}, {});
    ctx_.fileMode = 1;
    // Cancel is pressed while the first directory is renamed.
    int yields = 0;
    report_.onEvents = [this, &yields] {
        if (++yields == 1) {
            state_.cancelRequested = true;
        }
    };
    run(runs::NamingMode::Replace, replaceOptions("a", "b"));
    EXPECT_TRUE(fs::exists(dir_.file("b3")));
    EXPECT_EQ(state_.lastRunDirCount, 1);
    EXPECT_EQ(state_.dragDropRefillDirs,
              QStringList({folder_ + "b3", folder_ + "a1", folder_ + "a2"}));
}

TEST_F(ExecutorTest, FilesOnlyWalksKeepTheDirectoriesInFreeSelect) {
    populate({"d"}, {"a"});
    ctx_.fileMode = 1;
    runs::setProgressMaximum(ctx_, 5);
    // A files-only mode, and a run whose driver left files out.
    runs::executeNaming(ctx_, runs::NamingMode::DetectType, {}, files_, dirs_);
    EXPECT_EQ(state_.dragDropRefillFiles, QStringList{folder_ + "a"});
    EXPECT_EQ(state_.dragDropRefillDirs, QStringList{folder_ + "d"});
    EXPECT_EQ(state_.lastRunDirCount, 0);
    EXPECT_EQ(ctx_.progressValue, 1);

    state_.dragDropRefillFiles.clear();
    state_.dragDropRefillDirs.clear();
    runs::executeNaming(ctx_, runs::NamingMode::Replace, replaceOptions("d", "e"), files_, dirs_,
                        {.files = false, .dirs = true});
    EXPECT_EQ(state_.dragDropRefillFiles, QStringList{folder_ + "a"});
    EXPECT_EQ(state_.dragDropRefillDirs, QStringList{folder_ + "e"});
}

TEST_F(ExecutorTest, WalkCountFollowsModeAndKinds) {
    const QStringList files{"/a", "/b", "/c"};
    const QStringList dirs{"/d", "/e"};
    EXPECT_EQ(runs::walkCount(runs::NamingMode::Replace, files, dirs), 5);
    EXPECT_EQ(runs::walkCount(runs::NamingMode::DetectType, files, dirs), 3);
    EXPECT_EQ(runs::walkCount(runs::NamingMode::Replace, files, dirs, {.files = false}), 2);
    EXPECT_EQ(runs::walkCount(runs::NamingMode::Mp3, {}, dirs), 0);
}

TEST_F(ExecutorTest, EmptySourceCopiesZeroCounts) {
    state_.lastRunFileCount = 7;
    state_.lastRunDirCount = 7;
    run(runs::NamingMode::Replace, replaceOptions("a", "b"));
    EXPECT_EQ(state_.lastRunFileCount, 0);
    EXPECT_EQ(state_.lastRunDirCount, 0);
    EXPECT_TRUE(captions_.isEmpty());
}

TEST_F(ExecutorTest, ProgressNeverPassesItsMaximumNorDividesByZero) {
    runs::setProgressMaximum(ctx_, 0);
    runs::updateProgress(ctx_);
    EXPECT_EQ(ctx_.progressValue, 0);
    EXPECT_EQ(captions_.last(), "Status: Renaming... 100%");

    runs::setProgressMaximum(ctx_, 3);
    EXPECT_EQ(report_.progressMaximum, 3);
    EXPECT_EQ(report_.progressValue, 0);
    const QStringList expected{"33%", "66%", "100%", "100%"};
    for (const QString& percent : expected) {
        runs::updateProgress(ctx_);
        EXPECT_EQ(captions_.last(), "Status: Renaming... " + percent);
    }
    EXPECT_EQ(report_.progressValue, 3);
    EXPECT_EQ(ctx_.progressValue, 3);
}

}  // namespace
