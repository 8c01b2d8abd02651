// The context menus of the Directory list, the Free Select list and the tree: which items show,
// the default item, the copy and selection commands of both lists and the tree's copy, and the
// items that hand over to opening, renaming, adding, removing and navigating.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <string>

#include "mainwindow/contextmenus.h"
#include "mainwindow/freeselect.h"
#include "mainwindow/listcommands.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::FrmMain;
using platform::ListView;
using testsupport::TempDir;
using testsupport::WindowTest;

QString clipboardText() {
    return QApplication::clipboard()->text();
}

// The names of a menu's items as the user sees them: hidden items left out, a submenu by its
// own name.
QStringList shownItems(const QMenu* menu) {
    QStringList names;
    for (const QAction* action : menu->actions()) {
        if (action->isVisible()) {
            names.append(action->menu() ? action->menu()->objectName() : action->objectName());
        }
    }
    return names;
}

ListView* directory(const FrmMain& window) {
    return window.control<ListView>(QStringLiteral("lwDirectory"));
}

ListView* dragDrop(const FrmMain& window) {
    return window.control<ListView>(QStringLiteral("lwDragDrop"));
}

QTreeWidget* tree(const FrmMain& window) {
    return window.control<QTreeWidget>(QStringLiteral("TreeView"));
}

QMenu* menu(const FrmMain& window, const char* name) {
    return window.control<QMenu>(QString::fromUtf8(name));
}

QAction* action(const FrmMain& window, const char* name) {
    return window.control<QAction>(QString::fromUtf8(name));
}

void trigger(const FrmMain& window, const char* name) {
    QAction* item = action(window, name);
    ASSERT_NE(item, nullptr) << name;
    item->trigger();
}

QString pathText(const FrmMain& window) {
    return window.control<QComboBox>(QStringLiteral("txtPath"))->currentText();
}

QStringList rowTexts(const ListView* list, int column = 0) {
    QStringList texts;
    for (int row = 0; row < list->rowCount(); ++row) {
        texts.append(list->text(row, column));
    }
    return texts;
}

int rowOf(const ListView* list, const QString& name) {
    return static_cast<int>(rowTexts(list).indexOf(name));
}

QTreeWidgetItem* topNode(const FrmMain& window, const QString& text) {
    QTreeWidget* view = tree(window);
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        if (view->topLevelItem(i)->text(0) == text) {
            return view->topLevelItem(i);
        }
    }
    return nullptr;
}

class ContextMenuTest : public WindowTest {
protected:
    void SetUp() override {
        dir.write("a.txt", "a");
        dir.write("b.txt", "b");
        dir.write("c.txt", "c");
        dir.mkdir("sub");
        dir.write("sub/in-sub.txt", "s");
    }

    QString folder(const std::string& below = {}) const {
        QString path = platform::fromNativePath(dir.path()) + QLatin1Char('/');
        if (!below.empty()) {
            path += platform::fromNativePath(below) + QLatin1Char('/');
        }
        return path;
    }

    std::unique_ptr<FrmMain> open(
        const QString& path, std::initializer_list<std::pair<const char*, QString>> keys = {}) {
        sandbox.store(keys);
        return start({QStringLiteral("/p"), path});
    }
    std::unique_ptr<FrmMain> openTree(const QString& path, bool subfolders = false) {
        return open(path, {{"enableTreeview", "1"},
                           {"chkShowTreeview", "1"},
                           {"chkDirs", "1"},
                           {"uncheckSubsdirsAtStartup", "0"},
                           {"chkSub", subfolders ? "1" : "0"}});
    }

    // Replaces a list's rows by these (name, preview) pairs, all in one folder.
    static void fill(ListView* list,
                     std::initializer_list<std::pair<const char*, const char*>> rows) {
        list->clear();
        for (const auto& [name, preview] : rows) {
            list->addRow(QStringList{QString::fromUtf8(name), QString::fromUtf8(preview),
                                     QStringLiteral("/f/")});
        }
    }

    TempDir dir;
};

