// A list of rows with named columns that shows either as a report (one line per row, one
// column per text) or as icons, the way the program's file lists and the run window need it.
// Both views show the same model and share one selection, so switching the view keeps rows,
// order and selection. Holds no renaming logic.
#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <QIcon>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <functional>

class QItemSelectionModel;
class QListView;
class QMimeData;
class QStackedLayout;
class QTreeView;

namespace platform {

// One row: a text per column (missing texts read as empty), its pictures and a free tag.
struct ListRow {
    QStringList texts;
    int smallImage = -1;  // index into the small image list, -1 for none
    int largeImage = -1;  // index into the large image list, -1 for none
    QIcon icon;           // used when the row has no image index for the current view
    QVariant tag;
    // A placeholder ("Drop files here..."): drawn as its text only, never as selected, current
    // or under the mouse.
    bool placeholder = false;
};

struct ListColumn {
    QString text;
    QString key;
    int width = 0;  // pixels; 0 keeps the column hidden
};

class ListViewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ListViewModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    QList<ListColumn> columns;
    QList<ListRow> rows;
    QList<QIcon> smallImages;
    QList<QIcon> largeImages;
    bool largeIconView = false;
    // Asked before a label edit is taken over; may change the text or refuse it.
    std::function<bool(int row, QString& text)> labelEditor;
    // How a cell's text is drawn (the text itself stays as it is); none: as it is.
    std::function<QString(const QString&)> shownText;

    void appendColumn(const ListColumn& column);
    void removeColumnAt(int column);
    void appendRows(const QList<ListRow>& newRows);
    void appendRows(QList<ListRow>&& newRows);
    void removeRowAt(int row);
    void clearRows();
    void setText(int row, int column, const QString& text);
    void refreshAll();
    // Exchanges the texts and pictures of two rows; their tags stay where they are.
    void swapRows(int first, int second);
    // Reorders the rows by the texts of one column (stable: equal texts keep their order).
    // Selection and current row follow their rows.
    void sortRows(int column, Qt::SortOrder order);

    // The row drawn as the target of a drag, -1 for none.
    int dropHighlight = -1;

signals:
    void labelEdited(int row, const QString& text);
};

class ListView : public QWidget {
    Q_OBJECT
public:
    enum class View { Report, SmallIcon, LargeIcon };
    // Automatic: a click on the selected row's label starts editing; Manual: only
    // startLabelEdit does.
    enum class LabelEdit { Automatic, Manual };

    explicit ListView(QWidget* parent = nullptr);
    ~ListView() override;

    // Columns. Widths are pixels; a width of 0 hides the column (it still holds texts).
    int addColumn(const QString& text, const QString& key, int width);
    // Removes the column with `key` and its cells; false when no column has the key.
    bool removeColumn(const QString& key);
    int columnCount() const;
    QString columnText(int column) const;
    QString columnKey(int column) const;
    int columnIndex(const QString& key) const;  // -1 when no column has the key
    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);
    bool isColumnHidden(int column) const;

    // Rows.
    int rowCount() const;
    int addRow(const ListRow& row);
    int addRow(const QStringList& texts);
    // Appends all rows in one model change: fast for tens of thousands of rows.
    void addRows(const QList<ListRow>& rows);
    // Takes the rows over instead of copying each one (a list of thousands).
    void addRows(QList<ListRow>&& rows);
    void removeRow(int row);
    // Removes every row. A list filled afresh sorts ascending again, so the next header click
    // sorts descending.
    void clear();
    QString text(int row, int column = 0) const;
    void setText(int row, int column, const QString& text);
    const ListRow& row(int row) const;
    // Exchanges the texts and pictures of two rows (0-based); their tags and the selection stay.
    void swapRows(int first, int second);
    QVariant rowTag(int row) const;
    void setRowTag(int row, const QVariant& tag);
    void setRowImages(int row, int smallImage, int largeImage);
    void setRowIcon(int row, const QIcon& icon);
    void setSmallImages(const QList<QIcon>& images);
    void setLargeImages(const QList<QIcon>& images);
    void setLargeIconSize(const QSize& size);

    // Selection: rows in ascending order.
    QList<int> selectedRows() const;
    bool isRowSelected(int row) const;
    void selectRow(int row, bool selected = true);
    void clearSelection();
    void selectAll();
    int currentRow() const;  // -1 when there is none
    // The row a command acts on: the current row, else the first selected one; -1 for none.
    int actingRow() const;
    void setCurrentRow(int row);
    // The row at a point given in the coordinates of the list itself, or of any widget inside
    // it when `from` is given; -1 on empty space.
    int rowAt(const QPoint& position, const QWidget* from = nullptr) const;

    // Sorting. The direction belongs to the list, not to a column; sortByColumn applies it
    // once: rows added later are appended, not sorted in.
    Qt::SortOrder sortOrder() const { return sortOrder_; }
    void setSortOrder(Qt::SortOrder order) { sortOrder_ = order; }
    void sortByColumn(int column);

    // The drop highlight: the row drawn as the target while rows are dragged (-1 for none).
    int dropHighlightRow() const;
    void setDropHighlightRow(int row);

    // Dragging rows inside the list. The drag's data names this list, so that a drop can tell
    // its own rows from files dragged in from elsewhere.
    static QString rowDragMimeType();
    QMimeData* createRowDragData() const;
    bool isOwnRowDrag(const QMimeData* data) const;
    // Runs a drag of the row with this list as its source; returns when it has been dropped
    // or cancelled.
    void startRowDrag(int row);
    // The widget that drops on the list arrive at, whichever view shows the rows: the list
    // itself (its views leave drops to it). Drops are taken once setAcceptDrops(true).
    QWidget* viewport() { return this; }

    // Looks.
    View view() const { return view_; }
    void setView(View view);
    bool fullRowSelect() const { return fullRowSelect_; }
    void setFullRowSelect(bool on);
    bool gridLines() const { return gridLines_; }
    void setGridLines(bool on);
    LabelEdit labelEdit() const { return labelEdit_; }
    void setLabelEdit(LabelEdit mode);
    void setLabelEditor(std::function<bool(int row, QString& text)> editor);
    // Draws every cell's text through `shown` (a name with line breaks on one line, say).
    void setShownText(std::function<QString(const QString&)> shown);
    // Starts editing the label (first column) of the row in the current view.
    void startLabelEdit(int row);
    // An editor is open on a label.
    bool isEditing() const;

    ListViewModel* model() const { return model_; }
    QItemSelectionModel* selectionModel() const { return selection_; }
    QTreeView* reportView() const { return report_; }
    QListView* iconView() const { return icons_; }
    // The view widget that is shown now.
    QWidget* activeView() const;

signals:
    void selectionChanged();
    void currentRowChanged(int row);
    void rowActivated(int row);
    void labelEdited(int row, const QString& text);
    // An editor has just opened on the label of `row`, with its whole text selected.
    void labelEditStarted(int row, QWidget* editor);
    // A column header was clicked (report view).
    void columnClicked(int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyEditTriggers();
    void fitLastColumn();

    ListViewModel* model_;
    QItemSelectionModel* selection_;
    QTreeView* report_;
    QListView* icons_;
    QStackedLayout* stack_;
    View view_ = View::Report;
    bool fullRowSelect_ = false;
    bool gridLines_ = false;
    LabelEdit labelEdit_ = LabelEdit::Automatic;
    QSize largeIconSize_{32, 32};
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    // The header is under the user's mouse: a resize now is the user sizing a column.
    bool headerPressed_ = false;
    bool userSizedColumns_ = false;
};

}  // namespace platform
