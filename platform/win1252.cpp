#include "platform/win1252.h"

#include <array>
#include <cstddef>

namespace platform::win1252 {

namespace {

// 0x80-0x9F; every other byte is its own Latin-1 code point. The undefined bytes keep their C1
// control so that decoding and encoding give back every byte unchanged.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

}  // namespace

char16_t decodeByte(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return kHighTable[byte - 0x80];
    }
    return byte;
}

std::u16string decode(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        text.push_back(decodeByte(static_cast<unsigned char>(byte)));
    }
    return text;
}

std::optional<unsigned char> encodeChar(char16_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) {
        return static_cast<unsigned char>(ch);
    }
    // Searched in the decoding table itself, so that the two directions cannot drift apart. The
    // undefined bytes come back from their C1 controls; the other C1 controls find no byte, since
    // their values hold printable characters in this code page.
    for (std::size_t i = 0; i < kHighTable.size(); ++i) {
        if (kHighTable[i] == ch) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

std::string encode(std::u16string_view text, char replacement) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const char16_t ch : text) {
        const auto byte = encodeChar(ch);
        bytes.push_back(byte ? static_cast<char>(*byte) : replacement);
    }
    return bytes;
}

int ansiCode(char16_t ch) {
    const auto byte = encodeChar(ch);
    return byte ? static_cast<int>(*byte) : -1;
}

}  // namespace platform::win1252
