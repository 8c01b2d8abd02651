// The run driver: the row helpers it shares with the undo (order restore, reselection, the
// carry-over of renames to the other source) against the literal algorithms they replace, and
// whole runs on real folders through a stand-in for the main window: what the run window, the
// panels, Undo, the totals and the lists show afterwards, simulations, cancels, failures and
// the Free Select source.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include <limits>
#include <random>
#include <stdexcept>

#include "engine/log.h"
#include "platform/widgets/busy.h"
#include "tests/runs/driverharness.h"

namespace {

using runs::CarriedRename;
using testsupport::DriverHarness;
using testsupport::TempDir;

QStringList texts(std::initializer_list<const char*> items) {
    QStringList list;
    for (const char* item : items) {
        list.append(QString::fromUtf8(item));
    }
    return list;
}

// A list whose rows are "/f/<name>".
void fillRows(platform::ListView& list, const QStringList& names) {
    list.clear();
    QList<platform::ListRow> rows;
    for (const QString& name : names) {
        rows.append(testsupport::fileRow(QStringLiteral("/f/") + name));
    }
    list.addRows(rows);
}

QStringList names(const platform::ListView& list) {
    QStringList all;
    for (int row = 0; row < list.rowCount(); ++row) {
        all.append(list.text(row));
    }
    return all;
}

QString label(const runs::RunWindow& window, const char* name) {
    return window.findChild<QLabel*>(QString::fromUtf8(name))->text();
}

QPushButton* button(const runs::RunWindow& window, const char* name) {
    return window.findChild<QPushButton*>(QString::fromUtf8(name));
}

// ---- Row helpers ----

// The order restore as it reads literally: for every position, search the rows from the top
// for the snapshot's path, skip a match at the position itself, exchange the first other one.
QStringList literalRestore(QStringList rows, const QStringList& order) {
    const qsizetype limit = std::min(rows.size(), order.size());
    for (qsizetype p = 0; p < limit; ++p) {
        for (qsizetype k = 0; k < rows.size(); ++k) {
            if (rows.at(k) == order.at(p) && k != p) {
                rows.swapItemsAt(p, k);
                break;
            }
        }
    }
    return rows;
}

TEST(RowOrderTest, RestoresTheSnapshotOrder) {
    struct Case {
        QStringList rows;
        QStringList order;
        QStringList expected;
        bool moved;
    };
    const Case cases[] = {
        {texts({"a", "b", "c", "d"}), texts({"d", "a", "c", "b"}), texts({"d", "a", "c", "b"}),
         true},
        // A snapshot entry that matches no row (the item moved into a sub-folder) leaves its
        // position as the new read put it.
        {texts({"a", "b", "c"}), texts({"x", "c", "a"}), texts({"b", "c", "a"}), true},
        // Fewer rows than the snapshot: positions after the last row are not visited.
        {texts({"a", "b", "c"}), texts({"c", "b", "a", "z"}), texts({"c", "b", "a"}), true},
        // More rows than the snapshot: the new ones stay after it.
        {texts({"n", "b", "a"}), texts({"a", "b"}), texts({"a", "b", "n"}), true},
        {texts({"a", "b"}), texts({"a", "b"}), texts({"a", "b"}), false},
        {{}, texts({"a"}), {}, false},
    };
    for (const Case& c : cases) {
        platform::ListView list;
        list.addColumn(QStringLiteral("Name"), QStringLiteral("filename"), 50);
        list.addColumn(QStringLiteral("Preview"), QStringLiteral("preview"), 50);
        list.addColumn(QStringLiteral("Path"), QStringLiteral("path"), 50);
        fillRows(list, c.rows);
        QStringList order;
        for (const QString& name : c.order) {
            order.append(QStringLiteral("/f/") + name);
        }
        EXPECT_EQ(runs::restoreRowOrder(list, order), c.moved) << c.rows.join(',').toStdString();
        EXPECT_EQ(names(list), c.expected) << c.rows.join(',').toStdString();
        EXPECT_EQ(names(list), literalRestore(c.rows, c.order));
    }
}

TEST(RowOrderTest, MatchesTheLiteralExchangesOnShuffledLists) {
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        QStringList rows;
        const int count = 1 + static_cast<int>(random() % 30);
        for (int i = 0; i < count; ++i) {
            rows.append(QStringLiteral("r%1").arg(i));
        }
        QStringList order = rows;
        std::shuffle(order.begin(), order.end(), random);
        // Some items left the list, some came in, the lists differ in length.
        for (int i = 0; i < 3; ++i) {
            order[static_cast<qsizetype>(random() % order.size())] =
                QStringLiteral("gone%1").arg(i);
        }
        if (round % 2 == 0) {
            order = order.mid(0, order.size() / 2 + 1);
        }
        platform::ListView list;
        list.addColumn(QStringLiteral("Name"), QStringLiteral("filename"), 50);
        list.addColumn(QStringLiteral("Preview"), QStringLiteral("preview"), 50);
        list.addColumn(QStringLiteral("Path"), QStringLiteral("path"), 50);
        fillRows(list, rows);
        QStringList paths;
        for (const QString& name : order) {
            paths.append(QStringLiteral("/f/") + name);
        }
        runs::restoreRowOrder(list, paths);
        EXPECT_EQ(names(list), literalRestore(rows, order)) << "round " << round;
    }
}

