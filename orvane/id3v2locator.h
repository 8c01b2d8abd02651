// The ID3v2 tag locator: finds the ID3v2 tag near the start of an open file, checks its 10-byte
// header and hands the tag to the reader of its major version (2, 3 or 4). It offers the
// version, the one version object and text shortcuts that forward to it, and where the tag
// ends, so that the search for MPEG audio can begin after it.
//
// Readers return false on any failure and never throw; the creator discards a locator whose
// ReadTag failed, so every one that a client can reach holds a tag that was read completely.
// Getters never fail: a missing text is "", a missing version object is a null pointer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "orvane/id3v22.h"
#include "orvane/id3v23.h"
#include "orvane/id3v24.h"
#include "orvane/id3v2header.h"
#include "platform/filesystem.h"

namespace orvane {

class cID3V2Tag {
public:
    // Published ------------------------------------------------------------------------------
    // The major version byte of the header: 2, 3 or 4 (0 before a successful read).
    std::int32_t Version() const { return header_.majorVersion; }
    // The version object; null unless Version() matches.
    std::shared_ptr<const cID3V22Tag> ID3V22Tag() const { return v22_; }
    std::shared_ptr<const cID3V23Tag> ID3V23Tag() const { return v23_; }
    std::shared_ptr<const cID3V24Tag> ID3V24Tag() const { return v24_; }
    // The property of the same name of the version object, as stored in its frame; "" when
    // there is no version object.
    std::u16string Artist() const;
    std::u16string Album() const;
    std::u16string Title() const;
    std::u16string Genre() const;
    std::u16string Track() const;
    // "" for version 4, which has no year (even when the tag holds a recording time).
    std::u16string Year() const;

    // Library-internal ---------------------------------------------------------------------
    // Scans `file` (of `fileLength` bytes) from its first byte for "ID3" with a valid header,
    // giving up at the first MPEG audio frame header met before it or at the end of the file,
    // then reads the tag with the reader of its major version. True when a tag of version 2, 3
    // or 4 was read completely; a valid header of any other version ends the search with false.
    bool ReadTag(const platform::fs::ReadFile& file, std::int64_t fileLength);
    // The scan of ReadTag on its own: the 1-based position of the first "ID3" with a valid
    // header, or 0 when an MPEG audio frame header comes first, when the file ends before one
    // (each position needs 10 more bytes and one after them) or on a read error.
    static std::int64_t FindHeader(const platform::fs::ReadFile& file, std::int64_t fileLength);
    // True when neither version byte is 0xFF and every size byte is below 0x80. The identifier
    // and the flags are not looked at.
    static bool IsValidHeader(const ID3V2Header& header);

    // The header as found (a copy was handed to the version reader).
    const ID3V2Header& Header() const { return header_; }
    // The 1-based file position of the "I" of "ID3"; 0 before a successful read.
    std::int64_t TagPosition() const { return tagPosition_; }
    // The 1-based file position of the first byte after the tag and its footer, and after every
    // further ID3v2 tag (version 2, 3 or 4, with its footer, inside the file) that follows it
    // directly: where the MPEG audio search starts when the tag stands at the start of the
    // file. A tagger may put its tag in front of one that was there, and the bytes of the
    // second tag are no more audio than those of the first. The tags behind the first are only
    // passed over, never read. 0 before a successful read; one past the end of the file when
    // the tags fill the file.
    std::int64_t EndPosition() const { return endPosition_; }

private:
    template <class Tag>
    using Text = std::u16string (Tag::*)() const;
    // The text of the version object that Version() names, through the given member (null for
    // a version that lacks the property).
    std::u16string Forward(Text<cID3V22Tag> v22, Text<cID3V23Tag> v23, Text<cID3V24Tag> v24) const;
    // The first position from `position` on that does not begin a further tag in a row.
    static std::int64_t SkipFollowingTags(const platform::fs::ReadFile& file,
                                          std::int64_t fileLength, std::int64_t position);

    ID3V2Header header_;
    std::int64_t tagPosition_ = 0;
    std::int64_t endPosition_ = 0;
    std::shared_ptr<const cID3V22Tag> v22_;
    std::shared_ptr<const cID3V23Tag> v23_;
    std::shared_ptr<const cID3V24Tag> v24_;
};

}  // namespace orvane
