// The ID3v2.3 tag reader and its frames.
//
// Readers return false on any failure and never throw; the creator discards an object whose
// reader failed, so every tag or frame that a client can reach was read successfully. Getters
// never fail: a missing text is "", a missing frame is a null pointer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/helpers.h"
#include "orvane/id3v2.h"
#include "orvane/id3v2frames.h"
#include "orvane/id3v2header.h"
#include "platform/filesystem.h"

namespace orvane {

// One ID3v2.3 frame: a 10-byte header (ID, big-endian size, status and format flags), the bytes
// that the format flags add (decompressed size, encryption method, group identifier, in this
// order, each only when flagged) and the payload.
class cID3V23Frame : public id3v2::FrameData {
public:
    // Published (with those of FrameData) -------------------------------------------------
    // The payload decoded as a text frame (id3v2::decodeTextFrame); "" for an encrypted frame or
    // a frame that is not a text frame.
    std::u16string TextData() const;

    // Library-internal ---------------------------------------------------------------------
    // The bytes the frame occupies in the tag body: its size plus the 10-byte header.
    std::int32_t TotalSize() const;
    // Reads one frame from `bytes`, which start at the frame's first byte and hold at least the
    // whole frame. True when the frame was read (an encrypted frame included). False for a
    // padding mark, a size of 0 or less, a payload that would be empty or does not fit in
    // `bytes`, or a compressed frame that cannot be inflated.
    bool ReadFrame(ByteView bytes);

private:
    bool ProcessData();
    bool Decompress();

    std::uint8_t sizeBytes_[4] = {};
    std::uint8_t formatFlags_ = 0;
    std::uint8_t decompressedSizeBytes_[4] = {};
};

// An ID3v2.3 tag: the tag header, the frames in file order and the list of their IDs.
class cID3V23Tag : public id3v2::FrameTable<cID3V23Frame> {
public:
    // Published (with those of FrameTable) ------------------------------------------------
    std::u16string Artist() const { return GetText(u"TPE1"); }
    std::u16string Album() const { return GetText(u"TALB"); }
    std::u16string Title() const { return GetText(u"TIT2"); }
    // The stored text, such as a genre reference "(13)"; nothing is translated.
    std::u16string Genre() const { return GetText(u"TCON"); }
    // The stored text, such as "3/12".
    std::u16string Track() const { return GetText(u"TRCK"); }
    std::u16string Year() const { return GetText(u"TYER"); }

    // Library-internal ---------------------------------------------------------------------
    // The header's synchsafe size plus the 10 header bytes.
    std::int32_t TotalSize() const;
    // The header as handed over by the locator.
    const ID3V2Header& Header() const { return header_; }
    // Reads the tag whose "I" of "ID3" stands at the 1-based `tagPosition` of `file`;
    // `fileLength` is the file's size in bytes and `header` the 10 bytes found there. Called
    // once, by the locator. True when the whole tag was read: the header flags are acceptable
    // (none of 0x0E), the tag ends within the file, its body size is above 0, and the extended
    // header (when flagged) and every frame up to the padding or the end of the body were read.
    bool ReadTag(const platform::fs::ReadFile& file, std::int64_t fileLength,
                 std::int64_t tagPosition, const ID3V2Header& header);
    // See id3v2::removeUnsync.
    static bool RemoveUnsync(ByteView input, Bytes& output) {
        return id3v2::removeUnsync(input, output);
    }

private:
    bool ReadExtHeader(ByteView body);
    bool ReadFrames(ByteView body, std::int64_t start);

    ID3V2Header header_;
    std::uint8_t extHeaderSizeBytes_[4] = {};
};

}  // namespace orvane
