// Small operations that every reader of the tag library shares: turning tag bytes into integers
// and texts, reading fixed-size pieces of the open file, the MPEG frame-header test that both the
// MPEG search and the ID3v2 search apply, and the genre names. None of them keeps state and none
// throws: a bad range gives 0, "" or an empty result instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/filesystem.h"

namespace orvane {

// Byte arrays as the readers keep them (RawData of a frame, a tag body, ...). Every function
// below takes a read-only view, so a Bytes, a std::array or a part of either can be passed.
using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// Files --------------------------------------------------------------------------------------

// True when `path` names an existing entry of the file system: a file, a folder or anything
// else. A last path component holding "*" or "?" is taken as a pattern and counts as existing
// when it matches (case-sensitively) an entry of its folder, the way a find-first search
// would. `path` is the native (UTF-8) path, the one the file is then opened by; an empty path,
// a path holding a 0 byte and every error give false.
bool FileExists(const std::string& path);

// Reads `count` bytes at the 1-based file `position`. Nothing when position is below 1, on a
// read error, or when the file ends before `count` bytes were read: a piece that runs past the
// end of the file is damage, not something to fill with zeros.
std::optional<Bytes> ReadBytes(const platform::fs::ReadFile& file, std::int64_t position,
                               std::size_t count);

// Like ReadBytes, but the part of the `count` bytes that lies past the end of the file reads
// as 0 (a read cache that is refilled near the end of the file wants exactly this). Nothing
// only for a position below 1 or a read error.
std::optional<Bytes> ReadBytesPadded(const platform::fs::ReadFile& file, std::int64_t position,
                                     std::size_t count);

// Integers -----------------------------------------------------------------------------------

// The big-endian value of bytes[start] .. bytes[start + count - 1], kept to 32 bits: with
// count 4 a first byte of 0x80 or more gives a negative value, with more than 4 bytes only
// the last four count. 0 when the range does not lie inside `bytes` (start below 0, or the
// last index beyond the end) and for a count of 0 or less.
std::int32_t BytesToLong(ByteView bytes, std::int32_t start, std::int32_t count);

// The synchsafe value of all of `bytes` (7 bits per byte, most significant byte first). The
// bytes are added whole, not masked to 7 bits, so a byte of 0x80 or more spills into the next
// higher group; callers that must refuse such sizes check the bytes themselves. Meant for
// inputs of up to four bytes, for which the result always lies in 0 .. 538,984,575; longer
// inputs wrap at 32 bits.
std::int32_t SyncSafeToLong(ByteView bytes);

// True when `header` (four bytes read big-endian, bit 31 = first bit of the first byte, e.g.
// the result of BytesToLong(bytes, i, 4)) passes as an MPEG audio frame header: 11 sync bits
// set, version code not 1 (reserved), layer code not 0 (reserved), bitrate index neither
// 0 (free format) nor 15, sample-rate index not 3, emphasis not 2.
// Inline: the tag locator asks it of every 0xFF byte of a file.
inline bool IsValidFrameHeader(std::uint32_t header) {
    const std::uint32_t sync = header >> 21;
    const std::uint32_t version = (header >> 19) & 0x3;
    const std::uint32_t layer = (header >> 17) & 0x3;
    const std::uint32_t bitrateIndex = (header >> 12) & 0xF;
    const std::uint32_t sampleRateIndex = (header >> 10) & 0x3;
    const std::uint32_t emphasis = header & 0x3;
    return sync == 0x7FF && bitrateIndex != 15 && version != 1 && bitrateIndex != 0 && layer != 0 &&
           emphasis != 2 && sampleRateIndex != 3;
}

// Texts --------------------------------------------------------------------------------------

// bytes[start] .. bytes[start + length - 1] as characters of the ANSI code page (Windows-1252,
// one character per byte, 0 bytes included). A length of 0 or less takes every byte from
// `start` to the end. "" when the range does not lie inside `bytes` (start below 0 or past
// the end, or the last index beyond the end).
std::u16string BytesToString(ByteView bytes, std::int32_t start, std::int32_t length);

// All of `bytes` as characters of the ANSI code page (BytesToString over the whole view).
std::u16string AnsiToText(ByteView bytes);

// The part of `text` before its first character 0; `text` itself when it holds none.
std::u16string TrimNull(std::u16string_view text);

// `text` without trailing blanks (the space character only; tabs and 0 characters stay).
std::u16string TrimTrailingBlanks(std::u16string_view text);

// Bytes --------------------------------------------------------------------------------------

// A copy of `count` bytes from `start`; a range that runs past the end of `bytes` is cut at
// the end (nothing when start is at or past the end). Callers that must treat a short range
// as damage compare the sizes first.
Bytes CopyBytes(ByteView bytes, std::size_t start, std::size_t count);

// Genres -------------------------------------------------------------------------------------

// The genre table holds the numbers 0 .. kGenreCount - 1.
inline constexpr std::int32_t kGenreCount = 148;

// The genre name of an ID3v1 genre number, or "Unknown" for any number outside the table
// (negative numbers and 148 .. 255 included).
std::u16string GenreName(std::int32_t code);

}  // namespace orvane