TEST(RowOrderTest, ReselectionAddsToTheSelection) {
    platform::ListView list;
    list.addColumn(QStringLiteral("Name"), QStringLiteral("filename"), 50);
    list.addColumn(QStringLiteral("Preview"), QStringLiteral("preview"), 50);
    list.addColumn(QStringLiteral("Path"), QStringLiteral("path"), 50);
    fillRows(list, texts({"a", "b", "c", "d", "e"}));
    list.selectRow(0);
    runs::reselectRows(list, texts({"/f/b", "/f/c", "/f/e", "/f/missing"}));
    EXPECT_EQ(list.selectedRows(), QList<int>({0, 1, 2, 4}));
}

TEST(CarryRenamesTest, FollowsChainsAndRows) {
    platform::ListView rows;
    rows.addColumn(QStringLiteral("Name"), QStringLiteral("filename"), 50);
    rows.addColumn(QStringLiteral("Preview"), QStringLiteral("preview"), 50);
    rows.addColumn(QStringLiteral("Path"), QStringLiteral("path"), 50);
    fillRows(rows, texts({"a", "b"}));
    // The run renamed b to c, then a to b.
    const QList<CarriedRename> renames{{QStringLiteral("/f/b"), QStringLiteral("/f/c")},
                                       {QStringLiteral("/f/a"), QStringLiteral("/f/b")}};
    QStringList entries = texts({"/f/a", "/f/b", "/f/z"});
    runs::carryRenames(entries, &rows, renames);
    EXPECT_EQ(entries, texts({"/f/b", "/f/c", "/f/z"}));
    // Every row is matched by the path it had, so the row that became "b" is not taken for
    // the old "b".
    EXPECT_EQ(names(rows), texts({"b", "c"}));
}

TEST(CarryRenamesTest, AnEntryWithoutARowGoesOnAlongTheJournal) {
    const QList<CarriedRename> renames{{QStringLiteral("/f/a"), QStringLiteral("/f/b")},
                                       {QStringLiteral("/f/x"), QStringLiteral("/f/y")},
                                       {QStringLiteral("/f/b"), QStringLiteral("/f/c")}};
    QStringList entries = texts({"/f/a", "/f/b"});
    runs::carryRenames(entries, nullptr, renames);
    EXPECT_EQ(entries, texts({"/f/c", "/f/c"}));

    // With a row for the entry, the first match settles it.
    platform::ListView rows;
    rows.addColumn(QStringLiteral("Name"), QStringLiteral("filename"), 50);
    rows.addColumn(QStringLiteral("Preview"), QStringLiteral("preview"), 50);
    rows.addColumn(QStringLiteral("Path"), QStringLiteral("path"), 50);
    fillRows(rows, texts({"a"}));
    entries = texts({"/f/a"});
    runs::carryRenames(entries, &rows, renames);
    EXPECT_EQ(entries, texts({"/f/b"}));
}

TEST(CarryRenamesTest, AMoveIntoASubfolderMovesTheRowsFolderToo) {
    platform::ListView rows;
    rows.addColumn(QStringLiteral("Name"), QStringLiteral("filename"), 50);
    rows.addColumn(QStringLiteral("Preview"), QStringLiteral("preview"), 50);
    rows.addColumn(QStringLiteral("Path"), QStringLiteral("path"), 50);
    fillRows(rows, texts({"a.txt"}));
    QStringList entries = texts({"/f/a.txt"});
    runs::carryRenames(entries, &rows,
                       {{QStringLiteral("/f/a.txt"), QStringLiteral("/f/2003/Jan/a.txt")}});
    EXPECT_EQ(entries, texts({"/f/2003/Jan/a.txt"}));
    EXPECT_EQ(runs::rowPath(rows, 0), QStringLiteral("/f/2003/Jan/a.txt"));
}

