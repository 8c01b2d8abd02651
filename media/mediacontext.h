// What the media readers take from the program around them: the codec and WAVE format names
// of its lists, the MPEG chunk size, the decimal separator and a yield. Free of Qt.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace media {

// One line of codecs.txt: a four-character code and the codec's name.
struct CodecName {
    std::string fourcc;
    std::string name;
};

// One line of waveformats.txt: a WAVE format tag and the format's name.
struct WaveFormatName {
    std::int16_t formatTag = 0;
    std::string name;
};

// What the readers take from the program around them.
struct MediaContext {
    std::vector<CodecName> codecs;            // in file order
    std::vector<WaveFormatName> waveFormats;  // in file order
    std::int32_t mpegBytesToRead = 8192;      // the MPEG branch's chunk size
    std::string decimalSeparator = ".";       // the user's, for values with a fraction
    // Called where a long read lets the window answer (the MPEG branch); may be empty. The
    // readers must not be entered again from inside it.
    std::function<void()> yield;
};

}  // namespace media
