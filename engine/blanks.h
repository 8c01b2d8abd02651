// Blanks are the space character only: trimming never touches tabs or other white space.
#pragma once

#include <QString>

namespace engine {

// `text` without the spaces at its start and its end.
QString trimBlanks(const QString& text);
// `text` without the spaces at its start, or at its end.
QString trimLeadingBlanks(const QString& text);
QString trimTrailingBlanks(const QString& text);

}  // namespace engine
