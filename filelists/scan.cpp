#include "filelists/scan.h"

#include <limits.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <optional>
#include <set>
#include <unordered_set>

#include "engine/log.h"
#include "platform/filesystem.h"
#include "platform/folderhandle.h"
#include "platform/folderlist.h"
#include "platform/messages.h"
#include "platform/programfolder.h"

namespace filelists {

namespace {

namespace fs = platform::fs;

// The paths of a tree share long beginnings, equal to the letter, and letters equal as they
// stand are equal with case ignored too: folderOrderLess compares only the rest from the first
// difference (from the whole character when the difference falls inside a surrogate pair).
// Comparing the whole of each path made reading a deep tree grow with the square of its depth.
qsizetype sameBeginning(const QString& a, const QString& b) {
    const qsizetype shorter = std::min(a.size(), b.size());
    const ushort* x = a.utf16();
    const ushort* y = b.utf16();
    qsizetype i = 0;
    // Four UTF-16 units at a time.
    for (; i + 4 <= shorter; i += 4) {
        std::uint64_t wordA = 0;
        std::uint64_t wordB = 0;
        std::memcpy(&wordA, x + i, sizeof wordA);
        std::memcpy(&wordB, y + i, sizeof wordB);
        if (wordA != wordB) {
            break;
        }
    }
    while (i < shorter && x[i] == y[i]) {
        ++i;
    }
    if (i > 0 && QChar::isHighSurrogate(x[i - 1])) {
        --i;
    }
    return i;
}

// Files of one folder are taken in the order of folderOrderLess too.
struct FolderOrder {
    bool operator()(const QString& a, const QString& b) const { return folderOrderLess(a, b); }
};

// The identity of a folder on disk. Links are never entered, but a folder can still be reached
// twice (a bind mount of a folder above it); it is read once, so the walk always ends.
struct FolderId {
    dev_t device;
    ino_t inode;
    bool operator==(const FolderId&) const = default;
};
struct FolderIdHash {
    std::size_t operator()(const FolderId& id) const {
        return std::hash<std::uint64_t>()(static_cast<std::uint64_t>(id.device) * 1000003u ^
                                          static_cast<std::uint64_t>(id.inode));
    }
};

class Scan {
public:
    Scan(const ScanOptions& options, const ScanHooks& hooks) : options_(options), hooks_(hooks) {
        mask_ =
            (options.processHidden ? fs::Hidden : 0u) | (options.processSystem ? fs::System : 0u);
        filePattern_ = options.usePatternForFiles ? options.pattern : QString();
        dirPattern_ = options.usePatternForDirs ? options.pattern : QString();
    }

    ScanResult run() {
        ScanResult result;
        result.outcome = walk();
        if (result.outcome == ScanOutcome::Completed) {
            result.files = std::move(files_);
            result.dirs = QStringList(dirs_.begin(), dirs_.end());
        } else {
            result.reason = reason_;
        }
        return result;
    }

private:
    ScanOutcome walk() {
        const QString& top = options_.folder;
        enter(top, true);
        if (const ScanOutcome step = readFiles(top); step != ScanOutcome::Completed) {
            return step;
        }
        progress();
        if (const ScanOutcome step = readFolders(top); step != ScanOutcome::Completed) {
            return step;
        }
        if (!options_.subfolders) {
            return ScanOutcome::Completed;
        }
        progress();
        // The sorted folder list is its own work queue: every folder found below the one
        // being read sorts after it, so the walk meets each exactly once, in the final order.
        for (auto it = dirs_.begin(); it != dirs_.end(); ++it) {
            const QString folder = *it + QLatin1Char('/');
            if (!enter(folder, false)) {
                continue;
            }
            // A sub-folder that cannot be read (no permission, a path too long for the system,
            // no file handles left) is passed over with its line in the error log; the rest of
            // the tree is read. Only the chosen folder itself failing fails the read.
            if (!listing(folder)) {
                engine::logFailure(engine::kPathFileAccessError,
                                   QStringLiteral("readDirectoryStructure: ") + folder +
                                       QStringLiteral(" (") +
                                       QString::fromStdString(listingError_) + QLatin1Char(')'));
                continue;
            }
            if (const ScanOutcome step = readFiles(folder); step != ScanOutcome::Completed) {
                return step;
            }
            progress();
            if (const ScanOutcome step = readFolders(folder); step != ScanOutcome::Completed) {
                return step;
            }
        }
        progress();
        return ScanOutcome::Completed;
    }

    // Every entry of `folder` that the attribute mask lets through, folders included. Files
    // and folders of one folder come from one listing, read once, through the folder's handle
    // when it could be opened (by its path otherwise, which also gives the reason it fails).
    const QList<platform::FolderEntry>* listing(const QString& folder) {
        if (listedFolder_ != folder || !listed_) {
            const std::uint32_t mask = mask_ | fs::Directory;
            // A file's read-only bit, the one thing a read of kinds leaves out, matters only
            // when write-protected files are kept out.
            const fs::FolderDetail detail =
                options_.processWriteProtected ? fs::FolderDetail::Kinds : fs::FolderDetail::Full;
            auto entries =
                !branch_.empty() && branch_.back().path == folder
                    ? platform::listFolderAt(branch_.back().handle.fd(), branch_.back().native,
                                             QString(), mask, detail)
                    : platform::listFolder(folder, QString(), mask, detail);
            listedFolder_ = folder;
            listed_ = entries.ok();
            listing_ = entries.ok() ? std::move(entries.value()) : QList<platform::FolderEntry>();
            listingError_ = entries.reason();
        }
        return listed_ ? &listing_ : nullptr;
    }

