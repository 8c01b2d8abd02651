#include "platform/folderlist.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QStringList>

#include <string>

#include "platform/filesystem.h"
#include "tests/support/tempdir.h"

namespace {

namespace fs = platform::fs;
using platform::listFolder;
using platform::wildcardMatch;
using testsupport::TempDir;

TEST(WildcardMatch, Table) {
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        // Everything
        {"", "anything.txt", true},
        {"", "", true},
        {"*", "anything.txt", true},
        {"*.*", "name.ext", true},
        {"*.*", "no-dot", true},
        {"*.*", ".hidden", true},
        // A trailing "." asks for names without an extension
        {"*.", "README", true},
        {"*.", "notes.txt", false},
        {"*.", ".hidden", false},
        {"*.", "", true},
        {"read??.", "readme", true},
        {"read??.", "readme.md", false},
        // Literal text, case folded
        {"photo.jpg", "photo.jpg", true},
        {"photo.jpg", "PHOTO.JPG", true},
        {"PHOTO.JPG", "photo.jpg", true},
        {"photo.jpg", "photo.jpeg", false},
        {"photo.jpg", "photo.jp", false},
        {"photo", "photo.jpg", false},
        {"Été.txt", "été.TXT", true},
        {"ÉTÉ*", "été 2024.txt", true},
        {"straße", "STRASSE", false},
        {"ΣΊΣΥΦΟΣ", "σίσυφος", true},
        {"Ǆ", "ǆ", true},
        // "?" takes exactly one character, a non-ASCII one and one outside the BMP included
        {"?", "a", true},
        {"?", "", false},
        {"?", "ab", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"a?c", "aéc", true},
        {"a?c", "a😀c", true},
        {"a??c", "a😀c", false},
        {"file?.txt", "file1.txt", true},
        {"file?.txt", "file10.txt", false},
        // "*" takes any run, the empty one included
        {"*.txt", "notes.txt", true},
        {"*.txt", ".txt", true},
        {"*.txt", "notes.txt.bak", false},
        {"*.TXT", "notes.txt", true},
        {"a*", "a", true},
        {"*a", "a", true},
        {"*a", "b", false},
        {"a*b*c", "abc", true},
        {"a*b*c", "a-b-c", true},
        {"a*b*c", "axxbyyczzc", true},
        {"a*b*c", "acb", false},
        {"*b*b*", "abba", true},
        {"*b*b*", "abca", false},
        {"**x**", "x", true},
        {"*?", "", false},
        {"*?", "a", true},
        {"?*?", "a", false},
        {"?*?", "ab", true},
        {"*.*.*", "a.b.c", true},
        {"*.*.*", "a.b", false},
        {"img_*_??.png", "IMG_2024_01.PNG", true},
        {"img_*_??.png", "img_2024_1.png", false},
        // Backtracking that would explode if done by plain recursion
        {"*a*a*a*a*a*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
         false},
        {"*a*a*a*a*a*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " / " + c.name);
        EXPECT_EQ(wildcardMatch(QString::fromUtf8(c.pattern), QString::fromUtf8(c.name)),
                  c.matches);
    }
}

// A folder with one entry of each kind that the mask can keep out or let in.
class ListFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.write("plain.txt", "12345");
        dir_.write("hidden.txt");
        dir_.write(".dotfile");
        dir_.write("system.bin");
        dir_.write("hidden-system.bin");
        dir_.write("read-only.txt");
        dir_.write("archive.txt");
        dir_.mkdir("folder");
        dir_.mkdir("hidden-folder");
        ASSERT_TRUE(fs::setAttributes(dir_.file("hidden.txt"), fs::Hidden).ok());
        ASSERT_TRUE(fs::setAttributes(dir_.file("system.bin"), fs::System).ok());
        ASSERT_TRUE(
            fs::setAttributes(dir_.file("hidden-system.bin"), fs::Hidden | fs::System).ok());
        ASSERT_TRUE(fs::setAttributes(dir_.file("read-only.txt"), fs::ReadOnly).ok());
        ASSERT_TRUE(fs::setAttributes(dir_.file("archive.txt"), fs::Archive).ok());
        ASSERT_TRUE(fs::setAttributes(dir_.file("hidden-folder"), fs::Hidden).ok());
    }

    QStringList list(const QString& pattern, std::uint32_t mask) const {
        const auto entries = listFolder(QString::fromStdString(dir_.path()), pattern, mask);
        EXPECT_TRUE(entries.ok()) << entries.reason();
        QStringList names;
        if (entries.ok()) {
            for (const auto& entry : entries.value()) {
                names.append(entry.name);
            }
        }
        names.sort();
        return names;
    }

    TempDir dir_;
};

