#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "media/mpegaudio.h"
#include "tests/support/tempdir.h"

namespace {

using media::MpegFrameInfo;

TEST(MpegAudio, FieldDecoders) {
    EXPECT_EQ(media::getVersionText(0x00), "MPEG 2.5");
    EXPECT_EQ(media::getVersionText(0x08), "Unknown");
    EXPECT_EQ(media::getVersionText(0x10), "MPEG 2");
    EXPECT_EQ(media::getVersionText(0x18), "MPEG 1");
    EXPECT_EQ(media::getLayerText(0x00), "Unknown");
    EXPECT_EQ(media::getLayerText(0x02), "Layer 3");
    EXPECT_EQ(media::getLayerText(0x04), "Layer 2");
    EXPECT_EQ(media::getLayerText(0x06), "Layer 1");
    EXPECT_EQ(media::getChannelModeText(0x00), "Stereo");
    EXPECT_EQ(media::getChannelModeText(0x40), "Joint Stereo");
    EXPECT_EQ(media::getChannelModeText(0x80), "Dual Channel");
    EXPECT_EQ(media::getChannelModeText(0xC0), "Mono");
    EXPECT_TRUE(media::isStereo(0x00));
    EXPECT_TRUE(media::isStereo(0x40));
    EXPECT_TRUE(media::isStereo(0x80));
    EXPECT_FALSE(media::isStereo(0xC0));
}

TEST(MpegAudio, SampleRateByFamilyOfFormatText) {
    const struct {
        int bits;
        const char* format;
        std::int32_t rate;
    } cases[] = {
        {0x00, "MPEG 1 Layer 3", 44100},
        {0x04, "MPEG 1 Layer 1", 48000},
        {0x08, "MPEG 1 Unknown", 32000},
        {0x00, "MPEG 2 Layer 2", 22050},
        {0x04, "MPEG 2 Layer 3", 24000},
        {0x08, "MPEG 2 Layer 1", 16000},
        {0x00, "MPEG 2.5 Layer 3", 11025},
        {0x04, "MPEG 2.5 Layer 2", 12000},
        {0x08, "MPEG 2.5 Unknown", 8000},
        {0x0C, "MPEG 1 Layer 3", 0},
        {0x00, "Unknown Layer 3", 0},
        {0x00, "mpeg 1 Layer 3", 0},
        {0x00, "MPEG 1", 0},
        {0x00, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " bits " + std::to_string(c.bits));
        EXPECT_EQ(media::getSampleRate(c.bits, c.format), c.rate);
    }
}

TEST(MpegAudio, BitrateRowsFollowTheWholeFormatText) {
    const struct {
        const char* format;
        std::int16_t row[14];
    } rows[] = {
        {"MPEG 1 Layer 1", {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}},
        {"MPEG 1 Layer 2", {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384}},
        {"MPEG 1 Layer 3", {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {"MPEG 2 Layer 1", {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256}},
        {"MPEG 2 Layer 2", {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
        {"MPEG 2 Layer 3", {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
        {"MPEG 2.5 Layer 1", {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
        {"MPEG 1 Unknown", {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.format);
        EXPECT_EQ(media::getBitrate(0x00, r.format), 0);
        EXPECT_EQ(media::getBitrate(0xF0, r.format), 0);
        for (int index = 1; index <= 14; ++index) {
            EXPECT_EQ(media::getBitrate(index * 16, r.format), r.row[index - 1]) << index;
        }
    }
}

struct HeaderCase {
    const char* name;
    std::string bytes;
    std::int64_t start;
    bool result;
    std::string format;
    std::int16_t bitrate;
    std::int32_t frequency;
    std::string mode;
    bool stereo;
    int yields;
};

std::string zeros(std::size_t count) {
    return std::string(count, '\0');
}

TEST(MpegAudio, HeaderScan) {
    const std::string mp3 = "\xFF\xFB\x90\x44";
    const HeaderCase cases[] = {
        {"first bytes", mp3, 1, true, "MPEG 1 Layer 3", 128, 44100, "Joint Stereo", true, 0},
        {"MPEG 2.5 mono", "\xFF\xE3\x40\xC0", 1, true, "MPEG 2.5 Layer 3", 32, 11025, "Mono", false,
         0},
        {"MPEG 2.5 at 8 kHz", "\xFF\xE3\x48\xC0", 1, true, "MPEG 2.5 Layer 3", 32, 8000, "Mono",
         false, 0},
        // A rejected candidate is skipped whole and its values stay until the next one.
        {"layer bits 00, then end", "\xFF\xF8\x90\x44", 1, true, "MPEG 1 Unknown", 80, 44100,
         "Joint Stereo", true, 1},
        {"layer bits 00, then valid", "\xFF\xF8\x90\x44" + mp3, 1, true, "MPEG 1 Layer 3", 128,
         44100, "Joint Stereo", true, 1},
        {"free format", std::string("\xFF\xFB\x00\x44", 4), 1, true, "MPEG 1 Layer 3", 0, 44100,
         "Joint Stereo", true, 1},
        {"bit rate index 15", "\xFF\xFB\xF0\x44", 1, true, "MPEG 1 Layer 3", 0, 44100,
         "Joint Stereo", true, 1},
        {"sample rate bits 0C", "\xFF\xFB\x9C\x44", 1, true, "MPEG 1 Layer 3", 128, 0,
         "Joint Stereo", true, 1},
        {"version bits 08", "\xFF\xEB\x90\x44", 1, true, "Unknown Layer 3", 80, 0, "Joint Stereo",
         true, 1},
        {"FF FF starts a candidate", "\xFF\xFF\x90\xC4", 1, true, "MPEG 1 Layer 1", 288, 44100,
         "Mono", false, 0},
        {"the scan never goes back", "\xFF\xFF\xFB\x90\x44", 1, true, "MPEG 1 Layer 1", 0, 32000,
         "Dual Channel", true, 2},
        {"FF then a low byte", "\xFF\x12" + mp3, 1, true, "MPEG 1 Layer 3", 128, 44100,
         "Joint Stereo", true, 1},
        {"63 bytes before the header", zeros(63) + mp3, 1, true, "MPEG 1 Layer 3", 128, 44100,
         "Joint Stereo", true, 63},
        {"64 bytes before the header", zeros(64) + mp3, 1, false, "", 0, 0, "", false, 63},
        {"from a later position", "ab" + mp3, 3, true, "MPEG 1 Layer 3", 128, 44100, "Joint Stereo",
         true, 0},
        {"position 0", mp3, 0, true, "", 0, 0, "", false, 0},
        {"negative position", mp3, -5, true, "", 0, 0, "", false, 0},
        {"past the end", mp3, 100, true, "", 0, 0, "", false, 0},
        {"empty file", "", 1, true, "", 0, 0, "", false, 0},
        // A candidate cut by the end of the file keeps what was decoded before the end.
        {"cut after the third byte", "\xFF\xFB\x90", 1, true, "MPEG 1 Layer 3", 128, 44100, "",
         false, 0},
        {"cut after the second byte", "\xFF\xFB", 1, true, "MPEG 1 Layer 3", 0, 0, "", false, 0},
    };
    testsupport::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.write("audio.bin", c.bytes);
        MpegFrameInfo info;
        info.formatText = "stale";
        info.bitrate = 99;
        int yields = 0;
        const bool result = media::getMpegHeader(path, info, c.start, [&] { ++yields; });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(info.formatText, c.format);
        EXPECT_EQ(info.bitrate, c.bitrate);
        EXPECT_EQ(info.frequency, c.frequency);
        EXPECT_EQ(info.modeText, c.mode);
        EXPECT_EQ(info.stereo, c.stereo);
        EXPECT_EQ(yields, c.yields);
    }
}

TEST(MpegAudio, HeaderScanOfMissingFileOrFolderLeavesClearedRecord) {
    testsupport::TempDir dir;
    for (const std::string& path : {dir.file("missing.mp2"), dir.mkdir("folder")}) {
        SCOPED_TRACE(path);
        MpegFrameInfo info;
        info.formatText = "stale";
        info.frequency = 5;
        EXPECT_TRUE(media::getMpegHeader(path, info, 1, nullptr));
        EXPECT_EQ(info.formatText, "");
        EXPECT_EQ(info.frequency, 0);
    }
}

TEST(MpegAudio, LengthTexts) {
    const std::int64_t hour = 3600;
    const struct {
        std::int64_t seconds;
        const char* text;
        const char* shortText;
    } cases[] = {
        {0, "0 Sec", "00:00"},
        {5, "5 Sec", "00:05"},
        {59, "59 Sec", "00:59"},
        {60, "1 Min 0 Sec", "01:00"},
        {65, "1 Min 5 Sec", "01:05"},
        {600, "10 Min 0 Sec", "10:00"},
        {hour, "1 H 0 Min 0 Sec", "01:00:00"},
        {hour + 2 * 60 + 5, "1 H 2 Min 5 Sec", "01:02:05"},
        {100 * hour, "100 H 0 Min 0 Sec", "100:00:00"},
        {-1, "-1 Sec", "00:0-1"},
        {-3700, "-3700 Sec", "00:0-3700"},
        // Past the 32-bit and 16-bit ranges the split goes on in whole numbers.
        {32768, "9 H 6 Min 8 Sec", "09:06:08"},
        {std::int64_t{3'000'000'000}, "833333 H 20 Min 0 Sec", "833333:20:00"},
        {std::numeric_limits<std::int64_t>::max(), "2562047788015215 H 30 Min 7 Sec",
         "2562047788015215:30:07"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(media::formatLength(c.seconds), c.text);
        EXPECT_EQ(media::formatLengthShort(c.seconds), c.shortText);
    }
}

}  // namespace
