#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTime>

#include <cstdlib>
#include <limits>
#include <ostream>
#include <string>
#include <utility>
#include <variant>

#include "settings/conversions.h"
#include "settings/keys.h"
#include "settings/loader.h"
#include "settings/store.h"
#include "tests/support/tempdir.h"

// Readable failure output; static, so that printers of other test files do not collide.
static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
static void PrintTo(const QDate& date, std::ostream* os) {
    *os << date.toString(Qt::ISODate).toStdString();
}
static void PrintTo(const QTime& time, std::ostream* os) {
    *os << time.toString(Qt::ISODate).toStdString();
}

namespace {

using settings::KeyKind;
using settings::ProgramSettings;

// Stands in for the main window: keeps what each control was set to, records every call in
// order, and refuses the names it is told to refuse.
class FakeSink : public settings::ControlSink {
public:
    QSet<QString> refused;

    QStringList calls;
    QMap<QString, int> checks;
    QMap<QString, QString> texts;
    QStringList chosenOptions;  // every selectOption, in order
    QList<int> tabs;            // every selected mode tab, in order
    QMap<QString, QDate> dates;
    QMap<QString, QTime> times;
    QMap<QString, bool> enabled;
    QMap<QString, QString> captions;

    bool setCheck(const QString& name, int value) override {
        calls << QStringLiteral("check %1=%2").arg(name).arg(value);
        return store(name, checks, value);
    }
    bool setText(const QString& name, const QString& text) override {
        calls << QStringLiteral("text %1=%2").arg(name, text);
        return store(name, texts, text);
    }
    bool selectOption(const QString& name) override {
        calls << QStringLiteral("option %1").arg(name);
        if (refused.contains(name)) {
            return false;
        }
        chosenOptions << name;
        return true;
    }
    bool selectModeTab(int position) override {
        calls << QStringLiteral("tab %1").arg(position);
        if (refused.contains(QStringLiteral("TabStrip"))) {
            return false;
        }
        tabs << position;
        return true;
    }
    bool setDate(const QString& name, const QDate& date) override {
        calls << QStringLiteral("date %1=%2").arg(name, date.toString(Qt::ISODate));
        return store(name, dates, date);
    }
    bool setTime(const QString& name, const QTime& time) override {
        calls << QStringLiteral("time %1=%2").arg(name, time.toString(Qt::ISODate));
        return store(name, times, time);
    }
    void setEnabled(const QString& name, bool on) override {
        calls << QStringLiteral("enable %1=%2").arg(name).arg(on);
        enabled[name] = on;
    }
    void setCaption(const QString& name, const QString& caption) override {
        calls << QStringLiteral("caption %1=%2").arg(name, caption);
        captions[name] = caption;
    }

    // The option of `group` chosen last, or "" when none of them was chosen.
    QString chosenOf(const QStringList& group) const {
        for (auto it = chosenOptions.crbegin(); it != chosenOptions.crend(); ++it) {
            if (group.contains(*it)) {
                return *it;
            }
        }
        return {};
    }
    // Position in `calls` of the first call that starts with `prefix`, or -1.
    qsizetype indexOf(const QString& prefix) const {
        for (qsizetype i = 0; i < calls.size(); ++i) {
            if (calls[i].startsWith(prefix)) {
                return i;
            }
        }
        return -1;
    }

private:
    template <class T>
    bool store(const QString& name, QMap<QString, T>& values, const T& value) {
        if (refused.contains(name)) {
            return false;
        }
        values[name] = value;
        return true;
    }
};

QStringList groupOf(const char* key) {
    const settings::KeyDef* row = settings::findKey(QString::fromLatin1(key));
    return row ? std::get<settings::OptionGroup>(row->target).buttons : QStringList();
}

// Each test has its own program folder (text lists and error log) and its own INI file.
class LoaderTest : public testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("QUENZA_PROGRAM_DIR");
        savedProgramDir_ = old ? old : "";
        setenv("QUENZA_PROGRAM_DIR", program_.path().c_str(), 1);
        input_.screenTwips = QSize(19200, 14400);
        input_.today = QDate(2024, 3, 15);
        input_.now = QTime(13, 45, 30);
        input_.programFolder = QString::fromStdString(program_.path()) + u'/';
    }
    void TearDown() override { setenv("QUENZA_PROGRAM_DIR", savedProgramDir_.c_str(), 1); }

    QString iniPath() const { return QString::fromStdString(config_.file("settings.ini")); }

    void put(const QString& key, const QString& value) { store_.write(key, value); }
    // A filetypes.txt of its own, so the loader writes no default file and does not arm again.
    void withFileTypes() const { program_.write("filetypes.txt", "1,PK,zip\r\n"); }

    settings::LoadedState load() { return settings::loadSettings(store_, sink_, input_); }

    // The messages of errors.txt, without their date-time prefix.
    QStringList errorMessages() const {
        QString content = QString::fromStdString(testsupport::readAll(program_.file("errors.txt")));
        if (content.isEmpty()) {
            return {};
        }
        if (content.endsWith(QStringLiteral("\r\n"))) {
            content.chop(2);
        }
        QStringList lines = content.split(QStringLiteral("\r\n"));
        static const QRegularExpression prefix(QStringLiteral(R"(^\([^)]*\) )"));
        for (QString& line : lines) {
            line.remove(prefix);
        }
        return lines;
    }

    testsupport::TempDir program_;
    testsupport::TempDir config_;
    settings::SettingsStore store_{iniPath()};
    FakeSink sink_;
    settings::LoadInput input_;
    std::string savedProgramDir_;
};

