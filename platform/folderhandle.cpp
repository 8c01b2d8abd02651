#include "platform/folderhandle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/errortext.h"
#include "platform/filesystem.h"
#include "platform/fsdetail.h"

namespace platform::fs {

using detail::hasNul;

namespace {

// O_PATH: stepping through and acting in a folder needs search permission only, as a path
// does; the *at() calls take such a handle.
constexpr int kLevelFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// A folder to list needs read permission as well; O_NONBLOCK as opendir has it.
constexpr int kListFlags = O_RDONLY | O_NONBLOCK | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// A name that must stay inside its folder: no separator, not "." or "..".
bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           !hasNul(name);
}

FolderId idOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// What stands at `name` in `folder`, for the reason of a walk that could not go on.
LevelStop classify(int folder, const std::string& name, int error) {
    if (error == ENOENT) {
        return LevelStop::Missing;
    }
    struct stat st {};
    if (fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode)) {
            return LevelStop::Link;
        }
        if (!S_ISDIR(st.st_mode)) {
            return LevelStop::NotFolder;
        }
    }
    return LevelStop::Failed;
}

}  // namespace

Result<FolderHandle> FolderHandle::open(const std::string& path) {
    if (hasNul(path)) {
        return Status::failure("the path beginning " + quoted(path.c_str()) +
                               " holds a NUL character, which no file name may contain");
    }
    const int fd = ::open(path.empty() ? "." : path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return systemFailure("cannot open the folder " + quoted(path), errno);
    }
    return adopt(fd);
}

Result<FolderHandle> FolderHandle::adopt(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return systemFailure("cannot examine an open folder", error);
    }
    return FolderHandle(fd, idOf(st));
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), id_(other.id_) {}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
        id_ = other.id_;
    }
    return *this;
}

FolderHandle::~FolderHandle() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

Descent descend(const FolderHandle& from, const std::vector<std::string>& levels,
                const std::function<void(std::size_t, FolderId)>& created) {
    Descent result;
    const auto failed = [&result](std::string reason) {
        result.stop = LevelStop::Failed;
        result.reason = std::move(reason);
        return std::move(result);
    };
    int current = from.fd();
    std::optional<FolderHandle> held;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const std::string& level = levels[i];
        result.stoppedAt = i;
        if (!isPlainName(level)) {
            return failed(quoted(level) + " cannot be a sub-folder");
        }
        bool made = false;
        int fd = openat(current, level.c_str(), kLevelFlags);
        if (fd < 0 && errno == ENOENT && created) {
            if (mkdirat(current, level.c_str(), 0777) == 0) {
                made = true;
            } else if (errno != EEXIST) {
                return failed(
                    systemFailure("cannot create the folder " + quoted(level), errno).reason());
            }
            // Entered like any level: whatever took the name in between is checked again.
            fd = openat(current, level.c_str(), kLevelFlags);
        }
        if (fd < 0) {
            const int error = errno;
            result.stop = classify(current, level, error);
            switch (result.stop) {
                case LevelStop::Link:
                    result.reason = "the sub-folder " + quoted(level) +
                                    " is a symbolic link; nothing is moved through it";
                    break;
                case LevelStop::NotFolder:
                    result.reason = quoted(level) + " is not a folder";
                    break;
                default:
                    result.reason =
                        systemFailure("cannot open the folder " + quoted(level), error).reason();
                    break;
            }
            return result;
        }
        Result<FolderHandle> opened = FolderHandle::adopt(fd);
        if (!opened) {
            return failed(opened.reason());
        }
        if (made) {
            created(i, opened->id());
        }
        held.emplace(std::move(opened).value());
        current = held->fd();
    }
    result.stoppedAt = levels.size();
    if (held) {
        result.folder.emplace(std::move(*held));
    } else {
        // No levels: the folder itself, on a handle of its own.
        const int fd = fcntl(from.fd(), F_DUPFD_CLOEXEC, 0);
        if (fd < 0) {
            return failed(systemFailure("cannot open the folder again", errno).reason());
        }
        Result<FolderHandle> again = FolderHandle::adopt(fd);
        if (!again) {
            return failed(again.reason());
        }
        result.folder.emplace(std::move(again).value());
    }
    return result;
}

Result<FolderHandle> openToList(const std::string& path) {
    if (hasNul(path)) {
        return Status::failure("the path beginning " + quoted(path.c_str()) +
                               " holds a NUL character, which no file name may contain");
    }
    const int fd = ::open(path.c_str(), kListFlags & ~O_NOFOLLOW);
    if (fd < 0) {
        return systemFailure("cannot read the folder " + quoted(path), errno);
    }
    return FolderHandle::adopt(fd);
}

Descent enterToList(const FolderHandle& parent, const std::string& name) {
    Descent result;
    if (!isPlainName(name)) {
        result.stop = LevelStop::Failed;
        result.reason = quoted(name) + " cannot be a sub-folder";
        return result;
    }
    const int fd = openat(parent.fd(), name.c_str(), kListFlags);
    if (fd < 0) {
        const int error = errno;
        result.stop = classify(parent.fd(), name, error);
        result.reason = systemFailure("cannot read the folder " + quoted(name), error).reason();
        return result;
    }
    Result<FolderHandle> opened = FolderHandle::adopt(fd);
    if (!opened) {
        result.stop = LevelStop::Failed;
        result.reason = opened.reason();
        return result;
    }
    result.folder.emplace(std::move(opened).value());
    return result;
}

