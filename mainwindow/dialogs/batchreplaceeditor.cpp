#include "mainwindow/dialogs/batchreplaceeditor.h"

#include <QAbstractItemView>
#include <QListView>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>

#include <algorithm>
#include <initializer_list>

#include "mainwindow/dialogs/batchreplaceitem.h"
#include "platform/widgets/listview.h"

namespace mainwindow {

namespace {

using Cell = BatchReplaceItemDialog::Cell;

// Find and Replace get the room; the other four as wide as their headers need.
constexpr int kTextColumnMinimum = 40;
constexpr int kHeaderPadding = 16;

const QString kMark = QStringLiteral("x");

QStringList rowCells(const engine::BatchReplaceItem& item) {
    return {item.find,
            item.replace,
            item.caseSensitive == 1 ? kMark : QString(),
            item.swapMode == 1 ? kMark : QString(),
            QString::number(item.start),
            QString::number(item.count)};
}

}  // namespace

BatchReplaceEditor::BatchReplaceEditor(const Controls& controls, QWidget* owner)
    : QObject(owner), controls_(controls), owner_(owner) {
    platform::ListView* list = controls_.list;
    const QFontMetrics metrics = list->fontMetrics();
    const struct {
        const char* text;
        bool wide;
    } columns[] = {{"Find", true},  {"Replace", true}, {"Case", false},
                   {"Swap", false}, {"Start", false},  {"Count", false}};
    // The four short columns as wide as their headers; the two texts share what is left of
    // the list (room kept for a scroll bar), so all six show without scrolling sideways.
    const int margin = 2 * list->style()->pixelMetric(QStyle::PM_HeaderMargin) + kHeaderPadding / 2;
    int narrow = 0;
    for (const auto& column : columns) {
        if (!column.wide) {
            narrow += metrics.horizontalAdvance(QString::fromLatin1(column.text)) + margin;
        }
    }
    const int room = list->width() - 2 * list->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) -
                     list->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int wide = std::max(kTextColumnMinimum, (room - narrow) / 2);
    for (const auto& column : columns) {
        const QString text = QString::fromLatin1(column.text);
        list->addColumn(text, QString(),
                        column.wide ? wide : metrics.horizontalAdvance(text) + margin);
    }
    // Rows change through the item dialog only, which keeps their texts fit for the list
    // file; a label edited in place would not be checked.
    list->setLabelEdit(platform::ListView::LabelEdit::Manual);

    connect(controls_.add, &QPushButton::clicked, this,
            &BatchReplaceEditor::cmdBatchReplaceAddClick);
    connect(controls_.edit, &QPushButton::clicked, this,
            &BatchReplaceEditor::cmdBatchReplaceEditClick);
    connect(controls_.remove, &QPushButton::clicked, this,
            &BatchReplaceEditor::cmdBatchReplaceDeleteClick);
    connect(controls_.up, &QPushButton::clicked, this, &BatchReplaceEditor::cmdBatchReplaceUpClick);
    connect(controls_.down, &QPushButton::clicked, this,
            &BatchReplaceEditor::cmdBatchReplaceDownClick);
    // Only the double click: the list's Enter belongs to the dialog's "Ok".
    for (QAbstractItemView* view :
         std::initializer_list<QAbstractItemView*>{list->reportView(), list->iconView()}) {
        connect(view, &QAbstractItemView::doubleClicked, this,
                &BatchReplaceEditor::lwBatchReplaceDblClick);
    }
}

void BatchReplaceEditor::load(const QList<engine::BatchReplaceItem>& items) {
    controls_.list->clear();
    for (const engine::BatchReplaceItem& item : items) {
        if (!item.find.isEmpty()) {
            controls_.list->addRow(rowCells(item));
        }
    }
}

QList<engine::BatchReplaceItem> BatchReplaceEditor::items() const {
    const platform::ListView* list = controls_.list;
    QList<engine::BatchReplaceItem> items;
    for (int row = 0; row < list->rowCount(); ++row) {
        engine::BatchReplaceItem item;
        item.find = list->text(row, Cell::Find);
        item.replace = list->text(row, Cell::Replace);
        item.caseSensitive = list->text(row, Cell::Case) == kMark ? 1 : 0;
        item.swapMode = list->text(row, Cell::Swap) == kMark ? 1 : 0;
        item.start = batchItemNumber(list->text(row, Cell::Start));
        item.count = batchItemNumber(list->text(row, Cell::Count));
        items.append(item);
    }
    return items;
}

int BatchReplaceEditor::selectedRow() const {
    const platform::ListView* list = controls_.list;
    const int current = list->currentRow();
    if (current >= 0 && list->isRowSelected(current)) {
        return current;
    }
    const QList<int> selected = list->selectedRows();
    return selected.isEmpty() ? -1 : selected.first();
}

std::optional<QStringList> BatchReplaceEditor::askItem(const QStringList& cells) {
    BatchReplaceItemDialog dialog(batchReplaceEditMode_, cells, owner_);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.cells();
}

void BatchReplaceEditor::cmdBatchReplaceAddClick() {
    batchReplaceEditMode_ = 0;
    if (const auto cells = askItem({})) {
        controls_.list->addRow(*cells);
    }
}

void BatchReplaceEditor::cmdBatchReplaceEditClick() {
    platform::ListView* list = controls_.list;
    const int row = selectedRow();
    if (row < 0) {
        return;
    }
    batchReplaceEditMode_ = -1;
    QStringList current;
    for (int column = 0; column < Cell::CellCount; ++column) {
        current << list->text(row, column);
    }
    if (const auto cells = askItem(current)) {
        for (int column = 0; column < Cell::CellCount; ++column) {
            list->setText(row, column, cells->at(column));
        }
    }
}

void BatchReplaceEditor::cmdBatchReplaceDeleteClick() {
    platform::ListView* list = controls_.list;
    const QList<int> selected = list->selectedRows();
    if (selected.isEmpty()) {
        return;
    }
    list->removeRow(selected.first());
    list->setFocus(Qt::OtherFocusReason);
}

void BatchReplaceEditor::moveSelectedRow(int step) {
    platform::ListView* list = controls_.list;
    const int row = selectedRow();
    if (row < 0) {
        return;
    }
    const int target = row + step;
    if (target >= 0 && target < list->rowCount()) {
        list->swapRows(row, target);
        // The selection goes with the moved item, so the next move takes it further.
        list->clearSelection();
        list->selectRow(target);
        list->setCurrentRow(target);
    }
    list->setFocus(Qt::OtherFocusReason);
}

void BatchReplaceEditor::cmdBatchReplaceUpClick() {
    moveSelectedRow(-1);
}

void BatchReplaceEditor::cmdBatchReplaceDownClick() {
    moveSelectedRow(1);
}

void BatchReplaceEditor::lwBatchReplaceDblClick() {
    if (controls_.list->rowCount() == 0) {
        return;
    }
    cmdBatchReplaceEditClick();
}

}  // namespace mainwindow