// Every program-wide value as name and text, so that two sets compare with a readable diff.
QStringList fieldsOf(const ProgramSettings& s) {
    QStringList fields;
    const auto add = [&fields](const char* name, auto value) {
        fields << QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(value);
    };
    add("Main_Height", s.Main_Height);
    add("Main_Width", s.Main_Width);
    add("Main_Top", s.Main_Top);
    add("Main_Left", s.Main_Left);
    add("Main_Maximized", s.Main_Maximized);
    add("Execute_Width", s.Execute_Width);
    add("Execute_Height", s.Execute_Height);
    add("Execute_Top", s.Execute_Top);
    add("Execute_Left", s.Execute_Left);
    add("frmexecute_maximized", s.frmexecute_maximized);
    add("frmSettings_Top", s.frmSettings_Top);
    add("frmSettings_Left", s.frmSettings_Left);
    add("enableRenameAllIfNoneSelected", s.enableRenameAllIfNoneSelected);
    add("startupInLastDir", s.startupInLastDir);
    add("tabStripFilemode", s.tabStripFilemode);
    add("totNumberOfFilesRenamedNew", s.totNumberOfFilesRenamedNew);
    add("totNumberOfDirsRenamedNew", s.totNumberOfDirsRenamedNew);
    add("processHidden", s.processHidden);
    add("processSystem", s.processSystem);
    add("processWriteProtected", s.processWriteProtected);
    add("showFullPath", s.showFullPath);
    add("alwaysShowDirs", s.alwaysShowDirs);
    add("shellShowQuenza", s.shellShowQuenza);
    add("shellShowAuto", s.shellShowAuto);
    add("usePatternForFiles", s.usePatternForFiles);
    add("usePatternForDirs", s.usePatternForDirs);
    add("uncheckSubsdirsAtStartup", s.uncheckSubsdirsAtStartup);
    add("hideSystemFolders", s.hideSystemFolders);
    add("useSysIcons", s.useSysIcons);
    add("enableTreeview", s.enableTreeview);
    add("showAllColumns", s.showAllColumns);
    add("lwShowGuidelines", s.lwShowGuidelines);
    add("lwFullRowSelect", s.lwFullRowSelect);
    add("cacheIcons", s.cacheIcons);
    add("alwaysKeepOrder", s.alwaysKeepOrder);
    add("thumbsBorder", s.thumbsBorder);
    add("thumbsAspect", s.thumbsAspect);
    add("thumbsWidth", s.thumbsWidth);
    add("thumbsHeight", s.thumbsHeight);
    add("getHtmlTitle_ReadSize", s.getHtmlTitle_ReadSize);
    for (int i = 0; i < 8; ++i) {
        fields << QStringLiteral("dirColWidth%1=%2").arg(i + 1).arg(s.dirColWidth[i]);
        fields << QStringLiteral("dragColWidth%1=%2").arg(i + 1).arg(s.dragColWidth[i]);
    }
    add("mpegBytesToRead", s.mpegBytesToRead);
    add("mpegFakeBitrate", s.mpegFakeBitrate);
    add("dragDropAddPath", s.dragDropAddPath);
    add("pathHistorySize", s.pathHistorySize);
    add("pathHistory", s.pathHistory.join(u'|'));
    return fields;
}

ProgramSettings expectedDefaults() {
    ProgramSettings s;
    s.Main_Height = 7920;
    s.Main_Width = 11000;
    s.Main_Top = 3240;   // (14400 - 7920) / 2
    s.Main_Left = 4100;  // (19200 - 11000) / 2
    s.Execute_Width = 5960;
    s.Execute_Height = 5000;
    s.Execute_Top = 4700;   // (14400 - 5000) / 2
    s.Execute_Left = 6620;  // (19200 - 5960) / 2
    s.enableRenameAllIfNoneSelected = true;
    s.startupInLastDir = 1;
    s.tabStripFilemode = 1;
    s.processWriteProtected = 1;
    s.shellShowQuenza = 1;
    s.shellShowAuto = 1;
    s.usePatternForFiles = 1;
    s.uncheckSubsdirsAtStartup = 1;
    s.hideSystemFolders = 1;
    s.useSysIcons = 1;
    s.thumbsBorder = 1;
    s.thumbsAspect = 1;
    s.thumbsWidth = 64;
    s.thumbsHeight = 64;
    s.getHtmlTitle_ReadSize = 2048;
    s.dirColWidth = {3030, 3020, 3030, 1000, 1800, 720, 600, 600};
    s.dragColWidth = {3030, 3020, 3030, 1000, 1800, 720, 600, 600};
    s.mpegBytesToRead = 8192;
    s.mpegFakeBitrate = 128000;
    s.pathHistorySize = 32;
    s.pathHistory = QStringList(33, QString());
    return s;
}

