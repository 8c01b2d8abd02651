// The builder of the Directory list view: one row per listed entry of the Directory work
// lists, directories first, each group ordered by name, with pictures from the icon lookup and,
// with all columns shown, the detail columns. Shows its progress and stops on Escape.
#pragma once

#include <QString>
#include <QStringList>

#include "filelists/buildprogress.h"
#include "filelists/imagelist.h"
#include "filelists/sysicons.h"

namespace platform {
class ListView;
}

namespace filelists {

// The boxes of the main window and the settings that decide what the Directory views show.
struct ViewSwitches {
    bool files = true;            // chkFiles
    bool dirs = false;            // chkDirs
    bool subdirs = false;         // chkSub
    bool thumbnails = false;      // chkThumbnails
    bool alwaysShowDirs = false;  // setting alwaysShowDirs != 0
    bool showAllColumns = false;  // setting showAllColumns == 1
    bool enableTreeview = false;  // setting enableTreeview != 0

    // Directory rows and nodes are listed: the box, or the setting that lists them anyway.
    bool listsDirs() const { return dirs || alwaysShowDirs; }
};

enum class BuildOutcome {
    Complete,
    Cancelled,  // Escape while the main window was active
    Failed,     // an entry could not be read (the error line is logged)
};

struct ListBuildResult {
    BuildOutcome outcome = BuildOutcome::Complete;
    int rows = 0;      // rows in the list afterwards
    QString lastPath;  // the entry that was being built when it failed
    QString reason;    // why it failed, for a person
};

// Status texts the builders write.
inline constexpr char kBuildingListview[] = "Building Listview...";
inline constexpr char kUserCancelled[] = "User Cancelled!";
inline constexpr char kErrorBuildingListview[] = "Error Building Listview!";

// updateListview: replaces the rows of `list` (the Directory list view) by one row per entry of
// `dirs` (when switches.listsDirs()) and of `files` (when switches.files): all directory rows
// first, then the file rows, each group in ascending name order (case ignored, the user's
// collation), ties in work-list order. The row texts are those of rowtext.h by column position;
// the detail columns are read and filled only with switches.showAllColumns. A row's pictures
// come from sysIcons (with `iconOptions`) and may append entries to `images`; the list view is
// handed the grown lists (attachImages) when the rows are in. Rows are inserted in one model
// change.
//
// Status panel "main" reads "Building Listview..." and then "Building Listview... N%",
// rewritten only when N changes; "selected" reads "Press escape to cancel...". Escape is polled
// through platform::EscapeWatch::pressed (which yields at most every 50 ms).
//
// Cancelled or Failed: the list is emptied, "selected" reads "User Cancelled!" or
// "Error Building Listview!", and a failure is logged to the error log as
// "Error 53 (File not found) updateListview: <path>". The caller then runs the rest of the
// abort: empties both Directory work lists and the tree, enables the main window when no run is
// in progress, and calls optionsChanged. Complete: the caller marks the row order as the
// builder's own (listOrderChanged := false, next column-click sort descending) and starts the
// thumbnail run when the Thumbnails box is ticked.
//
// Preconditions: the caller shows the hourglass and has disabled the main window
// (platform::BusyScope). Rows are counted in 32 bits: each work list may hold 32767 entries.
ListBuildResult updateListview(platform::ListView& list, const QStringList& dirs,
                               const QStringList& files, const ViewSwitches& switches,
                               SourceImages& images, const IconOptions& iconOptions,
                               const StatusText& status);

}  // namespace filelists
