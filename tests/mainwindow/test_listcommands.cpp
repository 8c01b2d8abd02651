// The mouse and key behaviour of the two file lists, driven through their widgets: header
// sorting, dragging rows to another place, row exchange, opening rows, copying names, selecting
// all, the keys of each list, and the manual rename by editing a row's name.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTreeView>

#include <string>

#include "mainwindow/freeselect.h"
#include "mainwindow/listcommands.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"
#include "platform/widgets/documents.h"
#include "platform/widgets/filedialog.h"
#include "platform/widgets/listview.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::FrmMain;
using platform::ListView;
using testsupport::TempDir;
using testsupport::WindowTest;

// Records the documents the program asks the desktop to open.
class RecordedOpener {
public:
    RecordedOpener() {
        platform::setDocumentOpener([this](const QString& path) { opened.append(path); });
    }
    ~RecordedOpener() { platform::setDocumentOpener({}); }
    RecordedOpener(const RecordedOpener&) = delete;
    RecordedOpener& operator=(const RecordedOpener&) = delete;

    QStringList opened;
};

// Counts how often the Add Files dialog was asked for, and cancels it.
class CountedOpenFiles : public platform::OpenFilesService {
public:
    CountedOpenFiles() { platform::setOpenFilesService(this); }
    ~CountedOpenFiles() override { platform::setOpenFilesService(nullptr); }
    CountedOpenFiles(const CountedOpenFiles&) = delete;
    CountedOpenFiles& operator=(const CountedOpenFiles&) = delete;

    QStringList chooseFiles(QWidget*, const QString&, const QString&) override {
        ++asked;
        return {};
    }
    int asked = 0;
};

class ListCommandTest : public WindowTest {
protected:
    QString folder(const std::string& below = {}) const {
        QString path = platform::fromNativePath(dir.path()) + QLatin1Char('/');
        if (!below.empty()) {
            path += platform::fromNativePath(below) + QLatin1Char('/');
        }
        return path;
    }
    QString path(const std::string& name) const { return platform::fromNativePath(dir.file(name)); }
    bool exists(const std::string& name) const { return platform::fs::exists(dir.file(name)); }

    std::unique_ptr<FrmMain> open(
        std::initializer_list<std::pair<const char*, QString>> keys = {}) {
        sandbox.store(keys);
        return start({QStringLiteral("/p"), folder()});
    }
    // The Free Select source holding exactly these entries, in this order.
    void openFreeSelect(FrmMain& window, const QStringList& paths) {
        window.sourceSwitch().selectFileSourceTab(QStringLiteral("dragdrop"));
        ASSERT_EQ(window.freeSelect().addPaths(paths), paths.size());
    }

    static ListView* directory(const FrmMain& window) {
        return window.control<ListView>(QStringLiteral("lwDirectory"));
    }
    static ListView* dragDrop(const FrmMain& window) {
        return window.control<ListView>(QStringLiteral("lwDragDrop"));
    }
    static QStringList column(const ListView* list, int column = 0) {
        QStringList texts;
        for (int row = 0; row < list->rowCount(); ++row) {
            texts.append(list->text(row, column));
        }
        return texts;
    }
    static QAbstractItemView* view(const ListView* list) {
        return static_cast<QAbstractItemView*>(list->activeView());
    }
    static QPoint rowPoint(const ListView* list, int row) {
        return view(list)->visualRect(list->model()->index(row, 0)).center();
    }
    // A point of the viewport below every row.
    static QPoint emptyPoint(const ListView* list) {
        return QPoint(5, view(list)->viewport()->height() - 3);
    }