// The twin items of the two lists, so that one test covers both menus.
struct ListMenu {
    const char* list;
    const char* popup;
    const char* open;
    const char* selAll;
    const char* selNone;
    const char* selInvert;
    const char* selPreview;
    const char* selNoPreview;
    const char* listNames;
    const char* listPreviews;
    const char* copyName;
    const char* copyPreview;
    const char* copyPath;
};
constexpr ListMenu kListMenus[] = {
    {"lwDirectory", "mnuPopupListview", "mnuListviewOpen", "mnuSelAll", "mnuSelNone",
     "mnuSelInvert", "mnuSelPreview", "mnuSelNoPreview", "mnuListFilenames", "mnuListPreviews",
     "mnuListviewCopy", "mnuListviewCopyPreview", "mnuListviewCopyPath"},
    {"lwDragDrop", "mnuPopupDragdrop", "mnuDragdropOpen", "mnuFsSelAll", "mnuFsSelNone",
     "mnuFsSelInvert", "mnuFSSelPreview", "mnuFSSelNoPreview", "mnuFSListFilenames",
     "mnuFSListPreviews", "mnuDragdropCopy", "mnuDragdropCopyPreview", "mnuDragdropCopyPath"},
};

// ---- Layout ----

TEST_F(ContextMenuTest, EachMenuShowsOnlyItsListedItems) {
    const auto window = load();
    const struct {
        const char* menu;
        QStringList shown;
    } cases[] = {
        {"mnuPopupTreeview",
         {"mnuTreeviewAdd", "mnuTreeviewAddRecursive", "mnuSep2", "mnuTreeviewCopy"}},
        {"mnuPopupListview",
         {"mnuListviewOpen", "mnuSep5", "mnuListviewAdd", "mnuSep8", "mnuListviewRename", "mnuSep4",
          "mnuSelect", "sep7", "mnuListMenu", "mnuSep14", "copy0"}},
        {"mnuPopupDragdrop",
         {"mnuDragdropOpen", "mnuSep9", "mnuDrapDropRename", "mnuSep7", "mnuDragdropRemove",
          "mnuDragdropClear", "mnuSep3", "mnuFSSel", "sep8", "mnuFSListMenu", "mnuSep15",
          "mnyCopy"}},
        {"mnuSelect",
         {"mnuSelAll", "mnuSelNone", "sep10", "mnuSelInvert", "sep11", "mnuSelPreview",
          "mnuSelNoPreview"}},
        {"mnuFSSel",
         {"mnuFsSelAll", "mnuFsSelNone", "sep12", "mnuFsSelInvert", "sep13", "mnuFSSelPreview",
          "mnuFSSelNoPreview"}},
        {"mnuListMenu", {"mnuListFilenames", "mnuListPreviews"}},
        {"mnuFSListMenu", {"mnuFSListFilenames", "mnuFSListPreviews"}},
        {"copy0", {"mnuListviewCopy", "mnuListviewCopyPreview", "mnuListviewCopyPath"}},
        {"mnyCopy", {"mnuDragdropCopy", "mnuDragdropCopyPreview", "mnuDragdropCopyPath"}},
    };
    for (const auto& c : cases) {
        const QMenu* popup = menu(*window, c.menu);
        ASSERT_NE(popup, nullptr) << c.menu;
        EXPECT_EQ(shownItems(popup), c.shown) << c.menu;
    }
    // The hidden items exist in their place, so that their handlers can be reached.
    const QStringList tree{"mnuTreeviewAdd",       "mnuTreeviewAddRecursive", "mnuSep1",
                           "mnuTreeviewParentDir", "mnuTreeviewRefresh",      "mnuSep2",
                           "mnuTreeviewCopy"};
    QStringList all;
    for (const QAction* item : menu(*window, "mnuPopupTreeview")->actions()) {
        all.append(item->objectName());
    }
    EXPECT_EQ(all, tree);
    for (const char* hidden : {"mnuSep1", "mnuTreeviewParentDir", "mnuTreeviewRefresh", "mnuSep6",
                               "mnuListviewParentDir", "mnuListviewRefresh"}) {
        ASSERT_NE(action(*window, hidden), nullptr) << hidden;
        EXPECT_FALSE(action(*window, hidden)->isVisible()) << hidden;
    }
    EXPECT_TRUE(action(*window, "mnuSep1")->isSeparator());
    EXPECT_TRUE(action(*window, "mnuSep6")->isSeparator());
}

