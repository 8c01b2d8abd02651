// The tag library reads the file whose name the program listed, also when that name is not
// UTF-8: the file name reaches it as text from the path codec, and it turns that text back
// into the very same bytes.
#include <gtest/gtest.h>

#include <string>

#include "platform/pathcodec.h"
#include "tests/orvane/fixturebytes.h"
#include "tests/orvane/orvaneclient.h"

namespace {

using namespace orvanetest;

// MPEG-1 Layer III frames at 128 kbit/s followed by an ID3v1 tag with this title.
std::string taggedFile(const std::string& title) {
    std::string file;
    for (int i = 0; i < 4; ++i) {
        file += testsupport::raw({0xFF, 0xFB, 0x90, 0x64}) + std::string(413, '\x11');
    }
    std::string tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, title.size(), title);
    tag[127] = static_cast<char>(17);
    return file + tag;
}

// ReadFile with the name as the program holds it: decoded by the path codec.
com::VARIANT_BOOL readByCodec(orvane::_cMP3File* file, const std::string& bytes) {
    const com::Bstr name(platform::decodePathBytes(bytes));
    com::BSTR argument = name.get();
    com::VARIANT_BOOL result = 7;
    EXPECT_EQ(file->ReadFile(&argument, &result), com::S_OK);
    return result;
}

TEST_F(OrvaneMP3Test, NamesThatAreNotUtf8ReachTheirOwnFile) {
    // Two names that a lossy decoding would both read as "caf\uFFFD.mp3", and stray bytes.
    const struct {
        std::string name;
        std::u16string title;
    } cases[] = {
        {"caf\xE9.mp3", u"Latin One"},
        {"caf\xEF\xBF\xBD.mp3", u"Replacement"},
        {"\xFF\xFE\xC0\xAF.mp3", u"Stray Bytes"},
    };
    for (const auto& c : cases) {
        write(c.name, taggedFile(std::string(c.title.begin(), c.title.end())));
    }
    const auto file = createFile();
    ASSERT_TRUE(file);
    for (const auto& c : cases) {
        const std::string path = files.file(c.name);
        ASSERT_EQ(readByCodec(file.get(), path), com::VARIANT_TRUE) << c.name;
        EXPECT_EQ(text(file.get(), &orvane::_cMP3File::get_FileName),
                  platform::decodePathBytes(path));
        EXPECT_EQ(flag(file.get(), &orvane::_cMP3File::get_HasMPEG), com::VARIANT_TRUE);
        const auto tags = child(file.get(), &orvane::_cMP3File::get_ID3Tags);
        ASSERT_TRUE(tags) << c.name;
        EXPECT_EQ(text(tags.get(), &orvane::_cID3Tags::get_Title), c.title) << c.name;
    }
    EXPECT_EQ(readByCodec(file.get(), files.file("caf\xE8.mp3")), com::VARIANT_FALSE);
}

}  // namespace
