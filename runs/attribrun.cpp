#include "runs/attribrun.h"

#include <QStringBuilder>

#include <exception>
#include <optional>

#include "filelists/rowtext.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"
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

void changeItem(RunContext& ctx, LetterTexts& letters, const filelists::PathParts& parts,
                bool isDir, const AttribOptions& options) {
    const QString item = (ctx.showFullPath ? parts.folder : QString()) + parts.name;
    const platform::Result<const fs::FolderHandle*> folder = itemFolder(ctx, parts.folder);
    if (!folder) {
        warn(ctx, isDir, item, unknownAttribText(nullptr), unknownAttribText(&options),
             QString::fromStdString(folder.reason()));
        return;
    }
    const int folderFd = (*folder)->fd();
    const fs::FolderId folderId = (*folder)->id();
    const std::string name = platform::nativePath(parts.name);

    // The entry is read and changed through one handle.
    std::uint32_t oldValue = 0;
    std::uint32_t asked = 0;
    std::uint32_t newValue = 0;
    const bool dotName = hiddenByName(parts.name);
    const fs::AttributeChange change = fs::changeAttributesAt(
        folderFd, name, [&](const fs::EntryState& state) -> std::optional<std::uint32_t> {
            oldValue = state.attributes & kAttribRunBits;
            asked = applyAttribBoxes(oldValue, options);
            newValue = dotName ? asked | fs::Hidden : asked;
            if (newValue == oldValue || ctx.state.simulationMode) {
                return std::nullopt;
            }
            // Only these four bits are written; everything else the item has stays.
            return newValue;
        });
    if (!change.before) {
        warn(ctx, isDir, item, unknownAttribText(nullptr), unknownAttribText(&options),
             QString::fromStdString(change.before.reason()));
        return;
    }
    const QString& oldText = letters.of(oldValue);
    if (newValue == oldValue) {
        if (asked != oldValue) {
            warn(ctx, isDir, item, oldText, letters.of(asked),
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
        record.folderId = folderId;
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
        record.folderId = folderId;
        record.oldAttributes = static_cast<int>(oldValue);
        record.oldMode = oldMode;
        record.newAttribText = newText;
        record.oldAttribText = oldText;
        record.hadStoredAttributes = hadStored;
        putJournalRecord(state.undoFiles, state.filesRenamedCount, std::move(record));
    }
}

// One entry of a work list; false when a cancel ends the run.
bool walkEntry(RunContext& ctx, LetterTexts& letters, const QString& entry, bool isDir,
               const AttribOptions& options) {
    const filelists::PathParts parts = filelists::splitPath(entry);
    try {
        if (isIncluded(ctx, entry)) {  // the entry is the item's folder and name
            changeItem(ctx, letters, parts, isDir, options);
        }
    } catch (const std::exception& failure) {
        // Out of memory and the like: this item is a warning, the run goes on.
        const QString item = (ctx.showFullPath ? parts.folder : QString()) + parts.name;
        warn(ctx, isDir, item, unknownAttribText(nullptr), unknownAttribText(&options),
             QString::fromLocal8Bit(failure.what()));
    }
    if (ctx.state.cancelRequested) {
        return false;
    }
    updateProgress(ctx);
    return true;
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

    bool going = true;
    LetterTexts letters;
    for (qsizetype i = 0, count = files.size(); going && i < count; ++i) {
        going = walkEntry(ctx, letters, files[i], false, options);
    }
    for (qsizetype i = dirs.size() - 1; going && i >= 0; --i) {
        going = walkEntry(ctx, letters, dirs[i], true, options);
    }
    state.lastRunFileCount = state.filesRenamedCount;
    state.lastRunDirCount = state.dirsRenamedCount;
}

}  // namespace runs
