#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/win1252.h"

namespace {

using namespace platform::win1252;

TEST(Win1252, HighBytesDecodeToTheirCharacters) {
    // Every byte of 0x80-0x9F, the only range where the code page differs from Latin-1.
    const char16_t expected[32] = {
        u'€', u'\u0081', u'‚',      u'ƒ', u'„',      u'…',      u'†', u'‡',      u'ˆ', u'‰', u'Š',
        u'‹', u'Œ',      u'\u008D', u'Ž', u'\u008F', u'\u0090', u'‘', u'’',      u'“', u'”', u'•',
        u'–', u'—',      u'˜',      u'™', u'š',      u'›',      u'œ', u'\u009D', u'ž', u'Ÿ',
    };
    for (int byte = 0x80; byte <= 0x9F; ++byte) {
        EXPECT_EQ(decodeByte(static_cast<unsigned char>(byte)), expected[byte - 0x80])
            << "byte 0x" << std::hex << byte;
    }
}

TEST(Win1252, OtherBytesAreLatin1) {
    for (int byte = 0; byte <= 0xFF; ++byte) {
        if (byte < 0x80 || byte > 0x9F) {
            EXPECT_EQ(decodeByte(static_cast<unsigned char>(byte)), char16_t(byte)) << byte;
        }
    }
}

TEST(Win1252, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int byte = 0; byte <= 0xFF; ++byte) {
        all.push_back(static_cast<char>(byte));
        const char16_t ch = decodeByte(static_cast<unsigned char>(byte));
        ASSERT_EQ(encodeChar(ch), std::optional<unsigned char>(byte)) << byte;
        EXPECT_EQ(ansiCode(ch), byte);
    }
    const std::u16string text = decode(all);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(encode(text), all);
}

TEST(Win1252, OnlyTheTableCharactersHaveAByte) {
    // Exhaustive over UTF-16 units: exactly 256 encode, each to the byte that decodes back.
    int encodable = 0;
    for (int unit = 0; unit <= 0xFFFF; ++unit) {
        const auto ch = static_cast<char16_t>(unit);
        const auto byte = encodeChar(ch);
        if (byte) {
            ++encodable;
            EXPECT_EQ(decodeByte(*byte), ch) << "U+" << std::hex << unit;
        }
    }
    EXPECT_EQ(encodable, 256);
    // C1 controls whose bytes hold printable characters have no byte of their own.
    EXPECT_FALSE(encodeChar(u'\u0080'));
    EXPECT_FALSE(encodeChar(u'\u009F'));
    EXPECT_EQ(ansiCode(u'\u008A'), -1);
    EXPECT_EQ(ansiCode(u'\u0100'), -1);
    EXPECT_EQ(ansiCode(u'€'), 0x80);
}

TEST(Win1252, EncodeReplacesCharactersWithoutAByte) {
    EXPECT_EQ(encode(u"a€\u0100b\u4E2D"), "a\x80?b?");
    EXPECT_EQ(encode(u"\u0100\U0001F600", '_'), "___") << "each half of a surrogate pair";
    EXPECT_EQ(encode(u""), "");
}

}  // namespace
