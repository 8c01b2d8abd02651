#include "engine/caseconvert.h"

#include <QLocale>
#include <QStringView>

#include <chrono>
#include <utility>

#include "engine/namescope.h"

namespace engine {

namespace {

// Name-part modes of the first option group; the extension group has no "sentences" and
// "words", so its Capitalize, Invert and Random come one index earlier.
enum NameMode { NameUpper = 1, NameLower, NameSentences, NameWords, NameInvert, NameRandom };
enum ExtensionMode { ExtUpper = 1, ExtLower, ExtCapitalize, ExtInvert, ExtRandom };

// After one of these the next character starts a word.
constexpr QStringView kWordStarters = u" ([-._,!)]{};";
// A blank followed by one of these also starts a word after it, so "rock 'n roll" gets its N
// while "don't" keeps its t.
constexpr QStringView kQuotesAfterBlank = u"'`\u00B4";

constexpr QStringView kExceptionLeft = u" ([-._'";
constexpr QStringView kExceptionRightName = u" )]-.,_'";
// An extension never holds a list, so a comma does not end a word there.
constexpr QStringView kExceptionRightExtension = u" )]-._'";

// The number of code units of the character at `pos`: a surrogate pair is one character.
qsizetype charLength(const QString& text, qsizetype pos) {
    return text.at(pos).isHighSurrogate() && pos + 1 < text.size() &&
                   text.at(pos + 1).isLowSurrogate()
               ? 2
               : 1;
}

// Upper and lower case of single characters by the user's locale, never changing a
// character's length.
class CaseMapper {
public:
    void append(QString& out, QStringView ch, bool upper) const {
        const char16_t first = ch.at(0).unicode();
        // Every locale maps the ASCII letters alike, except the dotted and dotless i of the
        // Turkic languages; the rest need no locale look-up.
        if (ch.size() == 1 && first < 0x80 && (asciiI_ || (first != u'i' && first != u'I'))) {
            if (upper && first >= u'a' && first <= u'z') {
                out += QChar(first - u'a' + u'A');
            } else if (!upper && first >= u'A' && first <= u'Z') {
                out += QChar(first - u'A' + u'a');
            } else {
                out += ch;
            }
            return;
        }
        if (ch.size() == 1 && ch.at(0).isSurrogate()) {
            out += ch;  // half a pair: no character to map
            return;
        }
        const QString text = ch.toString();
        const QString mapped = upper ? locale_.toUpper(text) : locale_.toLower(text);
        // A mapping that grows or shrinks the character (ß to SS, İ to i and a combining dot)
        // would move every later character; such a character keeps its form.
        out += mapped.size() == ch.size() ? QStringView(mapped) : ch;
    }

    QString map(const QString& text, bool upper) const {
        QString out;
        out.reserve(text.size());
        for (qsizetype pos = 0; pos < text.size();) {
            const qsizetype length = charLength(text, pos);
            append(out, QStringView(text).mid(pos, length), upper);
            pos += length;
        }
        return out;
    }
    QString upper(const QString& text) const { return map(text, true); }
    QString lower(const QString& text) const { return map(text, false); }

    // Invert: what is its own upper case goes to lower case, everything else to upper case.
    QString invert(const QString& text) const {
        QString out;
        out.reserve(text.size());
        QString single;
        for (qsizetype pos = 0; pos < text.size();) {
            const qsizetype length = charLength(text, pos);
            const QStringView ch = QStringView(text).mid(pos, length);
            single.clear();
            append(single, ch, true);
            append(out, ch, single != ch);
            pos += length;
        }
        return out;
    }

    // The first character in upper case, the rest in lower case.
    QString capitalize(const QString& text) const {
        if (text.isEmpty()) {
            return text;
        }
        const qsizetype first = charLength(text, 0);
        QString out;
        out.reserve(text.size());
        append(out, QStringView(text).left(first), true);
        out += lower(text.mid(first));
        return out;
    }

    QString capitalizeWords(const QString& text) const {
        QString out;
        out.reserve(text.size());
        bool wordStart = true;
        for (qsizetype pos = 0; pos < text.size();) {
            const qsizetype length = charLength(text, pos);
            const QStringView ch = QStringView(text).mid(pos, length);
            append(out, ch, wordStart);
            const QChar c = text.at(pos);
            wordStart = kWordStarters.contains(c) ||
                        (pos > 0 && text.at(pos - 1) == u' ' && kQuotesAfterBlank.contains(c));
            pos += length;
        }
        return out;
    }

