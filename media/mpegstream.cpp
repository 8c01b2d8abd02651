// The MPEG-1 system and video stream reader. It never follows the packet structure: it reads
// the file in chunks of the user's size and searches each chunk for the start codes it needs,
// at most 10 chunks from the start, 50 back from the end and 14 for the audio packet, so the
// work per file is bounded whatever its size or content.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <vector>

#include "media/mediafailure.h"
#include "media/mpegaudio.h"
#include "media/mpegstream.h"
#include "media/numbertext.h"
#include "platform/filesystem.h"

namespace media::detail {

namespace {

constexpr std::int32_t kSmallestChunk = 16;  // a start code with the fields that follow it
constexpr std::int32_t kLargestChunk = 4 * 1024 * 1024;
constexpr int kStartChunks = 10;
constexpr int kEndChunks = 50;
constexpr int kAudioChunks = 14;

constexpr std::uint8_t kSequenceHeader = 0xB3;
constexpr std::uint8_t kGroupOfPictures = 0xB8;
constexpr std::uint8_t kFirstAudioStream = 0xC0;

std::size_t chunkSize(std::int32_t setting) {
    return static_cast<std::size_t>(std::clamp(setting, kSmallestChunk, kLargestChunk));
}

void yieldTo(const MediaContext& context) {
    if (context.yield) {
        context.yield();
    }
}

std::optional<std::size_t> findCode(const std::uint8_t* bytes, std::size_t size,
                                    std::uint8_t code) {
    for (std::size_t at = 0; at + 4 <= size; ++at) {
        if (bytes[at] == 0 && bytes[at + 1] == 0 && bytes[at + 2] == 1 && bytes[at + 3] == code) {
            return at;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> findCode(const std::vector<std::uint8_t>& bytes, std::uint8_t code) {
    return findCode(bytes.data(), bytes.size(), code);
}

struct TimeCode {
    std::int64_t hours = 0;
    std::int64_t minutes = 0;
    std::int64_t seconds = 0;
    std::int64_t pictures = 0;
};

// The time code of a group-of-pictures header whose start code begins at `at`; nothing when
// its four bytes are not in the buffer.
std::optional<TimeCode> timeCodeAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    if (at + 8 > bytes.size()) {
        return std::nullopt;
    }
    std::uint32_t value = (static_cast<std::uint32_t>(bytes[at + 4]) << 24) |
                          (static_cast<std::uint32_t>(bytes[at + 5]) << 16) |
                          (static_cast<std::uint32_t>(bytes[at + 6]) << 8) | bytes[at + 7];
    value &= 0x7FFFFFFFu;  // the drop-frame flag
    TimeCode code;
    code.hours = (value >> 26) & 31;
    code.minutes = (value >> 20) & 63;
    code.seconds = (value >> 13) & 63;
    code.pictures = (value >> 7) & 63;
    return code;
}

// A picture count past half the frame rate rounds up to the next second; without a known
// frame rate there is nothing to round by.
std::int64_t secondsOf(const TimeCode& code, std::optional<double> frameRate) {
    std::int64_t total = code.hours * 3600 + code.minutes * 60 + code.seconds;
    if (frameRate && static_cast<double>(code.pictures) > *frameRate / 2.0) {
        ++total;
    }
    return total;
}

// Frames per second of a frame rate code; 0 for the codes that name none.
double mpegFrameRate(int code) {
    switch (code) {
        case 1:
            return 23.976;
        case 2:
            return 24.0;
        case 3:
            return 25.0;
        case 4:
            return 29.97;
        case 5:
            return 30.0;
        case 6:
            return 50.0;
        case 7:
            return 59.94;
        case 8:
            return 60.0;
        default:
            return 0.0;
    }
}

// The start and end scans read whole chunks only. A chunk that would pass the end of the
// file, or a seek before its start, is not read: the buffer keeps what it held (at first the
// header), the position stays where it was, and the search runs over the old bytes again.
// That is how a file shorter than one chunk is measured from its header.
class ChunkScan {
public:
    ChunkScan(const std::string& path, std::size_t chunk) : chunk_(chunk) {
        auto opened = platform::fs::ReadFile::open(path);
        if (opened) {
            file_.emplace(std::move(opened).value());
        }
    }

    bool isOpen() const { return file_.has_value(); }
    std::uint64_t size() const { return file_ ? file_->size() : 0; }

    void seek(std::int64_t offset) {
        if (file_ && offset >= 0) {
            position_ = static_cast<std::uint64_t>(offset);
        }
    }

    void readChunk(std::vector<std::uint8_t>& buffer) {
        if (!file_ || position_ > file_->size() || file_->size() - position_ < chunk_) {
            return;
        }
        // Only a chunk that the file holds in full is allocated, so the buffer never
        // exceeds the file.
        scratch_.resize(chunk_);
        const auto got = file_->readAt(position_, scratch_.data(), chunk_);
        if (!got || *got != chunk_) {
            return;
        }
        buffer.swap(scratch_);
        position_ += chunk_;
    }

private:
    std::optional<platform::fs::ReadFile> file_;
    std::size_t chunk_;
    std::uint64_t position_ = 0;
    std::vector<std::uint8_t> scratch_;
};

[[noreturn]] void failOpening(const std::string& path) {
    if (platform::fs::kindOf(path) == platform::fs::Kind::Missing) {
        throw MediaFailure(53, "File not found");
    }
    throw MediaFailure(75, "Path/File access error");
}

// Looks for the first audio packet from `offset` on and, when there is one, fills the sound
// fields from the audio frame header behind it. Reaching the end of the file first means the
// stream has no sound.
void readSound(const std::string& path, std::uint64_t offset, std::size_t chunk,
               MediaProperties& record, const MediaContext& context) {
    std::optional<std::int64_t> packet;  // 1-based position of the code's second byte
    {
        auto file = platform::fs::ReadFile::open(path);
        if (!file) {
            failOpening(path);
        }
        const std::uint64_t size = file->size();
        std::vector<std::uint8_t> buffer(
            static_cast<std::size_t>(std::min<std::uint64_t>(chunk, size)));
        std::uint64_t position = offset;
        for (int j = 0; j < kAudioChunks && position < size; ++j) {
            const std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(chunk, size - position));
            const auto got = file->readAt(position, buffer.data(), want);
            if (!got) {
                throw MediaFailure(57, "Device I/O error");
            }
            yieldTo(context);
            if (const auto at = findCode(buffer.data(), *got, kFirstAudioStream)) {
                packet = static_cast<std::int64_t>(position + *at) + 2;
                break;
            }
            if (*got < chunk) {
                break;
            }
            position += chunk;
        }
    }
    if (!packet) {
        record.sound = "No Sound";
        return;
    }
    record.sound = "Sound";
    MpegFrameInfo info;
    getMpegHeader(path, info, *packet, context.yield);
    record.soundBitrate = wholeText(info.bitrate);
    record.soundFormat = info.formatText;
    record.frequency = wholeText(info.frequency);
    record.soundMode = info.stereo ? "Stereo" : "Mono";
    record.bits = "16";
}

}  // namespace

bool readMpeg(const std::string& path, const Header& header, MediaProperties& record,
              const MediaContext& context) {
    const std::size_t chunk = chunkSize(context.mpegBytesToRead);
    std::vector<std::uint8_t> buffer(header.begin(), header.end());

    // Start scan: the first sequence header, and the first group of pictures on the way.
    std::optional<std::size_t> sequence;
    bool startGroupSeen = false;
    std::optional<TimeCode> startCode;
    {
        ChunkScan scan(path, chunk);
        for (int i = 0; i < kStartChunks; ++i) {
            scan.readChunk(buffer);
            yieldTo(context);
            sequence = findCode(buffer, kSequenceHeader);
            yieldTo(context);
            if (!startGroupSeen) {
                if (const auto group = findCode(buffer, kGroupOfPictures)) {
                    startGroupSeen = true;
                    startCode = timeCodeAt(buffer, *group);
                }
            }
            if (sequence) {
                break;
            }
        }
    }
    yieldTo(context);
    if (!sequence) {
        return false;
    }

    const std::size_t q = *sequence;
    const auto byteAt = [&](std::size_t offset) -> std::optional<std::uint32_t> {
        if (q + offset >= buffer.size()) {
            return std::nullopt;
        }
        return buffer[q + offset];
    };
    if (const auto b6 = byteAt(6)) {
        const std::uint32_t size = (*byteAt(4) << 16) | (*byteAt(5) << 8) | *b6;
        record.height = wholeText(size & 0xFFF);
        record.width = wholeText(size >> 12);
    }
    std::optional<double> frameRate;
    if (const auto b7 = byteAt(7)) {
        frameRate = mpegFrameRate(static_cast<int>(*b7 & 0x0F));
        record.fps = fractionText(*frameRate, context.decimalSeparator);
    }
    if (const auto b10 = byteAt(10)) {
        const std::uint32_t value = (*byteAt(8) << 16) | (*byteAt(9) << 8) | *b10;
        const std::int64_t units = value >> 6;  // 400 bit/s each
        record.bitrate = wholeText(units * 400 / 1000);
    }
    record.depth = "24";
    record.codec = "MPEG";
    const std::int64_t startSeconds = startCode ? secondsOf(*startCode, frameRate) : 0;

    // End scan: the last group of pictures, chunk by chunk backwards from the end.
    std::optional<std::size_t> endGroup;
    {
        ChunkScan scan(path, chunk);
        const auto size = static_cast<std::int64_t>(scan.size());
        const auto step = static_cast<std::int64_t>(chunk);
        for (int k = 1; k <= kEndChunks; ++k) {
            if (scan.isOpen()) {
                scan.seek(size - k * step - 1);
            }
            scan.readChunk(buffer);
            yieldTo(context);
            endGroup = findCode(buffer, kGroupOfPictures);
            yieldTo(context);
            if (endGroup) {
                break;
            }
        }
    }

    // From here on a failure is the caller's to report. An end time code that was not found,
    // or whose bytes are not in the chunk, leaves the length unknown.
    if (endGroup) {
        if (const auto endCode = timeCodeAt(buffer, *endGroup)) {
            record.length = wholeText(secondsOf(*endCode, frameRate) - startSeconds);
        }
    }

    readSound(path, q, chunk, record, context);
    return true;
}

}  // namespace media::detail
