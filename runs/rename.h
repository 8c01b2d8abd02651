// Renaming one file or directory on disk with all the bookkeeping of a run: the run window's
// lines and counts, the run log, the undo journal, the created sub-folders, the row snapshots,
// the Free Select refill lists and the cached pictures. Used by every naming executor and, with
// old and new name swapped, by the undo; its name rules and warning lines also serve the
// lists' rename by hand (renameByHand).
//
// Paths: a folder ends with "/"; an item's path is folder + name; a directory path has no
// trailing "/".
#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "filelists/source.h"
#include "platform/folderhandle.h"
#include "platform/result.h"
#include "runs/runreport.h"
#include "runs/runstate.h"

namespace filelists {
struct SourceImages;
}

namespace runs {

using filelists::Source;
using filelists::sourceIndex;

// Stands for a folder separator in a new name: "2003<\>Jan<\>a.txt" moves a.txt into the
// sub-folders 2003/Jan, creating them where missing. Every other "/" or "\" typed into a name
// becomes "-" through the forbidden-character map.
inline const QString kSubfolderMarker = QStringLiteral("<\\>");

// The reasons at the end of a warning line. A collision always reads kReasonExists; every
// other failure reads kReasonSkipping, followed by " (" + what went wrong + ")" when known.
inline const QString kReasonExists = QStringLiteral("Filename already exists...");
inline const QString kReasonSkipping = QStringLiteral("Skipping...");

// The suffixes of the run window's count labels after a naming run.
inline const QString kFilesRenamedSuffix = QStringLiteral(" Files Renamed.");
inline const QString kDirsRenamedSuffix = QStringLiteral(" Directories Renamed.");

// A new name as the rename will use it: cut at the markers, every piece through
// engine::replaceForbiddenChars, empty sub-folder levels dropped. The preview shows text() so
// that it can never show another name than the run gives.
struct TargetName {
    QStringList levels;  // sub-folder levels below the item's folder, outermost first
    QString leaf;        // the item's own new name
    // False when the run refuses the name: a level or the leaf is "." or "..", or the leaf is
    // empty (such a name would move the item out of its folder or give it no name).
    bool valid = true;

    // Levels and leaf joined by "/": the final name relative to the item's folder.
    QString text() const;
};
TargetName parseNewName(const QString& newName);

// Path to positions in one list of paths, so that a rename rewrites its entries without
// scanning the list. Built on first use and built again by itself when the list was replaced
// or resized since.
class PathIndex {
public:
    // Every entry of `list` equal to oldPath becomes newPath (whole texts, case-sensitive),
    // exactly as a scan of the list would. Pass the same list every time.
    void rewrite(QStringList& list, const QString& oldPath, const QString& newPath);

private:
    const QString* data_ = nullptr;
    qsizetype size_ = -1;
    // Each text's first position, and for every position the next one holding the same text
    // (-1 at the end): no allocation per rewrite.
    QHash<QString, qsizetype> first_;
    std::vector<qsizetype> next_;
};

// The indexes of orderSnapshot and reselectList; reset() forces them to be built again. Part
// of RunContext; nothing else needs to touch it.
class SnapshotIndex {
public:
    void reset();
    // Every entry of state.reselectList, then (with `order`) of state.orderSnapshot, equal to
    // oldPath becomes newPath.
    void rewrite(RunState& state, const QString& oldPath, const QString& newPath, bool order);

private:
    PathIndex order_;
    PathIndex reselect_;
};

// What one run (or one undo) hands to the rename routines, the executors, isIncluded and
// updateProgress. Make one per run or undo, after the run state has been reset and the row
// snapshots taken:
//     runs::RunContext ctx{.state = state, .report = window, .fileMode = Source::FreeSelect};
struct RunContext {
    RunState& state;
    RunReport& report;
    // The source of the rows (only Free Select keeps refill lists).
    Source fileMode = Source::Directory;
    // The run window's lines name items by their full path (log.txt always does).
    bool showFullPath = false;
    // The picture lists whose path keys follow renames: the Directory pair and the Free
    // Select pair (both are re-keyed whatever the source, as their rows may show the same
    // item). Either may be null.
    filelists::SourceImages* directoryImages = nullptr;
    filelists::SourceImages* freeSelectImages = nullptr;
    // Sets the run window's caption (updateProgress writes "Status: Renaming... 42%"). May be
    // left empty.
    std::function<void(const QString&)> setCaption{};
    // The chosen folder (with its "/"): every item's folder is walked from it without following
    // a link. Empty: each item's folder as the user gave it (Free Select items come from
    // anywhere).
    QString chosenFolder{};

