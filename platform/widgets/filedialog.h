// The open-file dialog behind one service, like the message boxes and the folder dialog: the
// program installs its own dialog (mainwindow/dialogs/filesdialog.h), tests a scripted answer, and
// until one is installed every dialog answers "cancelled", so nothing unattended blocks on a modal
// dialog. Also the reading of file URLs, the form in which file managers hand over dropped files
// and desktop dialogs hand back chosen ones.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace platform {

class OpenFilesService {
public:
    virtual ~OpenFilesService() = default;
    // Shows the dialog for choosing one or more existing files (every file shown), owned by
    // `owner`, titled `title`, opening in `startFolder` (with or without a final "/"). Returns
    // the chosen files' full paths in the dialog's order; empty when the user cancelled.
    virtual QStringList chooseFiles(QWidget* owner, const QString& title,
                                    const QString& startFolder) = 0;
};

// Installs `service` (not owned); null goes back to the default, which shows nothing and
// answers every dialog as cancelled.
void setOpenFilesService(OpenFilesService* service);
// The installed service's answer, or nothing when none is installed.
QStringList chooseFilesToOpen(QWidget* owner, const QString& title, const QString& startFolder);

// The entries of a text/uri-list: one URL a line (CR LF or LF), blanks around it dropped,
// empty lines and "#" comment lines left out. The URLs stay as they were sent.
QList<QByteArray> uriListEntries(const QByteArray& uriList);

// The path of a file URL on this computer ("file:///p", "file:/p", "file://localhost/p" or the
// machine's own host name), its percent-encoding decoded to the bytes it stands for and read
// through the path codec, so a name that is not UTF-8 keeps its bytes (QUrl::toLocalFile would
// turn them into U+FFFD). Query and fragment are not part of the path. Nothing for another
// scheme, another host, or a path that is not absolute.
std::optional<QString> localPathFromUrl(const QByteArray& url);

}  // namespace platform
