// The undo of the last run, end to end on real folders: a mode runs, the undo puts it back, and
// the whole tree (names, contents, attributes, file times) must equal the tree before. No run
// may lose a file: the contents in the tree stay the same multiset throughout. Also the
// confirmation, the order of the reversal, the removal of created folders, the items that
// cannot come back, and the Free Select list after an undo.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QLabel>
#include <QPushButton>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <string>

#include "engine/log.h"
#include "platform/localetext.h"
#include "platform/widgets/busy.h"
#include "tests/runs/driverharness.h"

namespace {

using testsupport::DriverHarness;
using testsupport::TempDir;
using testsupport::Tree;

QString label(const runs::RunWindow& window, const char* name) {
    return window.findChild<QLabel*>(QString::fromUtf8(name))->text();
}

bool anyLineStartsWith(const QStringList& lines, const QString& start) {
    for (const QString& line : lines) {
        if (line.startsWith(start)) {
            return true;
        }
    }
    return false;
}

// The file system keeps the DOS bits in an extended attribute; without it only read-only can
// be tested.
bool storesDosBits(const TempDir& dir) {
    const std::string probe = dir.write(".probe", "x");
    const bool stored = platform::fs::setAttributes(probe, platform::fs::Archive).ok() &&
                        (platform::fs::attributes(probe).valueOr(0) & platform::fs::Archive);
    std::remove(probe.c_str());
    return stored;
}

struct Scenario {
    const char* name;
    // Builds the tree and sets the harness up for the run.
    std::function<void(const TempDir&, DriverHarness&)> prepare;
    // Checks the tree and the run window after the run.
    std::function<void(const TempDir&, DriverHarness&, const Tree& before)> afterRun;
    // The run changed something, so Undo is offered.
    bool undoable = true;
};

void plainFiles(const TempDir& dir, DriverHarness& h) {
    testsupport::writeFile(dir, "file one.txt", "1", 1);
    testsupport::writeFile(dir, "file two.txt", "2", 2);
    testsupport::writeFile(dir, "keep.txt", "3", 3);
    h.loadFolder(dir.path());
}

const Scenario kScenarios[] = {
    {"PlainRenamesOfFilesAndFolders",
     [](const TempDir& dir, DriverHarness& h) {
         dir.mkdir("file folder");
         testsupport::writeFile(dir, "file folder/file inside.txt", "inside", 4);
         plainFiles(dir, h);
         h.inputs.dirsTicked = true;
         h.buildRows();
         testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
     },
     [](const TempDir& dir, DriverHarness& h, const Tree&) {
         EXPECT_TRUE(platform::fs::isFile(dir.file("item one.txt")));
         EXPECT_TRUE(platform::fs::isDirectory(dir.file("item folder")));
         // The folder's contents are not part of a non-recursive run.
         EXPECT_TRUE(platform::fs::isFile(dir.file("item folder/file inside.txt")));
         EXPECT_EQ(h.state.lastRunDirCount, 1);
     }},
    {"MovesIntoNewSubfolders",
     [](const TempDir& dir, DriverHarness& h) {
         plainFiles(dir, h);
         testsupport::replaceNames(h.inputs, QStringLiteral("file "),
                                   QStringLiteral("2003<\\>Jan<\\>"));
     },
     [](const TempDir& dir, DriverHarness& h, const Tree&) {
         EXPECT_TRUE(platform::fs::isFile(dir.file("2003/Jan/one.txt")));
         EXPECT_TRUE(platform::fs::isFile(dir.file("2003/Jan/two.txt")));
         EXPECT_EQ(h.state.createdDirs.size(), 2);
         EXPECT_EQ(h.state.undoFiles.at(0).newName, QStringLiteral("2003/Jan/one.txt"));
     }},
    {"AFormatRunNamesFromPartsSizeDateAndPictureIntoSubfolders",
     [](const TempDir& dir, DriverHarness& h) {
         std::string bmp(32, '\0');
         bmp[0] = 'B';
         bmp[1] = 'M';
         bmp[18] = 64;
         bmp[22] = 48;
         bmp[28] = 24;
         testsupport::writeFile(dir, "Artist - Song.bmp", bmp, 1);
         testsupport::writeFile(dir, "Other - Tune.bmp", bmp + "more", 2);
         h.loadFolder(dir.path());
         h.inputs.mode = runs::NamingMode::Format;
         engine::FormatOptions& format = h.inputs.naming.options.format;
         format.pattern = QStringLiteral("<%1><\\><%2> <WIDTH>x<HEIGHT> <SIZEB> <DATE>.<EXT>");
         format.partsPattern = QStringLiteral("<%1> - <%2>");
         format.formatFilenameSelected = true;
         h.inputs.naming.options.scope = {true, false};
     },
     [](const TempDir& dir, DriverHarness& h, const Tree&) {
         // The date's slashes are mapped like every character a name may not hold.
         const auto dated = [](int seconds) {
             return platform::shortDateText(
                        QDateTime::fromSecsSinceEpoch(1'500'000'000 + seconds).date())
                 .replace(u'/', u'-')
                 .toStdString();
         };
         EXPECT_TRUE(platform::fs::isFile(dir.file("Artist/Song 64x48 32 " + dated(1) + ".bmp")));
         EXPECT_TRUE(platform::fs::isFile(dir.file("Other/Tune 64x48 36 " + dated(2) + ".bmp")));
         EXPECT_EQ(h.state.createdDirs.size(), 2);
     }},
    {"ACollisionReplacesNothing",
     [](const TempDir& dir, DriverHarness& h) {
         testsupport::writeFile(dir, "item one.txt", "already there", 9);
         plainFiles(dir, h);
         testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
     },
     [](const TempDir& dir, DriverHarness& h, const Tree&) {
         EXPECT_EQ(testsupport::readKeepingAccessTime(dir.file("item one.txt")), "already there");
         EXPECT_TRUE(platform::fs::isFile(dir.file("file one.txt")));
         EXPECT_TRUE(platform::fs::isFile(dir.file("item two.txt")));
         EXPECT_EQ(h.state.warningCount, 1);
         EXPECT_EQ(label(*h.window, "lblInfo_Skipped"), QStringLiteral("1 Warnings."));
         EXPECT_TRUE(h.lines().filter(QStringLiteral("Filename already exists...")).size() == 1);
     }},
    {"ACaseOnlyRename",
     [](const TempDir& dir, DriverHarness& h) {
         testsupport::writeFile(dir, "Report.TXT", "report", 5);
         h.loadFolder(dir.path());
         h.inputs.naming.options.scope = {true, true};
         testsupport::replaceNames(h.inputs, QStringLiteral("Report.TXT"),
                                   QStringLiteral("report.txt"), true);
     },
     [](const TempDir& dir, DriverHarness&, const Tree&) {
         EXPECT_TRUE(platform::fs::isFile(dir.file("report.txt")));
         EXPECT_FALSE(platform::fs::exists(dir.file("Report.TXT")));
     }},
    {"ACancelledRun",
     [](const TempDir& dir, DriverHarness& h) {
         plainFiles(dir, h);
         testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
         h.cancelAtFirstItem();
     },
     [](const TempDir& dir, DriverHarness& h, const Tree&) {
         EXPECT_TRUE(platform::fs::isFile(dir.file("item one.txt")));
         EXPECT_TRUE(platform::fs::isFile(dir.file("file two.txt")));
         EXPECT_EQ(h.state.lastRunFileCount, 1);
     }},
    {"ASimulationTouchesNothing",
     [](const TempDir& dir, DriverHarness& h) {
         plainFiles(dir, h);
         testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
         h.state.simulationMode = true;
     },
     [](const TempDir& dir, DriverHarness& h, const Tree& before) {
         EXPECT_EQ(testsupport::snapshotTree(dir.path()), before);
         EXPECT_EQ(h.state.filesRenamedCount, 2);
     },
     false},
    {"AnAttributeRun",
     [](const TempDir& dir, DriverHarness& h) {
         plainFiles(dir, h);
         dir.mkdir("folder");
         h.inputs.dirsTicked = true;
         h.readFolder();
         h.buildRows();
         h.inputs.mode = runs::NamingMode::None;
         h.inputs.attributeRun = true;
         h.inputs.attrib.chkR = 1;
         if (storesDosBits(dir)) {
             h.inputs.attrib.chkA = 1;
             h.inputs.attrib.chkS = 1;
         }
     },
     [](const TempDir& dir, DriverHarness& h, const Tree&) {
         const auto bits = platform::fs::attributes(dir.file("keep.txt"));
         ASSERT_TRUE(bits.ok());
         EXPECT_TRUE(*bits & platform::fs::ReadOnly);
         EXPECT_EQ(h.state.lastRunFileCount, 3);
         EXPECT_EQ(h.state.lastRunDirCount, 1);
     }},
    {"ADateRun",
     [](const TempDir& dir, DriverHarness& h) {
         plainFiles(dir, h);
         testsupport::dateRun(h.inputs, true);
     },
     [](const TempDir& dir, DriverHarness& h, const Tree& before) {
         const auto times = platform::fs::fileTimes(dir.file("keep.txt"));
         ASSERT_TRUE(times.ok());
         EXPECT_NE(testsupport::nanoseconds(times->modified), before.at("keep.txt").modifiedNs);
         // Linux cannot set a created time: every file reports it.
         EXPECT_EQ(h.state.warningCount, 3);
         EXPECT_TRUE(anyLineStartsWith(
             h.lines(), QStringLiteral("WARNING! Change File Created Date Failed: ")));
         EXPECT_EQ(h.state.lastRunFileCount, 3);
     }},
    {"ADateRunOverHardLinkedFiles",
     [](const TempDir& dir, DriverHarness& h) {
         // a.txt and b.txt are one file; the journal holds it twice, the second time with the
         // time the first change had just written.
         testsupport::writeFile(dir, "a.txt", "x");
         ASSERT_EQ(::link(dir.file("a.txt").c_str(), dir.file("b.txt").c_str()), 0);
         testsupport::writeFile(dir, "c.txt", "y");
         const struct timespec when { 1'115'296'496, 123'456'789 };
         for (const char* name : {"a.txt", "c.txt"}) {
             ASSERT_TRUE(platform::fs::setFileTimes(dir.file(name), nullptr, &when, &when).ok());
         }
         h.loadFolder(dir.path());
         testsupport::dateRun(h.inputs, false);
     },
     [](const TempDir& dir, DriverHarness& h, const Tree& before) {
         EXPECT_NE(testsupport::snapshotTree(dir.path()).at("b.txt").modifiedNs,
                   before.at("b.txt").modifiedNs);
         EXPECT_EQ(h.state.lastRunFileCount, 3);
     }},
};

class UndoScenarioTest : public ::testing::TestWithParam<Scenario> {};

TEST_P(UndoScenarioTest, TheUndoBringsBackTheTreeAsItWas) {
    const Scenario& scenario = GetParam();
    TempDir dir;
    DriverHarness h;
    engine::setErrorsLogged(false);
    scenario.prepare(dir, h);
    const Tree before = testsupport::snapshotTree(dir.path());

    h.run();
    const Tree afterRun = testsupport::snapshotTree(dir.path());
    scenario.afterRun(dir, h, before);
    EXPECT_EQ(testsupport::contents(afterRun), testsupport::contents(before));
    EXPECT_EQ(h.undoEnabled, scenario.undoable);
    if (!scenario.undoable) {
        return;
    }

    ASSERT_TRUE(h.undo());
    const Tree afterUndo = testsupport::snapshotTree(dir.path());
    EXPECT_EQ(afterUndo, before) << "before:\n"
                                 << testsupport::describe(before) << "after the undo:\n"
                                 << testsupport::describe(afterUndo) << "log:\n"
                                 << h.lines().join('\n').toStdString();
    EXPECT_EQ(testsupport::contents(afterUndo), testsupport::contents(before));
    EXPECT_FALSE(h.undoEnabled);
    EXPECT_FALSE(h.state.operationRunning);
    EXPECT_FALSE(platform::isBusy());
    EXPECT_EQ(h.window->windowTitle(), QStringLiteral("Status: Ready!"));
    EXPECT_TRUE(h.window->findChild<QPushButton*>(QStringLiteral("cmdClose"))->isEnabled());
    EXPECT_TRUE(h.window->findChild<QPushButton*>(QStringLiteral("cmdSaveLog"))->isEnabled());
    EXPECT_EQ(h.window->progressValue(), h.window->progressMaximum());
}

INSTANTIATE_TEST_SUITE_P(Runs, UndoScenarioTest, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

class UndoTest : public ::testing::Test {
protected:
    void SetUp() override { engine::setErrorsLogged(false); }
    void renameFiles() {
        plainFiles(dir, h);
        testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
        h.run();
        ASSERT_TRUE(h.undoEnabled);
    }

    TempDir dir;
    DriverHarness h;
};

TEST_F(UndoTest, AnswerNoChangesNothing) {
    renameFiles();
    h.settings.totNumberOfFilesRenamedNew = 40;
    h.messages.answers = {platform::MessageResult::No};
    EXPECT_FALSE(h.undo());
    ASSERT_EQ(h.messages.shown.size(), 1);
    EXPECT_EQ(h.messages.shown[0].text, QStringLiteral("Undo last operation?"));
    EXPECT_EQ(h.messages.shown[0].title, QStringLiteral("Quenza Renamer"));
    EXPECT_EQ(h.messages.shown[0].icon, platform::MessageIcon::Question);
    EXPECT_EQ(h.messages.shown[0].buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(h.windowsOpened, 1);
    EXPECT_TRUE(h.undoEnabled);
    EXPECT_EQ(h.settings.totNumberOfFilesRenamedNew, 40);
    EXPECT_TRUE(platform::fs::isFile(dir.file("item one.txt")));
    EXPECT_FALSE(h.state.undoInProgress);
}

TEST_F(UndoTest, DirectoriesComeBackBeforeFilesAndTheTotalsGoDown) {
    dir.mkdir("file folder");
    plainFiles(dir, h);
    h.inputs.dirsTicked = true;
    h.buildRows();
    testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
    h.run();
    EXPECT_EQ(h.settings.totNumberOfFilesRenamedNew, 2);
    EXPECT_EQ(h.settings.totNumberOfDirsRenamedNew, 1);

    ASSERT_TRUE(h.undo());
    const QStringList lines = h.lines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("Directory Renamed: item folder --> file folder"));
    // The files come back last to first.
    EXPECT_EQ(lines[1], QStringLiteral("File Renamed: item two.txt --> file two.txt"));
    EXPECT_EQ(lines[2], QStringLiteral("File Renamed: item one.txt --> file one.txt"));
    EXPECT_EQ(h.window->progressMaximum(), 3);
    EXPECT_EQ(label(*h.window, "lblInfo_Files"), QStringLiteral("2 Files Renamed."));
    EXPECT_EQ(label(*h.window, "lblInfo_Dirs"), QStringLiteral("1 Directories Renamed."));
    EXPECT_EQ(h.settings.totNumberOfFilesRenamedNew, 0);
    EXPECT_EQ(h.settings.totNumberOfDirsRenamedNew, 0);
    EXPECT_TRUE(h.state.undoInProgress);
    // The rows are those of the folder read again, in the order they had.
    EXPECT_EQ(h.rowPaths(h.directory),
              QStringList({h.folder + "file folder", h.folder + "file one.txt",
                           h.folder + "file two.txt", h.folder + "keep.txt"}));
}

TEST_F(UndoTest, TheDirectoryListShowsTheOrderOfTheReadAfterwards) {
    // Renamed, "a" sorts last; the list after the run shows it last. Undone, the folder is
    // read again and its rows stand as the read gives them, not as they stood after the run.
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        testsupport::writeFile(dir, name, name, 1);
    }
    h.loadFolder(dir.path());
    testsupport::replaceNames(h.inputs, QStringLiteral("a"), QStringLiteral("z"));
    h.run();
    ASSERT_EQ(h.rowPaths(h.directory),
              QStringList({h.folder + "b.txt", h.folder + "c.txt", h.folder + "z.txt"}));

    ASSERT_TRUE(h.undo());
    EXPECT_EQ(h.rowPaths(h.directory),
              QStringList({h.folder + "a.txt", h.folder + "b.txt", h.folder + "c.txt"}));
    EXPECT_FALSE(h.listOrderChanged);
}

TEST_F(UndoTest, AChainComesBackInReverseOrder) {
    testsupport::writeFile(dir, "a.txt", "A", 1);
    testsupport::writeFile(dir, "b.txt", "B", 2);
    const Tree before = testsupport::snapshotTree(dir.path());
    h.setFolder(dir.path());
    // b becomes c first, then a becomes b: the list's order makes the chain possible.
    h.useFreeSelect({h.folder + "b.txt", h.folder + "a.txt"});
    h.inputs.mode = runs::NamingMode::BatchReplace;
    h.inputs.naming.batchReplaceList = {{QStringLiteral("b"), QStringLiteral("c")},
                                        {QStringLiteral("a"), QStringLiteral("b")}};
    h.run();
    EXPECT_EQ(testsupport::readKeepingAccessTime(dir.file("c.txt")), "B");
    EXPECT_EQ(testsupport::readKeepingAccessTime(dir.file("b.txt")), "A");
    EXPECT_EQ(h.state.warningCount, 0);

    ASSERT_TRUE(h.undo());
    EXPECT_EQ(h.state.warningCount, 0);
    EXPECT_EQ(testsupport::snapshotTree(dir.path()), before);
    // The Free Select list holds the items under their old names, in their order.
    EXPECT_EQ(h.rowPaths(h.dragDrop), QStringList({h.folder + "b.txt", h.folder + "a.txt"}));
}

TEST_F(UndoTest, NamesComeBackExactlyAsRecorded) {
    // Characters a Linux name may hold but a new name never gets.
    testsupport::writeFile(dir, "a:b?.txt", "1", 1);
    testsupport::writeFile(dir, "a*c\\d.txt", "2", 2);
    testsupport::writeFile(dir, "a<\\>e.txt", "3", 3);
    h.loadFolder(dir.path());
    const Tree before = testsupport::snapshotTree(dir.path());
    testsupport::replaceNames(h.inputs, QStringLiteral("a"), QStringLiteral("x"));
    h.run();
    EXPECT_TRUE(platform::fs::isFile(dir.file("x-b.txt")));
    EXPECT_TRUE(platform::fs::isFile(dir.file("x-c-d.txt")));
    ASSERT_TRUE(h.undo());
    EXPECT_EQ(testsupport::snapshotTree(dir.path()), before);
    EXPECT_EQ(h.state.warningCount, 0);
}

TEST_F(UndoTest, AFolderThatReceivedAnotherFileStays) {
    plainFiles(dir, h);
    testsupport::replaceNames(h.inputs, QStringLiteral("file "), QStringLiteral("new<\\>sub<\\>"));
    h.run();
    ASSERT_TRUE(platform::fs::isFile(dir.file("new/sub/one.txt")));
    testsupport::writeFile(dir, "new/sub/stranger.txt", "stranger");

    ASSERT_TRUE(h.undo());
    EXPECT_TRUE(platform::fs::isFile(dir.file("file one.txt")));
    EXPECT_TRUE(platform::fs::isFile(dir.file("new/sub/stranger.txt")));
    const QString sub = h.folder + "new/sub";
    const QString top = h.folder + "new";
    EXPECT_TRUE(h.lines().contains(QStringLiteral("WARNING: Failed to delete directory <") + sub +
                                   QLatin1Char('>')));
    EXPECT_TRUE(h.lines().contains(QStringLiteral("WARNING: Failed to delete directory <") + top +
                                   QLatin1Char('>')));
    EXPECT_EQ(h.state.warningCount, 2);
    EXPECT_EQ(label(*h.window, "lblInfo_Skipped"), QStringLiteral("2 Warnings."));
    EXPECT_TRUE(h.state.createdDirs.isEmpty());
}

TEST_F(UndoTest, CreatedFoldersAreRemovedDeepestFirst) {
    plainFiles(dir, h);
    testsupport::replaceNames(h.inputs, QStringLiteral("file one"),
                              QStringLiteral("2003<\\>Jan<\\>one"));
    h.run();
    ASSERT_TRUE(h.undo());
    const QStringList deleted = h.lines().filter(QStringLiteral("Deleted directory: "));
    EXPECT_EQ(deleted, QStringList({QStringLiteral("Deleted directory: ") + h.folder + "2003/Jan",
                                    QStringLiteral("Deleted directory: ") + h.folder + "2003"}));
    EXPECT_FALSE(platform::fs::exists(dir.file("2003")));
}

TEST_F(UndoTest, AnItemWhoseOldNameIsTakenStaysAndTheRestComesBack) {
    renameFiles();
    testsupport::writeFile(dir, "file two.txt", "newcomer");
    ASSERT_TRUE(h.undo());
    EXPECT_EQ(testsupport::readAll(dir.file("file two.txt")), "newcomer");
    EXPECT_EQ(testsupport::readAll(dir.file("item two.txt")), "2");
    EXPECT_EQ(testsupport::readAll(dir.file("file one.txt")), "1");
    EXPECT_EQ(h.state.warningCount, 1);
    EXPECT_EQ(h.lines().filter(QStringLiteral("Filename already exists...")).size(), 1);
}

TEST_F(UndoTest, TheRunWindowCannotCloseWhileTheUndoRuns) {
    renameFiles();
    bool closedDuringUndo = true;
    h.duringRun = nullptr;
    runs::DriverContext ctx = h.context();
    h.closeWindow();
    const auto updateTreeview = ctx.hooks.updateTreeview;
    ctx.hooks.updateTreeview = [&] {
        closedDuringUndo = h.window->close();
        EXPECT_FALSE(h.window->findChild<QPushButton*>(QStringLiteral("cmdClose"))->isEnabled());
        EXPECT_FALSE(h.window->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->isVisible());
        updateTreeview();
    };
    ASSERT_TRUE(runs::undoLastRun(ctx));
    EXPECT_FALSE(closedDuringUndo);
    EXPECT_TRUE(h.window->close());
    EXPECT_TRUE(h.mainWindow.isEnabled());
}

TEST_F(UndoTest, AFailingStepStillReachesTheEnd) {
    renameFiles();
    h.readFailure = [] { throw std::runtime_error("gone"); };
    ASSERT_TRUE(h.undo());
    EXPECT_TRUE(platform::fs::isFile(dir.file("file one.txt")));
    EXPECT_FALSE(h.state.operationRunning);
    EXPECT_FALSE(platform::isBusy());
    EXPECT_FALSE(h.undoEnabled);
    EXPECT_EQ(h.window->windowTitle(), QStringLiteral("Status: Ready!"));
    h.closeWindow();
    EXPECT_TRUE(h.mainWindow.isEnabled());
}

// Files and folders that had no stored DOS attributes have none after the undo, not one
// holding 0; one that had a value keeps it, byte for byte.
TEST_F(UndoTest, AnAttributeUndoRemovesTheStoredValueItCreated) {
    if (!storesDosBits(dir)) {
        GTEST_SKIP() << "the file system keeps no user extended attributes";
    }
    const auto stored = [](const std::string& path) -> std::string {
        char blob[512];
        const ssize_t length =
            ::lgetxattr(path.c_str(), platform::fs::kDosAttributeName, blob, sizeof blob);
        return length < 0 ? "(none)" : std::string(blob, static_cast<std::size_t>(length));
    };
    testsupport::writeFile(dir, "plain.txt", "1", 1);
    const std::string readOnly = testsupport::writeFile(dir, "readonly.txt", "2", 2);
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    const std::string had = testsupport::writeFile(dir, "had.txt", "3", 3);
    ASSERT_TRUE(platform::fs::setAttributes(had, platform::fs::Hidden).ok());
    dir.mkdir("folder");
    h.inputs.dirsTicked = true;
    h.loadFolder(dir.path());
    const std::map<std::string, std::string> before = {
        {"plain.txt", stored(dir.file("plain.txt"))},
        {"readonly.txt", stored(readOnly)},
        {"had.txt", stored(had)},
        {"folder", stored(dir.file("folder"))},
    };
    ASSERT_EQ(before.at("plain.txt"), "(none)");
    ASSERT_EQ(before.at("folder"), "(none)");
    h.inputs.mode = runs::NamingMode::None;
    h.inputs.attributeRun = true;
    h.inputs.attrib.chkA = 1;
    h.inputs.attrib.chkS = 1;
    h.run();
    ASSERT_EQ(h.state.lastRunFileCount, 3);
    ASSERT_EQ(h.state.lastRunDirCount, 1);

    ASSERT_TRUE(h.undo());
    EXPECT_EQ(h.state.warningCount, 0) << h.lines().join('\n').toStdString();
    for (const auto& [name, value] : before) {
        EXPECT_EQ(stored(dir.file(name)), value) << name;
    }
    struct stat st {};
    ASSERT_EQ(::stat(readOnly.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

class FreeSelectUndoTest : public UndoTest {};

TEST_F(FreeSelectUndoTest, AFolderThatCouldNotComeBackKeepsItsItemsInTheList) {
    dir.mkdir("Photos");
    testsupport::writeFile(dir, "Photos/x.jpg", "x");
    h.setFolder(dir.path());
    h.useFreeSelect({h.folder + "Photos/x.jpg"}, {h.folder + "Photos"});
    testsupport::replaceNames(h.inputs, QStringLiteral("Photos"), QStringLiteral("Pics"));
    h.run();
    ASSERT_TRUE(platform::fs::isDirectory(dir.file("Pics")));
    EXPECT_EQ(h.rowPaths(h.dragDrop), QStringList({h.folder + "Pics/x.jpg", h.folder + "Pics"}));

    dir.mkdir("Photos");  // the old name is taken now
    ASSERT_TRUE(h.undo());
    EXPECT_EQ(h.state.warningCount, 1);
    EXPECT_EQ(h.rowPaths(h.dragDrop), QStringList({h.folder + "Pics/x.jpg", h.folder + "Pics"}));
}

TEST_F(FreeSelectUndoTest, SiblingFoldersWithTheSameStartAreToldApart) {
    for (const char* folder : {"Photos", "Photos 2005"}) {
        dir.mkdir(folder);
        testsupport::writeFile(dir, std::string(folder) + "/in.jpg", folder);
    }
    const Tree before = testsupport::snapshotTree(dir.path());
    h.setFolder(dir.path());
    const QStringList files{h.folder + "Photos/in.jpg", h.folder + "Photos 2005/in.jpg"};
    const QStringList dirs{h.folder + "Photos", h.folder + "Photos 2005"};
    h.useFreeSelect(files, dirs);
    testsupport::replaceNames(h.inputs, QStringLiteral("Photos"), QStringLiteral("Pics"));
    h.run();
    EXPECT_EQ(h.rowPaths(h.dragDrop),
              QStringList({h.folder + "Pics/in.jpg", h.folder + "Pics 2005/in.jpg",
                           h.folder + "Pics", h.folder + "Pics 2005"}));

    ASSERT_TRUE(h.undo());
    EXPECT_EQ(testsupport::snapshotTree(dir.path()), before);
    EXPECT_EQ(h.rowPaths(h.dragDrop), files + dirs);
}

}  // namespace
