#include <gtest/gtest.h>

#include <QLocale>
#include <QString>
#include <QStringList>

#include <ostream>

#include "engine/caseconvert.h"

namespace {

struct Case {
    const char* label;
    QString name;
    int case1, case2;
    bool exceptionsOn;
    QStringList exceptions;
    QString expected;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.label;
}

class CaseConvertTable : public testing::TestWithParam<Case> {};

TEST_P(CaseConvertTable, GivesExpectedName) {
    const Case& c = GetParam();
    engine::RandomSource unused(1);
    EXPECT_EQ(engine::convertCase(c.name, {c.case1, c.case2, c.exceptionsOn}, c.exceptions, unused),
              c.expected)
        << c.label;
}

const QStringList kDvdMcCartney{"DVD", "McCartney"};
const QStringList kDvd{"DVD"};

// clang-format off
const Case kCases[] = {
    // Splitting at the last dot.
    {"empty name gives empty text",             "", 1, 1, true, kDvd, ""},
    {"name part and extension apart",           "photo.JPG", 1, 2, false, {}, "PHOTO.jpg"},
    {"leading dot: all extension",              ".profile", 1, 1, false, {}, ".PROFILE"},
    {"double dot keeps the inner dot",          "a..b", 1, 1, false, {}, "A..B"},
    {"trailing dot is dropped",                 "file.", 1, 0, false, {}, "FILE"},
    {"trailing dot dropped even with no change","file.", 0, 0, false, {}, "file"},
    {"of two trailing dots one goes",           "file..", 0, 0, false, {}, "file."},
    {"no dot: all name part",                   "readme", 0, 1, false, {}, "readme"},
    {"directory split like a file",             "Trip.to rome", 1, 0, false, {}, "TRIP.to rome"},
    {"digits after the dot are the extension",  "Holiday.2004", 2, 1, false, {}, "holiday.2004"},
    {"modes 3-6 leave empty name part alone",   ".txt", 4, 0, false, {}, ".txt"},
    {"extension modes leave empty ext alone",   "name", 0, 3, false, {}, "name"},
    // Upper and lower case keep every character's length and place.
    {"upper keeps sharp s",                     "straße.txt", 1, 1, false, {}, "STRAßE.TXT"},
    {"lower of umlauts",                        "ÄÖÜ ABC", 2, 0, false, {}, "äöü abc"},
    {"dotted capital I keeps its form",         "İZMİR", 2, 0, false, {}, "İzmİr"},
    {"a surrogate pair maps as one character",  "\U00010400ABC.\U00010428", 2, 1, false, {},
                                                 "\U00010428abc.\U00010400"},
    // Capitalize sentences: only the very first character.
    {"sentences on several words",              "HELLO WORLD.TXT", 3, 0, false, {}, "Hello world.TXT"},
    {"sentences with a leading digit",          "1ST TRY", 3, 0, false, {}, "1st try"},
    // Capitalize words.
    {"words lowers the rest",                   "HELLO WORLD", 4, 0, false, {}, "Hello World"},
    {"blank apostrophe starts a word",          "rock 'n roll", 4, 0, false, {}, "Rock 'N Roll"},
    {"apostrophe inside a word does not",       "don't stop", 4, 0, false, {}, "Don't Stop"},
    {"blank grave and blank acute",             "say `hi ´there", 4, 0, false, {}, "Say `Hi ´There"},
    {"leading starter capitalizes next",        "_intro", 4, 0, false, {}, "_Intro"},
    {"leading digit is no starter",             "1st place", 4, 0, false, {}, "1st Place"},
    {"every starter character",                 "a(b)c[d]e-f_h,i!j{k}l;m n", 4, 0, false, {},
                                                 "A(B)C[D]E-F_H,I!J{K}L;M N"},
    {"dot inside the name part starts a word",  "x.y.TXT", 4, 2, false, {}, "X.Y.txt"},
    // Invert.
    {"invert swaps case, digits stay",          "aBc-1.TxT", 5, 4, false, {}, "AbC-1.tXt"},
    {"invert of caseless sharp s",              "ßa", 5, 0, false, {}, "ßA"},
    {"extension capitalize",                    "x.JPEG", 0, 3, false, {}, "x.Jpeg"},
    // Exceptions.
    {"worked example",                          "paul mccartney - live (dvd).AVI", 4, 2, true,
                                                 kDvdMcCartney, "Paul McCartney - Live (DVD).avi"},
    {"no right boundary inside a longer word",  "the dvdrip.txt", 4, 2, true, kDvdMcCartney,
                                                 "The Dvdrip.txt"},
    {"no left boundary inside a longer word",   "mydvd", 0, 0, true, kDvd, "mydvd"},
    {"a one-word list applies",                 "my dvd", 0, 0, true, kDvd, "my DVD"},
    {"no change still re-spells",               "MCCARTNEY.txt", 0, 0, true, kDvdMcCartney,
                                                 "McCartney.txt"},
    {"exceptions off re-spell nothing",         "my dvd", 0, 0, false, kDvd, "my dvd"},
    {"empty list form re-spells nothing",       "my dvd", 0, 0, true, {""}, "my dvd"},
    {"empty entries are skipped",               "my dvd", 0, 0, true, {"", "DVD"}, "my DVD"},
    {"apostrophe after the word",               "the dvd's.txt", 0, 0, true, kDvd, "the DVD's.txt"},
    {"apostrophe before the word",              "'dvd'", 0, 0, true, kDvd, "'DVD'"},
    {"word at the end of the name part",        "best of dvd.mkv", 0, 0, true, kDvd,
                                                 "best of DVD.mkv"},
    {"comma ends a word in the name part",      "dvd,cd", 0, 0, true, {"DVD", "CD"}, "DVD,cd"},
    {"comma does not end one in the extension", "x.dvd,mp4", 0, 0, true, kDvd, "x.dvd,mp4"},
    {"exception in the extension",              "movie.divx", 0, 1, true, {"DivX"}, "movie.DivX"},
    {"whole extension from its first character","a.dvd", 0, 0, true, kDvd, "a.DVD"},
    {"word longer than the part",               "dv.d", 0, 0, true, kDvd, "dv.d"},
    {"every occurrence is re-spelled",          "dvd-dvd_dvd", 0, 0, true, kDvd, "DVD-DVD_DVD"},
    {"later word wins where words overlap",     "x a-b x", 0, 0, true, {"A-B", "a-B"}, "x a-B x"},
    {"exception after upper case",              "paul mccartney", 1, 0, true, kDvdMcCartney,
                                                 "PAUL McCartney"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Engine, CaseConvertTable, testing::ValuesIn(kCases));

// The random modes: a seed fixes the result, every character keeps its letter, and both cases
// turn up.
TEST(CaseConvertRandom, SeedFixesResultAndOnlyCaseChanges) {
    const QString name = QString("abcdefghijklmnopqrstuvwxyz0123-_ ").repeated(8);
    engine::RandomSource first(42);
    engine::RandomSource second(42);
    const QString once = engine::convertCase(name, {6, 0, false}, {}, first);
    EXPECT_EQ(engine::convertCase(name, {6, 0, false}, {}, second), once);
    EXPECT_EQ(once.size(), name.size());
    EXPECT_EQ(once.toLower(), name);
    EXPECT_NE(once, name);
    EXPECT_NE(once, name.toUpper());
    // Over 208 letters each case should be close to half; far outside means a biased coin.
    int upper = 0;
    for (const QChar c : once) {
        upper += c.isUpper() ? 1 : 0;
    }
    EXPECT_GT(upper, 70);
    EXPECT_LT(upper, 138);
}

TEST(CaseConvertRandom, ExtensionReadsTheCoinTheOtherWayRound) {
    // ".xxx" has an empty name part, so the extension gets the first tosses of the seed just
    // as the name part of "xxx" does.
    const QString letters = QString("abcdefghij").repeated(4);
    engine::RandomSource forName(7);
    engine::RandomSource forExtension(7);
    const QString name = engine::convertCase(letters, {6, 0, false}, {}, forName);
    const QString extension =
        engine::convertCase(QLatin1Char('.') + letters, {0, 5, false}, {}, forExtension);
    ASSERT_EQ(extension.size(), name.size() + 1);
    for (qsizetype i = 0; i < name.size(); ++i) {
        EXPECT_NE(name.at(i).isUpper(), extension.at(i + 1).isUpper()) << i;
    }
}

TEST(CaseConvertRandom, ProgramSourceCanBeSeeded) {
    engine::caseRandom().seed(99);
    engine::RandomSource same(99);
    const QString name = QString("random names").repeated(3);
    EXPECT_EQ(engine::convertCase(name, {6, 0, false}, {}),
              engine::convertCase(name, {6, 0, false}, {}, same));
}

// The user's locale decides, one character at a time: in Turkish the dotted and dotless i
// are two letters.
TEST(CaseConvertLocale, FollowsTheLocaleAndKeepsLength) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    EXPECT_EQ(engine::convertCase("istanbul.txt", {1, 1, false}, {}), "İSTANBUL.TXT");
    EXPECT_EQ(engine::convertCase("IRMAK İZMİR", {2, 0, false}, {}), "ırmak izmir");
    QLocale::setDefault(saved);
    EXPECT_EQ(engine::upperKeepingLength("istanbul ß"), "ISTANBUL ß");
}

}  // namespace
