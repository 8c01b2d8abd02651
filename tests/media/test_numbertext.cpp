#include <gtest/gtest.h>

#include "media/numbertext.h"

namespace {

TEST(NumberText, WholeAndFractionalValues) {
    EXPECT_EQ(media::wholeText(0), "0");
    EXPECT_EQ(media::wholeText(-12), "-12");
    EXPECT_EQ(media::wholeText(5'000'000'000), "5000000000");
    const struct {
        double value;
        const char* separator;
        const char* text;
    } cases[] = {
        {25.0, ".", "25"}, {29.97002997002997, ".", "29.97002997003"}, {12.5, ",", "12,5"},
        {0.1, ".", "0.1"}, {1e20, ".", "100000000000000000000"},       {-3.25, ",", "-3,25"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(media::fractionText(c.value, c.separator), c.text);
    }
}

}  // namespace
