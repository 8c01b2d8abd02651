// The frame handling that the ID3v2.2, ID3v2.3 and ID3v2.4 readers share: unsynchronisation
// removal, inflating, text decoding and frame ID comparison (the frame and tag parts they share
// are in id3v2frames.h). Like the readers, nothing here throws.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "orvane/helpers.h"

namespace orvane {

namespace id3v2 {

// Largest decompressed size of a compressed frame that is inflated: a larger declared size makes
// the frame fail like any other damaged frame instead of driving a huge allocation. It also
// bounds what inflating adds to one tag in all (the payloads beyond their stored sizes): a tag
// whose frames would grow by more is refused like a tag with a damaged frame.
inline constexpr std::int32_t kMaxDecompressedSize = 16 * 1024 * 1024;

// What inflating has added to one tag so far. Each compressed frame may announce up to the cap
// from a few bytes of the file, so thousands of such frames in a small damaged file would
// otherwise make the reader hold gigabytes of zeros.
class InflationBudget {
public:
    // Counts a frame whose body took `stored` bytes in the file and whose payload has
    // `payload` bytes; false once the tag's frames have grown by more than the cap in all.
    bool take(std::int64_t stored, std::size_t payload) {
        grown_ += std::max<std::int64_t>(0, static_cast<std::int64_t>(payload) - stored);
        return grown_ <= kMaxDecompressedSize;
    }

private:
    std::int64_t grown_ = 0;
};

// Undoes unsynchronisation: every 0x00 whose preceding *input* byte is 0xFF is dropped (so
// FF 00 00 gives FF 00, and a final FF stays). False, with `output` emptied, for empty input.
bool removeUnsync(ByteView input, Bytes& output);

// Inflates `compressed` with zlib into a zero-filled buffer of `declaredSize` bytes. The zlib
// result is deliberately not examined: a damaged stream leaves what zlib wrote followed by
// zeros, and still counts as inflated. False when `declaredSize` is 0 or less or above
// kMaxDecompressedSize.
bool inflate(ByteView compressed, std::int32_t declaredSize, Bytes& output);

// Text decoders over a whole frame payload whose first byte is the encoding byte; the bytes
// after it are decoded, NUL bytes included (each becomes a NUL character). "" for a payload of
// one byte or none.
// Encoding 0: the ANSI code page (Windows-1252).
std::u16string decodeAnsiText(ByteView payload);
// Encoding 1: UTF-16 in byte pairs, little-endian until a byte order mark says otherwise. A BOM
// (FF FE or FE FF) is honoured and dropped wherever a pair stands, and governs the pairs after
// it; an odd last byte is ignored.
std::u16string decodeUnicodeText(ByteView payload);
// The text of a text frame: for an ID starting with an upper-case "T", encoding 0 or 1 decoded
// as above; any other frame or encoding gives "".
std::u16string decodeTextFrame(std::u16string_view id, ByteView payload);

// Frame IDs compared with letter case ignored (ASCII and the Latin letters of the ANSI code page).
bool frameIdEquals(std::u16string_view a, std::u16string_view b);

}  // namespace id3v2

}  // namespace orvane
