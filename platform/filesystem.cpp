#include "platform/filesystem.h"

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
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/errortext.h"
#include "platform/fsdetail.h"
#include "platform/stretches.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace platform::fs {

namespace {

using detail::attributesFrom;
using detail::hasNul;
using detail::isDotName;
using detail::kindFromMode;
using detail::lastName;
using detail::nulFailure;
using detail::readStored;
using detail::storedBits;
using detail::StoredValue;

// readWholeFile is meant for settings and lists; refuse what would only exhaust memory.
constexpr std::uint64_t kWholeFileLimit = std::uint64_t{1} << 30;

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

// The file type a folder records for an entry, as st_mode bits; 0 when it records none.
mode_t modeOfListedType(unsigned char type) {
    switch (type) {
        case DT_REG:
            return S_IFREG;
        case DT_DIR:
            return S_IFDIR;
        case DT_LNK:
            return S_IFLNK;
        case DT_FIFO:
            return S_IFIFO;
        case DT_SOCK:
            return S_IFSOCK;
        case DT_CHR:
            return S_IFCHR;
        case DT_BLK:
            return S_IFBLK;
        default:
            return 0;
    }
}

// getxattrat (Linux 6.13) reads an entry's value by its name inside an open folder. Its number
// is the one every architecture shares since Linux 5.1, where the C library's headers are
// older than the call.
#if defined(SYS_getxattrat)
#define QUENZA_GETXATTRAT SYS_getxattrat
#elif defined(__x86_64__) || defined(__aarch64__) || defined(__i386__) || defined(__riscv)
#define QUENZA_GETXATTRAT 464
#endif

std::string storedValuePrefix(int dirFd, const std::string& prefix);

// Reads the stored values of the entries of one folder: by name inside the folder's handle,
// which looks up one level instead of walking the whole path again for every entry, or by the
// path where the kernel cannot (its prefix worked out once, on the first such read). Shared by
// the threads of one read.
class StoredReader {
public:
    StoredReader(int dirFd, const std::string& folder) : dirFd_(dirFd), folder_(folder) {}

