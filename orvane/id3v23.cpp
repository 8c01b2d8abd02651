#include "orvane/id3v23.h"

#include <algorithm>
#include <utility>

namespace orvane {

namespace {

// Tag header flags.
constexpr std::uint8_t kTagUnsync = 0x80;
constexpr std::uint8_t kTagExtendedHeader = 0x40;
constexpr std::uint8_t kTagRejectedFlags = 0x0E;

// Frame format flags.
constexpr std::uint8_t kFrameCompressed = 0x80;
constexpr std::uint8_t kFrameEncrypted = 0x40;
constexpr std::uint8_t kFrameGrouped = 0x20;

constexpr std::int64_t kFrameHeaderSize = 10;

}  // namespace

// cID3V23Frame -----------------------------------------------------------------------------

std::u16string cID3V23Frame::TextData() const {
    if (encrypted_) {
        return {};
    }
    return id3v2::decodeTextFrame(id_, payload_);
}

std::int32_t cID3V23Frame::TotalSize() const {
    // A frame that was read fitted inside its bytes, so this cannot overflow.
    return BytesToLong(sizeBytes_, 0, 4) + static_cast<std::int32_t>(kFrameHeaderSize);
}

bool cID3V23Frame::ReadFrame(ByteView bytes) {
    if (bytes.size() < static_cast<std::size_t>(kFrameHeaderSize)) {
        return false;
    }
    std::u16string id = BytesToString(bytes, 0, 4);
    if (bytes[0] == 0) {
        padding_ = true;
        return false;
    }
    const std::int64_t size = BytesToLong(bytes, 4, 4);
    const std::uint8_t formatFlags = bytes[9];
    if (size <= 0) {
        return false;
    }

    std::int64_t offset = kFrameHeaderSize;
    if (formatFlags & kFrameCompressed) {
        if (offset + 4 <= static_cast<std::int64_t>(bytes.size())) {
            for (int i = 0; i < 4; ++i) {
                decompressedSizeBytes_[i] = bytes[static_cast<std::size_t>(offset) + i];
            }
        }
        offset += 4;
    }
    // The encryption method and the group identifier are passed over: nothing here uses them.
    if (formatFlags & kFrameEncrypted) {
        offset += 1;
    }
    if (formatFlags & kFrameGrouped) {
        offset += 1;
    }
    // The size counts the bytes the flags add as well as the payload.
    const std::int64_t payloadSize = size - (offset - kFrameHeaderSize);
    if (payloadSize <= 0 || offset + payloadSize > static_cast<std::int64_t>(bytes.size())) {
        return false;
    }
    const auto begin = bytes.begin() + offset;
    payload_.assign(begin, begin + payloadSize);

    id_ = std::move(id);
    for (int i = 0; i < 4; ++i) {
        sizeBytes_[i] = bytes[4 + static_cast<std::size_t>(i)];
    }
    formatFlags_ = formatFlags;
    return ProcessData() || encrypted_;
}

bool cID3V23Frame::ProcessData() {
    if (formatFlags_ & kFrameEncrypted) {
        // Kept as stored: without the key there is nothing to inflate or decode.
        encrypted_ = true;
        return false;
    }
    if (formatFlags_ & kFrameCompressed) {
        return Decompress();
    }
    return true;
}

bool cID3V23Frame::Decompress() {
    Bytes inflated;
    if (!id3v2::inflate(payload_, BytesToLong(decompressedSizeBytes_, 0, 4), inflated)) {
        return false;
    }
    payload_ = std::move(inflated);
    return true;
}

// cID3V23Tag -------------------------------------------------------------------------------

std::int32_t cID3V23Tag::TotalSize() const {
    return SyncSafeToLong(header_.size) + kTagHeaderSize;
}

bool cID3V23Tag::ReadTag(const platform::fs::ReadFile& file, std::int64_t fileLength,
                         std::int64_t tagPosition, const ID3V2Header& header) {
    header_ = header;
    clearFrames();

    if (header_.flags & kTagRejectedFlags) {
        return false;
    }
    // The tag must end on or before the file's last byte.
    if (tagPosition + TotalSize() - 1 > fileLength) {
        return false;
    }
    const std::int32_t bodySize = SyncSafeToLong(header_.size);
    if (bodySize <= 0) {
        return false;
    }
    std::optional<Bytes> read =
        ReadBytes(file, tagPosition + kTagHeaderSize, static_cast<std::size_t>(bodySize));
    if (!read) {
        return false;
    }
    Bytes body = std::move(*read);

    if (header_.flags & kTagUnsync) {
        Bytes plain;
        if (!RemoveUnsync(body, plain)) {
            return false;
        }
        body = std::move(plain);
    }

    std::int64_t start = 0;
    if (header_.flags & kTagExtendedHeader) {
        if (!ReadExtHeader(body)) {
            return false;
        }
        // The size counts the bytes after the size field.
        start = static_cast<std::int64_t>(BytesToLong(extHeaderSizeBytes_, 0, 4)) + 4;
    }
    return ReadFrames(body, start);
}

bool cID3V23Tag::ReadExtHeader(ByteView body) {
    if (body.size() < 4) {
        return false;
    }
    if (BytesToLong(body, 0, 4) <= 0) {
        return false;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        extHeaderSizeBytes_[i] = body[i];
    }
    return true;
}

bool cID3V23Tag::ReadFrames(ByteView body, std::int64_t start) {
    const auto bodySize = static_cast<std::int64_t>(body.size());
    std::int64_t p = start;
    id3v2::InflationBudget inflation;
    // At least two bytes must remain for another frame: a single trailing byte is tolerated.
    while (p < bodySize - 1) {
        // Padding may be shorter than a frame header, so it is recognised before the frame has
        // to fit: a zero byte where a frame ID would start ends the frames.
        if (body[static_cast<std::size_t>(p)] == 0) {
            return true;
        }
        const std::int64_t size = BytesToLong(body, static_cast<std::int32_t>(p + 4), 4);
        if (size < 0) {
            return false;
        }
        const std::int64_t length = size + kFrameHeaderSize;
        if (p + length > bodySize) {
            return false;
        }
        auto frame = std::make_shared<cID3V23Frame>();
        if (!frame->ReadFrame(
                body.subspan(static_cast<std::size_t>(p), static_cast<std::size_t>(length)))) {
            return frame->IsPadding();
        }
        if (!inflation.take(frame->TotalSize() - kFrameHeaderSize, frame->PayloadSize())) {
            return false;
        }
        p += frame->TotalSize();
        addFrame(std::move(frame));
    }
    return true;
}

}  // namespace orvane
