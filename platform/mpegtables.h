// The bit rates and sampling frequencies of MPEG audio frame headers, shared by the program's
// media readers and the tag library, which read the same headers with rules of their own. Free
// of Qt.
#pragma once

#include <array>
#include <cstdint>

namespace platform::mpeg {

// kbit/s by the header's four-bit bit-rate index; index 0 ("free format") and 15 (invalid)
// carry no bit rate.
using BitrateRow = std::array<std::int16_t, 16>;

inline constexpr BitrateRow kMpeg1Layer1 = {0,   32,  64,  96,  128, 160, 192, 224,
                                            256, 288, 320, 352, 384, 416, 448, 0};
inline constexpr BitrateRow kMpeg1Layer2 = {0,   32,  48,  56,  64,  80,  96,  112,
                                            128, 160, 192, 224, 256, 320, 384, 0};
inline constexpr BitrateRow kMpeg1Layer3 = {0,   32,  40,  48,  56,  64,  80,  96,
                                            112, 128, 160, 192, 224, 256, 320, 0};
// The low sampling frequencies: MPEG 2 and MPEG 2.5 share their rows.
inline constexpr BitrateRow kLowLayer1 = {0,   32,  48,  56,  64,  80,  96,  112,
                                          128, 144, 160, 176, 192, 224, 256, 0};
inline constexpr BitrateRow kLowLayers2And3 = {0,  8,  16, 24,  32,  40,  48,  56,
                                               64, 80, 96, 112, 128, 144, 160, 0};
inline constexpr BitrateRow kNoBitrates = {};

// Hz by the header's two-bit sampling-frequency index 0 to 2 (3 is reserved).
using FrequencyRow = std::array<std::int32_t, 3>;

inline constexpr FrequencyRow kMpeg1Frequencies = {44100, 48000, 32000};
inline constexpr FrequencyRow kMpeg2Frequencies = {22050, 24000, 16000};
inline constexpr FrequencyRow kMpeg25Frequencies = {11025, 12000, 8000};
inline constexpr FrequencyRow kNoFrequencies = {};

}  // namespace platform::mpeg
