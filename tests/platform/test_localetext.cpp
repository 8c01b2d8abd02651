#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <cmath>
#include <limits>

#include "platform/localetext.h"

namespace {

using platform::dateTimeText;
using platform::longTimeText;
using platform::numberText;
using platform::roundHalfEven;
using platform::shortDateText;
using platform::vbVal;

// Makes `locale` the default for one scope and restores the one before.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(saved_); }
    DefaultLocale(const DefaultLocale&) = delete;
    DefaultLocale& operator=(const DefaultLocale&) = delete;

private:
    QLocale saved_;
};

const QLocale kGerman(QLocale::German, QLocale::Germany);

const QDate kDate(2024, 3, 7);

TEST(DateTimeText, ShortDateBlankLongTimeWithoutZone) {
    const QDateTime afternoon(kDate, QTime(17, 4, 9));
    EXPECT_EQ(dateTimeText(afternoon), "3/7/24 5:04:09 PM");
    EXPECT_EQ(dateTimeText(QDateTime(kDate, QTime(17, 4, 9), Qt::UTC)), "3/7/24 5:04:09 PM");
    EXPECT_EQ(shortDateText(kDate), "3/7/24");
    EXPECT_EQ(longTimeText(QTime(17, 4, 9)), "5:04:09 PM");
    EXPECT_EQ(longTimeText(QTime(9, 5, 0, 999)), "9:05:00 AM") << "milliseconds are not shown";

    const DefaultLocale german(kGerman);
    EXPECT_EQ(dateTimeText(afternoon), "07.03.24 17:04:09");
    EXPECT_EQ(shortDateText(kDate), "07.03.24");
    EXPECT_EQ(longTimeText(QTime(17, 4, 9)), "17:04:09");
}

TEST(DateTimeText, DateStandsAloneAtMidnight) {
    EXPECT_EQ(dateTimeText(QDateTime(kDate, QTime(0, 0))), "3/7/24");
    // The texts show whole seconds: a time that would read 00:00:00 counts as midnight.
    EXPECT_EQ(dateTimeText(QDateTime(kDate, QTime(0, 0, 0, 500))), "3/7/24");
    EXPECT_EQ(dateTimeText(QDateTime(kDate, QTime(0, 0, 1))), "3/7/24 12:00:01 AM");
    EXPECT_EQ(dateTimeText(QDateTime(kDate, QTime(12, 0))), "3/7/24 12:00:00 PM");

    const DefaultLocale german(kGerman);
    EXPECT_EQ(dateTimeText(QDateTime(kDate, QTime(0, 0))), "07.03.24");
}

TEST(DateTimeText, InvalidValuesGiveEmptyText) {
    EXPECT_EQ(dateTimeText(QDateTime()), "");
    EXPECT_EQ(shortDateText(QDate()), "");
    EXPECT_EQ(longTimeText(QTime()), "");
}

TEST(DateTimeText, ZoneIsDroppedWhereverTheLocalePutsIt) {
    // Zone at the end, at the start, after a comma, in round and square brackets, after a
    // quoted literal (whose full stop stays).
    const struct {
        const char* locale;
        const char16_t* expected;
    } cases[] = {
        {"en_GB", u"17:04:09"},   {"zh_CN", u"17:04:09"},           {"nus_SS", u"5:04:09 TŊ"},
        {"be_BY", u"17:04:09"},   {"sq_AL", u"5:04:09 E PASDITES"}, {"eu_ES", u"17:04:09"},
        {"fa_IR", u"۱۷:۰۴:۰۹"},   {"zh_HK", u"下午5:04:09"},        {"bg_BG", u"17:04:09 ч."},
        {"fr_CH", u"17.04:09 h"}, {"ja_JP", u"17時04分09秒"},       {"ko_KR", u"오후 5시 4분 9초"},
    };
    for (const auto& c : cases) {
        const DefaultLocale pinned{QLocale(QString::fromLatin1(c.locale))};
        EXPECT_EQ(longTimeText(QTime(17, 4, 9)), QString::fromUtf16(c.expected)) << c.locale;
    }
}

