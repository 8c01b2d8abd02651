#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include "orvane/id3v22.h"
#include "platform/filesystem.h"
#include "tests/orvane/fixturebytes.h"
#include "tests/support/tempdir.h"

using orvane::Bytes;
using orvane::cID3V22Tag;
using orvane::ID3V2Header;

namespace {

using testsupport::bigEndian;
using testsupport::raw;
using testsupport::synchsafe;

std::string frame(const std::string& id, const std::string& payload) {
    const auto size = static_cast<std::uint32_t>(payload.size());
    return id + bigEndian(size, 3) + payload;
}

// An ANSI text frame (encoding 0).
std::string text(const std::string& id, const std::string& value) {
    return frame(id, raw({0}) + value);
}

std::string tag(const std::string& body, int flags = 0) {
    return "ID3" + raw({2, 0, flags}) + synchsafe(static_cast<std::uint32_t>(body.size())) + body;
}

Bytes toBytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

class Id3v22Test : public ::testing::Test {
protected:
    // Writes `file` and reads the tag at byte 1 with the header taken from `tagBytes` (the whole
    // tag, so that a truncated file can still be handed a header). Null when the reader refuses.
    std::shared_ptr<cID3V22Tag> read(const std::string& file, const std::string& tagBytes) {
        const std::string path = dir_.write("tag.mp3", file);
        auto opened = platform::fs::ReadFile::open(path);
        EXPECT_TRUE(opened.ok()) << opened.reason();
        if (!opened.ok()) {
            return nullptr;
        }
        const auto header =
            ID3V2Header::fromBytes(reinterpret_cast<const std::uint8_t*>(tagBytes.data()));
        auto result = std::make_shared<cID3V22Tag>();
        if (!result->ReadTag(*opened, static_cast<std::int64_t>(file.size()), 1, header)) {
            return nullptr;
        }
        return result;
    }
    std::shared_ptr<cID3V22Tag> read(const std::string& tagBytes) {
        return read(tagBytes, tagBytes);
    }

    testsupport::TempDir dir_;
};

TEST_F(Id3v22Test, ReadsTheTextPropertiesFromTheirFrames) {
    const auto t = read(tag(text("TT2", "Hi") + text("TP1", "Artist") + text("TAL", "Album") +
                            text("TCO", "(13)") + text("TRK", "3/12") + text("TYE", "1999") +
                            frame("PIC", raw({1, 2, 3}))));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Title(), u"Hi");
    EXPECT_EQ(t->Artist(), u"Artist");
    EXPECT_EQ(t->Album(), u"Album");
    EXPECT_EQ(t->Genre(), u"(13)");
    EXPECT_EQ(t->Track(), u"3/12");
    EXPECT_EQ(t->Year(), u"1999");
    EXPECT_EQ(t->FrameList(), u"TT2;TP1;TAL;TCO;TRK;TYE;PIC;");
    EXPECT_EQ(t->FrameCount(), 7);
}

TEST_F(Id3v22Test, LooksUpFramesByIdAndIndex) {
    const auto t = read(
        tag(text("TP1", "A") + text("TT2", "Hi") + text("TP1", "B") + frame("COM", raw({0, 'x'}))));
    ASSERT_TRUE(t);
    // Two frames of one ID are joined in file order; the ID is matched without regard to case.
    EXPECT_EQ(t->Artist(), u"A\r\nB");
    EXPECT_EQ(t->GetText(u"tp1"), u"A\r\nB");
    EXPECT_EQ(t->GetText(u"TXX"), u"");

    ASSERT_TRUE(t->GetFrameByIndex(1));
    EXPECT_EQ(t->GetFrameByIndex(1)->ID(), u"TP1");
    EXPECT_EQ(t->GetFrameByIndex(1)->TextData(), u"A");
    EXPECT_EQ(t->GetFrameByIndex(4)->ID(), u"COM");
    EXPECT_FALSE(t->GetFrameByIndex(0));
    EXPECT_FALSE(t->GetFrameByIndex(5));
    EXPECT_FALSE(t->GetFrameByIndex(-1));

    ASSERT_TRUE(t->GetFrameByID(u"tt2"));
    EXPECT_EQ(t->GetFrameByID(u"tt2")->RawData(), toBytes(raw({0}) + "Hi"));
    EXPECT_EQ(t->GetFrameByID(u"TP1")->TextData(), u"A");
    EXPECT_FALSE(t->GetFrameByID(u"TAL"));
    // Not a text frame: raw bytes only.
    EXPECT_EQ(t->GetFrameByID(u"COM")->TextData(), u"");
}

TEST_F(Id3v22Test, JoinsAfterAnEmptyFirstText) {
    const auto t = read(tag(frame("TP1", raw({0})) + text("TP1", "B")));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Artist(), u"\r\nB");
}

