// The folder dialog: a tree of the folders from the root down, opened with the start folder
// chosen, a status line with the path of the folder under the selection, OK and Cancel. The
// program installs it as the folder dialog service; tests drive FolderBrowser directly.
#pragma once

#include <QDialog>
#include <QString>

#include "platform/folderdialog.h"

class QLabel;
class QModelIndex;
class QPushButton;
class QTreeView;

namespace mainwindow {

class FolderTree;

class FolderDialog : public platform::FolderDialogService {
public:
    QString chooseFolder(QWidget* owner, const QString& title, const QString& startFolder) override;
};

// The dialog itself. Folders only, read through the platform layer as the user opens them
// (foldertree.h): every folder can be shown and chosen, whatever bytes its name holds. Dot
// folders stay out of the tree, except those on the way to the start folder, so that a working
// folder inside one can still be seen and chosen.
class FolderBrowser : public QDialog {
    Q_OBJECT
public:
    FolderBrowser(QWidget* owner, const QString& title, const QString& startFolder);

    QLabel* titleLabel() const { return title_; }
    QTreeView* tree() const { return tree_; }
    FolderTree* model() const { return model_; }
    QLabel* statusLine() const { return status_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    // The path the status line shows in full (the line itself may shorten it to fit).
    QString statusText() const { return statusText_; }
    // Once accepted: the chosen folder as the program names it, its exact bytes kept, without a
    // trailing "/" (the root stays "/"). Empty before that and after Cancel.
    QString chosenFolder() const { return chosen_; }

    void accept() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void selectStartFolder(const QString& startFolder);
    void selectFolder(const QModelIndex& index);
    void showStatus();
    QString selectedPath() const;

    QLabel* title_ = nullptr;
    QTreeView* tree_ = nullptr;
    FolderTree* model_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;

    QString statusText_;
    QString chosen_;
    bool shown_ = false;
};

}  // namespace mainwindow
