// The directory tokens of the naming pattern (counts and bytes of a directory item, directly
// and in its whole subtree) and the HTML title token.
#pragma once

#include <QString>

#include <functional>

namespace engine {

// One directory's counts, filled by getDirInfo; one record serves one expansion of a pattern.
// The subtree counts include the direct ones; the directory itself is not counted.
struct DirInfo {
    QString path;  // the directory counted; empty: nothing valid
    qint64 files = 0;
    qint64 dirs = 0;
    qint64 size = 0;
    qint64 subFiles = 0;
    qint64 subDirs = 0;
    qint64 subSize = 0;
};

// True when `path` is an existing directory and its counts are in `record` (a record that
// already holds `path` answers at once); false for a file, a missing item or a failed count
// (logged; the record is left without a path). Linked directories are never entered. `yield`
// (may be empty) is called after every entry and every directory.
bool getDirInfo(const QString& path, DirInfo& record, const std::function<void()>& yield);

// The title of a web page or text file (names ending in tml, htm, txt, php, cgi, asp, xml),
// from its first `readSize` bytes; "" when there is none or the file cannot be read.
QString getHtmlTitle(const QString& path, int readSize);

}  // namespace engine
