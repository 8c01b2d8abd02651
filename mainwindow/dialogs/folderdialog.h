// The folder dialog: a tree of the folders from the root down, opened with the start folder
// chosen, a status line with the path of the folder under the selection, OK and Cancel. The
// program installs it as the folder dialog service; tests drive FolderBrowser directly.
#pragma once

#include <QDialog>
#include <QString>

#include "platform/folderdialog.h"

class QFileSystemModel;
class QLabel;
class QModelIndex;
class QPushButton;
class QTreeView;

namespace mainwindow {

class FolderDialog : public platform::FolderDialogService {
public:
    QString chooseFolder(QWidget* owner, const QString& title, const QString& startFolder) override;
};

// The dialog itself. Folders only; dot folders stay out of the tree as in the desktop's own
// file dialogs, except those on the way to the start folder, so that a working folder inside
// one can still be seen and chosen. The tree is Qt's file system model, read on a thread of its
// own: folders keep arriving after the dialog has opened.
class FolderBrowser : public QDialog {
    Q_OBJECT
public:
    FolderBrowser(QWidget* owner, const QString& title, const QString& startFolder);

    QLabel* titleLabel() const { return title_; }
    QTreeView* tree() const { return tree_; }
    QFileSystemModel* model() const { return model_; }
    QLabel* statusLine() const { return status_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    // The path the status line shows in full (the line itself may shorten it to fit).
    QString statusText() const { return statusText_; }
    // Once accepted: the chosen folder as the program names it, its exact bytes kept, without a
    // trailing "/" (the root stays "/"). Empty before that, after Cancel, and when the folder
    // cannot be told from another that Qt reads alike.
    QString chosenFolder() const { return chosen_; }

    void accept() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void selectStartFolder(const QString& startFolder);
    void selectFolder(const QModelIndex& index);
    void selectionMoved();
    void showStatus();
    QString selectedQtPath() const;

    QLabel* title_ = nullptr;
    QTreeView* tree_ = nullptr;
    QFileSystemModel* model_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;

    QString statusText_;
    QString chosen_;
    // The view follows the start folder while the folders around it are still arriving and
    // moving it, until the user moves the selection.
    bool followSelection_ = false;
    bool selectingByProgram_ = false;
};

}  // namespace mainwindow
