#include "mainwindow/contextmenus.h"

#include <QApplication>
#include <QClipboard>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QTreeWidgetItem>

#include <vector>

#include "filelists/rowtext.h"
#include "mainwindow/controls.h"
#include "mainwindow/focuskeeper.h"
#include "mainwindow/foldersource.h"
#include "mainwindow/freeselect.h"
#include "mainwindow/listcommands.h"
#include "mainwindow/modepanels.h"
#include "mainwindow/sourceswitch.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"

namespace mainwindow {

namespace {

using platform::ListView;

// Copied lists end every line this way, the last one included, whatever the system.
constexpr char kLineEnd[] = "\r\n";

// Replaces the list's selection in one change: a row-by-row walk would cost a selection
// merge (and a signal) per row on lists of tens of thousands of rows.
void applySelection(ListView* list, const std::vector<char>& wanted) {
    QItemSelection selection;
    const int rows = static_cast<int>(wanted.size());
    for (int row = 0; row < rows;) {
        if (!wanted[row]) {
            ++row;
            continue;
        }
        const int first = row;
        while (row < rows && wanted[row]) {
            ++row;
        }
        selection.select(list->model()->index(first, 0), list->model()->index(row - 1, 0));
    }
    list->selectionModel()->select(selection,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

}  // namespace

ContextMenus::ContextMenus(QWidget& window, Controls& ui, const QHash<QString, QObject*>& controls,
                           ModePanels& modes, SourceSwitch& source, FolderSource& folders,
                           FreeSelect& freeSelect, ListCommands& listCommands)
    : window_(window),
      ui_(ui),
      controls_(controls),
      modes_(modes),
      source_(source),
      folders_(folders),
      freeSelect_(freeSelect),
      listCommands_(listCommands) {
    // The window builds every separator and submenu shown; the table also hides some of them.
    for (const MenuDef& def : menuTable()) {
        if (def.depth == 0) {
            continue;
        }
        QObject* object = controls_.value(QString::fromUtf8(def.name));
        if (auto* submenu = qobject_cast<QMenu*>(object)) {
            submenu->menuAction()->setVisible(def.visible);
        } else if (auto* action = qobject_cast<QAction*>(object)) {
            action->setVisible(def.visible);
        }
    }
}

QAction* ContextMenus::item(const char* name) const {
    auto* action = qobject_cast<QAction*>(controls_.value(QString::fromUtf8(name)));
    Q_ASSERT_X(action, "ContextMenus", name);
    return action;
}

void ContextMenus::onItem(const char* name, std::function<void()> handler) {
    QObject::connect(item(name), &QAction::triggered, &window_,
                     [handler = std::move(handler)] { handler(); });
}

void ContextMenus::connectHandlers() {
    ListView* directory = ui_.lwDirectory;
    ListView* dragDrop = ui_.lwDragDrop;

    // The twin items of the two lists, the Directory list's name first.
    struct ListItems {
        ListView* list;
        const char* open;
        const char* rename;
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
    const ListItems twins[] = {
        {directory, "mnuListviewOpen", "mnuListviewRename", "mnuSelAll", "mnuSelNone",
         "mnuSelInvert", "mnuSelPreview", "mnuSelNoPreview", "mnuListFilenames", "mnuListPreviews",
         "mnuListviewCopy", "mnuListviewCopyPreview", "mnuListviewCopyPath"},
        {dragDrop, "mnuDragdropOpen", "mnuDrapDropRename", "mnuFsSelAll", "mnuFsSelNone",
         "mnuFsSelInvert", "mnuFSSelPreview", "mnuFSSelNoPreview", "mnuFSListFilenames",
         "mnuFSListPreviews", "mnuDragdropCopy", "mnuDragdropCopyPreview", "mnuDragdropCopyPath"},
    };
    for (const ListItems& twin : twins) {
        ListView* list = twin.list;
        onItem(twin.open, [this, list] { listCommands_.openRow(list); });
        onItem(twin.rename, [this, list] { listCommands_.startManualRename(list); });
        onItem(twin.selAll, [this, list] { selectRows(list, SelectRule::All); });
        onItem(twin.selNone, [this, list] { selectRows(list, SelectRule::None); });
        onItem(twin.selInvert, [this, list] { selectRows(list, SelectRule::Invert); });
        onItem(twin.selPreview, [this, list] { selectRows(list, SelectRule::WithPreview); });
        onItem(twin.selNoPreview, [this, list] { selectRows(list, SelectRule::WithoutPreview); });
        onItem(twin.listNames, [this, list] { copyAll(list, filelists::kColumnName, false); });
        onItem(twin.listPreviews, [this, list] { copyAll(list, filelists::kColumnPreview, true); });
        onItem(twin.copyName, [list] { copyCell(list, filelists::kColumnName); });
        onItem(twin.copyPreview, [list] { copyCell(list, filelists::kColumnPreview); });
        onItem(twin.copyPath, [list] { copyCell(list, filelists::kColumnFolder); });
    }

    onItem("mnuListviewAdd", [this] { freeSelect_.mnuListviewAddClick(); });
    onItem("mnuListviewParentDir", [this] { folders_.cmdParentDirClick(); });
    onItem("mnuListviewRefresh", [this] { folders_.treeviewRefresh(); });
    onItem("mnuDragdropRemove", [this] { freeSelect_.mnuDragdropRemoveClick(); });
    onItem("mnuDragdropClear", [this] { freeSelect_.mnuDragdropClearClick(); });

    onItem("mnuTreeviewAdd", [this] { freeSelect_.mnuTreeviewAddClick(); });
    onItem("mnuTreeviewAddRecursive", [this] { freeSelect_.mnuTreeviewAddRecursiveClick(); });
    onItem("mnuTreeviewParentDir", [this] { folders_.cmdParentDirClick(); });
    onItem("mnuTreeviewRefresh", [this] { folders_.treeviewRefresh(); });
    onItem("mnuTreeviewCopy", [this] { copyTreeNode(); });
}

void ContextMenus::popupListview(QPoint globalPosition) {
    popupList(ui_.mnuPopupListview, ui_.lwDirectory, item("mnuListviewOpen"), globalPosition);
}

void ContextMenus::popupDragdrop(QPoint globalPosition) {
    popupList(ui_.mnuPopupDragdrop, ui_.lwDragDrop, item("mnuDragdropOpen"), globalPosition);
}

void ContextMenus::popupFor(const ListView* list, QPoint globalPosition) {
    if (list == ui_.lwDirectory) {
        popupListview(globalPosition);
    } else {
        popupDragdrop(globalPosition);
    }
}

void ContextMenus::popupTreeview(QPoint globalPosition) {
    if (ui_.TreeView->topLevelItemCount() == 0) {
        return;
    }
    ui_.mnuPopupTreeview->setDefaultAction(nullptr);
    ui_.mnuPopupTreeview->popup(globalPosition);
}

void ContextMenus::popupList(QMenu* menu, const ListView* list, QAction* open,
                             QPoint globalPosition) {
    // A list without rows has nothing for the menu to act on.
    if (list->rowCount() == 0) {
        return;
    }
    menu->setDefaultAction(open);
    menu->popup(globalPosition);
}

void ContextMenus::selectRows(ListView* list, SelectRule rule) {
    {
        const FocusKeeper focus(&window_);
        const platform::BusyScope busy(&window_);
        const int rows = list->rowCount();
        std::vector<char> wanted(static_cast<size_t>(rows), 0);
        if (rule == SelectRule::Invert) {
            for (const int row : list->selectedRows()) {
                wanted[static_cast<size_t>(row)] = 1;
            }
        }
        for (int row = 0; row < rows; ++row) {
            char& selected = wanted[static_cast<size_t>(row)];
            switch (rule) {
                case SelectRule::All:
                    selected = 1;
                    break;
                case SelectRule::None:
                    selected = 0;
                    break;
                case SelectRule::Invert:
                    selected = !selected;
                    break;
                case SelectRule::WithPreview:
                    selected = !list->text(row, filelists::kColumnPreview).isEmpty();
                    break;
                case SelectRule::WithoutPreview:
                    selected = list->text(row, filelists::kColumnPreview).isEmpty();
                    break;
            }
        }
        applySelection(list, wanted);
    }
    source_.updateSelectedCount(0);
    modes_.optionsChanged();
}

void ContextMenus::copyAll(const ListView* list, int column, bool skipEmpty) {
    const FocusKeeper focus(&window_);
    const platform::BusyScope busy(&window_);
    QString text;
    for (int row = 0; row < list->rowCount(); ++row) {
        const QString cell = list->text(row, column);
        if (skipEmpty && cell.isEmpty()) {
            continue;
        }
        text += cell;
        text += QLatin1String(kLineEnd);
    }
    QApplication::clipboard()->setText(text);
}

void ContextMenus::copyCell(const ListView* list, int column) {
    const int row = list->actingRow();
    if (row < 0) {
        return;
    }
    QApplication::clipboard()->setText(list->text(row, column));
}

void ContextMenus::copyTreeNode() {
    const QTreeWidget* tree = ui_.TreeView;
    const QTreeWidgetItem* node = tree->currentItem();
    if (!node) {
        const QList<QTreeWidgetItem*> selected = tree->selectedItems();
        node = selected.isEmpty() ? nullptr : selected.first();
    }
    if (node) {
        QApplication::clipboard()->setText(node->text(0));
    }
}

}  // namespace mainwindow
