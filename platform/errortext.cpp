#include "platform/errortext.h"

#include <cstring>

namespace platform {

namespace {

// strerror_r comes in a GNU and an XSI flavour; accept either.
[[maybe_unused]] const char* pickMessage(const char* gnuResult, const char*) {
    return gnuResult;
}
[[maybe_unused]] const char* pickMessage(int xsiResult, const char* buffer) {
    return xsiResult == 0 ? buffer : "unknown error";
}

}  // namespace

std::string systemErrorText(int error) {
    char buffer[256] = {};
    return pickMessage(strerror_r(error, buffer, sizeof buffer), buffer);
}

std::string quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    result += text;
    result += '"';
    return result;
}

Status systemFailure(const std::string& what, int error) {
    return Status::failure(what + ": " + systemErrorText(error));
}

}  // namespace platform
