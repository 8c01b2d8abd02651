// The ID3v2.4 tag reader and its frames. Unlike the ID3v2.2 and ID3v2.3 readers, which read the
// whole body at once, this one reads each frame directly from the file and resynchronises each
// payload on its own; frame sizes are synchsafe, a frame may carry a data length indicator, and
// the tag may end with a footer ("3DI").
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

// One ID3v2.4 frame: a 10-byte header (ID, synchsafe size, status and format flags), the bytes
// that the format flags add (group identifier, encryption method, data length indicator, in
// this order, each only when flagged) and the payload.
class cID3V24Frame : public id3v2::FrameData {
public:
    // Published (with those of FrameData) -------------------------------------------------
    // RawData: the payload after unsynchronisation removal and inflating; for an encrypted
    // frame after unsynchronisation removal only.
    // The payload decoded as a text frame, for an ID starting with an upper-case "T" that is
    // not encrypted: encoding 0 is ANSI, 1 UTF-16 (little-endian until a byte order mark says
    // otherwise), 2 UTF-16 big-endian, 3 UTF-8. "" for any other frame or encoding.
    std::u16string TextData() const;

    // Library-internal ---------------------------------------------------------------------
    // The bytes the frame occupies in the file: its size plus the 10-byte header.
    std::int32_t TotalSize() const;
    // Reads the frame at the 1-based `position` of `file`; `tagUnsynchronised` is the tag's
    // flag 0x80, which resynchronises every payload. True when the frame was read (an encrypted
    // frame included). False for a padding mark, a size of 0, a payload that would be empty or
    // runs past the end of the file, a failed resynchronisation, or a compressed frame without
    // a usable data length indicator.
    bool ReadFrame(const platform::fs::ReadFile& file, std::int64_t position,
                   bool tagUnsynchronised);

private:
    bool ProcessData(bool tagUnsynchronised);
    bool RemoveUnsync();
    bool Decompress();
    std::int32_t DataLength() const;

    std::array<std::uint8_t, 4> sizeBytes_{};
    std::uint8_t formatFlags_ = 0;
    std::int32_t addedBytes_ = 0;  // 0 to 6
    std::array<std::uint8_t, 4> dataLengthBytes_{};
};

// An ID3v2.4 tag: the tag header, the frames in file order and the list of their IDs.
class cID3V24Tag : public id3v2::FrameTable<cID3V24Frame> {
public:
    // Published (with those of FrameTable) ------------------------------------------------
    std::u16string Artist() const { return GetText(u"TPE1"); }
    std::u16string Album() const { return GetText(u"TALB"); }
    std::u16string Title() const { return GetText(u"TIT2"); }
    // The stored text, such as a genre reference "(13)"; nothing is translated.
    std::u16string Genre() const { return GetText(u"TCON"); }
    // The stored text, such as "3/12".
    std::u16string Track() const { return GetText(u"TRCK"); }
    // There is no Year: the recording time of ID3v2.4 is not offered as one.

    // Library-internal ---------------------------------------------------------------------
    // The header's synchsafe size plus the 10 header bytes, plus 10 more with a footer.
    std::int32_t TotalSize() const;
    // The header as handed over by the locator.
    const ID3V2Header& Header() const { return header_; }
    // Reads the tag whose "I" of "ID3" stands at the 1-based `tagPosition` of `file`;
    // `fileLength` is the file's size in bytes and `header` the 10 bytes found there. Called
    // once, by the locator. True when the whole tag was read: none of the flags 0x0F, at least
    // two bytes of the file after the tag, the extended header (when flagged) readable, every
    // frame up to the padding or the end of the tag read, and the footer (when flagged)
    // matching the header.
    bool ReadTag(const platform::fs::ReadFile& file, std::int64_t fileLength,
                 std::int64_t tagPosition, const ID3V2Header& header);

private:
    bool ReadExtHeader(const platform::fs::ReadFile& file, std::int64_t position);
    bool ReadFrames(const platform::fs::ReadFile& file, std::int64_t start);
    bool ReadFooter(const platform::fs::ReadFile& file, std::int64_t position);

    ID3V2Header header_;
    std::int64_t tagPosition_ = 0;
    std::array<std::uint8_t, 4> extHeaderSizeBytes_{};
};

}  // namespace orvane
