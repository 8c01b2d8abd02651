#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QWidget>

#include "engine/log.h"
#include "filelists/imagelist.h"
#include "filelists/rowtext.h"
#include "filelists/sysicons.h"
#include "filelists/treebuilder.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"
#include "tests/support/tempdir.h"

namespace {

using namespace filelists;

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QStringList texts(const QTreeWidgetItem* parent) {
    QStringList result;
    for (int i = 0; i < parent->childCount(); ++i) {
        result << parent->child(i)->text(0);
    }
    return result;
}

QStringList topTexts(const QTreeWidget& tree) {
    return texts(tree.invisibleRootItem());
}

ViewSwitches switchesOf(bool dirs, bool files, bool subdirs, bool alwaysShowDirs = false) {
    ViewSwitches switches;
    switches.dirs = dirs;
    switches.files = files;
    switches.subdirs = subdirs;
    switches.alwaysShowDirs = alwaysShowDirs;
    switches.enableTreeview = true;
    return switches;
}

class TreeBuilder : public ::testing::Test {
protected:
    void SetUp() override {
        initSysIcons(images, QSize(32, 32));
        platform::EscapeWatch::clear();
        // base/ holds a/ (with b/ and y.txt; b/ holds z.txt), c/ and x.txt.
        base = q(dir.path() + "/");
        dir.mkdir("a");
        dir.mkdir("a/b");
        dir.mkdir("c");
        dir.write("x.txt");
        dir.write("a/y.txt");
        dir.write("a/b/z.txt");
        dirs = {base + "a", base + "a/b", base + "c"};
        files = {base + "x.txt", base + "a/y.txt", base + "a/b/z.txt"};
    }

    TreeBuildResult build(const ViewSwitches& switches, const QString& pathText) {
        IconOptions options;
        options.ghostDirs = switches.alwaysShowDirs && !switches.dirs;
        return buildTree(
            tree, dirs, files, pathText, switches, images, options,
            [this](const QString& panel, const QString& text) {
                (panel == QStringLiteral("main") ? mainTexts : selectedTexts).append(text);
            });
    }

