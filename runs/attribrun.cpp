#include "runs/attribrun.h"

#include <QStringBuilder>

#include <algorithm>
#include <exception>
#include <functional>
#include <optional>
#include <vector>

#include "filelists/rowtext.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"
#include "runs/blockwalk.h"
#include "runs/executors.h"
#include "runs/rename.h"
#include "runs/runstate.h"

namespace runs {

namespace fs = platform::fs;

namespace {

struct Box {
    int AttribOptions::*box;
    std::uint32_t bit;
    QChar letter;
};
constexpr Box kBoxes[] = {
    {&AttribOptions::chkR, fs::ReadOnly, u'R'},
    {&AttribOptions::chkH, fs::Hidden, u'H'},
    {&AttribOptions::chkS, fs::System, u'S'},
    {&AttribOptions::chkA, fs::Archive, u'A'},
};

bool hiddenByName(const QString& name) {
    return name.startsWith(u'.') && name != QStringLiteral(".") && name != QStringLiteral("..");
}

QString bracketed(const QString& oldText, const QString& newText) {
    return QStringLiteral(" [") + oldText + QStringLiteral("] -> [") + newText +
           QStringLiteral("]");
}

// The letters of each value the run meets, made once per run and shared by its lines and
// journal records.
class LetterTexts {
public:
    const QString& of(std::uint32_t bits) {
        QString& text = texts_[bits & kAttribRunBits];
        if (text.isNull()) {
            text = filelists::attributeLetters(bits & kAttribRunBits);
        }
        return text;
    }

private:
    QString texts_[kAttribRunBits + 1];
};

void warn(RunContext& ctx, bool isDir, const QString& item, const QString& oldText,
          const QString& newText, const QString& reason) {
    const QString head = isDir ? QStringLiteral("WARNING! Dir attribute change failed: ")
                               : QStringLiteral("WARNING! File attribute change failed: ");
    reportLine(ctx, withReason(head + item + bracketed(oldText, newText), reason));
    countWarning(ctx);
}

// One item of the attribute run: what this thread found before the change, and what came of
// it.
struct AttribSlot {
    filelists::PathParts parts;
    bool included = false;
    // The open folder; -1 when `failure` already says why there is none.
    int folder = -1;
    fs::FolderId folderId;
    std::string name;  // the name's bytes
    bool dotName = false;
    // The bits as read, as the boxes ask, and as written (a dot name stays hidden).
    std::uint32_t oldValue = 0;
    std::uint32_t asked = 0;
    std::uint32_t newValue = 0;
    fs::AttributeChange change;
    // The folder could not be opened, or the item failed outright: why.
    bool failed = false;
    QString failure;
};

void prepareItem(RunContext& ctx, const QString& entry, AttribSlot& slot) {
    slot = AttribSlot();
    try {
        slot.parts = filelists::splitPath(entry);
        slot.included = isIncluded(ctx, entry);  // the entry is the item's folder and name
        if (!slot.included) {
            return;
        }
        const platform::Result<const fs::FolderHandle*> folder = itemFolder(ctx, slot.parts.folder);
        if (!folder) {
            slot.failed = true;
            slot.failure = QString::fromStdString(folder.reason());
            return;
        }
        slot.folder = (*folder)->fd();
        slot.folderId = (*folder)->id();
        slot.name = platform::nativePath(slot.parts.name);
        slot.dotName = hiddenByName(slot.parts.name);
    } catch (const std::exception& failure) {
        // Out of memory and the like: this item is a warning, the run goes on.
        slot.included = true;
        slot.folder = -1;
        slot.failed = true;
        slot.failure = QString::fromLocal8Bit(failure.what());
    }
}

// The entry is read and changed through one handle.
void actOn(AttribSlot& slot, const AttribOptions& options, bool simulate) {
    if (!slot.included || slot.folder < 0) {
        return;
    }
    try {
        slot.change = fs::changeAttributesAt(
            slot.folder, slot.name,
            [&](const fs::EntryState& state) -> std::optional<std::uint32_t> {
                slot.oldValue = state.attributes & kAttribRunBits;
                slot.asked = applyAttribBoxes(slot.oldValue, options);
                slot.newValue = slot.dotName ? slot.asked | fs::Hidden : slot.asked;
                if (slot.newValue == slot.oldValue || simulate) {
                    return std::nullopt;
                }
                // Only these four bits are written; everything else the item has stays.
                return slot.newValue;
            });
    } catch (const std::exception& failure) {
        slot.failed = true;
        slot.failure = QString::fromLocal8Bit(failure.what());
    }
}

void reportItem(RunContext& ctx, LetterTexts& letters, const AttribSlot& slot, bool isDir,
                const AttribOptions& options) {
    const filelists::PathParts& parts = slot.parts;
    const QString item = (ctx.showFullPath ? parts.folder : QString()) + parts.name;
    if (slot.failed) {
        warn(ctx, isDir, item, unknownAttribText(nullptr), unknownAttribText(&options),
             slot.failure);
        return;
    }
    const fs::AttributeChange& change = slot.change;
    if (!change.before) {
        warn(ctx, isDir, item, unknownAttribText(nullptr), unknownAttribText(&options),
             QString::fromStdString(change.before.reason()));
        return;
    }
    const std::uint32_t oldValue = slot.oldValue;
    const std::uint32_t newValue = slot.newValue;
    const QString& oldText = letters.of(oldValue);
    if (newValue == oldValue) {
        if (slot.asked != oldValue) {
            warn(ctx, isDir, item, oldText, letters.of(slot.asked),
                 QStringLiteral("a name beginning with \".\" is always hidden"));
        }
        return;
    }
    const QString& newText = letters.of(newValue);
    const unsigned oldMode = change.before->mode;
    const bool hadStored = change.before->hasStoredAttributes;
    if (!change.written) {
        warn(ctx, isDir, item, oldText, newText, QString::fromStdString(change.written.reason()));
        return;
    }
    // The line in one piece: a run makes tens of thousands of them.
    reportLine(ctx, (isDir ? QStringLiteral("Directory Attribute Changed: ")
                           : QStringLiteral("File Attribute Changed: ")) %
                        item % u" [" % oldText % u"] -> [" % newText % u']');
    RunState& state = ctx.state;
    if (isDir) {
        ++state.dirsRenamedCount;
        ctx.report.setDirsCount(state.dirsRenamedCount, kDirsChangedSuffix);
        DirUndoRecord record;
        record.oldName = parts.name;
        record.folder = parts.folder;
        record.folderId = slot.folderId;
        record.oldAttributes = static_cast<int>(oldValue);
        record.newAttribText = newText;
        record.oldAttribText = oldText;
        record.hadStoredAttributes = hadStored;
        putJournalRecord(state.undoDirs, state.dirsRenamedCount, std::move(record));
    } else {
        ++state.filesRenamedCount;
        ctx.report.setFilesCount(state.filesRenamedCount, kFilesChangedSuffix);
        FileUndoRecord record;
        record.oldName = parts.name;
        record.folder = parts.folder;
        record.folderId = slot.folderId;
        record.oldAttributes = static_cast<int>(oldValue);
        record.oldMode = oldMode;
        record.newAttribText = newText;
        record.oldAttribText = oldText;
        record.hadStoredAttributes = hadStored;
        putJournalRecord(state.undoFiles, state.filesRenamedCount, std::move(record));
    }
}

// One work list, the entry at `index(i)` for its i-th item; false when a cancel ended it.
bool walkList(RunContext& ctx, LetterTexts& letters, const QStringList& list,
              const std::function<qsizetype(qsizetype)>& index, bool isDir,
              const AttribOptions& options) {
    const bool simulate = ctx.state.simulationMode;
    std::vector<AttribSlot> items(walkSlots(list.size()));
    BlockSteps steps;
    steps.folderOf = [&](qsizetype i) { return filelists::folderPart(list[index(i)]); };
    steps.prepare = [&](qsizetype i, std::size_t at) {
        prepareItem(ctx, list[index(i)], items[at]);
    };
    steps.act = [&](std::size_t from, std::size_t to) {
        for (std::size_t at = from; at < to; ++at) {
            actOn(items[at], options, simulate);
        }
    };
    steps.report = [&](qsizetype, std::size_t at) {
        const AttribSlot& slot = items[at];
        if (!slot.included) {
            return;
        }
        try {
            reportItem(ctx, letters, slot, isDir, options);
        } catch (const std::exception& failure) {
            const QString item =
                (ctx.showFullPath ? slot.parts.folder : QString()) + slot.parts.name;
            warn(ctx, isDir, item, unknownAttribText(nullptr), unknownAttribText(&options),
                 QString::fromLocal8Bit(failure.what()));
        }
    };
    return walkInBlocks(ctx, list.size(), steps);
}

}  // namespace

std::uint32_t applyAttribBoxes(std::uint32_t value, const AttribOptions& options) {
    std::uint32_t result = value & kAttribRunBits;
    for (const Box& box : kBoxes) {
        const int wanted = options.*box.box;
        if (wanted == 0) {
            result &= ~box.bit;
        } else if (wanted == 1) {
            result |= box.bit;
        }
    }
    return result;
}

QString unknownAttribText(const AttribOptions* boxes) {
    QString text;
    for (const Box& box : kBoxes) {
        const int wanted = boxes != nullptr ? boxes->*box.box : 2;
        text += wanted == 1 ? box.letter : wanted == 0 ? QChar(u'-') : QChar(u'?');
    }
    return text;
}

void executeAttrib(RunContext& ctx, const QStringList& files, const QStringList& dirs,
                   const AttribOptions& options) {
    RunState& state = ctx.state;
    ctx.report.setFilesCount(0, kFilesChangedSuffix);
    ctx.report.setDirsCount(0, kDirsChangedSuffix);
    state.lastRunChangedAttributes = true;
    state.lastRunChangedDates = false;

    LetterTexts letters;
    // Files first to last, then the folders from the last (the deepest) up.
    const bool going = walkList(
        ctx, letters, files, [](qsizetype i) { return i; }, false, options);
    if (going) {
        const qsizetype last = dirs.size() - 1;
        walkList(
            ctx, letters, dirs, [last](qsizetype i) { return last - i; }, true, options);
    }
    state.lastRunFileCount = state.filesRenamedCount;
    state.lastRunDirCount = state.dirsRenamedCount;
}

}  // namespace runs
