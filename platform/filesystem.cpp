#include "platform/filesystem.h"

#include "platform/stretches.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/dosattrib.h"
#include "platform/errortext.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace platform::fs {

namespace {

constexpr std::uint32_t kStoredBits = Hidden | System | Archive;
constexpr std::uint32_t kSettableBits = ReadOnly | Hidden | System | Archive;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
// Big enough for every layout Samba writes; a longer value is none we could understand.
constexpr std::size_t kXattrBuffer = 1024;
// readWholeFile is meant for settings and lists; refuse what would only exhaust memory.
constexpr std::uint64_t kWholeFileLimit = std::uint64_t{1} << 30;

// A path holding NUL would be cut short by the system call and name another file.
bool hasNul(const std::string& path) {
    return path.find('\0') != std::string::npos;
}

Status nulFailure(const std::string& path) {
    return Status::failure("the path beginning " + quoted(path.c_str()) +
                           " holds a NUL character, which no file name may contain");
}

Kind kindFromMode(mode_t mode) {
    if (S_ISREG(mode)) {
        return Kind::File;
    }
    if (S_ISDIR(mode)) {
        return Kind::Directory;
    }
    return Kind::Other;
}

// The name that decides "hidden by name": the last component, ignoring trailing slashes.
std::string_view lastName(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    return baseName(path);
}

bool isDotName(std::string_view name) {
    return !name.empty() && name[0] == '.' && name != "." && name != "..";
}

// The stored value of user.DOSATTRIB, if any. A file system without extended attributes
// reads as "no value" with supported == false.
struct StoredValue {
    std::string blob;
    bool present = false;
    bool supported = true;
    int error = 0;  // set when the value could not be read for another reason
};

// The entry's own value: a link that took the entry's place since it was examined is not read
// through (Linux keeps no user attributes on a link, so it reads as "no value").
StoredValue readStored(const char* path) {
    StoredValue result;
    char buffer[kXattrBuffer];
    const ssize_t length = lgetxattr(path, kDosAttributeName, buffer, sizeof buffer);
    if (length >= 0) {
        result.blob.assign(buffer, static_cast<std::size_t>(length));
        result.present = true;
    } else if (errno == ENOTSUP) {
        result.supported = false;
    } else if (errno == ERANGE) {
        // Larger than any value Samba writes: present, but not one we understand.
        result.present = true;
    } else if (errno != ENODATA) {
        result.error = errno;
    }
    return result;
}

// chmod of the entry itself. glibc answers EOPNOTSUPP for a link, and for everything where
// /proc is not mounted; only then, and only for what is not a link, is plain chmod the way.
int changeMode(const char* path, mode_t mode) {
    if (fchmodat(AT_FDCWD, path, mode, AT_SYMLINK_NOFOLLOW) == 0) {
        return 0;
    }
    const int error = errno;
    if (error != EOPNOTSUPP) {
        return error;
    }
    struct stat st {};
    if (lstat(path, &st) != 0) {
        return errno;
    }
    if (S_ISLNK(st.st_mode)) {
        return error;
    }
    return chmod(path, mode) == 0 ? 0 : errno;
}

Status linkFailure(const std::string& path) {
    return Status::failure("Linux cannot change the attributes of a symbolic link (" +
                           quoted(path) + "); the link and its target were left as they are");
}

// A permission change that failed; EOPNOTSUPP means a link took the entry's place meanwhile.
Status modeFailure(const std::string& path, const char* wanted, int error) {
    if (error == EOPNOTSUPP) {
        return linkFailure(path);
    }
    return systemFailure("cannot make " + quoted(path) + wanted, error);
}

Status cannotStoreFailure(const std::string& path) {
    return Status::failure(
        "this file system cannot store the hidden, system and archive attributes (" + quoted(path) +
        ")");
}

std::uint32_t storedBits(const StoredValue& stored) {
    if (!stored.present) {
        return 0;
    }
    return dosattrib::decode(stored.blob).value_or(0);
}

std::uint32_t attributesFrom(const struct stat& st, std::string_view name, std::uint32_t stored) {
    std::uint32_t result = stored & kStoredBits;
    if (isDotName(name)) {
        result |= Hidden;
    }
    if (S_ISDIR(st.st_mode)) {
        result |= Directory;
        result |= stored & ReadOnly;
    } else if ((st.st_mode & kWriteBits) == 0) {
        result |= ReadOnly;
    }
    return result;
}

int statxTimes(const char* path, struct statx& out) {
    if (statx(AT_FDCWD, path, AT_STATX_SYNC_AS_STAT | AT_SYMLINK_NOFOLLOW,
              STATX_ATIME | STATX_MTIME | STATX_BTIME, &out) == 0) {
        return 0;
    }
    return errno;
}

struct timespec fromStatx(const struct statx_timestamp& t) {
    struct timespec result {};
    result.tv_sec = t.tv_sec;
    result.tv_nsec = t.tv_nsec;
    return result;
}

// One rename step that never replaces anything: 0 or an errno value (EEXIST when something is
// in the way). Names are taken inside the folder handles (AT_FDCWD: the current folder).
int renameStep(int fromFolder, const std::string& from, int toFolder, const std::string& to) {
    if (syscall(SYS_renameat2, fromFolder, from.c_str(), toFolder, to.c_str(), RENAME_NOREPLACE) ==
        0) {
        return 0;
    }
    const int error = errno;
    if (error != EINVAL && error != ENOSYS && error != ENOTSUP) {
        return error;
    }

    // The file system does not take the flag (some network and FUSE file systems).
    struct stat source {};
    if (fstatat(fromFolder, from.c_str(), &source, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno;
    }
    if (!S_ISDIR(source.st_mode)) {
        // A second link fails atomically when the new name exists.
        if (linkat(fromFolder, from.c_str(), toFolder, to.c_str(), 0) == 0) {
            if (unlinkat(fromFolder, from.c_str(), 0) == 0) {
                return 0;
            }
            const int unlinkError = errno;
            unlinkat(toFolder, to.c_str(), 0);
            return unlinkError;
        }
        const int linkError = errno;
        if (linkError != EPERM && linkError != ENOTSUP && linkError != EMLINK &&
            linkError != ENOSYS) {
            return linkError;
        }
        // No hard links here either: fall through to the checked rename.
    }
    // Folders cannot be linked. Check that the new name is free, then rename: another program
    // creating that name in between would be replaced (an empty folder only, for a folder),
    // which is the best these file systems allow.
    struct stat target {};
    if (fstatat(toFolder, to.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0) {
        return EEXIST;
    }
    if (errno != ENOENT) {
        return errno;
    }
    if (renameat(fromFolder, from.c_str(), toFolder, to.c_str()) != 0) {
        return errno;
    }
    return 0;
}

bool sameObject(int firstFolder, const std::string& a, int secondFolder, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return fstatat(firstFolder, a.c_str(), &first, AT_SYMLINK_NOFOLLOW) == 0 &&
           fstatat(secondFolder, b.c_str(), &second, AT_SYMLINK_NOFOLLOW) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::string folderPart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A change of case on a case-insensitive file system: the new name "exists" because it is the
// old one. Going through a temporary name changes the case without replacing anything.
Status renameThroughTemporary(int fromFolder, const std::string& from, int toFolder,
                              const std::string& to) {
    static std::atomic<unsigned> counter{0};
    std::string temporary;
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, ".quenza-rename-%ld-%u", static_cast<long>(getpid()),
                      counter.fetch_add(1));
        temporary = folderPart(from) + name;
        error = renameStep(fromFolder, from, fromFolder, temporary);
    }
    if (error != 0) {
        return systemFailure("cannot rename " + quoted(from), error);
    }
    error = renameStep(fromFolder, temporary, toFolder, to);
    if (error == 0) {
        return Status::success();
    }
    const int restoreError = renameStep(fromFolder, temporary, fromFolder, from);
    std::string reason =
        error == EEXIST
            ? "a file or folder named " + quoted(baseName(to)) + " already exists"
            : "cannot rename " + quoted(from) + " to " + quoted(to) + ": " + systemErrorText(error);
    if (restoreError != 0) {
        reason += "; the file was left as " + quoted(temporary);
    }
    return Status::failure(reason);
}

}  // namespace

// Reading the folder ----------------------------------------------------------------------

namespace {

// What examining one listed name found out. Left uninitialised until examined: clearing
// tens of thousands of stat buffers first costs more than the examining threads save.
struct Examined {
    struct stat st;
    std::uint32_t stored;
    int error;  // errno of the lstat; the entry vanished or cannot be examined
};

void examine(int dirFd, const std::string& prefix, const std::string& name, Examined& out,
             std::string& path) {
    out.stored = 0;
    out.error = 0;
    // The entry itself, never what a link points to: a linked folder is an item of this
    // folder, not a folder to read, so no read reaches outside the chosen folder and a link
    // cycle ends at once.
    if (fstatat(dirFd, name.c_str(), &out.st, AT_SYMLINK_NOFOLLOW) != 0) {
        out.error = errno;
        return;
    }
    if (S_ISLNK(out.st.st_mode)) {
        return;
    }
    // One getxattr per entry: the common answer, "no such attribute", is cheap.
    path.assign(prefix).append(name);
    out.stored = storedBits(readStored(path.c_str()));
}

// Examining is two system calls per entry and nearly all of a large folder's read: a folder
// of thousands of entries is examined by a few threads at once, each taking its own stretch,
// so the listing keeps the order the folder gave.
constexpr std::size_t kEntriesPerThread = 2048;
constexpr unsigned kMostThreads = 8;

std::unique_ptr<Examined[]> examineAll(int dirFd, const std::string& prefix,
                                       const std::vector<std::string>& names) {
    auto found = std::make_unique_for_overwrite<Examined[]>(names.size());
    const auto stretch = [&](std::size_t from, std::size_t to) {
        std::string path;
        for (std::size_t i = from; i < to; ++i) {
            examine(dirFd, prefix, names[i], found[i], path);
        }
    };
    forEachStretch(names.size(), kEntriesPerThread, kMostThreads, stretch);
    return found;
}

}  // namespace

Result<std::vector<Entry>> readFolder(const std::string& folder) {
    if (hasNul(folder)) {
        return nulFailure(folder);
    }
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return systemFailure("cannot read the folder " + quoted(folder), errno);
    }
    const int dirFd = dirfd(dir);
    std::string prefix = folder;
    if (prefix.empty() || prefix.back() != '/') {
        prefix += '/';
    }

    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const struct dirent* item = readdir(dir);
        if (item == nullptr) {
            if (errno != 0) {
                const int error = errno;
                closedir(dir);
                return systemFailure("cannot read the folder " + quoted(folder), error);
            }
            break;
        }
        const std::string_view name = item->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }

    const std::unique_ptr<Examined[]> found = examineAll(dirFd, prefix, names);
    closedir(dir);

    std::vector<Entry> entries;
    entries.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const Examined& examined = found[i];
        if (examined.error != 0) {
            // A folder that may be listed but not entered (read without execute permission)
            // names its entries but shows none of them: that is a folder that cannot be read,
            // not an empty one. An entry that vanished meanwhile is left out.
            if (examined.error == EACCES) {
                return systemFailure("cannot read the folder " + quoted(folder), EACCES);
            }
            continue;
        }
        Entry entry;
        entry.name = std::move(names[i]);
        const struct stat& st = examined.st;
        entry.modified = st.st_mtim;
        if (S_ISLNK(st.st_mode)) {
            entry.kind = Kind::Other;
            entry.attributes = isDotName(entry.name) ? std::uint32_t{Hidden} : 0;
        } else {
            entry.kind = kindFromMode(st.st_mode);
            entry.size = entry.kind == Kind::File ? static_cast<std::uint64_t>(st.st_size) : 0;
            entry.attributes = attributesFrom(st, entry.name, examined.stored);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

// What a path is ---------------------------------------------------------------------------

Kind kindOf(const std::string& path) {
    struct stat st {};
    if (hasNul(path) || stat(path.c_str(), &st) != 0) {
        return Kind::Missing;
    }
    return kindFromMode(st.st_mode);
}

bool isSymbolicLink(const std::string& path) {
    struct stat st {};
    return !hasNul(path) && lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool exists(const std::string& path) {
    return kindOf(path) != Kind::Missing;
}
bool isDirectory(const std::string& path) {
    return kindOf(path) == Kind::Directory;
}
bool isFile(const std::string& path) {
    return kindOf(path) == Kind::File;
}

Result<std::uint64_t> fileSize(const std::string& path) {
    if (hasNul(path)) {
        return nulFailure(path);
    }
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        return systemFailure("cannot examine " + quoted(path), errno);
    }
    // Folders, pipes and devices have no content size worth reporting.
    return S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : std::uint64_t{0};
}

// Attributes ------------------------------------------------------------------------------

Result<std::uint32_t> attributes(const std::string& path) {
    if (hasNul(path)) {
        return nulFailure(path);
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        return systemFailure("cannot examine " + quoted(path), errno);
    }
    if (S_ISLNK(st.st_mode)) {
        return isDotName(lastName(path)) ? std::uint32_t{Hidden} : std::uint32_t{0};
    }
    const StoredValue stored = readStored(path.c_str());
    return attributesFrom(st, lastName(path), storedBits(stored));
}

// A name beginning with "." is hidden whatever is stored, so asking for Hidden on such a name
// changes nothing and needs no storage. Asking to clear it removes a stored Hidden bit only:
// the name keeps the file hidden until it is renamed.
Status setAttributes(const std::string& path, std::uint32_t wanted, bool dropStoredValue) {
    if (hasNul(path)) {
        return nulFailure(path);
    }
    wanted &= kSettableBits;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        return systemFailure("cannot examine " + quoted(path), errno);
    }
    if (S_ISLNK(st.st_mode)) {
        return linkFailure(path);
    }
    const bool folder = S_ISDIR(st.st_mode);
    const bool dotName = isDotName(lastName(path));

    // Permission side: files only.
    const mode_t oldMode = st.st_mode & 07777;
    mode_t newMode = oldMode;
    if (!folder) {
        if ((wanted & ReadOnly) != 0) {
            newMode &= ~kWriteBits;
        } else if ((oldMode & kWriteBits) == 0) {
            newMode |= S_IWUSR;
        }
    }

    // Stored side.
    const StoredValue stored = readStored(path.c_str());
    if (stored.error != 0) {
        return systemFailure("cannot read the attributes of " + quoted(path), stored.error);
    }
    // The value holds Hidden, System, Archive and ReadOnly. ReadOnly there is the record for
    // a folder; for a file it only mirrors the permissions, kept in step when a value exists
    // (Samba may read it from there) but never a reason to create one.
    const std::uint32_t valueBits = kStoredBits | ReadOnly;
    const std::uint32_t needsValue = kStoredBits | (folder ? std::uint32_t{ReadOnly} : 0);
    const std::uint32_t oldStored = storedBits(stored) & valueBits;
    std::uint32_t newStored = wanted & valueBits;
    if (dotName && (wanted & Hidden) != 0) {
        newStored = (newStored & ~Hidden) | (oldStored & Hidden);
    }
    const bool storedValid = !stored.present || dosattrib::decode(stored.blob).has_value();
    const bool storeChange =
        stored.present ? !storedValid || oldStored != newStored : (newStored & needsValue) != 0;
    if (storeChange && !stored.supported) {
        return cannotStoreFailure(path);
    }
    // A value a change made where there was none goes again once nothing needs it; one that
    // cannot be read is never dropped.
    const bool dropStored =
        dropStoredValue && stored.present && storedValid && (newStored & needsValue) == 0;
    // An unreadable value is left alone unless there is something to store.
    const bool writeStored =
        !dropStored && storeChange && (storedValid || (newStored & needsValue) != 0);

    // Make the file writable before storing (user extended attributes need write access) and
    // read-only only after.
    const bool gainsWrite = newMode != oldMode && (newMode & kWriteBits) != 0;
    if (gainsWrite) {
        if (const int error = changeMode(path.c_str(), newMode); error != 0) {
            return modeFailure(path, " writable", error);
        }
    }
    if (writeStored || dropStored) {
        // Like Samba, a folder's value also carries Directory.
        const std::uint32_t bits = newStored | (folder ? std::uint32_t{Directory} : 0);
        const std::string blob = dosattrib::encode(bits, storedValid ? stored.blob : std::string());
        const auto store = [&] {
            if (dropStored) {
                const int removed = lremovexattr(path.c_str(), kDosAttributeName);
                return removed != 0 && errno == ENODATA ? 0 : removed;
            }
            return lsetxattr(path.c_str(), kDosAttributeName, blob.data(), blob.size(), 0);
        };
        int result = store();
        if (result != 0 && errno == EACCES && !folder && !gainsWrite &&
            (oldMode & kWriteBits) == 0 && st.st_uid == geteuid()) {
            // A read-only file of ours: lend it write permission for the moment.
            if (changeMode(path.c_str(), oldMode | S_IWUSR) == 0) {
                result = store();
                const int error = errno;
                changeMode(path.c_str(), oldMode);
                errno = error;
            }
        }
        if (result != 0) {
            const int error = errno;
            if (gainsWrite) {
                changeMode(path.c_str(), oldMode);
            }
            if (error == ENOTSUP) {
                return cannotStoreFailure(path);
            }
            return systemFailure("cannot store the attributes of " + quoted(path), error);
        }
    }
    if (newMode != oldMode && !gainsWrite) {
        if (const int error = changeMode(path.c_str(), newMode); error != 0) {
            if (writeStored || dropStored) {
                if (stored.present) {
                    lsetxattr(path.c_str(), kDosAttributeName, stored.blob.data(),
                              stored.blob.size(), 0);
                } else {
                    lremovexattr(path.c_str(), kDosAttributeName);
                }
            }
            return modeFailure(path, " read-only", error);
        }
    }
    return Status::success();
}

