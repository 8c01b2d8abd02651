#include "media/mpegaudio.h"

#include <array>
#include <cstddef>

#include "platform/filesystem.h"
#include "platform/mpegtables.h"

namespace media {

namespace {

constexpr int kMaxSteps = 64;
// A step reads at most four bytes, so the whole scan never looks past this many.
constexpr std::size_t kScanWindow = 4 * kMaxSteps;

}  // namespace

std::string getVersionText(int bits) {
    switch (bits) {
        case 0x00:
            return "MPEG 2.5";
        case 0x10:
            return "MPEG 2";
        case 0x18:
            return "MPEG 1";
        default:
            return "Unknown";
    }
}

std::string getLayerText(int bits) {
    switch (bits) {
        case 0x02:
            return "Layer 3";
        case 0x04:
            return "Layer 2";
        case 0x06:
            return "Layer 1";
        default:
            return "Unknown";
    }
}

std::string getChannelModeText(int bits) {
    switch (bits) {
        case 0x00:
            return "Stereo";
        case 0x40:
            return "Joint Stereo";
        case 0x80:
            return "Dual Channel";
        case 0xC0:
            return "Mono";
        default:
            return "Unknown";
    }
}

bool isStereo(int bits) {
    return bits == 0x00 || bits == 0x40 || bits == 0x80;
}

std::int32_t getSampleRate(int bits, const std::string& formatText) {
    const std::string family = formatText.substr(0, 7);
    int column;
    switch (bits) {
        case 0x00:
            column = 0;
            break;
        case 0x04:
            column = 1;
            break;
        case 0x08:
            column = 2;
            break;
        default:
            return 0;
    }
    if (family == "MPEG 1 ") {
        return platform::mpeg::kMpeg1Frequencies[column];
    }
    if (family == "MPEG 2 ") {
        return platform::mpeg::kMpeg2Frequencies[column];
    }
    if (family == "MPEG 2.") {
        return platform::mpeg::kMpeg25Frequencies[column];
    }
    return 0;
}

std::int16_t getBitrate(int bits, const std::string& formatText) {
    if (bits % 16 != 0) {
        return 0;
    }
    const int index = bits / 16;
    if (index < 1 || index > 14) {
        return 0;
    }
    // MPEG 2 layers 2 and 3, every MPEG 2.5 layer, and whatever has an unknown part take the
    // low frequencies' row of layers 2 and 3.
    const platform::mpeg::BitrateRow* row = &platform::mpeg::kLowLayers2And3;
    if (formatText == "MPEG 1 Layer 1") {
        row = &platform::mpeg::kMpeg1Layer1;
    } else if (formatText == "MPEG 1 Layer 2") {
        row = &platform::mpeg::kMpeg1Layer2;
    } else if (formatText == "MPEG 1 Layer 3") {
        row = &platform::mpeg::kMpeg1Layer3;
    } else if (formatText == "MPEG 2 Layer 1") {
        row = &platform::mpeg::kLowLayer1;
    }
    return (*row)[static_cast<std::size_t>(index)];
}

bool getMpegHeader(const std::string& path, MpegFrameInfo& info, std::int64_t start,
                   const std::function<void()>& yield) {
    info = MpegFrameInfo();
    // A position before the first byte, or a file that cannot be opened, ends the scan with
    // the record cleared; the caller has nothing to decide on.
    if (start < 1) {
        return true;
    }
    auto file = platform::fs::ReadFile::open(path);
    if (!file) {
        return true;
    }
    const std::uint64_t offset = static_cast<std::uint64_t>(start - 1);
    if (offset >= file->size()) {
        return true;
    }
    std::array<std::uint8_t, kScanWindow> window{};
    const auto got = file->readAt(offset, window.data(), window.size());
    if (!got) {
        return true;
    }
    const std::size_t available = *got;

    std::size_t at = 0;
    for (int step = 1;; ++step) {
        if (at >= available) {
            return true;  // end of file
        }
        const std::uint8_t b1 = window[at++];
        if (b1 == 0xFF) {
            if (at >= available) {
                return true;  // the second byte lies past the end
            }
            const std::uint8_t b2 = window[at++];
            if (b2 >= 0xE0) {
                const std::string versionText = getVersionText(b2 & 0x18);
                const std::string layerText = getLayerText(b2 & 0x06);
                info.formatText = versionText + " " + layerText;
                if (at >= available) {
                    return true;
                }
                const std::uint8_t b3 = window[at++];
                info.bitrate = getBitrate(b3 & 0xF0, info.formatText);
                info.frequency = getSampleRate(b3 & 0x0C, info.formatText);
                if (at >= available) {
                    return true;
                }
                const std::uint8_t b4 = window[at++];
                info.modeText = getChannelModeText(b4 & 0xC0);
                info.stereo = isStereo(b4 & 0xC0);
                if (versionText != "Unknown" && layerText != "Unknown" && info.bitrate != 0 &&
                    info.frequency != 0 && info.modeText != "Unknown") {
                    return true;
                }
            }
        }
        if (step >= kMaxSteps) {
            return false;
        }
        if (yield) {
            yield();
        }
    }
}

std::string formatLength(std::int64_t seconds) {
    std::int64_t hours = 0;
    std::int64_t minutes = 0;
    std::int64_t rest = seconds;
    if (seconds >= 0) {
        hours = seconds / 3600;
        minutes = (seconds / 60) % 60;
        rest = seconds % 60;
    }
    if (hours > 0) {
        return std::to_string(hours) + " H " + std::to_string(minutes) + " Min " +
               std::to_string(rest) + " Sec";
    }
    if (minutes > 0) {
        return std::to_string(minutes) + " Min " + std::to_string(rest) + " Sec";
    }
    return std::to_string(rest) + " Sec";
}

std::string formatLengthShort(std::int64_t seconds) {
    std::int64_t hours = 0;
    std::int64_t minutes = 0;
    std::int64_t rest = seconds;
    if (seconds >= 0) {
        hours = seconds / 3600;
        minutes = (seconds / 60) % 60;
        rest = seconds % 60;
    }
    const auto padded = [](std::int64_t value) {
        return value < 10 ? "0" + std::to_string(value) : std::to_string(value);
    };
    if (hours > 0) {
        return padded(hours) + ":" + padded(minutes) + ":" + padded(rest);
    }
    return padded(minutes) + ":" + padded(rest);
}

}  // namespace media
