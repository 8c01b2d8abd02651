#include "platform/widgets/filedialog.h"

#include <QSysInfo>

#include <cctype>

#include "platform/programfolder.h"

namespace platform {

namespace {

OpenFilesService* g_openFiles = nullptr;

bool isUrlScheme(const QByteArray& scheme) {
    if (scheme.isEmpty() || !std::isalpha(static_cast<unsigned char>(scheme.front()))) {
        return false;
    }
    for (const char c : scheme) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

}  // namespace

void setOpenFilesService(OpenFilesService* service) {
    g_openFiles = service;
}

QStringList chooseFilesToOpen(QWidget* owner, const QString& title, const QString& startFolder) {
    return g_openFiles ? g_openFiles->chooseFiles(owner, title, startFolder) : QStringList();
}

QList<QByteArray> uriListEntries(const QByteArray& uriList) {
    QList<QByteArray> entries;
    for (const QByteArray& line : uriList.split('\n')) {
        const QByteArray entry = line.trimmed();
        if (!entry.isEmpty() && !entry.startsWith('#')) {
            entries.append(entry);
        }
    }
    return entries;
}

std::optional<QString> localPathFromUrl(const QByteArray& url) {
    const qsizetype colon = url.indexOf(':');
    if (colon <= 0 || !isUrlScheme(url.left(colon)) ||
        url.left(colon).compare("file", Qt::CaseInsensitive) != 0) {
        return std::nullopt;
    }
    QByteArray rest = url.mid(colon + 1);
    // Neither a query nor a fragment is part of a file's path ("?" and "#" in a name are sent
    // percent-encoded).
    for (qsizetype i = 0; i < rest.size(); ++i) {
        if (rest.at(i) == '?' || rest.at(i) == '#') {
            rest.truncate(i);
            break;
        }
    }
    if (rest.startsWith("//")) {
        const qsizetype slash = rest.indexOf('/', 2);
        const QByteArray host =
            QByteArray::fromPercentEncoding(rest.mid(2, slash < 0 ? -1 : slash - 2)).toLower();
        if (!host.isEmpty() && host != "localhost" &&
            host != QSysInfo::machineHostName().toUtf8().toLower()) {
            return std::nullopt;
        }
        rest = slash < 0 ? QByteArray() : rest.mid(slash);
    }
    const QByteArray bytes = QByteArray::fromPercentEncoding(rest);
    if (!bytes.startsWith('/')) {
        return std::nullopt;
    }
    return fromNativePath(bytes.toStdString());
}

}  // namespace platform
