#include "platform/programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform {

namespace {

QString withTrailingSlash(QString folder) {
    if (!folder.endsWith(u'/')) {
        folder += u'/';
    }
    return folder;
}

}  // namespace

QString programFolder() {
    const QByteArray override = qgetenv(kProgramFolderVariable);
    if (!override.isEmpty()) {
        return withTrailingSlash(QFile::decodeName(override));
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

QString programFile(const QString& name) {
    return programFolder() + name;
}

std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString fromNativePath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace platform
