#include "engine/dirinfo.h"

#include <QStringList>

#include <limits>

#include "engine/log.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"
#include "platform/win1252.h"

namespace engine {

namespace {

namespace fs = platform::fs;

// Adds without passing the 64-bit range; a sum that would is a failed count.
bool addTo(qint64& total, qint64 amount) {
    if (amount > 0 && total > std::numeric_limits<qint64>::max() - amount) {
        return false;
    }
    total += amount;
    return true;
}

}  // namespace

bool getDirInfo(const QString& path, DirInfo& record, const std::function<void()>& yield) {
    if (!record.path.isEmpty() && path == record.path) {
        return true;
    }
    record = DirInfo{};
    const std::string top = platform::nativePath(path);
    // The item itself, never what a link points to: a link to a folder is not a folder here.
    if (fs::isSymbolicLink(top) || !fs::isDirectory(top)) {
        return false;
    }
    record.path = path;

    // Breadth first, level by level; the list grows at its end. Linked folders are entries,
    // never entered, so the walk stays inside the item and ends even where links form cycles.
    std::vector<std::string> pending{top};
    for (std::size_t next = 0; next < pending.size(); ++next) {
        const std::string folder = pending[next];
        const bool isTop = next == 0;
        auto entries = fs::readFolder(folder);
        if (!entries) {
            logFailure(kPathFileAccessError, QStringLiteral("getDirInfo: DIR=") + path);
            record = DirInfo{};
            return false;
        }
        for (const fs::Entry& entry : *entries) {
            bool counted = true;
            if (entry.kind == fs::Kind::Directory) {
                ++record.subDirs;
                if (isTop) {
                    ++record.dirs;
                }
                pending.push_back(folder + (folder.ends_with('/') ? "" : "/") + entry.name);
            } else {
                // Files, links and other entries count as files; links and specials with no
                // length of their own.
                const auto size = static_cast<qint64>(entry.size);
                ++record.subFiles;
                counted = addTo(record.subSize, size);
                if (isTop) {
                    ++record.files;
                    counted = counted && addTo(record.size, size);
                }
            }
            if (!counted) {
                logFailure(kOverflow, QStringLiteral("getDirInfo: DIR=") + path);
                record = DirInfo{};
                return false;
            }
            if (yield) {
                yield();
            }
        }
        if (yield && next + 1 < pending.size()) {
            yield();
        }
    }
    return true;
}

QString getHtmlTitle(const QString& path, int readSize) {
    static const QStringList kWebEndings{
        QStringLiteral("tml"), QStringLiteral("htm"), QStringLiteral("txt"), QStringLiteral("php"),
        QStringLiteral("cgi"), QStringLiteral("asp"), QStringLiteral("xml")};
    if (!kWebEndings.contains(path.right(3).toLower()) || readSize <= 0) {
        return QString();
    }
    // Regular files only: a FIFO or device named like a page is never opened.
    auto file = fs::ReadFile::open(platform::nativePath(path));
    if (!file) {
        return QString();
    }
    std::string bytes(static_cast<std::size_t>(readSize), '\0');
    const auto got = file->readAt(0, bytes.data(), bytes.size());
    if (!got) {
        return QString();
    }
    bytes.resize(*got);
    // One character per byte, as the Windows code page reads them.
    const QString text = QString::fromStdU16String(platform::win1252::decode(bytes));
    const qsizetype open = text.indexOf(QStringLiteral("<TITLE>"), 0, Qt::CaseInsensitive);
    const qsizetype close = text.indexOf(QStringLiteral("</TITLE>"), 0, Qt::CaseInsensitive);
    if (open < 0 || close < 0) {
        return QString();
    }
    const qsizetype start = open + 7;
    if (close < start) {
        return QString();
    }
    QString title = text.mid(start, close - start);
    title.replace(u'\t', u' ');
    title.remove(u'\n');
    title.remove(u'\r');
    return title;
}

}  // namespace engine
