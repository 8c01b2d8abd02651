#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "media/mediafailure.h"
#include "media/mpegstream.h"
#include "tests/support/tempdir.h"

namespace {

using media::MediaContext;
using media::MediaProperties;

// An MPEG-1 stream laid out by hand: start codes and their fields at chosen offsets in a
// zero-filled file.
class Stream {
public:
    explicit Stream(std::size_t size) : bytes_(size, '\0') {}

    // 320x240 at 25 frames per second and 1150 kbit/s unless told otherwise.
    Stream& sequence(std::size_t at, int rateCode = 3, std::uint32_t width = 320,
                     std::uint32_t height = 240, std::uint32_t bitrateUnits = 2875) {
        code(at, 0xB3);
        put(at + 4, static_cast<std::uint8_t>(width >> 4));
        put(at + 5, static_cast<std::uint8_t>(((width & 0xF) << 4) | (height >> 8)));
        put(at + 6, static_cast<std::uint8_t>(height & 0xFF));
        put(at + 7, static_cast<std::uint8_t>(0x10 | rateCode));
        const std::uint32_t rate = bitrateUnits << 6;
        put(at + 8, static_cast<std::uint8_t>(rate >> 16));
        put(at + 9, static_cast<std::uint8_t>(rate >> 8));
        put(at + 10, static_cast<std::uint8_t>(rate));
        return *this;
    }
    Stream& group(std::size_t at, std::uint32_t hours, std::uint32_t minutes, std::uint32_t seconds,
                  std::uint32_t pictures, bool dropFrame = false) {
        code(at, 0xB8);
        const std::uint32_t value = (dropFrame ? 0x80000000u : 0u) | (hours << 26) |
                                    (minutes << 20) | (1u << 19) | (seconds << 13) |
                                    (pictures << 7);
        for (int i = 0; i < 4; ++i) {
            if (at + 4 + i < bytes_.size()) {
                put(at + 4 + i, static_cast<std::uint8_t>(value >> (24 - 8 * i)));
            }
        }
        return *this;
    }
    // An audio packet start code followed by a layer 2 frame header: 192 kbit/s, 44100 Hz,
    // mono.
    Stream& audio(std::size_t at) {
        code(at, 0xC0);
        const std::uint8_t frame[] = {0xFF, 0xFD, 0xA0, 0xC4};
        for (std::size_t i = 0; i < sizeof frame; ++i) {
            put(at + 4 + i, frame[i]);
        }
        return *this;
    }
    Stream& code(std::size_t at, std::uint8_t value) {
        put(at + 2, 1);
        put(at + 3, value);
        return *this;
    }
    const std::string& str() const { return bytes_; }

private:
    void put(std::size_t at, std::uint8_t value) { bytes_.at(at) = static_cast<char>(value); }
    std::string bytes_;
};

class MpegStreamTest : public ::testing::Test {
protected:
    MpegStreamTest() {
        context_.mpegBytesToRead = kChunk;
        context_.yield = [this] {
            ++yields_;
            if (onYield_) {
                onYield_(yields_);
            }
        };
    }

    bool read(const Stream& stream) { return read(stream.str()); }
    bool read(const std::string& bytes) {
        path_ = dir_.write("clip.mpg", bytes);
        media::detail::Header header{};
        std::memcpy(header.data(), bytes.data(), std::min(bytes.size(), header.size()));
        record_ = MediaProperties();
        yields_ = 0;
        return media::detail::readMpeg(path_, header, record_, context_);
    }