TEST_F(LoaderTest, EmptyStoreGivesEveryDefault) {
    const settings::LoadedState state = load();

    EXPECT_EQ(fieldsOf(state.settings), fieldsOf(expectedDefaults()));

    const QMap<QString, int> checks = {
        {"chkShowTreeview", 0},
        {"chkOnlyRenameSelected", 1},
        {"chkMp3AddExtension", 1},
        {"chkMp3OnlyFilledTags", 1},
        {"chkMp3OnlyMp3Files", 1},
        {"chkMp3UseID3v2", 1},
        {"chkCaseSensitive", 0},
        {"chkR", 2},
        {"chkH", 2},
        {"chkS", 2},
        {"chkA", 2},
        {"chkDateCreated", 0},
        {"chkDateAccessed", 0},
        {"chkDateModified", 1},
        {"chkDateDate", 1},
        {"chkDateTime", 1},
        {"chkFiles", 1},
        {"chkDirs", 0},
        {"chkSimulation", 0},
        {"chkSub", 0},
        {"chkProcessFilename", 1},
        {"chkProcessFileExt", 1},
        {"chkPreview", 1},
        {"chkFormatAllMustBeAvailable", 1},
        {"chkFileDetect_TryMp3", 0},
        {"chkFileDetect_TryText", 0},
        {"chkFileDetect_KeepExt", 0},
        {"chkEnumAutoZeros", 1},
        {"chkEnumResetBetweenDirs", 0},
        {"chkExceptionsEnabled", 0},
        {"chkSpaceBeginning", 1},
        {"chkSpaceEnd", 1},
        {"chkSpaceShrink", 1},
    };
    EXPECT_EQ(sink_.checks, checks);

    const QMap<QString, QString> texts = {
        {"txtPattern", "*.*"},
        {"txtMp3Format", "<ARTIST> - <TITLE>"},
        {"txtFind", ""},
        {"txtReplace", ""},
        {"txtReplaceCount", "0"},
        {"txtReplaceStart", "0"},
        {"txtAdd", ""},
        {"txtCropNumber", "1"},
        {"txtAddPos", "0"},
        {"txtCropPos", "0"},
        {"txtFormat", "<NAME> (<SIZE>).<EXT>"},
        {"txtFormatParts", "<%1> - <%2>"},
        {"txtNormalize", "2"},
        {"txtEnumFormat", "<ENUM>_<FULLNAME>"},
        {"txtEnumZeros", "2"},
        {"txtEnumStart", "1"},
        {"txtEnumStep", "1"},
    };
    EXPECT_EQ(sink_.texts, texts) << "txtPath is a start folder candidate, not a box value";

    EXPECT_EQ(sink_.chosenOptions,
              QStringList({"optReplaceSingle", "optAttrib_Attributes", "Case1_4", "Case2_2",
                           "optAddBeginning", "optCropBeginning", "optAdd", "chkFormatTab_Format",
                           "chkEnumTab_Enum"}));
    EXPECT_EQ(sink_.tabs, QList<int>{2});
    EXPECT_EQ(sink_.dates.value("dtDate"), input_.today);
    EXPECT_EQ(sink_.times.value("dtTime"), input_.now);
    EXPECT_EQ(sink_.enabled, (QMap<QString, bool>{{"txtPattern", true}}));
    EXPECT_EQ(sink_.captions,
              (QMap<QString, QString>{{"lblBatchReplace", "0 items in batch replace list..."}}));

    // First start without list files: the default filetypes.txt is written, the other lists
    // stay in their empty forms, and nothing is reported.
    EXPECT_FALSE(testsupport::readAll(program_.file("filetypes.txt")).empty());
    EXPECT_EQ(state.lists.exceptionsList, QStringList{QString()});
    EXPECT_FALSE(state.lists.fileSignatures.isEmpty());
    EXPECT_EQ(state.lists.codecList, QList<engine::CodecEntry>{engine::CodecEntry{}});
    EXPECT_EQ(state.lists.waveFormatList,
              QList<engine::WaveFormatEntry>{engine::WaveFormatEntry{}});
    EXPECT_TRUE(state.lists.batchReplaceList.isEmpty());
    EXPECT_EQ(state.commandLine.startPath, "");
    EXPECT_EQ(errorMessages(), QStringList());
}

