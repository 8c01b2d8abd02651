#include "runs/modes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/addcrop.h"
#include "engine/caseconvert.h"
#include "engine/findreplace.h"
#include "engine/log.h"
#include "engine/mp3name.h"
#include "engine/namescope.h"
#include "engine/numbers.h"
#include "engine/pattern.h"
#include "platform/localetext.h"
#include "runs/executors.h"

namespace runs {

namespace {

// A transform that fails leaves the item as it was: an empty new name keeps the old one, where
// joining the failure's empty text with the kept part would rename "photo.jpg" to "jpg".
QString replaceName(const NamingOptions& options, const QString& name) {
    engine::NameScope scope(options.options.scope);
    const QString part = scope.splitNamePart(name);
    bool failed = false;
    const QString replaced = engine::findReplace(part, options.options.replace, &failed);
    return failed ? QString() : scope.joinNamePart(replaced);
}

QString batchReplaceName(const NamingOptions& options, const QString& name) {
    engine::NameScope scope(options.options.scope);
    QString part = scope.splitNamePart(name);
    for (const engine::BatchReplaceItem& item : options.batchReplaceList) {
        bool failed = false;
        part = engine::findReplace(part, item.find, item.replace, item.caseSensitive, item.swapMode,
                                   item.start, item.count, &failed);
        if (failed) {
            return QString();
        }
    }
    return scope.joinNamePart(part);
}

QString addCropName(const NamingOptions& options, const QString& name) {
    engine::NameScope scope(options.options.scope);
    const QString part = scope.splitNamePart(name);
    return scope.joinNamePart(engine::applyAddCrop(part, options.options.addCrop));
}

// The number of an option box as the executors take it: values beyond int are clamped; the
// transform that takes the number reports what it cannot use.
int boxNumber(const QString& text) {
    return static_cast<int>(platform::boxNumber(text, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

QString normalizeName(const NamingOptions& options, const QString& name) {
    engine::NameScope scope(options.options.scope);
    const QString part = scope.splitNamePart(name);
    bool failed = false;
    const QString normalized = engine::numberNormalize(
        part, boxNumber(options.options.enumeration.normalizeWidth), &failed);
    return failed ? QString() : scope.joinNamePart(normalized);
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

QString replaceRow(const NamingOptions& options, const QString&, const QString& name,
                   EnumCounter*) {
    return replaceName(options, name);
}

QString batchReplaceRow(const NamingOptions& options, const QString&, const QString& name,
                        EnumCounter*) {
    return batchReplaceName(options, name);
}

// Case conversion splits the name itself and treats both parts, each by its own options.
QString caseRow(const NamingOptions& options, const QString&, const QString& name, EnumCounter*) {
    return engine::convertCase(name, options.options.caseOptions, options.exceptionsList);
}

QString addCropRow(const NamingOptions& options, const QString&, const QString& name,
                   EnumCounter*) {
    return addCropName(options, name);
}

// The blank clean-up needs the whole name to see the blanks before the dot.
QString spaceRow(const NamingOptions& options, const QString&, const QString& name, EnumCounter*) {
    return engine::processSpaces(name, options.options.space);
}

QString normalizeRow(const NamingOptions& options, const QString&, const QString& name,
                     EnumCounter*) {
    return normalizeName(options, name);
}

QString enumRow(const NamingOptions& options, const QString& folder, const QString& name,
                EnumCounter* counter) {
    return enumName(
        options, name,
        counter ? counter->next(folder, options.options.enumeration.resetBetweenDirs) : 1);
}

QString formatRow(const NamingOptions& options, const QString& folder, const QString& name,
                  EnumCounter*) {
    const engine::FormatContext context{options.options.format, options.options.scope,
                                        options.media};
    return engine::formatFilename(name, folder, context);
}

QString mp3Row(const NamingOptions& options, const QString& folder, const QString& name,
               EnumCounter*) {
    return engine::mp3NewName(options.mp3Library, folder, name, options.options.mp3);
}

QString detectRow(const NamingOptions& options, const QString& folder, const QString& name,
                  EnumCounter*) {
    return engine::detectedName(folder, name, options.detect, options.mp3Library);
}

bool picksBatch(const ModeSelection& selection) {
    return selection.replaceBatch;
}
bool picksNumbering(const ModeSelection& selection) {
    return selection.enumNumbering;
}
bool picksDetection(const ModeSelection& selection) {
    return selection.formatDetect;
}

using NameFunction = QString (*)(const NamingOptions& options, const QString& folder,
                                 const QString& name, EnumCounter* counter);
using Executor = void (*)(RunContext& ctx, const NamingOptions& options, const QStringList& files,
                          const QStringList& dirs, WalkKinds kinds);

struct NamingModeDef {
    NamingMode mode;
    // The tab key, and what picks this mode among the tab's rows (null: the first row left).
    const char* tabKey;
    bool (*picks)(const ModeSelection& selection);
    bool walksDirectories;
    // The step a failed preview pass reports while this transform runs.
    int previewStep;
    // Null while the mode computes no names: its items keep their names.
    NameFunction name;
    Executor execute;
};

// Rows of one tab: the first whose `picks` holds (or that has none) is the mode.
// clang-format off
constexpr NamingModeDef kModes[] = {
// mode                    tab        picks           dirs   step  name             executor
{NamingMode::BatchReplace, "Replace", picksBatch,     true,   8,   batchReplaceRow, executeBatchReplace},
{NamingMode::Replace,      "Replace", nullptr,        true,   8,   replaceRow,      executeReplace},
{NamingMode::Case,         "Case",    nullptr,        true,   9,   caseRow,         executeCase},
{NamingMode::AddCrop,      "AddCrop", nullptr,        true,  10,   addCropRow,      executeAddCrop},
{NamingMode::Mp3,          "Mp3",     nullptr,        false, 11,   mp3Row,          executeMp3},
{NamingMode::Enum,         "Enum",    picksNumbering, true,  12,   enumRow,         executeEnum},
{NamingMode::Normalize,    "Enum",    nullptr,        true,  12,   normalizeRow,    executeNormalize},
{NamingMode::DetectType,   "Format",  picksDetection, false, 13,   detectRow,       executeDetectType},
{NamingMode::Format,       "Format",  nullptr,        true,  13,   formatRow,       executeFormat},
{NamingMode::Misc,         "misc",    nullptr,        true,  14,   spaceRow,        executeMisc},
};
// clang-format on

// The step a failed preview pass reports when no transform runs.
constexpr int kNoTransformStep = 7;

const NamingModeDef* find(NamingMode mode) {
    for (const NamingModeDef& def : kModes) {
        if (def.mode == mode) {
            return &def;
        }
    }
    return nullptr;
}

}  // namespace

NamingMode namingModeFor(const ModeSelection& selection) {
    for (const NamingModeDef& def : kModes) {
        if (selection.tabKey == QLatin1String(def.tabKey) && (!def.picks || def.picks(selection))) {
            return def.mode;
        }
    }
    return NamingMode::None;
}

bool modeWalksDirectories(NamingMode mode) {
    const NamingModeDef* def = find(mode);
    return !def || def->walksDirectories;
}

bool modeHasTransform(NamingMode mode) {
    const NamingModeDef* def = find(mode);
    return def && def->name;
}

int previewStep(NamingMode mode) {
    const NamingModeDef* def = find(mode);
    return def ? def->previewStep : kNoTransformStep;
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
    const NamingModeDef* def = find(mode);
    return def && def->name ? def->name(options, folder, name, counter) : QString();
}

void executeNaming(RunContext& ctx, NamingMode mode, const NamingOptions& options,
                   const QStringList& files, const QStringList& dirs, WalkKinds kinds) {
    const NamingModeDef* def = find(mode);
    if (def && def->execute) {
        def->execute(ctx, options, files, dirs, kinds);
        return;
    }
    // A mode without its executor yet walks the items and keeps their names (and the Free
    // Select list complete).
    runNamingLoop(ctx, mode, options, files, dirs, kinds);
}

}  // namespace runs
