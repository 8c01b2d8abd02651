#include "platform/dosattrib.h"

#include <cstddef>

// The stored value is what Samba's NDR marshalling of xattr_DOSATTRIB produces:
//
//   the attribute bits as ASCII "0x%x" text with a terminating NUL (empty text in the newer
//     versions), and nothing else in the oldest form;
//   otherwise, padded to 2: uint16 version, then the xattr_DosInfo union for that version, which
//     starts with its uint16 level (equal to the version) and then the info structure, padded
//     to 4. All numbers are little-endian; NTTIME is 8 bytes aligned to 4.
//
//   version 1: attrib, ea_size, size(8), alloc_size(8), create_time(8), change_time(8)
//   version 2: flags, attrib, ea_size, size(8), alloc_size(8), create_time(8),
//              change_time(8), write_time(8), name
//   version 3: valid_flags, attrib, ea_size, size(8), alloc_size(8), create_time(8),
//              change_time(8)
//   version 4: valid_flags, attrib, itime(8), create_time(8)
//   version 5: valid_flags, attrib, create_time(8)
//
// Offsets are counted from the start of the value, so the length of the text decides the
// padding that follows it.

namespace platform::dosattrib {

namespace {

constexpr std::uint32_t kManagedBits = 0x37;
// Bits 0x100 and up are kept from an earlier value; the low byte is all ours to decide (0x80,
// "normal", would contradict any bit we set).
constexpr std::uint32_t kForeignBits = ~std::uint32_t{0xFF};

constexpr std::uint32_t kValidAttrib = 0x01;
constexpr std::uint32_t kValidCreateTime = 0x10;

constexpr std::uint16_t kWrittenVersion = 5;

struct Parsed {
    std::uint32_t attrib = 0;
    std::uint64_t createTime = 0;  // NTTIME; 0 when none was recorded
};

class Reader {
public:
    explicit Reader(std::string_view data) : data_(data) {}

    std::size_t offset() const { return offset_; }
    void seek(std::size_t offset) { offset_ = offset; }
    bool align(std::size_t size) {
        offset_ = (offset_ + size - 1) / size * size;
        return offset_ <= data_.size();
    }
    bool read(std::size_t bytes, std::uint64_t& value) {
        if (data_.size() < offset_ || data_.size() - offset_ < bytes) {
            return false;
        }
        value = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            value |= std::uint64_t{static_cast<unsigned char>(data_[offset_ + i])} << (8 * i);
        }
        offset_ += bytes;
        return true;
    }
    bool u16(std::uint16_t& value) {
        std::uint64_t v = 0;
        if (!align(2) || !read(2, v)) {
            return false;
        }
        value = static_cast<std::uint16_t>(v);
        return true;
    }
    bool u32(std::uint32_t& value) {
        std::uint64_t v = 0;
        if (!align(4) || !read(4, v)) {
            return false;
        }
        value = static_cast<std::uint32_t>(v);
        return true;
    }
    bool nttime(std::uint64_t& value) { return align(4) && read(8, value); }
    bool skip(std::size_t bytes) {
        std::uint64_t ignored = 0;
        while (bytes >= 8) {
            if (!read(8, ignored)) {
                return false;
            }
            bytes -= 8;
        }
        return bytes == 0 || read(bytes, ignored);
    }

private:
    std::string_view data_;
    std::size_t offset_ = 0;
};

// The text form: "0x" and up to eight hex digits (Samba reads it with sscanf "%x", which also
// takes the digits without the prefix).
std::optional<std::uint32_t> parseHexText(std::string_view text) {
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char c : text) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value << 4 | digit;
    }
    return value;
}

