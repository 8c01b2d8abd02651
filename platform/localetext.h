// Date, time and number texts in the user's locale, and the number conversions the program's
// rules are written in terms of. Every function reads QLocale() (the default locale), so tests
// pin it with QLocale::setDefault.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace platform {

// The general date-time text: short date, one blank, long time without any time-zone part;
// at exactly midnight the date stands alone.
QString dateTimeText(const QDateTime& when);
QString shortDateText(const QDate& date);
QString longTimeText(const QTime& time);
// The format longTimeText writes with in `locale`.
QString longTimeFormat(const QLocale& locale);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);
// Rounds to `decimals` places, halves to even (on the decimal value as written).
double roundHalfEven(double value, int decimals);

// Reads the leading number of a text the way the classic BASIC Val does: leading blanks, tabs
// and line feeds skipped and blanks inside the number ignored, an optional sign, digits with
// at most one ".", an optional exponent (E or D), or a "&H" / "&O" prefix for hex and octal;
// stops at the first character that does not fit and gives 0 when there is no number. The
// decimal point is always ".", whatever the locale.
double vbVal(const QString& text);

// The number a box's text stands for, as every numeric option box is read: its leading number
// (vbVal; 0 when it has none), rounded with halves to even, held within [low, high]. Each
// caller names its own bounds, the range the value is taken into.
qint64 boxNumber(const QString& text, qint64 low, qint64 high);

// A number as text: whole values as plain digits with a leading "-" when negative, others with
// up to 15 significant digits, no grouping, no exponent for ordinary magnitudes, trailing zeros
// dropped, and the locale's decimal separator.
QString numberText(double value);

}  // namespace platform
