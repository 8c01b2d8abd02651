// The attribute and time services of filesystem.h. Each takes an entry by its name inside an
// open folder (AT_FDCWD and a path for the path forms), and acts on the entry itself: opened
// once without following it, examined on that handle and changed through it, so that neither a
// folder on the way nor the entry swapped for a link afterwards can redirect the change.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/errortext.h"
#include "platform/filesystem.h"
#include "platform/fsdetail.h"

// fchmodat2 (Linux 6.6), which changes the mode of an O_PATH handle with AT_EMPTY_PATH. Its
// number is the one every architecture shares since Linux 5.1, where the C library's headers
// are older than the call.
#if defined(SYS_fchmodat2)
#define QUENZA_FCHMODAT2 SYS_fchmodat2
#elif defined(__x86_64__) || defined(__aarch64__) || defined(__i386__) || defined(__riscv)
#define QUENZA_FCHMODAT2 452
#endif

namespace platform::fs {

namespace {

using detail::attributesFrom;
using detail::hasNul;
using detail::isDotName;
using detail::kindFromMode;
using detail::kSettableBits;
using detail::kStoredBits;
using detail::kWriteBits;
using detail::kXattrBuffer;
using detail::lastName;
using detail::nulFailure;
using detail::storedBits;
using detail::StoredValue;

// One entry opened as itself (O_PATH | O_NOFOLLOW): a link is the link, a FIFO or a device is
// never opened for reading. Its stored value and its permissions are reached through the
// handle's /proc/self/fd path, since the f*xattr calls do not take an O_PATH handle. Where
// /proc is missing, a regular file or a folder is opened for reading without blocking and
// checked to be the same entry; anything else then has no stored value.
class OpenedEntry {
public:
    OpenedEntry(int folder, const std::string& name) : folder_(folder), name_(name) {}
    ~OpenedEntry() {
        for (const int fd : {fd_, readFd_}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    OpenedEntry(const OpenedEntry&) = delete;
    OpenedEntry& operator=(const OpenedEntry&) = delete;

    // 0 or the errno value of the failure.
    int open() {
        fd_ = openat(folder_, name_.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (fd_ < 0) {
            return errno;
        }
        if (fstat(fd_, &st_) != 0) {
            return errno;
        }
        std::snprintf(proc_, sizeof proc_, "/proc/self/fd/%d", fd_);
        return 0;
    }

    const struct stat& st() const { return st_; }
    bool isLink() const { return S_ISLNK(st_.st_mode); }

    StoredValue readStored() {
        if (isLink()) {
            return {};  // Linux keeps no user attributes on a link
        }
        char buffer[kXattrBuffer];
        const ssize_t length = act(
            [&](const char* path) {
                return getxattr(path, kDosAttributeName, buffer, sizeof buffer);
            },
            [&](int fd) { return fgetxattr(fd, kDosAttributeName, buffer, sizeof buffer); });
        return detail::storedValueFrom(buffer, length, length < 0 ? errno : 0);
    }

    // 0 or -1 with errno, as setxattr and removexattr answer.
    int writeStored(const std::string& blob) {
        return static_cast<int>(act(
            [&](const char* path) {
                return static_cast<ssize_t>(
                    setxattr(path, kDosAttributeName, blob.data(), blob.size(), 0));
            },
            [&](int fd) {
                return static_cast<ssize_t>(
                    fsetxattr(fd, kDosAttributeName, blob.data(), blob.size(), 0));
            }));
    }
    int removeStored() {
        return static_cast<int>(act(
            [&](const char* path) {
                return static_cast<ssize_t>(removexattr(path, kDosAttributeName));
            },
            [&](int fd) { return static_cast<ssize_t>(fremovexattr(fd, kDosAttributeName)); }));
    }

    // chmod of the entry itself: 0 or the errno value; EOPNOTSUPP for a link.
    int changeMode(mode_t mode) {
        if (isLink()) {
            return EOPNOTSUPP;
        }
#ifdef QUENZA_FCHMODAT2
        // On the handle itself where the kernel can (Linux 6.6 and later), sparing the walk
        // through /proc; a kernel or sandbox without it answers so, and the /proc path follows.
        if (syscall(QUENZA_FCHMODAT2, fd_, "", mode, AT_EMPTY_PATH) == 0) {
            return 0;
        }
        if (errno != ENOSYS && errno != EINVAL && errno != EPERM && errno != EOPNOTSUPP) {
            return errno;
        }
#endif
        if (!procMissing_) {
            if (chmod(proc_, mode) == 0) {
                return 0;
            }
            if (errno != ENOENT) {
                return errno;
            }
            procMissing_ = true;
        }
        if (fchmodat(folder_, name_.c_str(), mode, AT_SYMLINK_NOFOLLOW) == 0) {
            return 0;
        }
        const int error = errno;
        if (error != EOPNOTSUPP) {
            return error;
        }
        // glibc without /proc: only what is still this very entry, and no link.
        struct stat now {};
        if (fstatat(folder_, name_.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) {
            return errno;
        }
        if (S_ISLNK(now.st_mode) || now.st_ino != st_.st_ino || now.st_dev != st_.st_dev) {
            return error;
        }
        return fchmodat(folder_, name_.c_str(), mode, 0) == 0 ? 0 : errno;
    }

private:
    // The call on the /proc path of the handle, or on a handle for reading where /proc is
    // missing: ENOENT for our own open handle can only mean that.
    template <class ByPath, class ByHandle>
    ssize_t act(ByPath byPath, ByHandle byHandle) {
        if (!procMissing_) {
            const ssize_t result = byPath(proc_);
            if (result >= 0 || errno != ENOENT) {
                return result;
            }
            procMissing_ = true;
        }
        const int handle = readHandle();
        if (handle < 0) {
            return -1;
        }
        return byHandle(handle);
    }

    int readHandle() {
        if (readFd_ >= 0) {
            return readFd_;
        }
        if (!S_ISREG(st_.st_mode) && !S_ISDIR(st_.st_mode)) {
            errno = ENOTSUP;
            return -1;
        }
        const int fd = openat(folder_, name_.c_str(),
                              O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            return -1;
        }
        struct stat now {};
        if (fstat(fd, &now) != 0 || now.st_ino != st_.st_ino || now.st_dev != st_.st_dev) {
            ::close(fd);
            errno = ESTALE;  // another entry took the name meanwhile
            return -1;
        }
        readFd_ = fd;
        return fd;
    }

    int folder_;
    const std::string& name_;
    int fd_ = -1;
    int readFd_ = -1;
    bool procMissing_ = false;
    struct stat st_ {};
    char proc_[40] = {};
};

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

int statxTimes(int folder, const char* name, struct statx& out) {
    if (statx(folder, name, AT_STATX_SYNC_AS_STAT | AT_SYMLINK_NOFOLLOW,
              STATX_TYPE | STATX_ATIME | STATX_MTIME | STATX_BTIME, &out) == 0) {
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

}  // namespace

// Attributes ------------------------------------------------------------------------------

namespace {

// The state of an opened entry; `stored` receives its stored value (none for a link).
EntryState stateOf(OpenedEntry& entry, const std::string& name, StoredValue& stored) {
    EntryState state;
    state.link = entry.isLink();
    state.kind = state.link ? Kind::Other : kindFromMode(entry.st().st_mode);
    state.mode = static_cast<unsigned>(entry.st().st_mode & 07777);
    if (state.link) {
        state.attributes = isDotName(lastName(name)) ? std::uint32_t{Hidden} : std::uint32_t{0};
        return state;
    }
    stored = entry.readStored();
    state.hasStoredAttributes = stored.present;
    state.attributes = attributesFrom(entry.st().st_mode, lastName(name), storedBits(stored));
    return state;
}

Status setAttributesOn(OpenedEntry& entry, const std::string& name, std::uint32_t wanted,
                       bool dropStoredValue, const StoredValue& stored);

}  // namespace

Result<EntryState> entryStateAt(int folder, const std::string& name) {
    if (hasNul(name)) {
        return nulFailure(name);
    }
    OpenedEntry entry(folder, name);
    if (const int error = entry.open(); error != 0) {
        return systemFailure("cannot examine " + quoted(name), error);
    }
    StoredValue stored;
    return stateOf(entry, name, stored);
}

AttributeChange changeAttributesAt(
    int folder, const std::string& name,
    const std::function<std::optional<std::uint32_t>(const EntryState&)>& decide) {
    AttributeChange change;
    if (hasNul(name)) {
        change.before = nulFailure(name);
        return change;
    }
    OpenedEntry entry(folder, name);
    if (const int error = entry.open(); error != 0) {
        change.before = systemFailure("cannot examine " + quoted(name), error);
        return change;
    }
    StoredValue stored;
    const EntryState state = stateOf(entry, name, stored);
    change.before = state;
    if (const std::optional<std::uint32_t> wanted = decide(state)) {
        change.written = setAttributesOn(entry, name, *wanted, false, stored);
    }
    return change;
}

Result<std::uint32_t> attributes(const std::string& path) {
    const Result<EntryState> state = entryStateAt(AT_FDCWD, path);
    if (!state) {
        return state.status();
    }
    return state->attributes;
}

namespace {

// The permissions a file gets: read-only takes every write bit; clearing it gives the owner
// back write permission when nobody had any. A folder's read-only lives in the stored value.
mode_t wantedMode(mode_t oldMode, std::uint32_t wanted, bool isFolder) {
    mode_t newMode = oldMode;
    if (!isFolder) {
        if ((wanted & ReadOnly) != 0) {
            newMode &= ~kWriteBits;
        } else if ((oldMode & kWriteBits) == 0) {
            newMode |= S_IWUSR;
        }
    }
    return newMode;
}

// What happens to the stored value.
struct StoredPlan {
    std::uint32_t bits = 0;  // the value's new bits
    bool valid = true;       // the value there can be read (or there is none)
    bool change = false;     // the value differs from what is wanted
    bool drop = false;       // the value goes
    bool write = false;      // the value is written
};

// A name beginning with "." is hidden whatever is stored, so asking for Hidden on such a name
// changes nothing and needs no storage. Asking to clear it removes a stored Hidden bit only:
// the name keeps the file hidden until it is renamed.
StoredPlan planStored(const StoredValue& stored, std::uint32_t wanted, bool isFolder, bool dotName,
                      bool dropStoredValue) {
    // The value holds Hidden, System, Archive and ReadOnly. ReadOnly there is the record for
    // a folder; for a file it only mirrors the permissions, kept in step when a value exists
    // (Samba may read it from there) but never a reason to create one.
    const std::uint32_t valueBits = kStoredBits | ReadOnly;
    const std::uint32_t needsValue = kStoredBits | (isFolder ? std::uint32_t{ReadOnly} : 0);
    const std::uint32_t oldStored = storedBits(stored) & valueBits;
    StoredPlan plan;
    plan.bits = wanted & valueBits;
    if (dotName && (wanted & Hidden) != 0) {
        plan.bits = (plan.bits & ~Hidden) | (oldStored & Hidden);
    }
    plan.valid = !stored.present || dosattrib::decode(stored.blob).has_value();
    plan.change =
        stored.present ? !plan.valid || oldStored != plan.bits : (plan.bits & needsValue) != 0;
    // A value a change made where there was none goes again once nothing needs it; one that
    // cannot be read is never dropped.
    plan.drop = dropStoredValue && stored.present && plan.valid && (plan.bits & needsValue) == 0;
    // An unreadable value is left alone unless there is something to store.
    plan.write = !plan.drop && plan.change && (plan.valid || (plan.bits & needsValue) != 0);
    return plan;
}

// Writes or drops the stored value; 0, or the failure with errno set. A read-only file of ours
// is lent write permission for the moment (user extended attributes need write access).
int storeValue(OpenedEntry& entry, const StoredValue& stored, const StoredPlan& plan, bool isFolder,
               bool gainsWrite, mode_t oldMode) {
    // Like Samba, a folder's value also carries Directory.
    const std::uint32_t bits = plan.bits | (isFolder ? std::uint32_t{Directory} : 0);
    const std::string blob = dosattrib::encode(bits, plan.valid ? stored.blob : std::string());
    const auto store = [&] {
        if (plan.drop) {
            const int removed = entry.removeStored();
            return removed != 0 && errno == ENODATA ? 0 : removed;
        }
        return entry.writeStored(blob);
    };
    int result = store();
    if (result != 0 && errno == EACCES && !isFolder && !gainsWrite && (oldMode & kWriteBits) == 0 &&
        entry.st().st_uid == geteuid()) {
        if (entry.changeMode(oldMode | S_IWUSR) == 0) {
            result = store();
            const int error = errno;
            entry.changeMode(oldMode);
            errno = error;
        }
    }
    return result;
}

// The stored value as it was before a change that cannot be completed.
void restoreStored(OpenedEntry& entry, const StoredValue& stored) {
    if (stored.present) {
        entry.writeStored(stored.blob);
    } else {
        entry.removeStored();
    }
}

// The change on an entry already opened whose stored value (`stored`) was read through it.
Status setAttributesOn(OpenedEntry& entry, const std::string& name, std::uint32_t wanted,
                       bool dropStoredValue, const StoredValue& stored) {
    wanted &= kSettableBits;
    if (entry.isLink()) {
        return linkFailure(name);
    }
    const struct stat& st = entry.st();
    const bool isFolder = S_ISDIR(st.st_mode);
    const mode_t oldMode = st.st_mode & 07777;
    const mode_t newMode = wantedMode(oldMode, wanted, isFolder);

    if (stored.error != 0) {
        return systemFailure("cannot read the attributes of " + quoted(name), stored.error);
    }
    const StoredPlan plan =
        planStored(stored, wanted, isFolder, isDotName(lastName(name)), dropStoredValue);
    if (plan.change && !stored.supported) {
        return cannotStoreFailure(name);
    }

    // Make the file writable before storing and read-only only after.
    const bool gainsWrite = newMode != oldMode && (newMode & kWriteBits) != 0;
    if (gainsWrite) {
        if (const int error = entry.changeMode(newMode); error != 0) {
            return modeFailure(name, " writable", error);
        }
    }
    const bool storing = plan.write || plan.drop;
    if (storing && storeValue(entry, stored, plan, isFolder, gainsWrite, oldMode) != 0) {
        const int error = errno;
        if (gainsWrite) {
            entry.changeMode(oldMode);
        }
        if (error == ENOTSUP) {
            return cannotStoreFailure(name);
        }
        return systemFailure("cannot store the attributes of " + quoted(name), error);
    }
    if (newMode != oldMode && !gainsWrite) {
        if (const int error = entry.changeMode(newMode); error != 0) {
            if (storing) {
                restoreStored(entry, stored);
            }
            return modeFailure(name, " read-only", error);
        }
    }
    return Status::success();
}

}  // namespace

Status setAttributesAt(int folder, const std::string& name, std::uint32_t wanted,
                       bool dropStoredValue) {
    if (hasNul(name)) {
        return nulFailure(name);
    }
    OpenedEntry entry(folder, name);
    if (const int error = entry.open(); error != 0) {
        return systemFailure("cannot examine " + quoted(name), error);
    }
    const StoredValue stored = entry.isLink() ? StoredValue() : entry.readStored();
    return setAttributesOn(entry, name, wanted, dropStoredValue, stored);
}

Status setAttributes(const std::string& path, std::uint32_t wanted, bool dropStoredValue) {
    return setAttributesAt(AT_FDCWD, path, wanted, dropStoredValue);
}

bool hasStoredAttributes(const std::string& path) {
    const Result<EntryState> state = entryStateAt(AT_FDCWD, path);
    return state && state->hasStoredAttributes;
}

Status setPermissionsAt(int folder, const std::string& name, unsigned mode) {
    if (hasNul(name)) {
        return nulFailure(name);
    }
    OpenedEntry entry(folder, name);
    int error = entry.open();
    if (error == 0) {
        error = entry.changeMode(static_cast<mode_t>(mode & 07777));
    }
    if (error == EOPNOTSUPP) {
        return linkFailure(name);
    }
    if (error != 0) {
        return systemFailure("cannot set the permissions of " + quoted(name), error);
    }
    return Status::success();
}

Status setPermissions(const std::string& path, unsigned mode) {
    return setPermissionsAt(AT_FDCWD, path, mode);
}

// File times -------------------------------------------------------------------------------

Result<EntryTimes> entryTimesAt(int folder, const std::string& name) {
    if (hasNul(name)) {
        return nulFailure(name);
    }
    EntryTimes entry;
    FileTimes& times = entry.times;
    struct statx sx {};
    const int error = statxTimes(folder, name.c_str(), sx);
    if (error == 0) {
        times.accessed = fromStatx(sx.stx_atime);
        times.modified = fromStatx(sx.stx_mtime);
        if ((sx.stx_mask & STATX_BTIME) != 0) {
            times.created = fromStatx(sx.stx_btime);
            times.hasCreated = true;
        }
        entry.isLink = S_ISLNK(sx.stx_mode);
        entry.kind = entry.isLink ? Kind::Other : kindFromMode(sx.stx_mode);
        return entry;
    }
    if (error != ENOSYS) {
        return systemFailure("cannot read the times of " + quoted(name), error);
    }
    // A kernel or sandbox without statx: no birth time.
    struct stat st {};
    if (fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return systemFailure("cannot read the times of " + quoted(name), errno);
    }
    times.accessed = st.st_atim;
    times.modified = st.st_mtim;
    entry.isLink = S_ISLNK(st.st_mode);
    entry.kind = entry.isLink ? Kind::Other : kindFromMode(st.st_mode);
    return entry;
}

Result<EntryTimes> entryTimes(const std::string& path) {
    return entryTimesAt(AT_FDCWD, path);
}

Result<FileTimes> fileTimesAt(int folder, const std::string& name) {
    Result<EntryTimes> entry = entryTimesAt(folder, name);
    if (!entry) {
        return entry.status();
    }
    return entry->times;
}

Result<FileTimes> fileTimes(const std::string& path) {
    return fileTimesAt(AT_FDCWD, path);
}

Status setFileTimesAt(int folder, const std::string& name, const struct timespec* created,
                      const struct timespec* accessed, const struct timespec* modified) {
    if (hasNul(name)) {
        return nulFailure(name);
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
    if (utimensat(folder, name.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        return systemFailure("cannot set the times of " + quoted(name), errno);
    }
    if (created != nullptr) {
        return Status::failure("Linux cannot set a file's creation time (" + quoted(name) + ")");
    }
    return Status::success();
}

Status setFileTimes(const std::string& path, const struct timespec* created,
                    const struct timespec* accessed, const struct timespec* modified) {
    return setFileTimesAt(AT_FDCWD, path, created, accessed, modified);
}

}  // namespace platform::fs
