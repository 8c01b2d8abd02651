#include "platform/widgets/listview.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDrag>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPainter>
#include <QStackedLayout>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

namespace platform {

namespace {

// Draws what the views need beyond Qt's own rows: the drop highlight (drawn as a selected row)
// and, in the report view, grid lines and a highlight that stays on the first column unless
// full-row selection is on.
class RowDelegate : public QStyledItemDelegate {
public:
    RowDelegate(const ListView* owner, bool report, QObject* parent)
        : QStyledItemDelegate(parent), owner_(owner), report_(report) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        if (index.row() == owner_->dropHighlightRow()) {
            opt.state |= QStyle::State_Selected;
        }
        if (report_ && !owner_->fullRowSelect() && index.column() > 0) {
            opt.state &= ~QStyle::State_Selected;
        }
        if (index.row() < owner_->rowCount() && owner_->model()->rows.at(index.row()).placeholder) {
            opt.state &=
                ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
        }
        QStyledItemDelegate::paint(painter, opt, index);
        if (report_ && owner_->gridLines()) {
            painter->save();
            painter->setPen(option.palette.color(QPalette::Midlight));
            painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
            painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
            painter->restore();
        }
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        // The in-place editor of a label shows where it is, over the row's own highlight.
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setFrame(true);
            line->setAutoFillBackground(true);
        }
        return editor;
    }

private:
    const ListView* owner_;
    bool report_;
};

// The two views tell the list when an editor opens on a label, however it was asked for, once
// the editor holds its text; and whether one is open.
template <class View>
class LabelView : public View {
public:
    explicit LabelView(ListView* owner) : View(owner), owner_(owner) {}

    bool editing() const { return this->state() == QAbstractItemView::EditingState; }

protected:
    bool edit(const QModelIndex& index, QAbstractItemView::EditTrigger trigger,
              QEvent* event) override {
        const QWidget* before = this->indexWidget(index);
        const bool result = View::edit(index, trigger, event);
        QWidget* editor = this->indexWidget(index);
        if (result && editor && editor != before) {
            emit owner_->labelEditStarted(index.row(), editor);
        }
        return result;
    }

private:
    ListView* owner_;
};

using ReportView = LabelView<QTreeView>;
using IconView = LabelView<QListView>;

// Names one list of one running program in the data of its row drags.
QByteArray dragToken(const ListView* list) {
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
           QByteArray::number(reinterpret_cast<quintptr>(list));
}

}  // namespace

// ---- ListViewModel ----

ListViewModel::ListViewModel(QObject* parent) : QAbstractTableModel(parent) {}

int ListViewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows.size());
}

int ListViewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns.size());
}

QVariant ListViewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows.size()) {
        return {};
    }
    const ListRow& row = rows.at(index.row());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole: {
            const QString text =
                index.column() < row.texts.size() ? row.texts.at(index.column()) : QString();
            return role == Qt::DisplayRole && shownText ? shownText(text) : text;
        }
        case Qt::DecorationRole: {
            if (index.column() != 0) {
                return {};
            }
            const int image = largeIconView ? row.largeImage : row.smallImage;
            const QList<QIcon>& images = largeIconView ? largeImages : smallImages;
            if (image >= 0 && image < images.size()) {
                return images.at(image);
            }
            return row.icon.isNull() ? QVariant() : QVariant(row.icon);
        }
        default:
            return {};
    }
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columns.size()) {
        return columns.at(section).text;
    }
    return {};
}

// The label can always be edited; the views' edit triggers decide whether a click starts that
// or only startLabelEdit does.
Qt::ItemFlags ListViewModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0) {
        result |= Qt::ItemIsEditable;
    }
    return result;
}

bool ListViewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.column() != 0 ||
        index.row() >= rows.size()) {
        return false;
    }
    QString text = value.toString();
    if (labelEditor && !labelEditor(index.row(), text)) {
        return false;
    }
    setText(index.row(), 0, text);
    emit labelEdited(index.row(), text);
    return true;
}

void ListViewModel::appendColumn(const ListColumn& column) {
    const int position = static_cast<int>(columns.size());
    beginInsertColumns(QModelIndex(), position, position);
    columns.append(column);
    endInsertColumns();
}