    static void mouse(const ListView* list, QEvent::Type type, QPoint at,
                      Qt::MouseButton button = Qt::LeftButton,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* viewport = view(list)->viewport();
        const Qt::MouseButtons buttons =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, QPointF(at), QPointF(viewport->mapToGlobal(at)), button, buttons,
                          modifiers);
        QApplication::sendEvent(viewport, &event);
    }
    static void click(const ListView* list, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        mouse(list, QEvent::MouseButtonPress, at, button, modifiers);
        mouse(list, QEvent::MouseButtonRelease, at, button, modifiers);
    }
    static void doubleClick(const ListView* list, QPoint at) {
        click(list, at);
        mouse(list, QEvent::MouseButtonDblClick, at);
        mouse(list, QEvent::MouseButtonRelease, at);
        QApplication::processEvents();
    }
    static void key(const ListView* list, Qt::Key code,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, code, modifiers);
            QApplication::sendEvent(view(list), &event);
        }
    }

    // Drags the row at `from` and drops it on the row at `to` (-1: the empty area). Offscreen
    // a drag ends as soon as it starts, so the drag's own events are sent here.
    static void dragRow(FrmMain& window, ListView* list, int from, int to) {
        mouse(list, QEvent::MouseButtonPress, rowPoint(list, from));
        window.state().internalDragActive = true;
        const QPoint at =
            view(list)->viewport()->mapTo(list, to < 0 ? emptyPoint(list) : rowPoint(list, to));
        std::unique_ptr<QMimeData> data(list->createRowDragData());
        QDragEnterEvent enter(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        EXPECT_EQ(list->dropHighlightRow(), to);
        QDropEvent drop(QPointF(at), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &drop);
        EXPECT_TRUE(drop.isAccepted());
        EXPECT_EQ(list->dropHighlightRow(), -1);
        EXPECT_FALSE(window.state().internalDragActive);
    }

    // The editor open on a row's name, or null.
    static QLineEdit* editor(const ListView* list, int row) {
        return qobject_cast<QLineEdit*>(view(list)->indexWidget(list->model()->index(row, 0)));
    }
    // Types `text` into the open editor of `row` and commits it with Enter.
    static void typeName(const ListView* list, int row, const QString& text) {
        QLineEdit* line = editor(list, row);
        ASSERT_NE(line, nullptr);
        line->setText(text);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(line, &enter);
        settle();
    }
    // The editor commits once the key is handled, and what the commit queues runs after that.
    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
        }
    }
    // Selects `row` alone, starts editing it with F2 and commits `text`.
    static void rename(const ListView* list, int row, const QString& text) {
        const_cast<ListView*>(list)->clearSelection();
        const_cast<ListView*>(list)->setCurrentRow(row);
        const_cast<ListView*>(list)->selectRow(row);
        key(list, Qt::Key_F2);
        typeName(list, row, text);
    }

    TempDir dir;
};

// ---- Sorting ----

TEST_F(ListCommandTest, HeaderClicksAlternateTheDirectionAndSizesSortByByteCount) {
    dir.write("a.txt", std::string(2048, 'a'));  // "2 kB"
    dir.write("b.log", std::string(900, 'b'));   // "900 bytes"
    dir.write("c.txt", "ccccc");                 // "5 bytes"
    const auto window = open({{"showAllColumns", "1"}});
    ListView* list = directory(*window);
    ASSERT_EQ(column(list), (QStringList{"a.txt", "b.log", "c.txt"}));
    QHeaderView* header = list->reportView()->header();
    const int size = list->columnIndex(QStringLiteral("size"));
    const int ext = list->columnIndex(QStringLiteral("ext"));
    ASSERT_GT(size, 0);
    list->selectRow(0);  // a.txt

    // The direction belongs to the list: every click reverses it, whichever header.
    const struct {
        int section;
        QStringList names;
    } clicks[] = {
        {0, {"c.txt", "b.log", "a.txt"}},     // descending after a fill
        {0, {"a.txt", "b.log", "c.txt"}},     //
        {size, {"a.txt", "b.log", "c.txt"}},  // 2048 > 900 > 5, not the texts' order
        {size, {"c.txt", "b.log", "a.txt"}},  //
        {ext, {"c.txt", "a.txt", "b.log"}},   // descending; the two "txt" keep their order
        {ext, {"b.log", "c.txt", "a.txt"}},   //
    };
    for (const auto& c : clicks) {
        window->state().listOrderChanged = false;
        emit header->sectionClicked(c.section);
        EXPECT_EQ(column(list), c.names) << c.section;
        EXPECT_TRUE(window->state().listOrderChanged);
        // The selection stays with its row.
        EXPECT_EQ(list->selectedRows(), QList<int>{static_cast<int>(c.names.indexOf("a.txt"))});
    }

    // Reading the folder again starts ascending again, so the next click sorts descending.
    window->folderSource().cmdRefreshClick();
    ASSERT_EQ(column(list), (QStringList{"a.txt", "b.log", "c.txt"}));
    EXPECT_FALSE(window->state().listOrderChanged);
    window->listCommands().columnClick(list, 0);
    EXPECT_EQ(column(list), (QStringList{"c.txt", "b.log", "a.txt"}));
}

