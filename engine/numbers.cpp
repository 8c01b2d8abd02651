#include "engine/numbers.h"

#include <QStringView>

#include <algorithm>
#include <limits>
#include <new>

#include "engine/blanks.h"
#include "engine/log.h"
#include "engine/namescope.h"
#include "engine/tokens.h"
#include "platform/localetext.h"

namespace engine {

namespace {

// Widths are 16-bit, as the option boxes were designed around; a wider run of zeros would make
// a name no file system takes anyway.
constexpr int kLargestWidth = std::numeric_limits<qint16>::max();

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Appends the digit run `run` to `out` at the asked width (width > 0) or drops it (width 0).
void appendRun(QString& out, QStringView run, int width) {
    if (width == 0) {
        return;
    }
    qsizetype firstSignificant = 0;
    while (firstSignificant < run.size() && run.at(firstSignificant) == u'0') {
        ++firstSignificant;
    }
    const QStringView digits = run.mid(firstSignificant);
    if (digits.size() < width) {
        out.append(QString(width - digits.size(), u'0'));
    }
    out.append(digits);
}

// The whole number an option box holds: its leading number, rounded with halves to even. An
// empty box (the user is still typing) holds no number at all.
const ErrorInfo* readWholeNumber(const QString& text, qint64& value) {
    if (text.trimmed().isEmpty()) {
        return &kTypeMismatch;
    }
    const double rounded = platform::roundHalfEven(platform::vbVal(text));
    // 2^63 is exact as a double; every double below it converts without overflow.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(rounded >= -kLimit && rounded < kLimit)) {
        return &kOverflow;
    }
    value = static_cast<qint64>(rounded);
    return nullptr;
}

// The fewest digits d >= 1 with top <= 10^d.
int autoWidth(qint64 top) {
    int digits = 1;
    qint64 limit = 10;
    while (top > limit) {
        ++digits;
        if (limit > std::numeric_limits<qint64>::max() / 10) {
            break;  // top cannot exceed 10^19
        }
        limit *= 10;
    }
    return digits;
}

}  // namespace

// What one numbered item gives the Enum tab's tokens.
struct EnumValues {
    const QString& base;       // the name before its last "."
    const QString& extension;  // after it
    const QString& name;
    const QString& number;  // the item's number, padded
};

namespace {

// Each row: the token, the picker's caption, how it expands; in the picker's order.
constexpr EnumToken kEnumTokens[] = {
    {"<ENUM>", "Enumeration",
     [](EnumValues& item) -> std::optional<QString> { return item.number; }, TokenRole::Value},
    {"<NAME>", "Current Filename",
     [](EnumValues& item) -> std::optional<QString> { return item.base; }, TokenRole::Value},
    {"<EXT>", "Current File Extension",
     [](EnumValues& item) -> std::optional<QString> { return item.extension; }, TokenRole::Value},
    {"<FULLNAME>", "Curr. Full Name",
     [](EnumValues& item) -> std::optional<QString> { return item.name; }, TokenRole::Value},
};

}  // namespace

std::span<const EnumToken> enumTokens() {
    return kEnumTokens;
}

QString numberNormalize(const QString& text, int width, bool* failed) {
    if (failed) {
        *failed = false;
    }
    if (text.isEmpty()) {
        return QString();
    }
    const QString trimmed = engine::trimBlanks(text);
    const auto fail = [&](const ErrorInfo& error) {
        logFailure(error, QStringLiteral("Number Normalize: ") + trimmed + QStringLiteral(" @ ") +
                              QString::number(width));
        if (failed) {
            *failed = true;
        }
        return trimmed;
    };
    if (width < 0) {
        return fail(kInvalidArgument);
    }
    if (width > kLargestWidth) {
        return fail(kOverflow);
    }
    try {
        QString result;
        result.reserve(trimmed.size());
        qsizetype runStart = -1;
        for (qsizetype i = 0; i < trimmed.size(); ++i) {
            const QChar c = trimmed.at(i);
            if (isDigit(c)) {
                if (runStart < 0) {
                    runStart = i;
                }
                continue;
            }
            if (runStart >= 0) {
                appendRun(result, QStringView(trimmed).mid(runStart, i - runStart), width);
                runStart = -1;
            }
            result.append(c);
        }
        if (runStart >= 0) {
            appendRun(result, QStringView(trimmed).mid(runStart), width);
        }
        return result;
    } catch (const std::bad_alloc&) {
        return fail(kOutOfMemory);
    }
}

platform::Result<QString> enumFilename(const QString& name, qint64 index,
                                       const EnumOptions& options, qint64 rowCount,
                                       qint64 selectedCount, bool onlySelectedInForce) {
    const QString& pattern = options.format;
    if (pattern.isEmpty()) {
        return QString();
    }
    const auto fail = [&](const ErrorInfo& error) {
        const QString context = QStringLiteral("Enum Filename: ") + name + QStringLiteral(" @ ") +
                                QString::number(index) + QStringLiteral(" START=") + options.start +
                                QStringLiteral(" STEP=") + options.step +
                                QStringLiteral(" ZEROS=") + options.zeros;
        return platform::Status::failure(errorLine(error, context).toStdString());
    };

    // As the Format tab's <NAME> and <EXT>: a leading only dot makes the name all extension.
    const NameParts parts = splitExtension(name, LeadingDot::IsExtension);
    const QString& base = parts.name;
    const QString& extension = parts.extension;

    qint64 start = 0;
    qint64 step = 0;
    if (const ErrorInfo* error = readWholeNumber(options.start, start)) {
        return fail(*error);
    }
    if (const ErrorInfo* error = readWholeNumber(options.step, step)) {
        return fail(*error);
    }
    qint64 number = 0;
    if (__builtin_sub_overflow(index, 1, &number) ||
        __builtin_mul_overflow(number, step, &number) ||
        __builtin_add_overflow(number, start, &number)) {
        return fail(kOverflow);
    }

    int width = 0;
    if (options.autoZeros) {
        const qint64 count = onlySelectedInForce ? selectedCount : rowCount;
        qint64 top = 0;
        if (__builtin_mul_overflow(count, step, &top) || __builtin_add_overflow(top, start, &top)) {
            return fail(kOverflow);
        }
        width = autoWidth(top);
    } else {
        qint64 zeros = 0;
        if (const ErrorInfo* error = readWholeNumber(options.zeros, zeros)) {
            return fail(*error);
        }
        // Out-of-range widths reach numberNormalize, which reports them.
        width = static_cast<int>(std::clamp<qint64>(zeros, std::numeric_limits<int>::min(),
                                                    std::numeric_limits<int>::max()));
    }
    const QString numberText = numberNormalize(QString::number(number), width);

    EnumValues values{base, extension, name, numberText};
    QString result;
    result.reserve(pattern.size() + name.size());
    const QStringView view(pattern);
    qsizetype i = 0;
    while (i < view.size()) {
        bool expanded = false;
        if (view.at(i) == u'<') {
            const QStringView rest = view.mid(i);
            for (const EnumToken& token : kEnumTokens) {
                const QLatin1StringView text(token.token);
                if (rest.startsWith(text, Qt::CaseInsensitive)) {
                    result.append(*token.expand(values));
                    i += text.size();
                    expanded = true;
                    break;
                }
            }
        }
        if (!expanded) {
            result.append(view.at(i));
            ++i;
        }
    }
    return result;
}

}  // namespace engine