runs::FileUndoRecord record(const char* oldName, const char* newName) {
    runs::FileUndoRecord made;
    made.oldName = QString::fromUtf8(oldName);
    made.newName = QString::fromUtf8(newName);
    made.folder = QStringLiteral("/f/");
    return made;
}

TEST(CarryRenamesTest, JournalRenamesStayWithinTheLastRun) {
    runs::RunState state;
    state.undoFiles.append(record("a", "b"));
    state.undoFiles.append(record("c", "d"));
    // An attribute record has no new name.
    state.undoFiles.append(record("e", ""));
    state.lastRunFileCount = 5;  // more than the journal holds
    const QList<CarriedRename> forward = runs::journalFileRenames(state, false);
    ASSERT_EQ(forward.size(), 2);
    EXPECT_EQ(forward[1].from, QStringLiteral("/f/c"));
    EXPECT_EQ(forward[1].to, QStringLiteral("/f/d"));
    state.lastRunFileCount = 1;
    const QList<CarriedRename> backward = runs::journalFileRenames(state, true);
    ASSERT_EQ(backward.size(), 1);
    EXPECT_EQ(backward[0].from, QStringLiteral("/f/b"));
    EXPECT_EQ(backward[0].to, QStringLiteral("/f/a"));
}

// ---- Whole runs ----

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override { engine::setErrorsLogged(false); }
    // file1.txt .. file<count>.txt and other.txt in the working folder.
    void makeFiles(int count) {
        for (int i = 1; i <= count; ++i) {
            testsupport::writeFile(dir, "file" + std::to_string(i) + ".txt",
                                   "content " + std::to_string(i), i);
        }
        testsupport::writeFile(dir, "other.txt", "other");
        h.loadFolder(dir.path());
    }
    bool exists(const std::string& name) const { return platform::fs::exists(dir.file(name)); }
    bool errorMessageShown() const {
        for (const auto& shown : h.messages.shown) {
            if (shown.text == runs::kErrorsDuringExecution) {
                return true;
            }
        }
        return false;
    }

    TempDir dir;
    DriverHarness h;
};

TEST_F(DriverTest, ARenameRunShowsEveryStepAndEndsReady) {
    makeFiles(3);
    testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
    h.settings.totNumberOfFilesRenamedNew = 10;
    h.run();

    for (const char* name : {"item1.txt", "item2.txt", "item3.txt", "other.txt"}) {
        EXPECT_TRUE(exists(name)) << name;
    }
    EXPECT_FALSE(exists("file1.txt"));
    ASSERT_TRUE(h.window);
    const runs::RunWindow& window = *h.window;
    EXPECT_EQ(window.lines(), texts({"File Renamed: file1.txt --> item1.txt",
                                     "File Renamed: file2.txt --> item2.txt",
                                     "File Renamed: file3.txt --> item3.txt"}));
    EXPECT_EQ(label(window, "lblInfo_Files"), QStringLiteral("3 Files Renamed."));
    EXPECT_EQ(label(window, "lblInfo_Skipped"), QStringLiteral("0 Warnings."));
    EXPECT_EQ(window.progressMaximum(), 4);
    EXPECT_EQ(window.progressValue(), 4);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Status: Ready!"));
    EXPECT_TRUE(button(window, "cmdClose")->isVisible());
    EXPECT_TRUE(button(window, "cmdClose")->isEnabled());
    EXPECT_FALSE(button(window, "cmdCancel")->isVisible());
    EXPECT_TRUE(button(window, "cmdSaveLog")->isEnabled());

    EXPECT_EQ(h.panels.first(), QStringLiteral("Preparing..."));
    EXPECT_TRUE(h.panels.contains(QStringLiteral("Renaming...")));
    EXPECT_TRUE(h.panels.contains(QStringLiteral("Checking Files...")));
    EXPECT_EQ(h.panels.last(), QStringLiteral("Ready!"));
    EXPECT_EQ(h.reads, 3);  // the load, before the run, after it
    EXPECT_EQ(h.previewStops, 1);
    EXPECT_EQ(h.selectionCounts, 1);
    EXPECT_EQ(h.rowPaths(h.directory),
              QStringList({h.folder + "item1.txt", h.folder + "item2.txt", h.folder + "item3.txt",
                           h.folder + "other.txt"}));

    EXPECT_TRUE(h.undoEnabled);
    EXPECT_EQ(h.settings.totNumberOfFilesRenamedNew, 13);
    EXPECT_EQ(h.state.lastRunFileCount, 3);
    EXPECT_EQ(h.state.undoFiles.size(), 3);
    EXPECT_FALSE(h.state.operationRunning);
    EXPECT_FALSE(platform::isBusy());
    EXPECT_FALSE(errorMessageShown());

    // The main window comes back when the run window closes.
    EXPECT_FALSE(h.mainWindow.isEnabled());
    h.closeWindow();
    EXPECT_TRUE(h.mainWindow.isEnabled());
    EXPECT_FALSE(h.window);
}

