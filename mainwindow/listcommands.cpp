#include "mainwindow/listcommands.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPointer>
#include <QTreeView>

#include "engine/log.h"
#include "engine/namescope.h"
#include "filelists/rowtext.h"
#include "mainwindow/controls.h"
#include "mainwindow/focuskeeper.h"
#include "mainwindow/foldersource.h"
#include "mainwindow/freeselect.h"
#include "mainwindow/modepanels.h"
#include "mainwindow/sourceswitch.h"
#include "mainwindow/windowstate.h"
#include "platform/filesystem.h"
#include "platform/messages.h"
#include "platform/programfolder.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/documents.h"
#include "platform/widgets/listview.h"
#include "runs/rename.h"

namespace mainwindow {

using platform::ListView;

namespace {

// Every entry equal to `from` becomes `to` (whole texts, case-sensitive).
void replaceEntries(QStringList& entries, const QString& from, const QString& to) {
    for (QString& entry : entries) {
        if (entry == from) {
            entry = to;
        }
    }
}

}  // namespace

// Hands the events of both lists, their views and viewports to the commands. Owned by the
// commands, so nothing reaches them once they are gone.
class ListCommands::EventRelay : public QObject {
public:
    explicit EventRelay(ListCommands& commands) : commands_(commands) {}

    void watch(ListView* list, QObject* object) {
        lists_.insert(object, list);
        object->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        ListView* list = lists_.value(watched);
        return list && commands_.filterEvent(list, watched, event);
    }

private:
    ListCommands& commands_;
    QHash<QObject*, QPointer<ListView>> lists_;
};

ListCommands::ListCommands(QWidget& window, Controls& ui, WindowState& state, ModePanels& modes,
                           SourceSwitch& source, FolderSource& folders, FreeSelect& freeSelect)
    : window_(window),
      ui_(ui),
      state_(state),
      modes_(modes),
      source_(source),
      folders_(folders),
      freeSelect_(freeSelect) {}

ListCommands::~ListCommands() {
    // An editor still open while the window goes must not reach the gone commands.
    for (ListView* list : {ui_.lwDirectory, ui_.lwDragDrop}) {
        if (list) {
            list->setLabelEditor({});
        }
    }
}

void ListCommands::connectHandlers() {
    relay_ = std::make_unique<EventRelay>(*this);
    for (ListView* list : {ui_.lwDirectory, ui_.lwDragDrop}) {
        for (auto* view : {static_cast<QAbstractItemView*>(list->reportView()),
                           static_cast<QAbstractItemView*>(list->iconView())}) {
            relay_->watch(list, view);
            relay_->watch(list, view->viewport());
            // A move with no button pressed recounts a selection the mouse may have changed.
            view->viewport()->setMouseTracking(true);
            QObject::connect(
                view, &QAbstractItemView::pressed, relay_.get(),
                [this, list](const QModelIndex& index) { itemClick(list, index.row()); });
        }
        // Rows dragged inside the list are dropped on the list itself, whichever view shows.
        relay_->watch(list, list);
        list->setAcceptDrops(true);
        QObject::connect(list, &ListView::columnClicked, relay_.get(),
                         [this, list](int column) { columnClick(list, column); });
        QObject::connect(
            list, &ListView::labelEditStarted, relay_.get(),
            [this, list](int row, QWidget* editor) { labelEditStarted(list, row, editor); });
        list->setLabelEditor(
            [this, list](int row, QString& text) { return commitLabelEdit(list, row, text); });
        // A name with line breaks shows whole, its breaks drawn as the logs write them.
        list->setShownText(engine::oneLine);
    }
}

ListView* ListCommands::otherList(const ListView* list) const {
    return list == ui_.lwDirectory ? ui_.lwDragDrop : ui_.lwDirectory;
}

// ---- Events ----

bool ListCommands::filterEvent(ListView* list, QObject* watched, QEvent* event) {
    const bool onView = watched == list->reportView() || watched == list->iconView();
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (!onView && watched != list) {
                pressPosition_ = static_cast<QMouseEvent*>(event)->position().toPoint();
                mouseDown();
            }
            return false;
        case QEvent::MouseMove:
            return !onView && watched != list && mouseMove(list, static_cast<QMouseEvent*>(event));
        case QEvent::MouseButtonRelease:
            if (!onView && watched != list) {
                mouseUp(list, static_cast<QMouseEvent*>(event));
            }
            return false;
        case QEvent::MouseButtonDblClick:
            if (!onView && watched != list &&
                static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                // Opening a folder fills the list again; the view finishes its own handling
                // of the click first.
                QMetaObject::invokeMethod(
                    relay_.get(),
                    [this, guarded = QPointer<ListView>(list)] {
                        if (guarded) {
                            openRow(guarded);
                        }
                    },
                    Qt::QueuedConnection);
            }
            return false;
        case QEvent::KeyPress:
            // Keys typed into a label's editor travel up through the view: not the list's.
            return onView && !list->isEditing() && keyDown(list, static_cast<QKeyEvent*>(event));
        case QEvent::KeyRelease:
            if (onView && !list->isEditing()) {
                const auto* key = static_cast<QKeyEvent*>(event);
                if (!key->isAutoRepeat()) {
                    keyUp(list, key);
                }
            }
            return false;
        case QEvent::DragEnter:
        case QEvent::DragMove:
            return dragOver(list, watched, static_cast<QDropEvent*>(event));
        case QEvent::DragLeave:
            if (state_.internalDragActive) {
                list->setDropHighlightRow(-1);
            }
            return false;
        case QEvent::Drop:
            return dragDrop(list, static_cast<QDropEvent*>(event));
        default:
            return false;
    }
}

