#include "orvane/id3v1.h"

namespace orvane {

namespace {

// Field offsets within the record.
constexpr std::int32_t kTitle = 3;
constexpr std::int32_t kArtist = 33;
constexpr std::int32_t kAlbum = 63;
constexpr std::int32_t kYear = 93;
constexpr std::int32_t kComment = 97;
constexpr std::size_t kZeroByte = 125;
constexpr std::size_t kTrackByte = 126;
constexpr std::size_t kGenreByte = 127;

std::u16string field(ByteView record, std::int32_t start, std::int32_t length) {
    return TrimTrailingBlanks(TrimNull(BytesToString(record, start, length)));
}

}  // namespace

bool cID3V1Tag::IsTag(ByteView record) {
    return record.size() >= 3 && record[0] == 'T' && record[1] == 'A' && record[2] == 'G';
}

bool cID3V1Tag::ReadTag(const platform::fs::ReadFile& file, std::int64_t fileLength) {
    if (fileLength < kRecordSize) {
        return false;
    }
    const auto record = ReadBytes(file, fileLength - kRecordSize + 1, kRecordSize);
    if (!record || !IsTag(*record)) {
        return false;
    }
    title_ = field(*record, kTitle, 30);
    artist_ = field(*record, kArtist, 30);
    album_ = field(*record, kAlbum, 30);
    year_ = field(*record, kYear, 4);
    if ((*record)[kZeroByte] != 0) {
        // ID3v1.0: the last two bytes belong to the comment.
        comments_ = field(*record, kComment, 30);
        track_ = 0;
    } else {
        comments_ = field(*record, kComment, 28);
        track_ = (*record)[kTrackByte];
    }
    genre_ = (*record)[kGenreByte];
    return true;
}

}  // namespace orvane
