// Fuzz target of the MPEG stream reader and the MPEG audio header reader: any bytes become a
// .mpg file, read with the default chunk size and with a small one, and the record must hold
// only texts the reader can write, after a bounded number of yields.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "media/mediafailure.h"
#include "media/mpegaudio.h"
#include "media/mpegstream.h"

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_mpeg: %s\n", what);
        std::abort();
    }
}

const std::string& folder() {
    static const std::string path = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = base && *base ? base : "/tmp";
        pattern.append("/fuzz_mpeg.XXXXXX");
        check(mkdtemp(pattern.data()) != nullptr, "cannot make a temporary folder");
        return pattern;
    }();
    return path;
}

bool isWhole(const std::string& text, bool negative) {
    std::size_t start = negative && !text.empty() && text.front() == '-' ? 1 : 0;
    if (text.size() == start) {
        return false;
    }
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return true;
}

void checkWhole(const std::string& text, const char* what, bool negative = false) {
    check(text.empty() || isWhole(text, negative), what);
}

// Start scan 10 chunks (two yields each) and its end, end scan 50 chunks (two each), audio
// scan 14 chunks, frame header 63 steps.
constexpr int kMostYields = 10 * 2 + 1 + 50 * 2 + 14 + 63;

void readWith(const std::string& path, const media::detail::Header& header, std::int32_t chunk) {
    media::MediaContext context;
    context.mpegBytesToRead = chunk;
    int yields = 0;
    context.yield = [&yields] { ++yields; };
    media::MediaProperties record;
    bool found = false;
    try {
        found = media::detail::readMpeg(path, header, record, context);
    } catch (const media::MediaFailure& failure) {
        // The file stays as it is, so nothing may reach the caller.
        std::fprintf(stderr, "fuzz_mpeg: failure %d (%s)\n", failure.number(), failure.what());
        std::abort();
    }
    check(yields <= kMostYields, "too many yields");
    if (!found) {
        check(record.width.empty() && record.codec.empty() && record.length.empty() &&
                  record.sound.empty(),
              "fields without a sequence header");
        return;
    }
    check(record.codec == "MPEG" && record.depth == "24", "codec and depth");
    check(record.sound == "Sound" || record.sound == "No Sound", "sound");
    checkWhole(record.width, "width");
    checkWhole(record.height, "height");
    checkWhole(record.bitrate, "bit rate");
    checkWhole(record.length, "length", true);
    static const char* const rates[] = {"",      "0",  "23.976", "24",    "25",
                                        "29.97", "30", "50",     "59.94", "60"};
    bool knownRate = false;
    for (const char* rate : rates) {
        knownRate = knownRate || record.fps == rate;
    }
    check(knownRate, "frame rate");
    if (record.sound == "Sound") {
        check(record.bits == "16", "bits");
        check(record.soundMode == "Stereo" || record.soundMode == "Mono", "sound mode");
        checkWhole(record.frequency, "frequency");
        checkWhole(record.soundBitrate, "sound bit rate");
    } else {
        check(record.bits.empty() && record.soundMode.empty() && record.frequency.empty(),
              "sound fields without sound");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string path = folder();
    path.append("/input.mpg");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    check(file != nullptr, "cannot write the input file");
    check(size == 0 || std::fwrite(data, 1, size, file) == size, "short write");
    std::fclose(file);

    media::detail::Header header{};
    std::memcpy(header.data(), data, size < header.size() ? size : header.size());
    readWith(path, header, 8192);
    readWith(path, header, static_cast<std::int32_t>(16 + size % 241));

    media::MpegFrameInfo info;
    int steps = 0;
    media::getMpegHeader(path, info, static_cast<std::int64_t>(size % 5), [&steps] { ++steps; });
    check(steps < 64, "frame header steps");
    check(info.bitrate >= 0 && info.bitrate <= 448, "frame bit rate");
    check(info.frequency >= 0 && info.frequency <= 48000, "frame sample rate");
    return 0;
}