    // Each character by a coin toss: upper case on 1 when `upperOnOne`, else lower case on 1.
    QString random(const QString& text, RandomSource& source, bool upperOnOne) const {
        QString out;
        out.reserve(text.size());
        for (qsizetype pos = 0; pos < text.size();) {
            const qsizetype length = charLength(text, pos);
            const bool one = source.coin() == 1;
            append(out, QStringView(text).mid(pos, length), one == upperOnOne);
            pos += length;
        }
        return out;
    }

private:
    QLocale locale_;
    // Only Turkish and Azerbaijani give i and I another case than the ASCII one.
    bool asciiI_ =
        locale_.language() != QLocale::Turkish && locale_.language() != QLocale::Azerbaijani;
};

QString convertNamePart(const QString& part, int mode, const CaseMapper& mapper,
                        RandomSource& random) {
    switch (mode) {
        case NameUpper:
            return mapper.upper(part);
        case NameLower:
            return mapper.lower(part);
        case NameSentences:
            return mapper.capitalize(part);
        case NameWords:
            return mapper.capitalizeWords(part);
        case NameInvert:
            return mapper.invert(part);
        case NameRandom:
            return mapper.random(part, random, true);
        default:
            return part;
    }
}

QString convertExtension(const QString& extension, int mode, const CaseMapper& mapper,
                         RandomSource& random) {
    switch (mode) {
        case ExtUpper:
            return mapper.upper(extension);
        case ExtLower:
            return mapper.lower(extension);
        case ExtCapitalize:
            return mapper.capitalize(extension);
        case ExtInvert:
            return mapper.invert(extension);
        case ExtRandom:
            return mapper.random(extension, random, false);
        default:
            return extension;
    }
}

// Re-spells every whole-word occurrence of each exception word, in list order, so a later
// word works on what the earlier ones left.
void applyExceptions(QString& part, const QStringList& exceptions, QStringView rightBoundary,
                     const CaseMapper& mapper) {
    const qsizetype length = part.size();
    if (length == 0) {
        return;
    }
    // A replacement differs from what it replaces only in case, so the upper-case form of
    // the part stays valid for the whole scan.
    const QString upperPart = mapper.upper(part);
    for (const QString& word : exceptions) {
        const qsizetype wordLength = word.size();
        if (wordLength == 0 || wordLength > length) {
            continue;
        }
        const QString upperWord = mapper.upper(word);
        for (qsizetype pos = 0; pos + wordLength <= length; ++pos) {
            if (QStringView(upperPart).mid(pos, wordLength) != upperWord) {
                continue;
            }
            const bool leftBounded = pos == 0 || kExceptionLeft.contains(part.at(pos - 1));
            const qsizetype after = pos + wordLength;
            const bool rightBounded = after == length || rightBoundary.contains(part.at(after));
            if (leftBounded && rightBounded) {
                part.replace(pos, wordLength, word);
            }
        }
    }
}

}  // namespace

RandomSource::RandomSource() {
    auto seed =
        static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    try {
        std::random_device device;
        seed ^= device();
    } catch (...) {
        // Without an entropy source the clock alone seeds it.
    }
    generator_.seed(seed);
}

int RandomSource::coin() {
    // The top bit: the generator's sequence is fixed by the standard, so a seed gives the same
    // tosses with every library.
    return static_cast<int>(generator_() >> 31);
}

RandomSource& caseRandom() {
    static RandomSource source;
    return source;
}

QString upperKeepingLength(const QString& text) {
    return CaseMapper().upper(text);
}

QString lowerKeepingLength(const QString& text) {
    return CaseMapper().lower(text);
}

bool equalIgnoringCase(const QString& a, const QString& b) {
    if (a.size() != b.size()) {
        return false;  // the mapping keeps every length
    }
    const CaseMapper mapper;
    return mapper.upper(a) == mapper.upper(b);
}

QString convertCase(const QString& name, const CaseOptions& options, const QStringList& exceptions,
                    RandomSource& random) {
    if (name.isEmpty()) {
        return QString();
    }
    const CaseMapper mapper;
    NameParts parts = splitExtension(name);
    QString part = std::move(parts.name);
    QString extension = std::move(parts.extension);

    part = convertNamePart(part, options.case1, mapper, random);
    extension = convertExtension(extension, options.case2, mapper, random);

    if (options.exceptionsEnabled) {
        applyExceptions(part, exceptions, kExceptionRightName, mapper);
        applyExceptions(extension, exceptions, kExceptionRightExtension, mapper);
    }
    return extension.isEmpty() ? part : part + QLatin1Char('.') + extension;
}

}  // namespace engine
