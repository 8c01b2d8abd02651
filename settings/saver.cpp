#include "settings/saver.h"

#include <variant>

#include "engine/log.h"
#include "settings/conversions.h"
#include "settings/errormemory.h"
#include "settings/keys.h"
#include "settings/shellentries.h"
#include "settings/textlists.h"

namespace settings {

namespace {

// The keys in the order they are written: the first stretch, then the file-manager entries,
// then the second stretch. The column widths 4 to 8 are written only with all columns shown.
// clang-format off
const char* const kFirstKeys[] = {
    "Main_Top", "Main_Left", "Main_Height", "Main_Width", "Main_Maximized",
    "txtPath", "txtPattern",
    "usePatternForFiles", "usePatternForDirs", "Execute_Top", "Execute_Left", "Execute_Width",
    "Execute_Height", "frmexecute_maximized", "frmSettings_Top", "frmSettings_Left",
    "chkShowTreeview", "chkOnlyRenameSelected", "enableRenameAllIfNoneSelected",
    "chkRealtimePreview", "txtMp3Format",
    "chkMp3AddExtension", "chkMp3OnlyFilledTags", "chkMp3OnlyMp3Files", "chkMp3UseID3v2",
    "chkFiles", "chkDirs", "chkSimulation", "chkSub",
    "tabStrip", "chkProcessFilename", "chkProcessFileExt", "showAllColumns",
    "txtFind", "txtReplace", "chkCaseSensitive", "txtReplaceCount", "txtReplaceStart",
    "optReplace", "Case1", "Case2",
    "chkR", "chkH", "chkS", "chkA", "chkDateCreated", "chkDateAccessed", "chkDateModified",
    "dtDateChk", "dtTimeChk", "dtDate", "dtTime", "chkDateDate", "chkDateTime",
    "optAttrib", "optAddCrop", "optAddBegEnd", "optCropBegEnd",
    "txtAdd", "txtCropNumber", "txtAddPos", "txtCropPos",
    "totNumberOfFilesRenamedNew", "totNumberOfDirsRenamedNew",
    "processHidden", "processSystem", "processWriteProtected", "showFullPath", "alwaysShowDirs",
    "shellShowQuenza", "shellShowAuto", "startupInLastDir", "uncheckSubsdirsAtStartup",
    "hideSystemFolders", "useSysIcons", "enableTreeview",
};
const char* const kSecondKeys[] = {
    "lwShowGuidelines", "lwFullRowSelect", "cacheIcons", "alwaysKeepOrder", "thumbsBorder",
    "thumbsAspect", "thumbsWidth", "thumbsHeight",
    "chkFormatTab", "txtFormat", "txtFormatParts", "chkFormatAllMustBeAvailable",
    "chkFileDetect_TryMp3", "chkFileDetect_TryText", "chkFileDetect_KeepExt",
    "chkEnumTab", "txtNormalize", "txtEnumFormat", "txtEnumZeros", "txtEnumStart", "txtEnumStep",
    "chkEnumAutoZeros", "chkEnumResetBetweenDirs", "chkSpaceBeginning", "chkSpaceEnd",
    "chkSpaceShrink", "getHtmlTitle_ReadSize",
    "dirColWidth1", "dirColWidth2", "dirColWidth3", "dirColWidth4", "dirColWidth5",
    "dirColWidth6", "dirColWidth7", "dirColWidth8",
    "dragColWidth1", "dragColWidth2", "dragColWidth3", "dragColWidth4", "dragColWidth5",
    "dragColWidth6", "dragColWidth7", "dragColWidth8",
    "mpegBytesToRead", "mpegFakeBitrate", "dragDropAddPath", "tabStripFilemode",
};
// clang-format on

class Saver {
public:
    Saver(SettingsStore& store, const ControlSource& controls, const SaveInput& input)
        : store_(store), controls_(controls), input_(input) {}

