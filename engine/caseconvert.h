// The transform of the Case tab: the letter case of a name's name part and of its extension,
// each by its own mode, followed by the exact spelling of the exception words.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <random>

#include "engine/options.h"

namespace engine {

// Where the Random modes draw their coin tosses. The transform takes one as an argument, so a
// test can hand it a seeded source and get the same names every time.
class RandomSource {
public:
    // Seeded from the clock and the system's entropy source.
    RandomSource();
    explicit RandomSource(std::uint32_t seed) : generator_(seed) {}

    void seed(std::uint32_t seed) { generator_.seed(seed); }
    // 0 or 1, each with probability one half.
    int coin();

private:
    std::mt19937 generator_;
};

// The source the program's Random modes use: seeded once, at its first use. Tests seed it.
RandomSource& caseRandom();

// Upper and lower case of one text, character by character in the user's locale. A character
// whose mapped form has a different length (ß, whose upper case is "SS") keeps its own form,
// so every result is exactly as long as the text and each character keeps its place.
QString upperKeepingLength(const QString& text);
QString lowerKeepingLength(const QString& text);

// Whether two texts differ only in case, by the same character-by-character mapping of the
// user's locale. Every comparison that ignores case (Find, the Replace tab's check, the
// exceptions) goes through this mapping, so they all agree with case conversion.
bool equalIgnoringCase(const QString& a, const QString& b);

// `name` (no folder) with its name part converted by options.case1 and its extension (after
// the last ".") by options.case2; then, when options.exceptionsEnabled, every word of
// `exceptions` (empty entries ignored, list order) that stands as a whole word in either part,
// in any case, is spelled as in the list. Joined with a "." only when the extension is not
// empty, so a name ending in "." loses that dot; otherwise the length never changes.
QString convertCase(const QString& name, const CaseOptions& options, const QStringList& exceptions,
                    RandomSource& random = caseRandom());

}  // namespace engine