    ScanOutcome readFiles(const QString& folder) {
        const QList<platform::FolderEntry>* entries = listing(folder);
        if (!entries) {
            return failed(folder, listingError_);
        }
        // The files of a folder in name order, as the file systems the program was made for
        // hand them out, rather than in the hashed order of a Linux folder: the tree shows
        // them in this order, and so does every walk of the work list.
        // Sorted by folded keys made once: folding case inside every comparison made the sort
        // the larger part of reading a big folder.
        struct Keyed {
            QString folded;
            const platform::FolderEntry* entry;
        };
        std::vector<Keyed> found;
        found.reserve(static_cast<std::size_t>(entries->size()));
        for (const platform::FolderEntry& entry : *entries) {
            if (!entry.isDirectory() && platform::wildcardMatch(filePattern_, entry.name)) {
                found.push_back({entry.name.toCaseFolded(), &entry});
            }
        }
        std::sort(found.begin(), found.end(), [](const Keyed& a, const Keyed& b) {
            const int folded = QString::compare(a.folded, b.folded, Qt::CaseSensitive);
            return folded != 0 ? folded < 0 : a.entry->name < b.entry->name;
        });
        for (const Keyed& keyed : found) {
            const platform::FolderEntry& entry = *keyed.entry;
            if (cancelled()) {
                return ScanOutcome::Cancelled;
            }
            if (!passesReadOnlyRule(entry)) {
                continue;
            }
            if (files_.size() >= options_.limit) {
                return ScanOutcome::TooMany;
            }
            files_.append(folder + entry.name);
        }
        return cancelled() ? ScanOutcome::Cancelled : ScanOutcome::Completed;
    }

    ScanOutcome readFolders(const QString& folder) {
        const QList<platform::FolderEntry>* entries = listing(folder);
        if (!entries) {
            return failed(folder, listingError_);
        }
        for (const platform::FolderEntry& entry : *entries) {
            if (cancelled()) {
                return ScanOutcome::Cancelled;
            }
            if (!entry.isDirectory() || !platform::wildcardMatch(dirPattern_, entry.name) ||
                !passesReadOnlyRule(entry)) {
                continue;
            }
            if (static_cast<qsizetype>(dirs_.size()) >= options_.limit) {
                return ScanOutcome::TooMany;
            }
            dirs_.insert(folder + entry.name);
        }
        return cancelled() ? ScanOutcome::Cancelled : ScanOutcome::Completed;
    }

    bool passesReadOnlyRule(const platform::FolderEntry& entry) const {
        return options_.processWriteProtected || (entry.attributes & fs::ReadOnly) == 0;
    }

    // Opens the folder and records it as read; false when it was read before under another
    // path, or when a sub-folder has become a symbolic link since its folder was listed (its
    // line is in the error log): what it points to lies outside the chosen folder. The chosen
    // folder itself is read wherever a link the user typed leads. A sub-folder is opened inside
    // the open folder above it when that is still open, so reading each level of a deep tree
    // costs the same.
    bool enter(const QString& folder, bool chosen) {
        QString name;
        std::string native = chosen ? startBranch(folder) : extendBranch(folder, name);
        if (native.size() >= PATH_MAX) {
            // Its items could not be named by any path: the listing by path reports it.
            branch_.clear();
            return true;
        }
        bool isLink = false;
        std::optional<fs::FolderHandle> handle =
            chosen ? openChosen(native) : openBelow(native, name, isLink);
        if (isLink) {
            engine::logFailure(engine::kPathFileAccessError,
                               QStringLiteral("readDirectoryStructure: ") + folder +
                                   QStringLiteral(" (it is a symbolic link now, not a "
                                                  "folder; it was not entered)"));
            return false;
        }
        if (!handle) {
            return true;  // the listing that follows, by the path, reports the failure
        }
        return remember(folder, std::move(native), std::move(*handle));
    }

    // The chosen folder's path as bytes; the branch starts again from it.
    std::string startBranch(const QString& folder) {
        branch_.clear();
        return platform::nativePath(folder);
    }

    // A sub-folder's path as bytes: below an open folder it is that folder's, extended, so a
    // deep level does not encode the whole path again. The branch keeps only the folders above
    // it; `name` receives its last level.
    std::string extendBranch(const QString& folder, QString& name) {
        // The folder above: the path up to the "/" before the last level.
        const qsizetype cut = folder.lastIndexOf(u'/', folder.size() - 2);
        const QStringView parent = QStringView(folder).first(cut + 1);
        while (!branch_.empty() && branch_.back().path != parent) {
            branch_.pop_back();
        }
        name = folder.mid(cut + 1, folder.size() - cut - 2);
        return branch_.empty() ? platform::nativePath(folder)
                               : branch_.back().native + platform::nativePath(name) + '/';
    }

