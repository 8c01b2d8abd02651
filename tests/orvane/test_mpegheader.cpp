#include "orvane/mpegheader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <system_error>

#include "tests/support/tempdir.h"

namespace {

using orvane::cMPEGHeader;
using testsupport::TempDir;

// MPEG 1, Layer III, no CRC, 128 kbit/s, 44100 Hz, joint stereo, original.
constexpr std::uint32_t kMpeg1Layer3 = 0xFFFB9064;

void putLong(std::string& file, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        file[offset + static_cast<std::size_t>(i)] = static_cast<char>(value >> (24 - 8 * i));
    }
}

// A file of `size` zero bytes (zeros never pass as a frame header) with a header at the
// 0-based `offset`.
std::string fileWithHeader(std::size_t size, std::size_t offset, std::uint32_t header) {
    std::string file(size, '\0');
    putLong(file, offset, header);
    return file;
}

// Appends a Xing header at `offset`; counts are written only when given.
void putXing(std::string& file, std::size_t offset, const char* tag, std::uint32_t flags,
             std::uint32_t frames, std::uint32_t bytes) {
    file.replace(offset, 4, tag);
    putLong(file, offset + 4, flags);
    putLong(file, offset + 8, frames);
    putLong(file, offset + 12, bytes);
}

// Reads the header of a file with these bytes; nothing when the reader refuses.
std::optional<cMPEGHeader> readHeader(const std::string& bytes, std::int64_t start = 1) {
    const TempDir dir;
    auto opened = platform::fs::ReadFile::open(dir.write("audio.mp3", bytes));
    EXPECT_TRUE(opened.ok()) << opened.reason();
    if (!opened) {
        return std::nullopt;
    }
    cMPEGHeader header;
    if (!header.ReadHeader(opened.value(), static_cast<std::int64_t>(bytes.size()), start)) {
        return std::nullopt;
    }
    return header;
}

TEST(MPEGHeader, DecodesAPlainConstantBitrateFile) {
    const auto header = readHeader(fileWithHeader(1'000'000, 0, kMpeg1Layer3));
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->HeaderPosition(), 1);
    EXPECT_EQ(header->Version(), u"MPEG Version 1");
    EXPECT_EQ(header->Layer(), u"Layer III");
    EXPECT_EQ(header->Mode(), u"Joint Stereo");
    EXPECT_EQ(header->Bitrate(), 128);
    EXPECT_EQ(header->Frequency(), 44100);
    // Everything from the header to the end counts as audio, less one byte.
    EXPECT_EQ(header->AudioByteCount(), 999'998);
    EXPECT_EQ(header->Duration(), 62);
    EXPECT_FALSE(header->CRC());
    EXPECT_FALSE(header->Copyright());
    EXPECT_TRUE(header->Original());
    EXPECT_FALSE(header->VBR());
}

TEST(MPEGHeader, DecodesEveryField) {
    struct Case {
        std::uint32_t header;
        const char16_t* version;
        const char16_t* layer;
        const char16_t* mode;
        std::int32_t bitrate;
        std::int32_t frequency;
        bool crc;
        bool copyright;
        bool original;
    };
    const Case cases[] = {
        {0xFFFB9064, u"MPEG Version 1", u"Layer III", u"Joint Stereo", 128, 44100, false, false,
         true},
        // Protection bit 0 means a CRC follows; copyright and original both set.
        {0xFFFA906C, u"MPEG Version 1", u"Layer III", u"Joint Stereo", 128, 44100, true, true,
         true},
        {0xFFFD9400, u"MPEG Version 1", u"Layer II", u"Stereo", 160, 48000, false, false, false},
        {0xFFFFE888, u"MPEG Version 1", u"Layer I", u"Dual Channel", 448, 32000, false, true,
         false},
        {0xFFF390C4, u"MPEG Version 2", u"Layer III", u"Single Channel", 80, 22050, false, false,
         true},
        {0xFFF5E400, u"MPEG Version 2", u"Layer II", u"Stereo", 160, 24000, false, false, false},
        {0xFFF71800, u"MPEG Version 2", u"Layer I", u"Stereo", 32, 16000, false, false, false},
        // MPEG 2.5 shares the MPEG 2 bit rates and has its own sample rates.
        {0xFFE39064, u"MPEG Version 2.5", u"Layer III", u"Joint Stereo", 80, 11025, false, false,
         true},
        {0xFFE31440, u"MPEG Version 2.5", u"Layer III", u"Joint Stereo", 8, 12000, false, false,
         false},
        {0xFFE3E800, u"MPEG Version 2.5", u"Layer III", u"Stereo", 160, 8000, false, false, false},
    };
    for (const auto& c : cases) {
        const auto header = readHeader(fileWithHeader(4000, 0, c.header));
        ASSERT_TRUE(header.has_value()) << std::hex << c.header;
        EXPECT_EQ(header->Version(), c.version) << std::hex << c.header;
        EXPECT_EQ(header->Layer(), c.layer) << std::hex << c.header;
        EXPECT_EQ(header->Mode(), c.mode) << std::hex << c.header;
        EXPECT_EQ(header->Bitrate(), c.bitrate) << std::hex << c.header;
        EXPECT_EQ(header->Frequency(), c.frequency) << std::hex << c.header;
        EXPECT_EQ(header->CRC(), c.crc) << std::hex << c.header;
        EXPECT_EQ(header->Copyright(), c.copyright) << std::hex << c.header;
        EXPECT_EQ(header->Original(), c.original) << std::hex << c.header;
        EXPECT_FALSE(header->VBR()) << std::hex << c.header;
    }
}

