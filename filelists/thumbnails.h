// Thumbnail runs: walk every row of a source's list view once, let the lookup find or make the
// row's large picture (a thumbnail for picture files, the large icon otherwise) and give the row
// that picture. The hourglass shows and the main window is disabled meanwhile; the status bar
// shows the progress in percent; Escape stops the run.
#pragma once

#include <QString>

#include <functional>

#include "filelists/imagelist.h"
#include "filelists/sysicons.h"

class QWidget;

namespace platform {
class ListView;
}

namespace filelists {

// Two panels of the status bar by key ("main", "selected"): read and written by the run.
struct StatusPanels {
    std::function<QString(const QString& key)> text;
    std::function<void(const QString& key, const QString& text)> setText;
};

// What a run works on. Each row's path is read from its name and folder columns (rowtext.h).
// `window` is the main window: disabled during the run and the one whose
// Escape presses stop it (platform::EscapeWatch must be installed on it); may be null.
struct ThumbnailRun {
    platform::ListView& list;
    SourceImages& images;
    IconOptions options;  // makeThumbnails is set by the run itself
    QWidget* window = nullptr;
    StatusPanels status;
};

// The Directory run (lookup sysIcons). In order: hourglass and disabled window (BusyScope);
// panel "main" becomes "Generating Thumbnails..." and "selected" "Press escape to cancel...";
// one yield; then for each row: the path is folder + name, a directory unless it exists as
// something other than a folder (a vanished entry counts as a directory), its large index is
// set, "main" shows "Generating Thumbnails... N%" (rewritten only when N changes; halves round
// to even), and an Escape press ends the loop after that row. A run that passes the last row
// (also an empty list) sets images.thumbsComplete; after Escape it stays as it was. Afterwards
// the panels get their former texts back, the window is enabled and the pointer restored
// whatever happened, and the view shows the grown large list (attachImages). Returns true when
// the run completed.
bool generateThumbnails(const ThumbnailRun& run);
// The Free Select run (lookup sysIconsFreeSel), otherwise the same. The caller drops a pending
// preview and stops a running one before the call (previewPending false, previewRunToken -1).
bool generateThumbnailsFreeSel(const ThumbnailRun& run);

// True while the row loop of a run is in progress.
bool makingThumbnails();

}  // namespace filelists
