#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "orvane/id3v23.h"
#include "platform/filesystem.h"
#include "tests/support/tempdir.h"

using orvane::Bytes;
using orvane::cID3V23Frame;
using orvane::cID3V23Tag;
using orvane::ID3V2Header;

namespace {

// Fixture builders --------------------------------------------------------------------------

Bytes bytes(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) {
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return out;
}

Bytes ascii(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes bigEndian(std::uint32_t value) {
    return bytes({static_cast<int>(value >> 24), static_cast<int>((value >> 16) & 0xFF),
                  static_cast<int>((value >> 8) & 0xFF), static_cast<int>(value & 0xFF)});
}

Bytes synchsafe(std::uint32_t value) {
    return bytes({static_cast<int>((value >> 21) & 0x7F), static_cast<int>((value >> 14) & 0x7F),
                  static_cast<int>((value >> 7) & 0x7F), static_cast<int>(value & 0x7F)});
}

// A frame whose size field counts `added` and `payload`, as the format flags would have it.
Bytes frame(std::string_view id, const Bytes& payload, int formatFlags = 0,
            const Bytes& added = {}) {
    return ascii(id) + bigEndian(static_cast<std::uint32_t>(added.size() + payload.size())) +
           bytes({0, formatFlags}) + added + payload;
}

// A text frame with encoding 0 (ANSI).
Bytes textFrame(std::string_view id, std::string_view text) {
    return frame(id, bytes({0}) + ascii(text));
}

Bytes tag(const Bytes& body, int flags = 0) {
    return ascii("ID3") + bytes({3, 0, flags}) +
           synchsafe(static_cast<std::uint32_t>(body.size())) + body;
}

Bytes unsynchronise(const Bytes& plain) {
    Bytes out;
    for (std::uint8_t b : plain) {
        out.push_back(b);
        if (b == 0xFF) {
            out.push_back(0x00);
        }
    }
    return out;
}

Bytes zlibCompress(const Bytes& plain) {
    uLongf length = compressBound(static_cast<uLong>(plain.size()));
    Bytes out(length);
    EXPECT_EQ(compress(out.data(), &length, plain.data(), static_cast<uLong>(plain.size())), Z_OK);
    out.resize(length);
    return out;
}

// Reading -----------------------------------------------------------------------------------

struct ReadOutcome {
    bool ok = false;
    cID3V23Tag tag;
};

// Writes `content` to a real file and lets a tag reader read the tag that stands at the 1-based
// `position`, the way the locator hands it over. `claimedLength` stands in for the file length
// when given.
ReadOutcome readTag(const Bytes& content, std::int64_t position = 1,
                    std::int64_t claimedLength = -1) {
    testsupport::TempDir dir;
    const std::string path = dir.write("tagged.mp3", std::string(content.begin(), content.end()));
    auto file = platform::fs::ReadFile::open(path);
    EXPECT_TRUE(file.ok()) << file.reason();
    ReadOutcome outcome;
    const auto header =
        ID3V2Header::fromBytes(content.data() + static_cast<std::size_t>(position - 1));
    const std::int64_t length =
        claimedLength >= 0 ? claimedLength : static_cast<std::int64_t>(content.size());
    outcome.ok = outcome.tag.ReadTag(file.value(), length, position, header);
    return outcome;
}

// Tag structure -----------------------------------------------------------------------------

struct StructureCase {
    const char* name;
    Bytes file;
    bool ok;
    const char16_t* frameList;  // when ok
};

TEST(Id3v23Tag, StructureTable) {
    const Bytes title = textFrame("TIT2", "Song");
    const Bytes artist = textFrame("TPE1", "Band");
    const Bytes extended = bigEndian(6) + bytes({0, 0, 0, 0, 0, 0});
    const std::vector<StructureCase> cases = {
        {"body ends after last frame", tag(title + artist), true, u"TIT2;TPE1;"},
        {"one stray byte after last frame", tag(title + bytes({0x55})), true, u"TIT2;"},
        {"zero padding of 10 bytes", tag(title + Bytes(10, 0)), true, u"TIT2;"},
        {"long padding starting with zero", tag(title + bytes({0}) + Bytes(40, 0xAA)), true,
         u"TIT2;"},
        {"only padding", tag(Bytes(64, 0)), true, u""},
        {"non-zero tail that is no frame", tag(title + ascii("XYZ")), false, nullptr},
        {"frame larger than the body",
         tag(title + ascii("TALB") + bigEndian(100) + bytes({0, 0}) + Bytes(20, 1)), false,
         nullptr},
        {"frame size 0", tag(title + frame("TALB", {}) + Bytes(10, 0)), false, nullptr},
        {"negative frame size",
         tag(title + ascii("TALB") + bigEndian(0xFFFFFFF6) + bytes({0, 0}) + Bytes(10, 1)), false,
         nullptr},
        {"absurd frame size", tag(title + ascii("TALB") + bigEndian(0x7FFFFFFF) + bytes({0, 0})),
         false, nullptr},
        {"a bad frame rejects the frames before it",
         tag(title + artist + ascii("TALB") + bigEndian(0) + bytes({0, 0, 1, 2})), false, nullptr},
        {"duplicate IDs listed as often as they occur",
         tag(title + artist + textFrame("TIT2", "Other")), true, u"TIT2;TPE1;TIT2;"},
        {"empty body", tag({}), false, nullptr},
        {"tag flag 0x02", tag(title, 0x02), false, nullptr},
        {"tag flag 0x04", tag(title, 0x04), false, nullptr},
        {"tag flag 0x08", tag(title, 0x08), false, nullptr},
        {"tag flag 0x01 ignored", tag(title, 0x01), true, u"TIT2;"},
        {"tag flag 0x10 ignored", tag(title, 0x10), true, u"TIT2;"},
        {"tag flag 0x20 ignored", tag(title, 0x20), true, u"TIT2;"},
        {"extended header of size 6", tag(extended + title, 0x40), true, u"TIT2;"},
        {"extended header of size 0", tag(bigEndian(0) + title, 0x40), false, nullptr},
        {"negative extended header size", tag(bigEndian(0x80000000) + title, 0x40), false, nullptr},
        {"extended header flagged, body too short for it", tag(bytes({0, 0, 6}), 0x40), false,
         nullptr},
        // The frames would start past the end of the body: a tag without frames.
        {"extended header larger than the body", tag(bigEndian(0x7FFFFFFF) + title, 0x40), true,
         u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadOutcome outcome = readTag(c.file + Bytes(16, 0xEE));
        ASSERT_EQ(outcome.ok, c.ok);
        if (c.ok) {
            EXPECT_EQ(outcome.tag.FrameList(), c.frameList);
        }
    }
}

// Padding shorter than a frame header used to fail the bounds test of the next frame and take
// the whole tag down with it.
TEST(Id3v23Tag, ShortZeroPaddingIsPadding) {
    const Bytes title = textFrame("TIT2", "Song");
    for (std::size_t padding = 2; padding <= 9; ++padding) {
        SCOPED_TRACE(padding);
        const ReadOutcome outcome = readTag(tag(title + Bytes(padding, 0)));
        ASSERT_TRUE(outcome.ok);
        EXPECT_EQ(outcome.tag.Title(), u"Song");
        EXPECT_EQ(outcome.tag.FrameCount(), 1);

        // Non-zero bytes of the same length are damage, not padding.
        EXPECT_FALSE(readTag(tag(title + Bytes(padding, 0x41))).ok);
    }
}

TEST(Id3v23Tag, TagMustEndWithinTheFile) {
    const Bytes whole = tag(textFrame("TIT2", "Song"));
    // Ending on the file's last byte is fine.
    EXPECT_TRUE(readTag(whole).ok);
    // One byte short: the file ends before the tag does.
    EXPECT_FALSE(readTag(Bytes(whole.begin(), whole.end() - 1)).ok);
    // A locator that claims more file than there is still gets no tag out of missing bytes.
    EXPECT_FALSE(
        readTag(Bytes(whole.begin(), whole.end() - 1), 1, static_cast<std::int64_t>(whole.size()))
            .ok);
}

TEST(Id3v23Tag, TagAfterLeadingBytesIsReadAtItsPosition) {
    const Bytes file = Bytes(100, 0) + tag(textFrame("TALB", "Record")) + Bytes(4, 0xFF);
    const ReadOutcome outcome = readTag(file, 101);
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.tag.Album(), u"Record");
}

TEST(Id3v23Tag, TotalSizeAndHeaderAreKept) {
    const Bytes body = textFrame("TIT2", "Song") + Bytes(200, 0);
    const ReadOutcome outcome = readTag(tag(body, 0x20));
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.tag.TotalSize(), static_cast<std::int32_t>(body.size()) + 10);
    EXPECT_EQ(outcome.tag.Header().majorVersion, 3);
    EXPECT_EQ(outcome.tag.Header().flags, 0x20);
    EXPECT_EQ(outcome.tag.GetFrameByIndex(1)->TotalSize(), 10 + 5);
}

// Unsynchronisation -------------------------------------------------------------------------

TEST(Id3v23Tag, RemoveUnsyncTable) {
    const struct {
        Bytes input;
        Bytes output;
    } cases[] = {
        {bytes({0xFF, 0x00}), bytes({0xFF})},
        {bytes({0xFF, 0x00, 0x00}), bytes({0xFF, 0x00})},
        {bytes({0xFF, 0x00, 0xFF, 0x00}), bytes({0xFF, 0xFF})},
        {bytes({0x41, 0xFF}), bytes({0x41, 0xFF})},
        {bytes({0xFF, 0xFF, 0x00, 0xE0}), bytes({0xFF, 0xFF, 0xE0})},
        {bytes({0x00, 0xFF, 0x01, 0x00}), bytes({0x00, 0xFF, 0x01, 0x00})},
        {bytes({0x00}), bytes({0x00})},
    };
    for (const auto& c : cases) {
        Bytes out;
        ASSERT_TRUE(cID3V23Tag::RemoveUnsync(c.input, out));
        EXPECT_EQ(out, c.output);
    }
    Bytes out = bytes({1});
    EXPECT_FALSE(cID3V23Tag::RemoveUnsync({}, out));
    EXPECT_TRUE(out.empty());
}

TEST(Id3v23Tag, UnsynchronisedBodyIsRestoredBeforeFramesAreWalked) {
    // The frame sizes count the restored bytes, so a walk over the stored bytes would go astray.
    const Bytes plain = frame("TIT2", bytes({0, 0x41, 0xFF, 0x42})) +
                        frame("APIC", bytes({0xFF, 0xFB, 0x90, 0x64, 0xFF, 0x00})) +
                        textFrame("TPE1", "Band");
    const ReadOutcome outcome = readTag(tag(unsynchronise(plain), 0x80));
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.tag.FrameList(), u"TIT2;APIC;TPE1;");
    EXPECT_EQ(outcome.tag.Title(), u"A\u00FFB");
    EXPECT_EQ(outcome.tag.GetFrameByID(u"APIC")->RawData(),
              bytes({0xFF, 0xFB, 0x90, 0x64, 0xFF, 0x00}));
    EXPECT_EQ(outcome.tag.Artist(), u"Band");
}