    // Kept by the routines themselves -------------------------------------------------
    // The progress bar as set through setProgressMaximum and stepped by updateProgress (the
    // report cannot be read back).
    int progressValue = 0;
    int progressMaximum = 0;
    int captionPercent = -1;  // the percentage the caption shows; -1 before the first
    // Whether renames are carried into state.orderSnapshot (a run whose row order is not
    // put back afterwards leaves it alone).
    bool rewritesOrder = true;
    SnapshotIndex snapshots{};
    // selectedSnapshot as a set, built by isIncluded on first use.
    QSet<QString> selectedSet{};
    qsizetype selectedSetSource = -1;
    // The folders walked so far, made on first use from chosenFolder; closed with the context.
    std::unique_ptr<platform::fs::FolderWalk> folders{};
    // The last folder asked of itemFolder and its bytes: the items of a folder come together.
    QString walkedText{};
    std::string walkedNative{};
};

// The open folder an item of the run lies in (`folder` ends with "/"), walked from
// ctx.chosenFolder and kept for the next items in it; or why there is none (a level became a
// link, the folder is gone, or, with `expected` known, it is no longer the folder a run acted
// in). The pointer is valid until the next call.
platform::Result<const platform::fs::FolderHandle*> itemFolder(
    RunContext& ctx, const QString& folder, platform::fs::FolderId expected = {});

// Renames the file `oldName` in `folder` to `newName`, or simulates it while
// state.simulationMode is set. Returns true when the file was renamed (or would have been);
// false when there was nothing to do (newName empty or equal to oldName) or the rename failed
// or was refused, which is a warning line and warningCount + 1. Nothing is ever replaced: a
// collision is the warning "... Filename already exists...".
//
// In a run the new name goes through parseNewName: missing sub-folders are created (and
// recorded in state.createdDirs, with a "Created directory: " line each); an invalid target is
// refused with the warning line before anything is created. A real rename writes the
// "File Renamed: " line to the run window and log.txt, counts it, appends the journal record
// (folder, oldName, final name), rewrites orderSnapshot and reselectList, re-keys the cached
// pictures and, in Free Select, appends the new path to dragDropRefillFiles (the old path
// when nothing was done or the rename failed). A simulation shows the line and counts it; it
// touches nothing on disk, writes no log line and no record.
//
// While state.undoInProgress is set (the undo calls with the recorded names swapped), newName
// is used exactly as given: no marker, no map, no sub-folders; oldName may hold a relative
// path ("2003/Jan/a.txt"). No journal record is written and no refill list is touched.
//
// `finalName`, when given, receives the name as used (relative path for sub-folder moves).
//
// Nothing is ever done through a level that is a symbolic link: the folder is opened once, the
// levels below it are entered without following links (also those of an old name holding a
// path), and the rename, the new folders and the journal's folder identity come from those
// handles. With `expectedFolder` known (the undo gives the journalled one), a folder that is
// no longer that very folder is refused with the warning line.
bool renameFile(RunContext& ctx, const QString& oldName, const QString& newName,
                const QString& folder, QString* finalName = nullptr,
                platform::fs::FolderId expectedFolder = {});

// The same for a directory: "Directory Renamed: " / "Couldn't rename dir", dirsRenamedCount,
// undoDirs, dragDropRefillDirs. After a real rename in Free Select (not during an undo) the
// refill entries that lie in the directory (the directory itself, or its path followed by
// "/") are moved under the new path, siblings such as "Photos 2005" beside "Photos" are left
// alone, and the new directory path is appended to dragDropRefillDirs.
bool renameDir(RunContext& ctx, const QString& oldName, const QString& newName,
               const QString& folder, QString* finalName = nullptr,
               platform::fs::FolderId expectedFolder = {});

// A rename by hand (the lists' in-place editor): the typed text becomes a name as a run would
// make it (forbidden characters mapped, "/" and "\" included, so the item never moves; the
// names a run refuses are refused), and the item in `folder` is renamed to it without
// replacing anything. No line, no log, no journal: the caller shows `warning` and follows the
// rename in its lists.
struct HandRename {
    QString newName;       // the name as a run would give it
    bool renamed = false;  // the item now has newName
    // The run's warning line when the name was refused or the rename failed; empty when it was
    // renamed or there was nothing to do (newName equals the old name).
    QString warning;
};
HandRename renameByHand(const QString& folder, const QString& oldName, const QString& typed);

// Removes a folder that a rename of the last run created (a path of state.createdDirs) when
// it is empty: from the folder it was made in, never through a link, and only when it is still
// the folder made there.
platform::Status removeCreatedFolder(const RunState& state, const QString& path);

// One line to the run window and, unless simulating, to log.txt.
void reportLine(RunContext& ctx, const QString& line);
// Counts one more warning of the running operation and shows the count.
void countWarning(RunContext& ctx);
// "<line> (<reason>)": how the attribute and date lines name a failure's reason.
QString withReason(const QString& line, const QString& reason);

}  // namespace runs
