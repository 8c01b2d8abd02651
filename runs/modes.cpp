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

using NameFunction = QString (*)(const NamingOptions& options, const QString& folder,
                                 const QString& name, EnumCounter* counter);

struct NamingModeDef {
    NamingMode mode;
    bool walksDirectories;
    // A run works on the rows it was given: no folder read before it.
    bool keepsGivenRows;
    // The names follow the rows' order.
    bool numbersRows;
    // The step a failed preview pass reports while this transform runs.
    int previewStep;
    NameFunction name;
    // The error line of a run that the tag library ends; null: none.
    const char* failureText;
};

// clang-format off
constexpr NamingModeDef kModes[] = {
// mode                    dirs   given rows  numbers rows  step  name             failure line
{NamingMode::BatchReplace, true,  false,      false,         8,   batchReplaceRow, nullptr},
{NamingMode::Replace,      true,  false,      false,         8,   replaceRow,      nullptr},
{NamingMode::Case,         true,  false,      false,         9,   caseRow,         nullptr},
{NamingMode::AddCrop,      true,  false,      false,        10,   addCropRow,      nullptr},
{NamingMode::Mp3,          false, false,      false,        11,   mp3Row,          "executeMp3: Failed To Execute"},
{NamingMode::Enum,         true,  true,       true,         12,   enumRow,         nullptr},
{NamingMode::Normalize,    true,  true,       false,        12,   normalizeRow,    nullptr},
{NamingMode::DetectType,   false, false,      false,        13,   detectRow,       nullptr},
{NamingMode::Format,       true,  false,      false,        13,   formatRow,       nullptr},
{NamingMode::Misc,         true,  false,      false,        14,   spaceRow,        nullptr},
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

bool modeWalksDirectories(NamingMode mode) {
    const NamingModeDef* def = find(mode);
    return !def || def->walksDirectories;
}

bool modeKeepsGivenRows(NamingMode mode) {
    const NamingModeDef* def = find(mode);
    return def && def->keepsGivenRows;
}

bool modeNumbersRows(NamingMode mode) {
    const NamingModeDef* def = find(mode);
    return def && def->numbersRows;
}

const char* modeFailureText(NamingMode mode) {
    const NamingModeDef* def = find(mode);
    return def ? def->failureText : nullptr;
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
    return def ? def->name(options, folder, name, counter) : QString();
}

}  // namespace runs
