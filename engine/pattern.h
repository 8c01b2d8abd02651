// The Format tab's naming pattern: literal text and tokens in angle brackets ("<NAME>",
// "<WIDTH>", "<%1>" ...) expanded for one item into its new name.
#pragma once

#include <QString>

#include "engine/lists.h"
#include "engine/options.h"
#include "media/mediaproperties.h"

namespace engine {

// What one expansion reads besides the item: the tab's inputs, the name scope (which text the
// name parts are cut from) and what the media readers take from the program. The media
// context's yield serves every long token source (a directory walk, a media stream, the first
// letter).
struct FormatContext {
    const FormatOptions& format;
    ScopeOptions scope;
    const media::MediaContext& media;
};

// The new name of the item `itemName` in `folder` (with or without a trailing "/"): the pattern
// expanded, extension included. "" for an empty pattern. The old name when a token is
// unavailable and "Only rename if all used tags are available." is ticked, and when the
// expansion fails (the failure is logged): a name built halfway is never given to an item.
// The result is not cleaned of characters names may not hold; the rename step maps them.
QString formatFilename(const QString& itemName, const QString& folder,
                       const FormatContext& context);

// The media context of the program's lists and settings, made once per preview pass or run.
media::MediaContext mediaContextFor(const QList<CodecEntry>& codecs,
                                    const QList<WaveFormatEntry>& waveFormats,
                                    qint32 mpegBytesToRead);

}  // namespace engine