    testsupport::TempDir dir;
    QString base;
    QStringList dirs;
    QStringList files;
    SourceImages images;
    QTreeWidget tree;
    QStringList mainTexts;
    QStringList selectedTexts;
};

TEST_F(TreeBuilder, NodesHangUnderTheirFoldersKeyedByRelativePath) {
    const TreeBuildResult result = build(switchesOf(true, true, true), base);
    ASSERT_EQ(result.outcome, BuildOutcome::Complete) << result.reason.toStdString();
    EXPECT_EQ(result.nodes, 7);

    // Top level in insertion order: "[..]", directories, files.
    ASSERT_EQ(topTexts(tree), (QStringList{QStringLiteral("[..]"), QStringLiteral("a"),
                                           QStringLiteral("c"), QStringLiteral("x.txt")}));
    const QTreeWidgetItem* root = tree.topLevelItem(0);
    EXPECT_TRUE(isRootNode(root));
    EXPECT_EQ(nodeKey(root), QStringLiteral("ROOT"));
    EXPECT_EQ(root->data(0, kNodeImageRole).toInt(), kDefaultGhostDir);
    EXPECT_EQ(nodeFullPath(root), QStringLiteral("[..]"));

    const QTreeWidgetItem* a = tree.topLevelItem(1);
    EXPECT_EQ(nodeKey(a), QStringLiteral("NODEa"));
    EXPECT_EQ(texts(a), (QStringList{QStringLiteral("b"), QStringLiteral("y.txt")}));
    const QTreeWidgetItem* b = a->child(0);
    EXPECT_EQ(nodeKey(b), QStringLiteral("NODEa/b"));
    ASSERT_EQ(b->childCount(), 1);
    const QTreeWidgetItem* z = b->child(0);
    EXPECT_EQ(nodeKey(z), QStringLiteral("NODEa/b/z.txt"));
    EXPECT_EQ(nodeFullPath(z), QStringLiteral("a/b/z.txt"));
    EXPECT_EQ(nodeKey(a->child(1)), QStringLiteral("NODEa/y.txt"));
    EXPECT_EQ(nodeKey(tree.topLevelItem(3)), QStringLiteral("NODEx.txt"));

    // Pictures: folders and files have theirs, shown from the small list.
    EXPECT_GT(a->data(0, kNodeImageRole).toInt(), 0);
    EXPECT_NE(a->data(0, kNodeImageRole).toInt(), kDefaultGhostDir);
    EXPECT_FALSE(z->icon(0).isNull());
    // With children below the top level, the top level shows lines and buttons too.
    EXPECT_TRUE(tree.rootIsDecorated());
    EXPECT_EQ(mainTexts.first(), QStringLiteral("Building Tree Structure..."));
    EXPECT_EQ(mainTexts.last(), QStringLiteral("Building Treeview... 100%"));
}

TEST_F(TreeBuilder, WhichPassesRunAndWhenTheParentNodeIsShown) {
    const struct {
        const char* name;
        ViewSwitches switches;
        bool rootNode;
        int nodes;  // "[..]" included
    } cases[] = {
        {"dirs and files", switchesOf(true, true, true), true, 7},
        {"dirs only", switchesOf(true, false, false), true, 4},
        {"always show dirs", switchesOf(false, true, true, true), true, 7},
        // Subdirectories alone: the folder nodes are built for the files below them, but the
        // parent folder is not offered.
        {"subdirs and files", switchesOf(false, true, true), false, 6},
        {"files only", switchesOf(false, true, false), false, 1},
    };
    for (const auto& c : cases) {
        // Files only: the read did not descend, so only the top folder's file is listed.
        if (!c.switches.subdirs && !c.switches.listsDirs()) {
            files = {base + "x.txt"};
        }
        const TreeBuildResult result = build(c.switches, base);
        ASSERT_EQ(result.outcome, BuildOutcome::Complete) << c.name;
        EXPECT_EQ(result.nodes, c.nodes) << c.name;
        EXPECT_EQ(tree.topLevelItemCount() > 0 && isRootNode(tree.topLevelItem(0)), c.rootNode)
            << c.name;
    }
}

TEST_F(TreeBuilder, NoParentNodeAtTheRootFolder) {
    dirs = {QStringLiteral("/quenza-no-such-dir")};
    files = {QStringLiteral("/quenza-no-such-file.txt")};
    ASSERT_EQ(build(switchesOf(true, true, false), QStringLiteral("/")).outcome,
              BuildOutcome::Complete);
    EXPECT_EQ(topTexts(tree), (QStringList{QStringLiteral("quenza-no-such-dir"),
                                           QStringLiteral("quenza-no-such-file.txt")}));
    EXPECT_EQ(nodeKey(tree.topLevelItem(0)), QStringLiteral("NODEquenza-no-such-dir"));
    EXPECT_FALSE(tree.rootIsDecorated());

    // One level down the parent folder is there to go up to.
    dirs = {QStringLiteral("/tmp/quenza-no-such-dir")};
    files.clear();
    ASSERT_EQ(build(switchesOf(true, true, false), QStringLiteral("/tmp/")).outcome,
              BuildOutcome::Complete);
    EXPECT_EQ(topTexts(tree),
              (QStringList{QStringLiteral("[..]"), QStringLiteral("quenza-no-such-dir")}));
}

TEST_F(TreeBuilder, EntryWithoutItsFolderNodeFailsTheBuild) {
    engine::setErrorsLogged(false);
    dirs = {base + "a"};  // a/b is missing, so z.txt has no folder node
    const TreeBuildResult result = build(switchesOf(true, true, true), base);
    EXPECT_EQ(result.outcome, BuildOutcome::Failed);
    EXPECT_EQ(result.lastPath, base + "a/b/z.txt");
    EXPECT_EQ(result.reason, QStringLiteral("the folder of the entry has no node"));
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    EXPECT_EQ(selectedTexts.last(), QStringLiteral("Error Building Treeview!"));
    EXPECT_TRUE(engine::errorsLogged());

    // So does an entry listed twice; the build stops at the first entry without a place.
    const struct {
        QStringList dirs;
        QStringList files;
        QString stopsAt;
        const char* reason;
    } cases[] = {
        {{base + "a"},
         {base + "x.txt", base + "a/y.txt", base + "x.txt"},
         base + "x.txt",
         "the tree holds this entry already"},
        {{base + "a", base + "a"}, {}, base + "a", "the tree holds this entry already"},
        {{base + "a"},
         {base + "a/b/z.txt", base + "a/b/z.txt"},
         base + "a/b/z.txt",
         "the folder of the entry has no node"},
    };
    for (const auto& c : cases) {
        dirs = c.dirs;
        files = c.files;
        const TreeBuildResult again = build(switchesOf(true, true, true), base);
        EXPECT_EQ(again.outcome, BuildOutcome::Failed);
        EXPECT_EQ(again.reason, QString::fromLatin1(c.reason));
        EXPECT_EQ(again.lastPath, c.stopsAt);
        EXPECT_EQ(tree.topLevelItemCount(), 0);
    }

    // So does an entry that does not lie below the working folder.
    files = {QStringLiteral("/elsewhere/x.txt")};
    dirs.clear();
    EXPECT_EQ(build(switchesOf(true, true, false), base).outcome, BuildOutcome::Failed);
    EXPECT_EQ(tree.topLevelItemCount(), 0);
}

TEST_F(TreeBuilder, TwoFullWorkLists) {
    dirs.clear();
    files.clear();
    for (int i = 0; i < 32767; ++i) {
        dirs << base + QStringLiteral("d%1").arg(i, 5, 10, QLatin1Char('0'));
        files << base + QStringLiteral("d%1/f.txt").arg(i, 5, 10, QLatin1Char('0'));
    }
    const TreeBuildResult result = build(switchesOf(true, true, true), base);
    ASSERT_EQ(result.outcome, BuildOutcome::Complete) << result.reason.toStdString();
    EXPECT_EQ(result.nodes, 65535);
    EXPECT_EQ(tree.topLevelItemCount(), 32768);
    const QTreeWidgetItem* last = tree.topLevelItem(32767);
    EXPECT_EQ(nodeKey(last), QStringLiteral("NODEd32766"));
    ASSERT_EQ(last->childCount(), 1);
    EXPECT_EQ(nodeKey(last->child(0)), QStringLiteral("NODEd32766/f.txt"));
    EXPECT_EQ(mainTexts.last(), QStringLiteral("Building Treeview... 100%"));
}

TEST(TreeTopLevelSort, WhenTheTopLevelIsSorted) {
    const struct {
        bool dirs, files, subdirs, always, sorted;
    } cases[] = {
        {false, true, false, false, true},  // files only
        {true, false, false, false, true},  // directories only
        {true, false, true, false, true},   // directories with subdirectories
        {true, true, false, false, false},  // directories and files keep their order
        {false, true, true, false, false},  // subdirectories and files
        {false, true, false, true, false},  // alwaysShowDirs
        {false, false, false, false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sortsTopLevel(switchesOf(c.dirs, c.files, c.subdirs, c.always)), c.sorted)
            << c.dirs << c.files << c.subdirs << c.always;
    }
}

TEST(TreeTopLevelSort, SortsTheTopLevelOnly) {
    QTreeWidget tree;
    auto* b = new QTreeWidgetItem(QStringList{QStringLiteral("b")});
    b->addChild(new QTreeWidgetItem(QStringList{QStringLiteral("z")}));
    b->addChild(new QTreeWidgetItem(QStringList{QStringLiteral("y")}));
    tree.addTopLevelItems({b, new QTreeWidgetItem(QStringList{QStringLiteral("C")}),
                           new QTreeWidgetItem(QStringList{QStringLiteral("a")})});
    sortTopLevel(tree);
    EXPECT_EQ(topTexts(tree),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("C")}));
    EXPECT_EQ(texts(tree.topLevelItem(1)), (QStringList{QStringLiteral("z"), QStringLiteral("y")}));
}

