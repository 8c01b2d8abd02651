// Texts compared through a fold of their own, and letter case of ASCII only, byte by byte: for
// names that are ASCII by their nature (registry keys and value names, the member names of the
// component interfaces, markers in file headers). Free of Qt.
//
// The program has three other rules on purpose: names and texts of the user are compared by
// Unicode case folding, the same in every language (Qt::CaseInsensitive, toCaseFolded);
// Find & Replace and the Case tab by the user's language (engine::equalIgnoringCase); the
// lists sort by the user's language with QCollator. The tag library, which has no Qt, folds
// the frame IDs read through the ANSI code page by its own table.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

template <class Char>
constexpr Char asciiLower(Char c) {
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

// Whether two texts are equal once each character went through `fold`.
template <class Char, class Fold>
constexpr bool equalFolded(std::basic_string_view<Char> a, std::basic_string_view<Char> b,
                           Fold fold) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

constexpr bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return equalFolded(a, b, asciiLower<char>);
}

}  // namespace platform
