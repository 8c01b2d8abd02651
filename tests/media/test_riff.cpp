#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "media/riff.h"
#include "tests/media/bytes.h"
#include "tests/support/tempdir.h"

namespace {

using media::MediaContext;
using media::MediaProperties;

using mediatests::Bytes;

media::detail::Header headerOf(const std::string& bytes) {
    media::detail::Header header{};
    std::memcpy(header.data(), bytes.data(), std::min(bytes.size(), header.size()));
    return header;
}

// Offsets of the headers in the crafted AVI block.
constexpr std::size_t kAvih = 24;
constexpr std::size_t kVids = 100;
constexpr std::size_t kVideoFormat = 200;
constexpr std::size_t kAuds = 300;
constexpr std::size_t kSoundFormat = 400;

struct Avi {
    std::uint32_t frames = 1000;
    std::uint32_t width = 320;
    std::uint32_t height = 240;
    std::string codec = "DIVX";
    std::uint32_t scale = 1001;
    std::uint32_t rate = 30000;
    std::uint32_t depth = 24;
    bool sound = true;
    std::uint32_t formatTag = 0x55;
    std::uint32_t channels = 2;
    std::uint32_t frequency = 44100;
    std::uint32_t averageBytes = 16000;
    std::uint32_t bits = 16;

    Bytes block(std::size_t size = 8192) const {
        Bytes b(size);
        b.text(0, "RIFF").text(8, "AVI LIST").text(kAvih, "avih");
        b.le32(kAvih + 24, frames).le32(kAvih + 40, width).le32(kAvih + 44, height);
        b.text(kVids - 8, "strh").text(kVids, "vids").text(kVids + 4, codec);
        b.le32(kVids + 20, scale).le32(kVids + 24, rate);
        b.text(kVideoFormat, "strf").le16(kVideoFormat + 22, depth);
        if (sound) {
            b.text(kAuds - 8, "strh").text(kAuds, "auds");
            b.text(kSoundFormat, "strf").le16(kSoundFormat + 8, formatTag);
            b.le16(kSoundFormat + 10, channels).le32(kSoundFormat + 12, frequency);
            b.le32(kSoundFormat + 16, averageBytes).le16(kSoundFormat + 22, bits);
        }
        return b;
    }
};

class RiffTest : public ::testing::Test {
protected:
    // Writes `bytes`, grown (sparsely) to `size` when that is larger, and reads it.
    bool read(bool avi, const std::string& bytes, std::uint64_t size = 0) {
        const std::string path = dir_.write(avi ? "clip.avi" : "sound.wav", bytes);
        if (size > bytes.size()) {
            std::filesystem::resize_file(path, size);
        }
        record_ = MediaProperties();
        record_.path = path;
        return avi ? media::detail::readAvi(path, headerOf(bytes), record_, context_)
                   : media::detail::readWave(path, headerOf(bytes), record_, context_);
    }

    testsupport::TempDir dir_;
    MediaContext context_;
    MediaProperties record_;
};

TEST_F(RiffTest, AviFieldsFromTheHeaders) {
    context_.waveFormats = {{0x55, "MPEG Layer-3"}};
    const Avi avi;
    ASSERT_TRUE(read(true, avi.block().str(), 10 * 1048576));
    EXPECT_EQ(record_.width, "320");
    EXPECT_EQ(record_.height, "240");
    EXPECT_EQ(record_.codec, "DIVX");
    EXPECT_EQ(record_.fps, "29.97");
    EXPECT_EQ(record_.length, "33");
    EXPECT_EQ(record_.bitrate, "2542");
    EXPECT_EQ(record_.depth, "24");
    EXPECT_EQ(record_.sound, "Sound");
    EXPECT_EQ(record_.soundFormat, "MPEG Layer-3");
    EXPECT_EQ(record_.soundMode, "Stereo");
    EXPECT_EQ(record_.frequency, "44100");
    EXPECT_EQ(record_.soundBitrate, "128");
    EXPECT_EQ(record_.bits, "16");
}

TEST_F(RiffTest, AviFrameRateAndLengthRounding) {
    context_.decimalSeparator = ",";
    const struct {
        std::uint32_t scale, rate, frames;
        const char* fps;
        const char* length;
    } cases[] = {
        {1001, 24000, 240, "23,98", "10"},
        {1, 25, 250, "25", "10"},
        {1001, 30000, 1000, "29,97", "33"},
        {2, 5, 5, "2,5", "2"},  // 5 / 2.5 = 2
        {1, 2, 5, "2", "2"},    // 2.5 seconds: a half goes to the even neighbour
        {1, 2, 7, "2", "4"},    // 3.5 seconds
        {1000, 1, 1, "0", ""},  // rounds to no frames per second: no length
        {1, 25, 0, "25", "0"},  // an empty clip: no bit rate
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + "/" + std::to_string(c.scale));
        Avi avi;
        avi.scale = c.scale;
        avi.rate = c.rate;
        avi.frames = c.frames;
        ASSERT_TRUE(read(true, avi.block().str()));
        EXPECT_EQ(record_.fps, c.fps);
        EXPECT_EQ(record_.length, c.length);
        EXPECT_EQ(record_.bitrate.empty(),
                  std::string(c.length).empty() || std::string(c.length) == "0");
    }
}

