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

TreeBuildResult buildTree(QTreeWidget& tree, const QStringList& dirs, const QStringList& files,
                          const QString& pathText, const ViewSwitches& switches,
                          SourceImages& images, const IconOptions& iconOptions,
                          const StatusText& status) {
    const auto show = [&](const QString& panel, const QString& text) {
        if (status) {
            status(panel, text);
        }
    };
    // The directory pass runs for "Subdirectories" alone too, so that the files below find
    // the nodes of their folders; the "[..]" node only when folders are shown.
    const bool dirPass = switches.subdirs || switches.listsDirs();
    const bool filePass = switches.files;
    const qint64 total = (dirPass ? dirs.size() : 0) + (filePass ? files.size() : 0);

    show(kMainPanel, QString::fromLatin1(kBuildingTreeStructure));
    QCoreApplication::processEvents();
    tree.clear();
    QCoreApplication::processEvents();
    tree.setRootIsDecorated(false);

    // The nodes are put together off the widget, where adding a child costs no model
    // notification, and go in with one insertion at the end.
    QList<QTreeWidgetItem*> topLevel;
    QHash<QString, QTreeWidgetItem*> byKey;
    byKey.reserve(total);
    bool hasChildren = false;

    // "/" is the one folder without a parent to go up to.
    const bool hasRootNode = pathText.size() > 1 && switches.listsDirs();
    if (hasRootNode) {
        topLevel.append(newNode(QString::fromLatin1(kRootNodeKey),
                                QString::fromLatin1(kRootNodeText), kDefaultGhostDir, images));
    }

    TreeBuildResult result;
    BuildProgress progress(QString::fromLatin1(kBuildingTreeview), total, status);
    const QString prefix = QString::fromLatin1(kNodeKeyPrefix);
    const auto pass = [&](const QStringList& paths, bool isDirectory) {
        for (const QString& path : paths) {
            result.lastPath = path;
            if (!path.startsWith(pathText) || path.size() == pathText.size()) {
                result.outcome = BuildOutcome::Failed;
                result.reason = QStringLiteral("the entry lies outside the working folder");
                return false;
            }
            const QString relative = path.mid(pathText.size());
            const QString key = prefix + relative;
            if (byKey.contains(key)) {
                result.outcome = BuildOutcome::Failed;
                result.reason = QStringLiteral("the tree holds this entry already");
                return false;
            }
            const qsizetype slash = relative.lastIndexOf(u'/');
            QTreeWidgetItem* parent = nullptr;
            if (slash >= 0) {
                parent = byKey.value(prefix + relative.left(slash));
                if (!parent) {
                    result.outcome = BuildOutcome::Failed;
                    result.reason = QStringLiteral("the folder of the entry has no node");
                    return false;
                }
            }
            int large = 0;
            const int small = sysIcons(path, isDirectory, images, iconOptions, large);
            QTreeWidgetItem* item = newNode(key, relative.mid(slash + 1), small, images);
            byKey.insert(key, item);
            if (parent) {
                parent->addChild(item);
                hasChildren = true;
            } else {
                topLevel.append(item);
            }
            if (!progress.step()) {
                result.outcome = BuildOutcome::Cancelled;
                return false;
            }
        }
        return true;
    };

    bool complete = true;
    if (dirPass) {
        complete = pass(dirs, true);
    }
    if (complete && filePass) {
        complete = pass(files, false);
    }

    if (!complete) {
        qDeleteAll(topLevel);  // children go with their parents
        tree.clear();
        if (result.outcome == BuildOutcome::Failed) {
            engine::logFailure(engine::kInvalidArgument,
                               QStringLiteral("updateTreeview: ") + result.lastPath);
            show(kSelectedPanel, QString::fromLatin1(kErrorBuildingTreeview));
        } else {
            show(kSelectedPanel, QString::fromLatin1(kUserCancelled));
        }
        return result;
    }

    tree.addTopLevelItems(topLevel);
    tree.setRootIsDecorated(hasChildren);
    result.nodes = static_cast<int>(byKey.size()) + (hasRootNode ? 1 : 0);
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
