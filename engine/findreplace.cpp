#include "engine/findreplace.h"

#include <limits>
#include <new>

#include "engine/log.h"

namespace engine {

namespace {

// Largest `start` whose successor (the first searched position) still fits the 16-bit
// range the option boxes were designed around.
constexpr int kLargestStart = std::numeric_limits<qint16>::max() - 1;

bool sameChar(QChar a, QChar b, bool caseSensitive) {
    if (a == b) {
        return true;
    }
    // Folding one unit at a time keeps every character where it was, so a match always
    // covers exactly as many characters as `find` has.
    return !caseSensitive && a.toCaseFolded() == b.toCaseFolded();
}

bool matchesAt(const QString& text, qsizetype pos, const QString& find, bool caseSensitive) {
    if (pos + find.size() > text.size()) {
        return false;
    }
    for (qsizetype i = 0; i < find.size(); ++i) {
        if (!sameChar(text[pos + i], find[i], caseSensitive)) {
            return false;
        }
    }
    return true;
}

// One replacement pass: the first `start` characters are copied, then the rest is scanned
// left to right for `find`; each match becomes `with` and the scan goes on after it.
QString replacePass(const QString& text, const QString& find, const QString& with, int start,
                    int limit, bool caseSensitive) {
    if (start >= text.size() || find.isEmpty()) {
        return text;
    }
    QString result = text.left(start);
    result.reserve(text.size());
    int made = 0;
    qsizetype pos = start;
    while (pos < text.size()) {
        if ((limit == 0 || made < limit) && matchesAt(text, pos, find, caseSensitive)) {
            result += with;
            pos += find.size();
            ++made;
        } else {
            result += text[pos];
            ++pos;
        }
    }
    return result;
}

// A character that none of the texts holds, to stand for `find` while the swap is under way.
// Names on this system may hold any character, an asterisk included, so no fixed placeholder
// is safe; the private-use area offers thousands that names practically never contain.
QChar swapPlaceholder(const QString& a, const QString& b, const QString& c) {
    for (char16_t code = 0xE000; code <= 0xF8FF; ++code) {
        const QChar candidate(code);
        if (!a.contains(candidate) && !b.contains(candidate) && !c.contains(candidate)) {
            return candidate;
        }
    }
    return QChar(0xFFFF);  // a noncharacter; only reached when the texts hold the whole area
}

QString failureContext(const QString& source, const QString& find, const QString& replace,
                       int caseSensitive, int swapMode) {
    return QStringLiteral("Find & Replace: SOURCE=") + source + QStringLiteral(" FIND=") + find +
           QStringLiteral(" REPLACE: ") + replace + QStringLiteral(" CASE: ") +
           QString::number(caseSensitive) + QStringLiteral(" SWAP=") + QString::number(swapMode);
}

}  // namespace

QString findReplace(const QString& source, const QString& find, const QString& replace,
                    int caseSensitive, int swapMode, int start, int count) {
    if (source.isEmpty() || find.isEmpty()) {
        return QString();
    }
    const auto fail = [&](const ErrorInfo& error) {
        logFailure(error, failureContext(source, find, replace, caseSensitive, swapMode));
        return QString();
    };
    if (start < 0 || count < 0) {
        return fail(kInvalidArgument);
    }
    if (start > kLargestStart) {
        return fail(kOverflow);
    }
    try {
        const bool exact = caseSensitive != 0;
        if (swapMode == 0) {
            return replacePass(source, find, replace, start, count, exact);
        }
        const QString placeholder(swapPlaceholder(source, find, replace));
        QString text = replacePass(source, find, placeholder, start, count, exact);
        text = replacePass(text, replace, find, start, count, exact);
        return replacePass(text, placeholder, replace, start, count, exact);
    } catch (const std::bad_alloc&) {
        return fail(kOutOfMemory);
    }
}

QString findReplace(const QString& source, const ReplaceOptions& options) {
    return findReplace(source, options.find, options.replace, options.caseSensitive,
                       options.swapMode, options.start, options.count);
}

}  // namespace engine
