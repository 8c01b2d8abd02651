#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>

#include "orvane/helpers.h"
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

// A tagger may put its tag in front of one already there: the end passes every tag that
// follows directly, with its footer, as long as it is a tag of a known version inside the file.
TEST_F(Id3v2LocatorTest, TheEndPassesTheTagsThatFollowDirectly) {
    const std::string first = tag(3, text(3, "TIT2", "Hi"));
    const std::string v2 = tag(2, text(2, "TT2", "Two"));
    const std::string v4WithFooter = tag(4, text(4, "TIT2", "Four"), 0x10);
    const std::string audio = kMpeg1Header + std::string(8, '\0');
    struct Case {
        const char* what;
        std::string after;
        std::size_t passed;  // bytes of further tags that the end passes
    };
    const Case cases[] = {
        {"audio right behind", audio, 0},
        {"a second tag", v2 + audio, v2.size()},
        {"an ID3v2.4 tag with its footer, then one more", v4WithFooter + v2 + audio,
         v4WithFooter.size() + v2.size()},
        {"a second tag that ends the file", v2, v2.size()},
        {"one byte between", "x" + v2 + audio, 0},
        {"an unknown version", "ID3" + raw({5, 0, 0, 0, 0, 0, 1}) + "x" + audio, 0},
        {"a size past the end of the file", "ID3" + raw({3, 0, 0, 0, 0, 1, 0}) + audio, 0},
        {"a size byte of 0x80", "ID3" + raw({3, 0, 0, 0, 0, 0x80, 0}) + audio, 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(locate(first + c.after)) << c.what;
        // Only the first tag is read.
        EXPECT_EQ(tag_.Title(), u"Hi") << c.what;
        EXPECT_EQ(tag_.EndPosition(), static_cast<std::int64_t>(first.size() + c.passed) + 1)
            << c.what;
    }
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

// The scan as it is specified, one position after the other: the first "ID3" with a valid
// header, unless a valid frame header comes first; a position counts only when the 10 bytes of
// a header and one more byte follow from it.
std::int64_t scanEveryPosition(const std::string& bytes) {
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (std::size_t i = 0; i + 11 < bytes.size(); ++i) {
        if (b[i] == 'I' && b[i + 1] == 'D' && b[i + 2] == '3') {
            if (cID3V2Tag::IsValidHeader(ID3V2Header::fromBytes(b + i))) {
                return static_cast<std::int64_t>(i) + 1;
            }
        } else if (orvane::IsValidFrameHeader(
                       (std::uint32_t{b[i]} << 24) | (std::uint32_t{b[i + 1]} << 16) |
                       (std::uint32_t{b[i + 2]} << 8) | std::uint32_t{b[i + 3]})) {
            return 0;
        }
    }
    return 0;
}

// The scan reads the file in windows and looks closer only at the bytes that can begin a
// header; it must answer as the plain scan does for every input.
class Id3v2ScanTest : public Id3v2LocatorTest {
protected:
    void expectSameAnswer(const std::string& bytes, const std::string& what) {
        const std::string path = dir_.write("scan.bin", bytes);
        auto opened = platform::fs::ReadFile::open(path);
        ASSERT_TRUE(opened.ok()) << opened.reason();
        EXPECT_EQ(cID3V2Tag::FindHeader(*opened, static_cast<std::int64_t>(bytes.size())),
                  scanEveryPosition(bytes))
            << what << ", " << bytes.size() << " bytes";
    }

    // Where a window begins (0-based): the first holds 4087 positions, the second 65527, the
    // third twice as many and so on.
    static constexpr std::size_t kWindowStarts[] = {4087, 4087 + 65527, 4087 + 65527 + 131063};

    // Pieces that decide the scan wherever they stand, and some that must not.
    const std::string validTag_ = "ID3" + raw({3, 0, 0, 0, 0, 1, 0});
    const std::string deciding_[6] = {
        validTag_,
        "ID3" + raw({4, 0, 0x10, 0x7F, 0x7F, 0x7F, 0x7F}),
        kMpeg1Header,
        kMpeg2Header,
        raw({0xFF, 0xFF, 0xFB, 0x90}),  // the frame header begins at the second byte
        raw({0xFF, 'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0}),
    };
    const std::string notDeciding_[8] = {
        "ID3" + raw({3, 0, 0, 0, 0x80, 0, 0}),  // a size byte of 0x80
        "ID3" + raw({0xFF, 0, 0, 0, 0, 0, 0}),  // version 0xFF
        "ID",
        "I",
        "IID",
        raw({0xFF, 0xFB, 0xF0, 0x64}),  // bitrate index 15
        raw({0xFF, 0xE0}),
        raw({0xFF}),
    };
};

// Each deciding piece alone, at every place around the start of a window and the end of the
// file, over zeros and over text.
TEST_F(Id3v2ScanTest, AnswersAsAScanOfEveryPositionAtTheEdges) {
    for (const std::size_t edge : {std::size_t{0}, kWindowStarts[0], kWindowStarts[1]}) {
        for (std::size_t shift = 0; shift < 14; ++shift) {
            for (const std::string& piece : deciding_) {
                const std::size_t at = edge < 11 ? shift : edge - 11 + shift;
                std::string bytes(edge + 40, '\0');
                bytes.replace(at, piece.size(), piece);
                expectSameAnswer(bytes, "at " + std::to_string(at));
                // The file ends right behind the piece, or a little before or after (with a
                // last window of a few bytes at the first window's end).
                for (std::size_t cut = at; edge <= kWindowStarts[0] && cut < at + 14; ++cut) {
                    expectSameAnswer(bytes.substr(0, cut), "at " + std::to_string(at));
                }
                std::string text(edge + 40, 'a');
                text.replace(at, piece.size(), piece);
                expectSameAnswer(text, "over text, at " + std::to_string(at));
                // Runs of 0xFF are passed over in strides; a piece ends the run anywhere.
                std::string ones(edge + 40, '\xFF');
                ones.replace(at, piece.size(), piece);
                expectSameAnswer(ones, "over 0xFF, at " + std::to_string(at));
            }
        }
    }
}

// Backgrounds of zeros, text or any bytes with pieces of both kinds planted anywhere, often
// near the start of a window or the end of the file.
TEST_F(Id3v2ScanTest, AnswersAsAScanOfEveryPositionForMixedBytes) {
    std::mt19937 random(20250117);
    auto below = [&random](std::size_t n) { return n == 0 ? 0 : random() % n; };
    for (int round = 0; round < 400; ++round) {
        // Small files in most rounds; files across two or three windows in the others.
        const std::size_t size = round % 8 == 0 || round % 8 == 7 ? kWindowStarts[1] + below(70'000)
                                 : round % 4 == 0                 ? 4000 + below(200)
                                                                  : below(200);
        std::string bytes(size, '\0');
        switch (round % 4) {
            case 0:  // zeros
                break;
            case 3:  // runs of 0xFF of any length, between zeros and text
                for (std::size_t i = 0; i < size;) {
                    const std::size_t run = 1 + below(size > 4096 ? 100'000 : 70);
                    const char fill =
                        random() % 2 == 0 ? '\xFF' : static_cast<char>('a' + below(26));
                    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                                std::min(run, size - i), fill);
                    i += run;
                }
                break;
            case 1:  // text without a candidate
                for (char& c : bytes) {
                    c = static_cast<char>('a' + below(26));
                }
                break;
            default:  // any bytes; most of these files end early at a frame header
                for (char& c : bytes) {
                    c = static_cast<char>(below(256));
                }
                break;
        }
        const std::size_t planted = below(6);
        for (std::size_t n = 0; n < planted && size > 0; ++n) {
            const std::size_t pick = below(std::size(deciding_) + std::size(notDeciding_));
            const std::string& piece = pick < std::size(deciding_)
                                           ? deciding_[pick]
                                           : notDeciding_[pick - std::size(deciding_)];
            std::size_t at = below(size);
            if (random() % 2 == 0) {
                // Up to 12 bytes either side of a window start or the end of the file.
                const std::size_t edge = random() % 4 == 0 ? size : kWindowStarts[below(3)];
                const std::size_t shifted = edge + below(25);
                at = shifted >= 12 ? shifted - 12 : 0;
            }
            if (at < size) {
                bytes.replace(at, std::min(piece.size(), size - at), piece, 0,
                              std::min(piece.size(), size - at));
            }
        }
        // Every other large file ends with a valid header, so that the scan finds one far in.
        if (size > 4096 && round % 16 == 0) {
            bytes.replace(size - 30, validTag_.size(), validTag_);
        }
        expectSameAnswer(bytes, "round " + std::to_string(round));
    }
}

}  // namespace
