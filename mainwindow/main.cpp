// Quenza Renamer: starts the main window with the program's arguments.
#include <QApplication>
#include <QStringList>

#include "mainwindow/dialogs/filesdialog.h"
#include "mainwindow/dialogs/folderdialog.h"
#include "mainwindow/frmmain.h"
#include "platform/folderdialog.h"
#include "platform/messages.h"
#include "platform/programfolder.h"
#include "platform/widgets/filedialog.h"
#include "platform/widgets/qtmessages.h"
#include "platform/widgets/unattended.h"
#include "settings/commandline.h"

#include <malloc.h>

#include <cstdio>
#include <cstdlib>

namespace {

// A run over a large folder builds and drops lists of tens of thousands of texts again and
// again (three folder reads, two list rebuilds, the run's own lines). By default glibc gives
// large blocks and the heap's free top back to the system at once, so every new list touches
// fresh pages; keeping them in the process makes the next list reuse them.
void keepFreedMemoryForReuse() {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_TOP_PAD, 32 << 20);
}

}  // namespace

int main(int argc, char** argv) {
    keepFreedMemoryForReuse();
    platform::ignoreRelativeXdgFolders();
    // Arguments are bytes like names: a folder given by a name that is not UTF-8 must reach the
    // folder read as those bytes, which Qt's own decoding of argv would lose.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(platform::fromNativePath(argv[i]));
    }
    // A start that is to end by itself (a scheduled job, a script) runs without a window where
    // there is no display, rather than failing to connect to one.
    if (settings::givesExitSwitch(arguments)) {
        platform::chooseOffscreenWithoutDisplay();
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenza Renamer"));

    platform::QtMessageService messages;
    platform::setMessageService(&messages);
    mainwindow::FolderDialog folderDialog;
    platform::setFolderDialogService(&folderDialog);
    mainwindow::FilesDialog openFiles;
    platform::setOpenFilesService(&openFiles);

    int result = 0;
    {
        mainwindow::FrmMain window(arguments);
        messages.setParent(&window);
        window.show();
        result = QApplication::exec();
        if (result == 0) {
            result = window.state().exitStatus;
        }
        if (window.state().exitSwitchGiven) {
            // A start that ends by itself has saved everything as its window closed; what is
            // left is freeing the rows, lists and journal of tens of thousands of items one by
            // one, which would only hold back the exit status a script is waiting for.
            std::fflush(nullptr);
            std::_Exit(result);
        }
    }
    platform::setOpenFilesService(nullptr);
    platform::setFolderDialogService(nullptr);
    platform::setMessageService(nullptr);
    return result;
}
