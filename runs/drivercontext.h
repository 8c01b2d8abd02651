// What the run driver (runs/driver.h) and the undo (runs/undo.h) know of the main window: its
// inputs when a run starts, the hooks it fills in, and the context holding its lists and state.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <functional>

#include "runs/attribrun.h"
#include "runs/executors.h"
#include "runs/runstate.h"
#include "runs/runwindow.h"

class QWidget;

namespace filelists {
struct SourceImages;
}
namespace platform {
class ListView;
}
namespace settings {
struct ProgramSettings;
}

namespace runs {

// The main window's inputs as they stand when a run starts (after the validation).
struct DriverInputs {
    Source fileMode = Source::Directory;
    // The naming mode the selected tab and option pick.
    NamingMode mode = NamingMode::None;
    NamingOptions naming;
    // The selected tab runs the attribute or the date run instead of a naming mode;
    // attrib.optAttrib chooses between them.
    bool attributeRun = false;
    AttribOptions attrib;
    // "Files" and "Directories" (Directory source), and whether the mode can process
    // directories at all.
    bool filesTicked = true;
    bool dirsTicked = false;
    bool dirsAllowed = true;
    // "Only Rename Selected" is in force.
    bool onlySelectedInForce = false;
    // The Simulation Mode box is ticked (the final caption says so).
    bool simulationBox = false;
    // The Free Select "Thumbnails" box is ticked.
    bool thumbnailsFreeSelect = false;
    // The user reordered the Directory rows since the last build.
    bool listOrderChanged = false;
};

// What belongs to the main window. Every hook may be left empty; it is then skipped.
struct DriverHooks {
    // optionsChanged(); then whether "Rename!" is enabled.
    std::function<bool()> validate;
    // The inputs, read once after the validation.
    std::function<DriverInputs()> inputs;
    // Status panel "main".
    std::function<void(const QString&)> setMainPanel;
    // previewPending := false and previewRunToken := -1: a running preview stops.
    std::function<void()> stopPreview;
    // Creates a fresh run window and shows it (not modal); it gives the main window back when
    // it closes.
    std::function<RunWindow*()> openRunWindow;
    // The Directory source: reads the working folder into the work lists again (the views
    // are emptied, not rebuilt), and rebuilds the tree and the list from them.
    std::function<void()> readDirectoryStructure;
    std::function<void()> updateTreeview;
    // The folder the Directory work lists were read from (with its "/"; empty when none was).
    std::function<QString()> directoryFolder;
    // The Free Select source: empties the list and its work lists and adds the paths back, in
    // this order (files, then directories; a path that no longer exists is not added).
    std::function<void(const QStringList& files, const QStringList& dirs)> refillFreeSelect;
    std::function<void()> generateThumbnailsFreeSel;
    // updateSelectedCount(-1).
    std::function<void()> updateSelectedCount;
    std::function<void(bool)> setUndoEnabled;
    // The order restore moved Directory rows, as a reordering by hand does.
    std::function<void()> markListOrderChanged;
};

struct DriverContext {
    RunState& state;
    // showFullPath and alwaysKeepOrder are read; the lifetime totals are kept up to date.
    settings::ProgramSettings& settings;
    // The work lists of full paths per source (indexed by sourceIndex).
    std::array<QStringList, 2>& lstFiles;
    std::array<QStringList, 2>& lstDirs;
    // The list views per source: lwDirectory and lwDragDrop.
    std::array<platform::ListView*, 2> lists{};
    filelists::SourceImages* directoryImages = nullptr;
    filelists::SourceImages* freeSelectImages = nullptr;
    // Disabled from the start of a run or undo until the run window closes.
    QWidget* mainWindow = nullptr;
    // The title of the message boxes.
    QString appName = QStringLiteral("Quenza Renamer");
    DriverHooks hooks{};

    QStringList& files(Source source) const { return lstFiles[sourceIndex(source)]; }
    QStringList& dirs(Source source) const { return lstDirs[sourceIndex(source)]; }
    platform::ListView* list(Source source) const { return lists[sourceIndex(source)]; }
};

}  // namespace runs
