#include "orvane/id3v1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "tests/support/tempdir.h"

namespace {

using orvane::cID3V1Tag;
using testsupport::TempDir;

// A 128-byte record of the given fields, each padded with character 0 to its width.
struct Record {
    std::string tag = "TAG";
    std::string title;
    std::string artist;
    std::string album;
    std::string year;
    std::string comment;  // up to 28 characters; bytes 125 and 126 are set separately
    std::uint8_t zeroByte = 0;
    std::uint8_t trackByte = 0;
    std::uint8_t genre = 0;

    std::string bytes() const {
        std::string out(128, '\0');
        auto place = [&out](std::size_t offset, std::size_t width, const std::string& text) {
            out.replace(offset, std::min(width, text.size()), text.substr(0, width));
        };
        place(0, 3, tag);
        place(3, 30, title);
        place(33, 30, artist);
        place(63, 30, album);
        place(93, 4, year);
        place(97, 28, comment);
        out[125] = static_cast<char>(zeroByte);
        out[126] = static_cast<char>(trackByte);
        out[127] = static_cast<char>(genre);
        return out;
    }
};

// Reads the tag of a file with these bytes; nothing when the reader refuses. `claimedLength`
// stands in for a caller whose idea of the length is wrong.
std::optional<cID3V1Tag> readTag(const std::string& bytes,
                                 std::optional<std::int64_t> claimedLength = std::nullopt) {
    const TempDir dir;
    auto opened = platform::fs::ReadFile::open(dir.write("song.mp3", bytes));
    EXPECT_TRUE(opened.ok()) << opened.reason();
    if (!opened) {
        return std::nullopt;
    }
    cID3V1Tag tag;
    const std::int64_t length = claimedLength.value_or(static_cast<std::int64_t>(bytes.size()));
    if (!tag.ReadTag(opened.value(), length)) {
        return std::nullopt;
    }
    return tag;
}

TEST(ID3V1Tag, ReadsTheFieldsOfTheLastRecord) {
    Record record;
    record.title = "A Title";
    record.artist = "An Artist";
    record.album = "An Album";
    record.year = "1999";
    record.comment = "A comment";
    record.trackByte = 12;
    record.genre = 17;
    // Audio before the tag, itself holding something that looks like a tag.
    const std::string file = std::string(500, '\x55') + Record{}.bytes() + record.bytes();

    const auto tag = readTag(file);
    ASSERT_TRUE(tag.has_value());
    EXPECT_EQ(tag->Title(), u"A Title");
    EXPECT_EQ(tag->Artist(), u"An Artist");
    EXPECT_EQ(tag->Album(), u"An Album");
    EXPECT_EQ(tag->Year(), u"1999");
    EXPECT_EQ(tag->Comments(), u"A comment");
    EXPECT_EQ(tag->Track(), 12);
    EXPECT_EQ(tag->Genre(), 17);
    EXPECT_EQ(tag->GenreString(tag->Genre()), u"Rock");
}

TEST(ID3V1Tag, OnlyAnExactTagMarkerInTheLast128Bytes) {
    const std::string whole = Record{}.bytes();
    struct Case {
        std::string file;
        bool found;
        const char* why;
    };
    const Case cases[] = {
        {whole, true, "exactly 128 bytes"},
        {whole.substr(1), false, "127 bytes"},
        {whole.substr(0, 3), false, "just the marker"},
        {"", false, "empty file"},
        {"tag" + whole.substr(3), false, "lower case marker"},
        {"TAg" + whole.substr(3), false, "mixed case marker"},
        {whole + "x", false, "marker one byte before the last 128"},
        {"x" + whole, true, "one byte of audio before the tag"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readTag(c.file).has_value(), c.found) << c.why;
    }
}

TEST(ID3V1Tag, TextFieldsAreCutAtZeroAndLoseTrailingBlanks) {
    struct Case {
        std::string field;
        std::u16string expected;
    };
    const Case cases[] = {
        {std::string(30, ' '), u""},
        {"  Leading", u"  Leading"},
        {"Trailing" + std::string(22, ' '), u"Trailing"},
        {std::string("Title\0rest of it", 16), u"Title"},
        {std::string("Tab\t \0 x", 8), u"Tab\t"},
        {std::string("\0hidden", 7), u""},
        {std::string(30, 'x'), std::u16string(30, u'x')},
        // Bytes are characters of the ANSI code page.
        {"Caf\xE9 \x80 \x9F", u"Caf\u00E9 \u20AC \u0178"},
    };
    for (const auto& c : cases) {
        Record record;
        record.title = c.field;
        record.artist = c.field;
        record.album = c.field;
        const auto tag = readTag(record.bytes());
        ASSERT_TRUE(tag.has_value());
        EXPECT_EQ(tag->Title(), c.expected);
        EXPECT_EQ(tag->Artist(), c.expected);
        EXPECT_EQ(tag->Album(), c.expected);
    }

    Record record;
    record.year = "98  ";
    EXPECT_EQ(readTag(record.bytes())->Year(), u"98");
    record.year = std::string(
        "2\0"
        "01",
        4);
    EXPECT_EQ(readTag(record.bytes())->Year(), u"2");
}

TEST(ID3V1Tag, TrackNumberOnlyInTheVersion11Form) {
    const std::string comment28(28, 'c');
    struct Case {
        std::string comment;
        std::uint8_t zeroByte;
        std::uint8_t trackByte;
        std::int32_t track;
        std::u16string comments;
    };
    const Case cases[] = {
        {comment28, 0, 7, 7, std::u16string(28, u'c')},
        {comment28, 0, 0, 0, std::u16string(28, u'c')},
        {comment28, 0, 255, 255, std::u16string(28, u'c')},
        {"short", 0, 3, 3, u"short"},
        // A non-zero byte 125 makes bytes 125 and 126 the comment's last two characters.
        {comment28, 'y', 'z', 0, std::u16string(28, u'c') + u"yz"},
        {comment28, 'y', 0, 0, std::u16string(28, u'c') + u"y"},
        {comment28, ' ', ' ', 0, std::u16string(28, u'c')},
        {"", 'y', 7, 0, u""},
    };
    for (const auto& c : cases) {
        Record record;
        record.comment = c.comment;
        record.zeroByte = c.zeroByte;
        record.trackByte = c.trackByte;
        const auto tag = readTag(record.bytes());
        ASSERT_TRUE(tag.has_value());
        EXPECT_EQ(tag->Track(), c.track) << int{c.zeroByte} << " " << int{c.trackByte};
        EXPECT_EQ(tag->Comments(), c.comments) << int{c.zeroByte} << " " << int{c.trackByte};
    }
}

TEST(ID3V1Tag, GenreNumberAndNames) {
    Record record;
    record.genre = 255;
    const auto tag = readTag(record.bytes());
    ASSERT_TRUE(tag.has_value());
    EXPECT_EQ(tag->Genre(), 255);
    EXPECT_EQ(tag->GenreString(tag->Genre()), u"Unknown");
    // Any number is looked up, not only the tag's own.
    EXPECT_EQ(tag->GenreString(0), u"Blues");
    EXPECT_EQ(tag->GenreString(147), u"Synthpop");
    EXPECT_EQ(tag->GenreString(148), u"Unknown");
    EXPECT_EQ(tag->GenreString(-1), u"Unknown");
}

TEST(ID3V1Tag, WrongLengthFromTheCallerFailsQuietly) {
    const std::string file = Record{}.bytes() + "x";
    EXPECT_FALSE(readTag(file).has_value());
    // Longer than the file: the last 128 bytes cannot be read.
    EXPECT_FALSE(readTag(file, 1'000).has_value());
    EXPECT_FALSE(readTag(file, std::numeric_limits<std::int64_t>::max()).has_value());
    // Shorter: the record is looked for where the caller says the file ends.
    EXPECT_TRUE(readTag(file, 128).has_value());
    EXPECT_FALSE(readTag(file, 127).has_value());
    EXPECT_FALSE(readTag(file, -1).has_value());
}

}  // namespace
