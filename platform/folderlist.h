// Listing one folder by wildcard and attribute mask, the way the scans ask for entries.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <string>

#include "platform/filesystem.h"
#include "platform/result.h"

namespace platform {

// "*" matches any run of characters, "?" exactly one; letters compare without regard to case.
// The empty pattern and "*.*" match every name (also names without a dot); a pattern ending
// in "." ("*.", "read?.") matches names without any dot only.
bool wildcardMatch(const QString& pattern, QStringView name);

struct FolderEntry {
    QString name;
    std::uint32_t attributes = 0;  // DOS bits, fs::Directory included for folders
    std::uint64_t size = 0;
    bool isDirectory() const { return (attributes & fs::Directory) != 0; }
};

// The folder exists and its entries can be read. An empty folder counts: on Windows listing
// "*.*" always finds "." and "..", here those never appear, so emptiness proves nothing.
bool canListFolder(const QString& folder);

// Whether an entry with these attributes carries none of the Hidden, System and Directory bits
// outside `attributeMask`: the attribute rule of listFolder.
bool passesAttributeMask(std::uint32_t attributes, std::uint32_t attributeMask);

// The entries of `folder` whose names match `pattern` and that carry none of the Hidden,
// System and Directory bits outside `attributeMask` (so folders need Directory in the mask,
// and a hidden system file needs both). Read-only and archive never exclude. "." and ".."
// never appear. The order is the file system's. With fs::FolderDetail::Kinds the sizes are 0
// and a file's ReadOnly bit is not read (clear).
Result<QList<FolderEntry>> listFolder(const QString& folder, const QString& pattern,
                                      std::uint32_t attributeMask,
                                      fs::FolderDetail detail = fs::FolderDetail::Full);
// The same for a folder already open (a directory handle) whose path, as bytes, is `folder`.
Result<QList<FolderEntry>> listFolderAt(int folderFd, const std::string& folder,
                                        const QString& pattern, std::uint32_t attributeMask,
                                        fs::FolderDetail detail = fs::FolderDetail::Full);

// A path as Qt's own dialogs hand it out, in the form of every other path here. Qt reads a name
// that is not UTF-8 with U+FFFD in place of its stray bytes, and that text names no file. Each
// level holding U+FFFD is looked up among the entries of its folder and replaced by the one
// entry that Qt reads the same way; a level that no entry matches (a new file's name) stays as
// written. Fails when two entries of a folder read the same, as "caf\xE9" and "caf\uFFFD" do.
Result<QString> pathFromQtFileName(const QString& path);

}  // namespace platform
