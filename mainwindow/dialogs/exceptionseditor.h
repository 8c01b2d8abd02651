// The Exceptions tab of the settings dialog: the words that case conversion spells exactly as
// listed. The editor works on the dialog's list box only; the dialog's "Ok" takes its items,
// "Cancel" drops them.
#pragma once

#include <QObject>
#include <QStringList>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace mainwindow {

class ExceptionsEditor : public QObject {
    Q_OBJECT
public:
    // Wires the three buttons and the list's double click (which edits).
    ExceptionsEditor(QListWidget* list, QPushButton* add, QPushButton* edit, QPushButton* remove,
                     QObject* parent = nullptr);

    // Fills the list from `exceptionsList` in order, leaving out empty entries.
    void load(const QStringList& exceptionsList);
    // The items in display order, each as it stands (an empty item too).
    QStringList items() const;

    void cmdExceptionsAddClick();
    void cmdExceptionsEditClick();
    void cmdExceptionsDelClick();

private:
    // The selected item (the uppermost, should several be), or null.
    QListWidgetItem* selectedItem() const;

    QListWidget* list_;
};

}  // namespace mainwindow
