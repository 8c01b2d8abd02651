#include "orvane/helpers.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/tempdir.h"

namespace {

using orvane::Bytes;
using testsupport::TempDir;

platform::fs::ReadFile openFile(const std::string& path) {
    auto opened = platform::fs::ReadFile::open(path);
    EXPECT_TRUE(opened.ok()) << opened.reason();
    return std::move(opened).value();
}

// Integers ---------------------------------------------------------------------------------

TEST(TaglibBytesToLong, BigEndianWithinRangeElseZero) {
    struct Case {
        Bytes bytes;
        std::int32_t start;
        std::int32_t count;
        std::int32_t expected;
    };
    const Case cases[] = {
        {{0x00, 0x00, 0x01, 0x00}, 0, 4, 256},
        {{0x12, 0x34, 0x56, 0x78}, 1, 2, 0x3456},
        {{0x12, 0x34, 0x56, 0x78}, 3, 1, 0x78},
        // The last index runs past the end: 0, not a partial value.
        {{0x00, 0x00, 0x01, 0x00}, 2, 4, 0},
        {{0x00, 0x00, 0x01, 0x00}, 1, 4, 0},
        {{0x01}, -1, 1, 0},
        {{0x01, 0x02}, 0, 0, 0},
        {{}, 0, 1, 0},
        // Four bytes with the top bit set read as a negative 32-bit value.
        {{0x80, 0x00, 0x00, 0x00}, 0, 4, std::numeric_limits<std::int32_t>::min()},
        {{0xFF, 0xFF, 0xFF, 0xFF}, 0, 4, -1},
        // More than four bytes: the higher ones are shifted out of the 32 bits.
        {{0x01, 0x00, 0x00, 0x00, 0x02}, 0, 5, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(orvane::BytesToLong(c.bytes, c.start, c.count), c.expected)
            << "start " << c.start << " count " << c.count << " size " << c.bytes.size();
    }
}

TEST(TaglibSyncSafeToLong, SevenBitsPerByteAddedWhole) {
    struct Case {
        Bytes bytes;
        std::int32_t expected;
    };
    const Case cases[] = {
        {{0x00, 0x00, 0x02, 0x01}, 257},
        {{0x7F, 0x7F, 0x7F, 0x7F}, 0x0FFFFFFF},
        {{0x01, 0x00, 0x00, 0x00}, 1 << 21},
        // A byte of 0x80 or more is not masked: its top bit spills into the next group.
        {{0x00, 0x00, 0x00, 0x80}, 128},
        {{0x00, 0x00, 0x01, 0x80}, 256},
        {{0xFF, 0xFF, 0xFF, 0xFF}, 538984575},
        {{0x05}, 5},
        {{}, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(orvane::SyncSafeToLong(c.bytes), c.expected) << "size " << c.bytes.size();
    }
}

TEST(TaglibIsValidFrameHeader, AcceptsOnlyUsableHeaders) {
    struct Case {
        std::uint32_t header;
        bool valid;
        const char* why;
    };
    const Case cases[] = {
        {0xFFFB9064, true, "MPEG 1 Layer III 128 kbit/s 44100 Hz"},
        {0xFFF39064, true, "version code 2"},
        {0xFFE39064, true, "version code 0"},
        {0xFFFF9064, true, "layer code 3"},
        {0xFFFBE864, true, "bitrate index 14, sample-rate index 2"},
        {0xFFFB9067, true, "emphasis 3"},
        {0xFFFBF064, false, "bitrate index 15"},
        {0xFFFB0064, false, "bitrate index 0 (free format)"},
        {0xFFEB9064, false, "version code 1"},
        {0xFFF99064, false, "layer code 0"},
        {0xFFFB9C64, false, "sample-rate index 3"},
        {0xFFFB9066, false, "emphasis 2"},
        {0xFFDB9064, false, "one sync bit clear"},
        {0x7FFB9064, false, "first sync bit clear"},
        {0x00000000, false, "zeros"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(orvane::IsValidFrameHeader(c.header), c.valid) << c.why;
    }
}

// Texts ------------------------------------------------------------------------------------

TEST(TaglibBytesToString, TakesTheRangeAsAnsiCharacters) {
    const Bytes bytes = {'A', 'B', 'C', 0x00, 0x80, 0xE9};
    struct Case {
        std::int32_t start;
        std::int32_t length;
        std::u16string expected;
    };
    const Case cases[] = {
        {0, 3, u"ABC"},
        {1, 1, u"B"},
        // The 0 byte is a character like any other; 0x80 and 0xE9 decode as Windows-1252.
        {2, 4, std::u16string(u"C\0\u20AC\u00E9", 4)},
        // Length 0 or less: everything from start to the end.
        {3, 0, std::u16string(u"\0\u20AC\u00E9", 3)},
        {5, -7, u"\u00E9"},
        // Ranges outside the array give "".
        {4, 3, u""},
        {6, 0, u""},
        {-1, 2, u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(orvane::BytesToString(bytes, c.start, c.length), c.expected)
            << "start " << c.start << " length " << c.length;
    }
    EXPECT_EQ(orvane::BytesToString(Bytes{}, 0, 0), u"");
    EXPECT_EQ(orvane::AnsiToText(Bytes{'x', 0x9F, 0x81}), u"x\u0178\u0081");
}

TEST(TaglibTextTrims, NullCutAndTrailingBlanks) {
    EXPECT_EQ(orvane::TrimNull(std::u16string(u"ab\0cd\0", 6)), u"ab");
    EXPECT_EQ(orvane::TrimNull(std::u16string(u"\0ab", 3)), u"");
    EXPECT_EQ(orvane::TrimNull(u"no null"), u"no null");
    EXPECT_EQ(orvane::TrimNull(u""), u"");

    EXPECT_EQ(orvane::TrimTrailingBlanks(u"  a b  "), u"  a b");
    EXPECT_EQ(orvane::TrimTrailingBlanks(u"     "), u"");
    // Only the space character counts as a blank.
    EXPECT_EQ(orvane::TrimTrailingBlanks(u"a\t"), u"a\t");
    EXPECT_EQ(orvane::TrimTrailingBlanks(std::u16string(u"a\0 ", 3)), std::u16string(u"a\0", 2));
}

// Bytes ------------------------------------------------------------------------------------

TEST(TaglibCopyBytes, CutsAtTheEnd) {
    const Bytes bytes = {1, 2, 3, 4, 5};
    EXPECT_EQ(orvane::CopyBytes(bytes, 1, 3), (Bytes{2, 3, 4}));
    EXPECT_EQ(orvane::CopyBytes(bytes, 0, 5), bytes);
    EXPECT_EQ(orvane::CopyBytes(bytes, 3, 10), (Bytes{4, 5}));
    EXPECT_EQ(orvane::CopyBytes(bytes, 5, 1), Bytes{});
    EXPECT_EQ(orvane::CopyBytes(bytes, 99, std::numeric_limits<std::size_t>::max()), Bytes{});
    EXPECT_EQ(orvane::CopyBytes(bytes, 2, std::numeric_limits<std::size_t>::max()),
              (Bytes{3, 4, 5}));
}

// Genres -----------------------------------------------------------------------------------

TEST(TaglibGenreName, TableAndUnknown) {
    struct Case {
        std::int32_t code;
        const char16_t* name;
    };
    const Case cases[] = {
        {0, u"Blues"},           {14, u"R&B"},
        {30, u"Fusion"},         {40, u"Alt. Rock"},
        {51, u"Techno-Indust."}, {79, u"Hard Rock"},
        {80, u"Folk"},           {81, u"Folk/Rock"},
        {84, u"Fusion"},         {93, u"Psychadel. Rock"},
        {132, u"BritPop"},       {134, u"Polsk Punk"},
        {146, u"Jpop"},          {147, u"Synthpop"},
        {148, u"Unknown"},       {255, u"Unknown"},
        {-1, u"Unknown"},        {std::numeric_limits<std::int32_t>::min(), u"Unknown"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(orvane::GenreName(c.code), c.name) << c.code;
    }
    for (std::int32_t code = 0; code < orvane::kGenreCount; ++code) {
        EXPECT_FALSE(orvane::GenreName(code).empty()) << code;
        EXPECT_NE(orvane::GenreName(code), u"Unknown") << code;
    }
}

// Files ------------------------------------------------------------------------------------

TEST(TaglibFileExists, EntriesAndPatterns) {
    const TempDir dir;
    dir.write("song.mp3", "x");
    dir.mkdir("folder");
    ASSERT_EQ(symlink((dir.path() + "/nowhere").c_str(), dir.file("dangling").c_str()), 0);

    struct Case {
        std::string path;
        bool exists;
    };
    const Case cases[] = {
        {dir.file("song.mp3"), true},
        {dir.file("folder"), true},
        {dir.file("folder") + "/", true},
        {dir.path(), true},
        {dir.file("dangling"), true},
        {dir.file("missing.mp3"), false},
        {dir.file("missing/song.mp3"), false},
        {dir.file("song.mp3") + "/x", false},
        // A pattern in the last component is matched against the folder's entries.
        {dir.file("*.mp3"), true},
        {dir.file("s?ng.*"), true},
        {dir.file("fold*"), true},
        {dir.file("*.ogg"), false},
        {dir.file("song.mp3?"), false},
        {dir.file("*/song.mp3"), false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(orvane::FileExists(c.path), c.exists) << c.path;
    }
    // A path that holds a 0 byte names nothing.
    EXPECT_FALSE(orvane::FileExists(dir.file("song.mp3") + '\0'));
}

TEST(TaglibReadBytes, ExactReadsRefuseShortPieces) {
    const TempDir dir;
    const auto file = openFile(dir.write("data.bin", "0123456789"));

    EXPECT_EQ(orvane::ReadBytes(file, 1, 3), (Bytes{'0', '1', '2'}));
    EXPECT_EQ(orvane::ReadBytes(file, 8, 3), (Bytes{'7', '8', '9'}));
    EXPECT_EQ(orvane::ReadBytes(file, 11, 0), Bytes{});
    EXPECT_FALSE(orvane::ReadBytes(file, 9, 3).has_value());
    EXPECT_FALSE(orvane::ReadBytes(file, 12, 0).has_value());
    EXPECT_FALSE(orvane::ReadBytes(file, 0, 1).has_value());
    EXPECT_FALSE(orvane::ReadBytes(file, -5, 1).has_value());
    // A size taken from a damaged file must not turn into an allocation.
    EXPECT_FALSE(orvane::ReadBytes(file, 1, std::numeric_limits<std::size_t>::max()).has_value());
    EXPECT_FALSE(orvane::ReadBytes(file, std::numeric_limits<std::int64_t>::max(), 1).has_value());
}

TEST(TaglibReadBytes, PaddedReadsFillWithZeros) {
    const TempDir dir;
    const auto file = openFile(dir.write("data.bin", "0123"));

    EXPECT_EQ(orvane::ReadBytesPadded(file, 1, 4), (Bytes{'0', '1', '2', '3'}));
    EXPECT_EQ(orvane::ReadBytesPadded(file, 3, 4), (Bytes{'2', '3', 0, 0}));
    EXPECT_EQ(orvane::ReadBytesPadded(file, 100, 2), (Bytes{0, 0}));
    EXPECT_FALSE(orvane::ReadBytesPadded(file, 0, 2).has_value());
}

}  // namespace
