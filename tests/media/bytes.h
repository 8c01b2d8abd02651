// Bytes at chosen offsets in a zero-filled block, for the crafted headers of the media reader
// tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mediatests {

class Bytes {
public:
    explicit Bytes(std::size_t size) : bytes_(size, '\0') {}
    Bytes& text(std::size_t at, std::string_view text) {
        bytes_.replace(at, text.size(), text);
        return *this;
    }
    Bytes& byte(std::size_t at, std::uint8_t value) {
        bytes_[at] = static_cast<char>(value);
        return *this;
    }
    Bytes& le16(std::size_t at, std::uint32_t value) {
        return byte(at, value & 0xFF).byte(at + 1, (value >> 8) & 0xFF);
    }
    Bytes& le32(std::size_t at, std::uint32_t value) {
        return le16(at, value & 0xFFFF).le16(at + 2, value >> 16);
    }
    Bytes& be16(std::size_t at, std::uint32_t value) {
        return byte(at, (value >> 8) & 0xFF).byte(at + 1, value & 0xFF);
    }
    Bytes& be32(std::size_t at, std::uint32_t value) {
        return be16(at, value >> 16).be16(at + 2, value & 0xFFFF);
    }
    const std::string& str() const { return bytes_; }

private:
    std::string bytes_;
};

}  // namespace mediatests
