#include "platform/folderlist.h"

#include <dirent.h>

#include <QByteArray>
#include <QChar>
#include <QFile>
#include <QStringList>

#include "platform/errortext.h"
#include "platform/programfolder.h"

namespace platform {

namespace {

constexpr std::uint32_t kExcludingBits = fs::Hidden | fs::System | fs::Directory;

// Whole code points, so that "?" takes a character outside the BMP as one, folded so that
// letters compare without regard to case.
QList<char32_t> foldedCodePoints(QStringView text) {
    QList<char32_t> result;
    result.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        result.append(QChar::toCaseFolded(c));
    }
    return result;
}

}  // namespace

bool wildcardMatch(const QString& pattern, QStringView name) {
    if (pattern.isEmpty() || pattern == QLatin1String("*.*")) {
        return true;
    }
    // A pattern that ends in "." asks for names without an extension: "*." lists "README" but
    // not "notes.txt", as the patterns users bring from other systems mean.
    if (pattern.size() > 1 && pattern.endsWith(u'.')) {
        return !name.contains(u'.') && wildcardMatch(pattern.chopped(1), name);
    }
    const QList<char32_t> p = foldedCodePoints(pattern);
    const QList<char32_t> n = foldedCodePoints(name);

    // Greedy scan that, on a mismatch, lets the last "*" take one more character: linear in
    // practice and never exponential, however many stars the pattern holds.
    qsizetype pi = 0;
    qsizetype ni = 0;
    qsizetype starAt = -1;      // position in p just after the last "*" seen
    qsizetype starMatched = 0;  // position in n where that "*" currently ends
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == U'*') {
            starAt = ++pi;
            starMatched = ni;
        } else if (pi < p.size() && (p[pi] == U'?' || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (starAt >= 0) {
            pi = starAt;
            ni = ++starMatched;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == U'*') {
        ++pi;
    }
    return pi == p.size();
}

bool passesAttributeMask(std::uint32_t attributes, std::uint32_t attributeMask) {
    return (attributes & kExcludingBits & ~attributeMask) == 0;
}

namespace {

Result<QList<FolderEntry>> entriesOf(Result<std::vector<fs::Entry>> entries, const QString& pattern,
                                     std::uint32_t attributeMask) {
    if (!entries) {
        return entries.status();
    }
    QList<FolderEntry> result;
    result.reserve(static_cast<qsizetype>(entries.value().size()));
    for (const fs::Entry& entry : entries.value()) {
        if (!passesAttributeMask(entry.attributes, attributeMask)) {
            continue;
        }
        const QString name = fromNativePath(entry.name);
        if (!wildcardMatch(pattern, name)) {
            continue;
        }
        result.append(FolderEntry{name, entry.attributes, entry.size});
    }
    return result;
}

}  // namespace

Result<QList<FolderEntry>> listFolder(const QString& folder, const QString& pattern,
                                      std::uint32_t attributeMask, fs::FolderDetail detail) {
    return entriesOf(fs::readFolder(nativePath(folder), detail), pattern, attributeMask);
}

Result<QList<FolderEntry>> listFolderAt(int folderFd, const std::string& folder,
                                        const QString& pattern, std::uint32_t attributeMask,
                                        fs::FolderDetail detail) {
    return entriesOf(fs::readFolderAt(folderFd, folder, detail), pattern, attributeMask);
}

bool canListFolder(const QString& folder) {
    DIR* handle = ::opendir(nativePath(folder).c_str());
    if (!handle) {
        return false;
    }
    ::closedir(handle);
    return true;
}

Result<QString> pathFromQtFileName(const QString& path) {
    if (!path.contains(QChar::ReplacementCharacter)) {
        return path;
    }
    const QStringList levels = path.split(u'/');
    QString resolved;
    for (qsizetype i = 0; i < levels.size(); ++i) {
        const QString& level = levels.at(i);
        if (i > 0) {
            resolved += u'/';
        }
        const QString folder = resolved.isEmpty() ? QStringLiteral(".") : resolved;
        if (!level.contains(QChar::ReplacementCharacter)) {
            resolved += level;
            continue;
        }
        // A folder that cannot be read keeps the level as written; whatever uses the path
        // then fails with its own reason.
        const auto entries = fs::readFolder(nativePath(folder));
        QString found;
        if (entries) {
            for (const fs::Entry& entry : entries.value()) {
                // The dialog's reading of this name, only to compare with: never a path.
                if (QFile::decodeName(QByteArray::fromStdString(entry.name)) != level) {
                    continue;
                }
                if (!found.isEmpty()) {
                    return Status::failure("more than one name in " +
                                           platform::quoted(nativePath(folder)) + " reads as " +
                                           platform::quoted(level.toStdString()) +
                                           "; rename one of them and choose again");
                }
                found = fromNativePath(entry.name);
            }
        }
        resolved += found.isEmpty() ? level : found;
    }
    return resolved;
}

}  // namespace platform
