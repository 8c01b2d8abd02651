// The folder dialog service with the real Qt dialog, for the running program.
#pragma once

#include <QFileDialog>

#include "platform/folderdialog.h"

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
        return chosen;
    }
};

}  // namespace platform