void ListCommands::mouseDown() {
    state_.selectionRecountPending = true;
    state_.itemClicked = false;
    state_.itemOpenable = false;
}

void ListCommands::itemClick(ListView* list, int row) {
    if (row < 0 || row >= list->rowCount()) {
        return;
    }
    // The row itself, by its position: rows of equal names are still different rows.
    state_.dragSourceRow = row;
    state_.itemClicked = true;
    state_.itemOpenable = true;
}

bool ListCommands::mouseMove(ListView* list, const QMouseEvent* event) {
    const Qt::MouseButtons buttons = event->buttons();
    if (buttons == Qt::NoButton) {
        if (state_.selectionRecountPending) {
            source_.updateSelectedCount(0);
        }
        return false;
    }
    if (buttons != Qt::LeftButton || !state_.itemClicked) {
        return false;
    }
    // A press on a row moves that row; it never sweeps a selection. A jitter of the hand
    // within a click starts no drag.
    if ((event->position().toPoint() - pressPosition_).manhattanLength() <
        QApplication::startDragDistance()) {
        return true;
    }
    const int row = state_.dragSourceRow;
    if (row < 0 || row >= list->rowCount()) {
        return true;
    }
    state_.internalDragActive = true;
    list->startRowDrag(row);
    // The drag took the button's release: the click is over, dropped or not.
    state_.internalDragActive = false;
    state_.itemClicked = false;
    list->setDropHighlightRow(-1);
    return true;
}

void ListCommands::mouseUp(ListView* list, const QMouseEvent* event) {
    const Qt::MouseButton button = event->button();
    if (button == Qt::RightButton && list->rowCount() > 0) {
        emit menuRequested(list, event->globalPosition().toPoint());
    }
    if (button == Qt::MiddleButton) {
        copyName(list);
    }
    bool deselected = false;
    constexpr Qt::KeyboardModifiers kShiftKeys =
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    if (!(event->modifiers() & kShiftKeys) && !state_.itemClicked) {
        list->clearSelection();
        deselected = true;
    }
    source_.updateSelectedCount(0);
    if (deselected) {
        state_.previewPending = true;
    }
    state_.itemClicked = false;
}

bool ListCommands::keyDown(ListView* list, const QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        return false;
    }
    openRow(list);
    return true;
}

