#include "platform/programfolder.h"

#include <unistd.h>

#include <cstdlib>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/pathcodec.h"

namespace platform {

QString programFolder() {
    const QByteArray override = qgetenv(kProgramFolderVariable);
    if (!override.isEmpty()) {
        return withTrailingSlash(fromNativePath(override.toStdString()));
    }
    // Read from /proc rather than QCoreApplication, so this works before (and without) one;
    // once, since every log line asks and the executable does not move.
    static const QString executableFolder = [] {
        const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        if (!executable.isEmpty()) {
            return withTrailingSlash(QFileInfo(executable).absolutePath());
        }
        // Without /proc (a bare chroot) the current folder is the best guess left.
        return withTrailingSlash(QDir::currentPath());
    }();
    return executableFolder;
}

QString executablePath() {
    // readlink rather than Qt, which would read a name that is not UTF-8 with U+FFFD.
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            return fromNativePath(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

QString programFile(const QString& name) {
    return programFolder() + name;
}

QString configFolder() {
    // A relative XDG_CONFIG_HOME is ignored, as the XDG rules say: it would name another folder
    // for every current folder. Qt would take it from the current folder.
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    if (config.startsWith('/')) {
        return fromNativePath(config.toStdString());
    }
    const QByteArray home = qgetenv("HOME");
    return (home.isEmpty() ? QDir::homePath() : fromNativePath(home.toStdString())) +
           QStringLiteral("/.config");
}

QString dataFolder() {
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    if (data.startsWith('/')) {
        return fromNativePath(data.toStdString());
    }
    const QByteArray home = qgetenv("HOME");
    return (home.isEmpty() ? QDir::homePath() : fromNativePath(home.toStdString())) +
           QStringLiteral("/.local/share");
}

std::string nativePath(const QString& path) {
    return encodePathText(std::u16string_view(reinterpret_cast<const char16_t*>(path.utf16()),
                                              static_cast<size_t>(path.size())));
}

QString fromNativePath(const std::string& path) {
    QString text(static_cast<qsizetype>(path.size()), Qt::Uninitialized);
    if (path.empty()) {
        return text;
    }
    text.truncate(static_cast<qsizetype>(
        decodePathBytesInto(path, reinterpret_cast<char16_t*>(text.data()))));
    return text;
}

void ignoreRelativeXdgFolders() {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '/') {
            ::unsetenv(name);
        }
    }
}

QString withTrailingSlash(QString folder) {
    if (!folder.endsWith(u'/')) {
        folder += u'/';
    }
    return folder;
}

}  // namespace platform