TEST_F(LoaderTest, StepsRunInLoadingOrder) {
    put("chkSub", "1");
    put("uncheckSubsdirsAtStartup", "1");
    load();
    const auto at = [this](const char* prefix) { return sink_.indexOf(QString(prefix)); };
    const QList<qsizetype> order = {
        at("check chkShowTreeview="),
        at("check chkOnlyRenameSelected="),
        at("text txtPattern="),
        at("text txtMp3Format="),
        at("option optReplaceSingle"),
        at("check chkR="),
        at("date dtDate="),
        at("time dtTime="),
        at("option Case1_4"),
        at("option optAdd"),
        at("check chkFiles="),
        at("check chkSub=1"),
        at("tab 2"),
        at("check chkPreview="),
        at("text txtFormat="),
        at("option chkEnumTab_Enum"),
        at("enable txtPattern="),
        at("check chkExceptionsEnabled="),
        at("check chkSub=0"),
        at("check chkSpaceBeginning="),
        at("caption lblBatchReplace="),
    };
    for (qsizetype i = 0; i < order.size(); ++i) {
        ASSERT_GE(order[i], 0) << "step " << i << " missing";
        if (i > 0) {
            EXPECT_LT(order[i - 1], order[i]) << "step " << i << " out of order";
        }
    }
}

TEST_F(LoaderTest, WindowPositionsCentreOnTheScreenWithTheSizeJustLoaded) {
    const struct {
        QSize screen;
        const char* mainHeight;  // nullptr: missing
        qint16 top;
        qint16 left;
        qint16 executeTop;
        qint16 executeLeft;
    } cases[] = {
        // Halves go to the even neighbour.
        {QSize(19201, 14403), nullptr, 3242, 4100, 4702, 6620},
        {QSize(19200, 14400), "7000", 3700, 4100, 4700, 6620},
        // A size that does not load leaves 0, and the window centres with that.
        {QSize(19200, 14400), "x", 7200, 4100, 4700, 6620},
        // A screen smaller than the window puts it above and left of the screen.
        {QSize(0, 0), nullptr, -3960, -5500, -2500, -2980},
        // A huge screen would overflow the 16-bit positions: they stop at the range's end.
        {QSize(200000, 100000), nullptr, 32767, 32767, 32767, 32767},
    };
    for (const auto& c : cases) {
        store_.remove("Main_Height");
        if (c.mainHeight) {
            put("Main_Height", c.mainHeight);
        }
        input_.screenTwips = c.screen;
        const ProgramSettings s = load().settings;
        const QString where = QStringLiteral("%1x%2").arg(c.screen.width()).arg(c.screen.height());
        EXPECT_EQ(s.Main_Top, c.top) << where.toStdString();
        EXPECT_EQ(s.Main_Left, c.left) << where.toStdString();
        EXPECT_EQ(s.Execute_Top, c.executeTop) << where.toStdString();
        EXPECT_EQ(s.Execute_Left, c.executeLeft) << where.toStdString();
    }
    EXPECT_EQ(errorMessages(), QStringList()) << "geometry failures come before the arming";

    // A stored position wins over the centring.
    put("Main_Top", "-120");
    EXPECT_EQ(load().settings.Main_Top, -120);
}

TEST_F(LoaderTest, NumbersRoundHalvesToEvenAndFailingOnesLeaveTheTarget) {
    put("Main_Height", "3720.5");
    put("Main_Width", "3721.5");
    put("thumbsWidth", " 12 ");
    put("thumbsHeight", "1e3");
    put("dirColWidth3", "40000");
    put("dragColWidth8", "-7.5");
    put("totNumberOfFilesRenamedNew", "2147483647");
    put("totNumberOfDirsRenamedNew", "2147483648");
    put("mpegBytesToRead", "");
    put("enableRenameAllIfNoneSelected", "0");
    put("dragDropAddPath", QString::fromUtf8("/home/zoë/Drop, here/"));
    const ProgramSettings s = load().settings;
    EXPECT_EQ(s.Main_Height, 3720);
    EXPECT_EQ(s.Main_Width, 3722);
    EXPECT_EQ(s.thumbsWidth, 12);
    EXPECT_EQ(s.thumbsHeight, 0) << "an exponent is not a whole number";
    EXPECT_EQ(s.dirColWidth[2], 0);
    EXPECT_EQ(s.dirColWidth[3], 1000);
    EXPECT_EQ(s.dragColWidth[7], -8);
    EXPECT_EQ(s.totNumberOfFilesRenamedNew, 2147483647);
    EXPECT_EQ(s.totNumberOfDirsRenamedNew, 0);
    EXPECT_EQ(s.mpegBytesToRead, 0);
    EXPECT_FALSE(s.enableRenameAllIfNoneSelected);
    EXPECT_EQ(s.dragDropAddPath, QString::fromUtf8("/home/zoë/Drop, here/"));
}

