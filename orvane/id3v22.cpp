#include "orvane/id3v22.h"

#include "orvane/id3v2.h"

namespace orvane {

namespace {

constexpr std::size_t kFrameHeaderSize = 6;
// Tag flags that this reader cannot handle; any of them makes the tag count as absent.
constexpr std::uint8_t kRejectedFlags = 0x0C;
constexpr std::uint8_t kUnsynchronised = 0x80;

}  // namespace

// cID3V22Frame ---------------------------------------------------------------------------------

std::u16string cID3V22Frame::TextData() const {
    return id3v2::decodeTextFrame(id_, payload_);
}

std::int32_t cID3V22Frame::TotalSize() const {
    return BytesToLong(sizeBytes_, 0, 3) + static_cast<std::int32_t>(kFrameHeaderSize);
}

bool cID3V22Frame::ReadFrame(ByteView bytes) {
    if (bytes.size() < kFrameHeaderSize) {
        return false;
    }
    id_ = BytesToString(bytes, 0, 3);
    if (bytes[0] == 0) {
        padding_ = true;
        return false;
    }
    const std::int32_t size = BytesToLong(bytes, 3, 3);
    if (size <= 0 || bytes.size() - kFrameHeaderSize < static_cast<std::size_t>(size)) {
        return false;
    }
    sizeBytes_ = {bytes[3], bytes[4], bytes[5]};
    payload_.assign(bytes.begin() + kFrameHeaderSize, bytes.begin() + kFrameHeaderSize + size);
    return true;
}

// cID3V22Tag -----------------------------------------------------------------------------------

std::int32_t cID3V22Tag::TotalSize() const {
    return SyncSafeToLong(header_.size) + kTagHeaderSize;
}

bool cID3V22Tag::ReadTag(const platform::fs::ReadFile& file, std::int64_t fileLength,
                         std::int64_t tagPosition, const ID3V2Header& header) {
    header_ = header;
    clearFrames();

    if ((header_.flags & kRejectedFlags) != 0 || tagPosition < 1 ||
        tagPosition + TotalSize() - 1 > fileLength) {
        return false;
    }
    const std::int32_t bodySize = SyncSafeToLong(header_.size);
    if (bodySize <= 0) {
        return false;
    }
    std::optional<Bytes> body =
        ReadBytes(file, tagPosition + kTagHeaderSize, static_cast<std::size_t>(bodySize));
    if (!body) {
        return false;
    }
    if ((header_.flags & kUnsynchronised) != 0) {
        Bytes resynchronised;
        if (!id3v2::removeUnsync(*body, resynchronised)) {
            return false;
        }
        body = std::move(resynchronised);
    }
    return ReadFrames(*body);
}

bool cID3V22Tag::ReadFrames(ByteView body) {
    const std::size_t length = body.size();
    std::size_t p = 0;
    // A single byte left after the last frame cannot start anything and is passed over.
    while (p + 1 < length) {
        // Padding may be shorter than a frame header, so it is recognised before the frame's
        // bounds are tested.
        if (body[p] == 0) {
            return true;
        }
        // The body is at most 2^28 bytes (synchsafe size), so offsets fit the 32-bit helpers;
        // a size field that runs past the body reads as 0.
        const auto size = BytesToLong(body, static_cast<std::int32_t>(p + 3), 3);
        const std::size_t frameLength = static_cast<std::size_t>(size) + kFrameHeaderSize;
        if (frameLength > length - p) {
            return false;
        }
        auto frame = std::make_shared<cID3V22Frame>();
        if (!frame->ReadFrame(body.subspan(p, frameLength))) {
            return frame->IsPadding();
        }
        p += static_cast<std::size_t>(frame->TotalSize());
        addFrame(std::move(frame));
    }
    return true;
}

}  // namespace orvane