    StoredValue read(const std::string& name, std::string& path) {
#ifdef QUENZA_GETXATTRAT
        if (!byPathOnly_.load(std::memory_order_relaxed)) {
            struct {
                std::uint64_t value;
                std::uint32_t size;
                std::uint32_t flags;
            } args{};
            char buffer[detail::kXattrBuffer];
            args.value = reinterpret_cast<std::uintptr_t>(buffer);
            args.size = sizeof buffer;
            const long length = syscall(QUENZA_GETXATTRAT, dirFd_, name.c_str(),
                                        AT_SYMLINK_NOFOLLOW, kDosAttributeName, &args, sizeof args);
            const int error = length < 0 ? errno : 0;
            // A kernel without the call, or a sandbox that refuses calls it does not know.
            if (error != ENOSYS && error != EPERM && error != EINVAL) {
                return detail::storedValueFrom(buffer, length, error);
            }
            byPathOnly_.store(true, std::memory_order_relaxed);
        }
#endif
        std::call_once(prefixMade_, [this] { prefix_ = storedValuePrefix(dirFd_, folder_); });
        path.assign(prefix_).append(name);
        return readStored(path.c_str());
    }

private:
    int dirFd_;
    const std::string& folder_;
    std::once_flag prefixMade_;
    std::string prefix_;
    std::atomic<bool> byPathOnly_{false};
};

// The entry from its type and its stored value alone, for a read of kinds, where the folder
// told what the entry is; false when a full look has to decide (the entry vanished, is
// unreadable, or lies in a folder that cannot be searched: the look tells those apart, as a
// read of everything would). Without the permissions a file's read-only bit stays clear.
bool examineStoredOnly(const StoredValue& stored, mode_t type, Entry& entry) {
    if (stored.error != 0) {
        return false;
    }
    entry.kind = kindFromMode(type);
    entry.attributes = attributesFrom(type | detail::kWriteBits, entry.name, storedBits(stored));
    return true;
}

// Fills in what the entry named `entry.name` is; the errno of a look that failed goes to
// `failure` (the entry vanished or cannot be examined).
void examine(int dirFd, StoredReader& stored, unsigned char listedType, FolderDetail detail,
             Entry& entry, int& failure, std::string& path) {
    // A link is still looked at (it has no stored value to read), so that a folder whose
    // entries cannot be examined fails the read whatever it holds.
    const mode_t type = modeOfListedType(listedType);
    if (detail == FolderDetail::Kinds && type != 0 && type != S_IFLNK &&
        examineStoredOnly(stored.read(entry.name, path), type, entry)) {
        return;
    }
    // The entry itself, never what a link points to: a linked folder is an item of this
    // folder, not a folder to read, so no read reaches outside the chosen folder and a link
    // cycle ends at once.
    struct stat st;
    if (fstatat(dirFd, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        failure = errno;
        return;
    }
    entry.modified = st.st_mtim;
    if (S_ISLNK(st.st_mode)) {
        entry.kind = Kind::Other;
        entry.attributes = isDotName(entry.name) ? std::uint32_t{Hidden} : 0;
        return;
    }
    entry.kind = kindFromMode(st.st_mode);
    entry.size = entry.kind == Kind::File ? static_cast<std::uint64_t>(st.st_size) : 0;
    // One getxattr per entry: the common answer, "no such attribute", is cheap.
    entry.attributes =
        attributesFrom(st.st_mode, entry.name, storedBits(stored.read(entry.name, path)));
}

// Examining is one or two system calls per entry and nearly all of a large folder's read. A
// large folder is examined in blocks while it is still being listed: each block of
// kEntriesPerBlock entries goes to one of a few threads as soon as it is listed, and the
// listing thread takes the last block and any still waiting once the listing ends. Entries are
// filled in where they stand, so the listing keeps the order the folder gave; a block's
// `failures` gets each look's errno, 0 where it succeeded.
constexpr std::size_t kEntriesPerBlock = 512;
constexpr unsigned kMostThreads = 8;

struct ListedBlock {
    std::vector<Entry> entries;
    std::vector<unsigned char> types;  // as the folder records them, DT_UNKNOWN where it does not
    std::vector<int> failures;
};

class BlockExamination {
public:
    BlockExamination(int dirFd, const std::string& folder, FolderDetail detail)
        : dirFd_(dirFd), stored_(dirFd, folder), detail_(detail) {}
    // A read that stops early leaves what is still waiting unexamined.
    ~BlockExamination() {
        {
            const std::lock_guard lock(mutex_);
            waiting_.clear();
            closed_ = true;
        }
        ready_.notify_all();
        joinHelpers();
    }
    BlockExamination(const BlockExamination&) = delete;
    BlockExamination& operator=(const BlockExamination&) = delete;

    // A full block, examined by a helper thread when one can be had, else by finish(). It
    // stays where it is until finish() returns.
    void hand(ListedBlock& block) {
        {
            const std::lock_guard lock(mutex_);
            waiting_.push_back(&block);
        }
        ready_.notify_one();
        // Only once a folder proves large are the cores asked for.
        if (helpers_.size() + 1 < std::min(coreCount(), kMostThreads)) {
            try {
                helpers_.emplace_back([this] {
                    while (ListedBlock* waiting = take()) {
                        examineBlock(*waiting);
                    }
                });
            } catch (const std::system_error&) {
                // No thread to be had: the blocks wait for finish().
            }
        }
    }

    // Examines the last block and whatever still waits on this thread, and waits for the
    // helpers to finish theirs.
    void finish(ListedBlock& last) {
        examineBlock(last);
        {
            const std::lock_guard lock(mutex_);
            closed_ = true;
        }
        ready_.notify_all();
        while (ListedBlock* waiting = take()) {
            examineBlock(*waiting);
        }
        joinHelpers();
    }

private:
    ListedBlock* take() {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return !waiting_.empty() || closed_; });
        if (waiting_.empty()) {
            return nullptr;
        }
        ListedBlock* block = waiting_.front();
        waiting_.pop_front();
        return block;
    }

    void examineBlock(ListedBlock& block) {
        block.failures.assign(block.entries.size(), 0);
        std::string path;
        for (std::size_t i = 0; i < block.entries.size(); ++i) {
            examine(dirFd_, stored_, block.types[i], detail_, block.entries[i], block.failures[i],
                    path);
        }
    }

    void joinHelpers() {
        for (std::thread& helper : helpers_) {
            helper.join();
        }
        helpers_.clear();
    }

    int dirFd_;
    StoredReader stored_;
    FolderDetail detail_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<ListedBlock*> waiting_;
    bool closed_ = false;
    std::vector<std::thread> helpers_;
};