    static std::optional<fs::FolderHandle> openChosen(const std::string& native) {
        std::optional<fs::FolderHandle> handle;
        if (auto opened = fs::openToList(native)) {
            handle.emplace(std::move(opened).value());
        }
        return handle;
    }

    // A sub-folder entered from the open folder above it (opened by its path when the branch
    // holds none), never through a link: `isLink` tells when the level has become one.
    std::optional<fs::FolderHandle> openBelow(const std::string& native, const QString& name,
                                              bool& isLink) {
        std::optional<fs::FolderHandle> parentHandle;
        if (branch_.empty()) {
            const std::string parent = native.substr(0, native.rfind('/', native.size() - 2) + 1);
            if (auto opened = fs::openToList(parent)) {
                parentHandle.emplace(std::move(opened).value());
            }
        }
        const fs::FolderHandle* above = parentHandle      ? &*parentHandle
                                        : branch_.empty() ? nullptr
                                                          : &branch_.back().handle;
        std::optional<fs::FolderHandle> handle;
        if (above != nullptr) {
            fs::Descent entered = fs::enterToList(*above, platform::nativePath(name));
            isLink = entered.stop == fs::LevelStop::Link;
            if (entered.folder) {
                handle.emplace(std::move(*entered.folder));
            }
        }
        return handle;
    }

    // Records the folder as read and keeps it open for the levels below; false when it was
    // read before under another path.
    bool remember(const QString& folder, std::string native, fs::FolderHandle handle) {
        const fs::FolderId id = handle.id();
        if (!entered_.insert(FolderId{static_cast<dev_t>(id.device), static_cast<ino_t>(id.inode)})
                 .second) {
            return false;
        }
        if (branch_.size() >= kMostOpenFolders) {
            branch_.pop_front();
        }
        branch_.push_back(OpenFolder{folder, std::move(native), std::move(handle)});
        return true;
    }

    bool cancelled() const { return hooks_.cancelRequested && hooks_.cancelRequested(); }

    void progress() const {
        if (hooks_.progress) {
            hooks_.progress(files_.size(), static_cast<qsizetype>(dirs_.size()));
        }
    }

    ScanOutcome failed(const QString& folder, const std::string& why) {
        reason_ = QStringLiteral("cannot read the folder %1: %2")
                      .arg(folder, QString::fromStdString(why));
        return ScanOutcome::Failed;
    }

    // The open folders of the branch being read, each the parent of the next; the oldest are
    // closed first, so a deep tree holds few handles.
    struct OpenFolder {
        QString path;
        std::string native;
        fs::FolderHandle handle;
    };
    static constexpr std::size_t kMostOpenFolders = 32;
    std::deque<OpenFolder> branch_;

    const ScanOptions& options_;
    QString listedFolder_;
    bool listed_ = false;
    QList<platform::FolderEntry> listing_;
    std::string listingError_;
    const ScanHooks& hooks_;
    std::uint32_t mask_ = 0;
    QString filePattern_;
    QString dirPattern_;
    QStringList files_;
    std::set<QString, FolderOrder> dirs_;
    std::unordered_set<FolderId, FolderIdHash> entered_;
    QString reason_;
};

}  // namespace

ScanResult scanFolder(const ScanOptions& options, const ScanHooks& hooks) {
    return Scan(options, hooks).run();
}

bool isProtectedSystemFolder(const QString& folder) {
    if (folder == QLatin1String("/")) {
        return true;
    }
    static const char* const kProtected[] = {"/bin/",   "/boot/", "/dev/",  "/etc/", "/lib/",
                                             "/lib64/", "/proc/", "/sbin/", "/sys/", "/usr/"};
    for (const char* prefix : kProtected) {
        if (folder.startsWith(QLatin1String(prefix))) {
            return true;
        }
    }
    return false;
}

QString scanFailureText(ScanOutcome outcome) {
    switch (outcome) {
        case ScanOutcome::TooMany:
            return QStringLiteral("Error: too many files!");
        case ScanOutcome::Cancelled:
            return QStringLiteral("User Cancelled!");
        case ScanOutcome::Failed:
            return QStringLiteral("Error reading directory structure!");
        case ScanOutcome::Completed:
            break;
    }
    return QString();
}

void showTooManyFilesMessage() {
    platform::messages().showMessage(
        QStringLiteral("Error: Too many files!\n\nQuenza Renamer can only handle 32768 files at "
                       "once.\nPlease limit number of files by selecting a more specified path."),
        QStringLiteral("Error!"), platform::MessageIcon::Critical, platform::MessageButtons::Ok);
}

bool folderOrderLess(const QString& a, const QString& b) {
    const qsizetype same = sameBeginning(a, b);
    const QStringView restA = QStringView(a).sliced(same);
    const QStringView restB = QStringView(b).sliced(same);
    const int folded = restA.compare(restB, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : restA.compare(restB, Qt::CaseSensitive) < 0;
}

}  // namespace filelists
