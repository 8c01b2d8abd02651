#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>

#include "orvane/id3v2locator.h"
#include "orvane/mpegheader.h"
#include "platform/filesystem.h"
#include "tests/orvane/fixturebytes.h"
#include "tests/support/tempdir.h"

using orvane::cID3V2Tag;
using orvane::ID3V2Header;

namespace {

using testsupport::bigEndian;
using testsupport::raw;
using testsupport::synchsafe;

// An ANSI text frame in the layout of the given major version.
std::string text(int version, const std::string& id, const std::string& value) {
    const std::string payload = raw({0}) + value;
    const auto size = static_cast<std::uint32_t>(payload.size());
    switch (version) {
        case 2:
            return id + bigEndian(size, 3) + payload;
        case 3:
            return id + bigEndian(size, 4) + raw({0, 0}) + payload;
        default:
            return id + synchsafe(size) + raw({0, 0}) + payload;
    }
}

std::string tag(int version, const std::string& body, int flags = 0) {
    const auto size = static_cast<std::uint32_t>(body.size());
    std::string out = "ID3" + raw({version, 0, flags}) + synchsafe(size) + body;
    if (version == 4 && (flags & 0x10) != 0) {
        out += "3DI" + raw({version, 0, flags}) + synchsafe(size);
    }
    return out;
}

// A valid MPEG-1 Layer III frame header (128 kbit/s, 44.1 kHz) and one of MPEG-2 (version code
// 2), so that a test can tell which of two was found.
const std::string kMpeg1Header = raw({0xFF, 0xFB, 0x90, 0x64});
const std::string kMpeg2Header = raw({0xFF, 0xF3, 0x90, 0x64});

class Id3v2LocatorTest : public ::testing::Test {
protected:
    // Writes `bytes` and runs the locator over them; the result stays in `tag_`.
    bool locate(const std::string& bytes) {
        path_ = dir_.write("song.mp3", bytes);
        auto opened = platform::fs::ReadFile::open(path_);
        EXPECT_TRUE(opened.ok()) << opened.reason();
        if (!opened.ok()) {
            return false;
        }
        tag_ = cID3V2Tag();
        return tag_.ReadTag(*opened, static_cast<std::int64_t>(bytes.size()));
    }

