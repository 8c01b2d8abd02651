// The tokens of the naming patterns, one table per family: what the user types, what the
// token picker shows, and how the token expands. The pickers, the check that enables
// "Rename!" and the expansion all read these tables, so a row added here is offered, accepted
// and expanded alike. Each table lives beside the code that expands it (pattern.cpp,
// mp3name.cpp, numbers.cpp).
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <span>

namespace engine {

class FormatExpansion;  // pattern.cpp: what one item gives the Format tab's tokens
class Mp3Values;        // mp3name.cpp: what one file gives the Mp3 tab's tokens
struct EnumValues;      // numbers.cpp: what one numbered item gives the Enum tab's tokens

// What a token counts for when a pattern is checked.
enum class TokenRole {
    Value,   // names a value: alone it makes a pattern usable
    Part,    // "<%1>" to "<%9>": usable when the parts pattern defines the part
    SubDir,  // "<\>": never expanded; the rename step makes a folder where it stands
};

template <class Source>
struct PatternToken {
    const char* token;    // in capitals; the patterns match it whatever the letter case
    const char* caption;  // the picker shows the caption, one blank and the token
    // The token's text, or nothing when its value is missing; null for "<\>", which stays as
    // written.
    std::optional<QString> (*expand)(Source&);
    TokenRole role;
};

using FormatToken = PatternToken<FormatExpansion>;
using Mp3Token = PatternToken<Mp3Values>;
using EnumToken = PatternToken<EnumValues>;

// Each in the order of its picker.
std::span<const FormatToken> formatTokens();
std::span<const Mp3Token> mp3Tokens();
std::span<const EnumToken> enumTokens();

// The picker's entries of the tokens (all of them, or those of one role): "Artist <ARTIST>".
template <class Source>
QStringList pickerEntries(std::span<const PatternToken<Source>> tokens,
                          std::optional<TokenRole> role = std::nullopt) {
    QStringList entries;
    for (const PatternToken<Source>& token : tokens) {
        if (!role || token.role == *role) {
            entries << QString::fromUtf8(token.caption) + u' ' + QLatin1StringView(token.token);
        }
    }
    return entries;
}

}  // namespace engine
