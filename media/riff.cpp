// The AVI and WAVE readers. Neither walks the RIFF chunk tree: each reads one block from the
// start of the file and finds the headers it needs by their type texts, so a damaged chunk
// size can never send them anywhere. A field whose bytes lie outside the block, or whose value
// cannot be computed (a zero divisor), leaves its property empty and the next field is read.
#include <cmath>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "media/numbertext.h"
#include "media/riff.h"
#include "platform/filesystem.h"
#include "platform/win1252.h"

namespace media::detail {

namespace {

constexpr std::size_t kAviBlockSize = 8192;
constexpr std::size_t kWaveBlockSize = 256;

struct Block {
    std::vector<std::uint8_t> bytes;
    std::uint64_t fileSize = 0;
    bool sized = false;  // whether fileSize is known
};

// The first `size` bytes of the file. A file shorter than that (or one that cannot be read
// again) leaves the header the caller already has as the only bytes to work on.
Block readBlock(const std::string& path, const Header& header, std::size_t size) {
    Block block;
    block.bytes.assign(header.begin(), header.end());
    auto file = platform::fs::ReadFile::open(path);
    if (!file) {
        return block;
    }
    block.fileSize = file->size();
    block.sized = true;
    if (block.fileSize < size) {
        return block;
    }
    std::vector<std::uint8_t> bytes(size);
    const auto got = file->readAt(0, bytes.data(), bytes.size());
    if (got && *got == size) {
        block.bytes = std::move(bytes);
    }
    return block;
}

std::optional<std::uint32_t> u16At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < 2) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::optional<std::uint32_t> u32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < 4) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(bytes[offset]) |
           (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

std::optional<std::size_t> find(const std::vector<std::uint8_t>& bytes, std::string_view text,
                                std::size_t from = 0) {
    if (text.empty() || bytes.size() < text.size()) {
        return std::nullopt;
    }
    for (std::size_t at = from; at + text.size() <= bytes.size(); ++at) {
        if (std::memcmp(bytes.data() + at, text.data(), text.size()) == 0) {
            return at;
        }
    }
    return std::nullopt;
}

// Whole part of a finite value that fits; nothing otherwise.
std::optional<std::int64_t> wholePart(double value) {
    const double whole = std::trunc(value);
    if (!std::isfinite(whole) || whole >= 9.2e18 || whole <= -9.2e18) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(whole);
}

// Rounding to the nearest whole number, a half going to the even neighbour.
std::optional<std::int64_t> roundedEven(double value) {
    const double rounded = std::nearbyint(value);
    if (!std::isfinite(rounded) || rounded >= 9.2e18 || rounded <= -9.2e18) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(rounded);
}

std::string upperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// The four bytes of a codec code as text, decoded with the ANSI code page like every text the
// program takes from a media file. A NUL byte ends the code, as in the handlers that writers
// leave empty.
std::string codeText(const std::uint8_t* bytes) {
    std::string text;
    for (int i = 0; i < 4 && bytes[i] != 0; ++i) {
        const char16_t unit = platform::win1252::decodeByte(bytes[i]);
        if (unit < 0x80) {
            text += static_cast<char>(unit);
        } else if (unit < 0x800) {
            text += static_cast<char>(0xC0 | (unit >> 6));
            text += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            text += static_cast<char>(0xE0 | (unit >> 12));
            text += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return text;
}

std::string codecName(const std::string& code, const MediaContext& context) {
    for (const CodecName& entry : context.codecs) {
        if (entry.fourcc == code) {
            return entry.name;
        }
    }
    const std::string upper = upperAscii(code);
    for (const CodecName& entry : context.codecs) {
        if (upperAscii(entry.fourcc) == upper) {
            return entry.name;
        }
    }
    return code;
}

// The list keeps its tags as signed 16-bit values, so tags from 32768 up (the extensible
// format FFFE among them) are matched by their bit pattern and otherwise shown unsigned.
std::string waveFormatName(std::uint32_t tag, const MediaContext& context) {
    for (const WaveFormatName& entry : context.waveFormats) {
        if (static_cast<std::uint16_t>(entry.formatTag) == tag) {
            return entry.name;
        }
    }
    return wholeText(tag);
}

// The sound fields of a WAVEFORMATEX at `at` (the tag 8 bytes after its chunk text). The
// average byte rate is handed back for the WAVE length.
std::optional<std::uint32_t> readSoundFormat(const std::vector<std::uint8_t>& bytes, std::size_t at,
                                             MediaProperties& record, const MediaContext& context) {
    if (const auto tag = u16At(bytes, at + 8)) {
        record.soundFormat = waveFormatName(*tag, context);
    }
    if (const auto channels = u16At(bytes, at + 10)) {
        record.soundMode = *channels == 2 ? "Stereo" : "Mono";
    }
    if (const auto rate = u32At(bytes, at + 12)) {
        record.frequency = wholeText(*rate);
    }
    const auto average = u32At(bytes, at + 16);
    if (average) {
        record.soundBitrate = wholeText(static_cast<std::int64_t>(*average) * 8 / 1000);
    }
    if (const auto bits = u16At(bytes, at + 22)) {
        record.bits = wholeText(*bits);
    }
    return average;
}

}  // namespace

bool readAvi(const std::string& path, const Header& header, MediaProperties& record,
             const MediaContext& context) {
    const Block block = readBlock(path, header, kAviBlockSize);
    const auto& bytes = block.bytes;

    const auto avih = find(bytes, "avih");
    if (!avih) {
        return false;
    }
    if (const auto width = u32At(bytes, *avih + 40)) {
        record.width = wholeText(*width);
    }
    if (const auto height = u32At(bytes, *avih + 44)) {
        record.height = wholeText(*height);
    }
    const auto frames = u32At(bytes, *avih + 24);

    if (const auto vids = find(bytes, "vids")) {
        if (*vids + 8 <= bytes.size()) {
            record.codec = codecName(codeText(bytes.data() + *vids + 4), context);
        }
        const auto scale = u32At(bytes, *vids + 20);
        const auto rate = u32At(bytes, *vids + 24);
        std::optional<double> fps;
        if (scale && rate && *scale != 0) {
            const double perSecond = static_cast<double>(*rate) / static_cast<double>(*scale);
            fps = std::nearbyint(perSecond * 100.0) / 100.0;
            record.fps = fractionText(*fps, context.decimalSeparator);
        }
        std::optional<std::int64_t> seconds;
        if (frames && fps && *fps != 0.0) {
            seconds = roundedEven(static_cast<double>(*frames) / *fps);
            if (seconds) {
                record.length = wholeText(*seconds);
            }
        }
        if (seconds && *seconds != 0 && block.sized) {
            const double kbits =
                static_cast<double>(block.fileSize) / static_cast<double>(*seconds) * 8.0 / 1000.0;
            if (const auto whole = wholePart(kbits)) {
                record.bitrate = wholeText(*whole);
            }
        }
        if (const auto strf = find(bytes, "strf", *vids)) {
            if (const auto depth = u16At(bytes, *strf + 22)) {
                record.depth = wholeText(*depth);
            }
        }
    }

    if (const auto auds = find(bytes, "auds")) {
        record.sound = "Sound";
        if (const auto strf = find(bytes, "strf", *auds)) {
            readSoundFormat(bytes, *strf, record, context);
        }
    } else {
        record.sound = "No Sound";
    }
    return true;
}

bool readWave(const std::string& path, const Header& header, MediaProperties& record,
              const MediaContext& context) {
    const Block block = readBlock(path, header, kWaveBlockSize);
    const auto fmt = find(block.bytes, "fmt");
    if (!fmt) {
        record.sound = "No Sound";
        return false;
    }
    record.sound = "Sound";
    const auto average = readSoundFormat(block.bytes, *fmt, record, context);
    if (average && *average != 0 && block.sized) {
        record.length =
            fractionText(static_cast<double>(block.fileSize) / static_cast<double>(*average),
                         context.decimalSeparator);
    }
    return true;
}

}  // namespace media::detail
