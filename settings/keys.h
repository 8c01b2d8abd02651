// Every settings key in one table: its name, the kind of text it holds, the default that
// stands in for a missing key, and where its value goes. The rows are in loading order; the
// loader walks them, and the saver writes the same keys from the same targets.
#pragma once

#include <QDate>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTime>

#include <array>
#include <optional>
#include <variant>

#include "settings/programsettings.h"

namespace settings {

enum class KeyKind {
    Check01,    // a check box: "0" or "1"
    Check012,   // an attribute check box: "0", "1" or "2" (grayed)
    Integer16,  // decimal, into a 16-bit signed integer
    Long32,     // decimal, into a 32-bit signed integer
    Boolean,    // "True" or "False"
    Option,     // 0-based index of the chosen option button of a group
    Tab,        // 1-based position of the selected mode tab
    Text,       // any text, used unchanged
    Date,       // written "yyyy-MM-dd"
    Time,       // written "HH:mm:ss"
};

// The text that stands in for a missing key. Most are fixed; the window positions centre the
// window on the screen with the size loaded just before, and the pickers start on the day and
// the time of the start.
struct KeyDefault {
    enum class Rule { Fixed, CentreOnScreenHeight, CentreOnScreenWidth, Today, Now };

    // Implicit, so that a fixed default is a plain text in the table.
    KeyDefault(const char* fixed) : text(QString::fromLatin1(fixed)) {}  // NOLINT
    KeyDefault(Rule rule, qint16 ProgramSettings::*size = nullptr) : rule(rule), size(size) {}

    Rule rule = Rule::Fixed;
    QString text;                             // Fixed
    qint16 ProgramSettings::*size = nullptr;  // CentreOn...: the window's height or width
};

inline KeyDefault centredOnHeight(qint16 ProgramSettings::*height) {
    return {KeyDefault::Rule::CentreOnScreenHeight, height};
}
inline KeyDefault centredOnWidth(qint16 ProgramSettings::*width) {
    return {KeyDefault::Rule::CentreOnScreenWidth, width};
}
inline const KeyDefault kToday{KeyDefault::Rule::Today};
inline const KeyDefault kNow{KeyDefault::Rule::Now};

// Targets. A program-wide value is a member of ProgramSettings; everything else is an input of
// the main window, reached by name.
struct Control {
    QString name;  // a check box, text box, date or time picker
};
struct OptionGroup {
    QStringList buttons;  // the option buttons in index order
};
struct ModeTabs {};  // the mode tab strip
struct ColumnWidth {
    std::array<qint16, 8> ProgramSettings::*widths;
    int index;  // 0-based: key dirColWidth1 is index 0
};
struct PathHistory {};  // the series pathHistory0, pathHistory1, ...: ProgramSettings::pathHistory

using KeyTarget = std::variant<Control, OptionGroup, ModeTabs, qint16 ProgramSettings::*,
                               qint32 ProgramSettings::*, bool ProgramSettings::*,
                               QString ProgramSettings::*, ColumnWidth, PathHistory>;

// What the loader does with a key beyond converting it into its target.
enum class LoadRule {
    Plain,
    // txtPath: not put into the box; the saved folder is a candidate start folder for the
    // command line, which is parsed right after it.
    StartFolder,
    // txtPattern: read only when the command line gives no pattern of its own.
    PatternUnlessCommandLine,
    // Written by the saver, never read.
    NotLoaded,
};

// Work the loader does right after a key, before the next one.
enum class AfterKey {
    Nothing,
    EnablePatternBox,  // txtPattern enabled when either pattern setting is not 0
    ClearSubfolders,   // chkSub cleared when uncheckSubsdirsAtStartup is 1
    ReadFirstLists,    // exceptions.txt, filetypes.txt
    ReadLaterLists,    // codecs.txt, waveformats.txt, replace.txt and the batch list caption
};

struct KeyDef {
    QString name;
    KeyKind kind;
    KeyDefault fallback;
    KeyTarget target;
    LoadRule load = LoadRule::Plain;
    AfterKey then = AfterKey::Nothing;
};

// All keys, in loading order; the path history series is one row (key name "pathHistory").
const QList<KeyDef>& settingsKeys();
// The row of a key, or nullptr.
const KeyDef* findKey(const QString& name);

// "pathHistory" followed by the decimal index.
QString pathHistoryKey(int index);

// The default of `key` as stored text. The centring defaults read the window size already in
// `loaded`; (screen − size) / 2 is rounded halves to even and kept within the 16-bit range, so
// a screen larger than the range allows still gives a position that loads.
QString defaultText(const KeyDef& key, const ProgramSettings& loaded, QSize screenTwips,
                    const QDate& today, const QTime& now);

// Dates and times are written in ISO form, which reads back the same in every locale and keeps
// all four digits of the year.
QString storedDateText(const QDate& date);
QString storedTimeText(const QTime& time);
// Reads the ISO form, and also the short and long forms of the user's locale and a few other
// common ones, so stores written by hand or in the locale's form load too. A locale form with a
// two-digit year is placed within the 100 years that end 20 years after the present one.
std::optional<QDate> parseStoredDate(const QString& text);
std::optional<QTime> parseStoredTime(const QString& text);

}  // namespace settings
