// Quenza Renamer: starts the main window with the program's arguments.
#include <QApplication>
#include <QStringList>

#include "mainwindow/frmmain.h"
#include "platform/folderdialog.h"
#include "platform/messages.h"
#include "platform/widgets/qtfolderdialog.h"
#include "platform/widgets/qtmessages.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenza Renamer"));

    platform::QtMessageService messages;
    platform::setMessageService(&messages);
    platform::QtFolderDialog folderDialog;
    platform::setFolderDialogService(&folderDialog);

    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty()) {
        arguments.removeFirst();
    }
    int result = 0;
    {
        mainwindow::FrmMain window(arguments);
        messages.setParent(&window);
        window.show();
        result = QApplication::exec();
    }
    platform::setFolderDialogService(nullptr);
    platform::setMessageService(nullptr);
    return result;
}