// updateTreeview with the main window's part played by a recorder.
class UpdateTreeview : public TreeBuilder {
protected:
    void SetUp() override {
        TreeBuilder::SetUp();
        addBaseColumns(list);
        window.resize(200, 100);
    }

    static void addBaseColumns(platform::ListView& view) {
        view.addColumn(QStringLiteral("Name"), QStringLiteral("filename"), 100);
        view.addColumn(QStringLiteral("Preview"), QStringLiteral("preview"), 100);
        view.addColumn(QStringLiteral("Path"), QStringLiteral("path"), 100);
    }

    TreeviewJob job(const ViewSwitches& switches) {
        TreeviewJob j;
        j.list = &list;
        j.tree = &tree;
        j.window = &window;
        j.dirs = &dirs;
        j.files = &files;
        j.pathText = base;
        j.switches = switches;
        j.windowReady = true;
        j.images = &images;
        j.status.text = [this](const QString& key) { return panels.value(key); };
        j.status.setText = [this](const QString& key, const QString& text) {
            panels[key] = text;
            if (key == QStringLiteral("main")) {
                mainTexts << text;
                busyWhileBuilding = busyWhileBuilding && platform::isBusy();
                disabledWhileBuilding = disabledWhileBuilding && !window.isEnabled();
            }
        };
        j.hooks.stopPreview = [this] { calls << QStringLiteral("stopPreview"); };
        j.hooks.clearWorkLists = [this] {
            calls << QStringLiteral("clearWorkLists");
            dirs.clear();
            files.clear();
        };
        j.hooks.listBuilt = [this] { calls << QStringLiteral("listBuilt"); };
        j.hooks.optionsChanged = [this] { calls << QStringLiteral("optionsChanged"); };
        j.hooks.updateSelectedCount = [this] {
            calls << QStringLiteral("updateSelectedCount");
            recountWhileBusy = platform::isBusy();
        };
        return j;
    }

