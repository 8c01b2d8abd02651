// The picture branches of getMediaProperties and the recognition order, on crafted files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "media/mediaproperties.h"
#include "tests/media/bytes.h"
#include "tests/support/tempdir.h"

namespace {

using media::MediaContext;
using media::MediaProperties;

using mediatests::Bytes;

struct Picture {
    std::string width, height, depth;
    bool result;
};

class Images : public ::testing::Test {
protected:
    // Writes the bytes under `name` and reads the file's properties.
    Picture read(const std::string& name, const std::string& bytes) {
        MediaProperties record;
        const bool result = media::getMediaProperties(dir_.write(name, bytes), record, context_);
        EXPECT_EQ(record.path, dir_.file(name));
        EXPECT_EQ(record.length, "");
        EXPECT_EQ(record.sound, "");
        return {record.width, record.height, record.depth, result};
    }

    testsupport::TempDir dir_;
    MediaContext context_;
};

void expectPicture(const Picture& got, const Picture& expected) {
    EXPECT_EQ(got.width, expected.width);
    EXPECT_EQ(got.height, expected.height);
    EXPECT_EQ(got.depth, expected.depth);
    EXPECT_EQ(got.result, expected.result);
}

Bytes bmp(std::uint32_t width, std::uint32_t height, std::uint8_t depth) {
    Bytes b(64);
    b.text(0, "BM").le32(18, width).le32(22, height).byte(28, depth);
    return b;
}

TEST_F(Images, Bmp) {
    expectPicture(read("a.bmp", bmp(640, 480, 24).str()), {"640", "480", "24", true});
    // A top-down picture stores its height negative; the picture is as high as its magnitude.
    expectPicture(read("b.bmp", bmp(37, static_cast<std::uint32_t>(-21), 32).str()),
                  {"37", "21", "32", true});
    // Sizes past 16 bits are whole numbers, not their low halves.
    expectPicture(read("c.bmp", bmp(70000, 40000, 8).str()), {"70000", "40000", "8", true});
}

// A JPEG start, then the given segments.
std::string jpeg(std::initializer_list<std::string> segments) {
    std::string bytes("\xFF\xD8", 2);
    for (const auto& segment : segments) {
        bytes += segment;
    }
    return bytes;
}

// A marker segment with `payload` bytes after its length field.
std::string segment(std::uint8_t marker, std::size_t payload) {
    Bytes b(4 + payload);
    b.byte(0, 0xFF).byte(1, marker).be16(2, static_cast<std::uint32_t>(payload + 2));
    return b.str();
}

std::string frame(std::uint8_t marker, std::uint32_t width, std::uint32_t height) {
    Bytes b(4 + 15);
    b.byte(0, 0xFF).byte(1, marker).be16(2, 17).byte(4, 8).be16(5, height).be16(7, width);
    return b.str();
}

TEST_F(Images, JpegWalksItsSegmentsToTheFrameHeader) {
    const std::string scan = segment(0xDA, 12) + std::string(64, '\x55');
    struct Case {
        const char* what;
        std::string bytes;
        Picture expected;
    };
    const Case cases[] = {
        {"baseline after APP0, APP1, a table",
         jpeg(
             {segment(0xE0, 14), segment(0xE1, 300), segment(0xDB, 65), frame(0xC0, 41, 23), scan}),
         {"41", "23", "24", true}},
        {"progressive",
         jpeg({segment(0xE0, 14), frame(0xC2, 1920, 1080), scan}),
         {"1920", "1080", "24", true}},
        {"a segment of 32 KB and more is skipped by its unsigned length",
         jpeg({segment(0xE2, 40000), frame(0xC1, 800, 600), scan}),
         {"800", "600", "24", true}},
        {"sizes of 32768 and more are taken whole",
         jpeg({frame(0xC0, 40000, 50000), scan}),
         {"40000", "50000", "24", true}},
        {"C5 is no frame header; the scan ends the search",
         jpeg({frame(0xC5, 41, 23), scan}),
         {"", "", "", false}},
        {"a scan before any frame header", jpeg({scan, frame(0xC0, 41, 23)}), {"", "", "", false}},
        {"a segment length below 2 ends the walk",
         jpeg({std::string("\xFF\xE1\x00\x01", 4), frame(0xC0, 41, 23)}),
         {"", "", "", false}},
        {"a segment that runs past the end",
         jpeg({segment(0xE1, 5000).substr(0, 100)}),
         {"", "", "", false}},
        {"a frame header cut short", jpeg({frame(0xC0, 41, 23).substr(0, 6)}), {"", "", "", false}},
        {"nothing after the start", jpeg({}), {"", "", "", false}},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        expectPicture(read("p" + std::to_string(index++) + ".jpg", c.bytes), c.expected);
    }
}

TEST_F(Images, GifDepthFromTheColourResolution) {
    const struct {
        std::uint8_t flags;
        const char* depth;
    } cases[] = {{0xF7, "8"}, {0x80, "1"}, {0x00, "1"}, {0x10, "2"}, {0x70, "8"}, {0x35, "4"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        Bytes b(40);
        b.text(0, "GIF89a").le16(6, 320).le16(8, 200).byte(10, c.flags);
        expectPicture(read("a.gif", b.str()), {"320", "200", c.depth, true});
    }
}

Bytes png(std::uint32_t width, std::uint32_t height, std::uint8_t bits, std::uint8_t colourType) {
    Bytes b(64);
    b.byte(0, 0x89).text(1, "PNG\r\n").byte(6, 0x1A).byte(7, '\n');
    b.be32(8, 13).text(12, "IHDR").be32(16, width).be32(20, height).byte(24, bits);
    b.byte(25, colourType);
    return b;
}

TEST_F(Images, PngDepthFromBitsAndColourType) {
    const struct {
        std::uint8_t bits, colourType;
        const char* depth;
    } cases[] = {{1, 0, "1"},  {16, 0, "16"}, {8, 2, "24"},  {16, 2, "48"}, {4, 3, "4"},
                 {8, 4, "16"}, {8, 6, "32"},  {16, 6, "64"}, {8, 5, ""},    {8, 7, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << int(c.bits) << " bits, colour type " << int(c.colourType));
        expectPicture(read("a.png", png(33, 19, c.bits, c.colourType).str()),
                      {"33", "19", c.depth, true});
    }
}

TEST_F(Images, PngSizesAndAMissingHeaderChunk) {
    // The full 32-bit width, not its low half (70000 would give 4464).
    expectPicture(read("wide.png", png(70000, 40000, 8, 2).str()), {"70000", "40000", "24", true});
    Bytes noHeader = png(33, 19, 8, 2);
    noHeader.text(12, "IHDX");
    expectPicture(read("none.png", noHeader.str()), {"", "", "", false});
}

TEST_F(Images, Fpbd) {
    Bytes b(200);
    b.text(0, "FPBD").text(40, "width").le16(46, 1024).text(60, "height").le16(67, 768);
    expectPicture(read("a.dat", b.str()), {"1024", "768", "32", true});

    Bytes noWidth(200);
    noWidth.text(0, "FPBD").text(60, "height").le16(67, 768);
    expectPicture(read("b.dat", noWidth.str()), {"", "", "32", false});

    Bytes widthOnly(200);
    widthOnly.text(0, "FPBD").text(40, "width").le16(46, 1024);
    expectPicture(read("c.dat", widthOnly.str()), {"1024", "", "32", false});

    // The names are looked for within the first 128 bytes only.
    Bytes late(300);
    late.text(0, "FPBD").text(140, "width").le16(146, 1024);
    expectPicture(read("d.dat", late.str()), {"", "", "32", false});
}

Bytes pcx(std::uint32_t xmin, std::uint32_t ymin, std::uint32_t xmax, std::uint32_t ymax,
          std::uint8_t bits, std::uint8_t planes) {
    Bytes b(128);
    b.byte(0, 0x0A).byte(3, bits).le16(4, xmin).le16(6, ymin).le16(8, xmax).le16(10, ymax);
    b.byte(65, planes);
    return b;
}

TEST_F(Images, PcxIsKnownByItsNameAlone) {
    expectPicture(read("a.pcx", pcx(0, 0, 319, 199, 8, 1).str()), {"320", "200", "8", true});
    expectPicture(read("b.PCX", pcx(0, 0, 261, 99, 8, 3).str()), {"262", "100", "24", true});
    expectPicture(read("c.pcx", pcx(10, 20, 5, 20, 1, 1).str()), {"-4", "1", "1", true});
    // The same bytes under another name are of no recognised kind.
    expectPicture(read("d.img", pcx(0, 0, 319, 199, 8, 1).str()), {"", "", "", false});
    // A file shorter than the header is known by its name and has nothing to read.
    expectPicture(read("e.pcx", std::string(10, '\x7F')), {"1", "1", "0", true});
}

TEST_F(Images, RecognitionGoesByContentBeforeName) {
    expectPicture(read("really-bmp.pcx", bmp(16, 8, 4).str()), {"16", "8", "4", true});
    // Named like an MPEG stream but holding a picture: the picture wins.
    expectPicture(read("gif.mpg", Bytes(40).text(0, "GIF87a").le16(6, 5).le16(8, 6).str()),
                  {"5", "6", "1", true});
    // Anything else named .mpg goes to the MPEG reader, which finds no picture in it.
    expectPicture(read("text.mpg", std::string(4096, 'x')), {"", "", "", false});
    expectPicture(read("text.bin", std::string(4096, 'x')), {"", "", "", false});
    expectPicture(read("empty.png", ""), {"", "", "", false});
}

TEST_F(Images, ASecondTokenOfTheSameFileFindsTheRecordFilled) {
    const std::string path = dir_.write("a.bmp", bmp(640, 480, 24).str());
    MediaProperties record;
    ASSERT_TRUE(media::getMediaProperties(path, record, context_));
    std::filesystem::remove(path);
    EXPECT_TRUE(media::getMediaProperties(path, record, context_));
    EXPECT_EQ(record.width, "640");
    // Another path clears the record before it reads.
    EXPECT_FALSE(media::getMediaProperties(dir_.file("gone.bmp"), record, context_));
    EXPECT_EQ(record.path, dir_.file("gone.bmp"));
    EXPECT_EQ(record.width, "");
}

TEST_F(Images, OnlyRegularFilesAreOpened) {
    // A folder and a named pipe called like pictures: nothing is read and nothing blocks.
    dir_.mkdir("folder.bmp");
    ASSERT_EQ(::mkfifo(dir_.file("pipe.jpg").c_str(), 0600), 0);
    for (const char* name : {"folder.bmp", "pipe.jpg", "missing.png"}) {
        SCOPED_TRACE(name);
        MediaProperties record;
        EXPECT_FALSE(media::getMediaProperties(dir_.file(name), record, context_));
        EXPECT_EQ(record.width, "");
    }
    // A doubled slash in the path is taken as it stands, like the system takes it.
    const std::string path = dir_.write("b.bmp", bmp(2, 3, 1).str());
    MediaProperties record;
    EXPECT_TRUE(media::getMediaProperties(dir_.path() + "//b.bmp", record, context_));
    EXPECT_EQ(record.width, "2");
}

}  // namespace
