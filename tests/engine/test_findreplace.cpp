#include <gtest/gtest.h>

#include <QLocale>
#include <QString>

#include "engine/caseconvert.h"
#include "engine/findreplace.h"
#include "engine/log.h"

namespace {

using namespace Qt::Literals::StringLiterals;

struct Case {
    const char* label;
    QString source, find, replace;
    int caseSensitive, swapMode, start, count;
    QString expected;
};

class FindReplaceTable : public testing::TestWithParam<Case> {};

TEST_P(FindReplaceTable, GivesExpectedText) {
    const Case& c = GetParam();
    EXPECT_EQ(engine::findReplace(c.source, c.find, c.replace, c.caseSensitive, c.swapMode, c.start,
                                  c.count),
              c.expected)
        << c.label;
}

// clang-format off
const Case kCases[] = {
    {"empty find gives empty text",            "abc", "", "x", 1, 0, 0, 0, ""},
    {"empty source gives empty text",          "", "a", "x", 1, 0, 0, 0, ""},
    {"no match returns source",                "abc", "z", "x", 1, 0, 0, 0, "abc"},
    {"replaces every match",                   "a-a-a", "a", "b", 1, 0, 0, 0, "b-b-b"},
    {"count limits replacements",              "a-a-a", "a", "b", 1, 0, 0, 1, "b-a-a"},
    {"start skips leading characters",         "abcabc", "a", "x", 1, 0, 3, 0, "abcxbc"},
    {"match straddling start is not found",    "xabc", "ab", "Z", 1, 0, 2, 0, "xabc"},
    {"start at length returns source",         "abc", "c", "x", 1, 0, 3, 0, "abc"},
    {"start beyond length returns source",     "abc", "a", "x", 1, 0, 50, 0, "abc"},
    {"matches never overlap",                  "aaaa", "aa", "a", 1, 0, 0, 0, "aa"},
    {"inserted text is not searched again",    "ab", "a", "aa", 1, 0, 0, 0, "aab"},
    {"empty replacement deletes",              "a.b.c", ".", "", 1, 0, 0, 0, "abc"},
    {"case-insensitive matches any case",      "FOO Foo foo", "foo", "x", 0, 0, 0, 0, "x x x"},
    {"case-sensitive matches exact case only", "FOO Foo foo", "foo", "x", 1, 0, 0, 0, "FOO Foo x"},
    {"unmatched characters keep their case",   "AbCdE", "cd", "-", 0, 0, 0, 0, "Ab-E"},
    {"non-ASCII letters fold too",             "ÄRGER ärger", "ä", "ae", 0, 0, 0, 0, "aeRGER aerger"},
    {"any nonzero flag is case-sensitive",     "Foo", "foo", "x", 5, 0, 0, 0, "Foo"},
    {"swap exchanges both texts as typed",     "Beta_Alpha", "alpha", "Beta", 0, 1, 0, 0, "alpha_Beta"},
    {"swap with count 1 per pass",             "a b a b", "a", "b", 1, 1, 0, 1, "b a a b"},
    {"swap with empty replacement deletes",    "xax", "a", "", 1, 1, 0, 0, "xx"},
    {"swap keeps an asterisk in the source",   "a*b", "a", "b", 1, 1, 0, 0, "b*a"},
    {"swap of texts holding asterisks",        "*x*y", "*x", "y", 1, 1, 0, 0, "y**x"},
    {"swap respects start",                    "abab", "a", "b", 1, 1, 2, 0, "abba"},
    {"start counts an emoji as one character", u"\U0001F600a"_qs, "a", "A", 1, 0, 1, 0, u"\U0001F600A"_qs},
    {"start past an emoji's two units",        u"\U0001F600a"_qs, "a", "A", 1, 0, 2, 0, u"\U0001F600a"_qs},
    {"start of 1 skips a whole emoji",         u"\U0001F600\U0001F600"_qs, u"\U0001F600"_qs, "x", 1, 0, 1, 0, u"\U0001F600x"_qs},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Engine, FindReplaceTable, testing::ValuesIn(kCases));

TEST(FindReplace, OutOfRangeNumbersAreTrappedAndLogged) {
    struct {
        int start, count;
    } const bad[] = {{-1, 0}, {32767, 0}, {0, -1}};
    for (const auto& b : bad) {
        engine::setErrorsLogged(false);
        EXPECT_EQ(engine::findReplace("abc", "a", "x", 1, 0, b.start, b.count), QString());
        EXPECT_TRUE(engine::errorsLogged()) << b.start << " " << b.count;
    }
    // The largest start the option boxes can reach still works.
    engine::setErrorsLogged(false);
    EXPECT_EQ(engine::findReplace("abc", "a", "x", 1, 0, 32766, 0), QString("abc"));
    EXPECT_FALSE(engine::errorsLogged());
}

TEST(FindReplace, AFailureIsReportedApartFromAnEmptyResult) {
    bool failed = false;
    EXPECT_EQ(engine::findReplace("abc", "a", "x", 1, 0, -1, 0, &failed), QString());
    EXPECT_TRUE(failed);
    // Replacing the whole text by nothing is a result, not a failure.
    EXPECT_EQ(engine::findReplace("abc", "abc", "", 1, 0, 0, 0, &failed), QString());
    EXPECT_FALSE(failed);
}

// Ignoring case follows the user's locale, as case conversion does: in Turkish "i" is the
// small form of "İ", and "I" that of "ı".
TEST(FindReplace, IgnoringCaseFollowsTheLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    EXPECT_EQ(engine::findReplace(u"İstanbul"_qs, "istanbul", "x", 0, 0, 0, 0), "x");
    EXPECT_EQ(engine::findReplace("ISTANBUL", "istanbul", "x", 0, 0, 0, 0), "ISTANBUL");
    EXPECT_EQ(engine::findReplace(u"ırmak"_qs, "IRMAK", "x", 0, 0, 0, 0), "x");
    EXPECT_TRUE(engine::equalIgnoringCase(u"İzmir"_qs, "izmir"));
    QLocale::setDefault(saved);
    EXPECT_EQ(engine::findReplace("ISTANBUL", "istanbul", "x", 0, 0, 0, 0), "x");
    EXPECT_FALSE(engine::equalIgnoringCase(u"İzmir"_qs, "izmir"));
    EXPECT_TRUE(engine::equalIgnoringCase("Izmir", "izmir"));
}

TEST(FindReplace, OptionsSnapshotPassesEveryField) {
    engine::ReplaceOptions options;
    options.find = "A";
    options.replace = "b";
    options.caseSensitive = 0;
    options.swapMode = 0;
    options.start = 1;
    options.count = 1;
    EXPECT_EQ(engine::findReplace("aaa", options), QString("aba"));
}

}  // namespace
