#include "filelists/treebuilder.h"

#include <QCoreApplication>
#include <QHash>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include "engine/log.h"
#include "filelists/rowtext.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"

namespace filelists {

namespace {

QTreeWidgetItem* newNode(const QString& key, const QString& text, int image,
                         const SourceImages& images) {
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setData(0, kNodeKeyRole, key);
    item->setData(0, kNodeImageRole, image);
    item->setIcon(0, images.small.icon(image));
    return item;
}

}  // namespace

QString nodeKey(const QTreeWidgetItem* item) {
    return item ? item->data(0, kNodeKeyRole).toString() : QString();
}

bool isRootNode(const QTreeWidgetItem* item) {
    return nodeKey(item) == QLatin1String(kRootNodeKey);
}

QString nodeFullPath(const QTreeWidgetItem* item) {
    QStringList texts;
    for (; item; item = item->parent()) {
        texts.prepend(item->text(0));
    }
    return texts.join(u'/');
}

namespace {

// The nodes put together off the widget, where adding a child costs no model notification;
// they go in with one insertion at the end.
class NodeAssembly {
public:
    NodeAssembly(const QString& pathText, qsizetype total, SourceImages& images,
                 const IconOptions& iconOptions)
        : pathText_(pathText),
          prefix_(QString::fromLatin1(kNodeKeyPrefix)),
          images_(images),
          iconOptions_(iconOptions) {
        byKey_.reserve(total);
    }
    ~NodeAssembly() { discard(); }
    NodeAssembly(const NodeAssembly&) = delete;
    NodeAssembly& operator=(const NodeAssembly&) = delete;

    void addRootNode() {
        topLevel_.append(newNode(QString::fromLatin1(kRootNodeKey),
                                 QString::fromLatin1(kRootNodeText), kDefaultGhostDir, images_));
        hasRootNode_ = true;
    }

    // Adds the entry as the last child of its folder's node, or at the top level when it lies
    // in the working folder; false with the reason when it has no place.
    bool place(const QString& path, bool isDirectory, QString& reason) {
        if (!path.startsWith(pathText_) || path.size() == pathText_.size()) {
            reason = QStringLiteral("the entry lies outside the working folder");
            return false;
        }
        const QString relative = path.mid(pathText_.size());
        const QString key = prefix_ + relative;
        // One look-up for the test and the place of the new node: a slot that was not there
        // comes empty, one that was stays as it is.
        const qsizetype before = byKey_.size();
        QTreeWidgetItem*& slot = byKey_[key];
        if (byKey_.size() == before) {
            reason = QStringLiteral("the tree holds this entry already");
            return false;
        }
        const qsizetype slash = relative.lastIndexOf(u'/');
        QTreeWidgetItem* parent = nullptr;
        if (slash >= 0) {
            parent = byKey_.value(prefix_ + relative.left(slash));
            if (!parent) {
                byKey_.remove(key);
                reason = QStringLiteral("the folder of the entry has no node");
                return false;
            }
        }
        int large = 0;
        const int small = sysIcons(path, isDirectory, images_, iconOptions_, large);
        QTreeWidgetItem* item = newNode(key, relative.mid(slash + 1), small, images_);
        slot = item;
        if (parent) {
            parent->addChild(item);
            hasChildren_ = true;
        } else {
            topLevel_.append(item);
        }
        return true;
    }

    int nodeCount() const { return static_cast<int>(byKey_.size()) + (hasRootNode_ ? 1 : 0); }

    // The top level shows no lines or buttons until a node has a child.
    void handOver(QTreeWidget& tree) {
        tree.addTopLevelItems(topLevel_);
        tree.setRootIsDecorated(hasChildren_);
        topLevel_.clear();
    }