void ListViewModel::removeColumnAt(int column) {
    if (column < 0 || column >= columns.size()) {
        return;
    }
    beginRemoveColumns(QModelIndex(), column, column);
    columns.removeAt(column);
    for (ListRow& row : rows) {
        if (column < row.texts.size()) {
            row.texts.removeAt(column);
        }
    }
    endRemoveColumns();
}

void ListViewModel::appendRows(const QList<ListRow>& newRows) {
    if (newRows.isEmpty()) {
        return;
    }
    const int first = static_cast<int>(rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(newRows.size()) - 1);
    rows.append(newRows);
    endInsertRows();
}

void ListViewModel::appendRows(QList<ListRow>&& newRows) {
    if (newRows.isEmpty()) {
        return;
    }
    const int first = static_cast<int>(rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(newRows.size()) - 1);
    if (rows.isEmpty()) {
        rows = std::move(newRows);
    } else {
        rows.append(std::move(newRows));
    }
    endInsertRows();
}

void ListViewModel::removeRowAt(int row) {
    if (row < 0 || row >= rows.size()) {
        return;
    }
    if (dropHighlight == row) {
        dropHighlight = -1;
    } else if (dropHighlight > row) {
        --dropHighlight;
    }
    beginRemoveRows(QModelIndex(), row, row);
    rows.removeAt(row);
    endRemoveRows();
}

void ListViewModel::clearRows() {
    beginResetModel();
    rows.clear();
    dropHighlight = -1;
    endResetModel();
}

void ListViewModel::setText(int row, int column, const QString& text) {
    if (row < 0 || row >= rows.size() || column < 0) {
        return;
    }
    QStringList& texts = rows[row].texts;
    while (texts.size() <= column) {
        texts.append(QString());
    }
    texts[column] = text;
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

void ListViewModel::refreshAll() {
    if (!rows.isEmpty() && !columns.isEmpty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
}

void ListViewModel::swapRows(int first, int second) {
    if (first < 0 || second < 0 || first >= rows.size() || second >= rows.size() ||
        first == second) {
        return;
    }
    ListRow& a = rows[first];
    ListRow& b = rows[second];
    std::swap(a.texts, b.texts);
    std::swap(a.smallImage, b.smallImage);
    std::swap(a.largeImage, b.largeImage);
    std::swap(a.icon, b.icon);
    const int lastColumn = std::max(columnCount() - 1, 0);
    for (const int row : {first, second}) {
        emit dataChanged(index(row, 0), index(row, lastColumn));
    }
}

void ListViewModel::sortRows(int column, Qt::SortOrder order) {
    const int count = rowCount();
    if (column < 0 || count < 2) {
        return;
    }
    // By the user's language, ignoring letter case, as the desktop's file lists sort. The keys
    // are folded first, because a collator may heed case whatever it is told: Qt built without
    // ICU collates through the C library, which compares codes under the C and POSIX locales.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QString> keys(static_cast<size_t>(count));
    for (int row = 0; row < count; ++row) {
        const QStringList& texts = rows.at(row).texts;
        keys[static_cast<size_t>(row)] =
            column < texts.size() ? texts.at(column).toCaseFolded() : QString();
    }
    std::vector<int> byKey(static_cast<size_t>(count));
    std::iota(byKey.begin(), byKey.end(), 0);
    std::stable_sort(byKey.begin(), byKey.end(), [&](int left, int right) {
        const QString& a = keys[static_cast<size_t>(left)];
        const QString& b = keys[static_cast<size_t>(right)];
        const int compared = collator.compare(a, b);
        return order == Qt::AscendingOrder ? compared < 0 : compared > 0;
    });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newPosition(static_cast<size_t>(count));
    QList<ListRow> sorted;
    sorted.reserve(count);
    for (int position = 0; position < count; ++position) {
        const int oldRow = byKey[static_cast<size_t>(position)];
        newPosition[static_cast<size_t>(oldRow)] = position;
        sorted.append(std::move(rows[oldRow]));
    }
    rows = std::move(sorted);
    dropHighlight = -1;
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        after.append(old.isValid() && old.row() < count
                         ? index(newPosition[static_cast<size_t>(old.row())], old.column())
                         : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// ---- ListView ----

ListView::ListView(QWidget* parent)
    : QWidget(parent),
      model_(new ListViewModel(this)),
      selection_(new QItemSelectionModel(model_, this)),
      report_(new ReportView(this)),
      icons_(new IconView(this)),
      stack_(new QStackedLayout(this)) {
    stack_->setContentsMargins(0, 0, 0, 0);

    report_->setModel(model_);
    report_->setSelectionModel(selection_);
    report_->setRootIsDecorated(false);
    report_->setItemsExpandable(false);
    report_->setUniformRowHeights(true);
    report_->setAllColumnsShowFocus(true);
    report_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    report_->setSelectionBehavior(QAbstractItemView::SelectRows);
    report_->setItemDelegate(new RowDelegate(this, true, report_));
    report_->header()->setStretchLastSection(false);
    report_->header()->viewport()->installEventFilter(this);
    report_->viewport()->installEventFilter(this);
    report_->header()->setSectionsMovable(false);
    report_->header()->setSectionsClickable(true);

    icons_->setModel(model_);
    icons_->setSelectionModel(selection_);
    icons_->setModelColumn(0);
    icons_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    icons_->setSelectionBehavior(QAbstractItemView::SelectRows);
    icons_->setMovement(QListView::Static);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setUniformItemSizes(true);
    icons_->setLayoutMode(QListView::Batched);
    icons_->setBatchSize(200);
    icons_->setWordWrap(true);
    icons_->setItemDelegate(new RowDelegate(this, false, icons_));

    stack_->addWidget(report_);
    stack_->addWidget(icons_);
    stack_->setCurrentWidget(report_);
    setFocusProxy(report_);

    connect(selection_, &QItemSelectionModel::selectionChanged, this, &ListView::selectionChanged);
    connect(selection_, &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                emit currentRowChanged(current.isValid() ? current.row() : -1);
            });
    connect(report_, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { emit rowActivated(index.row()); });
    connect(icons_, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { emit rowActivated(index.row()); });
    connect(model_, &ListViewModel::labelEdited, this, &ListView::labelEdited);
    connect(report_->header(), &QHeaderView::sectionClicked, this, &ListView::columnClicked);
    connect(report_->header(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) {
                if (!headerPressed_ || column < 0 || column >= columnCount()) {
                    return;
                }
                // Sized by hand: that width is kept (and saved), and the columns stay as
                // the user leaves them.
                userSizedColumns_ = true;
                model_->columns[column].width = width;
            });
    applyEditTriggers();
}

ListView::~ListView() {
    // An editor still open commits its text as its view goes; the list is no longer there to
    // take it.
    disconnect(model_, nullptr, this, nullptr);
}

bool ListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == report_->header()->viewport()) {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonDblClick) {
            headerPressed_ = true;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            headerPressed_ = false;
        }
    } else if (watched == report_->viewport() && event->type() == QEvent::Resize) {
        fitLastColumn();
    }
    return QWidget::eventFilter(watched, event);
}