TEST_F(ListCommandTest, SortingFreeSelectLeavesTheDirectoryOrderAlone) {
    dir.write("b.txt");
    dir.write("a.txt");
    const auto window = open();
    openFreeSelect(*window, {path("b.txt"), path("a.txt")});
    ListView* list = dragDrop(*window);
    window->state().listOrderChanged = false;
    window->listCommands().columnClick(list, 0);
    EXPECT_EQ(column(list), (QStringList{"b.txt", "a.txt"}));
    window->listCommands().columnClick(list, 0);
    EXPECT_EQ(column(list), (QStringList{"a.txt", "b.txt"}));
    EXPECT_FALSE(window->state().listOrderChanged);
}

// ---- Moving rows ----

TEST_F(ListCommandTest, DraggingMovesTheRowStepByStep) {
    for (const char* name : {"1", "2", "3", "4", "5"}) {
        dir.write(name);
    }
    const struct {
        int from;
        int to;
        QStringList order;
    } cases[] = {
        {4, 1, {"1", "5", "2", "3", "4"}},
        {1, 4, {"1", "3", "4", "5", "2"}},
        {2, 2, {"1", "2", "3", "4", "5"}},   // onto itself
        {2, -1, {"1", "2", "3", "4", "5"}},  // below the last row
    };
    for (const auto& c : cases) {
        const auto window = open();
        ListView* list = directory(*window);
        ASSERT_EQ(list->rowCount(), 5);
        window->state().listOrderChanged = false;
        dragRow(*window, list, c.from, c.to);
        EXPECT_EQ(column(list), c.order) << c.from << " to " << c.to;
        if (c.to >= 0 && c.to != c.from) {
            // The moved row is selected, the rows it passed are not.
            EXPECT_EQ(list->selectedRows(), QList<int>{c.to});
            EXPECT_EQ(list->currentRow(), c.to);
            EXPECT_TRUE(window->state().listOrderChanged);
            // The work list keeps the order of the read.
            EXPECT_EQ(window->state().lstFiles[0].first(), path("1"));
        } else {
            EXPECT_FALSE(window->state().listOrderChanged);
        }
    }
}

TEST_F(ListCommandTest, RowsOfTheSameNameAreMovedPastEachOther) {
    dir.mkdir("x");
    dir.mkdir("y");
    dir.write("x/same.txt");
    dir.write("y/same.txt");
    dir.write("other.txt");
    const auto window = open();
    openFreeSelect(*window, {path("x/same.txt"), path("y/same.txt"), path("other.txt")});
    ListView* list = dragDrop(*window);
    window->state().listOrderChanged = false;

    dragRow(*window, list, 0, 1);
    EXPECT_EQ(column(list), (QStringList{"same.txt", "same.txt", "other.txt"}));
    EXPECT_EQ(column(list, 2), (QStringList{folder("y"), folder("x"), folder()}));
    EXPECT_EQ(list->selectedRows(), QList<int>{1});
    // Free Select's order is put back after every run; the Directory flag is not its own.
    EXPECT_FALSE(window->state().listOrderChanged);
}

