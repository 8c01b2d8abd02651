// Real files made by ffmpeg and sox (realfiles/av/make_av.sh), read by the AVI, WAVE and MPEG
// readers and compared with what ffprobe reported for them (realfiles/av/expected_av.tsv).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "media/mpegstream.h"
#include "media/riff.h"
#include "tests/media/tsvtable.h"

namespace {

namespace fs = std::filesystem;

const fs::path& folder() {
    static const fs::path path = fs::path(__FILE__).parent_path() / "realfiles" / "av";
    return path;
}

using mediatests::endsWith;
using mediatests::Row;

std::vector<Row> expectedRows() {
    return mediatests::readTsv(folder() / "expected_av.tsv");
}

double number(const std::string& text) {
    return std::stod(text);
}

// "30000/1001" as a number.
double ratio(const std::string& text) {
    const auto slash = text.find('/');
    return number(text.substr(0, slash)) / number(text.substr(slash + 1));
}

std::string kilo(const std::string& bitsPerSecond) {
    return std::to_string(std::stoll(bitsPerSecond) / 1000);
}

// "0x0001" as decimal text.
std::string tagText(const std::string& hex) {
    return std::to_string(std::stoul(hex, nullptr, 16));
}

TEST(RealAv, TableCoversEveryFixture) {
    std::set<std::string> listed;
    for (const Row& row : expectedRows()) {
        listed.insert(row.at("file"));
    }
    std::set<std::string> present;
    for (const auto& entry : fs::directory_iterator(folder())) {
        const std::string name = entry.path().filename().string();
        if (endsWith(name, ".avi") || endsWith(name, ".wav") || endsWith(name, ".mpg")) {
            present.insert(name);
        }
    }
    EXPECT_EQ(listed, present);
    EXPECT_GE(listed.size(), 10u);
}

TEST(RealAv, PropertiesMatchFfprobe) {
    // Where the readers name a thing differently from ffprobe: the extensible WAVE header's
    // own tag (ffprobe gives its sub-format), and the MPEG frame header's text.
    const std::map<std::string, std::string> soundFormats = {
        {"wave_s24_stereo.wav", "65534"},
        {"mpeg1_system.mpg", "MPEG 1 Layer 2"},
    };
    const media::MediaContext context;
    for (const Row& row : expectedRows()) {
        const std::string name = row.at("file");
        SCOPED_TRACE(name);
        const std::string path = (folder() / name).string();
        media::detail::Header header{};
        {
            std::ifstream in(path, std::ios::binary);
            in.read(reinterpret_cast<char*>(header.data()), header.size());
            ASSERT_EQ(in.gcount(), 32);
        }
        media::MediaProperties record;
        const bool avi = endsWith(name, ".avi");
        const bool wave = endsWith(name, ".wav");
        const bool mpeg = endsWith(name, ".mpg");
        bool result = false;
        if (avi) {
            result = media::detail::readAvi(path, header, record, context);
        } else if (wave) {
            result = media::detail::readWave(path, header, record, context);
        } else {
            ASSERT_TRUE(mpeg);
            result = media::detail::readMpeg(path, header, record, context);
        }
        EXPECT_TRUE(result);

        const double duration = number(row.at("duration"));
        if (avi || mpeg) {
            EXPECT_EQ(record.width, row.at("width"));
            EXPECT_EQ(record.height, row.at("height"));
            EXPECT_NEAR(number(record.fps), ratio(row.at("fps")), 0.005);
            EXPECT_FALSE(record.depth.empty());
            ASSERT_FALSE(record.length.empty());
            EXPECT_NEAR(number(record.length), duration, 1.0);
        }
        if (avi) {
            EXPECT_EQ(record.codec, row.at("video_tag"));
            const double fps = std::nearbyint(ratio(row.at("fps")) * 100) / 100;
            EXPECT_EQ(record.length, std::to_string(std::llround(number(row.at("frames")) / fps)));
            // The whole file over the whole seconds: close to ffprobe's rate over the exact
            // duration for these one-second clips.
            EXPECT_NEAR(number(record.bitrate), number(row.at("file_bit_rate")) / 1000,
                        number(row.at("file_bit_rate")) / 1000 * 0.02);
        }
        if (mpeg) {
            EXPECT_EQ(record.codec, "MPEG");
            EXPECT_EQ(record.bitrate, kilo(row.at("video_bit_rate")));
        }
        if (wave) {
            EXPECT_EQ(record.width, "");
            EXPECT_EQ(record.codec, "");
            ASSERT_FALSE(record.length.empty());
            // The length counts the header bytes too.
            EXPECT_NEAR(number(record.length), duration, 0.01);
        }

        if (row.at("audio") == "yes") {
            EXPECT_EQ(record.sound, "Sound");
            EXPECT_EQ(record.frequency, row.at("sample_rate"));
            EXPECT_EQ(record.soundMode, row.at("channels") == "2" ? "Stereo" : "Mono");
            EXPECT_EQ(record.soundBitrate, kilo(row.at("audio_bit_rate")));
            const auto format = soundFormats.find(name);
            EXPECT_EQ(record.soundFormat,
                      format != soundFormats.end() ? format->second : tagText(row.at("audio_tag")));
            // An MPEG stream's sound is always counted as 16 bits.
            EXPECT_EQ(record.bits, mpeg ? "16" : row.at("bits"));
        } else {
            EXPECT_EQ(record.sound, "No Sound");
            EXPECT_EQ(record.frequency, "");
            EXPECT_EQ(record.soundFormat, "");
        }
    }
}

}  // namespace
