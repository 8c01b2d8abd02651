// The small dialog "frmBatchReplaceAdd" that adds a row to the batch replace list or edits one,
// and the rules every batch item keeps, wherever it is made (this dialog or the Replace tab's
// add button): which texts the list file can hold and how a Start or Count text becomes a number.
#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace mainwindow {

// Why an item was refused: replace.txt cannot hold it (settings::batchItemStorable), and the
// saver would leave it out, so it is refused where it would be made.
QString batchItemNotStorableText();
// A Start or Count text as the item's number: the number its repair leaves (empty or not a
// number counts 0), kept to 0..999, the range the list file holds.
qint16 batchItemNumber(const QString& text);

class BatchReplaceItemDialog : public QDialog {
    Q_OBJECT
public:
    // The cells of a row, in column order.
    enum Cell { Find, Replace, Case, Swap, Start, Count, CellCount };

    // `editMode` 0 adds a row (the inputs start empty, "0" and "0"); -1 edits the row whose
    // cells are `cells`.
    BatchReplaceItemDialog(int editMode, const QStringList& cells, QWidget* parent = nullptr);

    // The row the inputs give: "x" or empty for the two boxes, the number boxes repaired.
    QStringList cells() const;

    QLineEdit* txtFind() const { return txtFind_; }
    QLineEdit* txtReplace() const { return txtReplace_; }
    QCheckBox* chkCaseSensitive() const { return chkCaseSensitive_; }
    QCheckBox* chkReplaceMode() const { return chkReplaceMode_; }
    QLineEdit* txtReplaceStart() const { return txtReplaceStart_; }
    QLineEdit* txtReplaceCount() const { return txtReplaceCount_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void txtFindChange();
    void cmdOKClick();
    // The repair of a number box on leaving it: empty becomes "0".
    static void repair(QLineEdit* box);

    QLineEdit* txtFind_ = nullptr;
    QLineEdit* txtReplace_ = nullptr;
    QCheckBox* chkCaseSensitive_ = nullptr;
    QCheckBox* chkReplaceMode_ = nullptr;
    QLineEdit* txtReplaceStart_ = nullptr;
    QLineEdit* txtReplaceCount_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

}  // namespace mainwindow
