#include <gtest/gtest.h>

#include <QPixmap>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "filelists/imagelist.h"
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

class RenameTest : public testing::Test {
protected:
    void SetUp() override {}

    QStringList logLines() const { return program_.logLines(); }
    std::string disk(const std::string& relative) const { return dir_.file(relative); }
    bool onDisk(const std::string& relative) const { return fs::exists(disk(relative)); }

    testsupport::TempDir dir_;
    testsupport::ProgramFolder program_;
    const QString folder_ = QString::fromStdString(dir_.path()) + "/";
    runs::RunState state_;
    RecordingReport report_;
    runs::RunContext ctx_{.state = state_, .report = report_};
};

TEST_F(RenameTest, FileRenameRecordsLineCountLogAndJournal) {
    dir_.write("a.txt", "A");
    ASSERT_TRUE(runs::renameFile(ctx_, "a.txt", "b.txt", folder_));

    EXPECT_FALSE(onDisk("a.txt"));
    EXPECT_EQ(testsupport::readAll(disk("b.txt")), "A");
    EXPECT_EQ(report_.lines, QStringList{"File Renamed: a.txt --> b.txt"});
    EXPECT_EQ(report_.filesCount, 1);
    EXPECT_EQ(report_.filesSuffix, " Files Renamed.");
    EXPECT_EQ(state_.filesRenamedCount, 1);
    EXPECT_EQ(state_.warningCount, 0);
    EXPECT_GE(report_.events, 1);
    // log.txt always carries the folder.
    EXPECT_EQ(logLines(),
              QStringList{"File Renamed: " + folder_ + "a.txt --> " + folder_ + "b.txt"});
    ASSERT_EQ(state_.undoFiles.size(), 1);
    EXPECT_EQ(state_.undoFiles[0].oldName, "a.txt");
    EXPECT_EQ(state_.undoFiles[0].newName, "b.txt");
    EXPECT_EQ(state_.undoFiles[0].folder, folder_);
    EXPECT_TRUE(state_.undoDirs.isEmpty());
}

TEST_F(RenameTest, DirectoryRenameUsesItsOwnTextsCounterAndJournal) {
    dir_.mkdir("old");
    dir_.write("old/inside.txt", "I");
    ctx_.showFullPath = true;
    ASSERT_TRUE(runs::renameDir(ctx_, "old", "new", folder_));

    EXPECT_EQ(testsupport::readAll(disk("new/inside.txt")), "I");
    const QStringList expected{"Directory Renamed: " + folder_ + "old --> " + folder_ + "new"};
    EXPECT_EQ(report_.lines, expected);
    EXPECT_EQ(logLines(), expected);
    EXPECT_EQ(report_.dirsCount, 1);
    EXPECT_EQ(report_.dirsSuffix, " Directories Renamed.");
    EXPECT_EQ(state_.filesRenamedCount, 0);
    ASSERT_EQ(state_.undoDirs.size(), 1);
    EXPECT_EQ(state_.undoDirs[0].oldName, "old");
    EXPECT_EQ(state_.undoDirs[0].newName, "new");
    EXPECT_TRUE(state_.undoFiles.isEmpty());
}

TEST_F(RenameTest, NothingToDoKeepsOnlyTheFreeSelectListComplete) {
    dir_.write("a.txt", "A");
    dir_.mkdir("d");
    ctx_.fileMode = 1;
    for (const QString& newName : {QString(), QString("a.txt")}) {
        EXPECT_FALSE(runs::renameFile(ctx_, "a.txt", newName, folder_));
    }
    EXPECT_FALSE(runs::renameDir(ctx_, "d", "", folder_));
    EXPECT_EQ(state_.dragDropRefillFiles, QStringList({folder_ + "a.txt", folder_ + "a.txt"}));
    EXPECT_EQ(state_.dragDropRefillDirs, QStringList{folder_ + "d"});
    EXPECT_TRUE(report_.lines.isEmpty());
    EXPECT_EQ(state_.filesRenamedCount + state_.dirsRenamedCount + state_.warningCount, 0);
    EXPECT_TRUE(logLines().isEmpty());

    // The undo leaves the refill lists alone.
    state_.undoInProgress = true;
    EXPECT_FALSE(runs::renameFile(ctx_, "a.txt", "a.txt", folder_));
    EXPECT_EQ(state_.dragDropRefillFiles.size(), 2);
}

