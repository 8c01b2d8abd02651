#include <gtest/gtest.h>

#include <QCollator>
#include <QLocale>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <ctime>

#include "filelists/rowtext.h"
#include "platform/filesystem.h"
#include "tests/support/tempdir.h"

namespace {

using namespace filelists;

constexpr std::uint64_t kKiB = 1024;
constexpr std::uint64_t kMiB = 1024 * kKiB;
constexpr std::uint64_t kGiB = 1024 * kMiB;

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

TEST(SizeText, ThresholdsAreStrictAndHalvesRoundToEven) {
    const struct {
        std::uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 bytes"},
        {1, "1 bytes"},
        {1024, "1024 bytes"},  // not above 1 kB
        {1025, "1 kB"},
        {1536, "2 kB"},     // 1.5 -> 2
        {2560, "2 kB"},     // 2.5 -> 2
        {3584, "4 kB"},     // 3.5 -> 4
        {kMiB, "1024 kB"},  // not above 1 MB
        {kMiB + 1, "1 MB"},
        {kMiB + kMiB / 2, "1.5 MB"},       // no trailing zero
        {kMiB + kMiB / 8, "1.12 MB"},      // 1.125 -> 1.12
        {kMiB + 3 * kMiB / 8, "1.38 MB"},  // 1.375 -> 1.38
        {kGiB, "1024 MB"},                 // not above 1 GB
        {kGiB + kGiB / 2, "1.5 GB"},
        {2 * kGiB, "2 GB"},  // the old signed 32-bit length went negative here
        {2 * kGiB + 1, "2 GB"},
        {4 * kGiB + 1, "4 GB"},  // beyond 32 bits altogether
        {150 * kGiB, "150 GB"},
        {UINT64_MAX, "17179869184 GB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sizeText(c.bytes), QString::fromLatin1(c.text)) << c.bytes;
    }
}

TEST(SizeText, UsesTheLocaleDecimalSeparator) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(sizeText(kGiB + kGiB / 2), QStringLiteral("1,5 GB"));
    EXPECT_EQ(sizeText(2 * kMiB + kMiB / 4), QStringLiteral("2,25 MB"));
    EXPECT_EQ(sizeText(1500), QStringLiteral("1 kB"));
    QLocale::setDefault(saved);
}

TEST(SizeKey, IsTwentyDigitsAndOrdersLikeTheSizes) {
    EXPECT_EQ(sizeKey(0), QStringLiteral("00000000000000000000"));
    EXPECT_EQ(sizeKey(1536), QStringLiteral("00000000000000001536"));
    EXPECT_EQ(sizeKey(5 * kGiB), QStringLiteral("00000000005368709120"));
    EXPECT_EQ(sizeKey(UINT64_MAX), QStringLiteral("18446744073709551615"));
    // Pairs across digit-count changes, the 11-digit limit of the old key included.
    const std::uint64_t pairs[][2] = {{999, 1000},
                                      {2 * kGiB - 1, 2 * kGiB},
                                      {99999999999ULL, 100000000000ULL},
                                      {UINT64_MAX - 1, UINT64_MAX}};
    for (const auto& pair : pairs) {
        EXPECT_LT(sizeKey(pair[0]), sizeKey(pair[1])) << pair[0];
        EXPECT_EQ(sizeKey(pair[0]).size(), kSizeKeyWidth);
    }
}

TEST(AttributeText, LettersInOrderRHSAWithDashesForClearBits) {
    using namespace platform::fs;
    const struct {
        std::uint32_t bits;
        const char* text;
    } cases[] = {
        {0, "[----]"},
        {Archive, "[---A]"},
        {ReadOnly | Hidden, "[RH--]"},
        {ReadOnly | Archive, "[R--A]"},
        {Hidden | System, "[-HS-]"},
        {ReadOnly | Hidden | System | Archive, "[RHSA]"},
        {Directory | Archive, "[---A]"},  // only the four bits are looked at
        {0xFFFFFFC8u, "[----]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(attributeText(c.bits), QString::fromLatin1(c.text)) << c.bits;
    }
    EXPECT_EQ(attributeLetters(ReadOnly | Archive), QStringLiteral("R--A"));
}

TEST(ExtensionText, IsThePartAfterTheLastDot) {
    const struct {
        const char* name;
        const char* ext;
    } cases[] = {
        {"archive.tar.gz", "gz"}, {".profile", "profile"}, {"name.", ""},
        {"README", ""},           {"photo.JPG", "JPG"},    {"a b.c d", "c d"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(extensionText(QString::fromLatin1(c.name)), QString::fromLatin1(c.ext)) << c.name;
    }
}

TEST(SplitPath, FolderKeepsItsSlash) {
    const PathParts file = splitPath(QStringLiteral("/home/u/docs/a.txt"));
    EXPECT_EQ(file.folder, QStringLiteral("/home/u/docs/"));
    EXPECT_EQ(file.name, QStringLiteral("a.txt"));
    const PathParts top = splitPath(QStringLiteral("/etc"));
    EXPECT_EQ(top.folder, QStringLiteral("/"));
    EXPECT_EQ(top.name, QStringLiteral("etc"));
    const PathParts bare = splitPath(QStringLiteral("name"));
    EXPECT_EQ(bare.folder, QString());
    EXPECT_EQ(bare.name, QStringLiteral("name"));
}

TEST(ChangeDateText, DateAndTimeOrDateAloneAtMidnight) {
    const QDateTime afternoon(QDate(2024, 3, 5), QTime(13, 45, 30));
    const QString text = changeDateText(afternoon);
    EXPECT_TRUE(text.startsWith(QStringLiteral("3/5/24 1:45:30"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("PM"))) << text.toStdString();
    EXPECT_EQ(changeDateText(QDateTime(QDate(2024, 3, 5), QTime(0, 0, 0))),
              QStringLiteral("3/5/24"));
}

TEST(NameOrder, IgnoresCaseAndKeepsTiesInTheirOrder) {
    const QStringList names{QStringLiteral("b.txt"), QStringLiteral("A.txt"),
                            QStringLiteral("a.TXT"), QStringLiteral("c"), QStringLiteral("B.txt")};
    // In every locale, the C and POSIX ones included, whose collation heeds case by itself.
    const QLocale saved;
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale::c(),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        const QList<qsizetype> order = nameOrder(names);
        QStringList sorted;
        for (const qsizetype i : order) {
            sorted << names.at(i);
        }
        // "A.txt" and "a.TXT" differ in case only and keep their order, both before the b's,
        // and the b's before "c".
        ASSERT_EQ(sorted.size(), 5);
        EXPECT_EQ(sorted.mid(0, 2).join(u',').toLower(), QStringLiteral("a.txt,a.txt"));
        EXPECT_EQ(sorted.mid(2, 2).join(u',').toLower(), QStringLiteral("b.txt,b.txt"));
        EXPECT_EQ(sorted.at(4), QStringLiteral("c"));
    }
    QLocale::setDefault(saved);
    EXPECT_TRUE(nameOrder({}).isEmpty());
}

TEST(NameOrder, ALongListSortsAsOneCollatorWould) {
    // Long enough that the keys are made by several threads.
    QStringList names;
    for (int i = 0; i < 20000; ++i) {
        const int n = (i * 7919) % 20000;
        names << (n % 3 == 0 ? QStringLiteral("Photo %1.JPG") : QStringLiteral("photo-%1.jpg"))
                         .arg(n) +
                     (n % 5 == 0 ? QStringLiteral("ä") : QString());
    }
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    QStringList expected = names;
    std::stable_sort(expected.begin(), expected.end(), [&](const QString& a, const QString& b) {
        return collator.compare(a.toCaseFolded(), b.toCaseFolded()) < 0;
    });
    QStringList sorted;
    for (const qsizetype i : nameOrder(names)) {
        sorted << names.at(i);
    }
    EXPECT_EQ(sorted, expected);
}

class RowTextsOnDisk : public ::testing::Test {
protected:
    testsupport::TempDir dir;

    static void setModified(const std::string& path, const QDateTime& when) {
        struct timespec modified {};
        modified.tv_sec = when.toSecsSinceEpoch();
        ASSERT_TRUE(platform::fs::setFileTimes(path, nullptr, nullptr, &modified).ok());
    }
};

TEST_F(RowTextsOnDisk, FileRowHasAllNineColumns) {
    const std::string path = dir.write("photo.JPG", std::string(1536, 'x'));
    const QDateTime when(QDate(2023, 11, 20), QTime(8, 5, 9));
    setModified(path, when);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);

    const auto texts = readRowTexts(q(path), false, true);
    ASSERT_TRUE(texts.ok()) << texts.reason();
    ASSERT_EQ(texts->size(), kAllColumnCount);
    EXPECT_EQ(texts->at(kColumnName), QStringLiteral("photo.JPG"));
    EXPECT_EQ(texts->at(kColumnPreview), QString());
    EXPECT_EQ(texts->at(kColumnFolder), q(dir.path() + "/"));
    EXPECT_EQ(texts->at(kColumnSize), QStringLiteral("2 kB"));
    EXPECT_EQ(texts->at(kColumnDate), changeDateText(when));
    EXPECT_TRUE(texts->at(kColumnDate).startsWith(QStringLiteral("11/20/23 8:05:09")));
    EXPECT_EQ(texts->at(kColumnAttrib), QStringLiteral("[R---]"));
    EXPECT_EQ(texts->at(kColumnExt), QStringLiteral("JPG"));
    EXPECT_EQ(texts->at(kColumnType), QStringLiteral("File"));
    EXPECT_EQ(texts->at(kColumnSizeKey), QStringLiteral("00000000000000001536"));
}

TEST_F(RowTextsOnDisk, DirectoryRowLeavesSizeExtensionAndKeyEmpty) {
    const std::string path = dir.mkdir("sub.d");
    const QDateTime midnight(QDate(2022, 1, 2), QTime(0, 0, 0));
    setModified(path, midnight);

    const auto texts = readRowTexts(q(path), true, true);
    ASSERT_TRUE(texts.ok()) << texts.reason();
    ASSERT_EQ(texts->size(), kAllColumnCount);
    EXPECT_EQ(texts->at(kColumnName), QStringLiteral("sub.d"));
    EXPECT_EQ(texts->at(kColumnSize), QString());
    EXPECT_EQ(texts->at(kColumnDate), QStringLiteral("1/2/22"));
    EXPECT_EQ(texts->at(kColumnAttrib), QStringLiteral("[----]"));
    EXPECT_EQ(texts->at(kColumnExt), QString());
    EXPECT_EQ(texts->at(kColumnType), QStringLiteral("Dir"));
    EXPECT_EQ(texts->at(kColumnSizeKey), QString());
}

TEST_F(RowTextsOnDisk, HiddenAndStoredAttributes) {
    const std::string dotted = dir.write(".profile", "x");
    const auto hidden = readRowTexts(q(dotted), false, true);
    ASSERT_TRUE(hidden.ok()) << hidden.reason();
    EXPECT_EQ(hidden->at(kColumnAttrib), QStringLiteral("[-H--]"));
    EXPECT_EQ(hidden->at(kColumnExt), QStringLiteral("profile"));

    const std::string stored = dir.write("flags.txt", "x");
    using namespace platform::fs;
    if (!setAttributes(stored, ReadOnly | Hidden | Archive).ok()) {
        GTEST_SKIP() << "the temporary folder keeps no extended attributes";
    }
    const auto texts = readRowTexts(q(stored), false, true);
    ASSERT_TRUE(texts.ok()) << texts.reason();
    EXPECT_EQ(texts->at(kColumnAttrib), QStringLiteral("[RH-A]"));
}

TEST_F(RowTextsOnDisk, SparseFileOfFiveGibibytes) {
    const std::string path = dir.write("big.img");
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(5 * kGiB)), 0);
    const auto texts = readRowTexts(q(path), false, true);
    ASSERT_TRUE(texts.ok()) << texts.reason();
    EXPECT_EQ(texts->at(kColumnSize), QStringLiteral("5 GB"));
    EXPECT_EQ(texts->at(kColumnSizeKey), QStringLiteral("00000000005368709120"));
}

TEST_F(RowTextsOnDisk, WithoutDetailsNothingIsRead) {
    const QString missing = q(dir.file("gone.txt"));
    const auto bare = readRowTexts(missing, false, false);
    ASSERT_TRUE(bare.ok());
    EXPECT_EQ(*bare, (QStringList{QStringLiteral("gone.txt"), QString(), q(dir.path() + "/")}));

    const auto detailed = readRowTexts(missing, false, true);
    ASSERT_FALSE(detailed.ok());
    EXPECT_NE(detailed.reason().find("gone.txt"), std::string::npos) << detailed.reason();
}

}  // namespace
