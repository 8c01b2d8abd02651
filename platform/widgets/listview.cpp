#include "platform/widgets/listview.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QPainter>
#include <QStackedLayout>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>

namespace platform {

namespace {

// Draws what the report view needs beyond Qt's own rows: grid lines, and a highlight that stays
// on the first column unless full-row selection is on.
class ReportDelegate : public QStyledItemDelegate {
public:
    ReportDelegate(const ListView* owner, QObject* parent)
        : QStyledItemDelegate(parent), owner_(owner) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        if (!owner_->fullRowSelect() && index.column() > 0) {
            opt.state &= ~QStyle::State_Selected;
        }
        QStyledItemDelegate::paint(painter, opt, index);
        if (owner_->gridLines()) {
            painter->save();
            painter->setPen(option.palette.color(QPalette::Midlight));
            painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
            painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
            painter->restore();
        }
    }

private:
    const ListView* owner_;
};

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
        case Qt::EditRole:
            return index.column() < row.texts.size() ? row.texts.at(index.column()) : QString();
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

void ListViewModel::appendRows(const QList<ListRow>& newRows) {
    if (newRows.isEmpty()) {
        return;
    }
    const int first = static_cast<int>(rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(newRows.size()) - 1);
    rows.append(newRows);
    endInsertRows();
}

void ListViewModel::removeRowAt(int row) {
    if (row < 0 || row >= rows.size()) {
        return;
    }
    beginRemoveRows(QModelIndex(), row, row);
    rows.removeAt(row);
    endRemoveRows();
}

void ListViewModel::clearRows() {
    beginResetModel();
    rows.clear();
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

// ---- ListView ----

ListView::ListView(QWidget* parent)
    : QWidget(parent),
      model_(new ListViewModel(this)),
      selection_(new QItemSelectionModel(model_, this)),
      report_(new QTreeView(this)),
      icons_(new QListView(this)),
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
    report_->setItemDelegate(new ReportDelegate(this, report_));
    report_->header()->setStretchLastSection(false);
    report_->header()->setSectionsMovable(false);

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
    applyEditTriggers();
}

int ListView::addColumn(const QString& text, const QString& key, int width) {
    model_->appendColumn({text, key, std::max(width, 0)});
    const int column = columnCount() - 1;
    setColumnWidth(column, width);
    return column;
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

void ListView::removeRow(int row) {
    model_->removeRowAt(row);
}

void ListView::clear() {
    model_->clearRows();
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

int ListView::currentRow() const {
    const QModelIndex current = selection_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ListView::setCurrentRow(int row) {
    if (row < 0 || row >= rowCount()) {
        selection_->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    selection_->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::NoUpdate);
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

void ListView::startLabelEdit(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    const QModelIndex index = model_->index(row, 0);
    auto* view = qobject_cast<QAbstractItemView*>(activeView());
    view->setCurrentIndex(index);
    view->edit(index);
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