    testsupport::TempDir dir_;
    std::string path_;
    cID3V2Tag tag_;
};

TEST_F(Id3v2LocatorTest, HandsEachVersionToItsReaderAndForwardsTheTexts) {
    struct Case {
        int version;
        std::string title, artist, album, genre, track, year;
    };
    const Case cases[] = {
        {2, "TT2", "TP1", "TAL", "TCO", "TRK", "TYE"},
        {3, "TIT2", "TPE1", "TALB", "TCON", "TRCK", "TYER"},
        // Version 4 has no year: neither its recording time nor a stray TYER frame gives one.
        {4, "TIT2", "TPE1", "TALB", "TCON", "TRCK", "TDRC"},
    };
    for (const Case& c : cases) {
        const int v = c.version;
        std::string body = text(v, c.title, "Title") + text(v, c.artist, "Artist") +
                           text(v, c.album, "Album") + text(v, c.genre, "(13)") +
                           text(v, c.track, "3/12") + text(v, c.year, "1999");
        if (v == 4) {
            body += text(v, "TYER", "1998");
        }
        ASSERT_TRUE(locate(tag(v, body) + kMpeg1Header + std::string(20, '\0'))) << v;
        EXPECT_EQ(tag_.Version(), v);
        EXPECT_EQ(static_cast<bool>(tag_.ID3V22Tag()), v == 2) << v;
        EXPECT_EQ(static_cast<bool>(tag_.ID3V23Tag()), v == 3) << v;
        EXPECT_EQ(static_cast<bool>(tag_.ID3V24Tag()), v == 4) << v;
        EXPECT_EQ(tag_.Title(), u"Title") << v;
        EXPECT_EQ(tag_.Artist(), u"Artist") << v;
        EXPECT_EQ(tag_.Album(), u"Album") << v;
        EXPECT_EQ(tag_.Genre(), u"(13)") << v;
        EXPECT_EQ(tag_.Track(), u"3/12") << v;
        EXPECT_EQ(tag_.Year(), v == 4 ? u"" : u"1999") << v;
    }
}

TEST_F(Id3v2LocatorTest, FindsTheTagAfterBytesThatAreNotAudio) {
    const std::string t = tag(3, text(3, "TIT2", "Hi")) + kMpeg1Header + std::string(8, '\0');
    // Long prefixes make the scan cross the boundaries of the pieces it reads at a time,
    // including a header that straddles one.
    for (std::size_t prefix :
         {0u, 1u, 100u, 4084u, 4087u, 4090u, 65527u, 65530u, 65536u, 65540u, 69620u, 140000u}) {
        ASSERT_TRUE(locate(std::string(prefix, '\0') + t)) << prefix;
        EXPECT_EQ(tag_.TagPosition(), static_cast<std::int64_t>(prefix) + 1) << prefix;
        EXPECT_EQ(tag_.Title(), u"Hi") << prefix;
    }
}

TEST_F(Id3v2LocatorTest, SkipsHeadersThatAreNotValid) {
    const std::string good = tag(3, text(3, "TIT2", "Hi")) + std::string(8, '\0');
    struct Case {
        const char* what;
        std::string header;
    };
    const Case cases[] = {
        {"size byte 0x80", "ID3" + raw({3, 0, 0, 0, 0, 0x80, 0})},
        {"size byte 0xFF", "ID3" + raw({3, 0, 0, 0xFF, 0, 0, 0})},
        {"major version 0xFF", "ID3" + raw({0xFF, 0, 0, 0, 0, 0, 10})},
        {"minor version 0xFF", "ID3" + raw({3, 0xFF, 0, 0, 0, 0, 10})},
        // The identifier is compared exactly.
        {"lower case", "id3" + raw({3, 0, 0, 0, 0, 0, 10})},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(locate(c.header + good)) << c.what;
        EXPECT_EQ(tag_.TagPosition(), 11) << c.what;
        EXPECT_EQ(tag_.Title(), u"Hi") << c.what;
    }
}

TEST_F(Id3v2LocatorTest, AValidHeaderOfAnUnknownVersionEndsTheSearch) {
    const std::string good = tag(3, text(3, "TIT2", "Hi")) + std::string(8, '\0');
    for (int version : {0, 1, 5, 0xFE}) {
        EXPECT_FALSE(locate("ID3" + raw({version, 0, 0, 0, 0, 0, 10}) + good)) << version;
    }
}

TEST_F(Id3v2LocatorTest, AudioBeforeTheTagEndsTheSearch) {
    const std::string good = tag(3, text(3, "TIT2", "Hi")) + std::string(8, '\0');
    EXPECT_FALSE(locate(kMpeg1Header + good));
    EXPECT_FALSE(locate(std::string(50, '\0') + kMpeg2Header + std::string(50, '\0') + good));
    // A tag appended at the end of an MP3 file is not looked for.
    EXPECT_FALSE(locate(kMpeg1Header + std::string(400, '\x55') + good));
    // Byte patterns that only look like audio do not stop it (bitrate index 15, free format).
    ASSERT_TRUE(locate(raw({0xFF, 0xFB, 0xF0, 0x64, 0xFF, 0xFB, 0x00, 0x64}) + good));
    EXPECT_EQ(tag_.TagPosition(), 9);
}

TEST_F(Id3v2LocatorTest, LooksForTheTagOnlyWhereTenMoreBytesAndOneFollow) {
    // The smallest tag: an ID3v2.2 header and a body of one byte (no frames), 11 bytes in all.
    const std::string smallest = tag(2, "x");
    ASSERT_EQ(smallest.size(), 11u);
    EXPECT_FALSE(locate(smallest));
    ASSERT_TRUE(locate(smallest + "y"));
    EXPECT_EQ(tag_.ID3V22Tag()->FrameCount(), 0);
    // Shorter files of every length are simply without a tag.
    for (std::size_t n = 0; n < smallest.size(); ++n) {
        EXPECT_FALSE(locate(smallest.substr(0, n))) << n;
    }
    // A text file is scanned to its end without finding anything.
    EXPECT_FALSE(locate(std::string(3000, 'a')));
}

TEST_F(Id3v2LocatorTest, FailsWhenTheVersionReaderRejectsTheTag) {
    // Flag 0x04 is refused by the ID3v2.2 reader, and an ID3v2.4 tag needs two bytes after it.
    EXPECT_FALSE(locate(tag(2, text(2, "TT2", "Hi"), 0x04) + std::string(8, '\0')));
    EXPECT_FALSE(locate(tag(4, text(4, "TIT2", "Hi"))));
    // Not resumed after a rejected tag: a good tag further on is not found.
    EXPECT_FALSE(locate(tag(2, text(2, "TT2", "Hi"), 0x08) + tag(3, text(3, "TIT2", "Hi")) +
                        std::string(8, '\0')));
}

TEST_F(Id3v2LocatorTest, ReportsWhereTheTagAndItsFooterEnd) {
    struct Case {
        const char* what;
        std::string prefix;
        int version;
        int flags;
        std::int64_t footer;
    };
    auto bodyOf = [](int version) { return text(version, version == 2 ? "TT2" : "TIT2", "Hi"); };
    const Case cases[] = {
        {"v2", "", 2, 0, 0},
        {"v3", "", 3, 0, 0},
        // Flag 0x10 means a footer in ID3v2.4 only.
        {"v3 with flag 0x10", "", 3, 0x10, 0},
        {"v4", "", 4, 0, 0},
        {"v4 with footer", "", 4, 0x10, 10},
        {"v4 at 101", std::string(100, '\0'), 4, 0x10, 10},
    };
    for (const Case& c : cases) {
        const std::string body = bodyOf(c.version);
        ASSERT_TRUE(
            locate(c.prefix + tag(c.version, body, c.flags) + kMpeg1Header + std::string(8, '\0')))
            << c.what;
        const auto start = static_cast<std::int64_t>(c.prefix.size()) + 1;
        EXPECT_EQ(tag_.TagPosition(), start) << c.what;
        EXPECT_EQ(tag_.EndPosition(),
                  start + 10 + static_cast<std::int64_t>(body.size()) + c.footer)
            << c.what;
    }
    // A tag that fills the file ends one past its last byte.
    const std::string whole = tag(2, bodyOf(2) + "x");
    ASSERT_TRUE(locate(whole));
    EXPECT_EQ(tag_.EndPosition(), static_cast<std::int64_t>(whole.size()) + 1);
}

TEST_F(Id3v2LocatorTest, TheAudioSearchAfterTheTagSkipsSyncPatternsInsideIt) {
    // A picture-like frame whose bytes hold a valid MPEG-2 frame header, then real MPEG-1 audio.
    const std::string body = text(3, "TIT2", "Hi") + "APIC" + bigEndian(12, 4) + raw({0, 0}) +
                             std::string(4, '\0') + kMpeg2Header + std::string(4, '\0');
    const std::string audio = kMpeg1Header + std::string(400, '\0');
    const std::string file = tag(3, body) + audio;
    ASSERT_TRUE(locate(file));
    const std::int64_t audioStart = static_cast<std::int64_t>(file.size() - audio.size()) + 1;
    ASSERT_EQ(tag_.EndPosition(), audioStart);

    auto opened = platform::fs::ReadFile::open(path_);
    ASSERT_TRUE(opened.ok());
    orvane::cMPEGHeader fromStart;
    ASSERT_TRUE(fromStart.ReadHeader(*opened, static_cast<std::int64_t>(file.size()), 1));
    EXPECT_LT(fromStart.HeaderPosition(), audioStart);  // the pattern inside the tag
    orvane::cMPEGHeader afterTag;
    ASSERT_TRUE(
        afterTag.ReadHeader(*opened, static_cast<std::int64_t>(file.size()), tag_.EndPosition()));
    EXPECT_EQ(afterTag.HeaderPosition(), audioStart);
    EXPECT_EQ(afterTag.Version(), u"MPEG Version 1");
}

TEST_F(Id3v2LocatorTest, RandomTagBodiesNeverCrash) {
    // Fixed seed: the same files on every run. Each tag has a valid header of a random version
    // and flags over random bytes, with an honest or an arbitrary size.
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 300; ++round) {
        const int version = 2 + round % 3;
        std::string body(static_cast<std::size_t>(random() % 300), '\0');
        for (char& c : body) {
            // Mostly small values, so that sizes and IDs are often plausible.
            c = static_cast<char>(round % 2 == 0 ? byte(random) : byte(random) % 8);
        }
        const auto size = round % 4 == 0 ? static_cast<std::uint32_t>(random() % 0x0FFFFFFF)
                                         : static_cast<std::uint32_t>(body.size());
        const std::string file = "ID3" + raw({version, 0, byte(random) & 0xF0}) + synchsafe(size) +
                                 body + raw({0xFF, 0xFB});
        (void)locate(file);
    }
}

