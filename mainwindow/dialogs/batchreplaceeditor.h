// The Batch Replace tab of the settings dialog: the rows of the batch replace list, edited in
// the list view with Add, Edit, Delete, Move up and Move down (and a double click to edit) and
// the small item dialog. The editor works on the rows only; the dialog's "Ok" takes them,
// "Cancel" drops them.
#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

#include <optional>

#include "engine/lists.h"

class QPushButton;
class QWidget;

namespace platform {
class ListView;
}

namespace mainwindow {

class BatchReplaceEditor : public QObject {
    Q_OBJECT
public:
    struct Controls {
        platform::ListView* list;  // lwBatchReplace
        QPushButton* add;          // cmdBatchReplaceAdd
        QPushButton* edit;         // cmdBatchReplaceEdit
        QPushButton* remove;       // cmdBatchReplaceDelete
        QPushButton* up;           // cmdBatchReplaceUp
        QPushButton* down;         // cmdBatchReplaceDown
    };

    // Gives the list its six columns ("Find", "Replace", "Case", "Swap", "Start", "Count") and
    // wires the buttons and the double click. The item dialog opens over `owner`.
    BatchReplaceEditor(const Controls& controls, QWidget* owner);

    // One row per item with a find text, in order.
    void load(const QList<engine::BatchReplaceItem>& items);
    // The rows in display order as items: case and swap from the "x" cells, start and count
    // as whole numbers.
    QList<engine::BatchReplaceItem> items() const;

    void cmdBatchReplaceAddClick();
    void cmdBatchReplaceEditClick();
    void cmdBatchReplaceDeleteClick();
    void cmdBatchReplaceUpClick();
    void cmdBatchReplaceDownClick();
    void lwBatchReplaceDblClick();

private:
    // The row Edit and the moves act on: the current row when it is selected, else the
    // uppermost selected one; -1 when no row is selected.
    int selectedRow() const;
    // Shows the item dialog in the mode batchReplaceEditMode_ gives; the row's cells after
    // "OK", nothing after "Cancel".
    std::optional<QStringList> askItem(const QStringList& cells);
    // Exchanges the selected row with its neighbour `step` rows away (-1 up, 1 down) and keeps
    // it selected; at either end only the focus goes to the list.
    void moveSelectedRow(int step);

    Controls controls_;
    QWidget* owner_;
    // 0: the item dialog adds a row; -1: it edits the selected row.
    int batchReplaceEditMode_ = 0;
};

}  // namespace mainwindow
