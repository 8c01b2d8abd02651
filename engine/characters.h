// Positions in names count characters (code points), not UTF-16 units: a character outside
// the basic plane (an emoji) is one position, and no position falls between its halves. Every
// transform that takes a position or a length from the user counts through these.
#pragma once

#include <QList>
#include <QString>

namespace engine {

// Where each character of `text` starts, in code units, plus the end.
QList<qsizetype> characterStarts(const QString& text);

// The code units taken by the first `characters` characters of `text` (all of it when it has
// fewer).
qsizetype unitsOfCharacters(const QString& text, qsizetype characters);

}  // namespace engine