    platform::ListView list;
    QWidget window;
    QHash<QString, QString> panels;
    QStringList calls;
    bool busyWhileBuilding = true;
    bool disabledWhileBuilding = true;
    bool recountWhileBusy = true;
};

TEST_F(UpdateTreeview, BuildsTreeAndListThenCountsAndHandsTheWindowBack) {
    updateTreeview(job(switchesOf(true, true, true)));
    EXPECT_EQ(calls, (QStringList{QStringLiteral("stopPreview"), QStringLiteral("listBuilt"),
                                  QStringLiteral("optionsChanged"),
                                  QStringLiteral("updateSelectedCount")}));
    EXPECT_EQ(tree.topLevelItemCount(), 4);
    EXPECT_EQ(list.rowCount(), 6);
    EXPECT_EQ(panels.value(QStringLiteral("main")), QStringLiteral("3 Files, 3 Directories"));
    EXPECT_TRUE(mainTexts.contains(QStringLiteral("Building Treeview... 100%")));
    EXPECT_TRUE(mainTexts.contains(QStringLiteral("Building Listview... 100%")));
    EXPECT_TRUE(busyWhileBuilding);
    EXPECT_TRUE(disabledWhileBuilding);
    EXPECT_FALSE(recountWhileBusy);
    EXPECT_TRUE(window.isEnabled());
    EXPECT_FALSE(platform::isBusy());
    // Directories and files together keep the insertion order at the top level.
    EXPECT_EQ(topTexts(tree).first(), QStringLiteral("[..]"));
}

TEST_F(UpdateTreeview, GuardsBeforeAnythingIsBuilt) {
    // Empty path box: nothing at all.
    TreeviewJob empty = job(switchesOf(true, true, true));
    empty.pathText.clear();
    updateTreeview(empty);
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_TRUE(panels.isEmpty());

    // Nothing read: only the counts, even before the window is ready, and no hourglass.
    const QStringList noDirs;
    const QStringList noFiles;
    TreeviewJob nothing = job(switchesOf(true, true, true));
    nothing.dirs = &noDirs;
    nothing.files = &noFiles;
    nothing.windowReady = false;
    updateTreeview(nothing);
    EXPECT_EQ(panels.value(QStringLiteral("main")), QStringLiteral("0 Files, 0 Directories"));
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(tree.topLevelItemCount(), 0);

    // Something read but the window not ready yet: nothing.
    panels.clear();
    TreeviewJob early = job(switchesOf(true, true, true));
    early.windowReady = false;
    updateTreeview(early);
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_TRUE(panels.isEmpty());
    EXPECT_EQ(list.rowCount(), 0);
}

TEST_F(UpdateTreeview, CountsLeaveOutDirectoriesShownOnlyBySetting) {
    updateTreeview(job(switchesOf(false, true, true, true)));
    EXPECT_EQ(panels.value(QStringLiteral("main")), QStringLiteral("3 Files, 0 Directories"));
    EXPECT_EQ(list.rowCount(), 6);  // the folders are listed all the same

    calls.clear();
    updateTreeview(job(switchesOf(true, false, false)));
    EXPECT_EQ(panels.value(QStringLiteral("main")), QStringLiteral("0 Files, 3 Directories"));
    // Directories alone: the top level is sorted, and "[..]" still leads it.
    EXPECT_EQ(topTexts(tree),
              (QStringList{QStringLiteral("[..]"), QStringLiteral("a"), QStringLiteral("c")}));
}