Status renameNoReplace(const FolderHandle& fromFolder, const std::string& from,
                       const FolderHandle& toFolder, const std::string& to) {
    if (!isPlainName(from)) {
        return Status::failure(quoted(from) + " is not a name inside its folder");
    }
    if (to.find('/') != std::string::npos) {
        return Status::failure(quoted(to) + " is not a name inside its folder");
    }
    return renameNoReplaceAt(fromFolder.fd(), from, toFolder.fd(), to);
}

Status removeFolder(const FolderHandle& parent, const std::string& name, FolderId expected) {
    if (!isPlainName(name)) {
        return Status::failure(quoted(name) + " is not a name inside its folder");
    }
    struct stat st {};
    if (fstatat(parent.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return systemFailure("cannot examine " + quoted(name), errno);
    }
    if (S_ISLNK(st.st_mode)) {
        return Status::failure(quoted(name) + " is a symbolic link now; it was left as it is");
    }
    if (!S_ISDIR(st.st_mode)) {
        return Status::failure(quoted(name) + " is not a folder");
    }
    if (expected.known() && idOf(st) != expected) {
        return Status::failure(quoted(name) + " is another folder than the one made there");
    }
    if (unlinkat(parent.fd(), name.c_str(), AT_REMOVEDIR) == 0) {
        return Status::success();
    }
    if (errno == ENOTEMPTY || errno == EEXIST) {
        return Status::failure("the folder " + quoted(name) + " is not empty");
    }
    return systemFailure("cannot remove the folder " + quoted(name), errno);
}

namespace {

// So many folders are kept at most; a run that goes beyond starts afresh (items come folder by
// folder, so only the last few are ever asked for again).
constexpr std::size_t kFoldersKept = 64;

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

}  // namespace

FolderWalk::FolderWalk(std::string root) : root_(withoutTrailingSlash(std::move(root))) {}

Result<const FolderHandle*> FolderWalk::keep(std::string key, FolderHandle handle) {
    if (held_.size() >= kFoldersKept) {
        held_.clear();
    }
    return &held_.insert_or_assign(std::move(key), std::move(handle)).first->second;
}

Result<const FolderHandle*> FolderWalk::open(const std::string& folder) {
    std::string key = withoutTrailingSlash(folder);
    if (const auto known = held_.find(key); known != held_.end()) {
        return &known->second;
    }
    if (root_.empty()) {
        Result<FolderHandle> opened = FolderHandle::open(key);
        if (!opened) {
            return opened.status();
        }
        return keep(std::move(key), std::move(opened).value());
    }
    if (!rootHandle_) {
        Result<FolderHandle> opened = FolderHandle::open(root_);
        if (!opened) {
            return opened.status();
        }
        rootHandle_.emplace(std::move(opened).value());
    }
    if (key == root_) {
        return &*rootHandle_;
    }
    const std::string prefix = root_ == "/" ? root_ : root_ + "/";
    if (key.compare(0, prefix.size(), prefix) != 0) {
        return Status::failure("the folder " + quoted(key) + " lies outside the chosen folder " +
                               quoted(root_) + "; nothing is done there");
    }
    // From the deepest folder already walked on the way, else from the root.
    const FolderHandle* from = &*rootHandle_;
    std::size_t walked = prefix.size();
    for (std::size_t end = key.rfind('/'); end != std::string::npos && end >= prefix.size();
         end = end == 0 ? std::string::npos : key.rfind('/', end - 1)) {
        if (const auto known = held_.find(key.substr(0, end)); known != held_.end()) {
            from = &known->second;
            walked = end + 1;
            break;
        }
    }
    const std::vector<std::string> levels = pathLevels(key.substr(walked));
    Descent descent = descend(*from, levels);
    if (!descent.folder) {
        if (descent.stop == LevelStop::Link) {
            std::string linked = key.substr(0, walked);
            for (std::size_t i = 0; i <= descent.stoppedAt && i < levels.size(); ++i) {
                linked += (i == 0 ? "" : "/") + levels[i];
            }
            return Status::failure("the sub-folder " + quoted(linked) +
                                   " is a symbolic link; nothing is done through it");
        }
        return Status::failure(descent.reason);
    }
    return keep(std::move(key), std::move(*descent.folder));
}

void FolderWalk::forget(const std::string& folder) {
    const std::string key = withoutTrailingSlash(folder);
    const std::string below = key == "/" ? key : key + "/";
    std::erase_if(held_, [&](const auto& entry) {
        return entry.first == key || entry.first.compare(0, below.size(), below) == 0;
    });
}

std::vector<std::string> pathLevels(const std::string& relative) {
    std::vector<std::string> levels;
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos) {
            end = relative.size();
        }
        if (end > start) {
            levels.push_back(relative.substr(start, end - start));
        }
        start = end + 1;
    }
    return levels;
}

}  // namespace platform::fs
