#include "runs/executors.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <limits>

#include "filelists/rowtext.h"

namespace runs {

namespace {

// Sequential renaming numbers by the rows as they stood when the run started (a run on the
// Enum tab reads no folder first, so they match the work lists), not by the walk. Every row
// whose item the run renames takes the counter's next number, exactly as in a preview pass.
// The names are made before the first rename, which rewrites the snapshot.
QHash<QString, QString> enumNamesByRow(const RunContext& ctx, NamingMode mode,
                                       const NamingOptions& options, const QStringList& files,
                                       const QStringList& dirs, bool walkFiles, bool walkDirs,
                                       EnumCounter& counter) {
    const RunState& state = ctx.state;
    QSet<QString> walked;
    if (walkFiles) {
        walked.unite(QSet<QString>(files.cbegin(), files.cend()));
    }
    if (walkDirs) {
        walked.unite(QSet<QString>(dirs.cbegin(), dirs.cend()));
    }
    const bool onlySelected = state.onlySelectedInForce && !state.undoInProgress;
    const QSet<QString> selected =
        onlySelected ? QSet<QString>(state.selectedSnapshot.cbegin(), state.selectedSnapshot.cend())
                     : QSet<QString>();
    QHash<QString, QString> names;
    for (const QString& path : state.orderSnapshot) {
        if (!walked.contains(path) || (onlySelected && !selected.contains(path))) {
            continue;
        }
        const filelists::PathParts item = filelists::splitPath(path);
        const QString name = newNameFor(mode, options, item.folder, item.name, &counter);
        // A path listed twice is renamed once, by its first row.
        if (!names.contains(path)) {
            names.insert(path, name);
        }
    }
    return names;
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

}  // namespace

std::optional<engine::ErrorInfo> runNamingLoop(RunContext& ctx, NamingMode mode,
                                               const NamingOptions& options,
                                               const QStringList& files, const QStringList& dirs,
                                               WalkKinds kinds) {
    RunState& state = ctx.state;
    state.lastRunChangedAttributes = false;
    const bool walkDirs = kinds.dirs && modeWalksDirectories(mode);
    EnumCounter counter;
    const QHash<QString, QString> rowNames =
        modeNumbersRows(mode)
            ? enumNamesByRow(ctx, mode, options, files, dirs, kinds.files, walkDirs, counter)
            : QHash<QString, QString>();
    const auto newName = [&](const QString& entry, const filelists::PathParts& item) {
        const auto found = rowNames.constFind(entry);
        return found != rowNames.cend()
                   ? *found
                   : newNameFor(mode, options, item.folder, item.name, &counter);
    };

    bool cancelled = false;
    std::optional<engine::ErrorInfo> failure;
    qsizetype fileCount = files.size();
    if (kinds.files) {
        for (qsizetype i = 0; i < fileCount; ++i) {
            const QString& entry = files.at(i);
            if (isIncluded(ctx, entry)) {
                const filelists::PathParts item = filelists::splitPath(entry);
                QString target;
                try {
                    target = newName(entry, item);
                } catch (const engine::TransformFailure& error) {
                    failure = error.error();
                }
                // Also on a failure: an unchanged name keeps the Free Select list complete.
                renameFile(ctx, item.name, target, item.folder);
            }
            if (state.cancelRequested || failure) {
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
                const filelists::PathParts item = filelists::splitPath(entry);
                QString target;
                try {
                    target = newName(entry, item);
                } catch (const engine::TransformFailure& error) {
                    failure = error.error();
                }
                renameDir(ctx, item.name, target, item.folder);
            }
            if (state.cancelRequested || failure) {
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
    return failure;
}

void executeNaming(RunContext& ctx, NamingMode mode, const NamingOptions& options,
                   const QStringList& files, const QStringList& dirs, WalkKinds kinds) {
    const std::optional<engine::ErrorInfo> failure =
        runNamingLoop(ctx, mode, options, files, dirs, kinds);
    if (const char* text = modeFailureText(mode); failure && text) {
        engine::logFailure(*failure, QString::fromLatin1(text));
    }
}

int walkCount(NamingMode mode, const QStringList& files, const QStringList& dirs, WalkKinds kinds) {
    qsizetype count = kinds.files ? files.size() : 0;
    if (kinds.dirs && modeWalksDirectories(mode)) {
        count += dirs.size();
    }
    return static_cast<int>(count);
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
    // The caption changes a hundred times a run, not once per item.
    if (ctx.setCaption && percent != ctx.captionPercent) {
        ctx.captionPercent = percent;
        ctx.setCaption(
            QStringLiteral("Status: ") +
            (ctx.state.simulationMode ? QStringLiteral("Simulating") : QStringLiteral("Renaming")) +
            QStringLiteral("... ") + QString::number(percent) + QLatin1Char('%'));
    }
    ctx.report.processEvents();
}

}  // namespace runs
