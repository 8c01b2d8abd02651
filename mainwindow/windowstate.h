// The main window's own program-wide values: the flags and counters its handlers share with
// the lists, the preview and the runs. One instance, owned by the window.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <array>

#include "filelists/source.h"

namespace mainwindow {

using filelists::Source;
using filelists::sourceIndex;

struct WindowState {
    // Start-up has finished (set by the first activation, never cleared). Before it the
    // validation, the mode tab handler and the folder read do nothing.
    bool windowReady = false;
    // The source the file-source tab shows; sourceIndex indexes the work lists by it.
    Source fileMode = Source::Directory;
    // Directories can take part with the selected mode tab and option.
    bool dirsAllowed = true;
    // Creating the tag-library object failed; the Mp3 tab warns once and clears it.
    bool mp3LibraryMissing = false;
    // A preview is due at the next tick of the preview timer.
    bool previewPending = false;
    // Identifies the running preview; -1 stops it.
    int previewRunToken = -1;
    // No preview is due any more, and a running one stops.
    void stopPreview() {
        previewPending = false;
        previewRunToken = -1;
    }
    // Rows the last preview pass gave a new name (shown by the preview timer).
    int previewChangeCount = 0;
    // The preview yields to the event loop after this many rows.
    int previewDoEventsEvery = 5;
    // Selected rows of the active list, and whether "Only Rename Selected" is in force.
    int selectedCount = 0;
    bool onlySelectedInForce = false;
    // A mouse selection is under way; the recount waits for the button to come up.
    bool selectionRecountPending = false;
    // The next preview tick starts editing the selected row's label (set by the list views'
    // label-edit handlers, which cannot start an edit from inside their own).
    bool labelEditPending = false;
    // The mouse went down on a row of a list (cleared by every press and release): only then
    // can a drag start, and a release without it deselects every row.
    bool itemClicked = false;
    // A row was clicked since the last press: only then does a double click or Enter open it.
    bool itemOpenable = false;
    // A row of a list is being dragged to another position; the drop highlight follows the
    // pointer only meanwhile.
    bool internalDragActive = false;
    // The row (0-based) the last item click went down on: the row a drag moves; -1 for none.
    int dragSourceRow = -1;

    // The folder of the last read that completed; empty while a read is under way and after
    // one that failed or was cancelled.
    QString lastReadPath;
    // The path box text before the current edit; the path box commit reads only when the
    // text differs from it, so an empty value forces the next commit to read.
    QString previousPath;
    // The pattern box text when it got the focus, and after each accepted change.
    QString previousPattern;
    // The user reordered the Directory rows by hand since the last build.
    bool listOrderChanged = false;
    // Backspace in a list or the tree goes up a folder and leaves the focus there.
    bool keepListFocus = false;
    // Started at every expand or collapse of a tree node: "[..]" does nothing within the
    // second after one, so a double click that toggled a node does not also go up a folder.
    // A monotonic clock, so the guard holds across midnight and clock changes.
    QElapsedTimer lastTreeToggle;

    QString appName = QStringLiteral("Quenza Renamer");
    QString appVersion = QStringLiteral("4.5");
    // The minimum-size guard is installed on the main window (and the run window installs
    // its own while this is set).
    bool subclassEnabled = false;
    // The settings dialog opens on this tab next time.
    int settingsTabIndex = 0;
    // What the position picker ("Visual Assist") picked last; a button that hands in only the
    // position leaves the length and text of the previous pick in place.
    qint16 getPositionPos = 0;
    qint16 getPositionLength = 0;
    QString getPositionText;

    // The work lists of full paths, per source: 0 Directory, 1 Free Select.
    std::array<QStringList, 2> lstFiles;
    std::array<QStringList, 2> lstDirs;
    QStringList& files(Source source) { return lstFiles[sourceIndex(source)]; }
    QStringList& dirs(Source source) { return lstDirs[sourceIndex(source)]; }
    const QStringList& files(Source source) const { return lstFiles[sourceIndex(source)]; }
    const QStringList& dirs(Source source) const { return lstDirs[sourceIndex(source)]; }

    // From the command line: the mode word after "/e", "/x", and the folder to open.
    QString cmdExecMode;
    bool cmdAutoExit = false;
    QString startPath;
    // "/x" stood on the command line, recognised or not, and the folder it named (also one
    // that cannot be read): what an unattended start reports on standard error.
    bool exitSwitchGiven = false;
    QString givenFolder;
    // The program's exit status after a command-line run that ends it (ExitStatus).
    int exitStatus = 0;
};

// What a start that ends by itself tells its caller: the run logged no error; the run logged
// errors or warnings; no run took place.
enum ExitStatus : int { kExitClean = 0, kExitWithProblems = 1, kExitNoRun = 2 };

}  // namespace mainwindow
