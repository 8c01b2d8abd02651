// How long the preview takes on the Mp3 tab over 10,000 tagged MP3 files ("<ARTIST> - <TITLE>")
// and with file-type detection over 10,000 mixed files, each against a baseline measured in
// the same run: the tag library alone reading the same MP3 files, and a bare read of the bytes
// detection looks at (first 64 and last 128 bytes) of the mixed files.
//
//     cmake --build build --target bench_tagmodes
//     build/bench/bench_tagmodes [files]     (runs offscreen; prints times in ms and ratios)
//
// "preview" is one pass over all rows through the main window, with the tag library registered
// and created as the program creates it. Settings, logs and files live in a temporary folder.
#include <fcntl.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTabBar>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/benchsettings.h"
#include "bench/registerlibrary.h"
#include "bench/sandbox.h"
#include "mainwindow/foldersource.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/modepanels.h"
#include "orvane/com/interfaces.h"
#include "settings/store.h"

namespace {

QByteArray mpegFrames() {
    QByteArray frames;
    for (int i = 0; i < 8; ++i) {
        frames += QByteArray("\xFF\xFB\x90\x64", 4) + QByteArray(413, '\x11');
    }
    return frames;
}

QByteArray textFrame(const char* id, const QByteArray& text) {
    const int size = static_cast<int>(text.size()) + 1;
    QByteArray frame(id);
    frame += static_cast<char>((size >> 24) & 0xFF);
    frame += static_cast<char>((size >> 16) & 0xFF);
    frame += static_cast<char>((size >> 8) & 0xFF);
    frame += static_cast<char>(size & 0xFF);
    frame += QByteArray(3, '\0');  // flags, Latin-1
    return frame + text;
}

// An ID3v2.3 tag with artist, title, album and 1 KB of padding, then MPEG frames.
QByteArray taggedMp3(int i) {
    QByteArray body = textFrame("TPE1", "Artist " + QByteArray::number(i % 50)) +
                      textFrame("TIT2", "Title " + QByteArray::number(i)) +
                      textFrame("TALB", "Album") + QByteArray(1024, '\0');
    const auto size = static_cast<quint32>(body.size());
    QByteArray tag("ID3\x03\x00\x00", 6);
    for (int shift : {21, 14, 7, 0}) {
        tag += static_cast<char>((size >> shift) & 0x7F);
    }
    return tag + body + mpegFrames();
}

QByteArray mixedFile(int i) {
    switch (i % 6) {
        case 0:
            return QByteArray("PK\x03\x04", 4) + QByteArray(2000, 'z');
        case 1:
            return QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(2000, 'j');
        case 2:
            return QByteArray("GIF89a") + QByteArray(2000, 'g');
        case 3:
            return mpegFrames();  // found by the tag library's look
        case 4:
            return QByteArray("Some plain words.\r\n").repeated(50);  // found by the text look
        default:
            return QByteArray("\x01\x02\x00\x7F", 4).repeated(500);  // nothing
    }
}

QString makeFolder(const QString& root, const QString& name, int files,
                   QByteArray (*content)(int)) {
    const QString folder = root + QLatin1Char('/') + name;
    QDir().mkpath(folder);
    for (int i = 0; i < files; ++i) {
        QFile file(QStringLiteral("%1/f%2").arg(folder).arg(i, 5, 10, QLatin1Char('0')) +
                   (content == taggedMp3 ? QStringLiteral(".mp3") : QString()));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(content(i));
        }
    }
    return folder + QLatin1Char('/');
}

double milliseconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The tag library alone: Reset and ReadFile for every file, as the preview calls them.
double libraryBaseline(orvane::_cMP3File* mp3, const QString& folder) {
    const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    QElapsedTimer timer;
    timer.start();
    for (const QString& name : names) {
        const QString path = folder + name;
        com::Bstr argument(std::u16string_view(reinterpret_cast<const char16_t*>(path.utf16()),
                                               static_cast<std::size_t>(path.size())));
        com::BSTR fileName = argument.get();
        com::VARIANT_BOOL read = 0;
        mp3->Reset();
        mp3->ReadFile(&fileName, &read);
    }
    return milliseconds(timer);
}

// The bytes detection looks at, read with nothing else around them.
double bytesBaseline(const QString& folder) {
    const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    QElapsedTimer timer;
    timer.start();
    char buffer[128];
    long total = 0;
    for (const QString& name : names) {
        const int fd = ::open(QFile::encodeName(folder + name).constData(), O_RDONLY);
        if (fd < 0) {
            continue;
        }
        total += ::pread(fd, buffer, 64, 0);
        const off_t size = ::lseek(fd, 0, SEEK_END);
        total += ::pread(fd, buffer, 128, size > 128 ? size - 128 : 0);
        ::close(fd);
    }
    if (total < 0) {
        std::printf("(read failed)\n");
    }
    return milliseconds(timer);
}

double previewOf(mainwindow::FrmMain& window, const QString& folder) {
    auto* path = window.control<QComboBox>(QStringLiteral("txtPath"));
    window.state().previousPath.clear();
    path->setEditText(folder);
    window.folderSource().txtPathLostFocus();
    window.modePanels().optionsChanged();
    QElapsedTimer timer;
    timer.start();
    window.modePanels().generatePreview();
    return milliseconds(timer);
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir work;
    if (!prepareBenchSandbox(work) || !registerOrvaneLibrary(QUENZA_BENCH_ORVANE_MP3)) {
        return 1;
    }
    QApplication app(argc, argv);
    storeBenchSettings({{"tabStrip", "7"},  // Mp3
                        {"txtMp3Format", "<ARTIST> - <TITLE>"},
                        {"chkFileDetect_TryMp3", "1"},
                        {"chkFileDetect_TryText", "1"},
                        {"chkOnlyRenameSelected", "0"},
                        {"chkRealtimePreview", "0"},
                        {"hideSystemFolders", "0"}});
    mainwindow::FrmMain window(QStringList{});
    window.show();
    QApplication::processEvents();
    if (!window.mp3Library()) {
        std::fprintf(stderr, "the window has no tag library object\n");
        return 1;
    }

    const QString root = work.path() + QStringLiteral("/data");
    const QString mp3Folder = makeFolder(root, QStringLiteral("mp3"), files, taggedMp3);
    const QString mixedFolder = makeFolder(root, QStringLiteral("mixed"), files, mixedFile);

    std::printf("%-32s %7s %10s %10s %7s\n", "preview", "rows", "ms", "baseline", "ratio");
    const double mp3 = previewOf(window, mp3Folder);
    const int mp3Rows = window.state().previewChangeCount;
    const double library = libraryBaseline(window.mp3Library(), mp3Folder);
    std::printf("%-32s %7d %10.1f %10.1f %7.2f\n", "Mp3 \"<ARTIST> - <TITLE>\"", mp3Rows, mp3,
                library, mp3 / library);

    window.control<QAbstractButton>(QStringLiteral("chkFormatTab_Detect"))->setChecked(true);
    window.control<QTabBar>(QStringLiteral("TabStrip"))->setCurrentIndex(7);  // Format
    const double detect = previewOf(window, mixedFolder);
    const int detectRows = window.state().previewChangeCount;
    const double bytes = bytesBaseline(mixedFolder);
    std::printf("%-32s %7d %10.1f %10.1f %7.2f\n", "file-type detection (Mp3, Text)", detectRows,
                detect, bytes, detect / bytes);
    std::printf(
        "(baselines: the tag library's ReadFile over the same files; a bare read of the "
        "first 64 and last 128 bytes of each file)\n");
    return 0;
}
