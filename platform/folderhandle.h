// Open folders to act in. A rename, a new folder or a removal that goes by a path follows every
// symbolic link on the way, and a folder swapped for a link between a check and the act would
// redirect it outside the chosen folder. So the runs and the undo open the item's folder once,
// step down each further level with O_NOFOLLOW, and act with the *at() calls on those handles:
// what they check is what they act on. Free of Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/result.h"

namespace platform::fs {

// Which folder a handle is, whatever path reached it: an undo compares it with the folder the
// run acted in, so a folder replaced since (by a link or anything else) is never taken for it.
struct FolderId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool known() const { return device != 0 || inode != 0; }
    bool operator==(const FolderId&) const = default;
};

class FolderHandle {
public:
    // The folder at `path` as the user chose it: links on the way to it are followed.
    static Result<FolderHandle> open(const std::string& path);
    FolderHandle(FolderHandle&& other) noexcept;
    FolderHandle& operator=(FolderHandle&& other) noexcept;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;
    ~FolderHandle();

    int fd() const { return fd_; }
    FolderId id() const { return id_; }

    // Takes over an open directory handle (closed on failure).
    static Result<FolderHandle> adopt(int fd);

private:
    FolderHandle(int fd, FolderId id) : fd_(fd), id_(id) {}
    int fd_ = -1;
    FolderId id_;
};

// Why a walk stopped.
enum class LevelStop { None, Missing, Link, NotFolder, Failed };

struct Descent {
    // The innermost level, when every level was entered.
    std::optional<FolderHandle> folder;
    // The level that could not be entered (its index) and why; a reason a person can read.
    std::size_t stoppedAt = 0;
    LevelStop stop = LevelStop::None;
    std::string reason;
};

// Enters each of `levels` below `from` in turn, never through a symbolic link (nor anything
// else that is not a folder). With `created` given, a missing level is made (mode 0777 less
// the umask) and `created` is told its index and its identity before the walk goes on into it.
Descent descend(const FolderHandle& from, const std::vector<std::string>& levels,
                const std::function<void(std::size_t, FolderId)>& created = {});

// Handles that can also be listed (fs::readFolderAt), for reading a tree: the chosen folder by
// its path (links on the way followed), each sub-folder inside the handle of the folder above
// it, never through a symbolic link (LevelStop::Link), so a deep tree costs as much per level
// at the bottom as at the top.
Result<FolderHandle> openToList(const std::string& path);
Descent enterToList(const FolderHandle& parent, const std::string& name);

// Renames `from` in `fromFolder` to `to` in `toFolder` (plain names), never replacing anything:
// fs::renameNoReplace on handles.
Status renameNoReplace(const FolderHandle& fromFolder, const std::string& from,
                       const FolderHandle& toFolder, const std::string& to);

// Removes the empty folder `name` in `parent`, only when it is a folder itself (not a link)
// and, when `expected` is known, still that very folder.
Status removeFolder(const FolderHandle& parent, const std::string& name, FolderId expected);

// The folders one run acts in. The items of a run come folder by folder, so each folder is
// walked once and its handle kept for every item in it: the walk costs no system call per
// item. Below `root` (the chosen folder, opened as the user gave it) every level is entered
// without following a link, so an item whose folder became a link since the folder was read is
// refused; a folder outside the root is refused too. With no root (items the user picked one
// by one, from anywhere) each folder is opened as given. Handles stay open until the walk ends
// with the run; forget() drops those of a folder the run renamed.
class FolderWalk {
public:
    explicit FolderWalk(std::string root = {});

    // The handle of `folder` (a native path; a trailing "/" does not matter), or why there is
    // none. The pointer is valid until the next call.
    Result<const FolderHandle*> open(const std::string& folder);
    // Drops the handles of `folder` and of every folder below it.
    void forget(const std::string& folder);

private:
    Result<const FolderHandle*> keep(std::string key, FolderHandle handle);

    std::string root_;  // without a trailing "/" (but "/" itself); empty: no root
    std::optional<FolderHandle> rootHandle_;
    std::unordered_map<std::string, FolderHandle> held_;  // by path without a trailing "/"
};

// The levels of a relative path: "2003/Jan" gives "2003" and "Jan"; empty levels are dropped.
std::vector<std::string> pathLevels(const std::string& relative);

}  // namespace platform::fs