TEST(DateTimeText, NoLocaleShowsAZone) {
    const QTime time(17, 4, 9);
    const auto all =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_GT(all.size(), 100);
    for (const QLocale& locale : all) {
        const DefaultLocale pinned(locale);
        // What the zone field gives on this machine, e.g. "UTC" or "CET".
        const QString zone = locale.toString(time, QStringLiteral("t"));
        const QString text = longTimeText(time);
        ASSERT_FALSE(zone.isEmpty());
        EXPECT_FALSE(text.isEmpty()) << locale.name().toStdString();
        EXPECT_FALSE(text.contains(zone))
            << locale.name().toStdString() << ": " << text.toStdString();
        EXPECT_EQ(text, text.trimmed()) << locale.name().toStdString();
        EXPECT_FALSE(text.endsWith(u'(') || text.endsWith(u'[') || text.startsWith(u')'))
            << locale.name().toStdString() << ": " << text.toStdString();
    }
}

TEST(RoundHalfEven, WholeNumbers) {
    const struct {
        double value, expected;
    } cases[] = {
        {2.5, 2},   {3.5, 4},   {0.5, 0},       {1.5, 2},
        {-2.5, -2}, {-3.5, -4}, {2.4999999, 2}, {2.500001, 3},
        {-2.6, -3}, {7, 7},     {1e300, 1e300}, {4503599627370497.0, 4503599627370497.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(roundHalfEven(c.value), c.expected) << c.value;
    }
    EXPECT_FALSE(std::signbit(roundHalfEven(-0.5))) << "no negative zero";
    EXPECT_TRUE(std::isnan(roundHalfEven(std::nan(""))));
}

TEST(BoxNumber, LeadingNumberRoundedIntoTheCallersBounds) {
    const struct {
        const char* text;
        qint64 low, high, expected;
    } cases[] = {
        {"12", 0, 999, 12},
        {"12abc", 0, 999, 12},   // the leading number, as Val reads it
        {"abc", 5, 999, 5},      // no number: 0, then the bounds
        {"", -32768, 32767, 0},  // an empty box holds 0
        {"2.5", 0, 999, 2},      // halves to even
        {"3.5", 0, 999, 4},
        {"-7", 0, 32767, 0},  // below: the lower bound
        {"-7", -32768, 32767, -7},
        {"40000", -32768, 32767, 32767},  // above: the upper bound
        {"1e300", std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
         std::numeric_limits<int>::max()},
        {"-1e300", std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
         std::numeric_limits<int>::min()},
        {"1e300", std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(),
         std::numeric_limits<qint64>::max()},
        {"&HFF", 16, 256, 255},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::boxNumber(QString::fromUtf8(c.text), c.low, c.high), c.expected)
            << c.text << " in " << c.low << ".." << c.high;
    }
}

