#include "settings/loader.h"

#include <limits>
#include <utility>
#include <variant>

#include "engine/log.h"
#include "platform/localetext.h"
#include "settings/conversions.h"
#include "settings/errormemory.h"
#include "settings/keys.h"
#include "settings/textlists.h"

namespace settings {

namespace {

constexpr int kModeTabCount = 8;

// The control a row names; empty (which every sink refuses) for a row that names none.
QString controlName(const KeyTarget& target) {
    const auto* control = std::get_if<Control>(&target);
    return control ? control->name : QString();
}

// Walks the key table once. Every step that fails is skipped and its failure remembered; the
// target of a skipped step keeps what it held (zero, empty, or the control's created value),
// not the key's default.
class Loader {
public:
    Loader(const SettingsStore& store, ControlSink& controls, const LoadInput& input)
        : store_(store), controls_(controls), input_(input) {}

    LoadedState run() {
        errors_.arm();
        for (const KeyDef& key : settingsKeys()) {
            load(key);
            after(key.then);
        }
        // Every key took its default when the settings file could not be read; that failure
        // is reported whatever was armed since, as no later step can make up for it.
        if (!store_.readStatus()) {
            errors_.remember(engine::kPathFileAccessError);
        }
        if (const auto& last = errors_.last()) {
            engine::logFailure(*last, QStringLiteral("Error loading settings!"));
        }
        return std::move(state_);
    }

private:
    ProgramSettings& settings() { return state_.settings; }

    // The stored text, or the key's default when the key is missing; both are converted alike.
    QString textOf(const KeyDef& key) const { return textOf(key.name, key); }
    QString textOf(const QString& name, const KeyDef& key) const {
        if (std::optional<QString> stored = store_.read(name)) {
            return *stored;
        }
        return defaultText(key, state_.settings, input_.screenTwips, input_.today, input_.now);
    }

    // A control that refuses a value is a failed step like any other.
    void accept(bool accepted) {
        if (!accepted) {
            errors_.remember(engine::kInvalidPropertyValue);
        }
    }

    // A whole-number conversion failed: a number out of range overflows, anything else is not
    // a number at all.
    void conversionFailed(const QString& text) {
        errors_.remember(toNumber(text) ? engine::kOverflow : engine::kTypeMismatch);
    }

    void load(const KeyDef& key) {
        switch (key.load) {
            case LoadRule::NotLoaded:
                return;
            case LoadRule::StartFolder: {
                const QString savedPath = textOf(key);
                // The start folder is tested inside the command line's parsing, and from that
                // test on only later failures are reported. Parsing itself cannot fail, so
                // arming right before the call forgets exactly the same failures.
                errors_.arm();
                state_.commandLine =
                    parseCommandLine(input_.arguments, savedPath, settings().startupInLastDir);
                return;
            }
            case LoadRule::PatternUnlessCommandLine:
                if (!state_.commandLine.pattern.isEmpty()) {
                    setText(key.target, state_.commandLine.pattern);
                    return;
                }
                break;
            case LoadRule::Plain:
                break;
        }
        if (std::holds_alternative<PathHistory>(key.target)) {
            loadPathHistory(key);
            return;
        }
        convert(key, textOf(key));
    }

    void convert(const KeyDef& key, const QString& text) {
        switch (key.kind) {
            case KeyKind::Check01:
            case KeyKind::Check012:
                setCheck(key, text);
                return;
            case KeyKind::Integer16:
                if (const auto value = toInt16(text)) {
                    setInt16(key.target, *value);
                } else {
                    conversionFailed(text);
                }
                return;
            case KeyKind::Long32:
                if (const auto value = toInt32(text)) {
                    if (const auto* member = std::get_if<qint32 ProgramSettings::*>(&key.target)) {
                        settings().*(*member) = *value;
                    }
                } else {
                    conversionFailed(text);
                }
                return;
            case KeyKind::Boolean:
                if (const auto value = toBoolean(text)) {
                    if (const auto* member = std::get_if<bool ProgramSettings::*>(&key.target)) {
                        settings().*(*member) = *value;
                    }
                } else {
                    errors_.remember(engine::kTypeMismatch);
                }
                return;
            case KeyKind::Option:
                if (const auto* group = std::get_if<OptionGroup>(&key.target)) {
                    selectOption(*group, text);
                }
                return;
            case KeyKind::Tab:
                selectModeTab(text);
                return;
            case KeyKind::Text:
                setText(key.target, text);
                return;
            case KeyKind::Date:
                if (const auto date = parseStoredDate(text)) {
                    accept(controls_.setDate(controlName(key.target), *date));
                } else {
                    errors_.remember(engine::kTypeMismatch);
                }
                return;
            case KeyKind::Time:
                if (const auto time = parseStoredTime(text)) {
                    accept(controls_.setTime(controlName(key.target), *time));
                } else {
                    errors_.remember(engine::kTypeMismatch);
                }
                return;
        }
    }