void ListView::fitLastColumn() {
    if (userSizedColumns_) {
        return;
    }
    int last = -1;
    int others = 0;
    for (int column = 0; column < columnCount(); ++column) {
        if (report_->isColumnHidden(column)) {
            continue;
        }
        if (last >= 0) {
            // A column that was last before keeps its own width again.
            others += model_->columns.at(last).width;
            if (report_->columnWidth(last) != model_->columns.at(last).width) {
                report_->setColumnWidth(last, model_->columns.at(last).width);
            }
        }
        last = column;
    }
    if (last < 0) {
        return;
    }
    // The last column takes the room the others leave, never less than its own width.
    const int width =
        std::max(model_->columns.at(last).width, report_->viewport()->width() - others);
    if (report_->columnWidth(last) != width) {
        report_->setColumnWidth(last, width);
    }
}

int ListView::addColumn(const QString& text, const QString& key, int width) {
    model_->appendColumn({text, key, std::max(width, 0)});
    const int column = columnCount() - 1;
    setColumnWidth(column, width);
    return column;
}

bool ListView::removeColumn(const QString& key) {
    const int column = columnIndex(key);
    if (column < 0) {
        return false;
    }
    model_->removeColumnAt(column);
    fitLastColumn();
    return true;
}

int ListView::columnCount() const {
    return static_cast<int>(model_->columns.size());
}

QString ListView::columnText(int column) const {
    return column >= 0 && column < columnCount() ? model_->columns.at(column).text : QString();
}

QString ListView::columnKey(int column) const {
    return column >= 0 && column < columnCount() ? model_->columns.at(column).key : QString();
}