TEST_F(RiffTest, AviZeroScaleLeavesRateLengthAndBitrateEmpty) {
    Avi avi;
    avi.scale = 0;
    ASSERT_TRUE(read(true, avi.block().str()));
    EXPECT_EQ(record_.fps, "");
    EXPECT_EQ(record_.length, "");
    EXPECT_EQ(record_.bitrate, "");
    EXPECT_EQ(record_.codec, "DIVX");
    EXPECT_EQ(record_.depth, "24");
}

// Sizes and counts past 32 bits: a file of several GiB, a frame count and a frame rate with
// the top bit set.
TEST_F(RiffTest, AviLargeValuesAreComputedInSixtyFourBits) {
    Avi avi;
    avi.scale = 1;
    avi.rate = 25;
    avi.frames = 2500;
    avi.width = 0xFFFFFFFFu;
    ASSERT_TRUE(read(true, avi.block().str(), 5 * 1073741824ull));
    EXPECT_EQ(record_.length, "100");
    EXPECT_EQ(record_.bitrate, "429496");  // 5 GiB over 100 s
    EXPECT_EQ(record_.width, "4294967295");

    avi.frames = 0x80000000u;
    avi.rate = 0x80000000u;
    avi.scale = 0x40000000u;
    avi.averageBytes = 0xFFFFFFFFu;
    ASSERT_TRUE(read(true, avi.block().str()));
    EXPECT_EQ(record_.fps, "2");
    EXPECT_EQ(record_.length, "1073741824");
    EXPECT_EQ(record_.soundBitrate, "34359738");
}

