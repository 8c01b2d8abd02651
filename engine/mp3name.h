// Names from MP3 files: the Mp3 tab's pattern expanded with what the tag library read from
// the file (ID3v1 and ID3v2 texts, five further ID3v2 frames, the first MPEG audio frame
// header) and the file's own name and size.
#pragma once

#include <QString>

#include "engine/options.h"

namespace orvane {
class _cMP3File;
}

namespace engine {

// The new name of the file `fileName` (no folder) of `fileSize` bytes, from the pattern
// options.pattern; `mp3` has just read the file. Tokens are matched without regard to case;
// any other text, "<\>" included, is copied. Empty when the pattern is empty, or when a token's
// value is missing and options.onlyFilledTags is set. Tag texts end at their first NUL; a
// negative duration or bit rate (a VBR file without a frame count) counts as missing.
// Throws TransformFailure when a call into the library fails.
QString formatMp3Filename(orvane::_cMP3File* mp3, const QString& fileName, qint64 fileSize,
                          const Mp3Options& options);

// The Mp3 tab's new name for `name` in `folder` (with trailing "/"): empty (keep the name)
// when options.onlyMp3Files is set and the name has no extension "mp3" in any case (a name
// without a dot has none; ".mp3" has it), or when the library cannot read the file; otherwise
// formatMp3Filename after Reset and ReadFile on `mp3`.
// Throws TransformFailure when `mp3` is null (the library could not be created at start-up)
// or a call into it fails.
QString mp3NewName(orvane::_cMP3File* mp3, const QString& folder, const QString& name,
                   const Mp3Options& options);

}  // namespace engine
