#include "platform/localetext.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <system_error>

namespace platform {

namespace {

// What ties a time-zone field to its neighbours: blanks, invisible marks (the Arabic locales put
// right-to-left marks between fields), dashes, commas, and the bracket that opens before the
// field or closes after it. A full stop is not among them: after a literal it ends an
// abbreviation ("'ch'. t").
bool isZoneSeparator(QChar ch, QChar::Category bracket) {
    const auto category = ch.category();
    return category == bracket || category == QChar::Other_Format ||
           category == QChar::Punctuation_Dash || ch.isSpace() || ch == u',' || ch == u';' ||
           ch == u'\u060C' || ch == u'\uFF0C';
}

// Qt's long time formats end (or, in some locales, begin) with a time-zone field; the general
// date-time text has none. Removes every run of 't' outside quoted literals together with the
// separators that tie it to the rest: the ones before it, and where the field begins or ends
// the format (as in "t HH:mm:ss" or "HH:mm:ss (t)") the ones after it too.
QString withoutTimeZone(const QString& format) {
    QString result = format;
    qsizetype i = 0;
    while (i < result.size()) {
        if (result[i] == u'\'') {
            // A quoted literal; '' inside it is a quote character.
            ++i;
            while (i < result.size()) {
                if (result[i] == u'\'') {
                    if (i + 1 < result.size() && result[i + 1] == u'\'') {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
            continue;
        }
        if (result[i] != u't') {
            ++i;
            continue;
        }
        qsizetype fieldEnd = i;
        while (fieldEnd < result.size() && result[fieldEnd] == u't') {
            ++fieldEnd;
        }
        qsizetype before = i;
        while (before > 0 && isZoneSeparator(result[before - 1], QChar::Punctuation_Open)) {
            --before;
        }
        qsizetype after = fieldEnd;
        while (after < result.size() && isZoneSeparator(result[after], QChar::Punctuation_Close)) {
            ++after;
        }
        if (before == 0 || after == result.size()) {
            result.remove(before, after - before);
        } else {
            result.remove(before, fieldEnd - before);
        }
        i = before;
    }
    return result.trimmed();
}

// The decimal digits of a finite, non-zero magnitude rounded to 15 significant digits, and
// the power of ten of the first: value = 0.d1d2...d15 * 10^point. Locale-free, unlike printf.
struct Digits {
    std::string digits;  // exactly 15
    int point = 0;
};

Digits fifteenDigits(double magnitude) {
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14);
    const std::string text(buffer, written.ptr);  // d.dddddddddddddde[+-]xx
    const auto e = text.find('e');
    Digits result;
    result.digits = text.substr(0, 1) + text.substr(2, e - 2);
    result.point = std::atoi(text.c_str() + e + 1) + 1;
    return result;
}

// `text` is digits and an exponent only, so strtod's locale-dependent decimal point plays no
// part; an overflow gives an infinity like any other overflowing double arithmetic.
double parseDecimal(const std::string& text) {
    return std::strtod(text.c_str(), nullptr);
}

}  // namespace

QString shortDateText(const QDate& date) {
    if (!date.isValid()) {
        return {};
    }
    return QLocale().toString(date, QLocale::ShortFormat);
}

QString longTimeFormat(const QLocale& locale) {
    return withoutTimeZone(locale.timeFormat(QLocale::LongFormat));
}

QString longTimeText(const QTime& time) {
    if (!time.isValid()) {
        return {};
    }
    const QLocale locale;
    return locale.toString(time, longTimeFormat(locale));
}

QString dateTimeText(const QDateTime& when) {
    if (!when.isValid()) {
        return {};
    }
    const QTime time = when.time();
    // The texts show whole seconds, so "exactly midnight" is 00:00:00 whatever the
    // milliseconds: a time that would read 00:00:00 is never written out.
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0) {
        return shortDateText(when.date());
    }
    return shortDateText(when.date()) + u' ' + longTimeText(time);
}

double roundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double below = std::floor(value);
    const double fraction = value - below;  // exact for every double
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) {
        rounded = below + 1.0;
    }
    return rounded + 0.0;  // no negative zero
}

// A double rarely holds the decimal the user sees: 2.675 is stored as 2.67499999999999982...
// Rounding that binary value would give 2.67, while the user expects the half of 2.675 to go
// to the even 8. So the value is first taken as its 15 significant digits (the precision a
// double reliably carries, and what numberText shows), and that decimal string is rounded,
// halves to even; the result is the double nearest to the rounded decimal.
double roundHalfEven(double value, int decimals) {
    if (!std::isfinite(value) || value == 0.0) {
        return value + 0.0;
    }
    const Digits d = fifteenDigits(std::fabs(value));
    const long long keep = static_cast<long long>(d.point) + decimals;  // digits kept
    if (keep >= 15) {
        return value;
    }
    if (keep < 0) {
        // The first digit lies more than one place below the last kept one: below one half.
        return 0.0;
    }
    std::string kept = d.digits.substr(0, static_cast<std::size_t>(keep));
    const char first = d.digits[static_cast<std::size_t>(keep)];
    const bool restNonZero =
        d.digits.find_first_not_of('0', static_cast<std::size_t>(keep) + 1) != std::string::npos;
    const bool lastOdd = !kept.empty() && (kept.back() - '0') % 2 == 1;
    if (first > '5' || (first == '5' && (restNonZero || lastOdd))) {
        // Add one to the kept digits.
        auto pos = kept.size();
        while (pos > 0 && kept[pos - 1] == '9') {
            kept[--pos] = '0';
        }
        if (pos == 0) {
            kept.insert(kept.begin(), '1');
        } else {
            ++kept[pos - 1];
        }
    }
    if (kept.empty()) {
        return 0.0;
    }
    const double magnitude = parseDecimal(kept + 'e' + std::to_string(-decimals));
    return (value < 0 ? -magnitude : magnitude) + 0.0;
}

