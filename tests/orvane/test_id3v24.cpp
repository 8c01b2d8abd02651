#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include "orvane/id3v24.h"
#include "platform/filesystem.h"
#include "tests/orvane/fixturebytes.h"
#include "tests/support/tempdir.h"

using orvane::Bytes;
using orvane::cID3V24Tag;
using orvane::ID3V2Header;

namespace {

using testsupport::raw;
using testsupport::synchsafe;

// A frame whose synchsafe size counts `added` and `payload`, as the format flags would have it.
std::string frame(const std::string& id, const std::string& payload, int formatFlags = 0,
                  const std::string& added = "") {
    return id + synchsafe(static_cast<std::uint32_t>(added.size() + payload.size())) +
           raw({0, formatFlags}) + added + payload;
}

std::string text(const std::string& id, const std::string& value) {
    return frame(id, raw({0}) + value);
}

// The 10-byte header (or, with "3DI", the footer) for a body of `size` bytes.
std::string header(int flags, std::uint32_t size, const std::string& id = "ID3") {
    return id + raw({4, 0, flags}) + synchsafe(size);
}

// A tag followed by the two bytes that an ID3v2.4 tag needs after it in the file.
std::string tag(const std::string& body, int flags = 0) {
    const auto size = static_cast<std::uint32_t>(body.size());
    std::string out = header(flags, size) + body;
    if ((flags & 0x10) != 0) {
        out += header(flags, size, "3DI");
    }
    return out + raw({0xFF, 0xFB});
}

std::string unsynchronise(const std::string& plain) {
    std::string out;
    for (char c : plain) {
        out += c;
        if (static_cast<unsigned char>(c) == 0xFF) {
            out += '\0';
        }
    }
    return out;
}

std::string compress(const std::string& plain) {
    uLongf length = compressBound(static_cast<uLong>(plain.size()));
    std::string out(length, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &length,
              reinterpret_cast<const Bytef*>(plain.data()), static_cast<uLong>(plain.size()), 9);
    out.resize(length);
    return out;
}

Bytes toBytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

class Id3v24Test : public ::testing::Test {
protected:
    // Writes `file` and reads the tag at `position` with the header taken from `tagBytes` (the
    // tag alone, so that a truncated or altered file can still be handed a header). Null when
    // the reader refuses the tag.
    std::shared_ptr<cID3V24Tag> read(const std::string& file, const std::string& tagBytes,
                                     std::int64_t position = 1) {
        const std::string path = dir_.write("tag.mp3", file);
        auto opened = platform::fs::ReadFile::open(path);
        EXPECT_TRUE(opened.ok()) << opened.reason();
        if (!opened.ok()) {
            return nullptr;
        }
        const auto h =
            ID3V2Header::fromBytes(reinterpret_cast<const std::uint8_t*>(tagBytes.data()));
        auto result = std::make_shared<cID3V24Tag>();
        if (!result->ReadTag(*opened, static_cast<std::int64_t>(file.size()), position, h)) {
            return nullptr;
        }
        return result;
    }
    std::shared_ptr<cID3V24Tag> read(const std::string& tagBytes) {
        return read(tagBytes, tagBytes);
    }

    testsupport::TempDir dir_;
};

TEST_F(Id3v24Test, ReadsTheTextPropertiesFromTheirFrames) {
    const std::string body = text("TIT2", "Hi") + text("TPE1", "Artist") + text("TALB", "Album") +
                             text("TCON", "(13)") + text("TRCK", "3/12") + text("TDRC", "1999") +
                             frame("APIC", raw({1, 2, 3}));
    const auto t = read(tag(body));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Title(), u"Hi");
    EXPECT_EQ(t->Artist(), u"Artist");
    EXPECT_EQ(t->Album(), u"Album");
    EXPECT_EQ(t->Genre(), u"(13)");
    EXPECT_EQ(t->Track(), u"3/12");
    EXPECT_EQ(t->FrameList(), u"TIT2;TPE1;TALB;TCON;TRCK;TDRC;APIC;");
    EXPECT_EQ(t->FrameCount(), 7);
    EXPECT_EQ(t->TotalSize(), static_cast<std::int32_t>(body.size() + 10));
    const auto footed = read(tag(body, 0x10));
    ASSERT_TRUE(footed);
    EXPECT_EQ(footed->TotalSize(), static_cast<std::int32_t>(body.size() + 20));
}

