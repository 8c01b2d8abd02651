// The tree view of the Directory source: one keyed node per listed entry below its parent's
// node, and the "[..]" node that stands for the parent folder. Also the step that follows every
// folder read and shows its result in both views (updateTreeview).
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "filelists/imagelist.h"
#include "filelists/listbuilder.h"
#include "filelists/sysicons.h"
#include "filelists/thumbnails.h"

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace filelists {

// Node keys: "ROOT" for the parent-folder node, otherwise "NODE" followed by the entry's path
// relative to the working folder ("NODEsub/inner/c.txt"). The key is the item's data in
// column 0 under kNodeKeyRole; the picture index (1-based) under kNodeImageRole.
inline constexpr char kRootNodeKey[] = "ROOT";
inline constexpr char kNodeKeyPrefix[] = "NODE";
inline constexpr char kRootNodeText[] = "[..]";
inline constexpr int kNodeKeyRole = Qt::UserRole + 1;
inline constexpr int kNodeImageRole = Qt::UserRole + 2;

QString nodeKey(const QTreeWidgetItem* item);
bool isRootNode(const QTreeWidgetItem* item);
// The node texts from the top level down, joined by "/": the entry's path relative to the
// working folder, or "[..]" for the parent-folder node. Empty for null.
QString nodeFullPath(const QTreeWidgetItem* item);

inline constexpr char kBuildingTreeStructure[] = "Building Tree Structure...";
inline constexpr char kBuildingTreeview[] = "Building Treeview...";
inline constexpr char kErrorBuildingTreeview[] = "Error Building Treeview!";

struct TreeBuildResult {
    BuildOutcome outcome = BuildOutcome::Complete;
    int nodes = 0;     // nodes in the tree afterwards, "[..]" included
    QString lastPath;  // the entry that could not be placed
    QString reason;
};

// The tree part of updateTreeview. Replaces the nodes of `tree`: with a working folder other
// than "/" and switches.listsDirs(), first the node "[..]" (key "ROOT", the faded folder
// kDefaultGhostDir); then, when
// switches.subdirs or switches.listsDirs(), one node per entry of `dirs`, then with
// switches.files one per entry of `files`, each as the last child of the node of its parent
// folder (looked up by key in a hash) or at the top level when it lies in the working folder.
// `pathText` is the path box text: the entries' relative paths are what follows it. Nodes stand
// in insertion order; the top level shows no lines or buttons until a child is added. A node's
// picture is the small index sysIcons gives (with `iconOptions`), shown from `images.small`.
//
// Status panel "main": "Building Tree Structure...", then "Building Treeview... N%" rewritten
// only when N changes. Escape (platform::EscapeWatch) cancels: the tree is emptied and
// "selected" reads "User Cancelled!". An entry outside the working folder, a missing parent node
// or a repeated key fails the build: the tree is emptied, an error line
// "Error 5 (Invalid procedure call or argument) updateTreeview: <path>" is logged and
// "selected" reads "Error Building Treeview!". The nodes are assembled off the widget and put in
// with one insertion.
TreeBuildResult buildTree(QTreeWidget& tree, const QStringList& dirs, const QStringList& files,
                          const QString& pathText, const ViewSwitches& switches,
                          SourceImages& images, const IconOptions& iconOptions,
                          const StatusText& status);

// Whether updateTreeview sorts the tree's top level by name: not with alwaysShowDirs, nor when
// subdirectories or directories are shown together with files.
bool sortsTopLevel(const ViewSwitches& switches);
// Sorts the top-level nodes by text (the list view's name order); children keep their order.
void sortTopLevel(QTreeWidget& tree);

// What updateTreeview asks of the main window. Unset hooks are skipped.
struct TreeviewHooks {
    // previewRunToken := -1: a running preview stops.
    std::function<void()> stopPreview;
    // Empties both Directory work lists (after a cancel or a failure). The lists handed to
    // updateTreeview are read again afterwards, so they must be these very lists.
    std::function<void()> clearWorkLists;
    // After a complete list build: listOrderChanged := false and the column-click sort order
    // back to ascending (so the next click sorts descending).
    std::function<void()> listBuilt;
    std::function<void()> optionsChanged;
    // updateSelectedCount with force 0; runs after the hourglass is gone.
    std::function<void()> updateSelectedCount;
};

// `list`, `images`, `dirs` and `files` are needed; without `tree` no tree is built or sorted.
struct TreeviewJob {
    platform::ListView* list = nullptr;  // lwDirectory
    QTreeWidget* tree = nullptr;         // TreeView
    // The main window: disabled while the views build (not while a run is in progress, whose
    // driver disabled it), and the one whose Escape presses cancel (EscapeWatch). May be null.
    QWidget* window = nullptr;
    const QStringList* dirs = nullptr;   // lstDirs(0)
    const QStringList* files = nullptr;  // lstFiles(0)
    QString pathText;                    // txtPath
    ViewSwitches switches;
    bool windowReady = false;
    bool operationRunning = false;
    SourceImages* images = nullptr;  // the Directory pair
    IconOptions iconOptions;         // iconOptions(settings, chkDirs ticked)
    StatusPanels status;             // panels "main" and "selected"
    TreeviewHooks hooks;
};

// updateTreeview: the closing step of every folder read. Does nothing for an empty path box;
// with both work lists empty it only writes "0 Files, 0 Directories" to "main"; before the
// window is ready nothing more. Otherwise, with the hourglass shown and the main window
// disabled (unless a run is in progress) for its duration: stops the preview, builds the tree
// (only with enableTreeview and without thumbnails), builds the list (updateListview) and,
// with the Thumbnails box ticked, runs generateThumbnails on it, writes
// "F Files, D Directories" (directories listed only through alwaysShowDirs are not counted),
// sorts the tree's top level when sortsTopLevel says so, then optionsChanged (unless a run is
// in progress) and updateSelectedCount. A cancelled or failed tree build empties the work lists
// and stops after optionsChanged; a cancelled or failed list build empties the work lists and
// the tree and goes on with the counts.
void updateTreeview(const TreeviewJob& job);

}  // namespace filelists