TEST(MPEGHeader, SearchLooksTenThousandPositionsPastTheStart) {
    struct Case {
        std::size_t fileSize;
        std::size_t offset;  // 0-based
        std::int64_t start;
        std::int64_t foundAt;  // 0: not found
    };
    const Case cases[] = {
        {20'000, 10'000, 1, 10'001},
        {20'000, 10'001, 1, 0},
        {30'000, 15'000, 5'001, 15'001},
        {30'000, 15'001, 5'001, 0},
        // Bytes before the start are never looked at.
        {20'000, 99, 101, 0},
        {20'000, 100, 101, 101},
        // The four bytes need two more bytes of the file after them.
        {5, 0, 1, 0},
        {6, 0, 1, 1},
        {10, 4, 1, 5},
        {10, 5, 1, 0},
        {11, 5, 1, 6},
        {11, 5, 6, 6},
        // Around the ends of the 1025-byte read blocks (they overlap by four bytes).
        {5'000, 1'019, 1, 1'020},
        {5'000, 1'020, 1, 1'021},
        {5'000, 1'021, 1, 1'022},
        {5'000, 1'022, 1, 1'023},
        {5'000, 1'023, 1, 1'024},
        {5'000, 2'042, 1, 2'043},
        {5'000, 2'043, 1, 2'044},
        {5'000, 2'044, 1, 2'045},
        {5'000, 4'994, 1, 4'995},
        {5'000, 4'995, 1, 0},
    };
    for (const auto& c : cases) {
        const auto header = readHeader(fileWithHeader(c.fileSize, c.offset, kMpeg1Layer3), c.start);
        const std::int64_t found = header ? header->HeaderPosition() : 0;
        EXPECT_EQ(found, c.foundAt)
            << "size " << c.fileSize << " offset " << c.offset << " start " << c.start;
    }
}

TEST(MPEGHeader, TakesTheFirstValidHeaderAfterFalseSyncs) {
    std::string file(3'000, '\0');
    // Sync bits with a refused field each: bitrate index 15, free format, reserved version,
    // reserved layer, reserved sample rate, reserved emphasis.
    putLong(file, 0, 0xFFFBF064);
    putLong(file, 10, 0xFFFB0064);
    putLong(file, 20, 0xFFEB9064);
    putLong(file, 30, 0xFFF99064);
    putLong(file, 40, 0xFFFB9C64);
    putLong(file, 50, 0xFFFB9066);
    putLong(file, 2'000, kMpeg1Layer3);
    putLong(file, 2'500, 0xFFF390C4);
    const auto header = readHeader(file);
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->HeaderPosition(), 2'001);
    EXPECT_EQ(header->AudioByteCount(), 3'000 - 2'001 - 1);
}

// A tag at the start of the file may hold bytes that pass as a frame header, and a big tag
// pushes the audio beyond the search range. The caller hands in the position after the tag.
TEST(MPEGHeader, StartPositionSkipsAnId3v2Tag) {
    const std::size_t tagSize = 20'000;
    std::string file(tagSize + 50'000, '\0');
    file.replace(0, 3, "ID3");
    putLong(file, tagSize, 0xFFF390C4);

    // From byte 1 the audio lies out of reach.
    EXPECT_FALSE(readHeader(file).has_value());
    auto afterTag = readHeader(file, tagSize + 1);
    ASSERT_TRUE(afterTag.has_value());
    EXPECT_EQ(afterTag->HeaderPosition(), static_cast<std::int32_t>(tagSize + 1));
    EXPECT_EQ(afterTag->Version(), u"MPEG Version 2");

    // Header-like bytes inside the tag are taken from byte 1, but not from after the tag.
    putLong(file, 300, kMpeg1Layer3);
    const auto fromStart = readHeader(file);
    ASSERT_TRUE(fromStart.has_value());
    EXPECT_EQ(fromStart->HeaderPosition(), 301);
    afterTag = readHeader(file, tagSize + 1);
    ASSERT_TRUE(afterTag.has_value());
    EXPECT_EQ(afterTag->HeaderPosition(), static_cast<std::int32_t>(tagSize + 1));
    EXPECT_EQ(afterTag->Version(), u"MPEG Version 2");
}

TEST(MPEGHeader, RefusesUnusableStartsAndShortFiles) {
    const std::string file = fileWithHeader(100, 0, kMpeg1Layer3);
    EXPECT_FALSE(readHeader(file, 0).has_value());
    EXPECT_FALSE(readHeader(file, -1).has_value());
    EXPECT_FALSE(readHeader(file, 1'000).has_value());
    EXPECT_FALSE(readHeader(file, std::numeric_limits<std::int64_t>::max() - 20'000).has_value());
    EXPECT_FALSE(readHeader("").has_value());
    EXPECT_FALSE(readHeader(std::string(1, '\xFF')).has_value());
    EXPECT_FALSE(readHeader(std::string(50'000, '\xFF')).has_value());
}

TEST(MPEGHeader, XingHeaderGivesTheVariableBitrate) {
    std::string file = fileWithHeader(2'000, 0, kMpeg1Layer3);
    putXing(file, 36, "Xing", 3, 1'000, 417'000);
    const auto header = readHeader(file);
    ASSERT_TRUE(header.has_value());
    EXPECT_TRUE(header->VBR());
    EXPECT_EQ(header->XingFrameCount(), 1'000);
    EXPECT_EQ(header->AudioByteCount(), 417'000);
    EXPECT_DOUBLE_EQ(header->ExactBitrate(), 127.70625);
    EXPECT_EQ(header->Bitrate(), 127);
    EXPECT_EQ(header->Duration(), 26);
}

TEST(MPEGHeader, XingFlagsDecideWhatIsRead) {
    struct Case {
        const char* tag;
        std::uint32_t flags;
        bool vbr;
        std::int32_t frames;
        std::int32_t audioBytes;
        std::int32_t bitrate;
        std::int32_t duration;
    };
    const std::int32_t plainBytes = 100'000 - 1 - 1;
    const Case cases[] = {
        {"Xing", 3, true, 1'000, 417'000, 127, 26},
        // Frame count only: the bytes from the header to the end are the audio.
        {"Xing", 1, true, 1'000, plainBytes, 30, 26},
        // Without a frame count neither count is read and the bit rate is unknown.
        {"Xing", 2, true, 0, plainBytes, -1, -1},
        {"Xing", 0, true, 0, plainBytes, -1, -1},
        {"Xing", 0xFFFFFFFC, true, 0, plainBytes, -1, -1},
        // The tag is compared exactly.
        {"xing", 3, false, 0, plainBytes, 128, 6},
        {"XING", 3, false, 0, plainBytes, 128, 6},
        {"Info", 3, false, 0, plainBytes, 128, 6},
    };
    for (const auto& c : cases) {
        std::string file = fileWithHeader(100'000, 0, kMpeg1Layer3);
        putXing(file, 36, c.tag, c.flags, 1'000, 417'000);
        const auto header = readHeader(file);
        ASSERT_TRUE(header.has_value()) << c.tag << " " << c.flags;
        EXPECT_EQ(header->VBR(), c.vbr) << c.tag << " " << c.flags;
        EXPECT_EQ(header->XingFrameCount(), c.frames) << c.tag << " " << c.flags;
        EXPECT_EQ(header->AudioByteCount(), c.audioBytes) << c.tag << " " << c.flags;
        EXPECT_EQ(header->Bitrate(), c.bitrate) << c.tag << " " << c.flags;
        EXPECT_EQ(header->Duration(), c.duration) << c.tag << " " << c.flags;
    }
}

// The Xing header follows the side information, whose size depends on version and channels;
// the bit rate divisor is the frame length factor of the layer and version.
TEST(MPEGHeader, XingOffsetAndDivisorByVersionLayerAndMode) {
    struct Case {
        std::uint32_t header;
        std::size_t xingOffset;
        std::uint32_t frames;
        std::uint32_t bytes;
        double bitrate;
    };
    const Case cases[] = {
        {0xFFFB9064, 36, 1'000, 417'000, 44100.0 * 417 / 144000},  // MPEG 1 joint stereo
        {0xFFFA9004, 36, 1'000, 417'000, 44100.0 * 417 / 144000},  // with CRC: same offset
        {0xFFFB90C4, 21, 1'000, 417'000, 44100.0 * 417 / 144000},  // MPEG 1 single channel
        {0xFFF390C4, 13, 1'000, 418'000, 22050.0 * 418 / 72000},   // MPEG 2 single channel
        {0xFFF39044, 21, 1'000, 418'000, 22050.0 * 418 / 72000},   // MPEG 2 joint stereo
        {0xFFE39084, 21, 500, 100'000, 11025.0 * 200 / 72000},     // MPEG 2.5 dual channel
        {0xFFFD9400, 36, 100, 62'700, 48000.0 * 627 / 144000},     // MPEG 1 Layer II
        {0xFFF59400, 21, 100, 62'700, 24000.0 * 627 / 144000},     // MPEG 2 Layer II
        {0xFFFF9000, 36, 100, 41'800, 44100.0 * 418 / 48000},      // MPEG 1 Layer I
        {0xFFF790C0, 13, 100, 41'800, 22050.0 * 418 / 48000},      // MPEG 2 Layer I
    };
    for (const auto& c : cases) {
        std::string file = fileWithHeader(3'000, 0, c.header);
        putXing(file, c.xingOffset, "Xing", 3, c.frames, c.bytes);
        const auto header = readHeader(file);
        ASSERT_TRUE(header.has_value()) << std::hex << c.header;
        EXPECT_TRUE(header->VBR()) << std::hex << c.header;
        EXPECT_DOUBLE_EQ(header->ExactBitrate(), c.bitrate) << std::hex << c.header;

        // One byte off in either direction is not a Xing header.
        for (const std::size_t wrong : {c.xingOffset - 1, c.xingOffset + 1}) {
            std::string shifted = fileWithHeader(3'000, 0, c.header);
            putXing(shifted, wrong, "Xing", 3, c.frames, c.bytes);
            const auto other = readHeader(shifted);
            ASSERT_TRUE(other.has_value()) << std::hex << c.header;
            EXPECT_FALSE(other->VBR()) << std::hex << c.header << std::dec << " at " << wrong;
        }
    }
}

TEST(MPEGHeader, DurationIsRoundedMillisecondsCutToSeconds) {
    struct Case {
        std::size_t fileSize;
        std::int32_t duration;
    };
    // At 128 kbit/s a byte lasts 1/16 ms; the audio is the file less two bytes.
    const Case cases[] = {
        {2 + 15'984, 0},  // 999 ms
        {2 + 15'992, 1},  // 999.5 ms rounds to 1000
        {2 + 16'000, 1},  // 1000 ms
        {2 + 31'984, 1},  // 1999 ms
        {2 + 31'999, 2},  // 1999.94 ms rounds to 2000
        {2 + 32'000, 2},
    };
    for (const auto& c : cases) {
        const auto header = readHeader(fileWithHeader(c.fileSize, 0, kMpeg1Layer3));
        ASSERT_TRUE(header.has_value()) << c.fileSize;
        EXPECT_EQ(header->Duration(), c.duration) << c.fileSize;
    }
}

TEST(MPEGHeader, DamagedXingHeadersNeverCrash) {
    // Counts whose play length runs past 2^31 milliseconds: only the seconds need to fit the
    // property, and they follow from the frame count (2^31 - 1 frames of 1152 samples).
    {
        std::string file = fileWithHeader(1'000, 0, kMpeg1Layer3);
        putXing(file, 36, "Xing", 3, 0x7FFFFFFF, 0x7FFFFFFF);
        const auto header = readHeader(file);
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(header->Bitrate(), 0);
        EXPECT_EQ(header->Duration(), 56'097'532);
    }
    // The byte count is unsigned: 0x80000000 is 2 GiB, never a negative count.
    {
        std::string file = fileWithHeader(1'000, 0, kMpeg1Layer3);
        putXing(file, 36, "Xing", 3, 10, 0x80000000);
        const auto header = readHeader(file);
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(header->AudioByteCount(), std::int64_t{1} << 31);
        EXPECT_EQ(header->Bitrate(), 65'766'686);
        EXPECT_EQ(header->Duration(), 0);
    }
    // A negative frame count is no usable frame count.
    {
        std::string file = fileWithHeader(1'000, 0, kMpeg1Layer3);
        putXing(file, 36, "Xing", 3, 0xFFFFFFFF, 1'000);
        const auto header = readHeader(file);
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(header->Bitrate(), -1);
        EXPECT_EQ(header->Duration(), -1);
    }
    // A file cut off inside the Xing header: the Xing tag needs the file to reach 13 bytes
    // past it, and counts beyond the end read as zeros.
    {
        std::string file = fileWithHeader(1'000, 0, kMpeg1Layer3);
        putXing(file, 36, "Xing", 3, 1'000, 417'000);
        const auto cutInByteCount = readHeader(file.substr(0, 36 + 14));
        ASSERT_TRUE(cutInByteCount.has_value());
        EXPECT_TRUE(cutInByteCount->VBR());
        EXPECT_EQ(cutInByteCount->XingFrameCount(), 1'000);
        EXPECT_EQ(cutInByteCount->AudioByteCount(), 0x00060000);

        const auto tooShort = readHeader(file.substr(0, 36 + 12));
        ASSERT_TRUE(tooShort.has_value());
        EXPECT_FALSE(tooShort->VBR());
        EXPECT_EQ(tooShort->Bitrate(), 128);
    }
}

// Files of 2 GiB and more: the audio byte count, the play length in milliseconds and a Xing
// byte count all pass 2^31. The files are sparse (only the first block is written), so they
// take no room on disk.
TEST(MPEGHeader, FilesOf2GiBAndMoreHaveAHeader) {
    constexpr std::int64_t k2GiB = std::int64_t{1} << 31;
    constexpr std::int64_t k4GiB = std::int64_t{1} << 32;
    // MPEG 2.5, Layer III, 8 kbit/s, 12000 Hz: 2 GiB last 2^31 milliseconds.
    constexpr std::uint32_t kMpeg25At8 = 0xFFE31440;
    struct Case {
        const char* what;
        std::int64_t size;
        std::uint32_t header;
        std::uint32_t xingFlags;  // 0: no Xing header
        std::uint32_t frames;
        std::uint32_t bytes;
        std::int64_t audioBytes;
        std::int32_t bitrate;
        std::int32_t duration;
    };
    const Case cases[] = {
        {"just over 2 GiB", k2GiB + 4096, kMpeg1Layer3, 0, 0, 0, k2GiB + 4094, 128, 134'217},
        {"just over 4 GiB", k4GiB + 4096, kMpeg1Layer3, 0, 0, 0, k4GiB + 4094, 128, 268'435},
        {"over 2^31 ms", k2GiB + 4096, kMpeg25At8, 0, 0, 0, k2GiB + 4094, 8, 2'147'487},
        // The bit rate from the Xing frame count and the file's 64-bit byte count.
        {"Xing frames, over 4 GiB", k4GiB + 4096, kMpeg1Layer3, 1, 10'276'000, 0, k4GiB + 4094, 128,
         268'434},
        {"Xing bytes of 3 GiB", k4GiB + 4096, kMpeg1Layer3, 3, 7'706'000, 0xC0000000, 0xC0000000,
         128, 201'299},
    };
    const TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string start = fileWithHeader(4096, 0, c.header);
        if (c.xingFlags != 0) {
            putXing(start, 36, "Xing", c.xingFlags, c.frames, c.bytes);
        }
        const std::string path = dir.write("big.mp3", start);
        std::error_code error;
        std::filesystem::resize_file(path, static_cast<std::uintmax_t>(c.size), error);
        ASSERT_FALSE(error) << error.message();
        auto opened = platform::fs::ReadFile::open(path);
        ASSERT_TRUE(opened.ok()) << opened.reason();
        ASSERT_EQ(static_cast<std::int64_t>(opened->size()), c.size);

        cMPEGHeader header;
        ASSERT_TRUE(header.ReadHeader(*opened, c.size));
        EXPECT_EQ(header.HeaderPosition(), 1);
        EXPECT_EQ(header.VBR(), c.xingFlags != 0);
        EXPECT_EQ(header.AudioByteCount(), c.audioBytes);
        EXPECT_EQ(header.Bitrate(), c.bitrate);
        EXPECT_EQ(header.Duration(), c.duration);
    }
}

}  // namespace