TEST_F(ListCommandTest, OnlyTheListsOwnRowDragsAreTaken) {
    dir.write("a.txt");
    dir.write("b.txt");
    const auto window = open();
    ListView* list = directory(*window);
    ListView* other = dragDrop(*window);
    mouse(list, QEvent::MouseButtonPress, rowPoint(list, 1));
    window->state().internalDragActive = true;
    const QPoint at = view(list)->viewport()->mapTo(list, rowPoint(list, 0));

    // Files from a file manager, and rows of the other list, are not rows of this one.
    QMimeData files;
    files.setData(QStringLiteral("text/uri-list"), "file:///tmp/x\r\n");
    std::unique_ptr<QMimeData> otherRows(other->createRowDragData());
    for (const QMimeData* data :
         {static_cast<const QMimeData*>(&files), static_cast<const QMimeData*>(otherRows.get())}) {
        QDropEvent drop(QPointF(at), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        drop.ignore();
        QApplication::sendEvent(list->viewport(), &drop);
        EXPECT_FALSE(drop.isAccepted());
    }
    EXPECT_EQ(column(list), (QStringList{"a.txt", "b.txt"}));
}

TEST_F(ListCommandTest, AMoveWithTheButtonDownStartsADragFromTheClickedRow) {
    dir.write("a.txt");
    dir.write("b.txt");
    const auto window = open();
    ListView* list = directory(*window);
    auto& state = window->state();
    const QPoint from = rowPoint(list, 1);
    mouse(list, QEvent::MouseButtonPress, from);
    EXPECT_TRUE(state.itemClicked);
    EXPECT_EQ(state.dragSourceRow, 1);
    // Offscreen the drag returns at once; what matters is that it ran and cleaned up.
    mouse(list, QEvent::MouseMove, from + QPoint(0, QApplication::startDragDistance() + 5));
    EXPECT_FALSE(state.itemClicked);
    EXPECT_FALSE(state.internalDragActive);
    EXPECT_EQ(list->dropHighlightRow(), -1);
    EXPECT_EQ(column(list), (QStringList{"a.txt", "b.txt"}));
}

// ---- Row exchange ----

TEST_F(ListCommandTest, SwapListItemsExchangesEveryColumnOfTheCurrentSource) {
    dir.write("a.txt", std::string(2000, 'a'));
    dir.write("b.txt", "b");
    dir.write("c.txt", std::string(500, 'c'));
    const auto window = open({{"showAllColumns", "1"}});
    ListView* list = directory(*window);
    const QStringList first = list->row(0).texts;
    const QStringList third = list->row(2).texts;
    list->selectRow(0);
    list->selectRow(2);
    window->state().listOrderChanged = false;

    window->listCommands().swapListItems(1, 3);
    EXPECT_EQ(list->row(0).texts, third);
    EXPECT_EQ(list->row(2).texts, first);
    EXPECT_TRUE(list->selectedRows().isEmpty());
    EXPECT_TRUE(window->state().listOrderChanged);
    EXPECT_EQ(window->state().lstFiles[0],
              (QStringList{path("a.txt"), path("b.txt"), path("c.txt")}));

    // Each size key travelled with its size: sorting by size orders by the rows' own sizes.
    window->listCommands().columnClick(list, list->columnIndex(QStringLiteral("size")));
    EXPECT_EQ(column(list), (QStringList{"a.txt", "c.txt", "b.txt"}));

    // With itself: only deselected.
    list->selectRow(1);
    window->listCommands().swapListItems(2, 2);
    EXPECT_EQ(column(list), (QStringList{"a.txt", "c.txt", "b.txt"}));
    EXPECT_TRUE(list->selectedRows().isEmpty());
}

TEST_F(ListCommandTest, SwapListItemsInFreeSelectLeavesTheDirectoryFlag) {
    dir.write("a.txt");
    dir.write("b.txt");
    const auto window = open();
    openFreeSelect(*window, {path("a.txt"), path("b.txt")});
    window->state().listOrderChanged = false;
    window->listCommands().swapListItems(1, 2);
    EXPECT_EQ(column(dragDrop(*window)), (QStringList{"b.txt", "a.txt"}));
    EXPECT_EQ(column(directory(*window)), (QStringList{"a.txt", "b.txt"}));
    EXPECT_FALSE(window->state().listOrderChanged);
}

// ---- Opening ----

TEST_F(ListCommandTest, DoubleClickOrEnterOpensAFolderOrAFile) {
    dir.mkdir("sub");
    dir.write("sub/inner.txt");
    dir.write("a.txt");
    RecordedOpener opener;
    const auto window = open({{"chkDirs", "1"}});
    ListView* list = directory(*window);
    ASSERT_EQ(column(list), (QStringList{"sub", "a.txt"}));
    auto& state = window->state();

    // A file goes to the desktop, and a pending preview is dropped.
    state.previewPending = true;
    state.previewRunToken = 7;
    doubleClick(list, rowPoint(list, 1));
    EXPECT_EQ(opener.opened, QStringList{path("a.txt")});
    EXPECT_FALSE(state.previewPending);
    EXPECT_EQ(state.previewRunToken, -1);
    click(list, rowPoint(list, 1));
    key(list, Qt::Key_Return);
    EXPECT_EQ(opener.opened, (QStringList{path("a.txt"), path("a.txt")}));

    // A folder becomes the working folder.
    click(list, rowPoint(list, 0));
    key(list, Qt::Key_Return);
    EXPECT_EQ(window->ui().txtPath->currentText(), folder("sub"));
    EXPECT_EQ(column(list), QStringList{"inner.txt"});
    EXPECT_EQ(opener.opened.size(), 2);
}

TEST_F(ListCommandTest, NothingOpensAfterAClickOnEmptySpace) {
    dir.write("a.txt");
    RecordedOpener opener;
    const auto window = open();
    ListView* list = directory(*window);
    list->setCurrentRow(0);
    list->selectRow(0);
    doubleClick(list, emptyPoint(list));
    click(list, emptyPoint(list));
    key(list, Qt::Key_Return);
    EXPECT_TRUE(opener.opened.isEmpty());
    EXPECT_FALSE(window->state().itemOpenable);
}

TEST_F(ListCommandTest, AnItemThatVanishedIsLoggedNotOpened) {
    dir.write("a.txt");
    RecordedOpener opener;
    const auto window = open();
    ListView* list = directory(*window);
    ASSERT_TRUE(std::remove(dir.file("a.txt").c_str()) == 0);
    click(list, rowPoint(list, 0));
    key(list, Qt::Key_Return);
    EXPECT_TRUE(opener.opened.isEmpty());
    const std::string log = testsupport::readAll(sandbox.program().file("errors.txt"));
    EXPECT_NE(log.find("Error 53 (File not found) lwDirectory_DblClick: NEWDIR=" +
                       dir.file("a.txt") + " OLDDIR="),
              std::string::npos)
        << log;
}

// ---- Mouse-up, copying, selecting ----

TEST_F(ListCommandTest, AClickOnEmptySpaceDeselectsUnlessAModifierIsHeld) {
    dir.write("a.txt");
    dir.write("b.txt");
    // Without instant preview only the deselection itself asks for a preview.
    const auto window = open({{"chkRealtimePreview", "0"}});
    ListView* list = directory(*window);
    auto& state = window->state();
    list->selectRow(0);
    list->selectRow(1);
    state.previewPending = false;
    click(list, emptyPoint(list), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(list->selectedRows(), (QList<int>{0, 1}));
    EXPECT_FALSE(state.previewPending);

    click(list, emptyPoint(list));
    EXPECT_TRUE(list->selectedRows().isEmpty());
    EXPECT_TRUE(state.previewPending);
    EXPECT_FALSE(state.itemClicked);
    EXPECT_FALSE(state.selectionRecountPending);

    // A click on a row keeps it openable after the button is up.
    click(list, rowPoint(list, 1));
    EXPECT_EQ(list->selectedRows(), QList<int>{1});
    EXPECT_FALSE(state.itemClicked);
    EXPECT_TRUE(state.itemOpenable);
    EXPECT_EQ(window->panelText(QStringLiteral("selected")), QStringLiteral("1 item selected..."));
}

TEST_F(ListCommandTest, CtrlCAndTheMiddleButtonCopyTheName) {
    dir.write("a.txt");
    dir.write("b.txt");
    const auto window = open();
    ListView* list = directory(*window);
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));
    click(list, rowPoint(list, 1));
    key(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), QStringLiteral("b.txt"));
    click(list, rowPoint(list, 0), Qt::MiddleButton);
    EXPECT_EQ(clipboard->text(), QStringLiteral("a.txt"));
    // C alone copies nothing.
    clipboard->setText(QStringLiteral("before"));
    key(list, Qt::Key_C);
    EXPECT_EQ(clipboard->text(), QStringLiteral("before"));
}

