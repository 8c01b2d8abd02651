// The folder dialog service with the real Qt dialog, for the running program.
#pragma once

#include <QFileDialog>

#include "platform/folderdialog.h"
#include "platform/folderlist.h"

namespace platform {

class QtFolderDialog : public FolderDialogService {
public:
    QString chooseFolder(QWidget* owner, const QString& title,
                         const QString& startFolder) override {
        QString chosen =
            QFileDialog::getExistingDirectory(owner, title, startFolder, QFileDialog::ShowDirsOnly);
        while (chosen.size() > 1 && chosen.endsWith(QLatin1Char('/'))) {
            chosen.chop(1);
        }
        // Qt reads a name that is not UTF-8 with U+FFFD; take the folder's own bytes back, and
        // choose nothing when two folders read alike.
        const Result<QString> exact = pathFromQtFileName(chosen);
        return exact.ok() ? *exact : QString();
    }
};

}  // namespace platform