TEST_F(Id3v22Test, DecodesTextPayloads) {
    struct Case {
        std::string payload;
        std::u16string expected;
    };
    const Case cases[] = {
        {raw({0, 0x48, 0x69}), u"Hi"},
        {raw({0, 'A', 'B', 0}), std::u16string(u"AB\0", 3)},  // the NUL stays
        {raw({0, 0xE9, 0x80}), u"\u00E9\u20AC"},              // ANSI code page
        {raw({0}), u""},
        {raw({1, 0xFF, 0xFE, 'A', 0, 'B', 0}), u"AB"},
        {raw({1, 0xFE, 0xFF, 0, 'A'}), u"A"},
        {raw({1, 'A', 0, 'B'}), u"A"},  // little-endian without a mark; odd byte dropped
        {raw({1, 0xFF, 0xFE}), u""},
        // ID3v2.2 knows encodings 0 and 1 only.
        {raw({2, 0, 'A'}), u""},
        {raw({3, 'A'}), u""},
    };
    for (const Case& c : cases) {
        const auto t = read(tag(frame("TT2", c.payload)));
        ASSERT_TRUE(t);
        EXPECT_EQ(t->Title(), c.expected) << "payload size " << c.payload.size();
    }
}

TEST_F(Id3v22Test, EndsTheWalkAtPaddingOfAnyLength) {
    const std::string frames = text("TT2", "Hi");
    // Zero padding shorter than a frame header (2 to 5 bytes) is as legal as longer padding.
    for (int n = 0; n <= 12; ++n) {
        const auto t = read(tag(frames + std::string(static_cast<std::size_t>(n), '\0')));
        ASSERT_TRUE(t) << n << " padding bytes";
        EXPECT_EQ(t->FrameList(), u"TT2;") << n;
    }
    // Padding only starts with a zero byte; what follows is not looked at.
    const auto t = read(tag(frames + raw({0, 'X', 'Y', 'Z', 1, 2, 3, 4})));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->FrameCount(), 1);
}

TEST_F(Id3v22Test, RejectsNonZeroBytesThatDoNotFormAFrame) {
    const std::string frames = text("TT2", "Hi");
    // A single byte left over cannot start a frame and is passed over.
    EXPECT_TRUE(read(tag(frames + "X")));
    for (int n = 2; n <= 5; ++n) {
        EXPECT_FALSE(read(tag(frames + std::string(static_cast<std::size_t>(n), 'X')))) << n;
    }
    // A frame that claims more bytes than the body holds.
    EXPECT_FALSE(read(tag(frames + "TP1" + raw({0, 0, 9}) + raw({0, 'A'}))));
    EXPECT_FALSE(read(tag(frames + "TP1" + raw({0xFF, 0xFF, 0xFF}) + raw({0, 'A'}))));
    // A frame of size 0 rejects the whole tag, frames before it included.
    EXPECT_FALSE(read(tag(frames + "TP1" + raw({0, 0, 0}) + text("TAL", "x"))));
}

TEST_F(Id3v22Test, HandlesTagFlags) {
    const std::string body = text("TT2", "Hi");
    struct Case {
        int flags;
        bool accepted;
    };
    const Case cases[] = {
        {0x00, true}, {0x04, false}, {0x08, false}, {0x0C, false}, {0x40, true},
        {0x20, true}, {0x10, true},  {0x02, true},  {0x01, true},
    };
    for (const Case& c : cases) {
        const auto t = read(tag(body, c.flags));
        EXPECT_EQ(static_cast<bool>(t), c.accepted) << "flags " << c.flags;
        if (t) {
            // The compression flag of ID3v2.2 is not acted on: the body is read as it stands.
            EXPECT_EQ(t->Title(), u"Hi") << "flags " << c.flags;
        }
    }
}

TEST_F(Id3v22Test, RemovesTheBodysUnsynchronisation) {
    // Synchronised body: frame "XYZ" with payload FF E0 FF 00; stored with a 00 after every FF.
    const std::string plain = frame("XYZ", raw({0xFF, 0xE0, 0xFF, 0x00}));
    std::string stored;
    for (char c : plain) {
        stored += c;
        if (static_cast<unsigned char>(c) == 0xFF) {
            stored += '\0';
        }
    }
    const auto t = read(tag(stored, 0x80));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->GetFrameByID(u"XYZ")->RawData(), toBytes(raw({0xFF, 0xE0, 0xFF, 0x00})));

    // Without the flag the stored bytes are taken as they are.
    const auto asStored = read(tag(stored));
    ASSERT_TRUE(asStored);
    EXPECT_EQ(asStored->GetFrameByID(u"XYZ")->RawData(), toBytes(raw({0xFF, 0x00, 0xE0, 0xFF})));
}

TEST_F(Id3v22Test, RequiresTheTagInsideTheFile) {
    const std::string whole = tag(text("TT2", "Hi"));
    // Ending on the file's last byte is fine, with more bytes after it too.
    EXPECT_TRUE(read(whole));
    EXPECT_TRUE(read(whole + "audio", whole));
    // One byte short.
    EXPECT_FALSE(read(whole.substr(0, whole.size() - 1), whole));
    // An empty body.
    EXPECT_FALSE(read(tag("") + "more bytes"));
}

TEST_F(Id3v22Test, DamagedInputNeverCrashes) {
    const std::string whole =
        tag(text("TT2", "Title") + text("TP1", "Artist") + std::string(20, '\0'), 0x80);
    for (std::size_t n = 0; n < whole.size(); ++n) {
        EXPECT_FALSE(read(whole.substr(0, n), whole)) << n;
    }
    // Every single byte of the body flipped: whatever the result, reading stays safe.
    for (std::size_t i = 10; i < whole.size(); ++i) {
        std::string damaged = whole;
        damaged[i] = static_cast<char>(~damaged[i]);
        (void)read(damaged, whole);
    }
}

}  // namespace