TEST_F(LoaderTest, CheckBoxesGetOnlyValuesTheyCanShow) {
    // A value a box cannot show is refused with the loader's one error line; 2 greys any box.
    const struct {
        const char* key;
        const char* stored;
        int expected;  // -1: the box is not set and the load reports an error
    } cases[] = {
        {"chkFiles", "0", 0},   {"chkFiles", "1", 1},      {"chkFiles", "2", 2},
        {"chkFiles", "5", -1},  {"chkFiles", "-1", -1},    {"chkFiles", "0.4", 0},
        {"chkFiles", "1.5", 2}, {"chkFiles", "40000", -1}, {"chkFiles", "", -1},
        {"chkFiles", "x", -1},  {"chkR", "2", 2},          {"chkR", "3", -1},
        {"chkA", "-2", -1},     {"chkS", "0", 0},          {"chkDirs", "-1", -1},
    };
    for (const auto& c : cases) {
        put(c.key, c.stored);
        sink_ = FakeSink();
        program_.write("errors.txt", "");
        load();
        if (c.expected < 0) {
            EXPECT_FALSE(sink_.checks.contains(c.key)) << c.key << "=" << c.stored;
            EXPECT_EQ(errorMessages().filter(QStringLiteral("Error loading settings!")).size(), 1)
                << c.key << "=" << c.stored;
        } else {
            EXPECT_EQ(sink_.checks.value(c.key, -1), c.expected) << c.key << "=" << c.stored;
        }
        store_.remove(c.key);
    }
}

TEST_F(LoaderTest, OptionKeysCompareAsNumbers) {
    const QStringList case1 = groupOf("Case1");
    ASSERT_EQ(case1.size(), 7);
    const struct {
        const char* stored;
        const char* chosen;  // "" : no option of the group is chosen
        bool everyOneInTurn;
    } cases[] = {
        {"0", "Case1_0", false},   {"6", "Case1_6", false}, {" 3 ", "Case1_3", false},
        {"1.0", "Case1_1", false}, {"7", "", false},        {"-1", "", false},
        {"1.5", "", false},        {"x", "Case1_6", true},  {"", "Case1_6", true},
        {"3abc", "Case1_6", true},
    };
    for (const auto& c : cases) {
        put("Case1", c.stored);
        sink_ = FakeSink();
        load();
        EXPECT_EQ(sink_.chosenOf(case1), c.chosen) << '"' << c.stored << '"';
        QStringList chosenInGroup;
        for (const QString& name : sink_.chosenOptions) {
            if (case1.contains(name)) {
                chosenInGroup << name;
            }
        }
        if (c.everyOneInTurn) {
            EXPECT_EQ(chosenInGroup, case1) << '"' << c.stored << '"';
        } else {
            EXPECT_LE(chosenInGroup.size(), 1) << '"' << c.stored << '"';
        }
        // The neighbouring group is untouched.
        EXPECT_EQ(sink_.chosenOf(groupOf("Case2")), "Case2_2");
    }
}

TEST_F(LoaderTest, TabStripTakesTheNumericValue) {
    withFileTypes();
    const struct {
        const char* stored;
        int tab;  // 0: none selected
    } cases[] = {
        {"1", 1}, {"8", 8}, {"3abc", 3}, {" 5", 5}, {"2.5", 2}, {"&H4", 4},
        {"0", 0}, {"9", 0}, {"-1", 0},   {"", 0},   {"x", 0},
    };
    for (const auto& c : cases) {
        put("tabStrip", c.stored);
        sink_ = FakeSink();
        program_.write("errors.txt", "");
        load();
        if (c.tab == 0) {
            EXPECT_TRUE(sink_.tabs.isEmpty()) << '"' << c.stored << '"';
            EXPECT_EQ(errorMessages(),
                      QStringList{"Error 9 (Subscript out of range) Error loading settings!"})
                << '"' << c.stored << '"';
        } else {
            EXPECT_EQ(sink_.tabs, QList<int>{c.tab}) << '"' << c.stored << '"';
            EXPECT_EQ(errorMessages(), QStringList()) << '"' << c.stored << '"';
        }
    }
}

TEST_F(LoaderTest, EmptyTextEmptiesATextBoxButFailsACheckBox) {
    withFileTypes();
    put("txtFind", "");
    put("txtMp3Format", "");
    put("chkFiles", "");
    load();
    EXPECT_EQ(sink_.texts.value("txtFind", "unset"), "");
    EXPECT_EQ(sink_.texts.value("txtMp3Format", "unset"), "");
    EXPECT_EQ(sink_.indexOf("check chkFiles="), -1);
    EXPECT_EQ(errorMessages(), QStringList{"Error 13 (Type mismatch) Error loading settings!"});
}

TEST_F(LoaderTest, SubfolderBoxIsClearedOnlyWhenAskedWithOne) {
    const struct {
        const char* uncheck;  // nullptr: missing (default 1)
        int expected;
    } cases[] = {{nullptr, 0}, {"1", 0}, {"2", 1}, {"0", 1}, {"-1", 1}};
    put("chkSub", "1");
    for (const auto& c : cases) {
        store_.remove("uncheckSubsdirsAtStartup");
        if (c.uncheck) {
            put("uncheckSubsdirsAtStartup", c.uncheck);
        }
        sink_ = FakeSink();
        load();
        EXPECT_EQ(sink_.checks.value("chkSub", -1), c.expected) << (c.uncheck ? c.uncheck : "-");
    }
}