TEST_F(DriverTest, NothingHappensWhenValidationRefuses) {
    makeFiles(1);
    testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
    h.valid = false;
    h.run();
    EXPECT_EQ(h.windowsOpened, 0);
    EXPECT_TRUE(h.panels.isEmpty());
    EXPECT_TRUE(exists("file1.txt"));
    EXPECT_TRUE(h.mainWindow.isEnabled());
}

TEST_F(DriverTest, ASimulationLeavesDiskJournalTotalsAndUndoAlone) {
    makeFiles(2);
    testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
    h.state.simulationMode = true;
    h.inputs.simulationBox = true;
    h.state.undoFiles.append(record("old", "new"));
    h.undoEnabled = true;
    const auto before = testsupport::snapshotTree(dir.path());
    h.run();

    EXPECT_EQ(testsupport::snapshotTree(dir.path()), before);
    EXPECT_EQ(h.window->lines().size(), 2);
    EXPECT_EQ(label(*h.window, "lblInfo_Files"), QStringLiteral("2 Files Renamed."));
    EXPECT_EQ(h.window->windowTitle(), QStringLiteral("Status: Simulation Ready!"));
    EXPECT_FALSE(h.panels.contains(QStringLiteral("Renaming...")));
    EXPECT_EQ(h.reads, 3);  // the folder is still read again afterwards
    EXPECT_FALSE(h.undoEnabled);
    EXPECT_TRUE(h.state.undoFiles.isEmpty());  // the previous run can no longer be undone
    EXPECT_EQ(h.settings.totNumberOfFilesRenamedNew, 0);
}

TEST_F(DriverTest, ARunThatChangesNothingOffersNoUndoAndNoSaveLog) {
    makeFiles(2);
    testsupport::replaceNames(h.inputs, QStringLiteral("absent"), QStringLiteral("x"));
    h.run();
    EXPECT_FALSE(h.undoEnabled);
    EXPECT_EQ(h.settings.totNumberOfFilesRenamedNew, 0);
    EXPECT_EQ(h.window->lineCount(), 0);
    EXPECT_FALSE(button(*h.window, "cmdSaveLog")->isEnabled());
    EXPECT_TRUE(button(*h.window, "cmdClose")->isEnabled());
}