bool hasStoredAttributes(const std::string& path) {
    return !hasNul(path) && readStored(path.c_str()).present;
}

Status setPermissions(const std::string& path, unsigned mode) {
    if (hasNul(path)) {
        return nulFailure(path);
    }
    const int error = changeMode(path.c_str(), static_cast<mode_t>(mode & 07777));
    if (error == EOPNOTSUPP) {
        return linkFailure(path);
    }
    if (error != 0) {
        return systemFailure("cannot set the permissions of " + quoted(path), error);
    }
    return Status::success();
}

// File times -------------------------------------------------------------------------------

Result<FileTimes> fileTimes(const std::string& path) {
    if (hasNul(path)) {
        return nulFailure(path);
    }
    FileTimes times;
    struct statx sx {};
    const int error = statxTimes(path.c_str(), sx);
    if (error == 0) {
        times.accessed = fromStatx(sx.stx_atime);
        times.modified = fromStatx(sx.stx_mtime);
        if ((sx.stx_mask & STATX_BTIME) != 0) {
            times.created = fromStatx(sx.stx_btime);
            times.hasCreated = true;
        }
        return times;
    }
    if (error != ENOSYS) {
        return systemFailure("cannot read the times of " + quoted(path), error);
    }
    // A kernel or sandbox without statx: no birth time.
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        return systemFailure("cannot read the times of " + quoted(path), errno);
    }
    times.accessed = st.st_atim;
    times.modified = st.st_mtim;
    return times;
}

