// The properties of picture, video and sound files that the naming pattern's media tokens show,
// read from the files' headers. Free of Qt like the tag library: it reads bytes, and its
// readers are tested and fuzzed without a display.
//
// Every value is text (UTF-8); a value the file does not give stays empty, and the pattern
// then counts its token as unavailable.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

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

// A failure that the MPEG branch does not absorb: the pattern's expansion ends with an error
// line naming `number` and what().
class MediaFailure : public std::runtime_error {
public:
    MediaFailure(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    int number() const { return number_; }

private:
    int number_;
};

// Fills `record` with the properties of the file at `path` (a plain file; links and other
// entries are never opened). True on a cache hit (same path as the record holds) and when a
// recognised file was read to the end of its branch; false when the file is missing, cannot
// be opened, is of no recognised kind, or its branch did not find what it needs. The fields
// hold whatever was found in every case. Throws MediaFailure only from the MPEG branch's late
// stretch.
bool getMediaProperties(const std::string& path, MediaProperties& record,
                        const MediaContext& context);

}  // namespace media