namespace {

bool isValBlank(QChar ch) {
    return ch == u' ' || ch == u'\t' || ch == u'\n';
}

int digitValue(QChar ch, int base) {
    const char16_t c = ch.unicode();
    int digit = -1;
    if (c >= u'0' && c <= u'9') {
        digit = c - u'0';
    } else if (c >= u'a' && c <= u'f') {
        digit = c - u'a' + 10;
    } else if (c >= u'A' && c <= u'F') {
        digit = c - u'A' + 10;
    }
    return digit < base ? digit : -1;
}

// "&H" / "&O" numbers: 16-bit signed while the value fits in 16 bits, else 32-bit signed.
// A digit that would carry the value past 32 bits does not fit, so reading stops before it.
double radixVal(const QString& text, qsizetype pos, int base) {
    std::uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        if (isValBlank(text[pos])) {
            continue;
        }
        const int digit = digitValue(text[pos], base);
        if (digit < 0) {
            break;
        }
        const std::uint64_t next =
            value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (next > 0xFFFFFFFFu) {
            break;
        }
        value = next;
    }
    if (value <= 0xFFFFu) {
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

// A number too large for a double gives 0 rather than an infinity: BASIC stops with an
// overflow there, and an infinity would only spread into names and counters.
double vbVal(const QString& text) {
    qsizetype pos = 0;
    const auto skipBlanks = [&] {
        while (pos < text.size() && isValBlank(text[pos])) {
            ++pos;
        }
    };
    const auto peek = [&]() -> char16_t {
        skipBlanks();
        return pos < text.size() ? text[pos].unicode() : u'\0';
    };
    const auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };

    if (peek() == u'&' && pos + 1 < text.size()) {
        const char16_t prefix = text[pos + 1].unicode();
        if (prefix == u'H' || prefix == u'h') {
            return radixVal(text, pos + 2, 16);
        }
        if (prefix == u'O' || prefix == u'o') {
            return radixVal(text, pos + 2, 8);
        }
        return 0;
    }

    std::string number;
    const char16_t sign = peek();
    if (sign == u'-' || sign == u'+') {
        if (sign == u'-') {
            number += '-';
        }
        ++pos;
    }
    bool anyDigit = false;
    bool seenPoint = false;
    for (char16_t c = peek(); isDigit(c) || (c == u'.' && !seenPoint); c = peek()) {
        if (c == u'.') {
            seenPoint = true;
        } else {
            anyDigit = true;
        }
        number += static_cast<char>(c);
        ++pos;
    }
    if (!anyDigit) {
        return 0;
    }
    const char16_t marker = peek();
    if (marker == u'E' || marker == u'e' || marker == u'D' || marker == u'd') {
        ++pos;
        std::string exponent = "e";
        const char16_t exponentSign = peek();
        if (exponentSign == u'-' || exponentSign == u'+') {
            exponent += static_cast<char>(exponentSign);
            ++pos;
        }
        bool anyExponentDigit = false;
        for (char16_t c = peek(); isDigit(c); c = peek()) {
            anyExponentDigit = true;
            exponent += static_cast<char>(c);
            ++pos;
        }
        if (anyExponentDigit) {
            number += exponent;
        }
    }
    double value = 0;
    const auto parsed = std::from_chars(number.data(), number.data() + number.size(), value);
    if (parsed.ec != std::errc()) {
        return 0;  // out of range: too large, or too small to be anything but zero
    }
    return value + 0.0;
}

qint64 boxNumber(const QString& text, qint64 low, qint64 high) {
    const double value = roundHalfEven(vbVal(text));
    if (!(value > static_cast<double>(low))) {
        return low;  // also a value that is no number at all
    }
    if (value >= static_cast<double>(high)) {
        return high;
    }
    return static_cast<qint64>(value);
}

QString numberText(double value) {
    if (std::isnan(value)) {
        return QStringLiteral("NaN");
    }
    if (std::isinf(value)) {
        return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    }
    if (value == 0.0) {
        return QStringLiteral("0");
    }
    // Whole values up to 16 digits are exact in an integer and shown in full.
    if (value == std::trunc(value) && std::fabs(value) < 1e16) {
        return QString::number(static_cast<long long>(value));
    }
    Digits d = fifteenDigits(std::fabs(value));
    d.digits.erase(d.digits.find_last_not_of('0') + 1);
    QString text;
    if (value < 0) {
        text += u'-';
    }
    const QString separator = QLocale().decimalPoint();
    const int count = static_cast<int>(d.digits.size());
    if (d.point > 16 || d.point < -14) {
        // Far outside everyday magnitudes: mantissa and exponent, the way BASIC prints them.
        text += QLatin1Char(d.digits[0]);
        if (count > 1) {
            text += separator + QString::fromLatin1(d.digits.substr(1));
        }
        const int exponent = d.point - 1;
        text += exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
        text += QString::number(std::abs(exponent));
        return text;
    }
    if (d.point <= 0) {
        text += QStringLiteral("0") + separator + QString(-d.point, u'0') +
                QString::fromLatin1(d.digits);
    } else if (d.point >= count) {
        text += QString::fromLatin1(d.digits) + QString(d.point - count, u'0');
    } else {
        const auto whole = static_cast<std::size_t>(d.point);
        text += QString::fromLatin1(d.digits.substr(0, whole)) + separator +
                QString::fromLatin1(d.digits.substr(whole));
    }
    return text;
}

}  // namespace platform
