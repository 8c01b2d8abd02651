#include <gtest/gtest.h>

#include <QString>

#include <climits>
#include <optional>
#include <ostream>

#include "settings/conversions.h"

// Readable failure output; static, so that printers of other test files do not collide.
static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

using settings::toInt16;
using settings::toInt32;

struct WholeCase {
    const char* text;
    std::optional<qint16> expected;
};

TEST(ConversionsTest, Int16RoundsHalvesToEvenAndFailsOnAnythingButOneNumber) {
    const WholeCase cases[] = {
        {"0", 0},
        {"12", 12},
        {" 12 ", 12},
        {"\t12\t", 12},
        {"+7", 7},
        {"-7", -7},
        {"3720.5", 3720},
        {"3721.5", 3722},
        {"0.5", 0},
        {"1.5", 2},
        {"-2.5", -2},
        {"-3.5", -4},
        // Only an exact half goes to the even neighbour; digits beyond it decide.
        {"2.50000000000000000001", 3},
        {"2.4999999999999999999", 2},
        {".5", 0},
        {"5.", 5},
        {"00000000000000000000042", 42},
        {"32767", 32767},
        {"32767.4", 32767},
        {"-32768", -32768},
        {"-32768.5", -32768},
        // Out of range, also when only the rounding takes it there.
        {"32768", std::nullopt},
        {"32767.5", std::nullopt},
        {"-32769", std::nullopt},
        {"-32768.6", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        // Not one number as a whole.
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"12abc", std::nullopt},
        {"abc", std::nullopt},
        {"1 2", std::nullopt},
        {"1,5", std::nullopt},
        {"1.2.3", std::nullopt},
        {".", std::nullopt},
        {"-", std::nullopt},
        {"--1", std::nullopt},
        {"+-1", std::nullopt},
        {"&H10", std::nullopt},
        {"True", std::nullopt},
        // No exponent in a whole number.
        {"1e3", std::nullopt},
        {"1E0", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toInt16(QString::fromUtf8(c.text)), c.expected) << '"' << c.text << '"';
    }
    // Digits of other scripts are not decimal digits of a stored number.
    EXPECT_EQ(toInt16(QString::fromUtf8("\u0663")), std::nullopt);
    EXPECT_EQ(toInt16(QString::fromUtf8("\uFF11")), std::nullopt);
}

TEST(ConversionsTest, Int32HasItsOwnRange) {
    EXPECT_EQ(toInt32("128000"), 128000);
    EXPECT_EQ(toInt32("2147483647"), INT_MAX);
    EXPECT_EQ(toInt32("-2147483648"), INT_MIN);
    EXPECT_EQ(toInt32("-2147483648.5"), INT_MIN);
    EXPECT_EQ(toInt32("2147483646.5"), 2147483646);
    EXPECT_EQ(toInt32("2147483647.5"), std::nullopt);
    EXPECT_EQ(toInt32("2147483648"), std::nullopt);
    EXPECT_EQ(toInt32("-2147483649"), std::nullopt);
    EXPECT_EQ(toInt32("999999999999"), std::nullopt);
    EXPECT_EQ(toInt32("4.5e2"), std::nullopt);
    EXPECT_EQ(toInt32(""), std::nullopt);
}

TEST(ConversionsTest, NumberKeepsTheFractionAndNeedsTheWholeText) {
    EXPECT_EQ(settings::toNumber("7"), 7.0);
    EXPECT_EQ(settings::toNumber(" 1.5 "), 1.5);
    EXPECT_EQ(settings::toNumber("-0.25"), -0.25);
    EXPECT_EQ(settings::toNumber("+.5"), 0.5);
    EXPECT_EQ(settings::toNumber("1.0"), 1.0);
    EXPECT_EQ(settings::toNumber("3abc"), std::nullopt);
    EXPECT_EQ(settings::toNumber("x"), std::nullopt);
    EXPECT_EQ(settings::toNumber(""), std::nullopt);
    EXPECT_EQ(settings::toNumber("1e3"), std::nullopt);
}

TEST(ConversionsTest, BooleanTakesWordsInAnyCaseOrANumber) {
    const struct {
        const char* text;
        std::optional<bool> expected;
    } cases[] = {
        {"True", true},          {"true", true},        {"TRUE", true},     {" False ", false},
        {"fAlSe", false},        {"0", false},          {"-1", true},       {"2", true},
        {"0.4", true},           {"-0", false},         {"", std::nullopt}, {"yes", std::nullopt},
        {"Truex", std::nullopt}, {"1e0", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(settings::toBoolean(c.text), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(settings::booleanText(true), "True");
    EXPECT_EQ(settings::booleanText(false), "False");
    // What is written reads back.
    EXPECT_EQ(settings::toBoolean(settings::booleanText(true)), true);
    EXPECT_EQ(settings::toBoolean(settings::booleanText(false)), false);
}

TEST(ConversionsTest, ClampKeepsValuesWithinSixteenBits) {
    EXPECT_EQ(settings::clampToInt16(123), 123);
    EXPECT_EQ(settings::clampToInt16(-123), -123);
    EXPECT_EQ(settings::clampToInt16(32767), 32767);
    EXPECT_EQ(settings::clampToInt16(32768), 32767);
    EXPECT_EQ(settings::clampToInt16(-32768), -32768);
    EXPECT_EQ(settings::clampToInt16(-32769), -32768);
    EXPECT_EQ(settings::clampToInt16(LLONG_MAX), 32767);
    EXPECT_EQ(settings::clampToInt16(LLONG_MIN), -32768);
}

}  // namespace
