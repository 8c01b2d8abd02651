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

// Long runs of ASCII are taken several characters at a time: whatever stands before, between
// and after them, and wherever in such a run it falls, every piece reads as it does alone.
TEST(PathCodec, PiecesReadTheSameWhereverTheyStandAmongAsciiRuns) {
    const struct {
        std::string bytes;
        std::u16string text;
    } pieces[] = {
        {"", u""},
        {"\xc3\xa9", u"\u00e9"},
        {"\xe6\x97\xa5", u"\u65e5"},
        {"\xf0\x9f\x98\x80", u"\U0001F600"},
        {"\xff", u"\xdcff"},
        {"\x80", u"\xdc80"},
        {"\xc0\xaf", u"\xdcc0\xdcaf"},
        {"\xed\xa0\x80", u"\xdced\xdca0\xdc80"},
        {"\x7f", u"\x7f"},
    };
    for (const auto& first : pieces) {
        for (const auto& second : pieces) {
            for (std::size_t before = 0; before <= 10; ++before) {
                for (std::size_t between : {0, 1, 3, 7, 8, 9, 17}) {
                    const std::string lead(before, 'a');
                    const std::string gap(between, 'Z');
                    const std::string bytes = lead + first.bytes + gap + second.bytes + "/x.t";
                    const std::u16string text =
                        std::u16string(lead.begin(), lead.end()) + first.text +
                        std::u16string(gap.begin(), gap.end()) + second.text + u"/x.t";
                    SCOPED_TRACE(testing::PrintToString(bytes));
                    ASSERT_EQ(decodePathBytes(bytes), text);
                    ASSERT_EQ(encodePathText(text), bytes);
                    const QString qtext = platform::fromNativePath(bytes);
                    ASSERT_EQ(std::u16string_view(reinterpret_cast<const char16_t*>(qtext.utf16()),
                                                  static_cast<std::size_t>(qtext.size())),
                              text);
                    ASSERT_EQ(platform::nativePath(qtext), bytes);
                }
            }
        }
    }
    // Text no name decodes to, after and amid ASCII runs of every length around a word.
    for (std::size_t before = 0; before <= 9; ++before) {
        const std::u16string lead(before, u'q');
        const std::string leadBytes(before, 'q');
        EXPECT_EQ(encodePathText(lead + u"\xd800" + lead), leadBytes + "\xed\xa0\x80" + leadBytes);
        EXPECT_EQ(encodePathText(lead + u"\x0100" + lead), leadBytes + "\xc4\x80" + leadBytes);
    }
    EXPECT_TRUE(platform::fromNativePath(std::string()).isEmpty());
    EXPECT_FALSE(platform::fromNativePath(std::string()).isNull());
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
