#include "orvane/mpegheader.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "orvane/helpers.h"
#include "platform/mpegtables.h"

namespace orvane {

namespace {

using platform::mpeg::BitrateRow;
using platform::mpeg::FrequencyRow;

// Bit rates by (lowest bit of the version code, layer code): 1 is MPEG 1, 0 the low sampling
// frequencies of MPEG 2, which MPEG 2.5 shares. Layer code 0 is reserved.
constexpr const BitrateRow* kBitrates[2][4] = {
    {&platform::mpeg::kNoBitrates, &platform::mpeg::kLowLayers2And3,
     &platform::mpeg::kLowLayers2And3, &platform::mpeg::kLowLayer1},
    {&platform::mpeg::kNoBitrates, &platform::mpeg::kMpeg1Layer3, &platform::mpeg::kMpeg1Layer2,
     &platform::mpeg::kMpeg1Layer1},
};

// Sampling frequencies by version code: MPEG 2.5, reserved, MPEG 2, MPEG 1.
constexpr const FrequencyRow* kFrequencies[4] = {
    &platform::mpeg::kMpeg25Frequencies,
    &platform::mpeg::kNoFrequencies,
    &platform::mpeg::kMpeg2Frequencies,
    &platform::mpeg::kMpeg1Frequencies,
};

constexpr const char16_t* kVersionTexts[4] = {u"MPEG Version 2.5", u"Reserved", u"MPEG Version 2",
                                              u"MPEG Version 1"};
constexpr const char16_t* kLayerTexts[4] = {u"Reserved", u"Layer III", u"Layer II", u"Layer I"};
constexpr const char16_t* kModeTexts[4] = {u"Stereo", u"Joint Stereo", u"Dual Channel",
                                           u"Single Channel"};

constexpr std::uint8_t kVersion1 = 3;
constexpr std::uint8_t kLayer1 = 3;
constexpr std::uint8_t kLayer3 = 1;
constexpr std::uint8_t kSingleChannel = 3;

// The positions are tried up to this far after the start.
constexpr std::int64_t kSearchRange = 10000;

bool fitsLong(double value) {
    return value >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
           value <= static_cast<double>(std::numeric_limits<std::int32_t>::max());
}

// Where the Xing header starts, counted from the frame header's first byte: it follows the
// side information, whose size depends on version and channel count.
std::int64_t xingOffset(std::uint8_t versionCode, std::uint8_t channelMode) {
    if (versionCode == kVersion1) {
        return channelMode == kSingleChannel ? 21 : 36;
    }
    return channelMode == kSingleChannel ? 13 : 21;
}

// Bytes of one frame at 1 kbit/s and 1 Hz, times 1000: the factor of the frame length
// formula of the MPEG audio standard (Layer I counts in four-byte slots of 12 per frame,
// Layer III of the low sampling frequencies has half the samples per frame).
double frameLengthDivisor(std::uint8_t versionCode, std::uint8_t layerCode) {
    if (layerCode == kLayer1) {
        return 48000.0;
    }
    if (layerCode == kLayer3 && versionCode != kVersion1) {
        return 72000.0;
    }
    return 144000.0;
}

}  // namespace

std::u16string cMPEGHeader::Version() const {
    return kVersionTexts[versionCode_ & 3];
}

std::u16string cMPEGHeader::Layer() const {
    return kLayerTexts[layerCode_ & 3];
}

std::u16string cMPEGHeader::Mode() const {
    return kModeTexts[channelMode_ & 3];
}

std::int32_t cMPEGHeader::Bitrate() const {
    // ReadHeader refused every bit rate whose floor does not fit.
    return static_cast<std::int32_t>(std::floor(bitrate_));
}

std::int32_t cMPEGHeader::Frequency() const {
    return (*kFrequencies[versionCode_ & 3])[sampleRateIndex_ < 3 ? sampleRateIndex_ : 0];
}

std::int32_t cMPEGHeader::Duration() const {
    return duration_;
}

bool cMPEGHeader::ReadHeader(const platform::fs::ReadFile& file, std::int64_t fileLength,
                             std::int64_t startPosition) {
    if (startPosition < 1 || fileLength < 0 || startPosition > fileLength) {
        return false;
    }
    const std::int64_t start = startPosition;

    bool valid = false;
    std::uint32_t header = 0;
    if (start + 4 < fileLength) {
        const auto first = ReadBytesPadded(file, start, 4);
        if (!first) {
            return false;
        }
        header = static_cast<std::uint32_t>(BytesToLong(*first, 0, 4));
        valid = IsValidFrameHeader(header);
    }

    std::int64_t position = start + 1;
    cacheStart_ = -1;
    std::array<std::uint8_t, 4> window{};
    while (!valid && position <= start + kSearchRange && position + 4 < fileLength) {
        if (!ReadWindow(window, position, file)) {
            return false;
        }
        header = static_cast<std::uint32_t>(BytesToLong(window, 0, 4));
        valid = IsValidFrameHeader(header);
        ++position;
    }
    if (!valid) {
        return false;
    }

    headerPosition_ = position - 1;
    audioByteCount_ = fileLength - headerPosition_ - 1;

    versionCode_ = static_cast<std::uint8_t>((header >> 19) & 0x3);
    layerCode_ = static_cast<std::uint8_t>((header >> 17) & 0x3);
    protectionBit_ = static_cast<std::uint8_t>((header >> 16) & 0x1);
    bitrateIndex_ = static_cast<std::uint8_t>((header >> 12) & 0xF);
    sampleRateIndex_ = static_cast<std::uint8_t>((header >> 10) & 0x3);
    channelMode_ = static_cast<std::uint8_t>((header >> 6) & 0x3);
    copyright_ = static_cast<std::uint8_t>((header >> 3) & 0x1);
    original_ = static_cast<std::uint8_t>((header >> 2) & 0x1);

    const std::int64_t xingPosition = headerPosition_ + xingOffset(versionCode_, channelMode_);
    if (xingPosition + 12 < fileLength) {
        // The counts may reach past the end of a cut-off file; what is missing reads as 0.
        const auto xing = ReadBytesPadded(file, xingPosition, 16);
        if (!xing) {
            return false;
        }
        if (BytesToString(*xing, 0, 4) == u"Xing") {
            const std::int32_t flags = BytesToLong(*xing, 4, 4);
            if ((flags & 1) != 0) {
                xingFrameCount_ = BytesToLong(*xing, 8, 4);
                // A byte count without a frame count would be useless, so it is not read.
                if ((flags & 2) != 0) {
                    // Unsigned: a VBR file of 2 GiB or more counts its bytes past 2^31.
                    audioByteCount_ = static_cast<std::uint32_t>(BytesToLong(*xing, 12, 4));
                }
            }
            vbr_ = true;
        }
    }

    return CalcBitrate();
}

bool cMPEGHeader::CalcBitrate() {
    if (vbr_) {
        if (xingFrameCount_ < 1) {
            bitrate_ = -1;
        } else {
            const double frequency = (*kFrequencies[versionCode_ & 3])[sampleRateIndex_];
            bitrate_ =
                frequency *
                (static_cast<double>(audioByteCount_) / static_cast<double>(xingFrameCount_)) /
                frameLengthDivisor(versionCode_, layerCode_);
        }
    } else {
        bitrate_ = (*kBitrates[versionCode_ & 1][layerCode_ & 3])[bitrateIndex_ & 0xF];
    }
    if (!fitsLong(std::floor(bitrate_))) {
        return false;
    }

    if (bitrate_ > 0) {
        // Rounded half to even, as the default floating-point rounding mode does. Only the
        // seconds must fit 32 bits: at 8 kbit/s a file of 2 GiB already lasts 2^31 ms.
        const double milliseconds =
            std::nearbyint(static_cast<double>(audioByteCount_) / bitrate_ * 8);
        if (!fitsLong(std::trunc(milliseconds / 1000))) {
            return false;
        }
        // Below 2^31 seconds the milliseconds are a whole number well within 64 bits.
        duration_ = static_cast<std::int32_t>(static_cast<std::int64_t>(milliseconds) / 1000);
    } else {
        duration_ = -1;
    }
    return true;
}

bool cMPEGHeader::ReadWindow(std::array<std::uint8_t, 4>& window, std::int64_t position,
                             const platform::fs::ReadFile& file) {
    // Blocks of 1025 bytes overlapping by four, so a window never needs the last cache byte.
    if (cacheStart_ < 0 || position < cacheStart_ || position > cacheStart_ + 1020) {
        const auto block = ReadBytesPadded(file, position, kCacheSize);
        if (!block) {
            return false;
        }
        std::memcpy(cache_.data(), block->data(), kCacheSize);
        cacheStart_ = position;
    }
    const auto at = static_cast<std::size_t>(position - cacheStart_);
    std::memcpy(window.data(), cache_.data() + at, window.size());
    return true;
}

}  // namespace orvane