TEST_F(ContextMenuTest, CaptionsKeepTheirBlanksAndNoItemHasAKey) {
    const auto window = load();
    const struct {
        const char* item;
        const char* caption;
    } cases[] = {
        {"mnuTreeviewAdd", "Add to Free Select"},
        {"mnuTreeviewAddRecursive", "Add Directory Contents to Free Select"},
        {"mnuTreeviewParentDir", "Parent Dir"},
        {"mnuTreeviewRefresh", "Refresh Dir"},
        {"mnuTreeviewCopy", "Copy Filename"},
        {"mnuListviewAdd", "Add Selected to Free Select"},
        {"mnuListviewRename", "Manual Rename  (F2)"},
        {"mnuDrapDropRename", "Manual Rename   (F2)"},
        {"mnuListviewParentDir", "Parent Dir"},
        {"mnuListviewRefresh", "Refresh Dir"},
        {"mnuDragdropRemove", "Remove Selected   (Del)"},
        {"mnuDragdropClear", "Clear All   (Shift+Del)"},
        {"mnuSelAll", "All         (Ctrl+A)"},
        {"mnuFsSelAll", "All        (Ctrl+A)"},
        {"mnuListviewCopy", "Filename   (Ctrl+C)"},
        {"mnuDragdropCopy", "Filename   (Ctrl+C)"},
    };
    for (const auto& c : cases) {
        ASSERT_NE(action(*window, c.item), nullptr) << c.item;
        EXPECT_EQ(action(*window, c.item)->text(), QString::fromUtf8(c.caption)) << c.item;
    }
    for (const char* popup : {"mnuPopupTreeview", "mnuPopupListview", "mnuPopupDragdrop"}) {
        for (const QAction* item : menu(*window, popup)->findChildren<QAction*>()) {
            EXPECT_TRUE(item->shortcut().isEmpty()) << item->objectName().toStdString();
        }
    }
}

// ---- Opening ----

TEST_F(ContextMenuTest, ListMenusOpenWithOpenAsTheDefaultAndOnlyOverRows) {
    const auto window = open(folder());
    mainwindow::ContextMenus& menus = window->contextMenus();
    const struct {
        const char* list;
        const char* popup;
        const char* open;
        std::function<void(QPoint)> show;
    } cases[] = {
        {"lwDirectory", "mnuPopupListview", "mnuListviewOpen",
         [&menus](QPoint at) { menus.popupListview(at); }},
        // The Free Select list opens its menu on its placeholder row as well.
        {"lwDragDrop", "mnuPopupDragdrop", "mnuDragdropOpen",
         [&menus](QPoint at) { menus.popupDragdrop(at); }},
    };
    for (const auto& c : cases) {
        QMenu* popup = menu(*window, c.popup);
        ListView* list = window->control<ListView>(QString::fromUtf8(c.list));
        ASSERT_GE(list->rowCount(), 1) << c.list;
        c.show(QPoint(20, 20));
        EXPECT_TRUE(popup->isVisible()) << c.list;
        EXPECT_EQ(popup->defaultAction(), action(*window, c.open)) << c.list;
        popup->hide();

        list->clear();
        c.show(QPoint(20, 20));
        EXPECT_FALSE(popup->isVisible()) << c.list;
        popup->hide();
    }
}

TEST_F(ContextMenuTest, TheTreeMenuOpensWithoutDefaultAndOnlyOverNodes) {
    const auto window = openTree(folder());
    QMenu* popup = menu(*window, "mnuPopupTreeview");
    ASSERT_GE(tree(*window)->topLevelItemCount(), 1);
    tree(*window)->setCurrentItem(topNode(*window, QStringLiteral("sub")));
    // The right button's release opens it, through the tree's own handler.
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::RightButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tree(*window)->viewport(), &release);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->defaultAction(), nullptr);
    EXPECT_TRUE(action(*window, "mnuTreeviewAddRecursive")->isEnabled());
    EXPECT_FALSE(action(*window, "mnuTreeviewParentDir")->isVisible());
    popup->hide();

    tree(*window)->clear();
    window->contextMenus().popupTreeview(QPoint(5, 5));
    EXPECT_FALSE(popup->isVisible());
}

