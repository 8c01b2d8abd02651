#include "orvane/id3v2locator.h"

#include <algorithm>

#include "orvane/helpers.h"

namespace orvane {

namespace {

constexpr std::size_t kHeaderSize = 10;
// The scan looks at every byte position in turn; it reads the file a window at a time so that a
// file without tag or audio (a text file is scanned to its end) costs few reads. Nearly every
// scan ends at the first byte (a tag or the audio starts there), so the first window is small:
// reading a whole song to look at its first ten bytes would be most of the cost of a file.
constexpr std::int64_t kFirstWindow = 4 * 1024;
constexpr std::int64_t kScanWindow = 64 * 1024;

}  // namespace

std::u16string cID3V2Tag::Forward(Text<cID3V22Tag> v22, Text<cID3V23Tag> v23,
                                  Text<cID3V24Tag> v24) const {
    switch (Version()) {
        case 2:
            return v22_ && v22 ? ((*v22_).*v22)() : std::u16string();
        case 3:
            return v23_ && v23 ? ((*v23_).*v23)() : std::u16string();
        case 4:
            return v24_ && v24 ? ((*v24_).*v24)() : std::u16string();
        default:
            return {};
    }
}

std::u16string cID3V2Tag::Artist() const {
    return Forward(&cID3V22Tag::Artist, &cID3V23Tag::Artist, &cID3V24Tag::Artist);
}

std::u16string cID3V2Tag::Album() const {
    return Forward(&cID3V22Tag::Album, &cID3V23Tag::Album, &cID3V24Tag::Album);
}

std::u16string cID3V2Tag::Title() const {
    return Forward(&cID3V22Tag::Title, &cID3V23Tag::Title, &cID3V24Tag::Title);
}

std::u16string cID3V2Tag::Genre() const {
    return Forward(&cID3V22Tag::Genre, &cID3V23Tag::Genre, &cID3V24Tag::Genre);
}

std::u16string cID3V2Tag::Track() const {
    return Forward(&cID3V22Tag::Track, &cID3V23Tag::Track, &cID3V24Tag::Track);
}

std::u16string cID3V2Tag::Year() const {
    return Forward(&cID3V22Tag::Year, &cID3V23Tag::Year, nullptr);
}

bool cID3V2Tag::IsValidHeader(const ID3V2Header& header) {
    return header.majorVersion != 0xFF && header.minorVersion != 0xFF &&
           std::all_of(header.size.begin(), header.size.end(),
                       [](std::uint8_t byte) { return byte < 0x80; });
}

bool cID3V2Tag::ReadTag(const platform::fs::ReadFile& file, std::int64_t fileLength) {
    header_ = ID3V2Header();
    tagPosition_ = 0;
    endPosition_ = 0;
    v22_.reset();
    v23_.reset();
    v24_.reset();

    // The bytes of the file from `windowStart` (1-based) on, refilled whenever the 10 bytes at
    // the scan position are not all inside. Every position scanned has 10 bytes of the file
    // from it, so a header can always be taken from the window.
    Bytes window;
    std::int64_t windowStart = 0;
    std::optional<ID3V2Header> found;
    std::int64_t foundAt = 0;
    for (std::int64_t p = 1; p + static_cast<std::int64_t>(kHeaderSize) < fileLength; ++p) {
        const std::int64_t offset = p - windowStart;
        if (window.empty() || offset + static_cast<std::int64_t>(kHeaderSize) >
                                  static_cast<std::int64_t>(window.size())) {
            const std::int64_t count =
                std::min(window.empty() ? kFirstWindow : kScanWindow, fileLength - p + 1);
            std::optional<Bytes> bytes = ReadBytes(file, p, static_cast<std::size_t>(count));
            if (!bytes) {
                return false;
            }
            window = std::move(*bytes);
            windowStart = p;
        }
        const std::uint8_t* at = window.data() + (p - windowStart);
        if (at[0] == 'I' && at[1] == 'D' && at[2] == '3') {
            const ID3V2Header header = ID3V2Header::fromBytes(at);
            if (IsValidHeader(header)) {
                found = header;
                foundAt = p;
                break;
            }
        } else {
            const auto value = static_cast<std::uint32_t>(BytesToLong(ByteView(at, 4), 0, 4));
            if (IsValidFrameHeader(value)) {
                return false;
            }
        }
    }
    if (!found) {
        return false;
    }
    // A valid header of an unknown version ends the search; a later tag is not looked for.
    header_ = *found;
    tagPosition_ = foundAt;
    std::int64_t totalSize = 0;
    switch (header_.majorVersion) {
        case 2: {
            auto tag = std::make_shared<cID3V22Tag>();
            if (!tag->ReadTag(file, fileLength, tagPosition_, header_)) {
                return false;
            }
            totalSize = tag->TotalSize();
            v22_ = std::move(tag);
            break;
        }
        case 3: {
            auto tag = std::make_shared<cID3V23Tag>();
            if (!tag->ReadTag(file, fileLength, tagPosition_, header_)) {
                return false;
            }
            totalSize = tag->TotalSize();
            v23_ = std::move(tag);
            break;
        }
        case 4: {
            auto tag = std::make_shared<cID3V24Tag>();
            if (!tag->ReadTag(file, fileLength, tagPosition_, header_)) {
                return false;
            }
            totalSize = tag->TotalSize();
            v24_ = std::move(tag);
            break;
        }
        default:
            return false;
    }
    endPosition_ = tagPosition_ + totalSize;
    return true;
}

}  // namespace orvane