TEST_F(ListFolder, MaskDecidesWhatIsListed) {
    const QStringList always = {"archive.txt", "plain.txt", "read-only.txt"};
    const struct {
        std::uint32_t mask;
        QStringList extra;
    } cases[] = {
        {0, {}},
        {fs::ReadOnly | fs::Archive, {}},
        {fs::Hidden, {".dotfile", "hidden.txt"}},
        {fs::System, {"system.bin"}},
        {fs::Hidden | fs::System, {".dotfile", "hidden-system.bin", "hidden.txt", "system.bin"}},
        {fs::Directory, {"folder"}},
        {fs::Directory | fs::Hidden, {".dotfile", "folder", "hidden-folder", "hidden.txt"}},
        {0x37,
         {".dotfile", "folder", "hidden-folder", "hidden-system.bin", "hidden.txt", "system.bin"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        QStringList expected = always + c.extra;
        expected.sort();
        EXPECT_EQ(list(QString(), c.mask), expected);
    }
}

TEST_F(ListFolder, PatternAndMaskTogether) {
    EXPECT_EQ(list("*.TXT", 0), (QStringList{"archive.txt", "plain.txt", "read-only.txt"}));
    EXPECT_EQ(list("*.txt", fs::Hidden),
              (QStringList{"archive.txt", "hidden.txt", "plain.txt", "read-only.txt"}));
    EXPECT_EQ(list("*folder", fs::Directory), QStringList{"folder"});
    EXPECT_EQ(list("*.*", 0x37).size(), 9);
    EXPECT_TRUE(list("nothing*", 0x37).isEmpty());
}

TEST_F(ListFolder, ReportsSizeAndAttributes) {
    const auto entries = listFolder(QString::fromStdString(dir_.path()), "*", 0x37);
    ASSERT_TRUE(entries.ok());
    for (const auto& entry : entries.value()) {
        SCOPED_TRACE(entry.name.toStdString());
        const auto expected = fs::attributes(dir_.file(entry.name.toStdString()));
        ASSERT_TRUE(expected.ok());
        EXPECT_EQ(entry.attributes, expected.value());
        EXPECT_EQ(entry.isDirectory(), entry.name.endsWith("folder"));
        EXPECT_EQ(entry.size, entry.name == "plain.txt" ? 5u : 0u);
    }
}

TEST(ListFolderNames, NonAsciiNamesAndFailures) {
    TempDir dir;
    dir.write("Été.txt", "summer");
    dir.write("hiver.txt", "winter");
    const auto entries = listFolder(QString::fromStdString(dir.path()), "é*", 0);
    ASSERT_TRUE(entries.ok()) << entries.reason();
    ASSERT_EQ(entries->size(), 1);
    EXPECT_EQ(entries->front().name, QString::fromUtf8("Été.txt"));
    EXPECT_EQ(entries->front().size, 6u);

    const auto missing = listFolder(QString::fromStdString(dir.file("absent")), "*", 0x37);
    EXPECT_FALSE(missing.ok());
    EXPECT_FALSE(missing.reason().empty());
}

TEST(CanListFolder, TellsAFolderFromAnythingElse) {
    testsupport::TempDir dir;
    const QString root = QString::fromStdString(dir.path()) + u'/';
    dir.write("file");
    dir.mkdir("empty");
    EXPECT_TRUE(platform::canListFolder(root));
    EXPECT_TRUE(platform::canListFolder(root + QStringLiteral("empty/")));
    EXPECT_FALSE(platform::canListFolder(root + QStringLiteral("file/")));
    EXPECT_FALSE(platform::canListFolder(root + QStringLiteral("missing/")));
}

}  // namespace
