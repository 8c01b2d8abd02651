// The open-file dialog of Add Files: the folder tree of the folder dialog on the left, the
// files of the chosen folder on the right, several of them chosen at once. Both read through
// the platform layer, so a name that is not UTF-8 is listed and given back as its own bytes
// (Qt's file dialog leaves such names out). The program installs it as the open-files service;
// tests drive FilesBrowser directly.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include "platform/widgets/filedialog.h"

class QComboBox;
class QLabel;
class QListWidget;
class QModelIndex;
class QPushButton;
class QTreeView;

namespace mainwindow {

class FolderTree;

class FilesDialog : public platform::OpenFilesService {
public:
    // Cancelled at once where nobody could answer it.
    QStringList chooseFiles(QWidget* owner, const QString& title,
                            const QString& startFolder) override;
};

class FilesBrowser : public QDialog {
    Q_OBJECT
public:
    // Opens in `startFolder`, or the nearest folder above it that is there.
    FilesBrowser(QWidget* owner, const QString& title, const QString& startFolder);

    QTreeView* folders() const { return folders_; }
    FolderTree* model() const { return model_; }
    QListWidget* files() const { return files_; }
    QComboBox* fileTypes() const { return types_; }
    QPushButton* openButton() const { return open_; }
    QPushButton* cancelButton() const { return cancel_; }

    // The folder whose files are listed, as the program names it; empty when none is.
    QString folder() const { return folder_; }
    // Lists `path`'s files, selecting it in the tree; false when it is not in the tree.
    bool showFolder(const QString& path);
    // Once accepted: the chosen files' full paths, exact bytes kept, in the list's order.
    QStringList chosenFiles() const { return chosen_; }

    void accept() override;

private:
    void listFiles();

    QTreeView* folders_ = nullptr;
    FolderTree* model_ = nullptr;
    QListWidget* files_ = nullptr;
    QComboBox* types_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* cancel_ = nullptr;

    QString folder_;
    QStringList chosen_;
};

}  // namespace mainwindow
