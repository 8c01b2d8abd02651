#include "engine/addcrop.h"

#include <QList>

#include <algorithm>

#include "engine/blanks.h"
#include "engine/characters.h"
#include "engine/namescope.h"
#include "platform/localetext.h"

namespace engine {

namespace {

// The boxes hold up to three digits; anything larger already lies beyond every name.
constexpr qint64 kLargestBoxValue = 32767;

// The number a position or count box stands for, never below 0.
qsizetype boxValue(const QString& text) {
    return static_cast<qsizetype>(platform::boxNumber(text, 0, kLargestBoxValue));
}

}  // namespace

QString applyAddCrop(const QString& name, const AddCropOptions& options) {
    if (name.isEmpty()) {
        return QString();
    }
    const QList<qsizetype> starts = characterStarts(name);
    const qsizetype length = starts.size() - 1;
    // The first `count` characters and what follows them, in code units.
    const auto head = [&](qsizetype count) { return name.left(starts.at(count)); };
    const auto tailFrom = [&](qsizetype index) { return name.mid(starts.at(index)); };

    if (!options.crop) {
        const qsizetype position = boxValue(options.addPos);
        if (position > length) {
            return name;
        }
        const qsizetype split = options.addFromEnd ? length - position : position;
        return head(split) + options.add + tailFrom(split);
    }

    const qsizetype position = boxValue(options.cropPos);
    if (position >= length) {
        return name;
    }
    const qsizetype count = std::min(boxValue(options.cropNumber), length - position);
    if (options.cropFromEnd) {
        const qsizetype kept = length - position - count;
        return head(kept) + tailFrom(length - position);
    }
    return head(position) + tailFrom(position + count);
}

QString processSpaces(const QString& name, const SpaceOptions& options) {
    QString text = name;
    if (options.removeLeading) {
        text = trimLeadingBlanks(text);
    }
    if (options.removeTrailing) {
        text = trimTrailingBlanks(text);
        // Blanks before the extension trail the name part; those after the dot stay.
        if (const NameParts parts = splitExtension(text); parts.hasExtension) {
            text = trimTrailingBlanks(parts.name) + QLatin1Char('.') + parts.extension;
        }
    }
    if (options.shrink) {
        QString shrunk;
        shrunk.reserve(text.size());
        for (qsizetype pos = 0; pos < text.size(); ++pos) {
            if (text.at(pos) == u' ' && pos > 0 && text.at(pos - 1) == u' ') {
                continue;
            }
            shrunk += text.at(pos);
        }
        text = shrunk;
    }
    return text;
}

}  // namespace engine
