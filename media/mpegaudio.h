// The program's own MPEG audio frame header reader (the MPEG stream branch points it at a
// system stream's audio packet) and the two length texts of the naming patterns. Independent
// of the tag library, which has a reader and texts of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace media {

struct MpegFrameInfo {
    std::int16_t bitrate = 0;  // kbit/s, 0 when unknown
    std::string formatText;    // "MPEG 1 Layer 2"
    std::string modeText;      // "Joint Stereo"
    bool stereo = false;
    std::int32_t frequency = 0;  // Hz, 0 when unknown
};

std::string getVersionText(int bits);
std::string getLayerText(int bits);
std::string getChannelModeText(int bits);
bool isStereo(int bits);
std::int32_t getSampleRate(int bits, const std::string& formatText);
std::int16_t getBitrate(int bits, const std::string& formatText);

// Scans the file from the 1-based position `start` for the first plausible frame header, at
// most 64 steps; `yield` (may be empty) is called after every step. False only when the steps
// ran out.
bool getMpegHeader(const std::string& path, MpegFrameInfo& info, std::int64_t start,
                   const std::function<void()>& yield);

// "1 H 2 Min 5 Sec" and "01:02:05".
std::string formatLength(std::int64_t seconds);
std::string formatLengthShort(std::int64_t seconds);

}  // namespace media