    void discard() {
        qDeleteAll(topLevel_);  // children go with their parents
        topLevel_.clear();
    }

private:
    const QString& pathText_;
    const QString prefix_;
    SourceImages& images_;
    const IconOptions& iconOptions_;
    QList<QTreeWidgetItem*> topLevel_;
    QHash<QString, QTreeWidgetItem*> byKey_;
    bool hasChildren_ = false;
    bool hasRootNode_ = false;
};

// One pass over the entries of one kind; false when the build stops, failed or cancelled.
bool placeAll(NodeAssembly& nodes, const QStringList& paths, bool isDirectory,
              BuildProgress& progress, TreeBuildResult& result) {
    for (const QString& path : paths) {
        result.lastPath = path;
        if (!nodes.place(path, isDirectory, result.reason)) {
            result.outcome = BuildOutcome::Failed;
            return false;
        }
        if (!progress.step()) {
            result.outcome = BuildOutcome::Cancelled;
            return false;
        }
    }
    return true;
}

void showStatus(const StatusText& status, const QString& panel, const QString& text) {
    if (status) {
        status(panel, text);
    }
}

// A build that stopped leaves an empty tree and says why.
void reportStop(const TreeBuildResult& result, const StatusText& status) {
    if (result.outcome == BuildOutcome::Failed) {
        engine::logFailure(engine::kInvalidArgument,
                           QStringLiteral("updateTreeview: ") + result.lastPath);
        showStatus(status, kSelectedPanel, QString::fromLatin1(kErrorBuildingTreeview));
    } else {
        showStatus(status, kSelectedPanel, QString::fromLatin1(kUserCancelled));
    }
}

}  // namespace

TreeBuildResult buildTree(QTreeWidget& tree, const QStringList& dirs, const QStringList& files,
                          const QString& pathText, const ViewSwitches& switches,
                          SourceImages& images, const IconOptions& iconOptions,
                          const StatusText& status) {
    // The directory pass runs for "Subdirectories" alone too, so that the files below find
    // the nodes of their folders; the "[..]" node only when folders are shown.
    const bool dirPass = switches.subdirs || switches.listsDirs();
    const bool filePass = switches.files;
    const qint64 total = (dirPass ? dirs.size() : 0) + (filePass ? files.size() : 0);

    showStatus(status, kMainPanel, QString::fromLatin1(kBuildingTreeStructure));
    QCoreApplication::processEvents();
    tree.clear();
    QCoreApplication::processEvents();
    tree.setRootIsDecorated(false);

    NodeAssembly nodes(pathText, total, images, iconOptions);
    // "/" is the one folder without a parent to go up to.
    if (pathText.size() > 1 && switches.listsDirs()) {
        nodes.addRootNode();
    }

    TreeBuildResult result;
    BuildProgress progress(QString::fromLatin1(kBuildingTreeview), total, status);
    bool complete = true;
    if (dirPass) {
        complete = placeAll(nodes, dirs, true, progress, result);
    }
    if (complete && filePass) {
        complete = placeAll(nodes, files, false, progress, result);
    }
    if (!complete) {
        nodes.discard();
        tree.clear();
        reportStop(result, status);
        return result;
    }
    nodes.handOver(tree);
    result.nodes = nodes.nodeCount();
    result.lastPath.clear();
    return result;
}

bool sortsTopLevel(const ViewSwitches& switches) {
    return !switches.alwaysShowDirs && !(switches.subdirs && switches.files) &&
           !(switches.dirs && switches.files);
}

void sortTopLevel(QTreeWidget& tree) {
    QTreeWidgetItem* root = tree.invisibleRootItem();
    if (root->childCount() < 2) {
        return;
    }
    const QList<QTreeWidgetItem*> items = root->takeChildren();
    QStringList texts;
    texts.reserve(items.size());
    for (const QTreeWidgetItem* item : items) {
        texts.append(item->text(0));
    }
    QList<QTreeWidgetItem*> sorted;
    sorted.reserve(items.size());
    for (const qsizetype position : nameOrder(texts)) {
        sorted.append(items.at(position));
    }
    tree.addTopLevelItems(sorted);
}

void updateTreeview(const TreeviewJob& job) {
    const TreeviewHooks& hooks = job.hooks;
    const auto run = [](const std::function<void()>& hook) {
        if (hook) {
            hook();
        }
    };
    const StatusText show = [&job](const QString& panel, const QString& text) {
        if (job.status.setText) {
            job.status.setText(panel, text);
        }
    };
    static const QStringList kNone;
    const QStringList& dirs = job.dirs ? *job.dirs : kNone;
    const QStringList& files = job.files ? *job.files : kNone;
    const auto countsText = [&] {
        const qsizetype fileCount = job.switches.files ? files.size() : 0;
        const qsizetype dirCount = job.switches.dirs ? dirs.size() : 0;
        return QString::number(fileCount) + QStringLiteral(" Files, ") + QString::number(dirCount) +
               QStringLiteral(" Directories");
    };

    if (job.pathText.isEmpty()) {
        return;
    }
    if (dirs.isEmpty() && files.isEmpty()) {
        show(kMainPanel, countsText());
        return;
    }
    if (!job.windowReady || !job.list || !job.images) {
        return;
    }
    run(hooks.stopPreview);

    bool treeComplete = true;
    {
        // During a run the driver has disabled the window and enables it when the run window
        // closes; the builders leave it alone then. The scope restores window and pointer on
        // every way out.
        platform::BusyScope busy(job.operationRunning ? nullptr : job.window);
        // A press from before this build is not meant for it.
        platform::EscapeWatch::clear();

        if (job.tree && job.switches.enableTreeview && !job.switches.thumbnails) {
            const TreeBuildResult tree =
                buildTree(*job.tree, dirs, files, job.pathText, job.switches, *job.images,
                          job.iconOptions, show);
            treeComplete = tree.outcome == BuildOutcome::Complete;
        }

        if (treeComplete) {
            const ListBuildResult list = updateListview(*job.list, dirs, files, job.switches,
                                                        *job.images, job.iconOptions, show);
            if (list.outcome == BuildOutcome::Complete) {
                run(hooks.listBuilt);
                if (job.switches.thumbnails) {
                    generateThumbnails(ThumbnailRun{*job.list, *job.images, job.iconOptions,
                                                    job.window, job.status});
                }
            } else {
                run(hooks.clearWorkLists);
                if (job.tree) {
                    job.tree->clear();
                }
                run(hooks.optionsChanged);
            }
            QCoreApplication::processEvents();

            show(kMainPanel, countsText());
            QCoreApplication::processEvents();

            if (job.tree && sortsTopLevel(job.switches)) {
                sortTopLevel(*job.tree);
            }
        } else {
            // The list view stays as the folder read left it; no counts, no recount.
            run(hooks.clearWorkLists);
        }
    }
    if (!job.operationRunning) {
        run(hooks.optionsChanged);
    }
    if (treeComplete) {
        run(hooks.updateSelectedCount);
    }
}

}  // namespace filelists
