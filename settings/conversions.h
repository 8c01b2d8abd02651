// How stored texts become values: the conversions every settings key, list field and input
// repair uses.
#pragma once

#include <QString>

#include <optional>

namespace settings {

// The whole text, blanks around it aside, must be one number (optional sign, digits, optional
// decimal fraction); it is rounded to the nearest integer, halves to even. Empty texts,
// texts that are not a number as a whole and values outside the range give nothing.
std::optional<qint16> toInt16(const QString& text);
std::optional<qint32> toInt32(const QString& text);

// "True"/"False" (any letter case) or a number as a whole (non-zero is true); else nothing.
std::optional<bool> toBoolean(const QString& text);
QString booleanText(bool value);  // "True" or "False"

// A number as a whole (blanks around it allowed, fraction allowed, no rounding), for the
// comparisons of option keys; nothing when the text is not a number.
std::optional<double> toNumber(const QString& text);

// Clamps to the 16-bit range, for values that are stored as 16-bit integers.
qint16 clampToInt16(long long value);

}  // namespace settings
