// The ID3v2.2 tag reader and its frames. ID3v2.2 frames have 3-character IDs, 3-byte plain
// big-endian sizes and no flags, and the tag has no extended header; the whole body is read at
// once, its unsynchronisation (tag flag 0x80) removed, and the frames walked in memory.
//
// Readers return false on any failure and never throw; the creator discards an object whose
// reader failed, so every tag or frame that a client can reach was read successfully. Getters
// never fail: a missing text is "", a missing frame is a null pointer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/helpers.h"
#include "orvane/id3v2frames.h"
#include "orvane/id3v2header.h"
#include "platform/filesystem.h"

namespace orvane {

// One ID3v2.2 frame: a 6-byte header (3-character ID, 24-bit big-endian size) and the payload.
class cID3V22Frame : public id3v2::FrameData {
public:
    // Published (with those of FrameData) -------------------------------------------------
    // The payload decoded as a text frame: for an ID starting with an upper-case "T", encoding
    // 0 (ANSI) or 1 (UTF-16 with byte order marks); "" for any other frame or encoding.
    std::u16string TextData() const;

    // Library-internal ---------------------------------------------------------------------
    // The bytes the frame occupies in the tag body: its size plus the 6-byte header.
    std::int32_t TotalSize() const;
    // Reads one frame from `bytes`, which start at the frame's first byte. True when the frame
    // was read; false for a padding mark, fewer than 6 bytes, a size of 0, or a payload that
    // does not fit in `bytes`.
    bool ReadFrame(ByteView bytes);

private:
    std::array<std::uint8_t, 3> sizeBytes_{};
};

// An ID3v2.2 tag: the tag header, the frames in file order and the list of their IDs.
class cID3V22Tag : public id3v2::FrameTable<cID3V22Frame> {
public:
    // Published (with those of FrameTable) ------------------------------------------------
    std::u16string Artist() const { return GetText(u"TP1"); }
    std::u16string Album() const { return GetText(u"TAL"); }
    std::u16string Title() const { return GetText(u"TT2"); }
    // The stored text, such as a genre reference "(13)"; nothing is translated.
    std::u16string Genre() const { return GetText(u"TCO"); }
    // The stored text, such as "3/12".
    std::u16string Track() const { return GetText(u"TRK"); }
    std::u16string Year() const { return GetText(u"TYE"); }

    // Library-internal ---------------------------------------------------------------------
    // The header's synchsafe size plus the 10 header bytes.
    std::int32_t TotalSize() const;
    // The header as handed over by the locator.
    const ID3V2Header& Header() const { return header_; }
    // Reads the tag whose "I" of "ID3" stands at the 1-based `tagPosition` of `file`;
    // `fileLength` is the file's size in bytes and `header` the 10 bytes found there. Called
    // once, by the locator. True when the whole tag was read: no flag 0x04 or 0x08, the tag ends
    // within the file, its body size is above 0, and every frame up to the padding or the end
    // of the body was read.
    bool ReadTag(const platform::fs::ReadFile& file, std::int64_t fileLength,
                 std::int64_t tagPosition, const ID3V2Header& header);
    // Walks the frames of the whole (already resynchronised) body from offset 0.
    bool ReadFrames(ByteView body);

private:
    ID3V2Header header_;
};

}  // namespace orvane