TEST_F(LoaderTest, PatternBoxIsDisabledWhenNeitherPatternSettingIsOn) {
    const struct {
        const char* files;
        const char* dirs;
        bool enabled;
    } cases[] = {{"0", "0", false}, {"1", "0", true}, {"0", "1", true}, {"0", "-3", true}};
    put("txtPattern", "*.mp3");
    for (const auto& c : cases) {
        put("usePatternForFiles", c.files);
        put("usePatternForDirs", c.dirs);
        sink_ = FakeSink();
        load();
        EXPECT_EQ(sink_.enabled.value("txtPattern"), c.enabled) << c.files << "," << c.dirs;
        EXPECT_EQ(sink_.texts.value("txtPattern"), "*.mp3");
    }
}

TEST_F(LoaderTest, PathHistoryHoldsSizePlusOneTexts) {
    put("pathHistory0", "/a/");
    put("pathHistory1", "/b, c/");
    put("pathHistory2", "/not read/");
    const struct {
        const char* size;
        qint16 loadedSize;
        QStringList history;  // empty: checked by count below
        qsizetype count;
    } cases[] = {
        {"2", 2, {"/a/", "/b, c/", ""}, 3},
        {"0", 0, {""}, 1},
        {"-1", -1, {""}, 1},
        {"-32768", -32768, {""}, 1},
        {"x", 0, {""}, 1},
        // 32767 + 1 texts would not fit: the largest size that fits stands in.
        {"32767", 32766, {}, 32767},
    };
    for (const auto& c : cases) {
        put("pathHistorySize", c.size);
        const ProgramSettings s = load().settings;
        EXPECT_EQ(s.pathHistorySize, c.loadedSize) << c.size;
        ASSERT_EQ(s.pathHistory.size(), c.count) << c.size;
        if (!c.history.isEmpty()) {
            EXPECT_EQ(s.pathHistory, c.history) << c.size;
        } else {
            EXPECT_EQ(s.pathHistory.mid(0, 3), QStringList({"/a/", "/b, c/", "/not read/"}));
            EXPECT_EQ(s.pathHistory.last(), "");
        }
    }
}

