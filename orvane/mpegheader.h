// The first MPEG audio frame header of a file, with the "Xing" VBR header of its first frame,
// and the bit rate and play length derived from them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/filesystem.h"

namespace orvane {

class cMPEGHeader {
public:
    // Properties, in interface order. Meaningful only after ReadHeader returned true (the
    // creator drops the object otherwise).
    std::u16string Version() const;  // "MPEG Version 1", "MPEG Version 2", "MPEG Version 2.5"
    std::u16string Layer() const;    // "Layer I", "Layer II", "Layer III"
    std::u16string Mode() const;     // "Stereo", "Joint Stereo", "Dual Channel", "Single Channel"
    // kbit/s rounded down; -1 for a VBR file whose Xing header gives no usable frame count.
    std::int32_t Bitrate() const;
    std::int32_t Frequency() const;  // Hz
    // Whole seconds, -1 when the bit rate is not positive.
    std::int32_t Duration() const;
    bool CRC() const { return protectionBit_ == 0; }
    bool Copyright() const { return copyright_ != 0; }
    bool Original() const { return original_ != 0; }
    bool VBR() const { return vbr_; }

    // Library-internal. Searches the file for the first valid frame header at the 1-based
    // positions startPosition .. startPosition + 10000 whose four bytes are followed by at
    // least two more bytes, decodes it and looks for a Xing header in its frame. The caller
    // passes the position right after the ID3v2 tags at the start of the file, so that bytes
    // inside them are not mistaken for audio; 1 otherwise. False when no header is found,
    // on a read error, or when the bit rate or the play length in seconds does not fit its
    // 32-bit property. Positions, sizes and byte counts are 64-bit: files of 2 GiB and more
    // have a header too.
    bool ReadHeader(const platform::fs::ReadFile& file, std::int64_t fileLength,
                    std::int64_t startPosition = 1);

    // Library-internal values behind the properties.
    std::int64_t HeaderPosition() const { return headerPosition_; }  // 1-based
    // The bytes counted as audio: from the header to the end of the file, or the byte count
    // of the Xing header (an unsigned 32-bit field there).
    std::int64_t AudioByteCount() const { return audioByteCount_; }
    // As stored; a count of 2^31 or more reads as negative and so as no usable count, since no
    // file below 64 GiB holds that many frames (a frame has at least 32 bytes).
    std::int32_t XingFrameCount() const { return xingFrameCount_; }
    double ExactBitrate() const { return bitrate_; }  // kbit/s, before rounding down

private:
    static constexpr std::size_t kCacheSize = 1025;

    bool CalcBitrate();
    bool ReadWindow(std::array<std::uint8_t, 4>& window, std::int64_t position,
                    const platform::fs::ReadFile& file);

    std::uint8_t versionCode_ = 0;
    std::uint8_t layerCode_ = 0;
    std::uint8_t protectionBit_ = 0;
    std::uint8_t bitrateIndex_ = 0;
    std::uint8_t sampleRateIndex_ = 0;
    std::uint8_t channelMode_ = 0;
    std::uint8_t copyright_ = 0;
    std::uint8_t original_ = 0;
    std::int32_t xingFrameCount_ = 0;
    bool vbr_ = false;
    double bitrate_ = 0;
    std::int32_t duration_ = -1;
    std::int64_t audioByteCount_ = 0;
    std::int64_t headerPosition_ = 0;
    std::array<std::uint8_t, kCacheSize> cache_{};
    std::int64_t cacheStart_ = -1;
};

}  // namespace orvane