TEST_F(Id3v24Test, LooksUpFramesByIdAndIndex) {
    const auto t = read(tag(text("TPE1", "A") + text("TIT2", "Hi") + text("TPE1", "B")));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Artist(), u"A\r\nB");
    EXPECT_EQ(t->GetText(u"tpe1"), u"A\r\nB");
    ASSERT_TRUE(t->GetFrameByIndex(1));
    EXPECT_EQ(t->GetFrameByIndex(1)->ID(), u"TPE1");
    EXPECT_EQ(t->GetFrameByIndex(3)->TextData(), u"B");
    EXPECT_FALSE(t->GetFrameByIndex(0));
    EXPECT_FALSE(t->GetFrameByIndex(4));
    ASSERT_TRUE(t->GetFrameByID(u"tit2"));
    EXPECT_EQ(t->GetFrameByID(u"tit2")->RawData(), toBytes(raw({0}) + "Hi"));
    EXPECT_FALSE(t->GetFrameByID(u"TALB"));
}

TEST_F(Id3v24Test, DecodesEveryTextEncoding) {
    struct Case {
        const char* what;
        std::string payload;
        std::u16string expected;
    };
    const Case cases[] = {
        {"ANSI", raw({0, 'A', 0xE9, 0}), std::u16string(u"A\u00E9\0", 3)},
        {"UTF-16 with BOM", raw({1, 0xFF, 0xFE, 'A', 0, 'B', 0}), u"AB"},
        {"UTF-16 big-endian BOM", raw({1, 0xFE, 0xFF, 0, 'A'}), u"A"},
        {"UTF-16 without BOM", raw({1, 'A', 0, 'B'}), u"A"},
        {"UTF-16BE", raw({2, 0, 'A', 0, 'B'}), u"AB"},
        {"UTF-16BE odd byte", raw({2, 0, 'A', 0}), u"A"},
        {"UTF-16BE non-Latin", raw({2, 0x04, 0x1F, 0xD8, 0x3D, 0xDE, 0x00}), u"\u041F\U0001F600"},
        {"UTF-16BE terminator", raw({2, 0, 'A', 0, 0}), std::u16string(u"A\0", 2)},
        {"UTF-16BE empty", raw({2}), u""},
        {"UTF-8", raw({3}) + "Gr\xC3\xBC\xC3\x9F" + "e \xE2\x82\xAC \xF0\x9F\x98\x80",
         u"Gr\u00FC\u00DFe \u20AC \U0001F600"},
        {"UTF-8 terminator", raw({3, 'A', 0}), std::u16string(u"A\0", 2)},
        {"UTF-8 BOM", raw({3, 0xEF, 0xBB, 0xBF, 'A'}), u"A"},
        {"UTF-8 damaged", raw({3, 'A', 0xFF, 'B', 0xC3}), u"A\uFFFDB\uFFFD"},
        {"UTF-8 overlong", raw({3, 0xC0, 0xAF, 0xE0, 0x80, 0xAF}),
         u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"UTF-8 surrogate", raw({3, 0xED, 0xA0, 0x80}), u"\uFFFD\uFFFD\uFFFD"},
        {"UTF-8 empty", raw({3}), u""},
        {"unknown encoding", raw({4, 'A'}), u""},
    };
    for (const Case& c : cases) {
        const auto t = read(tag(frame("TIT2", c.payload)));
        ASSERT_TRUE(t) << c.what;
        EXPECT_EQ(t->Title(), c.expected) << c.what;
    }
    // Only text frames are decoded.
    const auto t = read(tag(frame("COMM", raw({3, 'A'}))));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->GetFrameByID(u"COMM")->TextData(), u"");
}