TEST_F(LoaderTest, OnlyFailuresAfterTheLastArmingAreReportedOnce) {
    const struct {
        const char* name;
        QList<std::pair<const char*, const char*>> stored;
        QStringList refused;
        bool fileTypesPresent;
        QStringList lines;
    } cases[] = {
        {"bad chkFiles, filetypes.txt present",
         {{"chkFiles", "x"}},
         {},
         true,
         {"Error 13 (Type mismatch) Error loading settings!"}},
        {"bad chkFiles, default filetypes.txt written", {{"chkFiles", "x"}}, {}, false, {}},
        {"bad Main_Height comes before the command line",
         {{"Main_Height", "x"}, {"startupInLastDir", "x"}},
         {},
         true,
         {}},
        {"a number outside an option group is no failure", {{"Case1", "7"}}, {}, true, {}},
        {"a letter in Case1",
         {{"Case1", "x"}},
         {},
         true,
         {"Error 13 (Type mismatch) Error loading settings!"}},
        {"the last of several failures",
         {{"chkFiles", "x"}, {"tabStrip", "0"}},
         {},
         true,
         {"Error 9 (Subscript out of range) Error loading settings!"}},
        {"out of range",
         {{"processHidden", "40000"}},
         {},
         true,
         {"Error 6 (Overflow) Error loading settings!"}},
        {"a control refuses its value",
         {},
         {"chkDirs"},
         true,
         {"Error 380 (Invalid property value) Error loading settings!"}},
        {"a failure after the default filetypes.txt",
         {{"chkSpaceEnd", "x"}},
         {},
         false,
         {"Error 13 (Type mismatch) Error loading settings!"}},
        {"a bad date",
         {{"dtDate", "someday"}},
         {},
         true,
         {"Error 13 (Type mismatch) Error loading settings!"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir program;
        setenv("QUENZA_PROGRAM_DIR", program.path().c_str(), 1);
        input_.programFolder = QString::fromStdString(program.path()) + u'/';
        if (c.fileTypesPresent) {
            program.write("filetypes.txt", "1,PK,zip\r\n");
        }
        settings::SettingsStore store(QString::fromStdString(program.file("settings.ini")));
        for (const auto& [key, value] : c.stored) {
            store.write(key, value);
        }
        FakeSink sink;
        for (const QString& name : c.refused) {
            sink.refused.insert(name);
        }
        settings::loadSettings(store, sink, input_);
        // The loader goes on past every failure.
        EXPECT_TRUE(sink.captions.contains("lblBatchReplace"));

        QString content = QString::fromStdString(testsupport::readAll(program.file("errors.txt")));
        QStringList lines;
        if (!content.isEmpty()) {
            content.chop(2);
            lines = content.split(QStringLiteral("\r\n"));
            for (QString& line : lines) {
                line.remove(QRegularExpression(QStringLiteral(R"(^\([^)]*\) )")));
            }
        }
        EXPECT_EQ(lines, c.lines);
    }
}

TEST_F(LoaderTest, CommandLinePatternWinsOverTheStoredOne) {
    put("txtPattern", "*.txt");
    program_.write("song.mp3", "x");  // a folder opens only when it lists something
    input_.arguments = QStringList{QString::fromStdString(program_.path()) + "/*.mp3"};
    const settings::LoadedState state = load();
    EXPECT_EQ(state.commandLine.pattern, "*.mp3");
    EXPECT_EQ(sink_.texts.value("txtPattern"), "*.mp3");
    EXPECT_EQ(state.commandLine.startPath, QString::fromStdString(program_.path()) + "/");
}

TEST_F(LoaderTest, SavedFolderStartsOnlyWhenStartingInTheLastFolderIsOn) {
    testsupport::TempDir saved;
    saved.write("a.txt", "a");
    put("txtPath", QString::fromStdString(saved.path()));
    EXPECT_EQ(load().commandLine.startPath, QString::fromStdString(saved.path()) + "/");
    put("startupInLastDir", "0");
    EXPECT_EQ(load().commandLine.startPath, "");
}

TEST_F(LoaderTest, ListsAreReadAndTheBatchCaptionCountsThem) {
    withFileTypes();
    program_.write("replace.txt", "find/replace/0/0/0/0\r\n");
    program_.write("exceptions.txt", "McDonald\r\n");
    const settings::LoadedState state = load();
    EXPECT_EQ(sink_.captions.value("lblBatchReplace"), "1 item in batch replace list...");
    EXPECT_EQ(state.lists.batchReplaceList.size(), 1);
    EXPECT_EQ(state.lists.exceptionsList, QStringList{"McDonald"});
    EXPECT_EQ(state.lists.fileSignatures,
              (QList<engine::FileSignature>{{1, QStringLiteral("PK"), QStringLiteral("zip")}}));
}

TEST_F(LoaderTest, DatesAndTimesLoadInIsoAndInTheLocaleForm) {
    const struct {
        const char* date;
        QDate expected;
    } dates[] = {
        {"2023-07-04", QDate(2023, 7, 4)},
        {" 1999-12-31 ", QDate(1999, 12, 31)},
        {"7/4/23", QDate(2023, 7, 4)},  // the locale's short form, two-digit year
        {"12/31/99", QDate(1999, 12, 31)},
        {"7/4/2023", QDate(2023, 7, 4)},
        {"Tuesday, July 4, 2023", QDate(2023, 7, 4)},
        {"2023/7/4", QDate(2023, 7, 4)},
        {"4.7.2023", QDate(2023, 7, 4)},
        {"1800-01-01", QDate(1800, 1, 1)},
    };
    for (const auto& c : dates) {
        put("dtDate", c.date);
        sink_ = FakeSink();
        load();
        EXPECT_EQ(sink_.dates.value("dtDate"), c.expected) << c.date;
    }
    const struct {
        const char* time;
        QTime expected;
    } times[] = {
        {"08:05:09", QTime(8, 5, 9)},    {"23:59:59", QTime(23, 59, 59)},
        {"8:05:09 PM", QTime(20, 5, 9)},  // the locale's long form
        {"8:05 AM", QTime(8, 5)},         // and its short form
        {"8:05", QTime(8, 5)},
    };
    for (const auto& c : times) {
        put("dtTime", c.time);
        sink_ = FakeSink();
        load();
        EXPECT_EQ(sink_.times.value("dtTime"), c.expected) << c.time;
    }
    for (const char* bad : {"", "someday", "2023-13-01", "7/4"}) {
        put("dtDate", bad);
        put("dtTime", bad);
        sink_ = FakeSink();
        load();
        EXPECT_FALSE(sink_.dates.contains("dtDate")) << bad;
        EXPECT_FALSE(sink_.times.contains("dtTime")) << bad;
    }
}

TEST_F(LoaderTest, DatesInAnotherLocaleShortFormLoad) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    put("dtDate", "04.07.23");
    put("dtTime", "20:05:09");
    load();
    QLocale::setDefault(saved);
    EXPECT_EQ(sink_.dates.value("dtDate"), QDate(2023, 7, 4));
    EXPECT_EQ(sink_.times.value("dtTime"), QTime(20, 5, 9));
}

TEST_F(LoaderTest, SavedStateComesBackThroughTheFile) {
    const QStringList folders = {"/music/Best of, Vol. 1/", QString::fromUtf8("/home/zoë/ä ö/")};
    {
        settings::SettingsStore writer(iniPath());
        writer.write("Main_Height", "9000");
        writer.write("enableRenameAllIfNoneSelected", settings::booleanText(false));
        writer.write("txtFind", " a, b ");
        writer.write("txtReplace", "\"x\"\\/");
        writer.write("txtMp3Format", "<ARTIST> - <TITLE>");
        writer.write("Case2", "5");
        writer.write("tabStrip", "7");
        writer.write("chkA", "2");
        writer.write("chkRealtimePreview", "0");
        writer.write("exceptionsEnabled", "1");
        writer.write("dtDate", settings::storedDateText(QDate(1987, 6, 5)));
        writer.write("dtTime", settings::storedTimeText(QTime(0, 0, 1)));
        writer.write("pathHistorySize", "2");
        writer.write("pathHistory0", folders[0]);
        writer.write("pathHistory1", folders[1]);
        ASSERT_TRUE(writer.sync().ok());
    }
    const settings::SettingsStore reader(iniPath());
    const settings::LoadedState state = settings::loadSettings(reader, sink_, input_);
    EXPECT_EQ(state.settings.Main_Height, 9000);
    EXPECT_FALSE(state.settings.enableRenameAllIfNoneSelected);
    EXPECT_EQ(sink_.texts.value("txtFind"), " a, b ");
    EXPECT_EQ(sink_.texts.value("txtReplace"), "\"x\"\\/");
    EXPECT_EQ(sink_.texts.value("txtMp3Format"), "<ARTIST> - <TITLE>");
    EXPECT_EQ(sink_.chosenOf(groupOf("Case2")), "Case2_5");
    EXPECT_EQ(sink_.tabs, QList<int>{7});
    EXPECT_EQ(sink_.checks.value("chkA"), 2);
    EXPECT_EQ(sink_.checks.value("chkPreview"), 0);
    EXPECT_EQ(sink_.checks.value("chkExceptionsEnabled"), 1);
    EXPECT_EQ(sink_.dates.value("dtDate"), QDate(1987, 6, 5));
    EXPECT_EQ(sink_.times.value("dtTime"), QTime(0, 0, 1));
    EXPECT_EQ(state.settings.pathHistory, QStringList({folders[0], folders[1], ""}));
    EXPECT_EQ(errorMessages(), QStringList());
}

// The table is data the saver reuses, so its rows must be complete and consistent.
TEST(KeyTableTest, RowsAreUniqueWellFormedAndHaveLoadableDefaults) {
    const QList<settings::KeyDef>& keys = settings::settingsKeys();
    // With the path history series counted once.
    EXPECT_EQ(keys.size(), 126);
    QSet<QString> names;
    for (const settings::KeyDef& key : keys) {
        SCOPED_TRACE(key.name.toStdString());
        EXPECT_FALSE(names.contains(key.name));
        names.insert(key.name);
        EXPECT_EQ(settings::findKey(key.name), &key);
        const auto& target = key.target;
        const QString text = key.fallback.rule == settings::KeyDefault::Rule::Fixed
                                 ? key.fallback.text
                                 : QStringLiteral("0");
        switch (key.kind) {
            case KeyKind::Check01:
            case KeyKind::Check012:
                EXPECT_TRUE(std::holds_alternative<settings::Control>(target));
                EXPECT_TRUE(settings::toInt16(text).has_value());
                break;
            case KeyKind::Integer16:
                EXPECT_TRUE(std::holds_alternative<qint16 ProgramSettings::*>(target) ||
                            std::holds_alternative<settings::ColumnWidth>(target));
                EXPECT_TRUE(settings::toInt16(text).has_value());
                break;
            case KeyKind::Long32:
                EXPECT_TRUE(std::holds_alternative<qint32 ProgramSettings::*>(target));
                EXPECT_TRUE(settings::toInt32(text).has_value());
                break;
            case KeyKind::Boolean:
                if (key.load == settings::LoadRule::NotLoaded) {
                    EXPECT_TRUE(std::holds_alternative<settings::Control>(target));
                } else {
                    EXPECT_TRUE(std::holds_alternative<bool ProgramSettings::*>(target));
                    EXPECT_TRUE(settings::toBoolean(text).has_value());
                }
                break;
            case KeyKind::Option: {
                const auto* group = std::get_if<settings::OptionGroup>(&target);
                ASSERT_NE(group, nullptr);
                const auto index = settings::toInt16(text);
                ASSERT_TRUE(index.has_value());
                EXPECT_LT(*index, group->buttons.size());
                break;
            }
            case KeyKind::Tab:
                EXPECT_TRUE(std::holds_alternative<settings::ModeTabs>(target));
                break;
            case KeyKind::Text:
                EXPECT_TRUE(std::holds_alternative<settings::Control>(target) ||
                            std::holds_alternative<QString ProgramSettings::*>(target) ||
                            std::holds_alternative<settings::PathHistory>(target));
                break;
            case KeyKind::Date:
            case KeyKind::Time:
                EXPECT_TRUE(std::holds_alternative<settings::Control>(target));
                break;
        }
    }
    EXPECT_EQ(settings::pathHistoryKey(0), "pathHistory0");
    EXPECT_EQ(settings::pathHistoryKey(31), "pathHistory31");
    EXPECT_EQ(settings::findKey("pathHistory0"), nullptr);
}

}  // namespace
