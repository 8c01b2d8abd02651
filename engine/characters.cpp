#include "engine/characters.h"

namespace engine {

QList<qsizetype> characterStarts(const QString& text) {
    QList<qsizetype> starts;
    starts.reserve(text.size() + 1);
    for (qsizetype pos = 0; pos < text.size(); ++pos) {
        if (pos > 0 && text.at(pos).isLowSurrogate() && text.at(pos - 1).isHighSurrogate()) {
            continue;
        }
        starts.append(pos);
    }
    starts.append(text.size());
    return starts;
}

qsizetype unitsOfCharacters(const QString& text, qsizetype characters) {
    qsizetype pos = 0;
    for (qsizetype counted = 0; counted < characters && pos < text.size(); ++counted) {
        const bool pair = text.at(pos).isHighSurrogate() && pos + 1 < text.size() &&
                          text.at(pos + 1).isLowSurrogate();
        pos += pair ? 2 : 1;
    }
    return pos;
}

}  // namespace engine
