// How long adding dropped files to the Free Select list takes, against reading a folder of the
// same files as the Directory source. A folder of 30,000 files of mixed kinds (or the count
// given) is made in a temporary folder; all columns are shown in both lists.
//
//     cmake --build build --target bench_freeselect
//     build/bench/bench_freeselect [files]     (runs offscreen; prints the times in ms)
//
// "drop" hands the whole file list to the Free Select list as a file manager's drop does
// (text/uri-list), onto an empty list; "folder scan" is the Directory source's read into its
// work lists (readDirectoryStructure), "folder read" that read followed by the list build and
// the counts (updateTreeview), what a path box commit does. Each figure is the best of three
// runs. Settings, logs and files live in the temporary folder.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "bench/benchsettings.h"
#include "bench/sandbox.h"
#include "mainwindow/foldersource.h"
#include "mainwindow/freeselect.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/sourceswitch.h"
#include "platform/programfolder.h"

namespace {

constexpr int kRuns = 3;
const char* const kExtensions[] = {"txt",  "jpg", "png", "mp3", "pdf", "doc",
                                   "html", "zip", "cpp", "avi", "",    "tar.gz"};

QStringList makeFolder(const QString& folder, int files) {
    QDir().mkpath(folder);
    QStringList paths;
    paths.reserve(files);
    for (int i = 0; i < files; ++i) {
        const QString extension = QString::fromLatin1(kExtensions[i % std::size(kExtensions)]);
        const QString path =
            QStringLiteral("%1/file %2%3%4")
                .arg(folder)
                .arg(i, 5, 10, QLatin1Char('0'))
                .arg(extension.isEmpty() ? QString() : QStringLiteral("."), extension);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write("x");
        }
        paths.append(path);
    }
    return paths;
}

double bestOf(const std::function<void()>& prepare, const std::function<void()>& run) {
    double best = 1e300;
    for (int i = 0; i < kRuns; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 30000;
    QTemporaryDir work;
    if (!prepareBenchSandbox(work)) {
        return 1;
    }
    QApplication app(argc, argv);
    storeBenchSettings({{"showAllColumns", "1"},
                        {"enableTreeview", "0"},
                        {"chkRealtimePreview", "0"},
                        {"hideSystemFolders", "0"}});
    mainwindow::FrmMain window(QStringList{});
    window.show();
    QApplication::processEvents();

    const QString folder = work.path() + QStringLiteral("/data");
    const QStringList paths = makeFolder(folder, files);
    QByteArray uriList;
    for (const QString& path : paths) {
        uriList += "file://" +
                   QByteArray(platform::nativePath(path).c_str()).toPercentEncoding("/") + "\r\n";
    }
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), uriList);

    mainwindow::FreeSelect& freeSelect = window.freeSelect();
    window.sourceSwitch().selectFileSourceTab(QStringLiteral("dragdrop"));
    const double drop = bestOf([&] { freeSelect.mnuDragdropClearClick(); },
                               [&] { freeSelect.dropMimeData(&data); });
    const qsizetype added = window.state().lstFiles[1].size();

    window.sourceSwitch().selectFileSourceTab(QStringLiteral("listview"));
    auto* pathBox = window.control<QComboBox>(QStringLiteral("txtPath"));
    const auto setPath = [&] {
        window.state().previousPath.clear();
        pathBox->setEditText(folder + QLatin1Char('/'));
    };
    const double scan = bestOf(setPath, [&] { window.folderSource().readDirectoryStructure(); });
    const double read = bestOf(setPath, [&] {
        window.folderSource().readDirectoryStructure();
        window.folderSource().updateTreeview();
    });
    const qsizetype listed = window.state().lstFiles[0].size();

    std::printf("%-34s %9s %9s\n", "", "entries", "ms");
    std::printf("%-34s %9lld %9.1f\n", "drop onto Free Select", static_cast<long long>(added),
                drop);
    std::printf("%-34s %9lld %9.1f\n", "folder scan (work lists)", static_cast<long long>(listed),
                scan);
    std::printf("%-34s %9lld %9.1f\n", "folder read (scan + list + counts)",
                static_cast<long long>(listed), read);
    std::printf("drop / folder read = %.2f, drop / folder scan = %.2f\n", drop / read, drop / scan);
    std::printf("(best of %d; %d files, all columns shown)\n", kRuns, files);
    return 0;
}
