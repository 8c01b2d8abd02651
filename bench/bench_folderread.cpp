// How long reading and showing a folder takes: the scan into the work lists, the list view
// build, the tree build, and the whole path through the main window (path box commit: scan,
// tree, rows with all columns, counts). Folders of 1,000, 10,000 and 30,000 files of mixed
// kinds and one of 3,000 subfolders (read with subfolders) are made in a temporary folder.
//
//     cmake --build build --target bench_folderread
//     build/bench/bench_folderread            (runs offscreen; prints a table in ms)
//
// Each figure is the best of three runs. Settings, logs and files live in the temporary
// folder; nothing of the user's is read or written.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "bench/benchsettings.h"
#include "bench/sandbox.h"
#include "filelists/imagelist.h"
#include "filelists/listbuilder.h"
#include "filelists/rowtext.h"
#include "filelists/scan.h"
#include "filelists/sysicons.h"
#include "filelists/treebuilder.h"
#include "mainwindow/foldersource.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/modepanels.h"
#include "mainwindow/runcontroller.h"
#include "mainwindow/sourceswitch.h"
#include "platform/widgets/listview.h"
#include "settings/programsettings.h"
#include "settings/store.h"

namespace {

constexpr int kRuns = 3;
const char* const kExtensions[] = {"txt",  "jpg", "png", "mp3", "pdf", "doc",
                                   "html", "zip", "cpp", "avi", "",    "tar.gz"};

struct Case {
    const char* label;
    int files;       // files in the folder itself
    int subfolders;  // subfolders, each with one file, read with subfolders on
};

void touch(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write("x");
    }
}

QString makeCase(const QString& root, const Case& c) {
    const QString folder = root + QLatin1Char('/') + QString::fromLatin1(c.label);
    QDir().mkpath(folder);
    for (int i = 0; i < c.files; ++i) {
        const QString extension = QString::fromLatin1(kExtensions[i % std::size(kExtensions)]);
        touch(QStringLiteral("%1/file %2%3%4")
                  .arg(folder)
                  .arg(i, 5, 10, QLatin1Char('0'))
                  .arg(extension.isEmpty() ? QString() : QStringLiteral("."), extension));
    }
    for (int i = 0; i < c.subfolders; ++i) {
        const QString sub =
            QStringLiteral("%1/folder %2").arg(folder).arg(i, 4, 10, QLatin1Char('0'));
        QDir().mkpath(sub);
        touch(sub + QStringLiteral("/inside.txt"));
    }
    return folder + QLatin1Char('/');
}

double bestOf(const std::function<void()>& run) {
    double best = 1e300;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir work;
    if (!prepareBenchSandbox(work)) {
        return 1;
    }
    QApplication app(argc, argv);

    const Case cases[] = {
        {"1000 files", 1000, 0},
        {"10000 files", 10000, 0},
        {"30000 files", 30000, 0},
        {"3000 subfolders", 0, 3000},
    };
    const QString data = work.path() + QStringLiteral("/data");

    settings::ProgramSettings programSettings;
    programSettings.useSysIcons = 1;
    programSettings.thumbsWidth = 64;
    programSettings.thumbsHeight = 64;
    const filelists::IconOptions icons = filelists::iconOptions(programSettings, true);

    // The window as a user would have it: tree enabled, all columns, files and directories.
    storeBenchSettings({{"enableTreeview", "1"},
                        {"showAllColumns", "1"},
                        {"chkDirs", "1"},
                        {"uncheckSubsdirsAtStartup", "0"},
                        {"hideSystemFolders", "0"}});
    mainwindow::FrmMain window(QStringList{});
    window.show();
    QApplication::processEvents();

    std::printf("%-16s %8s %9s %9s %9s %9s %12s\n", "folder", "entries", "scan", "list",
                "list+cols", "tree", "window read");
    for (const Case& c : cases) {
        const QString folder = makeCase(data, c);
        filelists::ScanOptions options;
        options.folder = folder;
        options.pattern = QStringLiteral("*.*");
        options.subfolders = c.subfolders > 0;
        filelists::ScanResult result;
        const double scan = bestOf([&] { result = filelists::scanFolder(options); });

        filelists::ViewSwitches switches;
        switches.files = true;
        switches.dirs = true;
        switches.subdirs = options.subfolders;
        switches.enableTreeview = true;
        const auto listBuild = [&](bool allColumns) {
            platform::ListView list;
            for (int column = 0; column < filelists::kAllColumnCount; ++column) {
                list.addColumn(QStringLiteral("c%1").arg(column), QString(), 80);
            }
            filelists::SourceImages images;
            switches.showAllColumns = allColumns;
            return bestOf([&] {
                filelists::initSysIcons(images, QSize(64, 64), &list);
                filelists::updateListview(list, result.dirs, result.files, switches, images, icons,
                                          {});
            });
        };
        const double list = listBuild(false);
        const double listColumns = listBuild(true);

        QTreeWidget tree;
        filelists::SourceImages treeImages;
        const double treeBuild = bestOf([&] {
            filelists::initSysIcons(treeImages, QSize(64, 64));
            filelists::buildTree(tree, result.dirs, result.files, folder, switches, treeImages,
                                 icons, {});
        });

        window.setCheck(QStringLiteral("chkSub"), options.subfolders ? 1 : 0);
        auto* path = window.control<QComboBox>(QStringLiteral("txtPath"));
        const double windowRead = bestOf([&] {
            window.state().previousPath.clear();
            path->setEditText(folder);
            window.folderSource().txtPathLostFocus();
        });
        const qsizetype entries =
            window.state().lstFiles[0].size() + window.state().lstDirs[0].size();

        std::printf("%-16s %8lld %9.1f %9.1f %9.1f %9.1f %12.1f\n", c.label,
                    static_cast<long long>(entries), scan, list, listColumns, treeBuild,
                    windowRead);
        std::fflush(stdout);
    }
    std::printf("(ms, best of %d; \"window read\" = path box commit with tree and all columns)\n",
                kRuns);
    return 0;
}
