#include "orvane/id3v2locator.h"

#include <algorithm>
#include <cstring>

#include "orvane/helpers.h"

namespace orvane {

namespace {

constexpr std::size_t kHeaderSize = 10;
// The scan reads the file a window at a time and looks closer only at the bytes that can begin
// a header, so that a file without tag or audio (a text file, a video: scanned to its end)
// costs few reads and little time. Nearly every scan ends at the first byte (a tag or the audio
// starts there), so the first window is small: reading a whole song to look at its first ten
// bytes would be most of the cost of a file. The same holds for the look behind a tag.
constexpr std::int64_t kFirstWindow = 4 * 1024;
constexpr std::int64_t kScanWindow = 64 * 1024;
// A long scan reads ever larger windows, up to this: fewer reads for a file scanned to its end.
constexpr std::int64_t kLargestWindow = 256 * 1024;
// In ID3v2.4, ten more bytes after the tag repeat its header.
constexpr std::uint8_t kFooterFlag = 0x10;

// Finds, in one window of the scan, the next byte that can begin an ID3v2 header ('I') or an
// MPEG frame header (0xFF): no other byte needs a closer look. Each value is searched with
// memchr and its next place kept until the scan passes it, so a window costs one pass per value
// however the two alternate.
class CandidateFinder {
public:
    explicit CandidateFinder(ByteView bytes) : bytes_(bytes) {}

    // The offset of the first candidate at or after `from`; the size of the bytes when none.
    std::ptrdiff_t next(std::ptrdiff_t from) {
        return std::min(advance(nextTag_, from, 'I'), advance(nextSync_, from, 0xFF));
    }

private:
    std::ptrdiff_t advance(std::ptrdiff_t& known, std::ptrdiff_t from, std::uint8_t value) const {
        if (known >= from) {
            return known;
        }
        const auto size = static_cast<std::ptrdiff_t>(bytes_.size());
        if (from >= size) {
            known = size;
        } else if (bytes_[static_cast<std::size_t>(from)] == value) {
            // A run of candidates (a text in capitals) is stepped through without a call each.
            known = from;
        } else {
            const auto rest = static_cast<std::size_t>(size - from - 1);
            const void* hit = std::memchr(bytes_.data() + from + 1, value, rest);
            known = hit ? static_cast<const std::uint8_t*>(hit) - bytes_.data() : size;
        }
        return known;
    }

