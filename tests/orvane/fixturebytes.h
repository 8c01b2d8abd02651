// Builders of tag bytes for the reader tests; bytes are kept in std::string, which is what
// TempDir writes.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace testsupport {

inline std::string raw(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out += static_cast<char>(v);
    }
    return out;
}

// The last `bytes` bytes of `value`, most significant first: how ID3v2.2 and ID3v2.3 write frame
// sizes.
inline std::string bigEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return out;
}

// Four bytes of seven bits each, most significant first: how ID3v2 writes most sizes.
inline std::string synchsafe(std::uint32_t value) {
    return raw({static_cast<int>((value >> 21) & 0x7F), static_cast<int>((value >> 14) & 0x7F),
                static_cast<int>((value >> 7) & 0x7F), static_cast<int>(value & 0x7F)});
}

}  // namespace testsupport
