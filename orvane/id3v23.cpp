#include "orvane/id3v23.h"

#include <zlib.h>

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

// Lower case of the letters that can occur in a frame ID read through the ANSI code page.
char16_t foldCase(char16_t c) {
    if (c >= u'A' && c <= u'Z') {
        return static_cast<char16_t>(c + 0x20);
    }
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
        return static_cast<char16_t>(c + 0x20);
    }
    switch (c) {
        case 0x0152:  // OE ligature
        case 0x0160:  // S caron
        case 0x017D:  // Z caron
            return static_cast<char16_t>(c + 1);
        case 0x0178:  // Y diaeresis
            return 0x00FF;
        default:
            return c;
    }
}

}  // namespace

// Shared frame handling ------------------------------------------------------------------------

namespace id3v2 {

bool removeUnsync(ByteView input, Bytes& output) {
    output.clear();
    if (input.empty()) {
        return false;
    }
    output.reserve(input.size());
    output.push_back(input[0]);
    for (std::size_t i = 1; i < input.size(); ++i) {
        // The test looks at the input byte before, so FF 00 00 keeps its second zero.
        if (input[i] == 0x00 && input[i - 1] == 0xFF) {
            continue;
        }
        output.push_back(input[i]);
    }
    return true;
}

bool inflate(ByteView compressed, std::int32_t declaredSize, Bytes& output) {
    if (declaredSize <= 0 || declaredSize > kMaxDecompressedSize) {
        return false;
    }
    Bytes buffer(static_cast<std::size_t>(declaredSize), 0);
    uLongf destLength = static_cast<uLongf>(declaredSize);
    static const Bytef kNothing = 0;
    const Bytef* source = compressed.empty() ? &kNothing : compressed.data();
    // Tags written by other programs were accepted with damaged streams all along: whatever zlib
    // managed to produce stands, padded with zeros to the declared size.
    (void)uncompress(buffer.data(), &destLength, source, static_cast<uLong>(compressed.size()));
    output = std::move(buffer);
    return true;
}

std::u16string decodeAnsiText(ByteView payload) {
    if (payload.size() <= 1) {
        return {};
    }
    return AnsiToText(payload.subspan(1));
}

std::u16string decodeUnicodeText(ByteView payload) {
    std::u16string text;
    if (payload.size() <= 1) {
        return text;
    }
    text.reserve((payload.size() - 1) / 2);
    bool littleEndian = true;
    for (std::size_t i = 1; i + 1 < payload.size(); i += 2) {
        const std::uint8_t first = payload[i];
        const std::uint8_t second = payload[i + 1];
        if (first == 0xFF && second == 0xFE) {
            littleEndian = true;
            continue;
        }
        if (first == 0xFE && second == 0xFF) {
            littleEndian = false;
            continue;
        }
        text.push_back(littleEndian ? static_cast<char16_t>(first | (second << 8))
                                    : static_cast<char16_t>((first << 8) | second));
    }
    return text;
}

std::u16string decodeTextFrame(std::u16string_view id, ByteView payload) {
    if (id.empty() || id.front() != u'T' || payload.empty()) {
        return {};
    }
    switch (payload[0]) {
        case 0:
            return decodeAnsiText(payload);
        case 1:
            return decodeUnicodeText(payload);
        default:
            return {};
    }
}

bool frameIdEquals(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(a[i]) != foldCase(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace id3v2

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

cID3V23Tag::Frame cID3V23Tag::GetFrameByID(std::u16string_view frameID) const {
    return id3v2::findFrame(frames_, frameID);
}

cID3V23Tag::Frame cID3V23Tag::GetFrameByIndex(std::int32_t index) const {
    return id3v2::frameAt(frames_, index);
}

std::u16string cID3V23Tag::GetText(std::u16string_view frameID) const {
    return id3v2::joinedText(frames_, frameID);
}

std::int32_t cID3V23Tag::TotalSize() const {
    return SyncSafeToLong(header_.size) + static_cast<std::int32_t>(kFrameHeaderSize);
}

bool cID3V23Tag::ReadTag(const platform::fs::ReadFile& file, std::int64_t fileLength,
                         std::int64_t tagPosition, const ID3V2Header& header) {
    header_ = header;
    frames_.clear();
    frameList_.clear();

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
        ReadBytes(file, tagPosition + kFrameHeaderSize, static_cast<std::size_t>(bodySize));
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
        frameList_ += frame->ID();
        frameList_ += u';';
        frames_.push_back(std::move(frame));
    }
    return true;
}

}  // namespace orvane
