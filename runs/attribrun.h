// The attribute run of the Attrib tab: gives every included file and directory the read-only,
// hidden, system and archive bits that the tab's four tri-state boxes ask for, and only those.
// Each change is shown, logged, counted and journalled with the item's previous bits, so that
// the undo (runs/revert.h) can put them back exactly.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

#include <cstdint>

namespace runs {

struct RunContext;

// The Attrib tab's options, as its controls hold them. The window fills one from its inputs;
// the runs never look at widgets.
struct AttribOptions {
    // Which alternative is chosen: 0 the attributes, 1 the date and time.
    int optAttrib = 0;

    // The attribute boxes: 0 clears the bit, 1 sets it, 2 leaves it as each item has it.
    int chkR = 2;  // "Write Protect"
    int chkH = 2;  // "Hidden"
    int chkS = 2;  // "System"
    int chkA = 2;  // "Archive"

    // "New Date:" and "New Time:": a ticked box takes that part from its picker; an unticked
    // one lets every file keep its own date, respectively its own time of day. The window
    // keeps at least one of the two ticked.
    bool chkDateDate = true;
    QDate dtDate;
    bool chkDateTime = true;
    QTime dtTime;  // only hour, minute and second are used

    // Which of a file's three times change; the others are left exactly as they are.
    bool chkDateCreated = false;
    bool chkDateAccessed = false;
    bool chkDateModified = true;
};

// The suffixes of the run window's count labels after the attribute and date runs and their
// reversal.
inline const QString kFilesChangedSuffix = QStringLiteral(" Files Changed.");
inline const QString kDirsChangedSuffix = QStringLiteral(" Directories Changed.");

// The four bits the attribute run looks at: read-only 1, hidden 2, system 4, archive 32.
// Every other bit (a directory's own bit included) is never compared, shown or written.
inline constexpr std::uint32_t kAttribRunBits = 1u | 2u | 4u | 32u;

// The item's four bits after applying the boxes to `value` (read-only 1, hidden 2, system 4,
// archive 32; other bits are dropped). A box outside 0..2 counts as 2.
std::uint32_t applyAttribBoxes(std::uint32_t value, const AttribOptions& options);

// The bracketed text of an item whose attributes could not be read: the letters the boxes
// decide ("R" or "-" for a box at 1 or 0) and "?" where the item's own bit would have stayed.
QString unknownAttribText(const AttribOptions* boxes);

// The attribute run over the current source's work lists: the files first to last, then the
// directories last to first (children before their parents). Per included item whose four
// bits differ from what the boxes ask:
//   - unless simulating, sets exactly the asked bits (bits at 2 and every other attribute of
//     the item stay as they are);
//   - the line "File Attribute Changed: <prefix><name> [<old>] -> [<new>]" ("Directory
//     Attribute Changed: " for a directory) goes to the run window and, unless simulating, to
//     log.txt, with the folder as prefix when ctx.showFullPath is set;
//   - filesRenamedCount or dirsRenamedCount rises, its label shows " Files Changed." /
//     " Directories Changed.", and a journal record (oldName, folder, oldAttributes,
//     newAttribText, oldAttribText) is appended; also in simulation.
// A name beginning with "." is hidden by its name, so the hidden box cannot clear it: the item
// keeps its hidden bit, and when that was the only change asked it gets the warning line.
// A failure on one item (vanished, refused by the file system) is the line "WARNING! File
// attribute change failed: " / "WARNING! Dir attribute change failed: " with the same tail
// followed by " (<reason>)", and warningCount + 1. When the item's bits could not be read the
// brackets show "?" for what is unknown, never another item's values.
// Every entry takes one progress step; a cancel seen after an entry ends both loops. At the
// start lastRunChangedAttributes := true, lastRunChangedDates := false and the labels read
// "0 Files Changed." and "0 Directories Changed."; at the end lastRunFileCount and
// lastRunDirCount take the counters (also after a cancel).
void executeAttrib(RunContext& ctx, const QStringList& files, const QStringList& dirs,
                   const AttribOptions& options);

}  // namespace runs