TEST_F(ListCommandTest, CtrlASelectsEveryRowAndCounts) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        dir.write(name);
    }
    const auto window = open();
    ListView* list = directory(*window);
    key(list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list->selectedRows(), (QList<int>{0, 1, 2}));
    EXPECT_EQ(window->panelText(QStringLiteral("selected")), QStringLiteral("3 items selected..."));
    EXPECT_TRUE(window->isEnabled());
}

// ---- The keys of each list ----

TEST_F(ListCommandTest, BackspaceGoesUpOnlyFromTheDirectoryList) {
    dir.mkdir("sub");
    dir.write("sub/inner.txt");
    dir.write("top.txt");
    sandbox.store({});
    const auto window = start({QStringLiteral("/p"), folder("sub")});
    ListView* list = directory(*window);
    ASSERT_EQ(column(list), QStringList{"inner.txt"});

    openFreeSelect(*window, {path("top.txt")});
    key(dragDrop(*window), Qt::Key_Backspace);
    EXPECT_EQ(window->ui().txtPath->currentText(), folder("sub"));

    window->sourceSwitch().selectFileSourceTab(QStringLiteral("listview"));
    key(list, Qt::Key_Backspace);
    EXPECT_EQ(window->ui().txtPath->currentText(), folder());
    EXPECT_EQ(column(list), QStringList{"top.txt"});
    EXPECT_FALSE(window->state().keepListFocus);
}

