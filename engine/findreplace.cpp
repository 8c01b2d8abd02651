#include "engine/findreplace.h"

#include <limits>
#include <new>

#include "engine/caseconvert.h"
#include "engine/characters.h"
#include "engine/log.h"

namespace engine {

namespace {

// Largest `start` whose successor (the first searched position) still fits the 16-bit
// range the option boxes were designed around.
constexpr int kLargestStart = std::numeric_limits<qint16>::max() - 1;

// One replacement pass: the first `start` characters are copied, then the rest is scanned
// left to right for `find`; each match becomes `with` and the scan goes on after it. Without
// case sensitivity both texts are compared in the locale's upper case, which keeps every
// character where it was, so a match covers exactly as many characters as `find` has.
QString replacePass(const QString& text, const QString& find, const QString& with, int start,
                    int limit, bool caseSensitive) {
    const qsizetype first = unitsOfCharacters(text, start);
    if (first >= text.size() || find.isEmpty()) {
        return text;
    }
    const QString key = caseSensitive ? text : upperKeepingLength(text);
    const QString findKey = caseSensitive ? find : upperKeepingLength(find);
    QString result = text.left(first);
    result.reserve(text.size());
    int made = 0;
    qsizetype pos = first;
    while (pos < text.size()) {
        if ((limit == 0 || made < limit) &&
            QStringView(key).mid(pos).startsWith(findKey, Qt::CaseSensitive)) {
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
                    int caseSensitive, int swapMode, int start, int count, bool* failed) {
    if (failed) {
        *failed = false;
    }
    if (source.isEmpty() || find.isEmpty()) {
        return QString();
    }
    const auto fail = [&](const ErrorInfo& error) {
        logFailure(error, failureContext(source, find, replace, caseSensitive, swapMode));
        if (failed) {
            *failed = true;
        }
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

QString findReplace(const QString& source, const ReplaceOptions& options, bool* failed) {
    return findReplace(source, options.find, options.replace, options.caseSensitive,
                       options.swapMode, options.start, options.count, failed);
}

}  // namespace engine
