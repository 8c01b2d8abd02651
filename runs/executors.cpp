#include "runs/executors.h"

#include <algorithm>
#include <cmath>

#include "engine/findreplace.h"
#include "engine/namescope.h"

namespace runs {

namespace {

QString replaceName(const NamingOptions& options, const QString& name) {
    engine::NameScope scope(options.options.scope);
    const QString part = scope.splitNamePart(name);
    return scope.joinNamePart(engine::findReplace(part, options.options.replace));
}

QString batchReplaceName(const NamingOptions& options, const QString& name) {
    engine::NameScope scope(options.options.scope);
    QString part = scope.splitNamePart(name);
    for (const engine::BatchReplaceItem& item : options.batchReplaceList) {
        part = engine::findReplace(part, item.find, item.replace, item.caseSensitive, item.swapMode,
                                   item.start, item.count);
    }
    return scope.joinNamePart(part);
}

// Appends entries [from, to) of a list that the run did not walk to a Free Select refill
// list, so the rebuilt list keeps them under their unchanged paths.
void keepUnwalked(RunContext& ctx, QStringList& refill, const QStringList& entries, qsizetype from,
                  qsizetype to) {
    if (ctx.fileMode != 1 || ctx.state.undoInProgress) {
        return;
    }
    for (qsizetype i = from; i < to; ++i) {
        refill.append(entries.at(i));
    }
}

// The one loop of every naming executor.
void runLoop(RunContext& ctx, NamingMode mode, const NamingOptions& options,
             const QStringList& files, const QStringList& dirs, WalkKinds kinds) {
    RunState& state = ctx.state;
    state.lastRunChangedAttributes = false;
    const bool walkDirs = kinds.dirs && modeWalksDirectories(mode);

    bool cancelled = false;
    qsizetype fileCount = files.size();
    if (kinds.files) {
        for (qsizetype i = 0; i < fileCount; ++i) {
            const QString& entry = files.at(i);
            if (isIncluded(ctx, entry)) {
                const SplitPath item = splitEntry(entry);
                renameFile(ctx, item.name, newNameFor(mode, options, item.folder, item.name),
                           item.folder);
            }
            if (state.cancelRequested) {
                keepUnwalked(ctx, state.dragDropRefillFiles, files, i + 1, fileCount);
                cancelled = true;
                break;
            }
            updateProgress(ctx);
        }
    } else {
        keepUnwalked(ctx, state.dragDropRefillFiles, files, 0, fileCount);
    }

    if (walkDirs && !cancelled) {
        for (qsizetype i = dirs.size() - 1; i >= 0; --i) {
            const QString& entry = dirs.at(i);
            if (isIncluded(ctx, entry)) {
                const SplitPath item = splitEntry(entry);
                renameDir(ctx, item.name, newNameFor(mode, options, item.folder, item.name),
                          item.folder);
            }
            if (state.cancelRequested) {
                keepUnwalked(ctx, state.dragDropRefillDirs, dirs, 0, i);
                break;
            }
            updateProgress(ctx);
        }
    } else {
        keepUnwalked(ctx, state.dragDropRefillDirs, dirs, 0, dirs.size());
    }

    state.lastRunFileCount = state.filesRenamedCount;
    state.lastRunDirCount = modeWalksDirectories(mode) ? state.dirsRenamedCount : 0;
}

}  // namespace

NamingMode namingModeFor(const ModeSelection& selection) {
    const QString& key = selection.tabKey;
    if (key == QLatin1String("Replace")) {
        return selection.replaceBatch ? NamingMode::BatchReplace : NamingMode::Replace;
    }
    if (key == QLatin1String("Case")) {
        return NamingMode::Case;
    }
    if (key == QLatin1String("AddCrop")) {
        return NamingMode::AddCrop;
    }
    if (key == QLatin1String("Mp3")) {
        return NamingMode::Mp3;
    }
    if (key == QLatin1String("Enum")) {
        return selection.enumNumbering ? NamingMode::Enum : NamingMode::Normalize;
    }
    if (key == QLatin1String("Format")) {
        return selection.formatDetect ? NamingMode::DetectType : NamingMode::Format;
    }
    if (key == QLatin1String("misc")) {
        return NamingMode::Misc;
    }
    return NamingMode::None;
}

bool modeWalksDirectories(NamingMode mode) {
    return mode != NamingMode::Mp3 && mode != NamingMode::DetectType;
}

bool modeHasTransform(NamingMode mode) {
    switch (mode) {
        case NamingMode::Replace:
        case NamingMode::BatchReplace:
            return true;
        case NamingMode::None:
        case NamingMode::Case:
        case NamingMode::AddCrop:
        case NamingMode::Mp3:
        case NamingMode::Normalize:
        case NamingMode::Enum:
        case NamingMode::DetectType:
        case NamingMode::Format:
        case NamingMode::Misc:
            return false;
    }
    return false;
}

QString newNameFor(NamingMode mode, const NamingOptions& options, const QString& folder,
                   const QString& name) {
    Q_UNUSED(folder)  // the Format and file-type tabs will read the item's folder
    switch (mode) {
        case NamingMode::Replace:
            return replaceName(options, name);
        case NamingMode::BatchReplace:
            return batchReplaceName(options, name);
        // The other tabs' transforms are not built yet: their items keep their names.
        case NamingMode::None:
        case NamingMode::Case:
        case NamingMode::AddCrop:
        case NamingMode::Mp3:
        case NamingMode::Normalize:
        case NamingMode::Enum:
        case NamingMode::DetectType:
        case NamingMode::Format:
        case NamingMode::Misc:
            return QString();
    }
    return QString();
}

int walkCount(NamingMode mode, const QStringList& files, const QStringList& dirs, WalkKinds kinds) {
    qsizetype count = kinds.files ? files.size() : 0;
    if (kinds.dirs && modeWalksDirectories(mode)) {
        count += dirs.size();
    }
    return static_cast<int>(count);
}

void executeNaming(RunContext& ctx, NamingMode mode, const NamingOptions& options,
                   const QStringList& files, const QStringList& dirs, WalkKinds kinds) {
    switch (mode) {
        case NamingMode::Replace:
            executeReplace(ctx, options, files, dirs, kinds);
            return;
        case NamingMode::BatchReplace:
            executeBatchReplace(ctx, options, files, dirs, kinds);
            return;
        // Each later tab gets its own executor here; until then the common loop walks the items
        // and keeps their names (and the Free Select list complete).
        case NamingMode::None:
        case NamingMode::Case:
        case NamingMode::AddCrop:
        case NamingMode::Mp3:
        case NamingMode::Normalize:
        case NamingMode::Enum:
        case NamingMode::DetectType:
        case NamingMode::Format:
        case NamingMode::Misc:
            runLoop(ctx, mode, options, files, dirs, kinds);
            return;
    }
}

void executeReplace(RunContext& ctx, const NamingOptions& options, const QStringList& files,
                    const QStringList& dirs, WalkKinds kinds) {
    runLoop(ctx, NamingMode::Replace, options, files, dirs, kinds);
}

void executeBatchReplace(RunContext& ctx, const NamingOptions& options, const QStringList& files,
                         const QStringList& dirs, WalkKinds kinds) {
    runLoop(ctx, NamingMode::BatchReplace, options, files, dirs, kinds);
}

bool isIncluded(RunContext& ctx, const QString& path) {
    RunState& state = ctx.state;
    if (!state.onlySelectedInForce || state.undoInProgress) {
        return true;
    }
    // The selection does not change during a run; a set keeps each test constant-time.
    if (ctx.selectedSetSource != state.selectedSnapshot.size() || ctx.selectedSet.isEmpty()) {
        ctx.selectedSet =
            QSet<QString>(state.selectedSnapshot.cbegin(), state.selectedSnapshot.cend());
        ctx.selectedSetSource = state.selectedSnapshot.size();
    }
    if (ctx.selectedSet.contains(path)) {
        return true;
    }
    if (ctx.fileMode == 1) {
        state.dragDropRefillFiles.append(path);
    }
    return false;
}

void setProgressMaximum(RunContext& ctx, int maximum) {
    ctx.progressMaximum = std::max(0, maximum);
    ctx.progressValue = 0;
    ctx.report.setProgressMaximum(ctx.progressMaximum);
    ctx.report.setProgressValue(0);
}

void updateProgress(RunContext& ctx) {
    if (ctx.progressValue >= 0 && ctx.progressValue < ctx.progressMaximum) {
        ++ctx.progressValue;
        ctx.report.setProgressValue(ctx.progressValue);
    }
    // An empty range has nothing left to do.
    const int percent = ctx.progressMaximum > 0
                            ? static_cast<int>(std::floor(static_cast<double>(ctx.progressValue) *
                                                          100.0 / ctx.progressMaximum))
                            : 100;
    if (ctx.setCaption) {
        ctx.setCaption(
            QStringLiteral("Status: ") +
            (ctx.state.simulationMode ? QStringLiteral("Simulating") : QStringLiteral("Renaming")) +
            QStringLiteral("... ") + QString::number(percent) + QLatin1Char('%'));
    }
    ctx.report.processEvents();
}

SplitPath splitEntry(const QString& entry) {
    const qsizetype slash = entry.lastIndexOf(QLatin1Char('/'));
    return {entry.left(slash + 1), entry.mid(slash + 1)};
}

}  // namespace runs