std::optional<Parsed> parse(std::string_view blob) {
    const std::size_t nul = blob.find('\0');
    if (nul == std::string_view::npos || nul + 1 == blob.size()) {
        // Only the text: the form Samba 3 wrote, and what people store by hand.
        const auto bits = parseHexText(blob.substr(0, nul));
        if (!bits) {
            return std::nullopt;
        }
        return Parsed{*bits, 0};
    }

    Reader in(blob);
    in.seek(nul + 1);
    std::uint16_t version = 0;
    std::uint16_t level = 0;
    if (!in.u16(version) || !in.u16(level) || level != version) {
        return std::nullopt;
    }
    Parsed result;
    std::uint32_t validFlags = 0;
    std::uint32_t ignored32 = 0;
    std::uint64_t ignored64 = 0;
    switch (version) {
        case 1:
            // attrib, ea_size, size, alloc_size, create_time, change_time
            if (!in.u32(result.attrib) || !in.u32(ignored32) || !in.nttime(ignored64) ||
                !in.nttime(ignored64) || !in.nttime(result.createTime) || !in.nttime(ignored64)) {
                return std::nullopt;
            }
            return result;
        case 2:
            // flags, attrib, ea_size, size, alloc_size, create/change/write time, then a name
            // that nobody reads. Samba never took the creation time from this version.
            if (!in.u32(ignored32) || !in.u32(result.attrib) || !in.u32(ignored32) ||
                !in.align(4) || !in.skip(5 * 8)) {
                return std::nullopt;
            }
            return result;
        case 3:
            // valid_flags, attrib, ea_size, size, alloc_size, create_time, change_time
            if (!in.u32(validFlags) || !in.u32(result.attrib) || !in.u32(ignored32) ||
                !in.nttime(ignored64) || !in.nttime(ignored64) || !in.nttime(result.createTime) ||
                !in.nttime(ignored64)) {
                return std::nullopt;
            }
            break;
        case 4:
            // valid_flags, attrib, itime, create_time
            if (!in.u32(validFlags) || !in.u32(result.attrib) || !in.nttime(ignored64) ||
                !in.nttime(result.createTime)) {
                return std::nullopt;
            }
            break;
        case 5:
            // valid_flags, attrib, create_time
            if (!in.u32(validFlags) || !in.u32(result.attrib) || !in.nttime(result.createTime)) {
                return std::nullopt;
            }
            break;
        default:
            return std::nullopt;
    }
    // Samba takes the attributes whatever the flags say, but the creation time only when
    // flagged as valid.
    if ((validFlags & kValidCreateTime) == 0) {
        result.createTime = 0;
    }
    return result;
}

class Writer {
public:
    void align(std::size_t size) {
        while (out_.size() % size != 0) {
            out_.push_back('\0');
        }
    }
    void put(std::uint64_t value, std::size_t bytes) {
        for (std::size_t i = 0; i < bytes; ++i) {
            out_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
    }
    void u16(std::uint16_t value) {
        align(2);
        put(value, 2);
    }
    void u32(std::uint32_t value) {
        align(4);
        put(value, 4);
    }
    void nttime(std::uint64_t value) {
        align(4);
        put(value, 8);
    }
    void text(std::string_view text) {
        out_.append(text);
        out_.push_back('\0');
    }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

}  // namespace

std::string encode(std::uint32_t attributes, std::string_view previous) {
    std::uint32_t attrib = attributes & kManagedBits;
    std::uint64_t createTime = 0;
    if (const auto earlier = parse(previous)) {
        attrib |= earlier->attrib & kForeignBits;
        createTime = earlier->createTime;
    }

    // Version 5 with an empty text, byte for byte what Samba writes today, so a share and this
    // program never disagree about a value either of them wrote.
    Writer out;
    out.text("");
    out.u16(kWrittenVersion);
    out.u16(kWrittenVersion);  // union level
    out.u32(kValidAttrib | (createTime != 0 ? kValidCreateTime : 0));
    out.u32(attrib);
    out.nttime(createTime);
    return out.take();
}

std::optional<std::uint32_t> decode(std::string_view blob) {
    const auto parsed = parse(blob);
    if (!parsed) {
        return std::nullopt;
    }
    return parsed->attrib;
}

}  // namespace platform::dosattrib