TEST_F(Id3v24Test, NeedsTwoBytesOfTheFileAfterTheTag) {
    const std::string body = text("TIT2", "Hi");
    const std::string bare = header(0, static_cast<std::uint32_t>(body.size())) + body;
    EXPECT_FALSE(read(bare));
    EXPECT_FALSE(read(bare + "x", bare));
    EXPECT_TRUE(read(bare + "xy", bare));
    // The footer counts as part of the tag.
    const std::string footed = tag(text("TIT2", "Hi"), 0x10);
    EXPECT_TRUE(read(footed));
    EXPECT_FALSE(read(footed.substr(0, footed.size() - 1), footed));
}

TEST_F(Id3v24Test, HandlesTagFlags) {
    const std::string body = text("TIT2", "Hi");
    struct Case {
        int flags;
        bool accepted;
    };
    const Case cases[] = {{0x00, true},  {0x01, false}, {0x02, false}, {0x04, false},
                          {0x08, false}, {0x20, true},  {0x10, true}};
    for (const Case& c : cases) {
        const auto t = read(tag(body, c.flags));
        EXPECT_EQ(static_cast<bool>(t), c.accepted) << "flags " << c.flags;
    }
}

TEST_F(Id3v24Test, RejectsAFooterThatDoesNotMatchTheHeader) {
    const std::string body = text("TIT2", "Hi");
    const auto size = static_cast<std::uint32_t>(body.size());
    const std::string head = header(0x10, size);
    const std::string tail = raw({0xFF, 0xFB});
    EXPECT_TRUE(read(head + body + header(0x10, size, "3DI") + tail, head));
    struct Case {
        const char* what;
        std::string footer;
    };
    const Case cases[] = {
        {"identifier", header(0x10, size, "3DJ")},
        {"header identifier", header(0x10, size, "ID3")},
        {"size", header(0x10, size + 1, "3DI")},
        {"flags", header(0x90, size, "3DI")},
        {"minor version", "3DI" + raw({4, 1, 0x10}) + synchsafe(size)},
        {"major version", "3DI" + raw({3, 0, 0x10}) + synchsafe(size)},
        {"none", std::string(10, '\0')},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(read(head + body + c.footer + tail, head)) << c.what;
    }
}

TEST_F(Id3v24Test, EndsTheWalkAtPaddingOfAnyLength) {
    for (int n = 0; n <= 12; ++n) {
        const auto t =
            read(tag(text("TIT2", "Hi") + std::string(static_cast<std::size_t>(n), '\0')));
        ASSERT_TRUE(t) << n << " padding bytes";
        EXPECT_EQ(t->FrameList(), u"TIT2;") << n;
    }
    // With a footer right after short padding, the padding test comes first too.
    const auto t = read(tag(text("TIT2", "Hi") + raw({0, 0, 0}), 0x10));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->FrameCount(), 1);
}

TEST_F(Id3v24Test, RejectsDamagedFrames) {
    const std::string good = text("TIT2", "Hi");
    struct Case {
        const char* what;
        std::string body;
    };
    const Case cases[] = {
        {"size 0", good + "TPE1" + synchsafe(0) + raw({0, 0})},
        // Only the added bytes, no payload.
        {"no payload", good + frame("TPE1", "", 0x01, synchsafe(1))},
        {"compressed without data length", good + frame("TPE1", compress("xyz"), 0x08)},
        {"compressed, data length 0", good + frame("TPE1", compress("xyz"), 0x09, synchsafe(0))},
        // Declared sizes beyond 16 MiB are refused before anything is allocated.
        {"decompressed size too large",
         good + frame("TPE1", compress("xyz"), 0x09, synchsafe(16 * 1024 * 1024 + 1))},
        // A payload that resynchronises to more than one byte over its data length.
        {"data length too small",
         good + frame("TPE1", unsynchronise(raw({0, 'a', 'b', 'c', 0xFF})), 0x03, synchsafe(3))},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(read(tag(c.body))) << c.what;
    }
}

