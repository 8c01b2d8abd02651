// The transforms of the Enum tab: digit runs brought to one width, and names built from a
// pattern around a running number.
#pragma once

#include <QString>

#include "engine/options.h"
#include "platform/result.h"

namespace engine {

// Rewrites every run of the digits "0" to "9" in `text`: leading zeros are stripped and zeros
// put in front again until the run has `width` digits; a longer run stays whole, and a width of
// 0 drops the runs. Blanks (the space character only) are trimmed from both ends first; other
// characters are copied unchanged. An empty text gives the empty text.
//
// Never fails its caller: a width outside 0..32767 is logged ("Number Normalize: " + the
// trimmed text + " @ " + width), the trimmed text is returned unchanged and `failed` says so,
// so that a caller can keep the name as it was.
QString numberNormalize(const QString& text, int width, bool* failed = nullptr);

// The name that sequential renaming gives the item `name` (no folder) as the `index`-th
// numbered item (1 for the first): the pattern options.format with "<NAME>" (the name before
// its last "."), "<EXT>" (after it), "<FULLNAME>" and "<ENUM>" expanded, tokens matched without
// regard to case; anything else, a "<" that starts no token included, is copied. A name whose
// only dot is its first character has an empty base and the whole name as its extension.
//
// The number is start + (index - 1) * step, padded by numberNormalize to the width of
// options.zeros, or, with options.autoZeros, to the fewest digits d with
// count * step + start <= 10^d, where count is `selectedCount` while `onlySelectedInForce`
// and `rowCount` (the rows of the current list) otherwise. Numbers and widths are 64-bit, so
// a nine-digit start with a six-digit step still numbers thousands of rows.
//
// An empty pattern gives the empty text. Fails, with the error line for the log as reason,
// when start, step or (without autoZeros) zeros holds no number, or the number overflows.
platform::Result<QString> enumFilename(const QString& name, qint64 index,
                                       const EnumOptions& options, qint64 rowCount,
                                       qint64 selectedCount, bool onlySelectedInForce);

}  // namespace engine