// ---- Copy commands ----

TEST_F(ContextMenuTest, CopyOneValueTakesTheCurrentRowWithoutALineEnd) {
    const auto window = open(folder());
    ListView* list = directory(*window);
    const int row = rowOf(list, QStringLiteral("b.txt"));
    ASSERT_GE(row, 0);
    // Another row selected as well: the focused row is the one copied.
    list->selectRow(0);
    list->setCurrentRow(row);
    list->setText(row, 1, QStringLiteral("B.TXT"));

    trigger(*window, "mnuListviewCopy");
    EXPECT_EQ(clipboardText(), QStringLiteral("b.txt"));
    trigger(*window, "mnuListviewCopyPreview");
    EXPECT_EQ(clipboardText(), QStringLiteral("B.TXT"));
    trigger(*window, "mnuListviewCopyPath");
    EXPECT_EQ(clipboardText(), folder());

    // An empty preview replaces what the clipboard held.
    list->setText(row, 1, QString());
    trigger(*window, "mnuListviewCopyPreview");
    EXPECT_EQ(clipboardText(), QString());
}

TEST_F(ContextMenuTest, CopyWithoutACurrentRowTakesTheFirstSelectedOrNothing) {
    const auto window = open(folder());
    ListView* list = directory(*window);
    list->setCurrentRow(-1);
    list->clearSelection();
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    trigger(*window, "mnuListviewCopy");
    EXPECT_EQ(clipboardText(), QStringLiteral("kept"));

    list->selectRow(2);
    list->setCurrentRow(-1);
    trigger(*window, "mnuListviewCopy");
    EXPECT_EQ(clipboardText(), list->text(2));
}

TEST_F(ContextMenuTest, CopyAllCommandsEndEveryLineWithCrLf) {
    const auto window = open(folder());
    for (const ListMenu& m : kListMenus) {
        SCOPED_TRACE(m.list);
        ListView* list = window->control<ListView>(QString::fromUtf8(m.list));
        fill(list, {{"a", ""}, {"b", ""}, {"c", ""}});
        trigger(*window, m.listNames);
        EXPECT_EQ(clipboardText(), QStringLiteral("a\r\nb\r\nc\r\n"));

        QApplication::clipboard()->setText(QStringLiteral("old"));
        trigger(*window, m.listPreviews);
        EXPECT_EQ(clipboardText(), QString());

        fill(list, {{"a", "A"}, {"b", ""}, {"c", "C"}});
        trigger(*window, m.listPreviews);
        EXPECT_EQ(clipboardText(), QStringLiteral("A\r\nC\r\n"));

        // Each menu works on its own list only.
        list->setCurrentRow(1);
        trigger(*window, m.copyName);
        EXPECT_EQ(clipboardText(), QStringLiteral("b"));
        trigger(*window, m.copyPath);
        EXPECT_EQ(clipboardText(), QStringLiteral("/f/"));
        trigger(*window, m.copyPreview);
        EXPECT_EQ(clipboardText(), QString());
        list->clear();
    }
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(platform::isBusy());
}