// Where the stored attributes of the entries of the folder `dirFd` are read: the folder's own
// path, or, for a folder deep in a tree, the handle's name under /proc, so that each read
// walks a few levels instead of every level down from the root (a deep tree would otherwise
// cost the square of its depth).
constexpr std::size_t kDeepFolderLevels = 8;

std::string storedValuePrefix(int dirFd, const std::string& prefix) {
    if (static_cast<std::size_t>(std::count(prefix.begin(), prefix.end(), '/')) <=
        kDeepFolderLevels) {
        return prefix;
    }
    const std::string handle = "/proc/self/fd/" + std::to_string(dirFd);
    struct stat viaProc {};
    struct stat own {};
    if (stat(handle.c_str(), &viaProc) != 0 || fstat(dirFd, &own) != 0 ||
        viaProc.st_dev != own.st_dev || viaProc.st_ino != own.st_ino) {
        return prefix;  // no /proc here
    }
    return handle + '/';
}

}  // namespace

Result<std::vector<Entry>> readFolder(const std::string& folder, FolderDetail detail) {
    if (hasNul(folder)) {
        return nulFailure(folder);
    }
    const int dirFd = open(folder.c_str(), O_RDONLY | O_NONBLOCK | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        return systemFailure("cannot read the folder " + quoted(folder), errno);
    }
    Result<std::vector<Entry>> entries = readFolderAt(dirFd, folder, detail);
    close(dirFd);
    return entries;
}

Result<std::vector<Entry>> readFolderAt(int folderFd, const std::string& folder,
                                        FolderDetail detail) {
    // The listing reads the handle itself from its start, so a handle can be listed more than
    // once, and needs neither a second handle nor a directory stream allocated per folder (a
    // deep tree lists a thousand folders of one entry each).
    if (lseek(folderFd, 0, SEEK_SET) < 0) {
        return systemFailure("cannot read the folder " + quoted(folder), errno);
    }
    std::string prefix = folder;
    if (prefix.empty() || prefix.back() != '/') {
        prefix += '/';
    }

    // The names with the types the folder records for them, in blocks that are examined
    // while the rest is listed.
    std::deque<ListedBlock> blocks(1);
    BlockExamination examination(folderFd, prefix, detail);
    alignas(struct dirent64) char buffer[8192];
    for (;;) {
        const ssize_t filled = getdents64(folderFd, buffer, sizeof buffer);
        if (filled < 0) {
            return systemFailure("cannot read the folder " + quoted(folder), errno);
        }
        if (filled == 0) {
            break;
        }
        for (ssize_t at = 0; at < filled;) {
            const auto* item = reinterpret_cast<const struct dirent64*>(buffer + at);
            at += item->d_reclen;
            const std::string_view name = item->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            ListedBlock* block = &blocks.back();
            if (block->entries.size() == kEntriesPerBlock) {
                examination.hand(*block);
                block = &blocks.emplace_back();
                block->entries.reserve(kEntriesPerBlock);
                block->types.reserve(kEntriesPerBlock);
            }
            block->entries.emplace_back().name = name;
            block->types.push_back(item->d_type);
        }
    }
    examination.finish(blocks.back());

    // A folder that may be listed but not entered (read without execute permission) names its
    // entries but shows none of them: that is a folder that cannot be read, not an empty one.
    // An entry that vanished meanwhile is left out.
    for (const ListedBlock& block : blocks) {
        if (std::find(block.failures.begin(), block.failures.end(), EACCES) !=
            block.failures.end()) {
            return systemFailure("cannot read the folder " + quoted(folder), EACCES);
        }
    }
    std::vector<Entry> entries;
    if (blocks.size() == 1) {
        entries = std::move(blocks.front().entries);
    } else {
        entries.reserve((blocks.size() - 1) * kEntriesPerBlock + blocks.back().entries.size());
    }
    std::size_t kept = 0;
    for (ListedBlock& block : blocks) {
        for (std::size_t i = 0; i < block.failures.size(); ++i) {
            if (block.failures[i] != 0) {
                continue;
            }
            if (blocks.size() > 1) {
                entries.push_back(std::move(block.entries[i]));
            } else if (kept != i) {
                entries[kept] = std::move(entries[i]);
            }
            ++kept;
        }
    }
    entries.resize(kept);
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

}  // namespace platform::fs
