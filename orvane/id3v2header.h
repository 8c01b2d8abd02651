// The 10-byte ID3v2 tag header, shared by the tag locator and the readers of each major version.
// The locator reads and checks it and hands each reader its own copy.
#pragma once

#include <array>
#include <cstdint>

namespace orvane {

// The bytes of the tag header, and of the ID3v2.4 footer that repeats it.
inline constexpr std::int32_t kTagHeaderSize = 10;

struct ID3V2Header {
    std::array<std::uint8_t, 3> identifier{};  // "ID3" (or "3DI" for an ID3v2.4 footer)
    std::uint8_t majorVersion = 0;
    std::uint8_t minorVersion = 0;
    std::uint8_t flags = 0;
    // Synchsafe (7 bits a byte, most significant first): the tag's size without its header and
    // footer.
    std::array<std::uint8_t, 4> size{};

    // The header as laid out in `bytes`, which must hold at least 10 bytes.
    static ID3V2Header fromBytes(const std::uint8_t* bytes) {
        ID3V2Header h;
        h.identifier = {bytes[0], bytes[1], bytes[2]};
        h.majorVersion = bytes[3];
        h.minorVersion = bytes[4];
        h.flags = bytes[5];
        h.size = {bytes[6], bytes[7], bytes[8], bytes[9]};
        return h;
    }
};

}  // namespace orvane
