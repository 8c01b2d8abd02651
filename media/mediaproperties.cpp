#include "media/mediaproperties.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "media/images.h"
#include "media/mpegstream.h"
#include "media/riff.h"
#include "platform/filesystem.h"

namespace media {

namespace {

bool bytesAre(const detail::Header& header, std::size_t at, std::string_view text) {
    return std::equal(text.begin(), text.end(), header.begin() + static_cast<std::ptrdiff_t>(at),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

// The path's last characters in upper case (ASCII), for the kinds known by their name.
bool pathEndsWith(const std::string& path, std::string_view ending) {
    if (path.size() < ending.size()) {
        return false;
    }
    const std::string_view tail = std::string_view(path).substr(path.size() - ending.size());
    return std::equal(tail.begin(), tail.end(), ending.begin(), [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == b;
    });
}

}  // namespace

bool getMediaProperties(const std::string& path, MediaProperties& record,
                        const MediaContext& context) {
    if (!record.path.empty() && path == record.path) {
        return true;
    }
    record = MediaProperties{};
    record.path = path;

    // Plain files only; a folder, a FIFO or a device named like a picture is never opened.
    // The file is closed again before a branch opens it for what it needs.
    detail::Header header{};
    {
        auto file = platform::fs::ReadFile::open(path);
        if (!file) {
            return false;
        }
        // A file shorter than the header keeps it empty and is known by its name alone.
        if (file->size() >= header.size()) {
            const auto got = file->readAt(0, header.data(), header.size());
            if (!got || *got != header.size()) {
                header.fill(0);
            }
        }
    }

    if (bytesAre(header, 0, "BM")) {
        return detail::readBmp(header, record);
    }
    if (header[0] == 0xFF && header[1] == 0xD8) {
        return detail::readJpeg(path, record);
    }
    if (bytesAre(header, 0, "GIF")) {
        return detail::readGif(header, record);
    }
    if (bytesAre(header, 1, "PNG")) {
        return detail::readPng(header, record);
    }
    if (bytesAre(header, 0, "FPBD")) {
        return detail::readFpbd(path, header, record);
    }
    if (bytesAre(header, 8, "AVI")) {
        return detail::readAvi(path, header, record, context);
    }
    if (bytesAre(header, 8, "WAVE")) {
        return detail::readWave(path, header, record, context);
    }
    const bool packStart = header[0] == 0 && header[1] == 0 && header[2] == 1 &&
                           (header[3] == 0xBA || header[3] == 0xB3);
    if (packStart || pathEndsWith(path, "MPG") || pathEndsWith(path, "MPEG") ||
        bytesAre(header, 8, "CDXA")) {
        return detail::readMpeg(path, header, record, context);
    }
    if (pathEndsWith(path, "PCX")) {
        return detail::readPcx(path, header, record);
    }
    return false;
}

}  // namespace media
