// Cutting a name into the part a transform may change and the part it must keep, and putting
// them together again; plus the map of characters that file names must not hold.
#pragma once

#include <QString>

#include "engine/options.h"

namespace engine {

// What a name's first character does when it is its only dot (".profile"). The operations
// differ, and each keeps its own rule: the caller chooses it.
enum class LeadingDot {
    Separates,      // like any other dot: no name, extension "profile"
    IsExtension,    // the whole name is the extension, dot included: no name, ".profile"
    BelongsToName,  // no extension: the name is ".profile"
};

// A name cut at its last "." into the name and the extension; the dot belongs to neither
// (unless LeadingDot::IsExtension keeps it). Without a dot the name is all.
struct NameParts {
    QString name;
    QString extension;
    // Whether the rule split off an extension; the dot lies between name and extension.
    bool hasExtension = false;
};
NameParts splitExtension(const QString& fullName, LeadingDot leadingDot = LeadingDot::Separates);

// Split and join are a pair: splitNamePart keeps the untouched part, and the joinNamePart that
// follows puts it back. One NameScope per caller, so two callers never share that slot.
class NameScope {
public:
    explicit NameScope(ScopeOptions scope) : scope_(scope) {}

    // The part of `name` that the transform may change; the rest becomes keptPart(). The
    // split is at the last "."; a name whose only dot is its first character has no
    // extension. The dot itself belongs to neither part.
    QString splitNamePart(const QString& name);
    // The whole new name from the transformed part and keptPart(); exactly one "." between
    // them, none when either is empty.
    QString joinNamePart(const QString& part) const;
    const QString& keptPart() const { return keptPart_; }

private:
    enum class Mode { WholeName, NameOnly, ExtensionOnly };
    Mode mode() const;

    ScopeOptions scope_;
    QString keptPart_;
};

// Maps the characters that Windows file names cannot hold to allowed ones, in a fixed order:
// "/" "*" "\" ":" "|" become "-", the double quote becomes two apostrophes, "?" is dropped,
// "<" and ">" become "[" and "]". Names stay portable to shares and other systems.
QString replaceForbiddenChars(const QString& name);

}  // namespace engine
