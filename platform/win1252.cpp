#include "platform/win1252.h"

#include <array>

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
    switch (ch) {
        // The C1 controls that stand for the undefined bytes; the other C1 controls have no
        // byte, since their values hold printable characters in this code page.
        case 0x0081:
        case 0x008D:
        case 0x008F:
        case 0x0090:
        case 0x009D:
            return static_cast<unsigned char>(ch);
        case 0x20AC:
            return 0x80;
        case 0x201A:
            return 0x82;
        case 0x0192:
            return 0x83;
        case 0x201E:
            return 0x84;
        case 0x2026:
            return 0x85;
        case 0x2020:
            return 0x86;
        case 0x2021:
            return 0x87;
        case 0x02C6:
            return 0x88;
        case 0x2030:
            return 0x89;
        case 0x0160:
            return 0x8A;
        case 0x2039:
            return 0x8B;
        case 0x0152:
            return 0x8C;
        case 0x017D:
            return 0x8E;
        case 0x2018:
            return 0x91;
        case 0x2019:
            return 0x92;
        case 0x201C:
            return 0x93;
        case 0x201D:
            return 0x94;
        case 0x2022:
            return 0x95;
        case 0x2013:
            return 0x96;
        case 0x2014:
            return 0x97;
        case 0x02DC:
            return 0x98;
        case 0x2122:
            return 0x99;
        case 0x0161:
            return 0x9A;
        case 0x203A:
            return 0x9B;
        case 0x0153:
            return 0x9C;
        case 0x017E:
            return 0x9E;
        case 0x0178:
            return 0x9F;
        default:
            return std::nullopt;
    }
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
