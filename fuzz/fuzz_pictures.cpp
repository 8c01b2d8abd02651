// Fuzz target of the picture readers: any bytes become a file named .pcx (so the bytes pick the
// BMP, JPEG, GIF, PNG or FPBD reader first, and PCX takes the rest), getMediaProperties measures
// it, and the record must hold only whole numbers where it holds anything.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "media/mediaproperties.h"

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_pictures: %s\n", what);
        std::abort();
    }
}

const std::string& folder() {
    static const std::string path = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = base && *base ? base : "/tmp";
        pattern.append("/fuzz_pictures.XXXXXX");
        check(mkdtemp(pattern.data()) != nullptr, "cannot make a temporary folder");
        return pattern;
    }();
    return path;
}

std::string writeInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = folder() + "/input.pcx";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    check(file != nullptr, "cannot write the input file");
    check(size == 0 || std::fwrite(data, 1, size, file) == size, "short write");
    std::fclose(file);
    return path;
}

// Digits with an optional leading minus sign (a PCX box may be upside down).
bool isWhole(const std::string& text) {
    std::size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    if (i == text.size()) {
        return false;
    }
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return true;
}

void checkWhole(const std::string& text, const char* what) {
    check(text.empty() || isWhole(text), what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = writeInput(data, size);
    media::MediaContext context;
    context.mpegBytesToRead = 512;  // an MPEG pack start may lead here too; keep it quick
    media::MediaProperties record;
    try {
        media::getMediaProperties(path, record, context);
    } catch (const media::MediaFailure&) {
        return 0;  // the MPEG branch's late stretch may fail; the MPEG target covers it
    }
    check(record.path == path, "record path");
    checkWhole(record.width, "width");
    checkWhole(record.height, "height");
    checkWhole(record.depth, "depth");

    // The second token of the same file finds the record as the first left it.
    const media::MediaProperties first = record;
    check(media::getMediaProperties(path, record, context), "cache hit");
    check(record.width == first.width && record.height == first.height &&
              record.depth == first.depth && record.length == first.length,
          "cache hit changed the record");
    return 0;
}
