#include "mainwindow/dialogs/foldertree.h"

#include <QIcon>
#include <QStringList>

#include <algorithm>
#include <optional>

#include "filelists/rowtext.h"
#include "filelists/sysicons.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"

namespace mainwindow {

namespace fs = platform::fs;

struct FolderTree::Node {
    std::string path;  // native, without a trailing "/" ("/" for the top row)
    QString name;
    Node* parent = nullptr;
    int row = 0;
    bool read = false;
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

const std::string kSlash = "/";

std::string childPath(const std::string& folder, const std::string& name) {
    return folder == kSlash ? kSlash + name : folder + '/' + name;
}

// The levels of an absolute native path below "/", with "." dropped and ".." taking back the
// level before it, as the path reads (not as links would lead). Nothing for a relative path.
std::optional<std::vector<std::string>> levelsOf(const std::string& path) {
    if (path.empty() || path.front() != '/') {
        return std::nullopt;
    }
    std::vector<std::string> levels;
    std::size_t from = 1;
    while (from <= path.size()) {
        std::size_t to = path.find('/', from);
        if (to == std::string::npos) {
            to = path.size();
        }
        const std::string level = path.substr(from, to - from);
        if (level == "..") {
            if (!levels.empty()) {
                levels.pop_back();
            }
        } else if (!level.empty() && level != ".") {
            levels.push_back(level);
        }
        from = to + 1;
    }
    return levels;
}

// A folder, or a link that leads to one. readFolder never follows links; only a link (or a
// pipe, socket or device, which are no folders) needs the second look.
bool isFolder(const fs::Entry& entry, const std::string& path) {
    return entry.kind == fs::Kind::Directory ||
           (entry.kind == fs::Kind::Other && fs::isDirectory(path));
}

}  // namespace

FolderTree::FolderTree(const QString& startFolder, QObject* parent)
    : QAbstractItemModel(parent), root_(std::make_unique<Node>()) {
    root_->read = true;
    auto top = std::make_unique<Node>();
    top->path = kSlash;
    top->name = QStringLiteral("/");
    top->parent = root_.get();
    root_->children.push_back(std::move(top));

    if (const auto levels = levelsOf(platform::nativePath(startFolder))) {
        std::string path;
        for (const std::string& level : *levels) {
            path += '/' + level;
            way_.insert(path);
        }
    }
}

FolderTree::~FolderTree() = default;

FolderTree::Node* FolderTree::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

QModelIndex FolderTree::indexOf(const Node* node) const {
    if (node == root_.get()) {
        return QModelIndex();
    }
    return createIndex(node->row, 0, const_cast<Node*>(node));
}

QModelIndex FolderTree::index(const QString& path) {
    const auto levels = levelsOf(platform::nativePath(path));
    if (!levels) {
        return QModelIndex();
    }
    Node* node = root_->children.front().get();
    for (const std::string& level : *levels) {
        if (!node->read) {
            read(node);
        }
        Node* next = nullptr;
        for (const auto& child : node->children) {
            if (fs::baseName(child->path) == level) {
                next = child.get();
                break;
            }
        }
        if (!next) {
            return QModelIndex();
        }
        node = next;
    }
    return indexOf(node);
}

QString FolderTree::filePath(const QModelIndex& index) const {
    return index.isValid() ? platform::fromNativePath(nodeOf(index)->path) : QString();
}

QString FolderTree::fileName(const QModelIndex& index) const {
    return index.isValid() ? nodeOf(index)->name : QString();
}

QModelIndex FolderTree::index(int row, int column, const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    if (column != 0 || row < 0 || static_cast<std::size_t>(row) >= node->children.size()) {
        return QModelIndex();
    }
    return createIndex(row, 0, node->children[static_cast<std::size_t>(row)].get());
}

QModelIndex FolderTree::parent(const QModelIndex& child) const {
    return child.isValid() ? indexOf(nodeOf(child)->parent) : QModelIndex();
}

int FolderTree::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) {
        return 0;
    }
    return static_cast<int>(nodeOf(parent)->children.size());
}

int FolderTree::columnCount(const QModelIndex& /*parent*/) const {
    return 1;
}

bool FolderTree::hasChildren(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) {
        return false;
    }
    // A folder not read yet offers to open; reading it tells.
    const Node* node = nodeOf(parent);
    return !node->read || !node->children.empty();
}

QVariant FolderTree::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return QVariant();
    }
    switch (role) {
        case Qt::DisplayRole:
            return nodeOf(index)->name;
        case Qt::DecorationRole: {
            // Every folder has the same picture: the one of the program's lists.
            static const QIcon folder(filelists::smallIconFor(QStringLiteral("/"), true));
            return folder;
        }
        default:
            return QVariant();
    }
}

bool FolderTree::canFetchMore(const QModelIndex& parent) const {
    return !nodeOf(parent)->read;
}

void FolderTree::fetchMore(const QModelIndex& parent) {
    Node* node = nodeOf(parent);
    if (!node->read) {
        read(node);
    }
}

void FolderTree::read(Node* node) {
    node->read = true;
    std::vector<std::string> paths;
    // A folder that cannot be read simply has no subfolders: the user opened it and sees that.
    if (const auto entries = fs::readFolder(node->path)) {
        for (const fs::Entry& entry : entries.value()) {
            std::string path = childPath(node->path, entry.name);
            if (entry.name.front() == '.' && !way_.contains(path)) {
                continue;
            }
            if (isFolder(entry, path)) {
                paths.push_back(std::move(path));
            }
        }
    }
    // The way to the start folder also passes folders that can be entered but not listed.
    for (const std::string& path : way_) {
        if (childPath(node->path, std::string(fs::baseName(path))) == path &&
            std::find(paths.begin(), paths.end(), path) == paths.end() && fs::isDirectory(path)) {
            paths.push_back(path);
        }
    }

    const QModelIndex parent = indexOf(node);
    if (paths.empty()) {
        // The view drew the folder as one that may hold more; now it knows better.
        emit layoutAboutToBeChanged({QPersistentModelIndex(parent)});
        emit layoutChanged({QPersistentModelIndex(parent)});
        return;
    }
    QStringList names;
    names.reserve(static_cast<qsizetype>(paths.size()));
    for (const std::string& path : paths) {
        names.append(platform::fromNativePath(std::string(fs::baseName(path))));
    }
    const QList<qsizetype> order = filelists::nameOrder(names);

    beginInsertRows(parent, 0, static_cast<int>(paths.size()) - 1);
    node->children.reserve(paths.size());
    for (const qsizetype position : order) {
        auto child = std::make_unique<Node>();
        child->path = std::move(paths[static_cast<std::size_t>(position)]);
        child->name = names.at(position);
        child->parent = node;
        child->row = static_cast<int>(node->children.size());
        node->children.push_back(std::move(child));
    }
    endInsertRows();
}

}  // namespace mainwindow
