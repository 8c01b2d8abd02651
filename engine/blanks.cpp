#include "engine/blanks.h"

namespace engine {

QString trimBlanks(const QString& text) {
    return trimLeadingBlanks(trimTrailingBlanks(text));
}

QString trimLeadingBlanks(const QString& text) {
    qsizetype first = 0;
    while (first < text.size() && text.at(first) == u' ') {
        ++first;
    }
    return text.mid(first);
}

QString trimTrailingBlanks(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ') {
        --end;
    }
    return text.left(end);
}

}  // namespace engine