Status setFileTimes(const std::string& path, const struct timespec* created,
                    const struct timespec* accessed, const struct timespec* modified) {
    if (hasNul(path)) {
        return nulFailure(path);
    }
    struct timespec times[2]{};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_nsec = UTIME_OMIT;
    if (accessed != nullptr) {
        times[0] = *accessed;
    }
    if (modified != nullptr) {
        times[1] = *modified;
    }
    // A link's own times: the target lies beyond the item the user chose.
    if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        return systemFailure("cannot set the times of " + quoted(path), errno);
    }
    if (created != nullptr) {
        return Status::failure("Linux cannot set a file's creation time (" + quoted(path) + ")");
    }
    return Status::success();
}

// Changes ------------------------------------------------------------------------------

Status renameNoReplace(const std::string& from, const std::string& to) {
    return renameNoReplaceAt(AT_FDCWD, from, AT_FDCWD, to);
}

Status renameNoReplaceAt(int fromFolder, const std::string& from, int toFolder,
                         const std::string& to) {
    if (hasNul(to)) {
        return Status::failure("the new name may not contain a NUL character");
    }
    if (hasNul(from)) {
        return nulFailure(from);
    }
    if (from.empty()) {
        return Status::failure("no file or folder to rename was given");
    }
    // "/" inside a name cannot be told apart from a separator, so a trailing one means an
    // empty name.
    const std::string_view name = baseName(to);
    if (name.empty()) {
        return Status::failure("the new name of " + quoted(from) + " is empty");
    }
    if (name == "." || name == "..") {
        return Status::failure(quoted(name) + " cannot be used as a name");
    }

    const int error = renameStep(fromFolder, from, toFolder, to);
    if (error == 0) {
        return Status::success();
    }
    if (error == EEXIST || error == ENOTEMPTY) {
        if (sameObject(fromFolder, from, toFolder, to)) {
            return renameThroughTemporary(fromFolder, from, toFolder, to);
        }
        return Status::failure("a file or folder named " + quoted(name) + " already exists");
    }
    return systemFailure("cannot rename " + quoted(from) + " to " + quoted(to), error);
}