TEST_F(ListCommandTest, DeleteShiftDeleteAndInsertReachFreeSelect) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        dir.write(name);
    }
    CountedOpenFiles dialog;
    const auto window = open();
    openFreeSelect(*window, {path("a.txt"), path("b.txt"), path("c.txt")});
    ListView* list = dragDrop(*window);

    key(list, Qt::Key_Insert);
    EXPECT_EQ(dialog.asked, 1);

    list->clearSelection();
    list->selectRow(1);
    key(list, Qt::Key_Delete);
    EXPECT_EQ(column(list), (QStringList{"a.txt", "c.txt"}));

    key(list, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_TRUE(window->state().lstFiles[1].isEmpty());

    // The Directory list has none of these keys.
    key(directory(*window), Qt::Key_Insert);
    key(directory(*window), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(dialog.asked, 1);
    EXPECT_EQ(directory(*window)->rowCount(), 3);
}

// ---- Manual rename ----

TEST_F(ListCommandTest, F2OpensTheEditorWithTheCaretBeforeTheExtension) {
    dir.write("archive.tar.gz");
    dir.write("README");
    const auto window = open();
    ListView* list = directory(*window);
    ASSERT_EQ(column(list), (QStringList{"archive.tar.gz", "README"}));

    list->setCurrentRow(0);
    list->selectRow(0);
    key(list, Qt::Key_F2);
    QLineEdit* line = editor(list, 0);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->cursorPosition(), 11);
    EXPECT_FALSE(line->hasSelectedText());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(line, &escape);
    QApplication::processEvents();
    ASSERT_FALSE(list->isEditing());

    list->clearSelection();
    list->setCurrentRow(1);
    list->selectRow(1);
    key(list, Qt::Key_F2);
    line = editor(list, 1);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->selectedText(), QStringLiteral("README"));
}

TEST_F(ListCommandTest, TheFreeSelectPlaceholderIsNeverEdited) {
    const auto window = open();
    window->sourceSwitch().selectFileSourceTab(QStringLiteral("dragdrop"));
    ListView* list = dragDrop(*window);
    ASSERT_EQ(list->rowCount(), 1);
    list->setCurrentRow(0);
    window->listCommands().startManualRename(list);
    EXPECT_EQ(editor(list, 0), nullptr);
}

TEST_F(ListCommandTest, AnAcceptedNameRenamesOnDiskAndEverywhereTheItemIsListed) {
    dir.write("a.txt", "A");
    dir.write("b.txt", "B");
    const auto window = open();
    openFreeSelect(*window, {path("a.txt"), path("b.txt")});
    window->sourceSwitch().selectFileSourceTab(QStringLiteral("listview"));
    ListView* list = directory(*window);
    auto& state = window->state();

    rename(list, 0, QStringLiteral("x:y?.txt"));
    EXPECT_FALSE(exists("a.txt"));
    EXPECT_EQ(testsupport::readAll(dir.file("x-y.txt")), "A");
    EXPECT_EQ(column(list), (QStringList{"x-y.txt", "b.txt"}));
    EXPECT_EQ(state.lstFiles[0], (QStringList{path("x-y.txt"), path("b.txt")}));
    EXPECT_EQ(state.lstFiles[1], (QStringList{path("x-y.txt"), path("b.txt")}));
    EXPECT_EQ(column(dragDrop(*window)), (QStringList{"x-y.txt", "b.txt"}));
    // Outside the runs: no run log line, no undo record, no message.
    EXPECT_FALSE(platform::fs::exists(sandbox.program().file("log.txt")));
    EXPECT_TRUE(window->runState().undoFiles.isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());

    // The next row is selected and its editor opens on the next tick.
    EXPECT_TRUE(state.labelEditPending);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(list->selectedRows(), QList<int>{1});
    window->modePanels().tmrPreviewTimer();
    EXPECT_FALSE(state.labelEditPending);
    typeName(list, 1, QStringLiteral("B.TXT"));  // a change of case alone is a rename
    EXPECT_EQ(testsupport::readAll(dir.file("B.TXT")), "B");
    EXPECT_EQ(column(list), (QStringList{"x-y.txt", "B.TXT"}));
    // The last row ends the chain.
    EXPECT_FALSE(state.labelEditPending);
    EXPECT_FALSE(list->isEditing());
}