TEST_F(ContextMenuTest, AccentedAndUndecodableNamesAreCopiedAsTheRowShowsThem) {
    dir.write("caf\xc3\xa9.txt");
    dir.write("na\xefve.txt");  // a Latin-1 byte: not UTF-8
    const auto window = open(folder());
    ListView* list = directory(*window);
    const QString accented = QStringLiteral("caf\u00e9.txt");
    const QString undecodable = platform::fromNativePath(std::string("na\xefve.txt"));
    const int accentedRow = rowOf(list, accented);
    const int undecodableRow = rowOf(list, undecodable);
    ASSERT_GE(accentedRow, 0);
    ASSERT_GE(undecodableRow, 0);

    list->setCurrentRow(accentedRow);
    trigger(*window, "mnuListviewCopy");
    EXPECT_EQ(clipboardText(), accented);
    list->setCurrentRow(undecodableRow);
    trigger(*window, "mnuListviewCopy");
    EXPECT_EQ(clipboardText(), list->text(undecodableRow));

    trigger(*window, "mnuListFilenames");
    EXPECT_EQ(clipboardText(),
              rowTexts(list).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

TEST_F(ContextMenuTest, PlaceholderRowsAreRowsLikeAnyOther) {
    const auto window = open(folder());
    ListView* free = dragDrop(*window);
    ASSERT_EQ(rowTexts(free), QStringList{QString::fromUtf8(mainwindow::kDragDropPlaceholder)});
    free->setCurrentRow(0);
    trigger(*window, "mnuDragdropCopy");
    EXPECT_EQ(clipboardText(), QStringLiteral("Drop files here..."));
    trigger(*window, "mnuFSListFilenames");
    EXPECT_EQ(clipboardText(), QStringLiteral("Drop files here...\r\n"));
    trigger(*window, "mnuFsSelAll");
    EXPECT_TRUE(free->isRowSelected(0));

    // The Directory list's message row while no working folder is chosen.
    window->control<QComboBox>(QStringLiteral("txtPath"))->setEditText(QString());
    window->folderSource().txtPathLostFocus();
    ListView* list = directory(*window);
    ASSERT_EQ(list->rowCount(), 1);
    list->setCurrentRow(0);
    trigger(*window, "mnuListviewCopy");
    EXPECT_EQ(clipboardText(), QStringLiteral("Please choose a working directory..."));
    window->contextMenus().popupListview(QPoint(10, 10));
    EXPECT_TRUE(menu(*window, "mnuPopupListview")->isVisible());
    menu(*window, "mnuPopupListview")->hide();
}

TEST_F(ContextMenuTest, TheTreeCopiesTheSelectedNodesText) {
    dir.mkdir("d\xe9j\xc3\xa0");  // one undecodable byte, one accented letter
    const auto window = openTree(folder());
    const QString odd = platform::fromNativePath(std::string("d\xe9j\xc3\xa0"));
    for (const QString& text : {QStringLiteral("sub"), QStringLiteral("[..]"), odd}) {
        QTreeWidgetItem* node = topNode(*window, text);
        ASSERT_NE(node, nullptr) << text.toStdString();
        tree(*window)->setCurrentItem(node);
        trigger(*window, "mnuTreeviewCopy");
        EXPECT_EQ(clipboardText(), text);
    }
}

// ---- Selection commands ----

QList<int> selection(const ListView* list) {
    return list->selectedRows();
}

TEST_F(ContextMenuTest, SelectionCommandsOfBothLists) {
    const auto window = open(folder());
    for (const ListMenu& m : kListMenus) {
        SCOPED_TRACE(m.list);
        ListView* list = window->control<ListView>(QString::fromUtf8(m.list));
        ListView* other = window->control<ListView>(QString::fromUtf8(
            m.list == kListMenus[0].list ? kListMenus[1].list : kListMenus[0].list));
        fill(list, {{"a", "A"}, {"b", ""}, {"c", "C"}, {"d", ""}, {"e", ""}});
        const QList<int> otherBefore = selection(other);
        const struct {
            const char* item;
            QList<int> before;
            QList<int> after;
        } cases[] = {
            {m.selAll, {1}, {0, 1, 2, 3, 4}}, {m.selNone, {0, 3}, {}},
            {m.selInvert, {1, 2}, {0, 3, 4}}, {m.selInvert, {}, {0, 1, 2, 3, 4}},
            {m.selPreview, {1, 3}, {0, 2}},   {m.selNoPreview, {0, 1}, {1, 3, 4}},
        };
        for (const auto& c : cases) {
            list->clearSelection();
            for (const int row : c.before) {
                list->selectRow(row);
            }
            list->setCurrentRow(1);
            trigger(*window, c.item);
            EXPECT_EQ(selection(list), c.after) << c.item;
            // The focused row stays where it was.
            EXPECT_EQ(list->currentRow(), 1) << c.item;
        }
        EXPECT_EQ(selection(other), otherBefore);

        // Invert twice gives back the selection; the two preview commands split the rows.
        list->clearSelection();
        list->selectRow(0);
        list->selectRow(4);
        trigger(*window, m.selInvert);
        trigger(*window, m.selInvert);
        EXPECT_EQ(selection(list), (QList<int>{0, 4}));
        trigger(*window, m.selPreview);
        const QList<int> with = selection(list);
        trigger(*window, m.selNoPreview);
        const QList<int> without = selection(list);
        EXPECT_EQ(with.size() + without.size(), list->rowCount());
        for (const int row : with) {
            EXPECT_FALSE(without.contains(row)) << row;
        }
    }
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(platform::isBusy());
}

TEST_F(ContextMenuTest, SelectingCountsAgainAndKeepsTheFocus) {
    const auto window = open(folder());
    window->activateWindow();
    QApplication::processEvents();
    ListView* list = directory(*window);
    ASSERT_EQ(list->rowCount(), 3);
    QWidget* view = list->reportView();
    view->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), view);

    trigger(*window, "mnuSelAll");
    EXPECT_EQ(window->panelText(QStringLiteral("selected")), QStringLiteral("3 items selected..."));
    EXPECT_EQ(window->state().selectedCount, 3);
    EXPECT_EQ(QApplication::focusWidget(), view);

    trigger(*window, "mnuSelNone");
    EXPECT_EQ(window->panelText(QStringLiteral("selected")), QStringLiteral("0 items selected..."));
    EXPECT_EQ(QApplication::focusWidget(), view);
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(ContextMenuTest, InvertOnAManyRowListIsOneSelectionChange) {
    const auto window = open(folder());
    ListView* list = dragDrop(*window);
    list->clear();
    QList<platform::ListRow> rows;
    constexpr int kRows = 6000;
    for (int row = 0; row < kRows; ++row) {
        platform::ListRow entry;
        entry.texts = {QString::number(row), row % 3 == 0 ? QStringLiteral("p") : QString()};
        rows.append(entry);
    }
    list->addRows(rows);
    // Every other row selected, set up in one change.
    QItemSelection everyOther;
    for (int row = 0; row < kRows; row += 2) {
        everyOther.select(list->model()->index(row, 0), list->model()->index(row, 0));
    }
    list->selectionModel()->select(everyOther,
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    int changes = 0;
    QObject::connect(list, &ListView::selectionChanged, list, [&changes] { ++changes; });
    trigger(*window, "mnuFsSelInvert");
    EXPECT_EQ(changes, 1);
    const QList<int> selected = list->selectedRows();
    ASSERT_EQ(selected.size(), kRows / 2);
    EXPECT_EQ(selected.front(), 1);
    EXPECT_EQ(selected.back(), kRows - 1);
    trigger(*window, "mnuFSSelPreview");
    EXPECT_EQ(list->selectedRows().size(), kRows / 3);
}

// ---- Navigation items (never shown, reached by their handlers) ----

TEST_F(ContextMenuTest, ParentDirGoesUpFromEitherMenu) {
    for (const char* item : {"mnuListviewParentDir", "mnuTreeviewParentDir"}) {
        const auto window = open(folder("sub"));
        ASSERT_EQ(pathText(*window), folder("sub"));
        trigger(*window, item);
        EXPECT_EQ(pathText(*window), folder()) << item;
        EXPECT_EQ(rowTexts(directory(*window)), (QStringList{"a.txt", "b.txt", "c.txt"})) << item;
    }
}

TEST_F(ContextMenuTest, RefreshDirReadsAgainFromTheDirectoryTab) {
    for (const char* item : {"mnuListviewRefresh", "mnuTreeviewRefresh"}) {
        SCOPED_TRACE(item);
        const auto window = open(folder());
        window->fileSource().selectFileSourceTab(QStringLiteral("dragdrop"));
        ASSERT_EQ(window->state().fileMode, 1);
        const std::string added = std::string(item) + ".txt";
        dir.write(added, "d");
        trigger(*window, item);
        EXPECT_EQ(window->fileModeTabKey(), QStringLiteral("listview"));
        EXPECT_EQ(window->state().fileMode, 0);
        EXPECT_TRUE(directory(*window)->isVisible());
        EXPECT_FALSE(dragDrop(*window)->isVisible());
        EXPECT_TRUE(rowTexts(directory(*window)).contains(QString::fromStdString(added)));
    }
}

// ---- Hand-offs ----

// A hand-off item is wired when triggering it does what calling its handler does. While the
// handler itself does nothing yet, the case can only be skipped.
enum class HandOff { Done, NotWired, HandlerIsStub };

HandOff handOff(const std::function<void()>& viaMenu, const std::function<void()>& direct,
                const std::function<bool()>& done) {
    viaMenu();
    if (done()) {
        return HandOff::Done;
    }
    direct();
    return done() ? HandOff::NotWired : HandOff::HandlerIsStub;
}

struct HandOffCase {
    const char* item;
    enum class View { List, Tree, TreeWithSubfolders } view;
    // Prepares the window; false when the other side cannot be prepared yet (a stub).
    std::function<bool(FrmMain&)> prepare;
    std::function<void(FrmMain&)> direct;
    std::function<bool(FrmMain&)> done;
};

class ContextMenuHandOffTest : public ContextMenuTest, public ::testing::WithParamInterface<int> {};

const std::vector<HandOffCase>& handOffCases() {
    static const std::vector<HandOffCase> cases = [] {
        auto selectName = [](FrmMain& window, const char* name) {
            ListView* list = window.control<ListView>(QStringLiteral("lwDirectory"));
            const int row = static_cast<int>(rowTexts(list).indexOf(QString::fromUtf8(name)));
            if (row < 0) {
                return false;
            }
            list->clearSelection();
            list->selectRow(row);
            list->setCurrentRow(row);
            return true;
        };
        auto currentNode = [](FrmMain& window, const char* name) {
            QTreeWidgetItem* node = topNode(window, QString::fromUtf8(name));
            if (!node) {
                return false;
            }
            window.control<QTreeWidget>(QStringLiteral("TreeView"))->setCurrentItem(node);
            return true;
        };
        auto freeSelectHolds = [](FrmMain& window) {
            return window.state().lstFiles[1].size() + window.state().lstDirs[1].size();
        };
        // Free Select entries for these names of the working folder, the first one current.
        auto fillFreeSelectWith = [](FrmMain& window, const QStringList& names) {
            const QString base =
                window.control<QComboBox>(QStringLiteral("txtPath"))->currentText();
            QStringList paths;
            for (const QString& name : names) {
                paths.append(base + name);
            }
            if (window.freeSelect().addPaths(paths) != paths.size()) {
                return false;
            }
            window.fileSource().selectFileSourceTab(QStringLiteral("dragdrop"));
            ListView* free = window.control<ListView>(QStringLiteral("lwDragDrop"));
            free->clearSelection();
            free->selectRow(0);
            free->setCurrentRow(0);
            return true;
        };
        auto fillFreeSelect = [=](FrmMain& window) {
            return fillFreeSelectWith(window, {QStringLiteral("a.txt"), QStringLiteral("b.txt")});
        };
        // A label edit shows its editor inside the list.
        auto editing = [](FrmMain& window, const char* list) {
            const auto editors =
                window.control<ListView>(QString::fromUtf8(list))->findChildren<QLineEdit*>();
            return std::any_of(editors.begin(), editors.end(),
                               [](const QLineEdit* editor) { return editor->isVisible(); });
        };
        auto openedSub = [](FrmMain& window) {
            return window.control<QComboBox>(QStringLiteral("txtPath"))
                ->currentText()
                .endsWith(QStringLiteral("/sub/"));
        };
        return std::vector<HandOffCase>{
            {"mnuListviewOpen", HandOffCase::View::List,
             [=](FrmMain& window) {
                 // As the click on the row before the right button would.
                 window.state().itemOpenable = true;
                 return selectName(window, "sub");
             },
             [](FrmMain& window) {
                 window.listCommands().openRow(
                     window.control<ListView>(QStringLiteral("lwDirectory")));
             },
             openedSub},
            {"mnuDragdropOpen", HandOffCase::View::List,
             [=](FrmMain& window) {
                 window.state().itemOpenable = true;
                 return fillFreeSelectWith(window, {QStringLiteral("sub")});
             },
             [](FrmMain& window) {
                 window.listCommands().openRow(
                     window.control<ListView>(QStringLiteral("lwDragDrop")));
             },
             openedSub},
            {"mnuListviewRename", HandOffCase::View::List,
             [=](FrmMain& window) { return selectName(window, "a.txt"); },
             [](FrmMain& window) {
                 window.listCommands().startManualRename(
                     window.control<ListView>(QStringLiteral("lwDirectory")));
             },
             [=](FrmMain& window) { return editing(window, "lwDirectory"); }},
            {"mnuDrapDropRename", HandOffCase::View::List, fillFreeSelect,
             [](FrmMain& window) {
                 window.listCommands().startManualRename(
                     window.control<ListView>(QStringLiteral("lwDragDrop")));
             },
             [=](FrmMain& window) { return editing(window, "lwDragDrop"); }},
            {"mnuListviewAdd", HandOffCase::View::List,
             [=](FrmMain& window) { return selectName(window, "a.txt"); },
             [](FrmMain& window) { window.freeSelect().mnuListviewAddClick(); },
             [=](FrmMain& window) { return freeSelectHolds(window) == 1; }},
            {"mnuTreeviewAdd", HandOffCase::View::Tree,
             [=](FrmMain& window) { return currentNode(window, "a.txt"); },
             [](FrmMain& window) { window.freeSelect().mnuTreeviewAddClick(); },
             [=](FrmMain& window) { return freeSelectHolds(window) >= 1; }},
            {"mnuTreeviewAddRecursive", HandOffCase::View::TreeWithSubfolders,
             [=](FrmMain& window) { return currentNode(window, "sub"); },
             [](FrmMain& window) { window.freeSelect().mnuTreeviewAddRecursiveClick(); },
             [](FrmMain& window) {
                 return window.state()
                     .lstFiles[1]
                     .join(QLatin1Char('|'))
                     .contains(QStringLiteral("in-sub.txt"));
             }},
            {"mnuDragdropRemove", HandOffCase::View::List, fillFreeSelect,
             [](FrmMain& window) { window.freeSelect().mnuDragdropRemoveClick(); },
             [=](FrmMain& window) { return freeSelectHolds(window) == 1; }},
            {"mnuDragdropClear", HandOffCase::View::List, fillFreeSelect,
             [](FrmMain& window) { window.freeSelect().mnuDragdropClearClick(); },
             [=](FrmMain& window) { return freeSelectHolds(window) == 0; }},
        };
    }();
    return cases;
}

TEST_P(ContextMenuHandOffTest, ItemRunsItsHandler) {
    const HandOffCase& c = handOffCases().at(static_cast<size_t>(GetParam()));
    SCOPED_TRACE(c.item);
    const auto window = c.view == HandOffCase::View::List
                            ? open(folder(), {{"chkDirs", "1"}})
                            : openTree(folder(), c.view == HandOffCase::View::TreeWithSubfolders);
    if (!c.prepare(*window)) {
        GTEST_SKIP() << c.item << ": the other side cannot be prepared yet";
    }
    const HandOff result = handOff([&] { trigger(*window, c.item); }, [&] { c.direct(*window); },
                                   [&] { return c.done(*window); });
    if (result == HandOff::HandlerIsStub) {
        GTEST_SKIP() << c.item << ": its handler does nothing yet";
    }
    EXPECT_EQ(result, HandOff::Done);
}

INSTANTIATE_TEST_SUITE_P(ContextMenuItems, ContextMenuHandOffTest,
                         ::testing::Range(0, static_cast<int>(handOffCases().size())),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(
                                 handOffCases().at(static_cast<size_t>(info.param)).item);
                         });

}  // namespace

namespace {

TEST_F(ContextMenuTest, MenusUseTheWindowsFont) {
    const auto window = load();
    const QList<QMenu*> menus = window->findChildren<QMenu*>();
    ASSERT_FALSE(menus.isEmpty());
    for (const QMenu* menu : menus) {
        EXPECT_EQ(menu->font(), window->font()) << menu->objectName().toStdString();
    }
}

}  // namespace