void ListCommands::keyUp(ListView* list, const QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool directory = list == ui_.lwDirectory;
    switch (event->key()) {
        case Qt::Key_A:
            if (ctrl) {
                selectAll(list);
            } else {
                source_.updateSelectedCount(0);
            }
            break;
        case Qt::Key_C:
            if (ctrl) {
                copyName(list);
            }
            break;
        case Qt::Key_F2:
            source_.updateSelectedCount(0);
            startManualRename(list);
            break;
        case Qt::Key_Backspace:
            if (directory) {
                state_.keepListFocus = true;
                folders_.cmdParentDirClick();
            }
            break;
        case Qt::Key_Delete:
            if (!directory) {
                if (modifiers & Qt::ShiftModifier) {
                    freeSelect_.mnuDragdropClearClick();
                } else {
                    freeSelect_.mnuDragdropRemoveClick();
                }
            }
            break;
        case Qt::Key_Insert:
            if (!directory) {
                freeSelect_.cmdDragDropAddClick();
            }
            break;
        case Qt::Key_Up:
        case Qt::Key_Down:
            source_.updateSelectedCount(0);
            break;
        default:
            break;
    }
}

// ---- Row drags ----

bool ListCommands::dragOver(ListView* list, QObject* watched, QDropEvent* event) {
    if (!state_.internalDragActive || !list->isOwnRowDrag(event->mimeData())) {
        return false;
    }
    list->setDropHighlightRow(
        list->rowAt(event->position().toPoint(), qobject_cast<QWidget*>(watched)));
    event->setDropAction(Qt::MoveAction);
    event->accept();
    return true;
}

bool ListCommands::dragDrop(ListView* list, QDropEvent* event) {
    if (!list->isOwnRowDrag(event->mimeData())) {
        return false;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    const int target = list->dropHighlightRow();
    const int source = state_.dragSourceRow;
    list->setDropHighlightRow(-1);
    state_.internalDragActive = false;
    if (target < 0 || source < 0 || source >= list->rowCount()) {
        return true;
    }
    // The same row, not merely a row of the same name: two entries of one name from different
    // folders are still moved past each other.
    if (target == source) {
        return true;
    }
    // One step at a time, so that the rows in between shift one place towards the source.
    if (source < target) {
        for (int row = source; row < target; ++row) {
            swapRows(list, row, row + 1);
        }
    } else {
        for (int row = source - 1; row >= target; --row) {
            swapRows(list, row, row + 1);
        }
    }
    list->selectRow(target);
    list->setCurrentRow(target);
    state_.dragSourceRow = -1;
    // Names that follow the rows' order change with it.
    if (runs::modeNumbersRows(modes_.namingMode())) {
        modes_.optionsChanged();
    }
    return true;
}

// ---- Rows ----

void ListCommands::swapListItems(int first, int second) {
    ListView* list = state_.fileMode == Source::FreeSelect ? ui_.lwDragDrop : ui_.lwDirectory;
    swapRows(list, first - 1, second - 1);
}

void ListCommands::swapRows(ListView* list, int first, int second) {
    if (list == ui_.lwDirectory) {
        state_.listOrderChanged = true;
    }
    list->swapRows(first, second);
    list->selectRow(first, false);
    list->selectRow(second, false);
}

void ListCommands::columnClick(ListView* list, int column) {
    list->setSortOrder(list->sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder
                                                               : Qt::AscendingOrder);
    // Sizes sort by their byte count, which the hidden key column holds.
    int key = column;
    if (list->columnKey(column) == QLatin1String("size")) {
        const int bytes = list->columnIndex(QStringLiteral("sizeb"));
        if (bytes >= 0) {
            key = bytes;
        }
    }
    list->sortByColumn(key);
    // The Free Select order is put back after every run anyway; the Directory order only when
    // the user changed it.
    if (list == ui_.lwDirectory) {
        state_.listOrderChanged = true;
    }
    modes_.optionsChanged();
}

void ListCommands::selectAll(ListView* list) {
    {
        const FocusKeeper focus(&window_);
        const platform::BusyScope busy(&window_);
        list->selectAll();
    }
    source_.updateSelectedCount(0);
}

void ListCommands::copyName(const ListView* list) {
    const int row = list->actingRow();
    if (row >= 0) {
        QApplication::clipboard()->setText(list->text(row));
    }
}

void ListCommands::openRow(ListView* list) {
    if (!state_.itemOpenable || list->rowCount() == 0) {
        return;
    }
    state_.stopPreview();
    QComboBox* pathBox = ui_.txtPath;
    state_.previousPath = pathBox->currentText();
    const int row = list->actingRow();
    if (row < 0) {
        return;
    }
    const QString folder = list->text(row, filelists::kColumnFolder);
    const QString path = folder + list->text(row);
    // A row without a folder (a placeholder) names nothing on disk; nor may a relative name
    // reach the current folder of the process.
    const platform::fs::Kind kind = folder.isEmpty()
                                        ? platform::fs::Kind::Missing
                                        : platform::fs::kindOf(platform::nativePath(path));
    if (kind == platform::fs::Kind::Directory) {
        pathBox->setEditText(path);
        folders_.txtPathLostFocus();
    } else if (kind != platform::fs::Kind::Missing) {
        platform::openDocument(path);
    } else {
        const QString context = list == ui_.lwDirectory ? QStringLiteral("lwDirectory_DblClick")
                                                        : QStringLiteral("lwDragDrop_DblClick");
        engine::logFailure(engine::kFileNotFound, context + QStringLiteral(": NEWDIR=") + path +
                                                      QStringLiteral(" OLDDIR=") +
                                                      pathBox->currentText());
    }
}

// ---- Manual rename ----

void ListCommands::startManualRename(ListView* list) {
    const int row = list->actingRow();
    // A row without a folder is the placeholder: there is nothing on disk to rename.
    if (row < 0 || list->text(row, filelists::kColumnFolder).isEmpty()) {
        return;
    }
    list->startLabelEdit(row);
}

void ListCommands::labelEditStarted(ListView*, int, QWidget* editor) {
    // The caret waits before the extension, so that typing replaces the name and keeps the
    // type; a name without a "." stays wholly selected.
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) {
        return;
    }
    const engine::NameParts parts = engine::splitExtension(line->text());
    if (!parts.hasExtension) {
        return;
    }
    line->deselect();
    line->setCursorPosition(static_cast<int>(parts.name.size()));
}

