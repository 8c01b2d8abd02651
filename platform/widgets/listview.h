// A list of rows with named columns that shows either as a report (one line per row, one
// column per text) or as icons, the way the program's file lists and the run window need it.
// Both views show the same model and share one selection, so switching the view keeps rows,
// order and selection. Holds no renaming logic.
#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <QIcon>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <functional>

class QItemSelectionModel;
class QListView;
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

    void appendColumn(const ListColumn& column);
    void appendRows(const QList<ListRow>& newRows);
    void removeRowAt(int row);
    void clearRows();
    void setText(int row, int column, const QString& text);
    void refreshAll();

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

    // Columns. Widths are pixels; a width of 0 hides the column (it still holds texts).
    int addColumn(const QString& text, const QString& key, int width);
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
    void removeRow(int row);
    void clear();
    QString text(int row, int column = 0) const;
    void setText(int row, int column, const QString& text);
    const ListRow& row(int row) const;
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
    int currentRow() const;  // -1 when there is none
    void setCurrentRow(int row);

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
    // Starts editing the label (first column) of the row in the current view.
    void startLabelEdit(int row);

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

private:
    void applyEditTriggers();

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
};

}  // namespace platform
