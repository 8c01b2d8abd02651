#include <cstdio>

#include "platform/com/com.h"

namespace com {

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads `digits` hex digits at `pos`; nothing when one of them is not a hex digit.
std::optional<std::uint32_t> hexField(std::string_view text, std::size_t pos, std::size_t digits) {
    std::uint32_t result = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int digit = hexDigit(text[pos + i]);
        if (digit < 0) {
            return std::nullopt;
        }
        result = (result << 4) | static_cast<std::uint32_t>(digit);
    }
    return result;
}

}  // namespace

std::optional<GUID> parseGuid(std::string_view text) {
    if (text.size() == 38) {
        if (text.front() != '{' || text.back() != '}') {
            return std::nullopt;
        }
        text = text.substr(1, 36);
    }
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' ||
        text[23] != '-') {
        return std::nullopt;
    }
    const auto data1 = hexField(text, 0, 8);
    const auto data2 = hexField(text, 9, 4);
    const auto data3 = hexField(text, 14, 4);
    if (!data1 || !data2 || !data3) {
        return std::nullopt;
    }
    GUID guid;
    guid.data1 = *data1;
    guid.data2 = static_cast<std::uint16_t>(*data2);
    guid.data3 = static_cast<std::uint16_t>(*data3);
    // Data4 is written as two bytes, a dash, then six bytes.
    static constexpr std::size_t kBytePositions[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (std::size_t i = 0; i < 8; ++i) {
        const auto byte = hexField(text, kBytePositions[i], 2);
        if (!byte) {
            return std::nullopt;
        }
        guid.data4[i] = static_cast<std::uint8_t>(*byte);
    }
    return guid;
}

std::string guidText(const GUID& g) {
    char buffer[40] = {};
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.data1), static_cast<unsigned>(g.data2),
                  static_cast<unsigned>(g.data3), g.data4[0], g.data4[1], g.data4[2], g.data4[3],
                  g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
    return buffer;
}

}  // namespace com
