// The folder dialog's tree: the folders from the root down, each read through the platform
// layer the first time it is opened, so a name that is not UTF-8 is shown, and chosen, as its
// own bytes. One column; one row at the top, "/".
#pragma once

#include <QAbstractItemModel>
#include <QString>

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace mainwindow {

class FolderTree : public QAbstractItemModel {
    Q_OBJECT
public:
    // Dot folders stay out of the tree, as in the desktop's own file dialogs (a home folder
    // holds dozens of them, which would bury the folders people work in). The folders on the
    // way to `startFolder` are always shown, dot folders among them, and so are folders on it
    // that may be entered but not listed: the start folder can always be shown and chosen
    // again. Pass "" for no start folder.
    explicit FolderTree(const QString& startFolder, QObject* parent = nullptr);
    ~FolderTree() override;

    // The row of an absolute folder path ("." and ".." taken as written, repeated and trailing
    // "/" ignored), reading every folder on the way that was not read yet. Invalid when a
    // level is not in the tree.
    QModelIndex index(const QString& path);
    // The folder's path as the program names it (the platform's reading of its bytes), without
    // a trailing "/"; the top row is "/". Empty for an invalid index.
    QString filePath(const QModelIndex& index) const;
    // The folder's own name; "/" for the top row.
    QString fileName(const QModelIndex& index) const;

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // A folder's subfolders are read when it is first opened, never before and never again: a
    // link that leads back up the tree adds one level each time the user opens it, no more.
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    struct Node;

    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node) const;
    void read(Node* node);

    std::unique_ptr<Node> root_;  // invisible; its one child is "/"
    // The native paths of the start folder and the folders above it.
    std::unordered_set<std::string> way_;
};

}  // namespace mainwindow
