// The ID3v1 tag (and its ID3v1.1 form with a track number) in the last 128 bytes of a file.
#pragma once

#include <cstdint>
#include <string>

#include "orvane/helpers.h"
#include "platform/filesystem.h"

namespace orvane {

class cID3V1Tag {
public:
    // Properties and function, in interface order. The texts are cut at their first character
    // 0 and lose their trailing blanks; leading blanks stay.
    const std::u16string& Title() const { return title_; }
    const std::u16string& Artist() const { return artist_; }
    const std::u16string& Album() const { return album_; }
    const std::u16string& Year() const { return year_; }
    // Up to 28 characters in an ID3v1.1 tag, up to 30 in an ID3v1.0 tag.
    const std::u16string& Comments() const { return comments_; }
    // The track number of an ID3v1.1 tag (0 when it leaves it empty); 0 for ID3v1.0.
    std::int32_t Track() const { return track_; }
    std::int32_t Genre() const { return genre_; }  // 0 .. 255
    // The genre name of any number, not only of this tag's genre: "Unknown" outside the table.
    std::u16string GenreString(std::int32_t genreCode) const { return GenreName(genreCode); }

    // Library-internal. Reads the tag from the last 128 bytes of the open file; false when the
    // file is shorter, those bytes do not start with "TAG", or they cannot be read.
    bool ReadTag(const platform::fs::ReadFile& file, std::int64_t fileLength);
    // True when the record starts with exactly "TAG" (case-sensitive).
    static bool IsTag(ByteView record);

    static constexpr std::int64_t kRecordSize = 128;

private:
    std::u16string title_;
    std::u16string artist_;
    std::u16string album_;
    std::u16string year_;
    std::u16string comments_;
    std::int32_t track_ = 0;
    std::int32_t genre_ = 0;
};

}  // namespace orvane
