// File system services that stand in for the Windows ones the program was designed around.
// Free of Qt so that the tag library can use them too. Paths are native byte strings (UTF-8 on
// every system we support); "/" is the separator. No function throws: each reports success or
// a failure with a reason.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/basename.h"
#include "platform/dosattrib.h"
#include "platform/entrykind.h"
#include "platform/result.h"

namespace platform::fs {

struct Entry {
    std::string name;  // just the name, never "." or ".."
    Kind kind = Kind::Other;
    std::uint32_t attributes = 0;  // DOS bits, Directory included for folders
    std::uint64_t size = 0;        // bytes; 0 for folders
    struct timespec modified {};
};

// How much a folder read learns of each entry. `Full`: everything Entry holds. `Kinds`: what
// each entry is and its attributes, but no size, no time and no read-only bit of a file (that
// lives in its permissions): the entry's type as the folder records it spares looking at the
// entry itself, so such a read costs one system call per entry (its stored value) instead of
// two. For reads that only sort entries by kind and by the hidden and system bits.
enum class FolderDetail { Full, Kinds };

// Every entry of one folder except "." and "..", in no particular order. A symbolic link is
// never followed: it is an entry of Kind::Other (whatever it points to, a folder included),
// with no size, hidden when its name begins with ".".
Result<std::vector<Entry>> readFolder(const std::string& folder,
                                      FolderDetail detail = FolderDetail::Full);
// The same for a folder already open (a directory handle); `folder` is its path, for the
// reasons of failures.
Result<std::vector<Entry>> readFolderAt(int folderFd, const std::string& folder,
                                        FolderDetail detail = FolderDetail::Full);

// What a path is (following links). Missing also for a path that cannot be examined.
Kind kindOf(const std::string& path);
// Whether the entry at `path` is itself a symbolic link (dangling or not).
bool isSymbolicLink(const std::string& path);
bool exists(const std::string& path);
bool isDirectory(const std::string& path);
bool isFile(const std::string& path);  // a regular file
Result<std::uint64_t> fileSize(const std::string& path);

// Attributes ------------------------------------------------------------------------------
// Read-only on a file is "no write permission bit at all"; hidden is "name begins with '.'"
// or the stored hidden bit; system, archive and a directory's read-only come from
// user.DOSATTRIB. Where the file system keeps no extended attributes those read as clear.
// A symbolic link is read as itself (hidden by its name only), never through to its target.
Result<std::uint32_t> attributes(const std::string& path);
// Sets ReadOnly, Hidden, System and Archive as given (Directory is ignored). Fails with a
// reason when the file system cannot store the bits; permissions of a directory never change.
// Linux keeps neither permissions nor user attributes on a symbolic link, and the target is
// not the link's to change: a change asked of a link fails with that reason, touching nothing.
// With `dropStoredValue` (putting back an item that had no stored value before a change made
// one), a stored value that the bits asked for no longer need is removed instead of rewritten.
Status setAttributes(const std::string& path, std::uint32_t attributes,
                     bool dropStoredValue = false);
// Whether the entry itself (never a link's target) carries user.DOSATTRIB.
bool hasStoredAttributes(const std::string& path);
// Sets the permission bits (07777) of the entry itself; a symbolic link is refused, touching
// neither it nor its target.
Status setPermissions(const std::string& path, unsigned mode);

// The entry `name` inside an open folder (a handle that platform/folderhandle.h walked, or
// AT_FDCWD with a path), read once and never followed.
struct EntryState {
    Kind kind = Kind::Missing;  // Kind::Other for a link
    bool link = false;
    unsigned mode = 0;             // permission bits (07777)
    std::uint32_t attributes = 0;  // as attributes() reads them
    bool hasStoredAttributes = false;
};
Result<EntryState> entryStateAt(int folder, const std::string& name);
// setAttributes and setPermissions on the entry `name` inside an open folder: the entry is
// opened once without following it and changed through that handle, so neither a folder on
// the way nor the entry itself swapped for a link can redirect the change.
Status setAttributesAt(int folder, const std::string& name, std::uint32_t attributes,
                       bool dropStoredValue = false);
Status setPermissionsAt(int folder, const std::string& name, unsigned mode);
// A look and a change in one: the entry is opened once, its state (as entryStateAt reads it)
// handed to `decide`, and the bits `decide` answers set through that same handle (as
// setAttributesAt sets them); no answer changes nothing. `before` fails when the entry could
// not be examined, and `written` holds the change's outcome.
struct AttributeChange {
    Result<EntryState> before = Status::failure("not examined");
    Status written = Status::success();
};
AttributeChange changeAttributesAt(
    int folder, const std::string& name,
    const std::function<std::optional<std::uint32_t>(const EntryState&)>& decide);

// File times -------------------------------------------------------------------------------
struct FileTimes {
    struct timespec created {};  // birth time; zero when the file system does not record it
    struct timespec accessed {};
    struct timespec modified {};
    bool hasCreated = false;
};
Result<FileTimes> fileTimes(const std::string& path);
// The times of the entry itself together with what it is, in one look: a symbolic link is
// `isLink` (its own times; its target is never looked at), anything else has its Kind. Fails
// when the entry cannot be examined (it is missing, or a folder on the way cannot be searched).
struct EntryTimes {
    FileTimes times;
    Kind kind = Kind::Missing;
    bool isLink = false;
};
Result<EntryTimes> entryTimes(const std::string& path);
// Each pointer that is null leaves that time exactly as it is. Linux cannot set a birth time:
// a non-null `created` makes the call fail with a reason, after the other times were set.
Status setFileTimes(const std::string& path, const struct timespec* created,
                    const struct timespec* accessed, const struct timespec* modified);
// The same for the entry `name` inside an open folder; a link's own times, never its target's.
Result<FileTimes> fileTimesAt(int folder, const std::string& name);
Result<EntryTimes> entryTimesAt(int folder, const std::string& name);
Status setFileTimesAt(int folder, const std::string& name, const struct timespec* created,
                      const struct timespec* accessed, const struct timespec* modified);

// Changes ------------------------------------------------------------------------------
// Renames a file or folder and never replaces anything that exists at `to`. A change of case
// alone works on case-insensitive file systems too. `to`'s name may not hold NUL; both paths
// must be absolute or both relative to the current folder.
Status renameNoReplace(const std::string& from, const std::string& to);
// The same with each name taken inside an open folder (a directory handle, or AT_FDCWD):
// a folder swapped for a link after it was opened cannot redirect the rename.
// platform/folderhandle.h walks to such handles.
Status renameNoReplaceAt(int fromFolder, const std::string& from, int toFolder,
                         const std::string& to);
// Creates one folder (its parent must exist) or removes one empty folder; never recursive.
Status makeDirectory(const std::string& path);
Status removeDirectory(const std::string& path);

// Reading ------------------------------------------------------------------------------
// An open regular file for reading. Opening refuses FIFOs, devices, sockets and folders
// before any blocking open, so reading never hangs on a named pipe.
class ReadFile {
public:
    static Result<ReadFile> open(const std::string& path);
    ReadFile(ReadFile&& other) noexcept;
    ReadFile& operator=(ReadFile&& other) noexcept;
    ReadFile(const ReadFile&) = delete;
    ReadFile& operator=(const ReadFile&) = delete;
    ~ReadFile();

    std::uint64_t size() const { return size_; }
    // Reads up to `count` bytes at `offset` (0-based); fewer near the end, none past it.
    Result<std::size_t> readAt(std::uint64_t offset, void* buffer, std::size_t count) const;

private:
    ReadFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// Whole content of a regular file, for small text files.
Result<std::string> readWholeFile(const std::string& path);

}  // namespace platform::fs