TEST(RoundHalfEven, DecimalPlacesRoundTheValueAsWritten) {
    // 2.675, 1.005 and friends are stored a hair below their decimal; the half still counts.
    const struct {
        double value;
        int decimals;
        double expected;
    } cases[] = {
        {2.675, 2, 2.68},
        {2.665, 2, 2.66},
        {1.005, 2, 1.0},
        {1.015, 2, 1.02},
        {0.125, 2, 0.12},
        {0.375, 2, 0.38},
        {-2.675, 2, -2.68},
        {-0.125, 2, -0.12},
        {9.995, 2, 10.0},
        {0.15, 1, 0.2},
        {0.05, 1, 0.0},
        {0.051, 1, 0.1},
        {0.0049, 2, 0.0},
        {0.1 + 0.2, 1, 0.3},
        {1234.5, 0, 1234},
        {1235.5, 0, 1236},
        {15, -1, 20},
        {25, -1, 20},
        {123.456, 10, 123.456},
        {1e-20, 2, 0.0},
        {1e300, 2, 1e300},
        {2.5, 0, 2},
        {0.6, 0, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(roundHalfEven(c.value, c.decimals), c.expected)
            << c.value << " to " << c.decimals << " decimals";
    }
    EXPECT_FALSE(std::signbit(roundHalfEven(-0.001, 2))) << "no negative zero";
}

TEST(VbVal, ReadsTheLeadingNumber) {
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {"12abc", 12},
        {"-3.5x", -3.5},
        {".5", 0.5},
        {"1.2.3", 1.2},
        {"  12", 12},
        {"\t\n12", 12},
        {"1 2 3", 123},
        {"- 3", -3},
        {"+5", 5},
        {"007", 7},
        {"1e3", 1000},
        {"1D2", 100},
        {"1d-2", 0.01},
        {"1E+2", 100},
        {"2.5E 2", 250},
        {"1e", 1},
        {"1e+", 1},
        {"1ex", 1},
        {"-", 0},
        {".", 0},
        {"-.", 0},
        {"1,5", 1},
        {"\r12", 0},
        {"1_000", 1},
        {"-0", 0},
        {"1e400", 0},
        {"1e-400", 0},
        {"&H1F", 31},
        {"&h1f", 31},
        {"&O17", 15},
        {"&o17", 15},
        {"&HFFFF", -1},
        {"&H8000", -32768},
        {"&H7FFF", 32767},
        {"&H10000", 65536},
        {"&HFFFFFFFF", -1},
        {"&H80000000", -2147483648.0},
        {"&H123456789", 0x12345678},
        {"&O177777", -1},
        {"&O8", 0},
        {"&H", 0},
        {"&HG", 0},
        {"&", 0},
        {"&X1", 0},
        {" &H1F zz", 31},
        {"&H1 F", 31},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(vbVal(QString::fromLatin1(c.text)), c.expected) << '"' << c.text << '"';
    }
    EXPECT_FALSE(std::signbit(vbVal("-0")));
    EXPECT_EQ(vbVal(QStringLiteral("١٢")), 0) << "only ASCII digits count";
}

TEST(VbVal, DecimalPointIgnoresTheLocale) {
    const DefaultLocale german(kGerman);
    EXPECT_EQ(vbVal("1.5"), 1.5);
    EXPECT_EQ(vbVal("1,5"), 1);
}

TEST(NumberText, WholeAndFractionalValues) {
    const struct {
        double value;
        const char* expected;
    } cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {1234567, "1234567"},
        {-5, "-5"},
        {1e15, "1000000000000000"},
        {9999999999999998, "9999999999999998"},
        {0.1 + 0.2, "0.3"},
        {2.0 / 3, "0.666666666666667"},
        {-2.0 / 3, "-0.666666666666667"},
        {1.5, "1.5"},
        {1234567.891, "1234567.891"},
        {0.001, "0.001"},
        {0.9999999999999999, "1"},
        {0.1234567890123456, "0.123456789012346"},
        {1e-15, "0.000000000000001"},
        // Far outside everyday magnitudes the exponent form takes over.
        {1e16, "1E+16"},
        {1e20, "1E+20"},
        {-1.5e20, "-1.5E+20"},
        {123456789012345678.0, "1.23456789012346E+17"},
        {1e300, "1E+300"},
        {1e-20, "1E-20"},
        {-1.25e-20, "-1.25E-20"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(numberText(c.value), c.expected) << c.value;
    }
}

TEST(NumberText, UsesTheLocaleDecimalSeparator) {
    const DefaultLocale german(kGerman);
    EXPECT_EQ(numberText(1.5), "1,5");
    EXPECT_EQ(numberText(1234567.25), "1234567,25");
    EXPECT_EQ(numberText(-1.25e-20), "-1,25E-20");
    EXPECT_EQ(numberText(-5), "-5");
}

}  // namespace