    ByteView bytes_;
    std::ptrdiff_t nextTag_ = -1;
    std::ptrdiff_t nextSync_ = -1;
};

// The offset of the first byte at or after `from` that is not 0xFF; `size` when none.
std::size_t endOfFFRun(const std::uint8_t* bytes, std::size_t from, std::size_t size) {
    std::size_t i = from;
    // Four words at a time: a long run (a file of 0xFF, a gap of padding) costs little.
    for (; i + 32 <= size; i += 32) {
        std::uint64_t words[4];
        std::memcpy(words, bytes + i, sizeof words);
        if ((words[0] & words[1] & words[2] & words[3]) != ~std::uint64_t{0}) {
            break;
        }
    }
    while (i < size && bytes[i] == 0xFF) {
        ++i;
    }
    return i;
}

std::uint32_t bigEndian32(const std::uint8_t* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) |
           (std::uint32_t{at[2]} << 8) | std::uint32_t{at[3]};
}

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

std::int64_t cID3V2Tag::FindHeader(const platform::fs::ReadFile& file, std::int64_t fileLength) {
    constexpr auto kHeader = static_cast<std::int64_t>(kHeaderSize);
    // The last position looked at: the 10 bytes of a header and one more byte follow it.
    const std::int64_t last = fileLength - kHeader - 1;
    std::int64_t windowSize = kFirstWindow;
    Bytes window;
    for (std::int64_t p = 1; p <= last;) {
        // The file from p on. The positions whose 10 bytes all lie inside are scanned; the next
        // window starts at the first one that does not fit.
        const std::int64_t count = std::min(windowSize, fileLength - p + 1);
        windowSize = std::min(std::max(windowSize * 2, kScanWindow), kLargestWindow);
        window.resize(static_cast<std::size_t>(count));
        const auto got =
            file.readAt(static_cast<std::uint64_t>(p - 1), window.data(), window.size());
        if (!got || got.value() != window.size()) {
            return 0;
        }
        const std::int64_t scanned = std::min(last - p + 1, count - kHeader + 1);
        CandidateFinder finder(ByteView(window.data(), static_cast<std::size_t>(scanned)));
        for (std::ptrdiff_t i = finder.next(0); i < scanned; i = finder.next(i + 1)) {
            const std::uint8_t* at = window.data() + i;
            if (at[0] == 'I' && at[1] == 'D' && at[2] == '3') {
                if (IsValidHeader(ID3V2Header::fromBytes(at))) {
                    return p + i;
                }
            } else if (at[0] == 0xFF) {
                if (IsValidFrameHeader(bigEndian32(at))) {
                    return 0;
                }
                // Inside a run of 0xFF a header cannot start two bytes or more before its end
                // (its bitrate index would be 15), and no 'I' lies in it: the scan goes on at
                // the run's last two bytes.
                const std::size_t end =
                    endOfFFRun(window.data(), static_cast<std::size_t>(i) + 1, window.size());
                i = std::max(i, static_cast<std::ptrdiff_t>(end) - 3);
            }
        }
        p += scanned;
    }
    return 0;
}

bool cID3V2Tag::ReadTag(const platform::fs::ReadFile& file, std::int64_t fileLength) {
    header_ = ID3V2Header();
    tagPosition_ = 0;
    endPosition_ = 0;
    v22_.reset();
    v23_.reset();
    v24_.reset();

    const std::int64_t foundAt = FindHeader(file, fileLength);
    if (foundAt == 0) {
        return false;
    }
    const std::optional<Bytes> headerBytes = ReadBytes(file, foundAt, kHeaderSize);
    if (!headerBytes) {
        return false;
    }
    // A valid header of an unknown version ends the search; a later tag is not looked for.
    header_ = ID3V2Header::fromBytes(headerBytes->data());
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
    endPosition_ = SkipFollowingTags(file, fileLength, tagPosition_ + totalSize);
    return true;
}

std::int64_t cID3V2Tag::SkipFollowingTags(const platform::fs::ReadFile& file,
                                          std::int64_t fileLength, std::int64_t position) {
    constexpr auto kHeader = static_cast<std::int64_t>(kHeaderSize);
    // Headers are taken from a window of the file, so that a long run of small tags costs few
    // reads. Each tag has at least its 10 header bytes, so the walk always ends.
    Bytes window;
    std::int64_t windowStart = 0;
    while (position + kHeader - 1 <= fileLength) {
        if (window.empty() ||
            position - windowStart + kHeader > static_cast<std::int64_t>(window.size())) {
            const std::int64_t count =
                std::min(window.empty() ? kFirstWindow : kScanWindow, fileLength - position + 1);
            std::optional<Bytes> bytes = ReadBytes(file, position, static_cast<std::size_t>(count));
            if (!bytes) {
                break;
            }
            window = std::move(*bytes);
            windowStart = position;
        }
        const std::uint8_t* at = window.data() + (position - windowStart);
        const ID3V2Header header = ID3V2Header::fromBytes(at);
        if (!(at[0] == 'I' && at[1] == 'D' && at[2] == '3') || !IsValidHeader(header) ||
            header.majorVersion < 2 || header.majorVersion > 4) {
            break;
        }
        const std::int64_t footer =
            header.majorVersion == 4 && (header.flags & kFooterFlag) != 0 ? kHeader : 0;
        const std::int64_t size = kHeader + SyncSafeToLong(header.size) + footer;
        // A size beyond the end of the file makes it no tag, as the readers see it.
        if (position + size - 1 > fileLength) {
            break;
        }
        position += size;
    }
    return position;
}

}  // namespace orvane