TEST_F(RiffTest, AviCodecNames) {
    const struct {
        const char* name;
        std::vector<media::CodecName> codecs;
        std::string code;
        const char* expected;
    } cases[] = {
        {"exact entry", {{"XVID", "Xvid"}, {"divx", "DivX 4"}}, "divx", "DivX 4"},
        {"upper-cased match", {{"DIVX", "DivX upper"}}, "divx", "DivX upper"},
        {"exact wins over an earlier upper-cased match",
         {{"DIVX", "DivX upper"}, {"divx", "DivX exact"}},
         "divx",
         "DivX exact"},
        {"first exact entry wins", {{"MJPG", "one"}, {"MJPG", "two"}}, "MJPG", "one"},
        {"no entry keeps the code", {{"XVID", "Xvid"}}, "abcd", "abcd"},
        {"empty list", {}, "H264", "H264"},
        {"bytes of the ANSI code page",
         {},
         "\x80\xE9"
         "ab",
         "\u20AC\u00E9ab"},
        {"a NUL byte ends the code", {}, std::string("ab\0d", 4), "ab"},
        {"an empty code meets the empty entry", {{"", ""}}, std::string(4, '\0'), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        context_.codecs = c.codecs;
        Avi avi;
        avi.codec = c.code;
        ASSERT_TRUE(read(true, avi.block().str()));
        EXPECT_EQ(record_.codec, c.expected);
    }
}

TEST_F(RiffTest, AviWithoutSoundStream) {
    Avi avi;
    avi.sound = false;
    ASSERT_TRUE(read(true, avi.block().str()));
    EXPECT_EQ(record_.sound, "No Sound");
    EXPECT_EQ(record_.soundFormat, "");
    EXPECT_EQ(record_.soundMode, "");
    EXPECT_EQ(record_.frequency, "");
    EXPECT_EQ(record_.soundBitrate, "");
    EXPECT_EQ(record_.bits, "");
    EXPECT_EQ(record_.width, "320");
}

TEST_F(RiffTest, AviMissingHeaders) {
    // No main header: nothing but failure.
    Bytes plain(8192);
    plain.text(0, "RIFF").text(8, "AVI ");
    EXPECT_FALSE(read(true, plain.str()));
    EXPECT_EQ(record_.width, "");
    EXPECT_EQ(record_.sound, "");

    // The main header alone: size and "No Sound", nothing of the video stream.
    Bytes mainOnly(8192);
    mainOnly.text(0, "RIFF").text(8, "AVI ").text(kAvih, "avih").le32(kAvih + 40, 64);
    EXPECT_TRUE(read(true, mainOnly.str()));
    EXPECT_EQ(record_.width, "64");
    EXPECT_EQ(record_.fps, "");
    EXPECT_EQ(record_.codec, "");
    EXPECT_EQ(record_.length, "");
    EXPECT_EQ(record_.sound, "No Sound");

    // Stream headers without their format chunks.
    Bytes noFormats = Avi().block();
    noFormats.text(kVideoFormat, "xxxx").text(kSoundFormat, "xxxx");
    EXPECT_TRUE(read(true, noFormats.str()));
    EXPECT_EQ(record_.fps, "29.97");
    EXPECT_EQ(record_.depth, "");
    EXPECT_EQ(record_.sound, "Sound");
    EXPECT_EQ(record_.frequency, "");
    EXPECT_EQ(record_.bits, "");
}

TEST_F(RiffTest, AviHeadersPastTheBlockAreNotFound) {
    Bytes late(9000);
    late.text(0, "RIFF").text(8, "AVI ").text(kAvih, "avih").le32(kAvih + 40, 64);
    late.text(8190, "vids");  // straddles the end of the block
    late.text(8300, "auds");
    EXPECT_TRUE(read(true, late.str()));
    EXPECT_EQ(record_.codec, "");
    EXPECT_EQ(record_.sound, "No Sound");

    // A format chunk text at the block's end: its fields lie outside and stay empty.
    Bytes cut = Avi().block();
    cut.text(kSoundFormat, "xxxx").text(8186, "strf");
    EXPECT_TRUE(read(true, cut.str()));
    EXPECT_EQ(record_.sound, "Sound");
    EXPECT_EQ(record_.soundFormat, "");
    EXPECT_EQ(record_.frequency, "");
    EXPECT_EQ(record_.bits, "");
}

// A file shorter than the block is measured from its first 32 bytes only.
TEST_F(RiffTest, AviShorterThanTheBlockUsesTheHeader) {
    const std::string bytes = Avi().block().str().substr(0, 4000);
    EXPECT_TRUE(read(true, bytes));
    EXPECT_EQ(record_.width, "");  // beyond the 32 header bytes
    EXPECT_EQ(record_.codec, "");
    EXPECT_EQ(record_.sound, "No Sound");

    Bytes tiny(20);
    tiny.text(0, "RIFF").text(8, "AVI ");
    EXPECT_FALSE(read(true, tiny.str()));
}

struct Wave {
    std::uint32_t formatTag = 1;
    std::uint32_t channels = 2;
    std::uint32_t frequency = 44100;
    std::uint32_t averageBytes = 4 * 44100;
    std::uint32_t bits = 16;

    Bytes block(std::size_t size = 256, std::size_t fmt = 12) const {
        Bytes b(size);
        b.text(0, "RIFF").text(8, "WAVE").text(fmt, "fmt ").le32(fmt + 4, 16);
        b.le16(fmt + 8, formatTag).le16(fmt + 10, channels).le32(fmt + 12, frequency);
        b.le32(fmt + 16, averageBytes).le16(fmt + 20, 4).le16(fmt + 22, bits);
        return b;
    }
};

TEST_F(RiffTest, WaveFields) {
    context_.decimalSeparator = ",";
    const Wave wave;
    ASSERT_TRUE(read(false, wave.block().str(), 10 * 4 * 44100 + 44));
    EXPECT_EQ(record_.sound, "Sound");
    EXPECT_EQ(record_.length, "10,0002494331066");
    EXPECT_EQ(record_.soundBitrate, "1411");
    EXPECT_EQ(record_.frequency, "44100");
    EXPECT_EQ(record_.soundMode, "Stereo");
    EXPECT_EQ(record_.bits, "16");
    EXPECT_EQ(record_.soundFormat, "1");
    EXPECT_EQ(record_.width, "");
    EXPECT_EQ(record_.fps, "");
}

TEST_F(RiffTest, WaveChannelsAndFormatNames) {
    const struct {
        const char* name;
        std::vector<media::WaveFormatName> formats;
        std::uint32_t tag;
        std::uint32_t channels;
        const char* format;
        const char* mode;
    } cases[] = {
        {"listed tag", {{1, "PCM"}, {85, "MPEG Layer-3"}}, 85, 1, "MPEG Layer-3", "Mono"},
        {"first entry wins", {{1, "PCM"}, {1, "other"}}, 1, 2, "PCM", "Stereo"},
        {"unlisted tag", {{1, "PCM"}}, 85, 6, "85", "Mono"},
        {"nothing loaded, tag 0", {{0, ""}}, 0, 2, "", "Stereo"},
        {"nothing loaded, tag 1", {{0, ""}}, 1, 0, "1", "Mono"},
        {"empty list", {}, 3, 2, "3", "Stereo"},
        {"extensible tag without entry", {{1, "PCM"}}, 0xFFFE, 2, "65534", "Stereo"},
        {"extensible tag by its bit pattern",
         {{-2, "Extensible"}},
         0xFFFE,
         2,
         "Extensible",
         "Stereo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        context_.waveFormats = c.formats;
        Wave wave;
        wave.formatTag = c.tag;
        wave.channels = c.channels;
        ASSERT_TRUE(read(false, wave.block().str()));
        EXPECT_EQ(record_.soundFormat, c.format);
        EXPECT_EQ(record_.soundMode, c.mode);
    }
}

TEST_F(RiffTest, WaveZeroAverageLeavesLengthEmpty) {
    Wave wave;
    wave.averageBytes = 0;
    ASSERT_TRUE(read(false, wave.block().str()));
    EXPECT_EQ(record_.length, "");
    EXPECT_EQ(record_.soundBitrate, "0");
    EXPECT_EQ(record_.frequency, "44100");
}

TEST_F(RiffTest, WaveOfSeveralGigabytes) {
    const Wave wave;
    ASSERT_TRUE(read(false, wave.block().str(), 5 * 1073741824ull));
    EXPECT_EQ(record_.length, "30434.8589569161");
}

TEST_F(RiffTest, WaveWithoutFormatChunk) {
    Bytes bytes(256);
    bytes.text(0, "RIFF").text(8, "WAVE").text(12, "data");
    EXPECT_FALSE(read(false, bytes.str()));
    EXPECT_EQ(record_.sound, "No Sound");
    EXPECT_EQ(record_.frequency, "");

    // Found only past the block.
    Bytes late(400);
    late.text(0, "RIFF").text(8, "WAVE").text(300, "fmt ");
    EXPECT_FALSE(read(false, late.str()));
    EXPECT_EQ(record_.sound, "No Sound");
}

TEST_F(RiffTest, WaveFieldsNearTheBlockEnd) {
    // The format chunk's fields cut by the end of the block stay empty; those inside are read.
    const Wave wave;
    ASSERT_TRUE(read(false, wave.block(300, 244).str()));
    EXPECT_EQ(record_.soundFormat, "1");
    EXPECT_EQ(record_.soundMode, "Stereo");
    EXPECT_EQ(record_.frequency, "");
    EXPECT_EQ(record_.length, "");
    EXPECT_EQ(record_.soundBitrate, "");
    EXPECT_EQ(record_.bits, "");
}

// A file shorter than the block is measured from its first 32 bytes: the fields that lie
// there are read, the bits per sample (byte 34) are not.
TEST_F(RiffTest, WaveShorterThanTheBlockUsesTheHeader) {
    Wave wave;
    wave.averageBytes = 100;
    const std::string bytes = wave.block().str().substr(0, 150);
    ASSERT_TRUE(read(false, bytes));
    EXPECT_EQ(record_.soundFormat, "1");
    EXPECT_EQ(record_.soundMode, "Stereo");
    EXPECT_EQ(record_.frequency, "44100");
    EXPECT_EQ(record_.length, "1.5");
    EXPECT_EQ(record_.bits, "");
}

}  // namespace
