// Real pictures made by ImageMagick (realfiles/pictures/make_pictures.sh), read through
// getMediaProperties and compared with what identify and file(1) reported for them
// (realfiles/pictures/expected_pictures.tsv).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "media/mediaproperties.h"
#include "tests/media/tsvtable.h"

namespace {

namespace fs = std::filesystem;

using mediatests::endsWith;
using mediatests::Row;

const fs::path& folder() {
    static const fs::path path = fs::path(__FILE__).parent_path() / "realfiles" / "pictures";
    return path;
}

std::vector<Row> expectedRows() {
    return mediatests::readTsv(folder() / "expected_pictures.tsv");
}

bool isPicture(const std::string& name) {
    for (const char* ending : {".bmp", ".jpg", ".gif", ".png", ".pcx"}) {
        if (endsWith(name, ending)) {
            return true;
        }
    }
    return false;
}

TEST(RealPictures, TableCoversEveryFixture) {
    std::set<std::string> listed;
    for (const Row& row : expectedRows()) {
        listed.insert(row.at("file"));
    }
    std::set<std::string> present;
    for (const auto& entry : fs::directory_iterator(folder())) {
        const std::string name = entry.path().filename().string();
        if (isPicture(name)) {
            present.insert(name);
        }
    }
    EXPECT_EQ(listed, present);
    EXPECT_GE(listed.size(), 15u);
}

TEST(RealPictures, PropertiesMatchIdentifyAndFile) {
    const media::MediaContext context;
    for (const Row& row : expectedRows()) {
        const std::string name = row.at("file");
        SCOPED_TRACE(name);
        media::MediaProperties record;
        EXPECT_TRUE(media::getMediaProperties((folder() / name).string(), record, context));
        EXPECT_EQ(record.width, row.at("width"));
        EXPECT_EQ(record.height, row.at("height"));
        if (endsWith(name, ".jpg")) {
            EXPECT_EQ(record.depth, "24");  // every JPEG counts as 24 bits, grey ones too
        } else if (row.at("bits_per_pixel") != "-") {
            EXPECT_EQ(record.depth, row.at("bits_per_pixel"));
        } else {
            EXPECT_FALSE(record.depth.empty());
        }
        // Pictures have no play time and no sound.
        EXPECT_EQ(record.length, "");
        EXPECT_EQ(record.sound, "");
    }
}

}  // namespace
