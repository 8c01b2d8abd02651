#include "platform/folderhandle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/errortext.h"
#include "platform/filesystem.h"

namespace platform::fs {

namespace {

// O_PATH: stepping through and acting in a folder needs search permission only, as a path
// does; the *at() calls take such a handle.
constexpr int kLevelFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool hasNul(const std::string& text) {
    return text.find('\0') != std::string::npos;
}

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