bool ListCommands::commitLabelEdit(ListView* list, int row, QString& text) {
    // Closing the editor may hand the same text in again while this one is still busy.
    if (committing_) {
        return false;
    }
    const QString oldName = list->text(row);
    const QString folder = list->text(row, filelists::kColumnFolder);
    if (text == oldName || text.trimmed().isEmpty() || folder.isEmpty()) {
        return false;
    }
    committing_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{committing_};

    const runs::HandRename rename = runs::renameByHand(folder, oldName, text);
    if (!rename.warning.isEmpty()) {
        showWarningLater(rename.warning);
    }
    if (!rename.renamed) {
        return false;
    }
    text = rename.newName;
    followRename(list, folder + oldName, folder + rename.newName, rename.newName);
    modes_.optionsChanged();
    moveToNextRowLater(list, row);
    return true;
}

void ListCommands::showWarningLater(const QString& message) {
    // Shown once the editor has closed: a box opened from inside the commit would take the
    // focus from the editor, which commits again.
    const QString title = state_.appName;
    QMetaObject::invokeMethod(
        relay_.get(),
        [message, title] {
            platform::messages().showMessage(message, title, platform::MessageIcon::Exclamation,
                                             platform::MessageButtons::Ok);
        },
        Qt::QueuedConnection);
}

void ListCommands::followRename(const ListView* list, const QString& oldPath,
                                const QString& newPath, const QString& newName) {
    for (const Source source : {Source::Directory, Source::FreeSelect}) {
        replaceEntries(state_.files(source), oldPath, newPath);
        replaceEntries(state_.dirs(source), oldPath, newPath);
    }
    ListView* other = otherList(list);
    for (int r = 0; r < other->rowCount(); ++r) {
        if (other->text(r, filelists::kColumnFolder) + other->text(r) == oldPath) {
            other->setText(r, 0, newName);
        }
    }
}

void ListCommands::moveToNextRowLater(ListView* list, int row) {
    if (row + 1 >= list->rowCount()) {
        return;
    }
    // The editor is still open: moving the current row now would close it from inside its own
    // commit. The selection moves on once it has closed, and the preview timer opens the next
    // editor there.
    QPointer<ListView> guarded(list);
    QMetaObject::invokeMethod(
        relay_.get(),
        [this, guarded, row] {
            if (!guarded || row + 1 >= guarded->rowCount()) {
                return;
            }
            guarded->selectRow(row, false);
            guarded->setCurrentRow(row + 1);
            guarded->selectRow(row + 1);
            state_.labelEditPending = true;
        },
        Qt::QueuedConnection);
}

}  // namespace mainwindow
