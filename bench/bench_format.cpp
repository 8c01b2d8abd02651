// How long the Format tab's preview takes over 10,000 JPEG files, once with name and size
// tokens ("<NAME>_<SIZE>.<EXT>") and once with picture tokens ("<WIDTH>x<HEIGHT>_<NAME>.<EXT>").
//
//     cmake --build build --target bench_format
//     build/bench/bench_format [files]     (runs offscreen; prints both times in ms)
//
// Each file is a small JPEG header: an APP1 segment of 2 KB (as cameras write) before the
// frame header, so the picture reader has a segment to skip. "preview" is one pass over all
// rows through the main window. Settings, logs and files live in a temporary folder.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include "bench/benchsettings.h"
#include "bench/sandbox.h"
#include "mainwindow/foldersource.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/modepanels.h"
#include "settings/store.h"

namespace {

QByteArray jpegBytes(int width, int height) {
    QByteArray bytes("\xFF\xD8", 2);
    // APP1 of 2,048 bytes with its length field.
    const int app1 = 2048;
    bytes += "\xFF\xE1";
    bytes += static_cast<char>((app1 >> 8) & 0xFF);
    bytes += static_cast<char>(app1 & 0xFF);
    bytes += QByteArray(app1 - 2, 'e');
    // SOF0: length 17, precision 8, height, width, 3 components.
    bytes += QByteArray("\xFF\xC0\x00\x11\x08", 5);
    bytes += static_cast<char>((height >> 8) & 0xFF);
    bytes += static_cast<char>(height & 0xFF);
    bytes += static_cast<char>((width >> 8) & 0xFF);
    bytes += static_cast<char>(width & 0xFF);
    bytes += QByteArray(10, '\x01');
    bytes += "\xFF\xD9";
    return bytes;
}

QString makeFolder(const QString& root, int files) {
    const QString folder = QStringLiteral("%1/%2 jpegs").arg(root).arg(files);
    QDir().mkpath(folder);
    for (int i = 0; i < files; ++i) {
        QFile file(QStringLiteral("%1/photo%2.jpg").arg(folder).arg(i, 5, 10, QLatin1Char('0')));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(jpegBytes(640 + i % 100, 480));
        }
    }
    return folder + QLatin1Char('/');
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir work;
    if (!prepareBenchSandbox(work)) {
        return 1;
    }
    QApplication app(argc, argv);
    storeBenchSettings({{"tabStrip", "8"},
                        {"chkFormatTab", "0"},
                        {"chkFormatAllMustBeAvailable", "0"},
                        {"chkOnlyRenameSelected", "0"},
                        {"chkRealtimePreview", "0"},
                        {"hideSystemFolders", "0"}});
    mainwindow::FrmMain window(QStringList{});
    window.show();
    QApplication::processEvents();

    const QString folder = makeFolder(work.path() + QStringLiteral("/data"), files);
    auto* path = window.control<QComboBox>(QStringLiteral("txtPath"));
    window.state().previousPath.clear();
    path->setEditText(folder);
    window.folderSource().txtPathLostFocus();

    std::printf("%-34s %9s %9s\n", "pattern", "rows", "preview");
    for (const char* pattern : {"<NAME>_<SIZE>.<EXT>", "<WIDTH>x<HEIGHT>_<NAME>.<EXT>"}) {
        window.control<QLineEdit>(QStringLiteral("txtFormat"))
            ->setText(QString::fromLatin1(pattern));
        window.modePanels().optionsChanged();
        QElapsedTimer timer;
        timer.start();
        window.modePanels().generatePreview();
        const double preview = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        std::printf("%-34s %9d %9.1f\n", pattern, window.state().previewChangeCount, preview);
        std::fflush(stdout);
    }
    std::printf("(ms; %d JPEG files, one preview pass over every row)\n", files);
    return 0;
}