int ListView::columnIndex(const QString& key) const {
    for (int column = 0; column < columnCount(); ++column) {
        if (model_->columns.at(column).key == key) {
            return column;
        }
    }
    return -1;
}

int ListView::columnWidth(int column) const {
    return column >= 0 && column < columnCount() ? model_->columns.at(column).width : 0;
}

void ListView::setColumnWidth(int column, int width) {
    if (column < 0 || column >= columnCount()) {
        return;
    }
    width = std::max(width, 0);
    model_->columns[column].width = width;
    report_->setColumnHidden(column, width == 0);
    if (width > 0) {
        report_->setColumnWidth(column, width);
    }
    fitLastColumn();
}

bool ListView::isColumnHidden(int column) const {
    return report_->isColumnHidden(column);
}

int ListView::rowCount() const {
    return static_cast<int>(model_->rows.size());
}

int ListView::addRow(const ListRow& row) {
    model_->appendRows({row});
    return rowCount() - 1;
}

int ListView::addRow(const QStringList& texts) {
    ListRow row;
    row.texts = texts;
    return addRow(row);
}

void ListView::addRows(const QList<ListRow>& rows) {
    model_->appendRows(rows);
}

void ListView::addRows(QList<ListRow>&& rows) {
    model_->appendRows(std::move(rows));
}

void ListView::removeRow(int row) {
    model_->removeRowAt(row);
}

void ListView::clear() {
    model_->clearRows();
    sortOrder_ = Qt::AscendingOrder;
}

QString ListView::text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0) {
        return {};
    }
    const QStringList& texts = model_->rows.at(row).texts;
    return column < texts.size() ? texts.at(column) : QString();
}

void ListView::setText(int row, int column, const QString& text) {
    model_->setText(row, column, text);
}

const ListRow& ListView::row(int row) const {
    return model_->rows.at(row);
}

void ListView::swapRows(int first, int second) {
    model_->swapRows(first, second);
}

QVariant ListView::rowTag(int row) const {
    return row >= 0 && row < rowCount() ? model_->rows.at(row).tag : QVariant();
}

void ListView::setRowTag(int row, const QVariant& tag) {
    if (row >= 0 && row < rowCount()) {
        model_->rows[row].tag = tag;
    }
}

void ListView::setRowImages(int row, int smallImage, int largeImage) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    model_->rows[row].smallImage = smallImage;
    model_->rows[row].largeImage = largeImage;
    const QModelIndex changed = model_->index(row, 0);
    emit model_->dataChanged(changed, changed, {Qt::DecorationRole});
}

void ListView::setRowIcon(int row, const QIcon& icon) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    model_->rows[row].icon = icon;
    const QModelIndex changed = model_->index(row, 0);
    emit model_->dataChanged(changed, changed, {Qt::DecorationRole});
}

void ListView::setSmallImages(const QList<QIcon>& images) {
    model_->smallImages = images;
    model_->refreshAll();
}

void ListView::setLargeImages(const QList<QIcon>& images) {
    model_->largeImages = images;
    model_->refreshAll();
}

void ListView::setLargeIconSize(const QSize& size) {
    largeIconSize_ = size;
    if (view_ == View::LargeIcon) {
        icons_->setIconSize(size);
    }
}

QList<int> ListView::selectedRows() const {
    QList<int> result;
    for (const QItemSelectionRange& range : selection_->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            result.append(row);
        }
    }
    std::sort(result.begin(), result.end());
    result.erase(std::unique(result.begin(), result.end()), result.end());
    return result;
}

bool ListView::isRowSelected(int row) const {
    return row >= 0 && row < rowCount() && selection_->isSelected(model_->index(row, 0));
}

void ListView::selectRow(int row, bool selected) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    selection_->select(model_->index(row, 0),
                       (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                           QItemSelectionModel::Rows);
}

void ListView::clearSelection() {
    selection_->clearSelection();
}

