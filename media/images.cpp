#include "media/images.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "media/numbertext.h"
#include "platform/filesystem.h"

namespace media::detail {

namespace {

std::uint32_t le16(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0] | (bytes[1] << 8));
}
std::int32_t le32signed(const std::uint8_t* bytes) {
    const std::uint32_t value =
        static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
        (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
    return static_cast<std::int32_t>(value);
}
std::uint32_t be16(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>((bytes[0] << 8) | bytes[1]);
}
std::uint32_t be32(const std::uint8_t* bytes) {
    return (static_cast<std::uint32_t>(bytes[0]) << 24) |
           (static_cast<std::uint32_t>(bytes[1]) << 16) |
           (static_cast<std::uint32_t>(bytes[2]) << 8) | static_cast<std::uint32_t>(bytes[3]);
}

// The first 128 bytes, or the 32-byte header alone when the file is shorter or unreadable (a
// block read that cannot be completed leaves the buffer as it was).
std::array<std::uint8_t, 128> firstBlock(const std::string& path, const Header& header) {
    std::array<std::uint8_t, 128> block{};
    std::copy(header.begin(), header.end(), block.begin());
    auto file = platform::fs::ReadFile::open(path);
    if (!file || file->size() < block.size()) {
        return block;
    }
    std::array<std::uint8_t, 128> read{};
    const auto got = file->readAt(0, read.data(), read.size());
    if (got && *got == read.size()) {
        block = read;
    }
    return block;
}

template <std::size_t N>
std::ptrdiff_t findText(const std::array<std::uint8_t, N>& bytes, std::string_view text) {
    const auto* begin = bytes.data();
    const auto* end = begin + N;
    const auto* at = std::search(begin, end, text.begin(), text.end(), [](std::uint8_t a, char b) {
        return a == static_cast<std::uint8_t>(b);
    });
    return at == end ? -1 : at - begin;
}

}  // namespace

// Width and height are 32-bit signed; a top-down picture stores its height negative.
bool readBmp(const Header& header, MediaProperties& record) {
    const std::int64_t width = le32signed(&header[18]);
    const std::int64_t height = le32signed(&header[22]);
    record.width = wholeText(width < 0 ? -width : width);
    record.height = wholeText(height < 0 ? -height : height);
    record.depth = wholeText(header[28]);
    return true;
}

// Walks the segments from the start of image to the first frame header. Every step moves on
// (a length below 2 ends the walk), and the walk ends at the file's end, so no file can keep
// it going.
bool readJpeg(const std::string& path, MediaProperties& record) {
    auto file = platform::fs::ReadFile::open(path);
    if (!file) {
        return false;
    }
    const std::uint64_t size = file->size();
    std::uint64_t position = 1;  // the byte after the first FF
    std::uint8_t byte = 0;
    const auto readByte = [&](std::uint64_t at, std::uint8_t& out) {
        const auto got = file->readAt(at, &out, 1);
        return got && *got == 1;
    };
    for (;;) {
        // Search for the next FF; the last byte of the file can start no marker.
        do {
            if (position + 1 >= size || !readByte(position, byte)) {
                return false;
            }
            ++position;
        } while (byte != 0xFF);
        std::uint8_t marker = 0;
        if (!readByte(position, marker)) {
            return false;
        }
        ++position;
        if (marker >= 0xC0 && marker <= 0xC3) {
            std::array<std::uint8_t, 7> frame{};
            const auto got = file->readAt(position, frame.data(), frame.size());
            if (!got || *got != frame.size()) {
                return false;
            }
            record.height = wholeText(be16(&frame[3]));
            record.width = wholeText(be16(&frame[5]));
            record.depth = "24";
            return true;
        }
        if (marker == 0xDA) {
            return false;  // image data before any frame header
        }
        std::array<std::uint8_t, 2> length{};
        const auto got = file->readAt(position, length.data(), length.size());
        if (!got || *got != length.size()) {
            return false;
        }
        // Unsigned: an ICC profile or XMP packet of 32 KB and more is skipped like any other.
        const std::uint32_t segment = be16(length.data());
        if (segment < 2) {
            return false;
        }
        position += segment;
    }
}

bool readGif(const Header& header, MediaProperties& record) {
    record.width = wholeText(le16(&header[6]));
    record.height = wholeText(le16(&header[8]));
    record.depth = wholeText(((header[10] & 0x70) >> 4) + 1);
    return true;
}

// Width and height are the full 32-bit values of the header chunk.
bool readPng(const Header& header, MediaProperties& record) {
    const std::ptrdiff_t at = findText(header, "IHDR");
    if (at < 0) {
        return false;
    }
    const auto p = static_cast<std::size_t>(at);
    if (p + 14 > header.size()) {
        return true;  // the fields lie beyond the bytes read: nothing to take
    }
    record.width = wholeText(be32(&header[p + 4]));
    record.height = wholeText(be32(&header[p + 8]));
    const unsigned bits = header[p + 12];
    switch (header[p + 13]) {
        case 0:
        case 3:
            record.depth = wholeText(bits);
            break;
        case 2:
            record.depth = wholeText(3 * bits);
            break;
        case 4:
            record.depth = wholeText(2 * bits);
            break;
        case 6:
            record.depth = wholeText(4 * bits);
            break;
        default:
            break;
    }
    return true;
}

bool readFpbd(const std::string& path, const Header& header, MediaProperties& record) {
    const auto block = firstBlock(path, header);
    record.depth = "32";
    const std::ptrdiff_t width = findText(block, "width");
    if (width < 0 || static_cast<std::size_t>(width) + 8 > block.size()) {
        return false;
    }
    record.width = wholeText(le16(&block[static_cast<std::size_t>(width) + 6]));
    const std::ptrdiff_t height = findText(block, "height");
    if (height < 0 || static_cast<std::size_t>(height) + 9 > block.size()) {
        return false;
    }
    record.height = wholeText(le16(&block[static_cast<std::size_t>(height) + 7]));
    return true;
}

bool readPcx(const std::string& path, const Header& header, MediaProperties& record) {
    const auto block = firstBlock(path, header);
    const std::int64_t xmin = le16(&block[4]);
    const std::int64_t ymin = le16(&block[6]);
    const std::int64_t xmax = le16(&block[8]);
    const std::int64_t ymax = le16(&block[10]);
    record.width = wholeText(xmax - xmin + 1);
    record.height = wholeText(ymax - ymin + 1);
    record.depth = wholeText(static_cast<std::int64_t>(block[3]) * block[65]);
    return true;
}

}  // namespace media::detail
