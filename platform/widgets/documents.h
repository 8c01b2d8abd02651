// Opening a document with the desktop's default application, as the shell's default action
// does for the help page: the result is not looked at and nothing is reported.
#pragma once

#include <QString>

#include <functional>

namespace platform {

using DocumentOpener = std::function<void(const QString& path)>;

void openDocument(const QString& path);
// A link (a web address, a "mailto:" address) with the desktop's default application; the
// same opener hook sees it.
void openLink(const QString& url);
// Replaces how documents are opened (tests record the path instead of starting a program);
// an empty opener restores the desktop's.
void setDocumentOpener(DocumentOpener opener);

}  // namespace platform
