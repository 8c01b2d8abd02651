#include "settings/conversions.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace settings {

namespace {

// The one grammar of "a number" in stored texts: optional sign, digits, optional "." and
// digits, at least one digit in all; blanks around it are allowed, nothing else. The decimal
// point is always "." (the store is written the same way whatever the locale). There is no
// exponent: a stored "1e3" is not a number here, so a hand-edited key never turns into a
// thousandfold value by accident.
struct NumberParts {
    bool negative = false;
    std::string whole;     // digits before the point, leading zeros removed
    std::string fraction;  // digits after the point
};

std::optional<NumberParts> splitNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    NumberParts parts;
    qsizetype i = 0;
    if (i < trimmed.size() && (trimmed[i] == u'+' || trimmed[i] == u'-')) {
        parts.negative = trimmed[i] == u'-';
        ++i;
    }
    bool anyDigit = false;
    bool afterPoint = false;
    for (; i < trimmed.size(); ++i) {
        const char16_t c = trimmed[i].unicode();
        if (c >= u'0' && c <= u'9') {
            anyDigit = true;
            std::string& target = afterPoint ? parts.fraction : parts.whole;
            if (afterPoint || !target.empty() || c != u'0') {
                target.push_back(static_cast<char>(c));
            }
        } else if (c == u'.' && !afterPoint) {
            afterPoint = true;
        } else {
            return std::nullopt;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    return parts;
}

// Rounds the decimal exactly as written (no binary detour), halves to even, and checks the
// range. Digits beyond what any 32-bit value needs are an overflow without further arithmetic.
std::optional<qint64> roundedWhole(const QString& text, qint64 low, qint64 high) {
    const std::optional<NumberParts> parts = splitNumber(text);
    if (!parts || parts->whole.size() > 12) {
        return std::nullopt;
    }
    qint64 magnitude = 0;
    for (const char digit : parts->whole) {
        magnitude = magnitude * 10 + (digit - '0');
    }
    if (!parts->fraction.empty()) {
        const char first = parts->fraction.front();
        const bool restNonZero = parts->fraction.find_first_not_of('0', 1) != std::string::npos;
        if (first > '5' || (first == '5' && (restNonZero || magnitude % 2 == 1))) {
            ++magnitude;
        }
    }
    const qint64 value = parts->negative ? -magnitude : magnitude;
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<qint16> toInt16(const QString& text) {
    const auto value =
        roundedWhole(text, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max());
    if (!value) {
        return std::nullopt;
    }
    return static_cast<qint16>(*value);
}

std::optional<qint32> toInt32(const QString& text) {
    const auto value =
        roundedWhole(text, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    if (!value) {
        return std::nullopt;
    }
    return static_cast<qint32>(*value);
}

std::optional<double> toNumber(const QString& text) {
    const std::optional<NumberParts> parts = splitNumber(text);
    if (!parts) {
        return std::nullopt;
    }
    const std::string digits = (parts->whole.empty() ? std::string("0") : parts->whole) + '.' +
                               (parts->fraction.empty() ? std::string("0") : parts->fraction);
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                              std::chars_format::fixed);
    if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return parts->negative ? -value : value;
}

std::optional<bool> toBoolean(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(u"True", Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (trimmed.compare(u"False", Qt::CaseInsensitive) == 0) {
        return false;
    }
    const std::optional<double> number = toNumber(trimmed);
    if (!number) {
        return std::nullopt;
    }
    return *number != 0.0;
}

QString booleanText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

qint16 clampToInt16(long long value) {
    if (value < std::numeric_limits<qint16>::min()) {
        return std::numeric_limits<qint16>::min();
    }
    if (value > std::numeric_limits<qint16>::max()) {
        return std::numeric_limits<qint16>::max();
    }
    return static_cast<qint16>(value);
}

}  // namespace settings
