#include "runs/rename.h"

#include <QStringBuilder>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "engine/log.h"
#include "engine/namescope.h"
#include "filelists/imagelist.h"
#include "platform/filesystem.h"
#include "platform/folderhandle.h"
#include "platform/programfolder.h"

namespace runs {

namespace {

const QString kDot = QStringLiteral(".");
const QString kDotDot = QStringLiteral("..");
const QChar kSeparator = QLatin1Char('/');

bool isDotName(const QString& text) {
    return text == kDot || text == kDotDot;
}

// The two kinds differ only in texts and in which counter, journal and refill list they use.
enum class ItemKind { File, Dir };

struct KindTexts {
    QString renamed;
    QString warning;
};

KindTexts textsFor(ItemKind kind) {
    if (kind == ItemKind::File) {
        return {QStringLiteral("File Renamed: "),
                QStringLiteral("WARNING: Couldn't rename file <")};
    }
    return {QStringLiteral("Directory Renamed: "),
            QStringLiteral("WARNING: Couldn't rename dir <")};
}

void addRunLine(RunContext& ctx, const QString& shortLine, const QString& fullLine) {
    ctx.report.addLine(ctx.showFullPath ? fullLine : shortLine);
    // A simulation shows what it would do and leaves the run log alone.
    if (!ctx.state.simulationMode) {
        engine::logRun(fullLine);
    }
}

void appendRefill(RunContext& ctx, ItemKind kind, const QString& path) {
    if (ctx.fileMode != Source::FreeSelect || ctx.state.undoInProgress) {
        return;
    }
    (kind == ItemKind::File ? ctx.state.dragDropRefillFiles : ctx.state.dragDropRefillDirs)
        .append(path);
}

void countRenamed(RunContext& ctx, ItemKind kind) {
    if (kind == ItemKind::File) {
        ++ctx.state.filesRenamedCount;
        ctx.report.setFilesCount(ctx.state.filesRenamedCount, kFilesRenamedSuffix);
    } else {
        ++ctx.state.dirsRenamedCount;
        ctx.report.setDirsCount(ctx.state.dirsRenamedCount, kDirsRenamedSuffix);
    }
}

void writeJournal(RunContext& ctx, ItemKind kind, const QString& oldName, const QString& newName,
                  const QString& folder, platform::fs::FolderId folderId) {
    // The journal grows with the run: the record of the k-th change is at k - 1 whatever size
    // the driver gave the list, so no change can go unrecorded.
    auto fill = [&](auto& journal, std::int32_t count) {
        if (journal.size() < count) {
            // The list grows geometrically and moves its records without copying their texts;
            // a reserve() here would copy the whole journal on every growth.
            journal.resize(count);
        }
        auto& record = journal[count - 1];
        record.folder = folder;
        record.folderId = folderId;
        record.oldName = oldName;
        record.newName = newName;
    };
    if (kind == ItemKind::File) {
        fill(ctx.state.undoFiles, ctx.state.filesRenamedCount);
    } else {
        fill(ctx.state.undoDirs, ctx.state.dirsRenamedCount);
    }
}

void rekeyImages(RunContext& ctx, const QString& oldPath, const QString& newPath) {
    for (filelists::SourceImages* images : {ctx.directoryImages, ctx.freeSelectImages}) {
        if (images != nullptr) {
            filelists::renamePathKey(*images, oldPath, newPath);
        }
    }
}

// Moves the refill entries that lie in the renamed directory under its new path. An entry
// lies in it when it is the directory itself or continues with "/" after its path; a sibling
// whose name merely begins with the same text ("Photos 2005" beside "Photos") does not.
void moveRefillEntries(QStringList& entries, const QString& oldDir, const QString& newDir) {
    const qsizetype length = oldDir.size();
    for (QString& entry : entries) {
        if (entry.startsWith(oldDir) &&
            (entry.size() == length || entry.at(length) == kSeparator)) {
            entry = newDir + entry.mid(length);
        }
    }
}

// Why an item was not renamed: a name in the way, or what else went wrong (when known).
QString refusalReason(bool checkTarget, const QString& target, const QString& detail) {
    if (checkTarget && platform::fs::exists(platform::nativePath(target))) {
        return kReasonExists;
    }
    if (detail.isEmpty()) {
        return kReasonSkipping;
    }
    return kReasonSkipping + QStringLiteral(" (") + detail + QLatin1Char(')');
}

QString refusalLine(ItemKind kind, const QString& oldName, const QString& newName,
                    const QString& reason) {
    return textsFor(kind).warning + oldName + QStringLiteral("> as <") + newName +
           QStringLiteral("> ") + reason;
}

// The run refuses a name that would leave the item's folder or give it no name.
const QString kInvalidNameDetail =
    QStringLiteral("a name or sub-folder may not be empty, \".\" or \"..\"");

// The warning of an item that was not renamed; the item keeps its place everywhere.
bool fail(RunContext& ctx, ItemKind kind, const QString& oldName, const QString& newName,
          const QString& folder, const QString& detail, bool checkTarget) {
    appendRefill(ctx, kind, folder + oldName);
    const QString reason = refusalReason(checkTarget, folder + newName, detail);
    addRunLine(ctx, refusalLine(kind, oldName, newName, reason),
               refusalLine(kind, folder + oldName, folder + newName, reason));
    countWarning(ctx);
    return false;
}

// The first level of a new name's path that is a symbolic link, or empty. A name moved through
// a linked folder would land outside the chosen folder, wherever the link points.
QString linkedLevel(const QString& folder, const QStringList& levels) {
    QString soFar = folder;
    for (const QString& level : levels) {
        soFar += level;
        if (platform::fs::isSymbolicLink(platform::nativePath(soFar))) {
            return soFar;
        }
        soFar += kSeparator;
    }
    return QString();
}

std::vector<std::string> nativeLevels(const QStringList& levels) {
    std::vector<std::string> native;
    native.reserve(static_cast<std::size_t>(levels.size()));
    for (const QString& level : levels) {
        native.push_back(platform::nativePath(level));
    }
    return native;
}

// A rename that could not be made, and whether it got as far as the rename itself (only then
// can a name in the way be the reason).
struct Attempt {
    platform::Status status = platform::Status::success();
    bool reachedRename = false;
};

// Renames folder + oldName to folder + levels + leaf on folder handles, so that a level
// swapped for a link after a check cannot redirect it: the folder is opened once (as the user
// chose it; during an undo it must be the very folder the run acted in), every level below it
// is entered without following a link, and missing target levels are created from the
// outermost in, each with its "Created directory: " line (shown as "/Jan" below the first).
Attempt renameOnHandles(RunContext& ctx, const QString& folder, const QString& oldName,
                        const QStringList& levels, const QString& leaf,
                        platform::fs::FolderId expectedFolder, platform::fs::FolderId* actedIn) {
    namespace fs = platform::fs;
    Attempt attempt;
    const platform::Result<const fs::FolderHandle*> opened =
        itemFolder(ctx, folder, expectedFolder);
    if (!opened) {
        attempt.status = opened.status();
        return attempt;
    }
    const fs::FolderHandle* base = *opened;
    *actedIn = base->id();

    // During an undo the old name may name the item inside sub-folders ("2003/Jan/a.txt").
    std::vector<std::string> sourceLevels = fs::pathLevels(platform::nativePath(oldName));
    const std::string sourceName = sourceLevels.empty() ? std::string() : sourceLevels.back();
    if (!sourceLevels.empty()) {
        sourceLevels.pop_back();
    }
    std::optional<fs::FolderHandle> sourceHeld;
    if (!sourceLevels.empty()) {
        fs::Descent source = fs::descend(*base, sourceLevels);
        if (!source.folder) {
            attempt.status = platform::Status::failure(source.reason);
            return attempt;
        }
        sourceHeld = std::move(source.folder);
    }

    std::optional<fs::FolderHandle> targetHeld;
    if (!levels.isEmpty()) {
        RunState& state = ctx.state;
        const fs::FolderId baseId = base->id();
        const auto created = [&](std::size_t index, fs::FolderId id) {
            const QString path =
                folder + levels.mid(0, static_cast<qsizetype>(index) + 1).join(kSeparator);
            const QString& level = levels.at(static_cast<qsizetype>(index));
            const QString shownLevel = index == 0 ? level : kSeparator + level;
            const QString prefix = QStringLiteral("Created directory: ");
            addRunLine(ctx, prefix + shownLevel, prefix + path);
            state.createdDirs.append(path);
            state.createdFolders.insert(path, CreatedFolder{baseId, folder.size(), id});
        };
        fs::Descent target = fs::descend(*base, nativeLevels(levels), created);
        if (!target.folder) {
            attempt.status = platform::Status::failure(target.reason);
            return attempt;
        }
        targetHeld = std::move(target.folder);
    }
    attempt.reachedRename = true;
    attempt.status =
        fs::renameNoReplace(sourceHeld ? *sourceHeld : *base, sourceName,
                            targetHeld ? *targetHeld : *base, platform::nativePath(leaf));
    return attempt;
}

bool renameItem(RunContext& ctx, ItemKind kind, const QString& oldName, const QString& newName,
                const QString& folder, QString* finalName, platform::fs::FolderId expectedFolder) {
    RunState& state = ctx.state;
    if (finalName != nullptr) {
        *finalName = newName;
    }
    if (newName.isEmpty() || newName == oldName) {
        appendRefill(ctx, kind, folder + oldName);
        return false;
    }

    // The undo gives back a name as it was on disk: it may hold any character, and a marker
    // or a level in it is none.
    QString target = newName;
    QString leaf = newName;
    QStringList levels;
    if (!state.undoInProgress) {
        const TargetName parsed = parseNewName(newName);
        target = parsed.text();
        leaf = parsed.leaf;
        levels = parsed.levels;
        if (finalName != nullptr) {
            *finalName = target;
        }
        if (!parsed.valid) {
            return fail(ctx, kind, oldName, target, folder, kInvalidNameDetail, false);
        }
        if (const QString link = linkedLevel(folder, levels); !link.isEmpty()) {
            return fail(ctx, kind, oldName, target, folder,
                        QStringLiteral("the sub-folder ") + link +
                            QStringLiteral(" is a symbolic link; nothing is moved through it"),
                        false);
        }
    }

    // Each line made in one piece: a run makes tens of thousands of them.
    const KindTexts texts = textsFor(kind);
    const QString shortLine = texts.renamed % oldName % u" --> " % target;
    const QString fullLine = texts.renamed % folder % oldName % u" --> " % folder % target;

    if (state.simulationMode) {
        addRunLine(ctx, shortLine, fullLine);
        countRenamed(ctx, kind);
        if (kind == ItemKind::File) {
            ctx.report.processEvents();
        }
        return true;
    }

    const QString oldPath = folder % oldName;
    const QString newPath = folder % target;
    platform::fs::FolderId actedIn;
    const Attempt renamed =
        renameOnHandles(ctx, folder, oldName, levels, leaf, expectedFolder, &actedIn);
    if (!renamed.status) {
        return fail(ctx, kind, oldName, target, folder,
                    QString::fromStdString(renamed.status.reason()), renamed.reachedRename);
    }

    // From here on the change is done: every step below only records it and cannot fail.
    if (kind == ItemKind::Dir) {
        // The walked handles of the old path now lead to the renamed folder.
        if (ctx.folders) {
            ctx.folders->forget(platform::nativePath(oldPath));
            ctx.folders->forget(platform::nativePath(newPath));
        }
        ctx.report.processEvents();
    }
    addRunLine(ctx, shortLine, fullLine);
    countRenamed(ctx, kind);
    if (!state.undoInProgress) {
        writeJournal(ctx, kind, oldName, target, folder, actedIn);
        if (kind == ItemKind::File) {
            appendRefill(ctx, kind, newPath);
        }
    }
    ctx.snapshots.rewrite(state, oldPath, newPath, ctx.rewritesOrder);
    rekeyImages(ctx, oldPath, newPath);
    if (kind == ItemKind::Dir) {
        if (ctx.fileMode == Source::FreeSelect && !state.undoInProgress) {
            moveRefillEntries(state.dragDropRefillFiles, oldPath, newPath);
            moveRefillEntries(state.dragDropRefillDirs, oldPath, newPath);
            state.dragDropRefillDirs.append(newPath);
        }
    } else {
        ctx.report.processEvents();
    }
    return true;
}

}  // namespace

HandRename renameByHand(const QString& folder, const QString& oldName, const QString& typed) {
    HandRename result;
    // Forbidden characters are mapped before the name is cut, so that a typed "/" or "\"
    // never moves the item.
    const TargetName target = parseNewName(engine::replaceForbiddenChars(typed));
    result.newName = target.text();
    if (result.newName == oldName) {
        return result;
    }
    const QString oldPath = folder + oldName;
    const QString newPath = folder + result.newName;
    const ItemKind kind =
        platform::fs::kindOf(platform::nativePath(oldPath)) == platform::fs::Kind::Directory
            ? ItemKind::Dir
            : ItemKind::File;
    if (!target.valid) {
        result.warning = refusalLine(kind, oldName, result.newName,
                                     refusalReason(false, newPath, kInvalidNameDetail));
        return result;
    }
    const platform::Status renamed =
        platform::fs::renameNoReplace(platform::nativePath(oldPath), platform::nativePath(newPath));
    if (!renamed) {
        result.warning =
            refusalLine(kind, oldName, result.newName,
                        refusalReason(true, newPath, QString::fromStdString(renamed.reason())));
        return result;
    }
    result.renamed = true;
    return result;
}

QString TargetName::text() const {
    if (levels.isEmpty()) {
        return leaf;
    }
    return levels.join(kSeparator) + kSeparator + leaf;
}

TargetName parseNewName(const QString& newName) {
    TargetName result;
    // Cut at the markers first: a name may itself contain any text, and only a real marker
    // makes a folder.
    QStringList pieces = newName.split(kSubfolderMarker);
    result.leaf = engine::replaceForbiddenChars(pieces.takeLast());
    for (const QString& piece : pieces) {
        const QString level = engine::replaceForbiddenChars(piece);
        if (level.isEmpty()) {
            continue;
        }
        if (isDotName(level)) {
            result.valid = false;
        }
        result.levels.append(level);
    }
    if (result.leaf.isEmpty() || isDotName(result.leaf)) {
        result.valid = false;
    }
    return result;
}

// SnapshotIndex --------------------------------------------------------------------------

void SnapshotIndex::reset() {
    order_ = PathIndex{};
    reselect_ = PathIndex{};
}

void SnapshotIndex::rewrite(RunState& state, const QString& oldPath, const QString& newPath,
                            bool order) {
    reselect_.rewrite(state.reselectList, oldPath, newPath);
    if (order) {
        order_.rewrite(state.orderSnapshot, oldPath, newPath);
    }
}

void PathIndex::rewrite(QStringList& list, const QString& oldPath, const QString& newPath) {
    if (data_ != list.constData() || size_ != list.size()) {
        first_.clear();
        first_.reserve(list.size());
        next_.assign(static_cast<std::size_t>(list.size()), -1);
        for (qsizetype i = list.size() - 1; i >= 0; --i) {
            const auto known = first_.find(list.at(i));
            if (known == first_.end()) {
                first_.insert(list.at(i), i);
            } else {
                next_[static_cast<std::size_t>(i)] = known.value();
                known.value() = i;
            }
        }
    }
    const auto found = oldPath == newPath ? first_.end() : first_.find(oldPath);
    if (found != first_.end()) {
        const qsizetype head = found.value();
        first_.erase(found);
        qsizetype tail = head;
        for (qsizetype i = head; i >= 0; i = next_[static_cast<std::size_t>(i)]) {
            list[i] = newPath;
            tail = i;
        }
        const auto joined = first_.find(newPath);
        if (joined == first_.end()) {
            first_.insert(newPath, head);
        } else {
            next_[static_cast<std::size_t>(tail)] = joined.value();
            joined.value() = head;
        }
    }
    // Writing may have detached the list; remember the data it now lives in.
    data_ = list.constData();
    size_ = list.size();
}

// Renames -----------------------------------------------------------------------------------

bool renameFile(RunContext& ctx, const QString& oldName, const QString& newName,
                const QString& folder, QString* finalName, platform::fs::FolderId expectedFolder) {
    return renameItem(ctx, ItemKind::File, oldName, newName, folder, finalName, expectedFolder);
}

bool renameDir(RunContext& ctx, const QString& oldName, const QString& newName,
               const QString& folder, QString* finalName, platform::fs::FolderId expectedFolder) {
    return renameItem(ctx, ItemKind::Dir, oldName, newName, folder, finalName, expectedFolder);
}

platform::Result<const platform::fs::FolderHandle*> itemFolder(RunContext& ctx,
                                                               const QString& folder,
                                                               platform::fs::FolderId expected) {
    if (!ctx.folders) {
        ctx.folders = std::make_unique<platform::fs::FolderWalk>(
            ctx.chosenFolder.isEmpty() ? std::string() : platform::nativePath(ctx.chosenFolder));
    }
    if (ctx.walkedText.isNull() || folder != ctx.walkedText) {
        ctx.walkedNative = platform::nativePath(folder);
        ctx.walkedText = folder;
    }
    platform::Result<const platform::fs::FolderHandle*> opened =
        ctx.folders->open(ctx.walkedNative);
    if (opened && expected.known() && (*opened)->id() != expected) {
        return platform::Status::failure(
            "the folder " + platform::nativePath(folder) +
            " is no longer the folder the run acted in (a link or another folder took its "
            "place); nothing is done through it");
    }
    return opened;
}

platform::Status removeCreatedFolder(const RunState& state, const QString& path) {
    namespace fs = platform::fs;
    // Without a record of where it was made (a journal from elsewhere): from its parent.
    CreatedFolder where;
    where.baseLength = path.lastIndexOf(kSeparator) + 1;
    const auto known = state.createdFolders.constFind(path);
    if (known != state.createdFolders.cend()) {
        where = known.value();
    }
    const QString basePath = path.left(where.baseLength);
    std::vector<std::string> levels =
        fs::pathLevels(platform::nativePath(path.mid(basePath.size())));
    if (levels.empty()) {
        return platform::Status::failure("no folder to remove was given");
    }
    platform::Result<fs::FolderHandle> base =
        fs::FolderHandle::open(platform::nativePath(basePath));
    if (!base) {
        return base.status();
    }
    if (where.base.known() && base->id() != where.base) {
        return platform::Status::failure("the folder " + platform::nativePath(basePath) +
                                         " is no longer the one the folder was made in");
    }
    const std::string name = levels.back();
    levels.pop_back();
    if (levels.empty()) {
        return fs::removeFolder(*base, name, where.self);
    }
    fs::Descent parent = fs::descend(*base, levels);
    if (!parent.folder) {
        return platform::Status::failure(parent.reason);
    }
    return fs::removeFolder(*parent.folder, name, where.self);
}

void reportLine(RunContext& ctx, const QString& line) {
    ctx.report.addLine(line);
    if (!ctx.state.simulationMode) {
        engine::logRun(line);
    }
}

void countWarning(RunContext& ctx) {
    ++ctx.state.warningCount;
    ctx.report.setWarningCount(ctx.state.warningCount);
}

QString withReason(const QString& line, const QString& reason) {
    return line + QStringLiteral(" (") + reason + QStringLiteral(")");
}

}  // namespace runs