TEST_F(UpdateTreeview, TreeIsLeftAloneWithoutTreeviewOrWithThumbnails) {
    for (const bool thumbnails : {false, true}) {
        ViewSwitches switches = switchesOf(false, true, false);
        switches.enableTreeview = thumbnails;
        switches.thumbnails = thumbnails;
        tree.clear();
        tree.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("zz")}));
        tree.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("kept")}));
        files = {base + "x.txt"};
        updateTreeview(job(switches));
        // The tree was not rebuilt, but its top level is still sorted (files only).
        EXPECT_EQ(topTexts(tree), (QStringList{QStringLiteral("kept"), QStringLiteral("zz")}))
            << thumbnails;
        EXPECT_EQ(list.rowCount(), 1) << thumbnails;
        if (thumbnails) {
            EXPECT_TRUE(images.thumbsComplete);
        }
    }
}

TEST_F(UpdateTreeview, RunInProgressKeepsTheWindowDisabled) {
    window.setEnabled(false);  // as the run driver left it
    TreeviewJob running = job(switchesOf(true, true, true));
    running.operationRunning = true;
    updateTreeview(running);
    EXPECT_FALSE(window.isEnabled());
    EXPECT_FALSE(calls.contains(QStringLiteral("optionsChanged")));
    EXPECT_TRUE(calls.contains(QStringLiteral("updateSelectedCount")));
    EXPECT_EQ(list.rowCount(), 6);
}

// An entry gone between the read and the build keeps its row (with blank details) and its
// error line; the rest is listed and the sequence completes.
TEST_F(UpdateTreeview, AVanishedEntryKeepsItsRowAndTheRestIsListed) {
    ViewSwitches switches = switchesOf(true, true, true);
    switches.showAllColumns = true;
    files << base + "vanished.txt";
    engine::setErrorsLogged(false);
    updateTreeview(job(switches));
    EXPECT_FALSE(calls.contains(QStringLiteral("clearWorkLists")));
    EXPECT_TRUE(calls.contains(QStringLiteral("listBuilt")));
    EXPECT_EQ(calls.last(), QStringLiteral("updateSelectedCount"));
    EXPECT_EQ(list.rowCount(), 7);
    EXPECT_EQ(panels.value(QStringLiteral("main")), QStringLiteral("4 Files, 3 Directories"));
    EXPECT_NE(panels.value(QStringLiteral("selected")), QStringLiteral("Error Building Listview!"));
    EXPECT_TRUE(engine::errorsLogged());
    EXPECT_TRUE(window.isEnabled());
}

class UpdateTreeviewEscape : public UpdateTreeview {
protected:
    void SetUp() override {
        UpdateTreeview::SetUp();
        window.show();
        window.activateWindow();
        QApplication::processEvents();
        platform::EscapeWatch::install(&window);
    }
    void TearDown() override { platform::EscapeWatch::uninstall(); }
};

TEST_F(UpdateTreeviewEscape, EscapeDuringTheTreeBuildStopsTheSequence) {
    if (!window.isActiveWindow()) {
        GTEST_SKIP() << "this platform does not activate windows";
    }
    // A press from before the build is dropped; one during it cancels.
    QCoreApplication::postEvent(&window,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QApplication::processEvents();
    list.addRow(QStringList{QStringLiteral("left by the read")});
    TreeviewJob j = job(switchesOf(true, true, true));
    const auto setText = j.status.setText;
    bool pressed = false;
    j.status.setText = [&](const QString& key, const QString& text) {
        setText(key, text);
        if (!pressed && text == QStringLiteral("Building Tree Structure...")) {
            pressed = true;
            QCoreApplication::postEvent(
                &window, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
    };
    updateTreeview(j);
    EXPECT_EQ(calls, (QStringList{QStringLiteral("stopPreview"), QStringLiteral("clearWorkLists"),
                                  QStringLiteral("optionsChanged")}));
    EXPECT_EQ(panels.value(QStringLiteral("selected")), QStringLiteral("User Cancelled!"));
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    EXPECT_TRUE(dirs.isEmpty());
    EXPECT_TRUE(files.isEmpty());
    // The list is not rebuilt and the counts are not written.
    EXPECT_EQ(list.rowCount(), 1);
    EXPECT_FALSE(mainTexts.contains(QStringLiteral("Building Listview...")));
    EXPECT_TRUE(window.isEnabled());
    EXPECT_FALSE(platform::isBusy());
}

}  // namespace
