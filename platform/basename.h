// The last level of a path text.
#pragma once

#include <string_view>

namespace platform::fs {

// The name after the last "/" (the whole text when there is none).
inline std::string_view baseName(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace platform::fs
