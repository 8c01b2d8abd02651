#include "filelists/scan.h"

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <unordered_set>

#include "engine/log.h"
#include "platform/filesystem.h"
#include "platform/folderlist.h"
#include "platform/messages.h"
#include "platform/programfolder.h"

namespace filelists {

namespace {

namespace fs = platform::fs;

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
    // and folders of one folder come from one listing, read once.
    const QList<platform::FolderEntry>* listing(const QString& folder) {
        if (listedFolder_ != folder || !listed_) {
            auto entries = platform::listFolder(folder, QString(), mask_ | fs::Directory);
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

    // Records the folder as read; false when it was read before under another path, or when a
    // sub-folder has become a symbolic link since its folder was listed (its line is in the
    // error log): what it points to lies outside the chosen folder. The chosen folder itself
    // is read wherever a link the user typed leads.
    bool enter(const QString& folder, bool chosen) {
        const std::string native = platform::nativePath(folder);
        struct stat info {};
        if (!chosen) {
            std::string entry = native;
            entry.pop_back();  // the link itself, not the folder a final "/" would lead to
            if (::lstat(entry.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
                engine::logFailure(engine::kPathFileAccessError,
                                   QStringLiteral("readDirectoryStructure: ") + folder +
                                       QStringLiteral(" (it is a symbolic link now, not a "
                                                      "folder; it was not entered)"));
                return false;
            }
        }
        if (::stat(native.c_str(), &info) != 0) {
            return true;  // the listing that follows reports the failure
        }
        return entered_.insert(FolderId{info.st_dev, info.st_ino}).second;
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
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
}

}  // namespace filelists