void ListView::selectAll() {
    if (rowCount() == 0) {
        return;
    }
    // One change for the whole range, not one per row.
    selection_->select(QItemSelection(model_->index(0, 0), model_->index(rowCount() - 1, 0)),
                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

int ListView::currentRow() const {
    const QModelIndex current = selection_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

int ListView::actingRow() const {
    const int current = currentRow();
    if (current >= 0 && current < rowCount()) {
        return current;
    }
    const QList<int> selected = selectedRows();
    return selected.isEmpty() ? -1 : selected.first();
}

void ListView::setCurrentRow(int row) {
    if (row < 0 || row >= rowCount()) {
        selection_->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    selection_->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::NoUpdate);
}

int ListView::rowAt(const QPoint& position, const QWidget* from) const {
    const auto* view = static_cast<const QAbstractItemView*>(activeView());
    const QPoint global = (from ? from : static_cast<const QWidget*>(this))->mapToGlobal(position);
    const QModelIndex index = view->indexAt(view->viewport()->mapFromGlobal(global));
    return index.isValid() ? index.row() : -1;
}

void ListView::sortByColumn(int column) {
    model_->sortRows(column, sortOrder_);
}

int ListView::dropHighlightRow() const {
    return model_->dropHighlight;
}

void ListView::setDropHighlightRow(int row) {
    if (row < 0 || row >= rowCount()) {
        row = -1;
    }
    if (row == model_->dropHighlight) {
        return;
    }
    model_->dropHighlight = row;
    activeView()->update();
    static_cast<QAbstractItemView*>(activeView())->viewport()->update();
}

QString ListView::rowDragMimeType() {
    return QStringLiteral("application/x-quenza-list-rows");
}

QMimeData* ListView::createRowDragData() const {
    auto* data = new QMimeData;
    data->setData(rowDragMimeType(), dragToken(this));
    return data;
}

bool ListView::isOwnRowDrag(const QMimeData* data) const {
    return data && data->hasFormat(rowDragMimeType()) &&
           data->data(rowDragMimeType()) == dragToken(this);
}

void ListView::startRowDrag(int row) {
    auto* drag = new QDrag(this);
    drag->setMimeData(createRowDragData());
    const QVariant picture = model_->data(model_->index(row, 0), Qt::DecorationRole);
    if (picture.canConvert<QIcon>()) {
        const QPixmap pixmap = picture.value<QIcon>().pixmap(QSize(32, 32));
        if (!pixmap.isNull()) {
            drag->setPixmap(pixmap);
        }
    }
    drag->exec(Qt::MoveAction);
}

void ListView::setView(View view) {
    view_ = view;
    model_->largeIconView = view == View::LargeIcon;
    switch (view) {
        case View::Report:
            stack_->setCurrentWidget(report_);
            setFocusProxy(report_);
            break;
        case View::SmallIcon:
            icons_->setViewMode(QListView::ListMode);
            icons_->setFlow(QListView::LeftToRight);
            icons_->setWrapping(true);
            icons_->setIconSize(QSize(16, 16));
            stack_->setCurrentWidget(icons_);
            setFocusProxy(icons_);
            break;
        case View::LargeIcon:
            icons_->setViewMode(QListView::IconMode);
            icons_->setMovement(QListView::Static);
            icons_->setIconSize(largeIconSize_);
            stack_->setCurrentWidget(icons_);
            setFocusProxy(icons_);
            break;
    }
    model_->refreshAll();
}

void ListView::setFullRowSelect(bool on) {
    fullRowSelect_ = on;
    report_->viewport()->update();
}

void ListView::setGridLines(bool on) {
    gridLines_ = on;
    report_->viewport()->update();
}

void ListView::setLabelEdit(LabelEdit mode) {
    labelEdit_ = mode;
    applyEditTriggers();
}

void ListView::setLabelEditor(std::function<bool(int row, QString& text)> editor) {
    model_->labelEditor = std::move(editor);
}

void ListView::setShownText(std::function<QString(const QString&)> shown) {
    model_->shownText = std::move(shown);
    model_->refreshAll();
}

void ListView::startLabelEdit(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    const QModelIndex index = model_->index(row, 0);
    auto* view = qobject_cast<QAbstractItemView*>(activeView());
    view->setCurrentIndex(index);
    view->edit(index);
}

bool ListView::isEditing() const {
    return view_ == View::Report ? static_cast<const ReportView*>(report_)->editing()
                                 : static_cast<const IconView*>(icons_)->editing();
}

QWidget* ListView::activeView() const {
    return view_ == View::Report ? static_cast<QWidget*>(report_) : icons_;
}

void ListView::applyEditTriggers() {
    const QAbstractItemView::EditTriggers triggers =
        labelEdit_ == LabelEdit::Automatic
            ? QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
            : QAbstractItemView::NoEditTriggers;
    report_->setEditTriggers(triggers);
    icons_->setEditTriggers(triggers);
}

}  // namespace platform