TEST_F(ListCommandTest, ASlashNeverMovesTheItem) {
    dir.mkdir("a");
    dir.write("file.txt", "F");
    const auto window = open();
    ListView* list = directory(*window);
    rename(list, 0, QStringLiteral("a/b"));
    EXPECT_EQ(testsupport::readAll(dir.file("a-b")), "F");
    EXPECT_FALSE(exists("a/b"));
    rename(list, 0, QStringLiteral("c\\d"));
    EXPECT_EQ(testsupport::readAll(dir.file("c-d")), "F");
}

TEST_F(ListCommandTest, RefusedNamesLeaveEverythingAsItWas) {
    const struct {
        const char* typed;
        const char* message;  // the run's warning for this name; "" for none
    } cases[] = {
        {"a.txt", ""},  // unchanged
        {"", ""},
        {"   ", ""},
        {".",
         "WARNING: Couldn't rename file <a.txt> as <.> Skipping... (a name or sub-folder "
         "may not be empty, \".\" or \"..\")"},
        {"..",
         "WARNING: Couldn't rename file <a.txt> as <..> Skipping... (a name or sub-folder "
         "may not be empty, \".\" or \"..\")"},
        {"?",
         "WARNING: Couldn't rename file <a.txt> as <> Skipping... (a name or sub-folder "
         "may not be empty, \".\" or \"..\")"},
        {"b.txt", "WARNING: Couldn't rename file <a.txt> as <b.txt> Filename already exists..."},
    };
    dir.write("a.txt", "A");
    dir.write("b.txt", "B");
    const auto window = open();
    ListView* list = directory(*window);
    auto& state = window->state();
    for (const auto& c : cases) {
        messages.shown.clear();
        state.previewPending = false;
        rename(list, 0, QString::fromUtf8(c.typed));
        EXPECT_EQ(testsupport::readAll(dir.file("a.txt")), "A") << c.typed;
        EXPECT_EQ(testsupport::readAll(dir.file("b.txt")), "B") << c.typed;
        EXPECT_EQ(testsupport::entriesOf(dir.path()).size(), 2U) << c.typed;
        EXPECT_EQ(column(list), (QStringList{"a.txt", "b.txt"})) << c.typed;
        EXPECT_EQ(state.lstFiles[0], (QStringList{path("a.txt"), path("b.txt")})) << c.typed;
        EXPECT_FALSE(state.labelEditPending) << c.typed;
        if (*c.message) {
            ASSERT_EQ(messages.shown.size(), 1) << c.typed;
            EXPECT_EQ(messages.shown.first().text, QString::fromUtf8(c.message));
        } else {
            EXPECT_TRUE(messages.shown.isEmpty()) << c.typed;
        }
    }
    EXPECT_FALSE(platform::fs::exists(sandbox.program().file("log.txt")));
}

TEST_F(ListCommandTest, ADirectoryRenameKeepsItsContentsPathsUntilTheNextRead) {
    dir.mkdir("photos");
    dir.write("photos/p.jpg");
    const auto window =
        open({{"chkDirs", "1"}, {"chkSub", "1"}, {"uncheckSubsdirsAtStartup", "0"}});
    ListView* list = directory(*window);
    ASSERT_EQ(column(list), (QStringList{"photos", "p.jpg"}));
    rename(list, 0, QStringLiteral("pictures"));
    EXPECT_TRUE(platform::fs::isDirectory(dir.file("pictures")));
    EXPECT_EQ(window->state().lstDirs[0], QStringList{path("pictures")});
    EXPECT_EQ(window->state().lstFiles[0], QStringList{path("photos/p.jpg")});
    EXPECT_EQ(list->text(1, 2), folder("photos"));
}

}  // namespace
