// The Free Select source's own commands: adding files and folders (dropped from a file
// manager, chosen in the Add Files dialog, taken from the Directory list or the tree), removing
// the selected entries and clearing the list. Entries are kept in the list view lwDragDrop and
// in the source's work lists; nothing here touches the disk.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "filelists/thumbnails.h"

class QMimeData;
class QWidget;

namespace settings {
struct ProgramSettings;
}

namespace mainwindow {

struct Controls;
struct WindowState;
class ModePanels;
class SourceSwitch;

class FreeSelect {
public:
    // `window` is the main window, disabled while a long add works; `settings` keeps the Add
    // Files dialog's folder; `images` are the Free Select list's image lists; `status` writes
    // the adding's progress; `modes` validates and `source` counts the selection and makes
    // the thumbnails after a change of the list.
    FreeSelect(QWidget& window, Controls& ui, WindowState& state,
               settings::ProgramSettings& settings, filelists::SourceImages& images,
               filelists::StatusPanels status, ModePanels& modes, SourceSwitch& source);

    // Connects the controls this controller handles; the window calls it once, before the
    // settings are loaded, so the loader's writes run the handlers as a user's changes would.
    void connectHandlers();

    // One file or folder by its full path (no trailing "/" for a folder): a row and a work
    // list entry. False for a path already listed, or one that is neither a file nor a folder.
    bool dragDropAdd(const QString& path);
    // Many at once (one list update, duplicates found by a hash); returns how many were added.
    // Used by every way in: drops, the dialog, the menus and the refill after a run.
    int addPaths(const QStringList& paths);
    // The list after a run or an undo: exactly these entries, in this order.
    void refill(const QStringList& files, const QStringList& dirs);

    // A drop from a file manager onto lwDragDrop (text/uri-list); true when it was taken.
    bool dropMimeData(const QMimeData* data);
    // "Add Selected to Free Select" of the Directory list's menu.
    void mnuListviewAddClick();
    // "Add" and "Add Directory Contents" (recursive) of the tree's menu.
    void mnuTreeviewAddClick();
    void mnuTreeviewAddRecursiveClick();
    // The Add Files button and Insert in lwDragDrop.
    void cmdDragDropAddClick();
    // "Remove Selected" (Del, the toolbar button) and "Clear All" (Shift+Del, the toolbar
    // button).
    void mnuDragdropRemoveClick();
    void mnuDragdropClearClick();

private:
    struct AddOutcome {
        int added = 0;
        bool stopped = false;  // Escape ended the loop before its last candidate
        bool full = false;     // a work list was full, so some entries were refused
    };
    // The add loop under every way in: each candidate through the tests of dragDropAdd, the
    // rows put in with one list update, the work lists extended at the end. `before` runs
    // before candidate i; with `escapable` an Escape press ends the loop after the entry in
    // hand.
    AddOutcome addEntries(const QStringList& paths,
                          const std::function<void(qsizetype)>& before = {},
                          bool escapable = false);
    // beginAdding, then addEntries with the percentage of candidates done in the status bar
    // and Escape heard, then the thumbnails.
    AddOutcome addWithProgress(const QStringList& candidates);
    // The start of the long adds, under the caller's hourglass: the status texts, a press of
    // Escape from before forgotten, one pass of the event loop so the texts show.
    void beginAdding();
    // After a loop that ran to its end: the thumbnails, when the list shows them.
    void makeThumbnails(const AddOutcome& outcome);
    // The Free Select list in its normal state (view, font, label editing), rows removed.
    void leavePlaceholder();
    // The list's only row becomes "Drop files here..." and the Add Files button takes the focus.
    void enterPlaceholder();
    void writeCounts();
    void reportFull(bool full) const;

    QWidget& window_;
    Controls& ui_;
    WindowState& state_;
    settings::ProgramSettings& settings_;
    filelists::SourceImages& images_;
    filelists::StatusPanels status_;
    ModePanels& modes_;
    SourceSwitch& source_;
    std::unique_ptr<QObject> dropFilter_;
};

}  // namespace mainwindow