TEST_F(DriverTest, LoggedErrorsAreReportedOnceAtTheEnd) {
    makeFiles(1);
    testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
    engine::setErrorsLogged(true);  // from before the run: cleared at its start
    h.run();
    EXPECT_FALSE(errorMessageShown());

    h.closeWindow();
    testsupport::replaceNames(h.inputs, QStringLiteral("item"), QStringLiteral("thing"));
    h.readFailure = [] { engine::logError(QStringLiteral("a failing step")); };
    h.run();
    ASSERT_EQ(h.messages.shown.size(), 1);
    EXPECT_EQ(h.messages.shown[0].text, QStringLiteral("There were errors during execution!"));
    EXPECT_EQ(h.messages.shown[0].title, QStringLiteral("Quenza Renamer"));
    EXPECT_EQ(h.messages.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_FALSE(engine::errorsLogged());
    // The run itself went through.
    EXPECT_TRUE(exists("thing1.txt"));
    EXPECT_EQ(h.window->windowTitle(), QStringLiteral("Status: Ready!"));
}

TEST_F(DriverTest, AFailureLeavesNothingLockedAndTheWindowClosable) {
    makeFiles(2);
    testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
    h.readFailure = [] { throw std::runtime_error("disk on fire"); };
    h.run();

    EXPECT_FALSE(h.state.operationRunning);
    EXPECT_FALSE(platform::isBusy());
    EXPECT_TRUE(errorMessageShown());
    ASSERT_TRUE(h.window);
    EXPECT_TRUE(button(*h.window, "cmdClose")->isEnabled());
    EXPECT_FALSE(h.mainWindow.isEnabled());
    h.closeWindow();
    EXPECT_FALSE(h.window);
    EXPECT_TRUE(h.mainWindow.isEnabled());
    EXPECT_TRUE(exists("file1.txt"));
}

TEST_F(DriverTest, AFailureBeforeTheRunWindowGivesTheMainWindowBack) {
    makeFiles(1);
    DriverHarness& harness = h;
    runs::DriverContext ctx = harness.context();
    ctx.hooks.openRunWindow = [] { return static_cast<runs::RunWindow*>(nullptr); };
    runs::executeRun(ctx);
    EXPECT_TRUE(h.mainWindow.isEnabled());
    EXPECT_FALSE(h.state.operationRunning);
    EXPECT_FALSE(platform::isBusy());
    EXPECT_TRUE(errorMessageShown());
}

TEST_F(DriverTest, ACancelledRunKeepsWhatWasDone) {
    makeFiles(4);
    testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
    h.cancelAtFirstItem();
    h.run();
    EXPECT_TRUE(exists("item1.txt"));
    EXPECT_TRUE(exists("file2.txt"));
    EXPECT_EQ(h.state.lastRunFileCount, 1);
    EXPECT_TRUE(h.undoEnabled);
    EXPECT_FALSE(button(*h.window, "cmdCancel")->isVisible());
    EXPECT_EQ(h.window->windowTitle(), QStringLiteral("Status: Ready!"));
    // Every entry before the cancel took its step; the one after which it was seen none.
    EXPECT_EQ(h.window->progressValue(), 0);
}

TEST_F(DriverTest, RowsKeepTheirOrderAndSelectionUnderTheirNewNames) {
    makeFiles(3);
    testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
    // The user put the rows in another order and selected two.
    const QStringList order{h.folder + "other.txt", h.folder + "file3.txt", h.folder + "file1.txt",
                            h.folder + "file2.txt"};
    runs::restoreRowOrder(h.directory, order);
    h.directory.selectRow(1);
    h.directory.selectRow(2);
    h.inputs.listOrderChanged = true;
    h.run();
    EXPECT_EQ(h.rowPaths(h.directory),
              QStringList({h.folder + "other.txt", h.folder + "item3.txt", h.folder + "item1.txt",
                           h.folder + "item2.txt"}));
    EXPECT_EQ(h.directory.selectedRows(), QList<int>({1, 2}));
    EXPECT_TRUE(h.listOrderChanged);

    // Without a reordering by hand the rows stay as the new read lists them.
    h.closeWindow();
    runs::restoreRowOrder(h.directory, {h.folder + "other.txt"});
    h.inputs.listOrderChanged = false;
    h.listOrderChanged = false;
    testsupport::replaceNames(h.inputs, QStringLiteral("item"), QStringLiteral("thing"));
    h.run();
    EXPECT_EQ(h.rowPaths(h.directory).first(), h.folder + "other.txt");
    EXPECT_EQ(h.rowPaths(h.directory).last(), h.folder + "thing3.txt");
    EXPECT_FALSE(h.listOrderChanged);
}

TEST_F(DriverTest, LifetimeTotalsSaturate) {
    makeFiles(3);
    testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
    h.settings.totNumberOfFilesRenamedNew = std::numeric_limits<std::int32_t>::max() - 1;
    h.run();
    EXPECT_EQ(h.settings.totNumberOfFilesRenamedNew, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(h.state.totNumberOfFilesRenamedNew, std::numeric_limits<std::int32_t>::max());
}

TEST_F(DriverTest, TheIncludeBoxesDecideWhatIsWalked) {
    dir.mkdir("filedir");
    makeFiles(2);
    testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
    h.inputs.filesTicked = false;
    h.inputs.dirsTicked = true;
    h.buildRows();
    h.run();
    EXPECT_TRUE(exists("itemdir"));
    EXPECT_TRUE(exists("file1.txt"));
    EXPECT_EQ(h.window->progressMaximum(), 1);
    EXPECT_EQ(label(*h.window, "lblInfo_Dirs"), QStringLiteral("1 Directories Renamed."));
}

TEST_F(DriverTest, TheEnumTabKeepsTheRowsItWasGiven) {
    makeFiles(1);
    h.inputs.mode = runs::NamingMode::Enum;
    const int before = h.reads;
    h.run();
    EXPECT_EQ(h.reads, before + 1);  // only the read after the run
}

TEST_F(DriverTest, TheOtherSourceFollowsTheRenames) {
    makeFiles(2);
    testsupport::replaceNames(h.inputs, QStringLiteral("file"), QStringLiteral("item"));
    h.fillFreeSelect({h.folder + "file2.txt", h.folder + "other.txt"}, {});
    h.run();
    EXPECT_EQ(h.lstFiles[1], QStringList({h.folder + "item2.txt", h.folder + "other.txt"}));
    EXPECT_EQ(h.rowPaths(h.dragDrop),
              QStringList({h.folder + "item2.txt", h.folder + "other.txt"}));
}

class FreeSelectDriverTest : public DriverTest {
protected:
    // five files in the Free Select list, in a custom order, and a folder.
    void makeList() {
        for (const char* name : {"e.txt", "b.txt", "d.txt", "a.txt", "c.txt"}) {
            testsupport::writeFile(dir, std::string("file_") + name, name);
            files.append(QString::fromStdString(dir.file(std::string("file_") + name)));
        }
        folderPath = QString::fromStdString(dir.mkdir("file_folder"));
        h.useFreeSelect(files, {folderPath});
        testsupport::replaceNames(h.inputs, QStringLiteral("file_"), QStringLiteral("item_"));
    }
    static QString renamed(QString path) { return path.replace(QStringLiteral("file_"), "item_"); }

    QStringList files;
    QString folderPath;
};

TEST_F(FreeSelectDriverTest, OnlySelectedItemsChangeAndTheOthersStayInTheList) {
    makeList();
    h.inputs.onlySelectedInForce = true;
    for (int row : {0, 2, 4}) {
        h.dragDrop.selectRow(row);
    }
    h.run();
    const QStringList expected{renamed(files[0]), files[1],          renamed(files[2]),
                               files[3],          renamed(files[4]), folderPath};
    EXPECT_EQ(h.rowPaths(h.dragDrop), expected);
    EXPECT_EQ(h.dragDrop.selectedRows(), QList<int>({0, 2, 4}));
    EXPECT_EQ(h.refills.size(), 1);
    EXPECT_EQ(h.state.lastRunFileCount, 3);
}

TEST_F(FreeSelectDriverTest, ItemsACancelledRunDidNotWalkStayInTheList) {
    makeList();
    h.cancelAtFirstItem();
    h.run();
    EXPECT_EQ(h.state.lastRunFileCount, 1);
    const QStringList expected{renamed(files[0]), files[1], files[2],
                               files[3],          files[4], folderPath};
    EXPECT_EQ(h.rowPaths(h.dragDrop), expected);
}

TEST_F(FreeSelectDriverTest, DirectoriesAFilesOnlyModeSkipsStayInTheList) {
    makeList();
    h.inputs.dirsAllowed = false;
    h.run();
    EXPECT_EQ(h.rowPaths(h.dragDrop).last(), folderPath);
    EXPECT_EQ(h.rowPaths(h.dragDrop).size(), 6);
    EXPECT_EQ(h.window->progressMaximum(), 5);
}

TEST_F(FreeSelectDriverTest, AnAttributeRunKeepsTheListAndOffersUndo) {
    makeList();
    h.inputs.mode = runs::NamingMode::None;
    h.inputs.attributeRun = true;
    h.inputs.attrib.chkR = 1;
    h.run();
    EXPECT_TRUE(h.refills.isEmpty());
    EXPECT_TRUE(h.undoEnabled);
    EXPECT_EQ(h.settings.totNumberOfFilesRenamedNew, 5);
    EXPECT_EQ(h.rowPaths(h.dragDrop).size(), 6);
    EXPECT_TRUE(platform::fs::attributes(platform::nativePath(files[0])).value() &
                platform::fs::ReadOnly);
}

}  // namespace
