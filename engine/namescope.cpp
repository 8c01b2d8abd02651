#include "engine/namescope.h"

#include <new>

#include "engine/log.h"

namespace engine {

NameScope::Mode NameScope::mode() const {
    if (scope_.processFilename && scope_.processFileExt) {
        return Mode::WholeName;
    }
    return scope_.processFileExt ? Mode::ExtensionOnly : Mode::NameOnly;
}

QString NameScope::splitNamePart(const QString& name) {
    keptPart_.clear();
    const Mode current = mode();
    if (current == Mode::WholeName) {
        return name;
    }
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0) {
        // No extension (also ".profile"): the name part is all there is.
        if (current == Mode::ExtensionOnly) {
            keptPart_ = name;
            return QString();
        }
        return name;
    }
    const QString before = name.left(dot);
    const QString after = name.mid(dot + 1);
    if (current == Mode::NameOnly) {
        keptPart_ = after;
        return before;
    }
    keptPart_ = before;
    return after;
}

QString NameScope::joinNamePart(const QString& part) const {
    const Mode current = mode();
    if (current == Mode::WholeName || keptPart_.isEmpty()) {
        return part;
    }
    if (part.isEmpty()) {
        return keptPart_;
    }
    return current == Mode::NameOnly ? part + QLatin1Char('.') + keptPart_
                                     : keptPart_ + QLatin1Char('.') + part;
}

QString replaceForbiddenChars(const QString& name) {
    try {
        QString result = name;
        result.replace(QLatin1Char('/'), QLatin1Char('-'));
        result.replace(QLatin1Char('*'), QLatin1Char('-'));
        result.replace(QLatin1Char('"'), QStringLiteral("''"));
        result.replace(QLatin1Char('\\'), QLatin1Char('-'));
        result.remove(QLatin1Char('?'));
        result.replace(QLatin1Char(':'), QLatin1Char('-'));
        result.replace(QLatin1Char('<'), QLatin1Char('['));
        result.replace(QLatin1Char('>'), QLatin1Char(']'));
        result.replace(QLatin1Char('|'), QLatin1Char('-'));
        return result;
    } catch (const std::bad_alloc&) {
        logFailure(kOutOfMemory, QStringLiteral("replaceForbiddenChars: ") + name);
        return QString();
    }
}

}  // namespace engine
