#include "orvane/id3v24.h"

#include <algorithm>
#include <utility>

#include "orvane/id3v2.h"

namespace orvane {

namespace {

constexpr std::int64_t kFrameHeaderSize = 10;

// Tag header flags.
constexpr std::uint8_t kTagUnsynchronised = 0x80;
constexpr std::uint8_t kTagExtendedHeader = 0x40;
constexpr std::uint8_t kTagFooter = 0x10;
constexpr std::uint8_t kTagRejectedFlags = 0x0F;

// Frame format flags.
constexpr std::uint8_t kFrameGrouping = 0x40;
constexpr std::uint8_t kFrameCompressed = 0x08;
constexpr std::uint8_t kFrameEncrypted = 0x04;
constexpr std::uint8_t kFrameUnsynchronised = 0x02;
constexpr std::uint8_t kFrameDataLength = 0x01;

// Text encodings of ID3v2.4 beyond the two that the older versions share.
constexpr std::uint8_t kEncodingUtf16BigEndian = 2;
constexpr std::uint8_t kEncodingUtf8 = 3;

// UTF-8 into UTF-16. Every byte that cannot start or continue a well-formed sequence (overlong
// forms, surrogates and values above U+10FFFF included) gives one U+FFFD for the longest
// malformed piece, the way most decoders do. A leading byte order mark is dropped, as the UTF-16
// decoder drops its marks. NUL bytes stay NUL characters, like in the other encodings.
std::u16string decodeUtf8(ByteView bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        i = 3;
    }
    while (i < bytes.size()) {
        const std::uint8_t lead = bytes[i];
        if (lead < 0x80) {
            text += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t codePoint = 0;
        std::uint8_t low = 0x80;   // bounds of the second byte, narrowed to refuse overlong
        std::uint8_t high = 0xBF;  // forms, surrogates and values past U+10FFFF
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            codePoint = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            codePoint = lead & 0x0Fu;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            codePoint = lead & 0x07u;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            text += u'\uFFFD';
            ++i;
            continue;
        }
        std::size_t taken = 1;
        while (taken < length && i + taken < bytes.size()) {
            const std::uint8_t next = bytes[i + taken];
            const std::uint8_t min = taken == 1 ? low : std::uint8_t{0x80};
            const std::uint8_t max = taken == 1 ? high : std::uint8_t{0xBF};
            if (next < min || next > max) {
                break;
            }
            codePoint = (codePoint << 6) | (next & 0x3Fu);
            ++taken;
        }
        i += taken;
        if (taken < length) {
            text += u'\uFFFD';
        } else if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            text += static_cast<char16_t>(0xD800 + (codePoint >> 10));
            text += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
        } else {
            text += static_cast<char16_t>(codePoint);
        }
    }
    return text;
}

// UTF-16 big-endian without a byte order mark. The shared decoder starts little-endian but obeys
// marks wherever they stand, so a leading FE FF puts it into big-endian order; a mark inside
// the text is then honoured as in encoding 1.
std::u16string decodeUtf16BigEndian(ByteView payload) {
    if (payload.size() <= 1) {
        return {};
    }
    Bytes marked{payload[0], 0xFE, 0xFF};
    marked.insert(marked.end(), payload.begin() + 1, payload.end());
    return id3v2::decodeUnicodeText(marked);
}

}  // namespace

// cID3V24Frame ---------------------------------------------------------------------------------

std::u16string cID3V24Frame::TextData() const {
    if (encrypted_ || id_.empty() || id_[0] != u'T' || payload_.empty()) {
        return {};
    }
    switch (payload_[0]) {
        case kEncodingUtf16BigEndian:
            return decodeUtf16BigEndian(payload_);
        case kEncodingUtf8:
            return payload_.size() > 1 ? decodeUtf8(ByteView(payload_).subspan(1))
                                       : std::u16string();
        default:
            return id3v2::decodeTextFrame(id_, payload_);
    }
}

std::int32_t cID3V24Frame::TotalSize() const {
    return SyncSafeToLong(sizeBytes_) + static_cast<std::int32_t>(kFrameHeaderSize);
}

std::int32_t cID3V24Frame::DataLength() const {
    return SyncSafeToLong(dataLengthBytes_);
}

bool cID3V24Frame::ReadFrame(const platform::fs::ReadFile& file, std::int64_t position,
                             bool tagUnsynchronised) {
    // The header alone may reach past the end of the file (the end of the tag is not the end of
    // the file); what lies beyond reads as zeros, which a padding test or a size test refuses.
    const std::optional<Bytes> header =
        ReadBytesPadded(file, position, static_cast<std::size_t>(kFrameHeaderSize));
    if (!header) {
        return false;
    }
    id_ = BytesToString(*header, 0, 4);
    if ((*header)[0] == 0) {
        padding_ = true;
        return false;
    }
    const std::int32_t size = SyncSafeToLong(ByteView(*header).subspan(4, 4));
    if (size <= 0) {
        return false;
    }
    std::copy_n(header->begin() + 4, 4, sizeBytes_.begin());
    formatFlags_ = (*header)[9];

    addedBytes_ = 0;
    if ((formatFlags_ & kFrameGrouping) != 0) {
        addedBytes_ += 1;
    }
    if ((formatFlags_ & kFrameEncrypted) != 0) {
        addedBytes_ += 1;
    }
    const bool hasDataLength = (formatFlags_ & kFrameDataLength) != 0;
    if (hasDataLength) {
        addedBytes_ += 4;
    }
    const std::int32_t payloadSize = size - addedBytes_;
    if (payloadSize <= 0) {
        return false;
    }
    // A frame that runs past the end of the file is damaged, so the body is not read zero-filled:
    // that would let a size field drive the allocation far beyond what the file holds.
    const std::optional<Bytes> body =
        ReadBytes(file, position + kFrameHeaderSize, static_cast<std::size_t>(size));
    if (!body) {
        return false;
    }
    if (hasDataLength) {
        // The data length indicator is the last of the added bytes.
        std::copy_n(body->begin() + (addedBytes_ - 4), 4, dataLengthBytes_.begin());
    }
    payload_.assign(body->begin() + addedBytes_, body->end());
    return ProcessData(tagUnsynchronised) || encrypted_;
}