TEST_F(Id3v24Test, ReadsAFramePastTheEndOfTheTagButNotPastTheEndOfTheFile) {
    // The last frame claims far more than the file holds: no zero-filled payload is made up.
    const std::string claimed = text("TIT2", "Hi") + "TPE1" + raw({0x7F, 0x7F, 0x7F, 0x7F, 0, 0});
    EXPECT_FALSE(read(tag(claimed + raw({0, 'A'}))));

    // A frame that is declared one byte longer than it is. The tag covers all of it but the last
    // two bytes, so the frame runs past the tag into the bytes after it, which is accepted as
    // long as the file holds the frame.
    const std::string payload = raw({0}) + "Hello";
    const std::string f =
        "TIT2" + synchsafe(static_cast<std::uint32_t>(payload.size() + 1)) + raw({0, 0}) + payload;
    const std::string head = header(0, static_cast<std::uint32_t>(f.size() - 2));
    EXPECT_FALSE(read(head + f, head));
    const auto t = read(head + f + "!", head);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Title(), u"Hello!");
}

TEST_F(Id3v24Test, ResynchronisesEachPayload) {
    const std::string plain = raw({0xFF, 0xE0, 0xFF, 0x00, 'z'});
    const std::string stored = unsynchronise(plain);
    struct Case {
        const char* what;
        int tagFlags;
        int frameFlags;
        Bytes expected;
    };
    const Case cases[] = {
        {"tag flag", 0x80, 0x00, toBytes(plain)},
        {"frame flag", 0x00, 0x02, toBytes(plain)},
        {"both", 0x80, 0x02, toBytes(plain)},
        {"neither", 0x00, 0x00, toBytes(stored)},
    };
    for (const Case& c : cases) {
        const auto t = read(tag(frame("PRIV", stored, c.frameFlags), c.tagFlags));
        ASSERT_TRUE(t) << c.what;
        EXPECT_EQ(t->GetFrameByID(u"PRIV")->RawData(), c.expected) << c.what;
    }
    // With a data length indicator, up to one byte more than announced is accepted.
    const auto t = read(tag(frame("PRIV", stored, 0x03, synchsafe(4))));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->GetFrameByID(u"PRIV")->RawData(), toBytes(plain));
}

TEST_F(Id3v24Test, InflatesCompressedFrames) {
    std::string plain;
    for (int i = 0; i < 1000; ++i) {
        plain += static_cast<char>('a' + i % 26);
    }
    // Data length 1000 is 00 00 07 68 synchsafe.
    ASSERT_EQ(synchsafe(1000), raw({0, 0, 7, 0x68}));
    const auto t = read(tag(frame("PRIV", compress(plain), 0x09, synchsafe(1000))));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->GetFrameByID(u"PRIV")->RawData(), toBytes(plain));

    // A damaged stream still gives a payload of the announced length.
    const auto damaged = read(tag(frame("PRIV", "not zlib", 0x09, synchsafe(1000))));
    ASSERT_TRUE(damaged);
    EXPECT_EQ(damaged->GetFrameByID(u"PRIV")->RawData().size(), 1000u);

    // A compressed, unsynchronised text frame: resynchronised first, then inflated.
    std::string title = raw({3});
    std::u16string expected;
    for (int i = 0; i < 20; ++i) {
        title += "T\xC3\xADtulo ";
        expected += u"T\u00EDtulo ";
    }
    const std::string packed = unsynchronise(compress(title));
    const auto both =
        read(tag(frame("TIT2", packed, 0x0B, synchsafe(static_cast<std::uint32_t>(title.size())))));
    ASSERT_TRUE(both);
    EXPECT_EQ(both->Title(), expected);
}