    // A check box shows 0, 1 or 2 (grayed); a hand-edited store holding anything else is
    // refused like any value a control cannot take, and the box keeps what it had.
    void setCheck(const KeyDef& key, const QString& text) {
        const std::optional<qint16> stored = toInt16(text);
        if (!stored) {
            conversionFailed(text);
            return;
        }
        if (*stored < 0 || *stored > 2) {
            errors_.remember(engine::kInvalidPropertyValue);
            return;
        }
        accept(controls_.setCheck(controlName(key.target), *stored));
    }

    void setInt16(const KeyTarget& target, qint16 value) {
        if (const auto* member = std::get_if<qint16 ProgramSettings::*>(&target)) {
            settings().*(*member) = value;
        } else if (const auto* column = std::get_if<ColumnWidth>(&target)) {
            (settings().*(column->widths))[static_cast<std::size_t>(column->index)] = value;
        }
    }

    void setText(const KeyTarget& target, const QString& text) {
        if (const auto* control = std::get_if<Control>(&target)) {
            accept(controls_.setText(control->name, text));
        } else if (const auto* member = std::get_if<QString ProgramSettings::*>(&target)) {
            settings().*(*member) = text;
        }
    }

    // The value is compared as a number with each index in turn. A text that is no number
    // cannot be compared: every comparison fails, a failed comparison counts as a match, and
    // so every option is chosen in turn and the group's last one stays chosen. A number that
    // is no index matches nothing and changes nothing.
    void selectOption(const OptionGroup& group, const QString& text) {
        const std::optional<double> number = toNumber(text);
        for (qsizetype i = 0; i < group.buttons.size(); ++i) {
            if (!number) {
                errors_.remember(engine::kTypeMismatch);
                accept(controls_.selectOption(group.buttons[i]));
            } else if (*number == static_cast<double>(i)) {
                accept(controls_.selectOption(group.buttons[i]));
            }
        }
    }

    // The tab's position is the numeric value of the text, taken to a whole position as an
    // index is (halves to even); "3abc" selects tab 3.
    void selectModeTab(const QString& text) {
        const double position = platform::roundHalfEven(platform::vbVal(text));
        if (position >= 1.0 && position <= double(kModeTabCount)) {
            accept(controls_.selectModeTab(static_cast<int>(position)));
        } else {
            errors_.remember(engine::kSubscriptOutOfRange);
        }
    }

    // pathHistorySize + 1 texts, the last always empty; a negative size loads no history.
    void loadPathHistory(const KeyDef& key) {
        qint16& size = settings().pathHistorySize;
        // The list holds size + 1 texts and its last index must stay a 16-bit value: 32767
        // would overflow it, so the largest size that fits stands in.
        if (size == std::numeric_limits<qint16>::max()) {
            size = std::numeric_limits<qint16>::max() - 1;
        }
        QStringList& history = settings().pathHistory;
        if (size < 0) {
            history = QStringList{QString()};
            return;
        }
        history = QStringList(size + 1, QString());
        for (int i = 0; i < size; ++i) {
            history[i] = textOf(pathHistoryKey(i), key);
        }
    }

    void after(AfterKey step) {
        const QString& folder = input_.programFolder;
        engine::TextLists& lists = state_.lists;
        switch (step) {
            case AfterKey::Nothing:
                return;
            case AfterKey::EnablePatternBox:
                controls_.setEnabled(
                    QStringLiteral("txtPattern"),
                    settings().usePatternForFiles != 0 || settings().usePatternForDirs != 0);
                return;
            case AfterKey::ClearSubfolders:
                if (settings().uncheckSubsdirsAtStartup == 1) {
                    accept(controls_.setCheck(QStringLiteral("chkSub"), 0));
                }
                return;
            case AfterKey::ReadFirstLists:
                lists.exceptionsList = readExceptions(folder, errors_, &lists.exceptionsUnread);
                lists.fileSignatures = readFileSignatures(folder, errors_);
                return;
            case AfterKey::ReadLaterLists:
                lists.codecList = readCodecs(folder, errors_);
                lists.waveFormatList = readWaveFormats(folder, errors_);
                lists.batchReplaceList =
                    readBatchReplace(folder, errors_, &lists.batchReplaceUnread);
                controls_.setCaption(
                    QStringLiteral("lblBatchReplace"),
                    batchReplaceCaption(static_cast<int>(lists.batchReplaceList.size())));
                return;
        }
    }

    const SettingsStore& store_;
    ControlSink& controls_;
    const LoadInput& input_;
    ErrorMemory errors_;
    LoadedState state_;
};

}  // namespace

LoadedState loadSettings(const SettingsStore& store, ControlSink& controls,
                         const LoadInput& input) {
    return Loader(store, controls, input).run();
}

}  // namespace settings
