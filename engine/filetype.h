// The extension a file's content calls for: the signature table first, then (when asked) the
// tag library's look for MPEG audio, then (when asked) a look at the first bytes for HTML or
// plain text.
#pragma once

#include <QList>
#include <QString>

#include "engine/lists.h"

namespace orvane {
class _cMP3File;
}

namespace engine {

// The Format tab's detection boxes and the signature table they search.
struct DetectOptions {
    QList<FileSignature> signatures;  // in table order; the first match wins
    bool tryMp3 = false;              // chkFileDetect_TryMp3
    bool tryText = false;             // chkFileDetect_TryText
    bool keepExtension = false;       // chkFileDetect_KeepExt (read by the callers)
};

// The detected extension of the file `name` in `folder` (with trailing "/"), without a dot:
// "zip", "mp3", "html", "txt" and so on; empty when nothing was recognised, when the path is no
// regular file, or when it cannot be read. `mp3` is the program's tag-library object (may be
// null: the MPEG look then finds nothing). Never fails.
QString detectFileType(const QString& folder, const QString& name, const DetectOptions& options,
                       orvane::_cMP3File* mp3);

// The new name detection gives `name`: empty when the file keeps its name (a name ending in
// "dll", nothing detected, or the detected extension already ends the name while the old
// extension is kept).
QString detectedName(const QString& folder, const QString& name, const DetectOptions& options,
                     orvane::_cMP3File* mp3);

}  // namespace engine