Status makeDirectory(const std::string& path) {
    if (hasNul(path)) {
        return nulFailure(path);
    }
    if (mkdir(path.c_str(), 0777) == 0) {
        return Status::success();
    }
    if (errno == EEXIST) {
        return Status::failure("a file or folder named " + quoted(lastName(path)) +
                               " already exists");
    }
    return systemFailure("cannot create the folder " + quoted(path), errno);
}

Status removeDirectory(const std::string& path) {
    if (hasNul(path)) {
        return nulFailure(path);
    }
    if (rmdir(path.c_str()) == 0) {
        return Status::success();
    }
    if (errno == ENOTEMPTY || errno == EEXIST) {
        return Status::failure("the folder " + quoted(path) + " is not empty");
    }
    return systemFailure("cannot remove the folder " + quoted(path), errno);
}

// Reading ------------------------------------------------------------------------------

Result<ReadFile> ReadFile::open(const std::string& path) {
    if (hasNul(path)) {
        return nulFailure(path);
    }
    // Look before opening: opening a named pipe for reading blocks until a writer appears.
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        return systemFailure("cannot open " + quoted(path), errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return Status::failure("cannot open " + quoted(path) + ": it is a folder");
    }
    if (!S_ISREG(st.st_mode)) {
        return Status::failure("cannot open " + quoted(path) +
                               ": it is not a regular file (a pipe, device or socket)");
    }
    // Non-blocking in case the path was swapped for a pipe since; checked again below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return systemFailure("cannot open " + quoted(path), errno);
    }
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = errno;
        ::close(fd);
        if (!S_ISREG(st.st_mode)) {
            return Status::failure("cannot open " + quoted(path) + ": it is not a regular file");
        }
        return systemFailure("cannot open " + quoted(path), error);
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) {
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    return ReadFile(fd, static_cast<std::uint64_t>(st.st_size));
}

