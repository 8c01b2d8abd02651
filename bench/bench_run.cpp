// How long the preview pass, a rename run and its undo take in the main window, for folders of
// 1,000, 10,000 and 30,000 files whose every name changes (Replace "file" by "item").
//
//     cmake --build build --target bench_run
//     build/bench/bench_run            (runs offscreen; prints a table in ms)
//
// "preview" is one pass over all rows; "run" is Rename! from the click to the finished run
// window (folder read before and after, list rebuilt, log.txt lines, order and selection);
// "undo" is the same for Undo. The process-level comparison with another renaming tool is
// bench_rename.sh. Settings, logs and files live in a temporary folder.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

#include "bench/benchsettings.h"
#include "bench/sandbox.h"
#include "mainwindow/foldersource.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/modepanels.h"
#include "mainwindow/runcontroller.h"
#include "mainwindow/sourceswitch.h"
#include "platform/messages.h"
#include "runs/runwindow.h"
#include "settings/store.h"

namespace {

// Answers every box with Yes (the undo's question), so nothing waits for a person.
class YesMessages : public platform::MessageService {
public:
    platform::MessageResult showMessage(const QString&, const QString&, platform::MessageIcon,
                                        platform::MessageButtons) override {
        return platform::MessageResult::Yes;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

QString makeFolder(const QString& root, int files) {
    const QString folder = QStringLiteral("%1/%2 files").arg(root).arg(files);
    QDir().mkpath(folder);
    for (int i = 0; i < files; ++i) {
        QFile file(QStringLiteral("%1/file%2.txt").arg(folder).arg(i, 5, 10, QLatin1Char('0')));
        if (file.open(QIODevice::WriteOnly)) {
            file.write("x");
        }
    }
    return folder + QLatin1Char('/');
}

double elapsedMs(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void closeRunWindow(mainwindow::FrmMain& window) {
    if (runs::RunWindow* run = window.runWindow()) {
        run->close();
    }
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir work;
    if (!prepareBenchSandbox(work)) {
        return 1;
    }
    QApplication app(argc, argv);
    YesMessages messages;
    platform::setMessageService(&messages);

    storeBenchSettings({{"tabStrip", "1"},
                        {"optReplace", "0"},
                        {"txtFind", "file"},
                        {"txtReplace", "item"},
                        {"chkProcessFileExt", "0"},
                        {"chkOnlyRenameSelected", "0"},
                        {"chkRealtimePreview", "0"},
                        {"hideSystemFolders", "0"}});
    mainwindow::FrmMain window(QStringList{});
    window.show();
    QApplication::processEvents();

    std::printf("%-12s %9s %9s %9s %9s\n", "folder", "rows", "preview", "run", "undo");
    const QString data = work.path() + QStringLiteral("/data");
    for (const int files : {1000, 10000, 30000}) {
        const QString folder = makeFolder(data, files);
        auto* path = window.control<QComboBox>(QStringLiteral("txtPath"));
        window.state().previousPath.clear();
        path->setEditText(folder);
        window.folderSource().txtPathLostFocus();

        QElapsedTimer timer;
        timer.start();
        window.modePanels().generatePreview();
        const double preview = elapsedMs(timer);
        const int changed = window.state().previewChangeCount;

        timer.start();
        window.runController().cmdExecuteClick();
        const double run = elapsedMs(timer);
        const int renamed = window.runState().filesRenamedCount;
        closeRunWindow(window);

        timer.start();
        window.runController().cmdUndoClick();
        const double undo = elapsedMs(timer);
        const int restored = window.runState().filesRenamedCount;
        closeRunWindow(window);

        std::printf("%-12d %9d %9.1f %9.1f %9.1f\n", files, changed, preview, run, undo);
        if (changed != files || renamed != files || restored != files) {
            std::printf("  (expected %d each: preview %d, renamed %d, restored %d)\n", files,
                        changed, renamed, restored);
        }
        std::fflush(stdout);
    }
    std::printf("(ms; preview = one pass over every row, every name changes)\n");
    platform::setMessageService(nullptr);
    return 0;
}
