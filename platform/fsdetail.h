// What the file system services (filesystem.cpp, folderhandle.cpp) and their attribute and
// time services (entryattributes.cpp) share: path checks, the stored DOS value, and how the bits
// are made up. Inside platform_core only; nothing else includes it.
#pragma once

#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/basename.h"
#include "platform/dosattrib.h"
#include "platform/entrykind.h"
#include "platform/errortext.h"
#include "platform/result.h"

namespace platform::fs::detail {

inline constexpr std::uint32_t kStoredBits = Hidden | System | Archive;
inline constexpr std::uint32_t kSettableBits = ReadOnly | Hidden | System | Archive;
inline constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
// Big enough for every layout Samba writes; a longer value is none we could understand.
inline constexpr std::size_t kXattrBuffer = 1024;

// A path holding NUL would be cut short by the system call and name another file.
inline bool hasNul(const std::string& path) {
    return path.find('\0') != std::string::npos;
}

inline Status nulFailure(const std::string& path) {
    return Status::failure("the path beginning " + quoted(path.c_str()) +
                           " holds a NUL character, which no file name may contain");
}

inline Kind kindFromMode(mode_t mode) {
    if (S_ISREG(mode)) {
        return Kind::File;
    }
    if (S_ISDIR(mode)) {
        return Kind::Directory;
    }
    return Kind::Other;
}

// The name that decides "hidden by name": the last component, ignoring trailing slashes.
inline std::string_view lastName(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    return baseName(path);
}

inline bool isDotName(std::string_view name) {
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

// The value from what a getxattr call answered (`length`, or -1 with `error`).
inline StoredValue storedValueFrom(const char* buffer, ssize_t length, int error) {
    StoredValue result;
    if (length >= 0) {
        result.blob.assign(buffer, static_cast<std::size_t>(length));
        result.present = true;
    } else if (error == ENOTSUP) {
        result.supported = false;
    } else if (error == ERANGE) {
        // Larger than any value Samba writes: present, but not one we understand.
        result.present = true;
    } else if (error != ENODATA) {
        result.error = error;
    }
    return result;
}

// The entry's own value: a link that took the entry's place since it was examined is not read
// through (Linux keeps no user attributes on a link, so it reads as "no value").
inline StoredValue readStored(const char* path) {
    char buffer[kXattrBuffer];
    const ssize_t length = lgetxattr(path, kDosAttributeName, buffer, sizeof buffer);
    return storedValueFrom(buffer, length, length < 0 ? errno : 0);
}

inline std::uint32_t storedBits(const StoredValue& stored) {
    if (!stored.present) {
        return 0;
    }
    return dosattrib::decode(stored.blob).value_or(0);
}

inline std::uint32_t attributesFrom(mode_t mode, std::string_view name, std::uint32_t stored) {
    std::uint32_t result = stored & kStoredBits;
    if (isDotName(name)) {
        result |= Hidden;
    }
    if (S_ISDIR(mode)) {
        result |= Directory;
        result |= stored & ReadOnly;
    } else if ((mode & kWriteBits) == 0) {
        result |= ReadOnly;
    }
    return result;
}

}  // namespace platform::fs::detail