    void run() {
        errors_.arm();
        for (const char* name : kFirstKeys) {
            save(QString::fromLatin1(name));
        }
        const bool show = input_.settings.shellShowQuenza == 1;
        if (input_.shellEntries) {
            input_.shellEntries(show);
        } else if (show) {
            createShellKeys();
        } else {
            deleteShellKeys();
        }
        for (const char* name : kSecondKeys) {
            save(QString::fromLatin1(name));
        }
        const std::optional<engine::ErrorInfo> keyFailure = errors_.last();

        // The history's size and entries and the exceptions box: failures of their own are
        // not reported.
        save(QStringLiteral("pathHistorySize"));
        // As many entries as the history had room for at start-up (the last of its texts is
        // the spare empty one); entries beyond the box's list are written empty.
        const qsizetype count = input_.settings.pathHistory.size() - 1;
        for (qsizetype i = 0; i < count; ++i) {
            store_.write(pathHistoryKey(static_cast<int>(i)), i < input_.historyEntries.size()
                                                                  ? input_.historyEntries.at(i)
                                                                  : QString());
        }
        save(QStringLiteral("exceptionsEnabled"));

        // The keys reach the disk in one write; a store that cannot be written is a failure
        // of the keys like any other.
        std::optional<engine::ErrorInfo> failure = keyFailure;
        if (const platform::Status synced = store_.sync(); !synced) {
            failure =
                engine::ErrorInfo{engine::kPathFileAccessError.number,
                                  engine::kPathFileAccessError.description + QStringLiteral(": ") +
                                      QString::fromStdString(synced.reason())};
        }
        if (failure) {
            engine::logFailure(*failure, QStringLiteral("Error saving settings!"));
        }
        saveLists(input_.programFolder, input_.lists);
    }

private:
    void save(const QString& name) {
        const KeyDef* key = findKey(name);
        if (!key) {
            errors_.remember(engine::kInvalidArgument);
            return;
        }
        if (const auto* column = std::get_if<ColumnWidth>(&key->target);
            column && column->index >= 3 && input_.settings.showAllColumns != 1) {
            return;  // the extra columns are not there to measure
        }
        if (const std::optional<QString> text = textOf(*key)) {
            store_.write(name, *text);
        } else {
            errors_.remember(engine::kInvalidPropertyValue);
        }
    }

    std::optional<QString> textOf(const KeyDef& key) const {
        const ProgramSettings& settings = input_.settings;
        if (key.name == QLatin1String("txtPath")) {
            return input_.startPath;  // the start folder, not what the box shows
        }
        return std::visit(
            [&](const auto& target) -> std::optional<QString> {
                using T = std::decay_t<decltype(target)>;
                if constexpr (std::is_same_v<T, Control>) {
                    return controlText(key.kind, target.name);
                } else if constexpr (std::is_same_v<T, OptionGroup>) {
                    const auto index = controls_.chosenOption(target.buttons);
                    return index ? std::optional(QString::number(*index)) : std::nullopt;
                } else if constexpr (std::is_same_v<T, ModeTabs>) {
                    const auto position = controls_.modeTabPosition();
                    return position ? std::optional(QString::number(*position)) : std::nullopt;
                } else if constexpr (std::is_same_v<T, qint16 ProgramSettings::*> ||
                                     std::is_same_v<T, qint32 ProgramSettings::*>) {
                    return QString::number(settings.*target);
                } else if constexpr (std::is_same_v<T, bool ProgramSettings::*>) {
                    return booleanText(settings.*target);
                } else if constexpr (std::is_same_v<T, QString ProgramSettings::*>) {
                    return settings.*target;
                } else if constexpr (std::is_same_v<T, ColumnWidth>) {
                    return QString::number((settings.*target.widths)[target.index]);
                } else {
                    return std::nullopt;  // the history is written apart
                }
            },
            key.target);
    }

    std::optional<QString> controlText(KeyKind kind, const QString& name) const {
        switch (kind) {
            case KeyKind::Check01:
            case KeyKind::Check012: {
                const auto value = controls_.checkValue(name);
                return value ? std::optional(QString::number(*value)) : std::nullopt;
            }
            case KeyKind::Boolean: {
                const auto shown = controls_.showsCheckBox(name);
                return shown ? std::optional(booleanText(*shown)) : std::nullopt;
            }
            case KeyKind::Date: {
                const auto date = controls_.dateValue(name);
                return date ? std::optional(storedDateText(*date)) : std::nullopt;
            }
            case KeyKind::Time: {
                const auto time = controls_.timeValue(name);
                return time ? std::optional(storedTimeText(*time)) : std::nullopt;
            }
            default:
                return controls_.textValue(name);
        }
    }

    SettingsStore& store_;
    const ControlSource& controls_;
    const SaveInput& input_;
    ErrorMemory errors_;
};

}  // namespace

void saveSettings(SettingsStore& store, const ControlSource& controls, const SaveInput& input) {
    Saver(store, controls, input).run();
}

}  // namespace settings
