// Names are bytes: decoding them to text and back must give exactly the same bytes for any name
// a file system can hold, and two different names must never meet in one text.
#include <gtest/gtest.h>

#include <string>

#include "platform/pathcodec.h"
#include "platform/programfolder.h"

namespace {

using platform::decodePathBytes;
using platform::encodePathText;

TEST(PathCodec, DecodesValidUtf8AndEscapesEveryOtherByte) {
    const struct {
        const char* name;
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"ascii", "photo.jpg", u"photo.jpg"},
        {"accents and CJK", "caf\xc3\xa9 \xe6\x97\xa5.txt", u"caf\u00e9 \u65e5.txt"},
        {"emoji (surrogate pair)", "\xf0\x9f\x98\x80", u"\U0001F600"},
        {"Latin-1 byte", "caf\xe9.txt", u"caf\xdce9.txt"},
        {"cut-off sequence at the end", "a\xe6\x97", u"a\xdce6\xdc97"},
        {"overlong slash", "\xc0\xaf", u"\xdcc0\xdcaf"},
        {"encoded surrogate", "\xed\xa0\x80", u"\xdced\xdca0\xdc80"},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", u"\xdcf4\xdc90\xdc80\xdc80"},
        {"stray continuation", "\x80x", u"\xdc80x"},
        {"bytes that spell U+FFFD stay U+FFFD", "\xef\xbf\xbd", u"\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodePathBytes(c.bytes), c.text);
        EXPECT_EQ(encodePathText(c.text), c.bytes);
    }
}

TEST(PathCodec, EveryByteStringOfUpToTwoBytesComesBackExactly) {
    std::string bytes;
    for (int a = 1; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            bytes.assign(1, static_cast<char>(a));
            if (b != 0) {
                bytes.push_back(static_cast<char>(b));
            }
            ASSERT_EQ(encodePathText(decodePathBytes(bytes)), bytes) << a << " " << b;
        }
    }
}

TEST(PathCodec, DifferentNamesNeverShareAText) {
    // The classic clash of lossy decoding: an invalid byte and a real U+FFFD.
    EXPECT_NE(decodePathBytes("caf\xe9.txt"), decodePathBytes("caf\xef\xbf\xbd.txt"));
}

TEST(PathCodec, TextNoNameDecodesToStillEncodesToFixedBytes) {
    // A lone high surrogate cannot come from a name; it gets a fixed byte form of its own.
    EXPECT_EQ(encodePathText(u"a\xd800"), std::string("a\xed\xa0\x80"));
    EXPECT_EQ(encodePathText(u"\xdc10"), std::string("\xed\xb0\x90"));
}

TEST(PathCodec, TheProgramsPathConversionIsTheSameCodec) {
    const std::string name = "/tmp/caf\xe9/\xff\xfe.txt";
    const QString text = platform::fromNativePath(name);
    EXPECT_EQ(text.size(), 16);
    EXPECT_EQ(platform::nativePath(text), name);
}

}  // namespace
