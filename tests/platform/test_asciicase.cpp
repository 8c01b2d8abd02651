// ASCII letter case for names that are ASCII by nature: only A-Z fold, every other byte and
// character stays as it is.
#include <gtest/gtest.h>

#include "platform/asciicase.h"

namespace {

TEST(AsciiCase, FoldsOnlyTheAsciiLetters) {
    EXPECT_EQ(platform::asciiLower('A'), 'a');
    EXPECT_EQ(platform::asciiLower('Z'), 'z');
    EXPECT_EQ(platform::asciiLower('a'), 'a');
    EXPECT_EQ(platform::asciiLower('@'), '@');  // just before "A"
    EXPECT_EQ(platform::asciiLower('['), '[');  // just after "Z"
    EXPECT_EQ(platform::asciiLower(static_cast<char>(0xC4)), static_cast<char>(0xC4));
    EXPECT_EQ(platform::asciiLower(char32_t{0xC4}), char32_t{0xC4});  // not Latin-1 letters
    EXPECT_EQ(platform::asciiLower(char32_t{'Q'}), char32_t{'q'});
}

TEST(AsciiCase, EqualIgnoringCaseNeedsTheSameLength) {
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"CLSID\\{ABC}", "clsid\\{abc}", true},
        {"<HTML", "<html", true},
        {"<html", "<htm", false},
        {"", "", true},
        {"a[", "A{", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::equalIgnoringAsciiCase(c.a, c.b), c.equal) << c.a << " " << c.b;
    }
}

}  // namespace
