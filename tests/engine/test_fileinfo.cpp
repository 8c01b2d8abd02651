#include <gtest/gtest.h>

#include <QString>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "engine/fileinfo.h"
#include "tests/support/tempdir.h"

namespace {

class FileInfoTest : public testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("QUENZA_PROGRAM_DIR");
        saved_ = old ? old : "";
        setenv("QUENZA_PROGRAM_DIR", program_.path().c_str(), 1);
        inputs_.formatFilenameSelected = true;
    }
    void TearDown() override { setenv("QUENZA_PROGRAM_DIR", saved_.c_str(), 1); }

    QString folder() const { return QString::fromStdString(dir_.path() + "/"); }

    testsupport::TempDir dir_;
    testsupport::TempDir program_;
    std::string saved_;
    engine::FileInfoInputs inputs_;
};

TEST_F(FileInfoTest, NameExtensionSizeAndParent) {
    const struct {
        const char* item;
        const char* name;
        const char* ext;
    } cases[] = {
        {"report.final.pdf", "report.final", "pdf"},
        {"README", "README", ""},
        {".profile", "", ".profile"},
        {"notes.", "notes", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        dir_.write(c.item, "12345");
        engine::FileInfo record;
        ASSERT_TRUE(engine::getFileInfo(c.item, folder(), record, inputs_));
        EXPECT_EQ(record.key, c.item);
        EXPECT_EQ(record.fullName, c.item);
        EXPECT_EQ(record.name, c.name);
        EXPECT_EQ(record.ext, c.ext);
        EXPECT_EQ(record.size, 5);
        EXPECT_EQ(record.parent, QString::fromStdString(dir_.path()).section(u'/', -1));
    }
    // Without the trailing "/" the folder is the same; an item in the root has no parent.
    engine::FileInfo record;
    ASSERT_TRUE(
        engine::getFileInfo("README", QString::fromStdString(dir_.path()), record, inputs_));
    engine::FileInfo root;
    ASSERT_TRUE(engine::getFileInfo("tmp", "/", root, inputs_));
    EXPECT_EQ(root.parent, "");
}

TEST_F(FileInfoTest, TheRecordAnswersAgainAndAMissingItemIsLookedForAgain) {
    const std::string path = dir_.write("once.txt", "x");
    engine::FileInfo record;
    ASSERT_TRUE(engine::getFileInfo("once.txt", folder(), record, inputs_));
    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_TRUE(engine::getFileInfo("once.txt", folder(), record, inputs_));
    EXPECT_EQ(record.size, 1);

    engine::FileInfo missing;
    EXPECT_FALSE(engine::getFileInfo("later.txt", folder(), missing, inputs_));
    EXPECT_EQ(missing.key, "");
    EXPECT_EQ(missing.size, 0);
    dir_.write("later.txt", "abc");
    EXPECT_TRUE(engine::getFileInfo("later.txt", folder(), missing, inputs_));
    EXPECT_EQ(missing.size, 3);
}

TEST_F(FileInfoTest, NamesThatAreNotUtf8) {
    dir_.write("caf\xe9.txt", "1234");
    engine::FileInfo record;
    // The program's one decoding of names: the undecodable byte survives the round trip.
    const QString decoded = QString::fromUtf16(u"caf\xDCE9.txt");
    ASSERT_TRUE(engine::getFileInfo(decoded, folder(), record, inputs_));
    EXPECT_EQ(record.size, 4);
    EXPECT_EQ(record.name, QString::fromUtf16(u"caf\xDCE9"));
}

TEST_F(FileInfoTest, DefinePartsCutsTheOldName) {
    const struct {
        const char* source;
        const char* parts;
        const char* pattern;  // the naming pattern; it must use a part the parts pattern has
        const char* part1;
        const char* part2;
    } cases[] = {
        {"Artist - Title", "<%1> - <%2>", "<%1><%2>", "Artist", "Title"},
        {"Song (Live)", "<%1> (<%2>)", "<%1><%2>", "Song", "Live"},
        {"Track 05", "Track <%1>", "<%1>", "05", ""},
        {"Demo 05", "Track <%1>", "<%1>", "", ""},
        {"a-b-c", "<%1>-<%2>", "<%1><%2>", "a", "b-c"},
        {"abc", "<%1><%2>", "<%1><%2>", "", "abc"},
        {"track 05", "Track <%1>", "<%1>", "", ""},
        // Square brackets in the name stand where "<" and ">" were.
        {"x[y]z", "x<y><%1>", "<%1>", "z", ""},
        // Only square brackets: no part token in angle brackets, nothing is cut.
        {"a_b", "[%1]_[%2]", "<%1><%2>", "", ""},
        // One in angle brackets is enough, and then both are cut.
        {"a_b", "[%1]_<%2>", "<%2>", "a", "b"},
        // A part the naming pattern does not use cuts nothing.
        {"Artist - Title", "<%1> - <%2>", "<NAME>", "", ""},
    };
    engine::ScopeOptions nameOnly;
    nameOnly.processFileExt = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " / " + c.parts);
        const std::string item = std::string(c.source) + ".mp3";
        dir_.write(item);
        inputs_.partsPattern = c.parts;
        inputs_.pattern = c.pattern;
        inputs_.scope = nameOnly;
        engine::FileInfo record;
        ASSERT_TRUE(engine::getFileInfo(QString::fromStdString(item), folder(), record, inputs_));
        EXPECT_EQ(record.parts[1], c.part1);
        EXPECT_EQ(record.parts[2], c.part2);
    }
}

TEST_F(FileInfoTest, PartsComeFromTheScopedTextAndOnlyOnTheFormatOption) {
    dir_.write("photo.jpg");
    inputs_.partsPattern = "<%1>.<%2>";
    inputs_.pattern = "<%2>-<%1>";
    engine::FileInfo whole;
    ASSERT_TRUE(engine::getFileInfo("photo.jpg", folder(), whole, inputs_));
    EXPECT_EQ(whole.parts[1], "photo");
    EXPECT_EQ(whole.parts[2], "jpg");

    inputs_.formatFilenameSelected = false;
    engine::FileInfo off;
    ASSERT_TRUE(engine::getFileInfo("photo.jpg", folder(), off, inputs_));
    EXPECT_EQ(off.parts[1], "");
}

TEST(FirstLetter, PicksByMode) {
    const struct {
        const char* name;
        int mode;
        const char* letter;
    } cases[] = {
        {"123abc.txt", 0, "A"},   {"123abc.txt", 1, "1"},
        {"123abc.txt", 2, "0-9"}, {"_-.txt", 0, "T"},
        {"123.456", 0, ""},       {"abc", 3, ""},
        {"abc", -1, ""},          {"", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " mode " + std::to_string(c.mode));
        EXPECT_EQ(engine::firstLetter(QString::fromUtf8(c.name), c.mode, {}),
                  QString::fromUtf8(c.letter));
    }
    EXPECT_EQ(engine::firstLetter(QString::fromUtf8("émile"), 0, {}), QString::fromUtf8("É"));
    // Outside the Windows code page a character is neither letter nor digit.
    EXPECT_EQ(engine::firstLetter(QString::fromUtf8("Ωmega"), 0, {}), "M");
    int yields = 0;
    EXPECT_EQ(engine::firstLetter("__x", 0, [&yields] { ++yields; }), "X");
    EXPECT_EQ(yields, 2);
}

}  // namespace
