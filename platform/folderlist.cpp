#include "platform/folderlist.h"

#include <dirent.h>

#include <QChar>

#include "platform/programfolder.h"

namespace platform {

namespace {

constexpr std::uint32_t kExcludingBits = fs::Hidden | fs::System | fs::Directory;

// Whole code points, so that "?" takes a character outside the BMP as one, folded so that
// letters compare without regard to case.
QList<char32_t> foldedCodePoints(const QString& text) {
    QList<char32_t> result;
    result.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        result.append(QChar::toCaseFolded(c));
    }
    return result;
}

}  // namespace

bool wildcardMatch(const QString& pattern, const QString& name) {
    if (pattern.isEmpty() || pattern == QLatin1String("*.*")) {
        return true;
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

Result<QList<FolderEntry>> listFolder(const QString& folder, const QString& pattern,
                                      std::uint32_t attributeMask) {
    auto entries = fs::readFolder(nativePath(folder));
    if (!entries) {
        return entries.status();
    }
    QList<FolderEntry> result;
    for (const fs::Entry& entry : entries.value()) {
        if ((entry.attributes & kExcludingBits & ~attributeMask) != 0) {
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

bool canListFolder(const QString& folder) {
    DIR* handle = ::opendir(nativePath(folder).c_str());
    if (!handle) {
        return false;
    }
    ::closedir(handle);
    return true;
}

}  // namespace platform
