// The transform of the Replace tab and of every batch replace entry.
#pragma once

#include <QString>

#include "engine/options.h"

namespace engine {

// Replaces `find` by `replace` in `source`, or exchanges the two texts when `swapMode` is not
// 0. The first `start` characters (code points) stay untouched (a match must begin after
// them); at most `count` replacements are made per pass (0: all). Matches never overlap and
// inserted text is never searched again. With `caseSensitive` 0, letters that differ only in
// case by the user's locale match (engine::equalIgnoringCase) and every other character keeps
// its place and case. An empty `source` or `find` gives the empty text; so does a trapped
// failure (negative or out-of-range numbers), which is logged and reported through `failed`,
// so that a caller can keep the name rather than take the empty text for a new one.
QString findReplace(const QString& source, const QString& find, const QString& replace,
                    int caseSensitive, int swapMode, int start, int count, bool* failed = nullptr);

// The same with the values of one options snapshot.
QString findReplace(const QString& source, const ReplaceOptions& options, bool* failed = nullptr);

}  // namespace engine