bool cID3V24Frame::ProcessData(bool tagUnsynchronised) {
    if ((formatFlags_ & kFrameUnsynchronised) != 0 || tagUnsynchronised) {
        if (!RemoveUnsync()) {
            return false;
        }
    }
    if ((formatFlags_ & kFrameEncrypted) != 0) {
        encrypted_ = true;
        return false;
    }
    if ((formatFlags_ & kFrameCompressed) != 0) {
        return Decompress();
    }
    return true;
}

bool cID3V24Frame::RemoveUnsync() {
    Bytes resynchronised;
    if (!id3v2::removeUnsync(payload_, resynchronised)) {
        return false;
    }
    // The data length indicator announces the resynchronised length; room is made for one byte
    // more, and a payload that gives more than that is damaged.
    if ((formatFlags_ & kFrameDataLength) != 0 &&
        resynchronised.size() > static_cast<std::size_t>(DataLength()) + 1) {
        return false;
    }
    payload_ = std::move(resynchronised);
    return true;
}

bool cID3V24Frame::Decompress() {
    // Without a data length indicator the bytes stay zero, and a size of 0 cannot be inflated.
    Bytes inflated;
    if (!id3v2::inflate(payload_, DataLength(), inflated)) {
        return false;
    }
    payload_ = std::move(inflated);
    return true;
}

// cID3V24Tag -----------------------------------------------------------------------------------

std::int32_t cID3V24Tag::TotalSize() const {
    const std::int32_t footer = (header_.flags & kTagFooter) != 0 ? kTagHeaderSize : 0;
    return SyncSafeToLong(header_.size) + kTagHeaderSize + footer;
}

bool cID3V24Tag::ReadTag(const platform::fs::ReadFile& file, std::int64_t fileLength,
                         std::int64_t tagPosition, const ID3V2Header& header) {
    header_ = header;
    tagPosition_ = tagPosition;
    extHeaderSizeBytes_ = {};
    clearFrames();

    // Stricter than the older versions by two bytes: the tag must leave at least two bytes of
    // the file after it. Kept so that files read the same as they always have.
    if ((header_.flags & kTagRejectedFlags) != 0 || tagPosition < 1 ||
        tagPosition + TotalSize() >= fileLength) {
        return false;
    }
    if ((header_.flags & kTagExtendedHeader) != 0 &&
        !ReadExtHeader(file, tagPosition + kTagHeaderSize)) {
        return false;
    }
    if (!ReadFrames(file, tagPosition + kTagHeaderSize + SyncSafeToLong(extHeaderSizeBytes_))) {
        return false;
    }
    if ((header_.flags & kTagFooter) != 0 &&
        !ReadFooter(file, tagPosition + kTagHeaderSize + SyncSafeToLong(header_.size))) {
        return false;
    }
    return true;
}

bool cID3V24Tag::ReadExtHeader(const platform::fs::ReadFile& file, std::int64_t position) {
    const std::optional<Bytes> size = ReadBytes(file, position, 4);
    if (!size) {
        return false;
    }
    std::copy_n(size->begin(), 4, extHeaderSizeBytes_.begin());
    return true;
}

bool cID3V24Tag::ReadFrames(const platform::fs::ReadFile& file, std::int64_t start) {
    const std::int64_t end = tagPosition_ + 10 + SyncSafeToLong(header_.size);
    const bool unsynchronised = (header_.flags & kTagUnsynchronised) != 0;
    id3v2::InflationBudget inflation;
    // A frame may run past the end of the tag (it is read as declared, and the walk ends after
    // it); padding of any length, even shorter than a frame header, ends the walk.
    for (std::int64_t p = start; p < end;) {
        auto frame = std::make_shared<cID3V24Frame>();
        if (!frame->ReadFrame(file, p, unsynchronised)) {
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

bool cID3V24Tag::ReadFooter(const platform::fs::ReadFile& file, std::int64_t position) {
    const std::optional<Bytes> bytes = ReadBytes(file, position, 10);
    if (!bytes) {
        return false;
    }
    const ID3V2Header footer = ID3V2Header::fromBytes(bytes->data());
    return footer.identifier == std::array<std::uint8_t, 3>{'3', 'D', 'I'} &&
           footer.majorVersion == header_.majorVersion &&
           footer.minorVersion == header_.minorVersion && footer.flags == header_.flags &&
           SyncSafeToLong(footer.size) == SyncSafeToLong(header_.size);
}

}  // namespace orvane
