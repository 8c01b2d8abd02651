#include "platform/dosattrib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>

namespace {

using platform::dosattrib::decode;
using platform::dosattrib::encode;

// Bytes from a text of hex pairs, "30 78 00"; "*8" after a pair repeats it (00*8).
std::string bytes(const std::string& hex) {
    std::istringstream in(hex);
    std::string out;
    std::string token;
    while (in >> token) {
        int repeat = 1;
        if (const auto star = token.find('*'); star != std::string::npos) {
            repeat = std::stoi(token.substr(star + 1));
            token.resize(star);
        }
        const char byte = static_cast<char>(std::stoi(token, nullptr, 16));
        out.append(static_cast<std::size_t>(repeat), byte);
    }
    return out;
}

std::string printable(const std::string& blob) {
    std::string out;
    char buffer[4];
    for (const unsigned char c : blob) {
        std::snprintf(buffer, sizeof buffer, "%02x ", c);
        out += buffer;
    }
    return out;
}

// Values laid out by hand from Samba's xattr.idl and its NDR rules: the text and its NUL, pad
// to 2, uint16 version, uint16 union level, pad to 4, then the info structure.
TEST(DosAttribDecode, ReadsEveryLayoutSambaWrites) {
    const struct {
        const char* what;
        std::string blob;
        std::optional<std::uint32_t> expected;
    } cases[] = {
        {"bare text", "0x20", 0x20},
        {"bare text with NUL", bytes("30 78 32 30 00"), 0x20},
        {"text with capital X and digits", "0X1A", 0x1A},
        {"text of one digit", bytes("30 78 37 00"), 0x7},
        {"text without prefix, as sscanf takes it", "22", 0x22},
        // version 1: attrib, ea_size, size, alloc_size, create_time, change_time
        {"v1", bytes("30 78 32 30 00 00 01 00 01 00 00 00 20 00 00 00 00*4 00*32"), 0x20},
        // version 2: flags, attrib, ea_size, four sizes and times, write_time, name
        {"v2", bytes("30 78 34 00 02 00 02 00 00*4 04 00 00 00 00*4 00*40 00"), 0x4},
        // version 3, a value as Samba wrote it for hidden + archive
        {"v3",
         bytes("30 78 32 32 00 00 03 00 03 00 00 00 11 00 00 00 22 00 00 00 00*4 00*16 "
               "34 77 bd 39 2d 44 d6 01 00*8"),
         0x22},
        // version 4, as Samba 4.11 wrote it for a read-only folder: empty text
        {"v4",
         bytes("00 00 04 00 04 00 00 00 51 00 00 00 11 00 00 00 9e 55 d7 72 85 12 d8 01 "
               "9e 55 d7 72 85 12 d8 01"),
         0x11},
        // version 5, as current Samba writes it
        {"v5 folder",
         bytes("00 00 05 00 05 00 00 00 11 00 00 00 10 00 00 00 da a0 fc 93 fc ce "
               "db 01"),
         0x10},
        {"v5 archived folder",
         bytes("00 00 05 00 05 00 00 00 11 00 00 00 30 00 00 00 c0 b7 36 "
               "87 73 1d d3 01"),
         0x30},
        // A four-byte text leaves the version at offset 4 and the structure at 8.
        {"v5 after a short text", bytes("30 78 32 00 05 00 05 00 01 00 00 00 02 00 00 00 00*8"),
         0x2},
        // A five-byte text pads to 6, and the structure then starts at 12.
        {"v5 after a long text",
         bytes("30 78 32 32 00 00 05 00 05 00 00 00 01 00 00 00 22 00 00 00 00*8"), 0x22},
        // Samba takes the attributes from the structure, not from the text.
        {"structure wins over text", bytes("30 78 32 00 05 00 05 00 01 00 00 00 04 00 00 00 00*8"),
         0x4},

        {"empty", "", std::nullopt},
        {"only a NUL", bytes("00"), std::nullopt},
        {"prefix without digits", "0x", std::nullopt},
        {"not hex", "0xZZ", std::nullopt},
        {"words", "hidden", std::nullopt},
        {"too many digits", "0x123456789", std::nullopt},
        {"unknown version", bytes("00 00 06 00 06 00 00 00 01 00 00 00 02 00 00 00 00*8"),
         std::nullopt},
        {"compat marker as version", bytes("00 00 ff ff ff ff 00 00 01 00 00 00"), std::nullopt},
        {"level differs from version",
         bytes("00 00 05 00 04 00 00 00 01 00 00 00 02 00 00 00 00*8"), std::nullopt},
        {"v5 cut short", bytes("00 00 05 00 05 00 00 00 01 00 00 00 02 00 00 00 00*4"),
         std::nullopt},
        {"v3 cut short", bytes("30 78 32 32 00 00 03 00 03 00 00 00 11 00 00 00 22 00"),
         std::nullopt},
        {"version only", bytes("00 00 05 00"), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(decode(c.blob), c.expected) << printable(c.blob);
    }
}

TEST(DosAttribEncode, WritesVersionFiveAsSambaDoes) {
    const struct {
        std::uint32_t attributes;
        std::string expected;
    } cases[] = {
        {0x0, bytes("00 00 05 00 05 00 00 00 01 00 00 00 00 00 00 00 00*8")},
        {0x2, bytes("00 00 05 00 05 00 00 00 01 00 00 00 02 00 00 00 00*8")},
        {0x22, bytes("00 00 05 00 05 00 00 00 01 00 00 00 22 00 00 00 00*8")},
        {0x37, bytes("00 00 05 00 05 00 00 00 01 00 00 00 37 00 00 00 00*8")},
        // Only the DOS bits we manage are stored.
        {0xFFFF, bytes("00 00 05 00 05 00 00 00 01 00 00 00 37 00 00 00 00*8")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        EXPECT_EQ(printable(encode(c.attributes)), printable(c.expected));
    }
}

TEST(DosAttribEncode, RoundTripsEveryCombination) {
    for (std::uint32_t bits = 0; bits < 0x40; ++bits) {
        EXPECT_EQ(decode(encode(bits)), bits & 0x37) << bits;
    }
}

TEST(DosAttribEncode, KeepsSambaCreationTimeAndForeignBits) {
    const std::string createTime = "da a0 fc 93 fc ce db 01";
    const struct {
        const char* what;
        std::string previous;
        std::string expected;
    } cases[] = {
        {"v5 with creation time and not-content-indexed",
         bytes("00 00 05 00 05 00 00 00 11 00 00 00 12 20 00 00 " + createTime),
         bytes("00 00 05 00 05 00 00 00 11 00 00 00 30 20 00 00 " + createTime)},
        {"v4 with creation time",
         bytes("00 00 04 00 04 00 00 00 51 00 00 00 20 00 00 00 00*8 " + createTime),
         bytes("00 00 05 00 05 00 00 00 11 00 00 00 30 00 00 00 " + createTime)},
        {"v3 whose creation time is not flagged valid",
         bytes("30 78 32 32 00 00 03 00 03 00 00 00 01 00 00 00 22 00 00 00 00*4 00*16 " +
               createTime + " 00*8"),
         bytes("00 00 05 00 05 00 00 00 01 00 00 00 30 00 00 00 00*8")},
        {"the old hex text only", "0x2022",
         bytes("00 00 05 00 05 00 00 00 01 00 00 00 30 20 00 00 00*8")},
        {"normal (0x80) is dropped", "0x80",
         bytes("00 00 05 00 05 00 00 00 01 00 00 00 30 00 00 00 00*8")},
        {"unreadable value", "garbage",
         bytes("00 00 05 00 05 00 00 00 01 00 00 00 30 00 00 00 00*8")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(printable(encode(0x30, c.previous)), printable(c.expected));
    }
}

}  // namespace
