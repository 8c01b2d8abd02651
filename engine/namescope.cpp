#include "engine/namescope.h"

#include <new>
#include <utility>

#include "engine/log.h"

namespace engine {

NameParts splitExtension(const QString& fullName, LeadingDot leadingDot) {
    const qsizetype dot = fullName.lastIndexOf(u'.');
    if (dot < 0 || (dot == 0 && leadingDot == LeadingDot::BelongsToName)) {
        return {fullName, QString(), false};
    }
    if (dot == 0 && leadingDot == LeadingDot::IsExtension) {
        return {QString(), fullName, true};
    }
    return {fullName.left(dot), fullName.mid(dot + 1), true};
}

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
    // No extension (also ".profile"): the name part is all there is.
    NameParts parts = splitExtension(name, LeadingDot::BelongsToName);
    if (!parts.hasExtension) {
        if (current == Mode::ExtensionOnly) {
            keptPart_ = name;
            return QString();
        }
        return name;
    }
    if (current == Mode::NameOnly) {
        keptPart_ = std::move(parts.extension);
        return parts.name;
    }
    keptPart_ = std::move(parts.name);
    return parts.extension;
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