    static constexpr std::size_t kChunk = 1024;
    testsupport::TempDir dir_;
    MediaContext context_;
    MediaProperties record_;
    std::string path_;
    int yields_ = 0;
    std::function<void(int)> onYield_;
};

TEST_F(MpegStreamTest, SystemStreamWithSound) {
    Stream stream(20 * kChunk);
    stream.sequence(0).group(12, 0, 0, 0, 0).audio(2000);
    stream.group(20 * kChunk - 100, 0, 1, 30, 20);
    ASSERT_TRUE(read(stream));
    EXPECT_EQ(record_.width, "320");
    EXPECT_EQ(record_.height, "240");
    EXPECT_EQ(record_.fps, "25");
    EXPECT_EQ(record_.bitrate, "1150");
    EXPECT_EQ(record_.depth, "24");
    EXPECT_EQ(record_.codec, "MPEG");
    EXPECT_EQ(record_.length, "91");  // 20 pictures are more than half a second at 25 fps
    EXPECT_EQ(record_.sound, "Sound");
    EXPECT_EQ(record_.soundFormat, "MPEG 1 Layer 2");
    EXPECT_EQ(record_.soundBitrate, "192");
    EXPECT_EQ(record_.frequency, "44100");
    EXPECT_EQ(record_.soundMode, "Mono");
    EXPECT_EQ(record_.bits, "16");
    // Start scan: one chunk (2) and its end (1); end scan: one chunk (2); audio scan: two
    // chunks (2); frame header: three steps before the header (3).
    EXPECT_EQ(yields_, 10);
}

TEST_F(MpegStreamTest, LengthFromStartAndEndTimeCodes) {
    const std::uint32_t hour = 1;
    const struct {
        const char* name;
        int rateCode;
        std::uint32_t start[4];
        std::uint32_t end[4];
        const char* length;
    } cases[] = {
        {"minutes", 3, {0, 10, 0, 0}, {0, 12, 30, 0}, "150"},
        {"half the rate does not round up", 3, {0, 0, 0, 0}, {0, 0, 10, 12}, "10"},
        {"more than half rounds up", 3, {0, 0, 0, 0}, {0, 0, 10, 13}, "11"},
        {"rate code 0: any picture rounds up", 0, {0, 0, 0, 0}, {0, 0, 10, 1}, "11"},
        {"rate code 9", 9, {0, 0, 0, 0}, {0, 0, 10, 1}, "11"},
        {"end before start", 3, {0, 5, 0, 0}, {0, 1, 0, 0}, "-240"},
        // Times past the 16-bit range of seconds (9:06:07).
        {"end at ten hours", 3, {0, 0, 0, 0}, {10 * hour, 0, 0, 0}, "36000"},
        {"both past ten hours", 3, {10 * hour, 0, 0, 0}, {10 * hour, 0, 30, 0}, "30"},
        {"largest time code", 3, {0, 0, 0, 0}, {31, 63, 63, 63}, "115444"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Stream stream(20 * kChunk);
        stream.sequence(0, c.rateCode).group(12, c.start[0], c.start[1], c.start[2], c.start[3]);
        stream.group(20 * kChunk - 100, c.end[0], c.end[1], c.end[2], c.end[3]);
        ASSERT_TRUE(read(stream));
        EXPECT_EQ(record_.length, c.length);
    }
}

TEST_F(MpegStreamTest, DropFrameFlagIsIgnored) {
    Stream stream(20 * kChunk);
    stream.sequence(0).group(12, 0, 0, 0, 0, true);
    stream.group(20 * kChunk - 100, 0, 0, 42, 0, true);
    ASSERT_TRUE(read(stream));
    EXPECT_EQ(record_.length, "42");
}

TEST_F(MpegStreamTest, FrameRateCodes) {
    const char* const expected[16] = {"0",  "23.976", "24", "25", "29.97", "30", "50", "59.94",
                                      "60", "0",      "0",  "0",  "0",     "0",  "0",  "0"};
    for (int code = 0; code < 16; ++code) {
        SCOPED_TRACE(code);
        Stream stream(4 * kChunk);
        stream.sequence(0, code);
        ASSERT_TRUE(read(stream));
        EXPECT_EQ(record_.fps, expected[code]);
    }
    // Written like every number with a fraction, with the user's decimal separator.
    context_.decimalSeparator = ",";
    Stream stream(4 * kChunk);
    stream.sequence(0, 7);
    ASSERT_TRUE(read(stream));
    EXPECT_EQ(record_.fps, "59,94");
}

TEST_F(MpegStreamTest, SequenceHeaderWithinTenChunks) {
    // The tenth chunk is the last one searched.
    Stream late(12 * kChunk);
    late.sequence(9 * kChunk + 5);
    EXPECT_TRUE(read(late));
    EXPECT_EQ(record_.width, "320");

    Stream tooLate(12 * kChunk);
    tooLate.sequence(10 * kChunk + 5).group(100, 0, 0, 1, 0).audio(200);
    EXPECT_FALSE(read(tooLate));
    EXPECT_EQ(record_.width, "");
    EXPECT_EQ(record_.codec, "");
    EXPECT_EQ(record_.length, "");
    EXPECT_EQ(record_.sound, "");

    EXPECT_FALSE(read(std::string(300, 'x')));
    EXPECT_FALSE(read(std::string()));
}

TEST_F(MpegStreamTest, VideoWithoutSound) {
    // Long enough for all 14 chunks of the audio scan, and ending sooner: both mean no sound.
    for (const std::size_t chunks : {20u, 3u}) {
        SCOPED_TRACE(chunks);
        Stream stream(chunks * kChunk);
        stream.sequence(0).group(12, 0, 0, 0, 0).group(chunks * kChunk - 100, 0, 0, 2, 0);
        ASSERT_TRUE(read(stream));
        EXPECT_EQ(record_.sound, "No Sound");
        EXPECT_EQ(record_.soundFormat, "");
        EXPECT_EQ(record_.soundBitrate, "");
        EXPECT_EQ(record_.frequency, "");
        EXPECT_EQ(record_.soundMode, "");
        EXPECT_EQ(record_.bits, "");
        EXPECT_EQ(record_.length, "2");
    }
}

TEST_F(MpegStreamTest, AudioPacketInTheShortLastChunk) {
    Stream stream(3 * kChunk + 100);
    stream.sequence(0).audio(3 * kChunk + 50);
    ASSERT_TRUE(read(stream));
    EXPECT_EQ(record_.sound, "Sound");
    EXPECT_EQ(record_.soundFormat, "MPEG 1 Layer 2");
}

TEST_F(MpegStreamTest, AudioScanLooksAtFourteenChunks) {
    Stream found(20 * kChunk);
    found.sequence(0).audio(13 * kChunk + 10);
    ASSERT_TRUE(read(found));
    EXPECT_EQ(record_.sound, "Sound");

    Stream missed(20 * kChunk);
    missed.sequence(0).audio(14 * kChunk + 10);
    ASSERT_TRUE(read(missed));
    EXPECT_EQ(record_.sound, "No Sound");
}

// A file shorter than one chunk is measured from the 32 header bytes by the start and end
// scans; the audio scan reads what the file holds.
TEST_F(MpegStreamTest, FileShorterThanOneChunk) {
    context_.mpegBytesToRead = 8192;
    Stream silent(500);
    silent.sequence(0).group(12, 0, 0, 7, 0).group(400, 0, 0, 9, 0);
    ASSERT_TRUE(read(silent));
    EXPECT_EQ(record_.width, "320");
    EXPECT_EQ(record_.fps, "25");
    EXPECT_EQ(record_.bitrate, "1150");
    EXPECT_EQ(record_.length, "0");
    EXPECT_EQ(record_.sound, "No Sound");

    Stream withSound(500);
    withSound.sequence(0).group(12, 0, 0, 7, 0).audio(300);
    ASSERT_TRUE(read(withSound));
    EXPECT_EQ(record_.sound, "Sound");
    EXPECT_EQ(record_.frequency, "44100");
}

TEST_F(MpegStreamTest, UnreadableEndTimeCodeLeavesLengthEmpty) {
    // The last group code ends the last chunk of the end scan (which stops one byte before
    // the end of the file), so its time code lies outside.
    Stream cut(20 * kChunk);
    cut.sequence(0).group(12, 0, 0, 0, 0).group(20 * kChunk - 5, 0, 0, 30, 0);
    ASSERT_TRUE(read(cut));
    EXPECT_EQ(record_.length, "");
    EXPECT_EQ(record_.sound, "No Sound");

    // No group code in the 50 chunks before the end.
    Stream none(60 * kChunk);
    none.sequence(0).group(12, 0, 0, 0, 0);
    ASSERT_TRUE(read(none));
    EXPECT_EQ(record_.length, "");
}

TEST_F(MpegStreamTest, StartTimeCodeCutByTheChunkCountsAsZero) {
    Stream stream(20 * kChunk);
    stream.sequence(0).group(kChunk - 6, 0, 5, 0, 0).group(2 * kChunk, 0, 6, 0, 0);
    stream.group(20 * kChunk - 100, 0, 0, 20, 0);
    ASSERT_TRUE(read(stream));
    EXPECT_EQ(record_.length, "20");
}

TEST_F(MpegStreamTest, SequenceHeaderCutByTheChunk) {
    Stream stream(20 * kChunk);
    stream.sequence(kChunk - 6).group(12, 0, 0, 0, 0).group(20 * kChunk - 100, 0, 0, 4, 30);
    ASSERT_TRUE(read(stream));
    EXPECT_EQ(record_.width, "");
    EXPECT_EQ(record_.height, "");
    EXPECT_EQ(record_.fps, "");
    EXPECT_EQ(record_.bitrate, "");
    EXPECT_EQ(record_.depth, "24");
    EXPECT_EQ(record_.codec, "MPEG");
    EXPECT_EQ(record_.length, "4");  // no frame rate to round the pictures by
}

TEST_F(MpegStreamTest, ChunkSizeSettingIsClamped) {
    Stream stream(4 * kChunk);
    stream.sequence(0).group(12, 0, 0, 0, 0).group(3 * kChunk, 0, 0, 3, 0).audio(2 * kChunk);
    for (const std::int32_t setting : {0, -5, 1, 15, std::numeric_limits<std::int32_t>::max(),
                                       std::numeric_limits<std::int32_t>::min()}) {
        SCOPED_TRACE(setting);
        context_.mpegBytesToRead = setting;
        ASSERT_TRUE(read(stream));
        EXPECT_EQ(record_.width, "320");
        EXPECT_FALSE(record_.sound.empty());
        EXPECT_LE(yields_, 10 * 2 + 1 + 50 * 2 + 14 + 63);
    }
}

TEST_F(MpegStreamTest, FileGoneBeforeTheAudioScanReachesTheCaller) {
    Stream stream(20 * kChunk);
    stream.sequence(0).group(12, 0, 0, 0, 0).group(20 * kChunk - 100, 0, 0, 5, 0).audio(5000);
    // The fifth yield is the last one of the end scan.
    onYield_ = [this](int count) {
        if (count == 5) {
            std::remove(path_.c_str());
        }
    };
    try {
        read(stream);
        FAIL() << "no failure";
    } catch (const media::MediaFailure& failure) {
        EXPECT_EQ(failure.number(), 53);
        EXPECT_STREQ(failure.what(), "File not found");
    }
    EXPECT_EQ(record_.width, "320");
    EXPECT_EQ(record_.length, "5");
    EXPECT_EQ(record_.sound, "");
}

}  // namespace