// The cap bounds the whole tag, not only each frame: a few bytes per frame may announce 16 MiB
// each, and a small damaged file holding many such frames must not make the reader hold them all.
TEST_F(Id3v24Test, InflatingIsCappedForTheWholeTag) {
    const std::string packed = compress(raw({0}) + "Big");
    const auto compressed = [&](std::uint32_t declared) {
        return frame("TIT2", packed, 0x09, synchsafe(declared));
    };
    constexpr auto kCap = static_cast<std::uint32_t>(16 * 1024 * 1024);
    const struct {
        const char* name;
        std::string frames;
        bool ok;
    } cases[] = {
        {"one frame at the cap beside plain frames",
         text("TPE1", "Band") + compressed(kCap) + text("TALB", "Record"), true},
        {"two frames sharing the cap", compressed(kCap / 2) + compressed(kCap / 2), true},
        {"two frames over the cap together",
         compressed(kCap / 2 + 1024) + compressed(kCap / 2 + 1024), false},
        {"many tiny frames each announcing the cap",
         compressed(kCap) + compressed(kCap) + compressed(kCap) + compressed(kCap), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto t = read(tag(c.frames));
        EXPECT_EQ(static_cast<bool>(t), c.ok);
        if (t) {
            EXPECT_EQ(t->Title().substr(0, 3), u"Big");
        }
    }
}

TEST_F(Id3v24Test, ReadsGroupedAndEncryptedFrames) {
    const auto t = read(tag(frame("TIT2", raw({0}) + "Grouped", 0x40, raw({7})) +
                            frame("TPE1", raw({0}) + "Secret", 0x04, raw({0x80})) +
                            frame("TALB", raw({0}) + "Both", 0x44, raw({7, 0x80}))));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->FrameList(), u"TIT2;TPE1;TALB;");
    // The group identifier is not part of the payload.
    EXPECT_EQ(t->Title(), u"Grouped");
    EXPECT_EQ(t->GetFrameByID(u"TIT2")->RawData(), toBytes(raw({0}) + "Grouped"));
    // Encrypted frames are listed with their stored payload and no text.
    EXPECT_EQ(t->Artist(), u"");
    EXPECT_EQ(t->GetFrameByID(u"TPE1")->RawData(), toBytes(raw({0}) + "Secret"));
    EXPECT_EQ(t->GetFrameByID(u"TALB")->RawData(), toBytes(raw({0}) + "Both"));
    // Compression does not apply to an encrypted frame, which is not inflated.
    const auto c = read(tag(frame("TIT2", "opaque", 0x0D, raw({0x80}) + synchsafe(100))));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->GetFrameByID(u"TIT2")->RawData(), toBytes("opaque"));
    EXPECT_EQ(c->Title(), u"");
}

TEST_F(Id3v24Test, SkipsTheExtendedHeader) {
    // An extended header of 12 bytes: the first frame stands at tag position + 22.
    const std::string ext = synchsafe(12) + raw({1, 0, 0, 0, 0, 0, 0, 0});
    const auto t = read(tag(ext + text("TIT2", "Hi"), 0x40));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->FrameList(), u"TIT2;");
    EXPECT_EQ(t->Title(), u"Hi");

    // The same at a tag position other than 1.
    const std::string at5 = "abcd" + tag(ext + text("TIT2", "Hi"), 0x40);
    const auto moved = read(at5, at5.substr(4), 5);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->Title(), u"Hi");
}

TEST_F(Id3v24Test, DamagedInputNeverCrashes) {
    const std::string whole = tag(
        text("TIT2", "Title") +
            frame("PRIV", unsynchronise(compress(std::string(200, 'a'))), 0x0B, synchsafe(200)) +
            std::string(12, '\0'),
        0x90);
    ASSERT_TRUE(read(whole));
    for (std::size_t n = 0; n + 2 < whole.size(); ++n) {
        EXPECT_FALSE(read(whole.substr(0, n), whole)) << n;
    }
    for (std::size_t i = 10; i < whole.size(); ++i) {
        for (int value : {0x00, 0x7F, 0x80, 0xFF}) {
            std::string damaged = whole;
            damaged[i] = static_cast<char>(value);
            (void)read(damaged, whole);
        }
    }
}

}  // namespace
