// The preview column: for every row of the current source's list, the name a run with the
// current options would give the item, and nothing where the item keeps its name. A pass walks
// the rows in display order, yields to the event loop every few rows and stops as soon as a
// newer pass is asked for or another operation cancels it, so the newest request wins.
//
// The pass knows nothing of the main window: the window hands it the list, the state it
// shares with the rest of the program and how one row's new name is computed (the executors'
// computation, so preview and run never differ).
#pragma once

#include <QString>

#include <functional>

namespace platform {
class ListView;
}

namespace runs {

// The preview's share of the program-wide state. The window owns the values; a pass reads and
// writes them through these pointers, so a nested pass (started during a yield) and the
// handlers that run then see the same values.
struct PreviewShared {
    // A pass is due. Set by the validation and the list handlers, cleared by the preview
    // timer; a running pass stops when it finds it set.
    bool* pending = nullptr;
    // Identity of the running pass: a pass draws a new value (0..9999, never the value it
    // replaces) and stops when it changes. Writing -1 stops a running pass.
    int* runToken = nullptr;
    // Rows the pass has given a non-empty preview so far; 0 when a pass starts.
    int* changeCount = nullptr;
};

struct PreviewJob {
    // The rows of the current source: column 0 the name, column 2 the folder ending in "/".
    platform::ListView* list = nullptr;
    // Rows showing the ghost folder picture are directories shown although they are not
    // processed (the Directory list with "always show directories"); they get no preview.
    bool skipGhostRows = false;
    PreviewShared shared;
    // The pass yields after this many rows.
    int doEventsEvery = 5;

    // "Rename!" is enabled: the options are valid and something can be renamed. Read for
    // every row; while false every row's preview is emptied.
    std::function<bool()> renameEnabled;
    // "Only Rename Selected" is in force: unselected rows get no preview.
    std::function<bool()> onlySelectedInForce;
    // The new name of one item, before the forbidden-character map; empty keeps the name.
    // Null: the selected tab and option give no names (every row's preview is emptied).
    std::function<QString(const QString& folder, const QString& name)> newName;
    // Lets the event loop run. Null: QCoreApplication::processEvents().
    std::function<void()> yield;
    // For the error line of a failed pass: the caption of the selected mode tab and the step
    // number of the transform newName runs.
    std::function<QString()> modeCaption;
    std::function<int()> transformStep;
};

// One preview pass over job.list. Writes the preview column of every row it reaches (also
// when the new text is empty), the change count and the run token. A pass that is overtaken
// leaves the rows after the point where it stopped as an earlier pass wrote them. Never fails
// its caller: a failure is logged ("generatePreview: ERR=<step> TAB=<caption>") and ends the
// pass.
void generatePreview(const PreviewJob& job);

// The text the preview shows for a new name: the name exactly as a run would use it (the
// sub-folder markers "<\>" as "/", every part through the forbidden-character map, empty
// levels dropped), or empty when the run would refuse the name and so leave the item alone.
QString previewText(const QString& newName);

}  // namespace runs
