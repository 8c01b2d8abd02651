// The folder dialog behind one service, like the message boxes: the program installs the Qt
// dialog, tests a scripted answer, and nothing unattended ever blocks on a modal dialog.
// Header-only, so that every layer can ask for a folder without a library of its own.
#pragma once

#include <QString>

class QWidget;

namespace platform {

class FolderDialogService {
public:
    virtual ~FolderDialogService() = default;
    // Shows the folder dialog owned by `owner`, titled `title`, with `startFolder` chosen.
    // Returns the chosen folder without a trailing "/" (the root stays "/"), or "" when the
    // user cancelled.
    virtual QString chooseFolder(QWidget* owner, const QString& title,
                                 const QString& startFolder) = 0;
};

namespace detail {
inline FolderDialogService* g_folderDialogs = nullptr;
}

// Installs `service` (not owned); null goes back to the default, which shows nothing and
// answers every dialog as cancelled.
inline void setFolderDialogService(FolderDialogService* service) {
    detail::g_folderDialogs = service;
}

// The installed service's answer, or "" when none is installed.
inline QString browseForFolder(QWidget* owner, const QString& title, const QString& startFolder) {
    return detail::g_folderDialogs
               ? detail::g_folderDialogs->chooseFolder(owner, title, startFolder)
               : QString();
}

}  // namespace platform
