// The record of one file's picture, video and sound properties (mediaproperties.h fills it).
// Free of Qt.
#pragma once

#include <string>

namespace media {

// The properties of one file, filled by getMediaProperties. One record serves one expansion
// of a naming pattern: its first media token reads the file, the others find it filled.
struct MediaProperties {
    std::string path;  // the path the record was filled for; the cache key
    std::string width;
    std::string height;
    std::string depth;  // colour depth in bits per pixel
    std::string fps;
    std::string codec;
    std::string length;     // play time in seconds
    std::string bitrate;    // overall, kbit/s
    std::string soundMode;  // "Stereo" or "Mono"
    std::string frequency;  // Hz
    std::string soundFormat;
    std::string bits;          // bits per sound sample
    std::string soundBitrate;  // kbit/s
    std::string sound;         // "Sound" or "No Sound"
};

}  // namespace media
