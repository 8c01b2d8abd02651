#include "platform/widgets/documents.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

namespace {

DocumentOpener& opener() {
    static DocumentOpener installed;
    return installed;
}

}  // namespace

void openDocument(const QString& path) {
    if (opener()) {
        opener()(path);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void openLink(const QString& url) {
    if (opener()) {
        opener()(url);
        return;
    }
    QDesktopServices::openUrl(QUrl(url));
}

void setDocumentOpener(DocumentOpener replacement) {
    opener() = std::move(replacement);
}

}  // namespace platform
