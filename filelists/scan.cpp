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
#include "platform/pathcodec.h"
#include "platform/programfolder.h"

namespace filelists {

namespace {

namespace fs = platform::fs;

// How many units two texts of at least `length` units share from their start, looked at four
// units at a time while they agree.
std::size_t sameUnits(const char16_t* a, const char16_t* b, std::size_t length) {
    std::size_t i = 0;
    for (; i + 4 <= length; i += 4) {
        std::uint64_t wordA = 0;
        std::uint64_t wordB = 0;
        std::memcpy(&wordA, a + i, sizeof wordA);
        std::memcpy(&wordB, b + i, sizeof wordB);
        if (wordA != wordB) {
            break;
        }
    }
    while (i < length && a[i] == b[i]) {
        ++i;
    }
    return i;
}

// The paths of a tree share long beginnings, equal to the letter, and letters equal as they
// stand are equal with case ignored too: folderOrderLess compares only the rest from the first
// difference (from the whole character when the difference falls inside a surrogate pair).
// Comparing the whole of each path made reading a deep tree grow with the square of its depth.
qsizetype sameBeginning(const QString& a, const QString& b) {
    const auto* x = reinterpret_cast<const char16_t*>(a.utf16());
    const auto* y = reinterpret_cast<const char16_t*>(b.utf16());
    auto i = static_cast<qsizetype>(
        sameUnits(x, y, static_cast<std::size_t>(std::min(a.size(), b.size()))));
    if (i > 0 && QChar::isHighSurrogate(x[i - 1])) {
        --i;
    }
    return i;
}

// Two texts compared unit by unit (UTF-16 code units as numbers, a text before the longer
// texts it begins), as QString::compare with letter case heeded.
int compareUnits(const char16_t* a, std::size_t aLength, const char16_t* b, std::size_t bLength) {
    const std::size_t shorter = std::min(aLength, bLength);
    const std::size_t same = sameUnits(a, b, shorter);
    if (same < shorter) {
        return a[same] < b[same] ? -1 : 1;
    }
    return aLength < bLength ? -1 : (aLength > bLength ? 1 : 0);
}

// The four units of a text from `from` on as one number that orders as compareUnits does: the
// first unit highest, a unit past the end as 0, which no name holds (a name is never cut by a
// NUL).
std::uint64_t headOf(const char16_t* text, std::size_t length, std::size_t from) {
    std::uint64_t head = 0;
    for (std::size_t i = from; i < from + 4; ++i) {
        head = (head << 16) | (i < length ? text[i] : 0U);
    }
    return head;
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

// An entry of a folder's listing: its attributes and where its name stands in the text that
// holds the listing's names.
struct Listed {
    std::uint32_t attributes;
    std::size_t at;
    std::size_t length;
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
    // The names are decoded once into one text, back to back: a path is then made from its
    // folder and its name with one allocation, and no name is held as text of its own.
    bool listing(const QString& folder) {
        if (listedFolder_ != folder || !listed_) {
            // A file's read-only bit, the one thing a read of kinds leaves out, matters only
            // when write-protected files are kept out.
            const fs::FolderDetail detail =
                options_.processWriteProtected ? fs::FolderDetail::Kinds : fs::FolderDetail::Full;
            auto entries =
                !branch_.empty() && branch_.back().path == folder
                    ? fs::readFolderAt(branch_.back().handle.fd(), branch_.back().native, detail)
                    : fs::readFolder(platform::nativePath(folder), detail);
            listedFolder_ = folder;
            listed_ = entries.ok();
            listingError_ = entries.reason();
            listing_.clear();
            names_.clear();
            if (listed_) {
                keepListed(entries.value());
            }
        }
        return listed_;
    }

    void keepListed(const std::vector<fs::Entry>& entries) {
        const std::uint32_t mask = mask_ | fs::Directory;
        std::size_t bytes = 0;
        for (const fs::Entry& entry : entries) {
            bytes += entry.name.size();
        }
        // No name decodes to more units than it has bytes.
        names_.resize(bytes);
        std::size_t at = 0;
        listing_.reserve(entries.size());
        for (const fs::Entry& entry : entries) {
            if (!platform::passesAttributeMask(entry.attributes, mask)) {
                continue;
            }
            const std::size_t length =
                platform::decodePathBytesInto(entry.name, names_.data() + at);
            listing_.push_back(Listed{entry.attributes, at, length});
            at += length;
        }
        names_.resize(at);
    }

    QStringView nameOf(const Listed& entry) const {
        return QStringView(names_.data() + entry.at, static_cast<qsizetype>(entry.length));
    }

    // The folder's path and a name, in one allocation.
    static QString joined(const QString& folder, QStringView name) {
        QString path(folder.size() + name.size(), Qt::Uninitialized);
        QChar* out = path.data();
        std::copy(folder.cbegin(), folder.cend(), out);
        std::copy(name.cbegin(), name.cend(), out + folder.size());
        return path;
    }

    ScanOutcome readFiles(const QString& folder) {
        if (!listing(folder)) {
            return failed(folder, listingError_);
        }
        // The files of a folder in name order, as the file systems the program was made for
        // hand them out, rather than in the hashed order of a Linux folder: the tree shows
        // them in this order, and so does every walk of the work list.
        for (const Listed& entry : filesInNameOrder()) {
            if (cancelled()) {
                return ScanOutcome::Cancelled;
            }
            if (!passesReadOnlyRule(entry.attributes)) {
                continue;
            }
            if (files_.size() >= options_.limit) {
                return ScanOutcome::TooMany;
            }
            files_.append(joined(folder, nameOf(entry)));
        }
        return cancelled() ? ScanOutcome::Cancelled : ScanOutcome::Completed;
    }

    // The entries of the listing of the files the pattern lets through, ordered by their
    // names with letter case folded (QString::toCaseFolded), compared unit by unit, and names
    // equal so by the names as they stand. The folded names are made once, back to back in
    // one buffer; an ASCII name (nearly every one) is folded here without asking Qt. The
    // beginning every key of the folder shares is passed over, and the next eight units of a
    // key, held as two numbers, settle most comparisons without reading the buffer.
    std::vector<Listed> filesInNameOrder() {
        struct Keyed {
            std::uint64_t head;
            std::uint64_t next;
            std::size_t at;
            std::uint32_t length;
            std::uint32_t position;
        };
        std::vector<Keyed> found;
        found.reserve(listing_.size());
        keys_.clear();
        keys_.reserve(names_.size());
        for (std::size_t i = 0; i < listing_.size(); ++i) {
            const Listed& entry = listing_[i];
            const QStringView name = nameOf(entry);
            if ((entry.attributes & fs::Directory) != 0 ||
                !platform::wildcardMatch(filePattern_, name)) {
                continue;
            }
            const std::size_t at = keys_.size();
            appendFolded(name);
            found.push_back(Keyed{0, 0, at, static_cast<std::uint32_t>(keys_.size() - at),
                                  static_cast<std::uint32_t>(i)});
        }
        if (found.empty()) {
            return {};
        }
        const char16_t* keys = keys_.data();
        std::size_t shared = found.front().length;
        for (const Keyed& keyed : found) {
            shared = std::min(shared, sameUnits(keys + found.front().at, keys + keyed.at,
                                                std::min<std::size_t>(shared, keyed.length)));
        }
        for (Keyed& keyed : found) {
            keyed.head = headOf(keys + keyed.at, keyed.length, shared);
            keyed.next = headOf(keys + keyed.at, keyed.length, shared + 4);
        }
        // Keys whose eight units agree are equal there, and either both go on or both end.
        const std::size_t read = shared + 8;
        std::sort(found.begin(), found.end(), [&](const Keyed& a, const Keyed& b) {
            if (a.head != b.head) {
                return a.head < b.head;
            }
            if (a.next != b.next) {
                return a.next < b.next;
            }
            const std::size_t fromA = std::min<std::size_t>(read, a.length);
            const std::size_t fromB = std::min<std::size_t>(read, b.length);
            const int folded = compareUnits(keys + a.at + fromA, a.length - fromA,
                                            keys + b.at + fromB, b.length - fromB);
            if (folded != 0) {
                return folded < 0;
            }
            const QStringView nameA = nameOf(listing_[a.position]);
            const QStringView nameB = nameOf(listing_[b.position]);
            return compareUnits(nameA.utf16(), static_cast<std::size_t>(nameA.size()),
                                nameB.utf16(), static_cast<std::size_t>(nameB.size())) < 0;
        });
        // The entries themselves in their order: each one's look-up no longer waits for the one
        // before, and the paths are then made from the names without another one.
        std::vector<Listed> order;
        order.reserve(found.size());
        for (const Keyed& keyed : found) {
            order.push_back(listing_[keyed.position]);
        }
        return order;
    }

    void appendFolded(QStringView name) {
        const bool ascii =
            std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x80; });
        if (!ascii) {
            const QString folded = name.toString().toCaseFolded();
            keys_.append(reinterpret_cast<const char16_t*>(folded.utf16()),
                         static_cast<std::size_t>(folded.size()));
            return;
        }
        for (const QChar c : name) {
            const char16_t unit = c.unicode();
            keys_.push_back(unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit);
        }
    }

    ScanOutcome readFolders(const QString& folder) {
        if (!listing(folder)) {
            return failed(folder, listingError_);
        }
        for (const Listed& entry : listing_) {
            if (cancelled()) {
                return ScanOutcome::Cancelled;
            }
            if ((entry.attributes & fs::Directory) == 0 ||
                !platform::wildcardMatch(dirPattern_, nameOf(entry)) ||
                !passesReadOnlyRule(entry.attributes)) {
                continue;
            }
            if (static_cast<qsizetype>(dirs_.size()) >= options_.limit) {
                return ScanOutcome::TooMany;
            }
            dirs_.insert(joined(folder, nameOf(entry)));
        }
        return cancelled() ? ScanOutcome::Cancelled : ScanOutcome::Completed;
    }

    bool passesReadOnlyRule(std::uint32_t attributes) const {
        return options_.processWriteProtected || (attributes & fs::ReadOnly) == 0;
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
    std::vector<Listed> listing_;
    std::u16string names_;
    std::u16string keys_;
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
