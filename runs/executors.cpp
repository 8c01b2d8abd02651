#include "runs/executors.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/addcrop.h"
#include "engine/caseconvert.h"
#include "engine/findreplace.h"
#include "engine/log.h"
#include "engine/namescope.h"
#include "engine/numbers.h"
#include "filelists/rowtext.h"
#include "platform/localetext.h"

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

QString addCropName(const NamingOptions& options, const QString& name) {
    engine::NameScope scope(options.options.scope);
    const QString part = scope.splitNamePart(name);
    return scope.joinNamePart(engine::applyAddCrop(part, options.options.addCrop));
}

// The number of an option box as the executors take it: its leading number (0 when it has
// none), halves rounded to even. Values beyond int are clamped; the transform that takes the
// number reports what it cannot use.
int boxNumber(const QString& text) {
    const double value = platform::roundHalfEven(platform::vbVal(text));
    return static_cast<int>(std::clamp(value, static_cast<double>(std::numeric_limits<int>::min()),
                                       static_cast<double>(std::numeric_limits<int>::max())));
}

QString normalizeName(const NamingOptions& options, const QString& name) {
    engine::NameScope scope(options.options.scope);
    const QString part = scope.splitNamePart(name);
    return scope.joinNamePart(
        engine::numberNormalize(part, boxNumber(options.options.enumeration.normalizeWidth)));
}

// Sequential renaming works on the whole name, without the name scope.
QString enumName(const NamingOptions& options, const QString& name, int number) {
    const engine::ListCounts& counts = options.options.listCounts;
    const platform::Result<QString> result =
        engine::enumFilename(name, number, options.options.enumeration, counts.rows,
                             counts.selected, counts.onlySelectedInForce);
    if (!result.ok()) {
        // The window keeps a run from starting with such options; should they get through
        // anyway, the item keeps its name and the error log says why.
        engine::logError(QString::fromStdString(result.reason()));
        return QString();
    }
    return *result;
}

// Sequential renaming numbers by the rows as they stood when the run started (a run on the
// Enum tab reads no folder first, so they match the work lists), not by the walk. Every row
// whose item the run renames takes the counter's next number, exactly as in a preview pass.
// The names are made before the first rename, which rewrites the snapshot.
QHash<QString, QString> enumNamesByRow(const RunContext& ctx, const NamingOptions& options,
                                       const QStringList& files, const QStringList& dirs,
                                       bool walkFiles, bool walkDirs, EnumCounter& counter) {
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
        const QString name =
            newNameFor(NamingMode::Enum, options, item.folder, item.name, &counter);
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

// The one loop of every naming executor.
void runLoop(RunContext& ctx, NamingMode mode, const NamingOptions& options,
             const QStringList& files, const QStringList& dirs, WalkKinds kinds) {
    RunState& state = ctx.state;
    state.lastRunChangedAttributes = false;
    const bool walkDirs = kinds.dirs && modeWalksDirectories(mode);
    EnumCounter counter;
    const QHash<QString, QString> rowNames =
        mode == NamingMode::Enum
            ? enumNamesByRow(ctx, options, files, dirs, kinds.files, walkDirs, counter)
            : QHash<QString, QString>();
    const auto newName = [&](const QString& entry, const filelists::PathParts& item) {
        const auto found = rowNames.constFind(entry);
        return found != rowNames.cend()
                   ? *found
                   : newNameFor(mode, options, item.folder, item.name, &counter);
    };

    bool cancelled = false;
    qsizetype fileCount = files.size();
    if (kinds.files) {
        for (qsizetype i = 0; i < fileCount; ++i) {
            const QString& entry = files.at(i);
            if (isIncluded(ctx, entry)) {
                const filelists::PathParts item = filelists::splitPath(entry);
                renameFile(ctx, item.name, newName(entry, item), item.folder);
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
                const filelists::PathParts item = filelists::splitPath(entry);
                renameDir(ctx, item.name, newName(entry, item), item.folder);
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
        case NamingMode::Case:
        case NamingMode::AddCrop:
        case NamingMode::Misc:
        case NamingMode::Normalize:
        case NamingMode::Enum:
            return true;
        case NamingMode::None:
        case NamingMode::Mp3:
        case NamingMode::DetectType:
        case NamingMode::Format:
            return false;
    }
    return false;
}

int EnumCounter::next(const QString& folder, bool restartPerFolder) {
    if (restartPerFolder && folder != lastFolder_) {
        counter_ = 1;
    }
    lastFolder_ = folder;
    return counter_++;
}

QString newNameFor(NamingMode mode, const NamingOptions& options, const QString& folder,
                   const QString& name, EnumCounter* counter) {
    Q_UNUSED(folder)  // the Format and file-type tabs will read the item's folder
    switch (mode) {
        case NamingMode::Replace:
            return replaceName(options, name);
        case NamingMode::BatchReplace:
            return batchReplaceName(options, name);
        // Case conversion splits the name itself and treats both parts, each by its own
        // options; the blank clean-up needs the whole name to see the blanks before the dot.
        case NamingMode::Case:
            return engine::convertCase(name, options.options.caseOptions, options.exceptionsList);
        case NamingMode::AddCrop:
            return addCropName(options, name);
        case NamingMode::Misc:
            return engine::processSpaces(name, options.options.space);
        case NamingMode::Normalize:
            return normalizeName(options, name);
        case NamingMode::Enum:
            return enumName(
                options, name,
                counter ? counter->next(folder, options.options.enumeration.resetBetweenDirs) : 1);
        // The other tabs' transforms are not built yet: their items keep their names.
        case NamingMode::None:
        case NamingMode::Mp3:
        case NamingMode::DetectType:
        case NamingMode::Format:
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
        case NamingMode::Case:
            executeCase(ctx, options, files, dirs, kinds);
            return;
        case NamingMode::AddCrop:
            executeAddCrop(ctx, options, files, dirs, kinds);
            return;
        case NamingMode::Misc:
            executeMisc(ctx, options, files, dirs, kinds);
            return;
        case NamingMode::Normalize:
            executeNormalize(ctx, options, files, dirs, kinds);
            return;
        case NamingMode::Enum:
            executeEnum(ctx, options, files, dirs, kinds);
            return;
        // Each later tab gets its own executor here; until then the common loop walks the items
        // and keeps their names (and the Free Select list complete).
        case NamingMode::None:
        case NamingMode::Mp3:
        case NamingMode::DetectType:
        case NamingMode::Format:
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

void executeCase(RunContext& ctx, const NamingOptions& options, const QStringList& files,
                 const QStringList& dirs, WalkKinds kinds) {
    runLoop(ctx, NamingMode::Case, options, files, dirs, kinds);
}

void executeAddCrop(RunContext& ctx, const NamingOptions& options, const QStringList& files,
                    const QStringList& dirs, WalkKinds kinds) {
    runLoop(ctx, NamingMode::AddCrop, options, files, dirs, kinds);
}

void executeMisc(RunContext& ctx, const NamingOptions& options, const QStringList& files,
                 const QStringList& dirs, WalkKinds kinds) {
    runLoop(ctx, NamingMode::Misc, options, files, dirs, kinds);
}

void executeNormalize(RunContext& ctx, const NamingOptions& options, const QStringList& files,
                      const QStringList& dirs, WalkKinds kinds) {
    runLoop(ctx, NamingMode::Normalize, options, files, dirs, kinds);
}

void executeEnum(RunContext& ctx, const NamingOptions& options, const QStringList& files,
                 const QStringList& dirs, WalkKinds kinds) {
    runLoop(ctx, NamingMode::Enum, options, files, dirs, kinds);
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

}  // namespace runs
