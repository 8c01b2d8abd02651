#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>

#include <cstdlib>

#include "engine/log.h"
#include "engine/numbers.h"

namespace {

// ---- numberNormalize ----

struct NormalizeCase {
    const char* label;
    QString text;
    int width;
    QString expected;
};

class NumberNormalizeTable : public testing::TestWithParam<NormalizeCase> {};

TEST_P(NumberNormalizeTable, RewritesEveryDigitRun) {
    const NormalizeCase& c = GetParam();
    engine::setErrorsLogged(false);
    EXPECT_EQ(engine::numberNormalize(c.text, c.width), c.expected) << c.label;
    EXPECT_FALSE(engine::errorsLogged()) << c.label;
}

// clang-format off
const NormalizeCase kNormalizeCases[] = {
    {"leading zeros are cut to the width",     "photo-0001", 3,      "photo-001"},
    {"every run is padded",                    "Track 7 of 12", 3,   "Track 007 of 012"},
    {"runs of zeros shrink to the width",      "a0b00c", 1,          "a0b0c"},
    {"a longer run is never cut",              "file 123", 2,        "file 123"},
    {"width 0 drops the runs, not the blanks", "2004 - 07", 0,       " - "},
    {"a run of zeros only with width 2",       "x000y", 2,           "x00y"},
    {"a run of zeros only with width 0",       "x000y", 0,           "xy"},
    {"the size sort key",                      "1536", 11,           "00000001536"},
    {"a run at the very start and end",        "7x8", 2,             "07x08"},
    {"blanks are trimmed at both ends",        "  12 a  ", 3,        "012 a"},
    {"only the space is a blank",              "\t12\t", 3,          "\t012\t"},
    {"blanks only give the empty text",        "   ", 3,             ""},
    {"empty text",                             "", 3,                ""},
    {"no digits: unchanged",                   "readme.txt", 4,      "readme.txt"},
    {"only ASCII digits form runs",            "a\u0663\uFF15", 3,   "a\u0663\uFF15"},
    {"letters around runs keep their case",    "IMG_0042.JPG", 5,    "IMG_00042.JPG"},
    {"other characters split runs",            "1.5-2", 2,           "01.05-02"},
    {"surrogate pairs pass unchanged",         "\U0001F600 9", 2,    "\U0001F600 09"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Engine, NumberNormalizeTable, testing::ValuesIn(kNormalizeCases));

class NumbersLogTest : public testing::Test {
protected:
    void SetUp() override { engine::setErrorsLogged(false); }
    QString errors() const {
        QFile file(QDir(QString::fromLocal8Bit(std::getenv("QUENZA_PROGRAM_DIR")))
                       .filePath(QStringLiteral("errors.txt")));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }
};

TEST_F(NumbersLogTest, ABadWidthIsLoggedAndTheTrimmedTextComesBack) {
    const struct {
        int width;
        const char* line;
    } cases[] = {
        {-1, "Error 5 (Invalid procedure call or argument) Number Normalize: a 01 @ -1"},
        {32768, "Error 6 (Overflow) Number Normalize: a 01 @ 32768"},
    };
    for (const auto& c : cases) {
        engine::setErrorsLogged(false);
        EXPECT_EQ(engine::numberNormalize(QStringLiteral(" a 01 "), c.width), QString("a 01"));
        EXPECT_TRUE(engine::errorsLogged()) << c.width;
        EXPECT_TRUE(errors().contains(QLatin1String(c.line))) << c.width;
    }
    // The widest 16-bit width still works.
    engine::setErrorsLogged(false);
    EXPECT_EQ(engine::numberNormalize(QStringLiteral("5"), 32767).size(), 32767);
    EXPECT_FALSE(engine::errorsLogged());
}

// ---- enumFilename ----

engine::EnumOptions enumOptions(const QString& format, const QString& start = "1",
                                const QString& step = "1", const QString& zeros = "3",
                                bool autoZeros = false) {
    engine::EnumOptions options;
    options.format = format;
    options.start = start;
    options.step = step;
    options.zeros = zeros;
    options.autoZeros = autoZeros;
    return options;
}

struct EnumCase {
    const char* label;
    engine::EnumOptions options;
    QString name;
    qint64 index;
    QString expected;
    qint64 rows = 0;
    qint64 selected = 0;
    bool onlySelected = false;
};

class EnumFilenameTable : public testing::TestWithParam<EnumCase> {};

TEST_P(EnumFilenameTable, ExpandsThePattern) {
    const EnumCase& c = GetParam();
    const platform::Result<QString> result =
        engine::enumFilename(c.name, c.index, c.options, c.rows, c.selected, c.onlySelected);
    ASSERT_TRUE(result.ok()) << c.label << ": " << result.reason();
    EXPECT_EQ(*result, c.expected) << c.label;
}

const QString kPattern = QStringLiteral("<NAME>-<ENUM>.<EXT>");

// clang-format off
const EnumCase kEnumCases[] = {
    {"the worked example",                  enumOptions(kPattern), "holiday.jpg", 4, "holiday-004.jpg"},
    {"tokens match in any case",            enumOptions("Photo <enum>"), "holiday.jpg", 4, "Photo 004"},
    {"mixed-case tokens",                   enumOptions("<Name>.<eXt>"), "a.b", 1, "a.b"},
    {"full name token",                     enumOptions("<ENUM> <FULLNAME>"), "a.tar.gz", 2, "002 a.tar.gz"},
    {"split at the last dot",               enumOptions("<NAME>|<EXT>"), "a.tar.gz", 1, "a.tar|gz"},
    {"no extension gives a trailing dot",   enumOptions("<NAME>.<EXT>"), "README", 1, "README."},
    {"a leading dot is all extension",      enumOptions("[<NAME>][<EXT>]"), ".profile", 1, "[][.profile]"},
    {"a trailing dot: empty extension",     enumOptions("[<NAME>][<EXT>]"), "file.", 1, "[file][]"},
    {"adjacent tokens both expand",         enumOptions("<NAME><ENUM>"), "a.txt", 5, "a005"},
    {"unknown tokens stay as typed",        enumOptions("<SIZE> <ENUM>"), "a.txt", 1, "<SIZE> 001"},
    {"a token cut short stays literal",     enumOptions("x<NAM"), "a.txt", 1, "x<NAM"},
    {"a lone < stays literal",              enumOptions("<<ENUM>>"), "a.txt", 1, "<001>"},
    {"inserted text is not expanded again", enumOptions("<NAME>"), "<ENUM>.txt", 1, "<ENUM>"},
    {"start and step",                      enumOptions("<ENUM>", "10", "5", "3"), "a", 3, "020"},
    {"a longer number is never cut",        enumOptions("<ENUM>", "1234", "1", "2"), "a", 1, "1234"},
    {"zero width drops the number",         enumOptions("n<ENUM>", "1", "1", "0"), "a", 1, "n"},
    {"no token: the pattern alone",         enumOptions("fixed"), "a.txt", 9, "fixed"},
    {"a negative start keeps its sign",     enumOptions("<ENUM>", "-5", "1", "3"), "a", 1, "-005"},
    {"a fractional start rounds to even",   enumOptions("<ENUM>", "2.5", "1", "1"), "a", 1, "2"},
    // The automatic width: the fewest digits d with rows * step + start <= 10^d.
    {"auto: 9 rows, top 10, 1 digit",       enumOptions("<ENUM>", "1", "1", "3", true), "a", 1, "1", 9},
    {"auto: 10 rows, top 11, 2 digits",     enumOptions("<ENUM>", "1", "1", "3", true), "a", 1, "01", 10},
    {"auto counts top, not the last number", enumOptions("<ENUM>", "2", "3", "3", true), "a", 1, "02", 3},
    {"auto counts the selection in force",  enumOptions("<ENUM>", "1", "1", "3", true), "a", 1, "1", 500, 3, true},
    {"auto ignores the selection otherwise", enumOptions("<ENUM>", "1", "1", "3", true), "a", 1, "001", 500, 3, false},
    {"auto with no rows still 1 digit",     enumOptions("<ENUM>", "1", "1", "3", true), "a", 1, "1", 0},
    {"auto ignores the zeros box",          enumOptions("<ENUM>", "1", "1", "", true), "a", 1, "001", 200},
    // A nine-digit start with a six-digit step passes 32 bits.
    {"64-bit number",                       enumOptions("<ENUM>", "999999999", "999999", "3"), "a", 5000, "5998995000"},
    {"64-bit automatic width",              enumOptions("<ENUM>", "999999999", "999999", "3", true), "a", 1, "0999999999", 5000},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Engine, EnumFilenameTable, testing::ValuesIn(kEnumCases));

TEST(EnumFilename, AnEmptyPatternGivesTheEmptyText) {
    const auto result = engine::enumFilename("a.txt", 1, enumOptions(""), 10, 0, false);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(*result, QString());
    // Even with boxes that would fail the arithmetic.
    EXPECT_TRUE(engine::enumFilename("a.txt", 1, enumOptions("", "", ""), 10, 0, false).ok());
}

TEST(EnumFilename, TheSameIndexGivesTheSameName) {
    const engine::EnumOptions options = enumOptions(kPattern);
    const auto first = engine::enumFilename("x.png", 7, options, 0, 0, false);
    const auto again = engine::enumFilename("x.png", 7, options, 0, 0, false);
    ASSERT_TRUE(first.ok() && again.ok());
    EXPECT_EQ(*first, *again);
}

TEST(EnumFilename, BoxesWithoutANumberOrTooLargeFailWithALogLine) {
    const struct {
        const char* label;
        engine::EnumOptions options;
        qint64 index;
        const char* reason;
    } cases[] = {
        {"empty start", enumOptions("<ENUM>", "", "1"), 1,
         "Error 13 (Type mismatch) Enum Filename: "},
        {"blank step", enumOptions("<ENUM>", "1", "  "), 1, "Error 13 (Type mismatch) "},
        {"empty zeros", enumOptions("<ENUM>", "1", "1", ""), 1, "Error 13 (Type mismatch) "},
        {"start beyond 64 bits", enumOptions("<ENUM>", "1e30"), 1, "Error 6 (Overflow) "},
        {"number beyond 64 bits", enumOptions("<ENUM>", "1", "9e18"), 3, "Error 6 (Overflow) "},
        {"auto width beyond 64 bits", enumOptions("<ENUM>", "1", "9e18", "3", true), 1,
         "Error 6 (Overflow) "},
    };
    for (const auto& c : cases) {
        engine::setErrorsLogged(false);
        const auto result = engine::enumFilename("a.txt", c.index, c.options, 5, 0, false);
        ASSERT_FALSE(result.ok()) << c.label;
        EXPECT_EQ(result.reason().rfind(c.reason, 0), 0u) << c.label << ": " << result.reason();
        // The caller decides what to do with it: nothing is logged here.
        EXPECT_FALSE(engine::errorsLogged()) << c.label;
    }
}

}  // namespace