TEST_F(RenameTest, CollisionNeverReplacesAndCountsAWarning) {
    struct Case {
        const char* name;
        bool sourceIsDir;
        bool targetIsDir;
    } cases[] = {
        {"file onto file", false, false},
        {"file onto directory", false, true},
        {"directory onto file", true, false},
        {"directory onto directory", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        const QString folder = QString::fromStdString(dir.path()) + "/";
        if (c.sourceIsDir) {
            dir.mkdir("src");
            dir.write("src/payload", "source");
        } else {
            dir.write("src", "source");
        }
        if (c.targetIsDir) {
            dir.mkdir("dst");
            dir.write("dst/payload", "target");
        } else {
            dir.write("dst", "target");
        }
        const auto before = treeOf(dir.path());

        runs::RunState state;
        RecordingReport report;
        runs::RunContext ctx{.state = state, .report = report, .fileMode = 1};
        const bool renamed = c.sourceIsDir ? runs::renameDir(ctx, "src", "dst", folder)
                                           : runs::renameFile(ctx, "src", "dst", folder);
        EXPECT_FALSE(renamed);
        EXPECT_EQ(treeOf(dir.path()), before);
        const QString kind = c.sourceIsDir ? "dir" : "file";
        EXPECT_EQ(report.lines, QStringList{"WARNING: Couldn't rename " + kind +
                                            " <src> as <dst> Filename already exists..."});
        EXPECT_EQ(state.warningCount, 1);
        EXPECT_EQ(report.warnings, 1);
        EXPECT_EQ(state.filesRenamedCount + state.dirsRenamedCount, 0);
        EXPECT_TRUE(state.undoFiles.isEmpty() && state.undoDirs.isEmpty());
        // The failed item stays in the Free Select list under its old path.
        const QStringList& refill =
            c.sourceIsDir ? state.dragDropRefillDirs : state.dragDropRefillFiles;
        EXPECT_EQ(refill, QStringList{folder + "src"});
    }
    EXPECT_EQ(logLines().size(), 4);
}

TEST_F(RenameTest, OtherFailuresSayWhy) {
    // The item vanished since the list was read.
    EXPECT_FALSE(runs::renameFile(ctx_, "gone.txt", "new.txt", folder_));
    ASSERT_EQ(report_.lines.size(), 1);
    EXPECT_TRUE(report_.lines[0].startsWith(
        "WARNING: Couldn't rename file <gone.txt> as <new.txt> Skipping... ("))
        << report_.lines[0].toStdString();
    EXPECT_EQ(state_.warningCount, 1);
}

TEST_F(RenameTest, CaseOnlyRenameIsAChange) {
    dir_.write("readme.txt", "R");
    ASSERT_TRUE(runs::renameFile(ctx_, "readme.txt", "README.txt", folder_));
    EXPECT_EQ(treeOf(dir_.path()), (std::map<std::string, std::string>{{"README.txt", "R"}}));
    EXPECT_EQ(state_.filesRenamedCount, 1);
}

TEST_F(RenameTest, ForbiddenCharactersNeverMakeFolders) {
    dir_.write("a.txt", "A");
    ASSERT_TRUE(runs::renameFile(ctx_, "a.txt", "x/y\\z:w?.txt", folder_));
    EXPECT_EQ(treeOf(dir_.path()), (std::map<std::string, std::string>{{"x-y-z-w.txt", "A"}}));
    EXPECT_EQ(state_.undoFiles[0].newName, "x-y-z-w.txt");
    EXPECT_TRUE(state_.createdDirs.isEmpty());
}

TEST_F(RenameTest, MarkersMoveIntoCreatedSubfolders) {
    dir_.write("a.txt", "A");
    QString finalName;
    ASSERT_TRUE(runs::renameFile(ctx_, "a.txt", "2003<\\>Jan<\\>a.txt", folder_, &finalName));

    EXPECT_EQ(finalName, "2003/Jan/a.txt");
    EXPECT_EQ(testsupport::readAll(disk("2003/Jan/a.txt")), "A");
    EXPECT_FALSE(onDisk("a.txt"));
    EXPECT_EQ(report_.lines, QStringList({"Created directory: 2003", "Created directory: /Jan",
                                          "File Renamed: a.txt --> 2003/Jan/a.txt"}));
    EXPECT_EQ(logLines(), QStringList({"Created directory: " + folder_ + "2003",
                                       "Created directory: " + folder_ + "2003/Jan",
                                       "File Renamed: " + folder_ + "a.txt --> " + folder_ +
                                           "2003/Jan/a.txt"}));
    EXPECT_EQ(state_.createdDirs, QStringList({folder_ + "2003", folder_ + "2003/Jan"}));
    EXPECT_EQ(state_.undoFiles[0].newName, "2003/Jan/a.txt");
}

TEST_F(RenameTest, ExistingLevelsAreUsedAndNotRecorded) {
    dir_.mkdir("2003");
    dir_.write("a.txt", "A");
    ASSERT_TRUE(runs::renameFile(ctx_, "a.txt", "2003<\\>Jan<\\>a.txt", folder_));
    EXPECT_EQ(state_.createdDirs, QStringList{folder_ + "2003/Jan"});
    EXPECT_EQ(report_.lines.first(), "Created directory: /Jan");
}

TEST_F(RenameTest, AFileInTheWayOfALevelFailsWithoutLoss) {
    dir_.write("2003", "blocker");
    dir_.write("a.txt", "A");
    const auto before = treeOf(dir_.path());
    EXPECT_FALSE(runs::renameFile(ctx_, "a.txt", "2003<\\>a.txt", folder_));
    EXPECT_EQ(treeOf(dir_.path()), before);
    EXPECT_TRUE(state_.createdDirs.isEmpty());
    EXPECT_EQ(state_.warningCount, 1);
    EXPECT_TRUE(report_.lines.last().contains("Skipping..."));
}

// A sub-folder level that is a symbolic link would move the item out of the chosen folder,
// wherever the link points: refused, nothing moves, the target folder stays untouched.
TEST_F(RenameTest, ALevelThatIsALinkIsRefused) {
    testsupport::TempDir victim;
    dir_.write("a.txt", "A");
    ASSERT_EQ(::symlink(victim.path().c_str(), disk("away").c_str()), 0);
    const auto before = treeOf(dir_.path());
    EXPECT_FALSE(runs::renameFile(ctx_, "a.txt", "away<\\>a.txt", folder_));
    EXPECT_FALSE(runs::renameFile(ctx_, "a.txt", "away<\\>deeper<\\>a.txt", folder_));
    EXPECT_EQ(treeOf(dir_.path()), before);
    EXPECT_TRUE(testsupport::entriesOf(victim.path()).empty());
    EXPECT_TRUE(state_.createdDirs.isEmpty());
    EXPECT_EQ(state_.warningCount, 2);
    EXPECT_TRUE(report_.lines.last().contains("is a symbolic link"))
        << report_.lines.last().toStdString();
}

TEST_F(RenameTest, EmptyLevelsCollapse) {
    dir_.write("a.txt", "A");
    dir_.write("b.txt", "B");
    ASSERT_TRUE(runs::renameFile(ctx_, "a.txt", "<\\>x<\\><\\>a.txt", folder_));
    // "?" alone is mapped away, which leaves an empty level too.
    ASSERT_TRUE(runs::renameFile(ctx_, "b.txt", "x<\\>?<\\>b.txt", folder_));
    EXPECT_EQ(treeOf(dir_.path()), (std::map<std::string, std::string>{
                                       {"x", "<dir>"}, {"x/a.txt", "A"}, {"x/b.txt", "B"}}));
    EXPECT_EQ(state_.createdDirs, QStringList{folder_ + "x"});
    EXPECT_EQ(state_.undoFiles[1].newName, "x/b.txt");
}

TEST_F(RenameTest, DotLevelsAndEmptyNamesAreRefused) {
    dir_.mkdir("sub");
    dir_.write("sub/a.txt", "A");
    const QString folder = folder_ + "sub/";
    const char* refused[] = {"..<\\>a.txt", ".<\\>a.txt", "x<\\>..<\\>a.txt",
                             "x<\\>..",     "x<\\>.",     "x<\\>",
                             "<\\>",        "?",          "x<\\>?"};
    const auto before = treeOf(dir_.path());
    int warnings = 0;
    for (const char* newName : refused) {
        SCOPED_TRACE(newName);
        EXPECT_FALSE(runs::renameFile(ctx_, "a.txt", newName, folder));
        EXPECT_EQ(state_.warningCount, ++warnings);
        EXPECT_TRUE(report_.lines.last().startsWith("WARNING: Couldn't rename file <a.txt> as <"));
        EXPECT_TRUE(report_.lines.last().contains("Skipping..."));
        EXPECT_EQ(treeOf(dir_.path()), before);
    }
    EXPECT_TRUE(state_.createdDirs.isEmpty());
    EXPECT_EQ(state_.filesRenamedCount, 0);
}

TEST_F(RenameTest, PlaceholderLikeTextInANameIsJustText) {
    // Only the marker cuts a name; texts that look like an internal placeholder stay.
    const QString odd = QString::fromUtf8("x\u00a4SuBDiR\u00a4y.txt");
    dir_.write("a.txt", "A");
    ASSERT_TRUE(runs::renameFile(ctx_, "a.txt", odd, folder_));
    EXPECT_EQ(testsupport::readAll(disk(odd.toStdString())), "A");
    EXPECT_TRUE(state_.createdDirs.isEmpty());
}

TEST(ParseNewNameTest, CutsMapsAndCollapses) {
    struct Case {
        const char* newName;
        QStringList levels;
        const char* leaf;
        bool valid;
        const char* text;
    } cases[] = {
        {"a.txt", {}, "a.txt", true, "a.txt"},
        {"2003<\\>Jan<\\>a.txt", {"2003", "Jan"}, "a.txt", true, "2003/Jan/a.txt"},
        {"<\\>a.txt", {}, "a.txt", true, "a.txt"},
        {"a/b<\\>c:d", {"a-b"}, "c-d", true, "a-b/c-d"},
        {"a\\<\\>b", {"a-"}, "b", true, "a-/b"},     // a "\" beside the marker is text
        {"a<\\\\>b", {}, "a[--]b", true, "a[--]b"},  // "<\\>" is no marker
        {"x<>y", {}, "x[]y", true, "x[]y"},
        {"..<\\>a", {".."}, "a", false, "../a"},
        {"a<\\>.", {"a"}, ".", false, "a/."},
        {"a<\\>", {"a"}, "", false, "a/"},
        {"...<\\>a", {"..."}, "a", true, ".../a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.newName);
        const runs::TargetName parsed = runs::parseNewName(QString::fromUtf8(c.newName));
        EXPECT_EQ(parsed.levels, c.levels);
        EXPECT_EQ(parsed.leaf, c.leaf);
        EXPECT_EQ(parsed.valid, c.valid);
        EXPECT_EQ(parsed.text(), c.text);
    }
}

TEST_F(RenameTest, SimulationLeavesTheDiskAndTheBookkeepingAlone) {
    dir_.write("a.txt", "A");
    dir_.mkdir("d");
    const auto before = treeOf(dir_.path());
    state_.simulationMode = true;
    ctx_.fileMode = 1;
    state_.orderSnapshot = {folder_ + "a.txt", folder_ + "d"};
    state_.reselectList = state_.orderSnapshot;

    EXPECT_TRUE(runs::renameFile(ctx_, "a.txt", "2003<\\>b.txt", folder_));
    EXPECT_TRUE(runs::renameDir(ctx_, "d", "e", folder_));

    EXPECT_EQ(treeOf(dir_.path()), before);
    EXPECT_EQ(report_.lines,
              QStringList({"File Renamed: a.txt --> 2003/b.txt", "Directory Renamed: d --> e"}));
    EXPECT_EQ(state_.filesRenamedCount, 1);
    EXPECT_EQ(state_.dirsRenamedCount, 1);
    EXPECT_TRUE(logLines().isEmpty());
    EXPECT_TRUE(state_.undoFiles.isEmpty() && state_.undoDirs.isEmpty());
    EXPECT_TRUE(state_.createdDirs.isEmpty());
    EXPECT_TRUE(state_.dragDropRefillFiles.isEmpty() && state_.dragDropRefillDirs.isEmpty());
    EXPECT_EQ(state_.orderSnapshot, QStringList({folder_ + "a.txt", folder_ + "d"}));
}

TEST_F(RenameTest, JournalGrowsInChangeOrderWhateverItsStartSize) {
    for (const int startSize : {0, 1, 5}) {
        SCOPED_TRACE(startSize);
        testsupport::TempDir dir;
        const QString folder = QString::fromStdString(dir.path()) + "/";
        runs::RunState state;
        state.undoFiles.resize(startSize);
        RecordingReport report;
        runs::RunContext ctx{.state = state, .report = report};
        for (const char* name : {"c", "a", "b"}) {
            dir.write(name, name);
            ASSERT_TRUE(runs::renameFile(ctx, name, QString(name) + "2", folder));
        }
        ASSERT_EQ(state.undoFiles.size(), std::max(3, startSize));
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(state.undoFiles[i].oldName, QString("cab"[i]));
            EXPECT_EQ(state.undoFiles[i].newName, QString("cab"[i]) + "2");
            EXPECT_EQ(state.undoFiles[i].folder, folder);
        }
    }
}

TEST_F(RenameTest, SnapshotsFollowEveryExactMatch) {
    for (const char* name : {"a", "b", "c"}) {
        dir_.write(name, name);
    }
    dir_.mkdir("d");
    dir_.write("d/inner", "inner");
    const QString a = folder_ + "a", b = folder_ + "b", c = folder_ + "c", d = folder_ + "d";
    state_.orderSnapshot = {a, b, d, d + "/inner", a};
    state_.selectedSnapshot = {b, a};
    state_.reselectList = state_.selectedSnapshot;

    // A chain: b moves out of the way first, then a takes its name.
    ASSERT_TRUE(runs::renameFile(ctx_, "b", "b2", folder_));
    ASSERT_TRUE(runs::renameFile(ctx_, "a", "b", folder_));
    ASSERT_TRUE(runs::renameDir(ctx_, "d", "e", folder_));
    EXPECT_EQ(state_.orderSnapshot, QStringList({b, b + "2", folder_ + "e", d + "/inner", b}));
    EXPECT_EQ(state_.reselectList, QStringList({b + "2", b}));
    EXPECT_EQ(state_.selectedSnapshot, QStringList({b, a}));

    // A list replaced during the run is indexed again.
    state_.orderSnapshot = {c, folder_ + "x"};
    ASSERT_TRUE(runs::renameFile(ctx_, "c", "c2", folder_));
    EXPECT_EQ(state_.orderSnapshot, QStringList({c + "2", folder_ + "x"}));

    // A path that is freed and taken again names the new owner only.
    dir_.write("p", "p");
    state_.orderSnapshot = {folder_ + "p", c + "2"};
    ASSERT_TRUE(runs::renameFile(ctx_, "p", "q", folder_));
    ASSERT_TRUE(runs::renameFile(ctx_, "c2", "p", folder_));
    ASSERT_TRUE(runs::renameFile(ctx_, "p", "r", folder_));
    EXPECT_EQ(state_.orderSnapshot, QStringList({folder_ + "q", folder_ + "r"}));
    ASSERT_TRUE(runs::renameFile(ctx_, "r", "c2", folder_));
    state_.orderSnapshot = {c + "2", folder_ + "x"};

    // A failed rename leaves them as they are.
    EXPECT_FALSE(runs::renameFile(ctx_, "c2", "b", folder_));
    EXPECT_EQ(state_.orderSnapshot, QStringList({c + "2", folder_ + "x"}));
}

TEST_F(RenameTest, FreeSelectRefillFollowsTheRenamedDirectoryOnly) {
    dir_.mkdir("Photos");
    dir_.mkdir("Photos/sub");
    dir_.mkdir("Photos 2005");
    dir_.write("Photos/x.jpg", "x");
    dir_.write("Photos 2005/y.jpg", "y");
    ctx_.fileMode = 1;
    const QString photos = folder_ + "Photos";
    const QString photos2005 = folder_ + "Photos 2005";
    state_.dragDropRefillFiles = {QString(), photos + "/x.jpg", photos2005 + "/y.jpg",
                                  photos + "x.jpg"};
    state_.dragDropRefillDirs = {QString(), photos2005, photos + "/sub"};

    ASSERT_TRUE(runs::renameDir(ctx_, "Photos", "Pics", folder_));
    const QString pics = folder_ + "Pics";
    EXPECT_EQ(state_.dragDropRefillFiles,
              QStringList({QString(), pics + "/x.jpg", photos2005 + "/y.jpg", photos + "x.jpg"}));
    EXPECT_EQ(state_.dragDropRefillDirs, QStringList({QString(), photos2005, pics + "/sub", pics}));
    EXPECT_TRUE(fs::is_directory(disk("Photos 2005")));
}

TEST_F(RenameTest, FreeSelectRefillAfterFileAndFailedDirectory) {
    dir_.write("a.txt", "A");
    dir_.mkdir("d");
    dir_.mkdir("taken");
    ctx_.fileMode = 1;
    ASSERT_TRUE(runs::renameFile(ctx_, "a.txt", "b.txt", folder_));
    EXPECT_FALSE(runs::renameDir(ctx_, "d", "taken", folder_));
    EXPECT_EQ(state_.dragDropRefillFiles, QStringList{folder_ + "b.txt"});
    EXPECT_EQ(state_.dragDropRefillDirs, QStringList{folder_ + "d"});
}

TEST_F(RenameTest, ImagesAreRekeyedInBothSources) {
    dir_.mkdir("d");
    filelists::SourceImages directory;
    filelists::SourceImages freeSelect;
    for (filelists::ImageList* list :
         {&directory.small, &directory.large, &freeSelect.small, &freeSelect.large}) {
        ASSERT_TRUE(list->add(folder_ + "d", QPixmap()).ok());
    }
    // A new key that another entry holds already stays with that entry.
    ASSERT_TRUE(freeSelect.large.add(folder_ + "e", QPixmap()).ok());
    ctx_.directoryImages = &directory;
    ctx_.freeSelectImages = &freeSelect;

    ASSERT_TRUE(runs::renameDir(ctx_, "d", "e", folder_));
    EXPECT_EQ(directory.small.indexOf(folder_ + "e"), 1);
    EXPECT_EQ(directory.large.indexOf(folder_ + "e"), 1);
    EXPECT_EQ(freeSelect.small.indexOf(folder_ + "e"), 1);
    EXPECT_FALSE(directory.small.contains(folder_ + "d"));
    EXPECT_EQ(freeSelect.large.indexOf(folder_ + "e"), 2);
    EXPECT_EQ(freeSelect.large.indexOf(folder_ + "d"), 1);
}

TEST_F(RenameTest, UndoRestoresTheRecordedNameExactly) {
    // Linux names may hold every character that the map and the marker would change.
    const QString original = "we<\\>ird:na?me\\*|\"x\".txt";
    dir_.mkdir("2003");
    dir_.mkdir("2003/Jan");
    dir_.write("2003/Jan/plain.txt", "P");
    dir_.write("moved", "M");
    ctx_.fileMode = 1;
    state_.undoInProgress = true;
    state_.orderSnapshot = {folder_ + "moved"};

    ASSERT_TRUE(runs::renameFile(ctx_, "2003/Jan/plain.txt", original, folder_));
    ASSERT_TRUE(runs::renameFile(ctx_, "moved", "a<\\>b", folder_));

    EXPECT_EQ(treeOf(dir_.path()),
              (std::map<std::string, std::string>{{"2003", "<dir>"},
                                                  {"2003/Jan", "<dir>"},
                                                  {original.toStdString(), "P"},
                                                  {"a<\\>b", "M"}}));
    EXPECT_EQ(report_.lines.first(), "File Renamed: 2003/Jan/plain.txt --> " + original);
    EXPECT_EQ(state_.filesRenamedCount, 2);
    EXPECT_TRUE(state_.undoFiles.isEmpty());
    EXPECT_TRUE(state_.createdDirs.isEmpty());
    EXPECT_TRUE(state_.dragDropRefillFiles.isEmpty());
    EXPECT_EQ(state_.orderSnapshot, QStringList{folder_ + "a<\\>b"});
}

TEST_F(RenameTest, UndoCollisionIsAWarningToo) {
    dir_.write("a", "new owner");
    dir_.write("b", "renamed");
    state_.undoInProgress = true;
    const auto before = treeOf(dir_.path());
    EXPECT_FALSE(runs::renameFile(ctx_, "b", "a", folder_));
    EXPECT_EQ(treeOf(dir_.path()), before);
    EXPECT_EQ(report_.lines,
              QStringList{"WARNING: Couldn't rename file <b> as <a> Filename already exists..."});
    EXPECT_EQ(state_.warningCount, 1);
}

TEST_F(RenameTest, ANameEqualOnlyAfterTheMapKeepsFileAndContent) {
    dir_.write("a-b.txt", "A");
    runs::renameFile(ctx_, "a-b.txt", "a:b.txt", folder_);
    EXPECT_EQ(treeOf(dir_.path()), (std::map<std::string, std::string>{{"a-b.txt", "A"}}));
}

TEST_F(RenameTest, ManyRenamesKeepEveryContent) {
    // A mix of moves, chains, collisions and refusals: no content may disappear.
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        dir_.write(name, std::string("content of ") + name);
    }
    dir_.mkdir("f");
    dir_.write("f/g", "content of g");
    const auto before = contentsOf(dir_.path());
    const struct {
        const char* oldName;
        const char* newName;
        bool dir;
    } steps[] = {
        {"a", "b", false},           {"b", "x<\\>b", false},  {"c", "b", false},
        {"d", "f", false},           {"e", "f<\\>g", false},  {"f", "x", true},
        {"f", "y<\\>..<\\>f", true}, {"e", "..<\\>e", false}, {"e", "f<\\>e", false},
        {"c", "x<\\>b", false},
    };
    for (const auto& step : steps) {
        if (step.dir) {
            runs::renameDir(ctx_, step.oldName, step.newName, folder_);
        } else {
            runs::renameFile(ctx_, step.oldName, step.newName, folder_);
        }
    }
    EXPECT_EQ(contentsOf(dir_.path()), before);
    EXPECT_GT(state_.warningCount, 0);
}

}  // namespace

