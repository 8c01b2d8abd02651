#include <gtest/gtest.h>

#include <QString>

#include <ostream>

#include "engine/addcrop.h"

namespace {

engine::AddCropOptions add(const QString& text, const QString& position, bool fromEnd) {
    engine::AddCropOptions options;
    options.add = text;
    options.addPos = position;
    options.addFromEnd = fromEnd;
    return options;
}

engine::AddCropOptions crop(const QString& position, const QString& count, bool fromEnd) {
    engine::AddCropOptions options;
    options.crop = true;
    options.cropPos = position;
    options.cropNumber = count;
    options.cropFromEnd = fromEnd;
    return options;
}

constexpr bool kBeginning = false;
constexpr bool kEnd = true;

struct AddCropCase {
    const char* label;
    QString name;
    engine::AddCropOptions options;
    QString expected;
};

void PrintTo(const AddCropCase& c, std::ostream* out) {
    *out << c.label;
}

class AddCropTable : public testing::TestWithParam<AddCropCase> {};

TEST_P(AddCropTable, GivesExpectedName) {
    const AddCropCase& c = GetParam();
    EXPECT_EQ(engine::applyAddCrop(c.name, c.options), c.expected) << c.label;
}

// Most rows work on abcdefgh, eight characters long.
// clang-format off
const AddCropCase kAddCropCases[] = {
    {"add from the beginning",                 "abcdefgh", add("X", "3", kBeginning), "abcXdefgh"},
    {"add from the end",                       "abcdefgh", add("X", "3", kEnd), "abcdeXfgh"},
    {"add at 0 from the beginning: in front",  "abcdefgh", add("X", "0", kBeginning), "Xabcdefgh"},
    {"add at 0 from the end: appended",        "abcdefgh", add("X", "0", kEnd), "abcdefghX"},
    {"add at length from the beginning",       "abcdefgh", add("X", "8", kBeginning), "abcdefghX"},
    {"add at length from the end",             "abcdefgh", add("X", "8", kEnd), "Xabcdefgh"},
    {"add beyond length from the beginning",   "abcdefgh", add("X", "9", kBeginning), "abcdefgh"},
    {"add beyond length from the end",         "abcdefgh", add("X", "9", kEnd), "abcdefgh"},
    {"add to an empty name adds nothing",      "", add("X", "0", kBeginning), ""},
    {"empty position box counts as 0",         "abc", add("X", "", kBeginning), "Xabc"},
    {"position is the leading number",         "abcdefgh", add("-", "2 and more", kBeginning),
                                                "ab-cdefgh"},
    {"negative position counts as 0",          "abc", add("X", "-2", kEnd), "abcX"},
    {"a long text",                            "ab", add("123", "1", kBeginning), "a123b"},
    {"crop from the beginning",                "abcdefgh", crop("3", "2", kBeginning), "abcfgh"},
    {"crop from the end",                      "abcdefgh", crop("2", "3", kEnd), "abcgh"},
    {"crop from the end runs out in front",    "abcdefgh", crop("6", "5", kEnd), "cdefgh"},
    {"crop from the end, only p kept",         "abcdefgh", crop("7", "5", kEnd), "bcdefgh"},
    {"crop at 0 from the beginning",           "abcdefgh", crop("0", "2", kBeginning), "cdefgh"},
    {"crop at 0 from the end",                 "abcdefgh", crop("0", "2", kEnd), "abcdef"},
    {"crop running past the end",              "abcdefgh", crop("5", "10", kBeginning), "abcde"},
    {"crop at length from the beginning",      "abcdefgh", crop("8", "1", kBeginning), "abcdefgh"},
    {"crop at length from the end",            "abcdefgh", crop("8", "1", kEnd), "abcdefgh"},
    {"crop beyond length",                     "abcdefgh", crop("20", "1", kEnd), "abcdefgh"},
    {"count 0 removes nothing",                "abcdefgh", crop("2", "0", kBeginning), "abcdefgh"},
    {"empty count box removes nothing",        "abcdefgh", crop("2", "", kEnd), "abcdefgh"},
    {"crop of an empty name",                  "", crop("0", "3", kBeginning), ""},
    {"crop everything",                        "abc", crop("0", "3", kBeginning), ""},
    {"a surrogate pair is one character",      "a\U0001F600b", crop("1", "1", kBeginning), "ab"},
    {"an insertion never splits a pair",       "\U0001F600b", add("X", "1", kBeginning),
                                                "\U0001F600Xb"},
    {"position counted in characters from end","a\U0001F600b", add("X", "2", kEnd),
                                                "aX\U0001F600b"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Engine, AddCropTable, testing::ValuesIn(kAddCropCases));

struct SpaceCase {
    const char* label;
    QString name;
    bool leading, trailing, shrink;
    QString expected;
};

void PrintTo(const SpaceCase& c, std::ostream* out) {
    *out << c.label;
}

class SpacesTable : public testing::TestWithParam<SpaceCase> {};

TEST_P(SpacesTable, GivesExpectedName) {
    const SpaceCase& c = GetParam();
    EXPECT_EQ(engine::processSpaces(c.name, {c.leading, c.trailing, c.shrink}), c.expected)
        << c.label;
}

// clang-format off
const SpaceCase kSpaceCases[] = {
    {"all three together",                "  my   file  .txt  ", true, true, true, "my file.txt"},
    {"leading only",                      "  a  b  ", true, false, false, "a  b  "},
    {"trailing only",                     "  a  b  ", false, true, false, "  a  b"},
    {"shrink only",                       "  a   b  ", false, false, true, " a b "},
    {"none of them",                      "  a  ", false, false, false, "  a  "},
    {"trailing before the extension",     "name   .txt", false, true, false, "name.txt"},
    {"blank after the dot stays",         "file. txt", true, true, true, "file. txt"},
    {"a run after the dot only shrinks",  "file.  txt", false, true, true, "file. txt"},
    {"only the last dot splits",          "a  .b  .c  ", false, true, false, "a  .b.c"},
    {"trailing dot after blanks",         "name .  ", false, true, false, "name."},
    {"tabs are no blanks",                "\tname\t .txt\t", true, true, true, "\tname\t.txt\t"},
    {"blanks only, leading removed",      "   ", true, false, false, ""},
    {"blanks only, trailing removed",     "   ", false, true, false, ""},
    {"blanks only, shrunk",               "   ", false, false, true, " "},
    {"empty name",                        "", true, true, true, ""},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Engine, SpacesTable, testing::ValuesIn(kSpaceCases));

}  // namespace