// Frame flags -------------------------------------------------------------------------------

TEST(Id3v23Frame, AddedBytesAndFlags) {
    const Bytes text = bytes({0}) + ascii("Hello");
    const Bytes packed = zlibCompress(text);
    const Bytes size = bigEndian(static_cast<std::uint32_t>(text.size()));
    const struct {
        const char* name;
        Bytes frame;
        Bytes rawData;
        std::u16string textData;
        bool encrypted;
    } cases[] = {
        {"plain", frame("TIT2", text), text, u"Hello", false},
        {"grouping only: the group byte is not payload", frame("TIT2", text, 0x20, bytes({0x07})),
         text, u"Hello", false},
        {"compressed", frame("TIT2", packed, 0x80, size), text, u"Hello", false},
        {"compressed and grouped", frame("TIT2", packed, 0xA0, size + bytes({0x07})), text,
         u"Hello", false},
        {"encrypted: kept as stored", frame("TIT2", text, 0x40, bytes({0x80})), text, u"", true},
        {"compressed and encrypted: not inflated", frame("TIT2", packed, 0xC0, size + bytes({1})),
         packed, u"", true},
        {"all three added bytes", frame("TIT2", packed, 0xE0, size + bytes({1, 2})), packed, u"",
         true},
        {"other format bits ignored", frame("TIT2", text, 0x1F), text, u"Hello", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cID3V23Frame f;
        ASSERT_TRUE(f.ReadFrame(c.frame));
        EXPECT_EQ(f.ID(), u"TIT2");
        EXPECT_EQ(f.RawData(), c.rawData);
        EXPECT_EQ(f.TextData(), c.textData);
        EXPECT_EQ(f.IsEncrypted(), c.encrypted);
        EXPECT_EQ(f.TotalSize(), static_cast<std::int32_t>(c.frame.size()));

        // The same frame inside a tag is listed and found like any other.
        const ReadOutcome outcome = readTag(tag(c.frame + textFrame("TPE1", "Band")));
        ASSERT_TRUE(outcome.ok);
        EXPECT_EQ(outcome.tag.FrameList(), u"TIT2;TPE1;");
        EXPECT_EQ(outcome.tag.Title(), c.textData);
    }
}

TEST(Id3v23Frame, RejectedFrames) {
    const Bytes packed = zlibCompress(ascii("data"));
    const struct {
        const char* name;
        Bytes frame;
        bool padding;
    } cases[] = {
        {"fewer than 10 bytes", bytes({'T', 'I', 'T', '2', 0, 0, 0, 1, 0}), false},
        {"zero first byte marks padding", Bytes(12, 0), true},
        {"padding mark whatever its size says", bytes({0, 'I', 'T', '2', 0, 0, 0, 2, 0, 0, 1, 2}),
         true},
        {"size 0", frame("TIT2", {}), false},
        {"added bytes leave no payload", frame("TIT2", {}, 0x80, bigEndian(4)), false},
        {"grouping byte is the whole frame", frame("TIT2", {}, 0x20, bytes({1})), false},
        {"payload runs past the given bytes", ascii("TIT2") + bigEndian(8) + bytes({0, 0, 0, 'A'}),
         false},
        {"decompressed size 0", frame("TIT2", packed, 0x80, bigEndian(0)), false},
        {"decompressed size negative", frame("TIT2", packed, 0x80, bigEndian(0xFFFFFFFF)), false},
        {"decompressed size above 16 MiB",
         frame("TIT2", packed, 0x80, bigEndian(orvane::id3v2::kMaxDecompressedSize + 1)), false},
        {"decompressed size of 2 GiB", frame("TIT2", packed, 0x80, bigEndian(0x7FFFFFFF)), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cID3V23Frame f;
        EXPECT_FALSE(f.ReadFrame(c.frame));
        EXPECT_EQ(f.IsPadding(), c.padding);
        if (!c.padding && c.frame.size() >= 10) {
            // Inside a tag, a frame that fails without being padding rejects the whole tag.
            EXPECT_FALSE(readTag(tag(textFrame("TIT2", "ok") + c.frame)).ok);
        }
    }
}

TEST(Id3v23Frame, DecompressedSizeAtTheCapIsInflated) {
    const Bytes text = bytes({0}) + ascii("Big");
    const Bytes f =
        frame("TIT2", zlibCompress(text), 0x80, bigEndian(orvane::id3v2::kMaxDecompressedSize));
    cID3V23Frame parsed;
    ASSERT_TRUE(parsed.ReadFrame(f));
    const Bytes raw = parsed.RawData();
    ASSERT_EQ(raw.size(), static_cast<std::size_t>(orvane::id3v2::kMaxDecompressedSize));
    EXPECT_TRUE(std::equal(text.begin(), text.end(), raw.begin()));
    EXPECT_EQ(raw.back(), 0);
}

// Damaged streams were accepted all along; what zlib could not produce reads as zeros.
TEST(Id3v23Frame, DamagedCompressedStreamIsAcceptedZeroFilled) {
    const Bytes text = bytes({0}) + ascii("Hi");
    const struct {
        const char* name;
        Bytes stream;
        std::uint32_t declared;
        Bytes expected;
    } cases[] = {
        {"not a zlib stream", ascii("garbage!"), 8, Bytes(8, 0)},
        {"declared size larger than the data", zlibCompress(text), 6, text + Bytes(3, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cID3V23Frame f;
        ASSERT_TRUE(f.ReadFrame(frame("TIT2", c.stream, 0x80, bigEndian(c.declared))));
        EXPECT_EQ(f.RawData(), c.expected);
    }
}

// The cap bounds the whole tag, not only each frame: a few bytes per frame may announce 16 MiB
// each, and a small damaged file holding many such frames must not make the reader hold them all.
TEST(Id3v23Tag, InflatingIsCappedForTheWholeTag) {
    const Bytes packed = zlibCompress(bytes({0}) + ascii("Big"));
    const auto compressed = [&](std::uint32_t declared) {
        return frame("TIT2", packed, 0x80, bigEndian(declared));
    };
    constexpr auto kCap = static_cast<std::uint32_t>(orvane::id3v2::kMaxDecompressedSize);
    const struct {
        const char* name;
        Bytes frames;
        bool ok;
    } cases[] = {
        {"one frame at the cap beside plain frames",
         textFrame("TPE1", "Band") + compressed(kCap) + textFrame("TALB", "Record"), true},
        {"two frames sharing the cap", compressed(kCap / 2) + compressed(kCap / 2), true},
        {"two frames over the cap together",
         compressed(kCap / 2 + 1024) + compressed(kCap / 2 + 1024), false},
        {"many tiny frames each announcing the cap",
         compressed(kCap) + compressed(kCap) + compressed(kCap) + compressed(kCap), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadOutcome outcome = readTag(tag(c.frames + Bytes(8, 0)));
        EXPECT_EQ(outcome.ok, c.ok);
        if (outcome.ok) {
            EXPECT_EQ(outcome.tag.Title().substr(0, 3), u"Big");
        }
    }
}

// Text decoding -----------------------------------------------------------------------------

TEST(Id3v23Frame, TextDecodingTable) {
    using namespace std::string_literals;
    const struct {
        const char* id;
        Bytes payload;
        std::u16string text;
    } cases[] = {
        {"TIT2", bytes({0, 0x41, 0x42, 0x00}), u"AB\0"s},
        {"TIT2", bytes({0, 0x80, 0xE9, 0x9F}), u"\u20AC\u00E9\u0178"},
        {"TIT2", bytes({0}), u""},
        {"TIT2", bytes({1, 0xFF, 0xFE, 0x41, 0x00, 0x42, 0x00}), u"AB"},
        {"TIT2", bytes({1, 0xFE, 0xFF, 0x00, 0x41}), u"A"},
        {"TIT2", bytes({1, 0x41, 0x00, 0x42}), u"A"},
        {"TIT2", bytes({1, 0xFF, 0xFE}), u""},
        {"TIT2", bytes({1}), u""},
        // Without a BOM the pairs read little-endian.
        {"TIT2", bytes({1, 0x3A, 0x04}), u"\u043A"},
        // A BOM anywhere switches the order of the pairs after it.
        {"TIT2", bytes({1, 0xFF, 0xFE, 0x41, 0x00, 0xFE, 0xFF, 0x00, 0x42}), u"AB"},
        {"TIT2", bytes({1, 0xFE, 0xFF, 0x00, 0x41, 0x00, 0x00, 0xFF, 0xFE, 0x42, 0x00}), u"A\0B"s},
        {"TIT2", bytes({2, 0x00, 0x41}), u""},
        {"TIT2", bytes({3, 0x41}), u""},
        {"TXXX", bytes({0, 'd', 0, 'v'}), u"d\0v"s},
        {"COMM", bytes({0, 'e', 'n', 'g', 0, 'x'}), u""},
        {"tIT2", bytes({0, 0x41}), u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        cID3V23Frame f;
        ASSERT_TRUE(f.ReadFrame(frame(c.id, c.payload)));
        EXPECT_EQ(f.TextData(), c.text);
    }
}

// Lookups -----------------------------------------------------------------------------------

TEST(Id3v23Tag, LookupsAndProperties) {
    const Bytes body = textFrame("TPE1", "A") + textFrame("TALB", "Record") +
                       textFrame("TIT2", "Song") + textFrame("TCON", "(13)") +
                       textFrame("TRCK", "3/12") + textFrame("TYER", "1999") +
                       textFrame("TPE1", "B") + frame("APIC", bytes({1, 2, 3}));
    const ReadOutcome outcome = readTag(tag(body + Bytes(32, 0)));
    ASSERT_TRUE(outcome.ok);
    const cID3V23Tag& t = outcome.tag;
    EXPECT_EQ(t.FrameList(), u"TPE1;TALB;TIT2;TCON;TRCK;TYER;TPE1;APIC;");
    EXPECT_EQ(t.FrameCount(), 8);
    EXPECT_EQ(t.Artist(), u"A\r\nB");
    EXPECT_EQ(t.Album(), u"Record");
    EXPECT_EQ(t.Title(), u"Song");
    EXPECT_EQ(t.Genre(), u"(13)");
    EXPECT_EQ(t.Track(), u"3/12");
    EXPECT_EQ(t.Year(), u"1999");
    EXPECT_EQ(t.GetText(u"tit2"), u"Song");
    EXPECT_EQ(t.GetText(u"APIC"), u"");
    EXPECT_EQ(t.GetText(u"TCOM"), u"");
    EXPECT_EQ(t.GetText(u"TIT"), u"");

    ASSERT_NE(t.GetFrameByID(u"tpe1"), nullptr);
    EXPECT_EQ(t.GetFrameByID(u"tpe1")->TextData(), u"A");
    EXPECT_EQ(t.GetFrameByID(u"APIC")->RawData(), bytes({1, 2, 3}));
    EXPECT_EQ(t.GetFrameByID(u"TCOM"), nullptr);

    EXPECT_EQ(t.GetFrameByIndex(0), nullptr);
    EXPECT_EQ(t.GetFrameByIndex(-1), nullptr);
    EXPECT_EQ(t.GetFrameByIndex(9), nullptr);
    ASSERT_NE(t.GetFrameByIndex(1), nullptr);
    EXPECT_EQ(t.GetFrameByIndex(1)->ID(), u"TPE1");
    EXPECT_EQ(t.GetFrameByIndex(t.FrameCount())->ID(), u"APIC");
    EXPECT_EQ(t.GetFrameByIndex(7)->TextData(), u"B");
}

TEST(Id3v23Tag, JoinedTextStartsWithSeparatorWhenFirstMatchIsEmpty) {
    const ReadOutcome outcome =
        readTag(tag(frame("TPE1", bytes({0})) + textFrame("TPE1", "B") + textFrame("TPE1", "C")));
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.tag.Artist(), u"\r\nB\r\nC");
}

TEST(Id3v23Tag, EmptyTagAnswersEmpty) {
    const cID3V23Tag t;
    EXPECT_EQ(t.FrameList(), u"");
    EXPECT_EQ(t.FrameCount(), 0);
    EXPECT_EQ(t.GetFrameByIndex(1), nullptr);
    EXPECT_EQ(t.GetFrameByID(u"TIT2"), nullptr);
    EXPECT_EQ(t.Title(), u"");
}

// Damaged input -----------------------------------------------------------------------------

TEST(Id3v23Tag, TruncatedFilesAreRejected) {
    const Bytes whole =
        tag(textFrame("TIT2", "Song") +
            frame("TALB", zlibCompress(bytes({0}) + ascii("Record")), 0x80, bigEndian(7)) +
            Bytes(12, 0));
    ASSERT_TRUE(readTag(whole).ok);
    for (std::size_t length = 10; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_FALSE(readTag(Bytes(whole.begin(), whole.begin() + length)).ok);
    }
}

// Random bodies and random damage to a good tag: the reader may accept or reject, but never
// crashes, and what it accepts answers its lookups.
TEST(Id3v23Tag, RandomDamageNeverCrashes) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    const Bytes good =
        textFrame("TIT2", "Song") +
        frame("TALB", zlibCompress(bytes({0}) + ascii("Record")), 0x80, bigEndian(7)) +
        frame("TPE1", bytes({1, 0xFF, 0xFE, 0x41, 0}), 0x20, bytes({3})) + Bytes(10, 0);
    for (int round = 0; round < 300; ++round) {
        Bytes body;
        if (round % 2 == 0) {
            body.resize(static_cast<std::size_t>(1 + byte(random)));
            for (auto& b : body) {
                b = static_cast<std::uint8_t>(byte(random));
            }
        } else {
            body = good;
            for (int hits = 0; hits < 3; ++hits) {
                body[static_cast<std::size_t>(byte(random)) % body.size()] =
                    static_cast<std::uint8_t>(byte(random));
            }
        }
        const int flags = (round % 3 == 0) ? 0x80 : (round % 5 == 0 ? 0x40 : 0);
        const ReadOutcome outcome = readTag(tag(body, flags));
        if (outcome.ok) {
            const cID3V23Tag& t = outcome.tag;
            for (std::int32_t i = 1; i <= t.FrameCount(); ++i) {
                ASSERT_NE(t.GetFrameByIndex(i), nullptr);
                (void)t.GetFrameByIndex(i)->TextData();
            }
            (void)t.Title();
        }
    }
}

}  // namespace