ReadFile::ReadFile(ReadFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(std::exchange(other.size_, 0)) {}

ReadFile& ReadFile::operator=(ReadFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

ReadFile::~ReadFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

Result<std::size_t> ReadFile::readAt(std::uint64_t offset, void* buffer, std::size_t count) const {
    if (fd_ < 0) {
        return Status::failure("the file is not open");
    }
    constexpr auto kMaxOffset = static_cast<std::uint64_t>(INT64_MAX);
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count && offset <= kMaxOffset - done) {
        const ssize_t got = pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return systemFailure("cannot read the file", errno);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

Result<std::string> readWholeFile(const std::string& path) {
    auto opened = ReadFile::open(path);
    if (!opened) {
        return opened.status();
    }
    const ReadFile& file = opened.value();
    if (file.size() > kWholeFileLimit) {
        return Status::failure(quoted(path) + " is too large to be read at once");
    }
    std::string content;
    content.resize(static_cast<std::size_t>(file.size()));
    std::uint64_t offset = 0;
    for (;;) {
        if (offset == content.size()) {
            // The file may have grown since it was opened; read on until its end.
            if (content.size() >= kWholeFileLimit) {
                return Status::failure(quoted(path) + " is too large to be read at once");
            }
            content.resize(content.size() + 4096);
        }
        const auto got = file.readAt(offset, content.data() + offset, content.size() - offset);
        if (!got) {
            return Status::failure(got.reason() + " (" + quoted(path) + ")");
        }
        if (got.value() == 0) {
            break;
        }
        offset += got.value();
    }
    content.resize(static_cast<std::size_t>(offset));
    return content;
}

// Helpers for path texts ---------------------------------------------------------------

std::string_view baseName(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace platform::fs
