#include "settings/keys.h"

#include <QLocale>
#include <QRegularExpression>

#include "platform/localetext.h"
#include "settings/conversions.h"

namespace settings {

namespace {

using PS = ProgramSettings;
using enum KeyKind;

QList<KeyDef> buildTable() {
    // clang-format off
    return {
        // Window geometry. Sizes come before positions: the position defaults centre the
        // window with the size just loaded.
        {"Main_Height",                   Integer16, "7920",  &PS::Main_Height},
        {"Main_Width",                    Integer16, "11000", &PS::Main_Width},
        {"Main_Top",                      Integer16, centredOnHeight(&PS::Main_Height), &PS::Main_Top},
        {"Main_Left",                     Integer16, centredOnWidth(&PS::Main_Width),   &PS::Main_Left},
        {"Main_Maximized",                Integer16, "0",     &PS::Main_Maximized},
        {"Execute_Width",                 Integer16, "5960",  &PS::Execute_Width},
        {"Execute_Height",                Integer16, "5000",  &PS::Execute_Height},
        {"Execute_Top",                   Integer16, centredOnHeight(&PS::Execute_Height), &PS::Execute_Top},
        {"Execute_Left",                  Integer16, centredOnWidth(&PS::Execute_Width),   &PS::Execute_Left},
        {"frmexecute_maximized",          Integer16, "0",     &PS::frmexecute_maximized},
        {"frmSettings_Top",               Integer16, "0",     &PS::frmSettings_Top},
        {"frmSettings_Left",              Integer16, "0",     &PS::frmSettings_Left},

        // Start-up and selection.
        {"chkShowTreeview",               Check01,   "0",     Control{"chkShowTreeview"}},
        {"chkOnlyRenameSelected",         Check01,   "1",     Control{"chkOnlyRenameSelected"}},
        {"enableRenameAllIfNoneSelected", Boolean,   "True",  &PS::enableRenameAllIfNoneSelected},
        {"startupInLastDir",              Integer16, "1",     &PS::startupInLastDir},
        {"tabStripFilemode",              Integer16, "1",     &PS::tabStripFilemode},
        {"txtPath",                       Text,      "",      Control{"txtPath"}, LoadRule::StartFolder},
        {"txtPattern",                    Text,      "*.*",   Control{"txtPattern"}, LoadRule::PatternUnlessCommandLine},

        // Mode tab options: Mp3, Replace, Attrib, Case, AddCrop, then the file source and the
        // selected tab.
        {"txtMp3Format",                  Text,      "<ARTIST> - <TITLE>", Control{"txtMp3Format"}},
        {"chkMp3AddExtension",            Check01,   "1",     Control{"chkMp3AddExtension"}},
        {"chkMp3OnlyFilledTags",          Check01,   "1",     Control{"chkMp3OnlyFilledTags"}},
        {"chkMp3OnlyMp3Files",            Check01,   "1",     Control{"chkMp3OnlyMp3Files"}},
        {"chkMp3UseID3v2",                Check01,   "1",     Control{"chkMp3UseID3v2"}},
        {"txtFind",                       Text,      "",      Control{"txtFind"}},
        {"txtReplace",                    Text,      "",      Control{"txtReplace"}},
        {"chkCaseSensitive",              Check01,   "0",     Control{"chkCaseSensitive"}},
        {"txtReplaceCount",               Text,      "0",     Control{"txtReplaceCount"}},
        {"txtReplaceStart",               Text,      "0",     Control{"txtReplaceStart"}},
        {"optReplace",                    Option,    "0",     OptionGroup{{"optReplaceSingle", "optReplaceBatch"}}},
        {"chkR",                          Check012,  "2",     Control{"chkR"}},
        {"chkH",                          Check012,  "2",     Control{"chkH"}},
        {"chkS",                          Check012,  "2",     Control{"chkS"}},
        {"chkA",                          Check012,  "2",     Control{"chkA"}},
        {"dtDate",                        Date,      kToday,  Control{"dtDate"}},
        {"dtTime",                        Time,      kNow,    Control{"dtTime"}},
        {"chkDateCreated",                Check01,   "0",     Control{"chkDateCreated"}},
        {"chkDateAccessed",               Check01,   "0",     Control{"chkDateAccessed"}},
        {"chkDateModified",               Check01,   "1",     Control{"chkDateModified"}},
        {"chkDateDate",                   Check01,   "1",     Control{"chkDateDate"}},
        {"chkDateTime",                   Check01,   "1",     Control{"chkDateTime"}},
        {"optAttrib",                     Option,    "0",     OptionGroup{{"optAttrib_Attributes", "optAttrib_Date"}}},
        {"Case1",                         Option,    "4",     OptionGroup{{"Case1_0", "Case1_1", "Case1_2", "Case1_3", "Case1_4", "Case1_5", "Case1_6"}}},
        {"Case2",                         Option,    "2",     OptionGroup{{"Case2_0", "Case2_1", "Case2_2", "Case2_3", "Case2_4", "Case2_5"}}},
        {"optAddBegEnd",                  Option,    "0",     OptionGroup{{"optAddBeginning", "optAddEnding"}}},
        {"optCropBegEnd",                 Option,    "0",     OptionGroup{{"optCropBeginning", "optCropEnding"}}},
        {"txtAdd",                        Text,      "",      Control{"txtAdd"}},
        {"txtCropNumber",                 Text,      "1",     Control{"txtCropNumber"}},
        {"txtAddPos",                     Text,      "0",     Control{"txtAddPos"}},
        {"txtCropPos",                    Text,      "0",     Control{"txtCropPos"}},
        {"optAddCrop",                    Option,    "0",     OptionGroup{{"optAdd", "optCrop"}}},
        {"chkFiles",                      Check01,   "1",     Control{"chkFiles"}},
        {"chkDirs",                       Check01,   "0",     Control{"chkDirs"}},
        {"chkSimulation",                 Check01,   "0",     Control{"chkSimulation"}},
        {"chkSub",                        Check01,   "0",     Control{"chkSub"}},
        {"tabStrip",                      Tab,       "2",     ModeTabs{}},
        {"chkProcessFilename",            Check01,   "1",     Control{"chkProcessFilename"}},
        {"chkProcessFileExt",             Check01,   "1",     Control{"chkProcessFileExt"}},
        {"chkRealtimePreview",            Check01,   "1",     Control{"chkPreview"}},

        // Lifetime totals.
        {"totNumberOfFilesRenamedNew",    Long32,    "0",     &PS::totNumberOfFilesRenamedNew},
        {"totNumberOfDirsRenamedNew",     Long32,    "0",     &PS::totNumberOfDirsRenamedNew},

        // Format, Enum and misc tab options.
        {"txtFormat",                     Text,      "<NAME> (<SIZE>).<EXT>", Control{"txtFormat"}},
        {"txtFormatParts",                Text,      "<%1> - <%2>", Control{"txtFormatParts"}},
        {"chkFormatAllMustBeAvailable",   Check01,   "1",     Control{"chkFormatAllMustBeAvailable"}},
        {"chkFileDetect_TryMp3",          Check01,   "0",     Control{"chkFileDetect_TryMp3"}},
        {"chkFileDetect_TryText",         Check01,   "0",     Control{"chkFileDetect_TryText"}},
        {"chkFileDetect_KeepExt",         Check01,   "0",     Control{"chkFileDetect_KeepExt"}},
        {"chkFormatTab",                  Option,    "0",     OptionGroup{{"chkFormatTab_Format", "chkFormatTab_Detect"}}},
        {"txtNormalize",                  Text,      "2",     Control{"txtNormalize"}},
        {"txtEnumFormat",                 Text,      "<ENUM>_<FULLNAME>", Control{"txtEnumFormat"}},
        {"txtEnumZeros",                  Text,      "2",     Control{"txtEnumZeros"}},
        {"txtEnumStart",                  Text,      "1",     Control{"txtEnumStart"}},
        {"txtEnumStep",                   Text,      "1",     Control{"txtEnumStep"}},
        {"chkEnumAutoZeros",              Check01,   "1",     Control{"chkEnumAutoZeros"}},
        {"chkEnumResetBetweenDirs",       Check01,   "0",     Control{"chkEnumResetBetweenDirs"}},
        {"chkEnumTab",                    Option,    "0",     OptionGroup{{"chkEnumTab_Enum", "chkEnumTab_Normalize"}}},

        // Settings of the settings dialog.
        {"processHidden",                 Integer16, "0",     &PS::processHidden},
        {"processSystem",                 Integer16, "0",     &PS::processSystem},
        {"processWriteProtected",         Integer16, "1",     &PS::processWriteProtected},
        {"showFullPath",                  Integer16, "0",     &PS::showFullPath},
        {"alwaysShowDirs",                Integer16, "0",     &PS::alwaysShowDirs},
        {"shellShowQuenza",               Integer16, "1",     &PS::shellShowQuenza},
        {"shellShowAuto",                 Integer16, "1",     &PS::shellShowAuto},
        {"usePatternForFiles",            Integer16, "1",     &PS::usePatternForFiles},
        {"usePatternForDirs",             Integer16, "0",     &PS::usePatternForDirs, LoadRule::Plain, AfterKey::EnablePatternBox},
        {"exceptionsEnabled",             Check01,   "0",     Control{"chkExceptionsEnabled"}},
        {"uncheckSubsdirsAtStartup",      Integer16, "1",     &PS::uncheckSubsdirsAtStartup, LoadRule::Plain, AfterKey::ClearSubfolders},
        {"hideSystemFolders",             Integer16, "1",     &PS::hideSystemFolders},
        {"useSysIcons",                   Integer16, "1",     &PS::useSysIcons},
        {"enableTreeview",                Integer16, "0",     &PS::enableTreeview},
        {"showAllColumns",                Integer16, "0",     &PS::showAllColumns},
        {"lwShowGuidelines",              Integer16, "0",     &PS::lwShowGuidelines},
        {"lwFullRowSelect",               Integer16, "0",     &PS::lwFullRowSelect},
        {"cacheIcons",                    Integer16, "0",     &PS::cacheIcons},
        {"alwaysKeepOrder",               Integer16, "0",     &PS::alwaysKeepOrder},
        {"thumbsBorder",                  Integer16, "1",     &PS::thumbsBorder},
        {"thumbsAspect",                  Integer16, "1",     &PS::thumbsAspect},
        {"thumbsWidth",                   Integer16, "64",    &PS::thumbsWidth},
        {"thumbsHeight",                  Integer16, "64",    &PS::thumbsHeight, LoadRule::Plain, AfterKey::ReadFirstLists},

        // After exceptions.txt and filetypes.txt.
        {"chkSpaceBeginning",             Check01,   "1",     Control{"chkSpaceBeginning"}},
        {"chkSpaceEnd",                   Check01,   "1",     Control{"chkSpaceEnd"}},
        {"chkSpaceShrink",                Check01,   "1",     Control{"chkSpaceShrink"}},
        {"getHtmlTitle_ReadSize",         Integer16, "2048",  &PS::getHtmlTitle_ReadSize},
        {"dirColWidth1",                  Integer16, "3030",  ColumnWidth{&PS::dirColWidth, 0}},
        {"dirColWidth2",                  Integer16, "3020",  ColumnWidth{&PS::dirColWidth, 1}},
        {"dirColWidth3",                  Integer16, "3030",  ColumnWidth{&PS::dirColWidth, 2}},
        {"dirColWidth4",                  Integer16, "1000",  ColumnWidth{&PS::dirColWidth, 3}},
        {"dirColWidth5",                  Integer16, "1800",  ColumnWidth{&PS::dirColWidth, 4}},
        {"dirColWidth6",                  Integer16, "720",   ColumnWidth{&PS::dirColWidth, 5}},
        {"dirColWidth7",                  Integer16, "600",   ColumnWidth{&PS::dirColWidth, 6}},
        {"dirColWidth8",                  Integer16, "600",   ColumnWidth{&PS::dirColWidth, 7}},
        {"dragColWidth1",                 Integer16, "3030",  ColumnWidth{&PS::dragColWidth, 0}},
        {"dragColWidth2",                 Integer16, "3020",  ColumnWidth{&PS::dragColWidth, 1}},
        {"dragColWidth3",                 Integer16, "3030",  ColumnWidth{&PS::dragColWidth, 2}},
        {"dragColWidth4",                 Integer16, "1000",  ColumnWidth{&PS::dragColWidth, 3}},
        {"dragColWidth5",                 Integer16, "1800",  ColumnWidth{&PS::dragColWidth, 4}},
        {"dragColWidth6",                 Integer16, "720",   ColumnWidth{&PS::dragColWidth, 5}},
        {"dragColWidth7",                 Integer16, "600",   ColumnWidth{&PS::dragColWidth, 6}},
        {"dragColWidth8",                 Integer16, "600",   ColumnWidth{&PS::dragColWidth, 7}},
        {"mpegBytesToRead",               Long32,    "8192",  &PS::mpegBytesToRead},
        {"mpegFakeBitrate",               Long32,    "128000", &PS::mpegFakeBitrate},
        {"dragDropAddPath",               Text,      "",      &PS::dragDropAddPath, LoadRule::Plain, AfterKey::ReadLaterLists},

        // Last the folder history: its size, then that many texts.
        {"pathHistorySize",               Integer16, "32",    &PS::pathHistorySize},
        {"pathHistory",                   Text,      "",      PathHistory{}},

        // Written only, from a Boolean property of each picker; never read, so no default.
        {"dtDateChk",                     Boolean,   "",      Control{"dtDate"}, LoadRule::NotLoaded},
        {"dtTimeChk",                     Boolean,   "",      Control{"dtTime"}, LoadRule::NotLoaded},
    };
    // clang-format on
}

}  // namespace

const QList<KeyDef>& settingsKeys() {
    static const QList<KeyDef> table = buildTable();
    return table;
}

const KeyDef* findKey(const QString& name) {
    for (const KeyDef& key : settingsKeys()) {
        if (key.name == name) {
            return &key;
        }
    }
    return nullptr;
}

QString pathHistoryKey(int index) {
    return QStringLiteral("pathHistory") + QString::number(index);
}

QString defaultText(const KeyDef& key, const ProgramSettings& loaded, QSize screenTwips,
                    const QDate& today, const QTime& now) {
    const KeyDefault& fallback = key.fallback;
    switch (fallback.rule) {
        case KeyDefault::Rule::Fixed:
            return fallback.text;
        case KeyDefault::Rule::CentreOnScreenHeight:
        case KeyDefault::Rule::CentreOnScreenWidth: {
            const int screen = fallback.rule == KeyDefault::Rule::CentreOnScreenHeight
                                   ? screenTwips.height()
                                   : screenTwips.width();
            const double half = (double(screen) - double(loaded.*fallback.size)) / 2.0;
            return QString::number(
                clampToInt16(static_cast<long long>(platform::roundHalfEven(half))));
        }
        case KeyDefault::Rule::Today:
            return storedDateText(today);
        case KeyDefault::Rule::Now:
            return storedTimeText(now);
    }
    return fallback.text;
}

QString storedDateText(const QDate& date) {
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString storedTimeText(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

namespace {

// A date format of the locale that writes the year with two digits ("yy" but not "yyyy").
bool hasTwoDigitYear(const QString& format) {
    return format.contains(QStringLiteral("yy")) && !format.contains(QStringLiteral("yyyy"));
}

// Qt reads a two-digit year into 1900 .. 1999; a date written by the locale's short form
// years ago or today belongs to the 100 years that end 20 years from now.
QDate withinCentury(const QDate& date) {
    const int last = QDate::currentDate().year() + 20;
    int year = date.year();
    while (year <= last - 100) {
        year += 100;
    }
    while (year > last) {
        year -= 100;
    }
    const QDate moved(year, date.month(), date.day());
    return moved.isValid() ? moved : date;
}

// The locale's long time format without its time-zone field, which the time texts never show.
QString withoutZone(QString format) {
    static const QRegularExpression zone(QStringLiteral(R"(\s*\(?\bt+\b\)?)"));
    return format.remove(zone).trimmed();
}

}  // namespace

std::optional<QDate> parseStoredDate(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    const QLocale locale;
    QDate date = QDate::fromString(trimmed, QStringLiteral("yyyy-MM-dd"));
    if (date.isValid()) {
        return date;
    }
    for (const QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QString format = locale.dateFormat(type);
        if (hasTwoDigitYear(format)) {
            // A store written by hand may carry all four digits in the locale's order.
            QString fourDigits = format;
            fourDigits.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
            date = locale.toDate(trimmed, fourDigits);
            if (date.isValid()) {
                return date;
            }
            date = locale.toDate(trimmed, format);
            if (date.isValid()) {
                return withinCentury(date);
            }
        } else {
            date = locale.toDate(trimmed, format);
            if (date.isValid()) {
                return date;
            }
        }
    }
    for (const char* format : {"yyyy/M/d", "d.M.yyyy"}) {
        date = QDate::fromString(trimmed, QString::fromLatin1(format));
        if (date.isValid()) {
            return date;
        }
    }
    return std::nullopt;
}

std::optional<QTime> parseStoredTime(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    const QLocale locale;
    const QStringList formats = {
        QStringLiteral("HH:mm:ss"),
        withoutZone(locale.timeFormat(QLocale::LongFormat)),
        locale.timeFormat(QLocale::ShortFormat),
        QStringLiteral("H:mm:ss"),
        QStringLiteral("H:mm"),
    };
    for (const QString& format : formats) {
        const QTime time = locale.toTime(trimmed, format);
        if (time.isValid()) {
            return time;
        }
    }
    return std::nullopt;
}

}  // namespace settings
