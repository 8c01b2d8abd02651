// Fuzz target of the AVI and WAVE readers: any bytes become a file (named .avi and .wav), each
// reader measures it, and the record must hold only texts the readers can write.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "media/riff.h"

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_riff: %s\n", what);
        std::abort();
    }
}

const std::string& folder() {
    static const std::string path = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = base && *base ? base : "/tmp";
        pattern.append("/fuzz_riff.XXXXXX");
        check(mkdtemp(pattern.data()) != nullptr, "cannot make a temporary folder");
        return pattern;
    }();
    return path;
}

std::string writeInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
    std::string path = folder();
    path.append("/").append(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    check(file != nullptr, "cannot write the input file");
    check(size == 0 || std::fwrite(data, 1, size, file) == size, "short write");
    std::fclose(file);
    return path;
}

bool isDecimal(const std::string& text, bool fraction) {
    if (text.empty()) {
        return false;
    }
    bool point = false;
    for (const char c : text) {
        if (c == '.' && fraction && !point) {
            point = true;
        } else if (c < '0' || c > '9') {
            return false;
        }
    }
    return text.front() != '.' && text.back() != '.';
}

void checkNumber(const std::string& text, bool fraction, const char* what) {
    check(text.empty() || isDecimal(text, fraction), what);
}

bool isUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80         ? 1
                                   : (lead >> 5) == 6  ? 2
                                   : (lead >> 4) == 14 ? 3
                                                       : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

void checkSound(const media::MediaProperties& record) {
    check(record.sound.empty() || record.sound == "Sound" || record.sound == "No Sound", "sound");
    check(record.soundMode.empty() || record.soundMode == "Stereo" || record.soundMode == "Mono",
          "sound mode");
    checkNumber(record.frequency, false, "frequency");
    checkNumber(record.bits, false, "bits");
    checkNumber(record.soundBitrate, false, "sound bit rate");
    check(isUtf8(record.soundFormat), "sound format");
    if (record.sound != "Sound") {
        check(record.soundMode.empty() && record.frequency.empty() && record.bits.empty() &&
                  record.soundFormat.empty() && record.soundBitrate.empty(),
              "sound fields without a sound stream");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    media::detail::Header header{};
    std::memcpy(header.data(), data, size < header.size() ? size : header.size());
    media::MediaContext context;
    context.codecs = {{"DIVX", "DivX"}, {"", ""}};
    context.waveFormats = {{1, "PCM"}, {-2, "Extensible"}, {0, ""}};
    context.decimalSeparator.assign(1, ',');

    {
        const std::string path = writeInput("input.avi", data, size);
        media::MediaProperties record;
        const bool found = media::detail::readAvi(path, header, record, context);
        if (!found) {
            check(record.width.empty() && record.codec.empty() && record.sound.empty(),
                  "fields of an AVI without main header");
        } else {
            check(!record.sound.empty(), "AVI read without a sound field");
        }
        checkNumber(record.width, false, "width");
        checkNumber(record.height, false, "height");
        checkNumber(record.depth, false, "depth");
        checkNumber(record.length, false, "AVI length");
        checkNumber(record.bitrate, false, "bit rate");
        std::string fps = record.fps;
        if (const auto comma = fps.find(','); comma != std::string::npos) {
            fps[comma] = '.';
        }
        checkNumber(fps, true, "frame rate");
        check(isUtf8(record.codec), "codec");
        check(record.length.empty() || !record.fps.empty(), "length without frame rate");
        check(record.bitrate.empty() || !record.length.empty(), "bit rate without length");
        checkSound(record);
    }
    {
        const std::string path = writeInput("input.wav", data, size);
        media::MediaProperties record;
        const bool found = media::detail::readWave(path, header, record, context);
        check(found == (record.sound == "Sound"), "WAVE result and sound field disagree");
        check(record.width.empty() && record.codec.empty() && record.fps.empty(),
              "picture fields from a WAVE file");
        std::string length = record.length;
        if (const auto comma = length.find(','); comma != std::string::npos) {
            length[comma] = '.';
        }
        checkNumber(length, true, "WAVE length");
        checkSound(record);
    }
    return 0;
}
