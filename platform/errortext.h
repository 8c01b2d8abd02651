// Readable failure reasons for the platform services. Free of Qt.
#pragma once

#include <string>
#include <string_view>

#include "platform/result.h"

namespace platform {

// The system's text for an errno value.
std::string systemErrorText(int error);
// `text` in double quotes, for naming a file or folder inside a reason.
std::string quoted(std::string_view text);
// "<what>: <the system's text for error>".
Status systemFailure(const std::string& what, int error);

}  // namespace platform