TEST_F(Id3v2LocatorTest, IsValidHeaderLooksAtVersionsAndSizeOnly) {
    auto header = [](std::initializer_list<int> bytes) {
        const std::string b = raw(bytes);
        return ID3V2Header::fromBytes(reinterpret_cast<const std::uint8_t*>(b.data()));
    };
    EXPECT_TRUE(cID3V2Tag::IsValidHeader(header({'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F})));
    // Neither the identifier nor the flags are looked at.
    EXPECT_TRUE(cID3V2Tag::IsValidHeader(header({'x', 'y', 'z', 9, 0xFE, 0xFF, 0, 0, 0, 0})));
    EXPECT_FALSE(cID3V2Tag::IsValidHeader(header({'I', 'D', '3', 0xFF, 0, 0, 0, 0, 0, 0})));
    EXPECT_FALSE(cID3V2Tag::IsValidHeader(header({'I', 'D', '3', 3, 0xFF, 0, 0, 0, 0, 0})));
    for (int i = 6; i < 10; ++i) {
        std::string b = raw({'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0});
        b[static_cast<std::size_t>(i)] = static_cast<char>(0x80);
        EXPECT_FALSE(cID3V2Tag::IsValidHeader(
            ID3V2Header::fromBytes(reinterpret_cast<const std::uint8_t*>(b.data()))))
            << i;
    }
}

}  // namespace