namespace {

// The rename by hand gives the run's name, the run's refusals and the run's warning lines,
// for files and folders alike, and touches nothing else.
TEST_F(RenameTest, ARenameByHandFollowsTheRunsRules) {
    dir_.write("a.txt", "A");
    dir_.write("taken.txt", "T");
    fs::create_directory(disk("d"));
    const QString invalid = " Skipping... (a name or sub-folder may not be empty, \".\" or \"..\")";
    const struct {
        const char* oldName;
        const char* typed;
        const char* newName;
        bool renamed;
        QString warning;
    } cases[] = {
        {"a.txt", "a.txt", "a.txt", false, ""},
        {"a.txt", "..", "..", false, "WARNING: Couldn't rename file <a.txt> as <..>" + invalid},
        {"d", ".", ".", false, "WARNING: Couldn't rename dir <d> as <.>" + invalid},
        {"a.txt", "taken.txt", "taken.txt", false,
         "WARNING: Couldn't rename file <a.txt> as <taken.txt> Filename already exists..."},
        {"d", "taken.txt", "taken.txt", false,
         "WARNING: Couldn't rename dir <d> as <taken.txt> Filename already exists..."},
        {"gone.txt", "b.txt", "b.txt", false,
         "WARNING: Couldn't rename file <gone.txt> as <b.txt> Skipping... ("},
        // A typed separator or marker never moves the item.
        {"a.txt", "x/y<\\>z", "x-y[-]z", true, ""},
        {"d", "e", "e", true, ""},
    };
    for (const auto& c : cases) {
        const runs::HandRename result = runs::renameByHand(folder_, c.oldName, c.typed);
        EXPECT_EQ(result.newName, c.newName) << c.typed;
        EXPECT_EQ(result.renamed, c.renamed) << c.typed;
        if (c.warning.isEmpty()) {
            EXPECT_TRUE(result.warning.isEmpty()) << c.typed << " " << result.warning.toStdString();
        } else {
            EXPECT_TRUE(result.warning.startsWith(c.warning))
                << c.typed << " " << result.warning.toStdString();
        }
    }
    EXPECT_EQ(testsupport::readAll(disk("x-y[-]z")), "A");
    EXPECT_EQ(testsupport::readAll(disk("taken.txt")), "T");
    EXPECT_TRUE(fs::is_directory(disk("e")));
    EXPECT_FALSE(onDisk("x"));
    EXPECT_TRUE(report_.lines.isEmpty());
    EXPECT_TRUE(logLines().isEmpty());
}

}  // namespace
