// Saving the settings: every key the loader reads is written, and a save followed by a load
// gives every value back, texts the INI format treats specially included.
#include <gtest/gtest.h>

#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTime>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "settings/keys.h"
#include "settings/loader.h"
#include "settings/saver.h"
#include "settings/store.h"
#include "tests/support/tempdir.h"

namespace {

using settings::ProgramSettings;

// Stands in for the main window on both sides: the loader sets its inputs, the saver reads
// them. Names it does not hold are unknown to it.
class FakeWindow : public settings::ControlSink, public settings::ControlSource {
public:
    QMap<QString, int> checks;
    QMap<QString, QString> texts;
    QMap<QString, QDate> dates;
    QMap<QString, QTime> times;
    QStringList chosen;  // chosen option buttons
    int tab = 1;

    bool setCheck(const QString& name, int value) override {
        checks[name] = value;
        return true;
    }
    bool setText(const QString& name, const QString& text) override {
        texts[name] = text;
        return true;
    }
    bool selectOption(const QString& name) override {
        chosen << name;
        return true;
    }
    bool selectModeTab(int position) override {
        tab = position;
        return true;
    }
    bool setDate(const QString& name, const QDate& date) override {
        dates[name] = date;
        return true;
    }
    bool setTime(const QString& name, const QTime& time) override {
        times[name] = time;
        return true;
    }
    void setEnabled(const QString&, bool) override {}
    void setCaption(const QString&, const QString&) override {}

    std::optional<int> checkValue(const QString& name) const override {
        return checks.contains(name) ? std::optional(checks.value(name)) : std::nullopt;
    }
    std::optional<QString> textValue(const QString& name) const override {
        return texts.contains(name) ? std::optional(texts.value(name)) : std::nullopt;
    }
    std::optional<int> chosenOption(const QStringList& buttons) const override {
        // The button chosen last among them, as option buttons behave.
        for (qsizetype i = chosen.size() - 1; i >= 0; --i) {
            if (const qsizetype index = buttons.indexOf(chosen.at(i)); index >= 0) {
                return static_cast<int>(index);
            }
        }
        return std::nullopt;
    }
    std::optional<int> modeTabPosition() const override { return tab; }
    std::optional<QDate> dateValue(const QString& name) const override {
        return dates.contains(name) ? std::optional(dates.value(name)) : std::nullopt;
    }
    std::optional<QTime> timeValue(const QString& name) const override {
        return times.contains(name) ? std::optional(times.value(name)) : std::nullopt;
    }
    std::optional<bool> showsCheckBox(const QString& name) const override {
        return name == QLatin1String("dtDate") || name == QLatin1String("dtTime")
                   ? std::optional(true)
                   : std::nullopt;
    }
};

// A program folder for the lists and the error log, pointed at by QUENZA_PROGRAM_DIR.
class SaverTest : public testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("QUENZA_PROGRAM_DIR");
        saved_ = old ? old : "";
        setenv("QUENZA_PROGRAM_DIR", program.path().c_str(), 1);
    }
    void TearDown() override { setenv("QUENZA_PROGRAM_DIR", saved_.c_str(), 1); }

    QString iniPath() const { return QString::fromStdString(dir.file("settings.ini")); }
    QString programFolder() const { return QString::fromStdString(program.path()) + "/"; }
    std::string errors() const { return testsupport::readAll(program.file("errors.txt")); }

    settings::LoadedState load(FakeWindow& window) const {
        const settings::SettingsStore store(iniPath());
        settings::LoadInput input;
        input.screenTwips = QSize(19200, 14400);
        input.today = QDate(2020, 1, 1);
        input.now = QTime(1, 2, 3);
        input.programFolder = programFolder();
        return settings::loadSettings(store, window, input);
    }

    void save(const FakeWindow& window, const ProgramSettings& values, const QString& startPath,
              const QStringList& history, const engine::TextLists& lists,
              bool* shown = nullptr) const {
        settings::SettingsStore store(iniPath());
        settings::SaveInput input{
            values, startPath, history, lists, programFolder(), [shown](bool show) {
                if (shown) {
                    *shown = show;
                }
            }};
        settings::saveSettings(store, window, input);
    }

    testsupport::TempDir dir;
    testsupport::TempDir program;
    std::string saved_;
};

// Texts that an INI file treats specially, each of which must come back as it was.
const QStringList kHardTexts = {
    "a;b",        "a,b",        "a, b",        "\"quoted\"", "x=y",
    "#hash",      "  blanks  ", "line\nbreak", "tab\there",  "back\\slash",
    "@Invalid()", "[section]",  "%percent",    "ünï ©ödé 😀", "",
};

TEST_F(SaverTest, EveryValueReadsBackAsItWasSaved) {
    // Load the defaults, change every value, save, and load again into a fresh window.
    FakeWindow first;
    settings::LoadedState loaded = load(first);
    ProgramSettings values = loaded.settings;
    int n = 0;
    for (auto it = first.checks.begin(); it != first.checks.end(); ++it) {
        const bool grey = it.key().size() == 4 && it.key().startsWith("chk");  // chkR .. chkA
        *it = grey ? (n++ % 3) : 1 - *it;
    }
    for (auto it = first.texts.begin(); it != first.texts.end(); ++it) {
        if (it.key() != QLatin1String("txtPath")) {
            *it = kHardTexts.at(n++ % kHardTexts.size()) + it.key();
        }
    }
    first.dates["dtDate"] = QDate(1999, 12, 31);
    first.times["dtTime"] = QTime(23, 59, 58);
    first.chosen << "optReplaceBatch"
                 << "Case1_6"
                 << "Case2_5"
                 << "optAttrib_Date"
                 << "optAddEnding"
                 << "optCropEnding"
                 << "optCrop"
                 << "chkFormatTab_Detect"
                 << "chkEnumTab_Normalize";
    first.tab = 7;
    values.Main_Top = -300;
    values.Main_Left = 32767;
    values.Main_Width = 12000;
    values.Main_Maximized = 2;
    values.Execute_Height = 4321;
    values.frmSettings_Left = 99;
    values.enableRenameAllIfNoneSelected = false;
    values.totNumberOfFilesRenamedNew = 2147483647;
    values.showAllColumns = 1;
    values.shellShowQuenza = 0;
    values.uncheckSubsdirsAtStartup = 0;  // else the next start clears chkSub
    values.thumbsWidth = 128;
    values.dirColWidth = {1, 2, 3, 4, 5, 6, 7, 8};
    values.dragColWidth = {11, 12, 13, 14, 15, 16, 17, 18};
    values.mpegFakeBitrate = 64000;
    values.dragDropAddPath = " /a path;with, odd=chars ";
    values.tabStripFilemode = 2;
    const QString start = "/start; folder, \"x\"/";
    const QStringList history = {"/one/", "/two; 2/", " /three /"};
    engine::TextLists lists;
    lists.exceptionsList = {"IBM", "McDonald"};
    lists.batchReplaceList = {{"a", "b", 1, 0, 3, 7}};
    bool shown = true;
    save(first, values, start, history, lists, &shown);
    EXPECT_FALSE(shown);
    EXPECT_EQ(errors(), "");

    FakeWindow second;
    settings::LoadedState again = load(second);
    EXPECT_EQ(errors(), "");
    for (auto it = first.checks.cbegin(); it != first.checks.cend(); ++it) {
        EXPECT_EQ(second.checks.value(it.key(), -1), it.value()) << it.key().toStdString();
    }
    QMap<QString, QString> expectedTexts = first.texts;
    expectedTexts.remove("txtPath");  // the start folder goes to the command line instead
    QMap<QString, QString> gotTexts = second.texts;
    gotTexts.remove("txtPath");
    EXPECT_EQ(gotTexts, expectedTexts);
    EXPECT_EQ(second.dates, first.dates);
    EXPECT_EQ(second.times, first.times);
    EXPECT_EQ(second.tab, 7);
    for (const QStringList& group : {QStringList{"optReplaceSingle", "optReplaceBatch"},
                                     {"Case1_4", "Case1_6"},
                                     {"Case2_2", "Case2_5"},
                                     {"optAttrib_Attributes", "optAttrib_Date"},
                                     {"optAdd", "optCrop"},
                                     {"chkFormatTab_Format", "chkFormatTab_Detect"},
                                     {"chkEnumTab_Enum", "chkEnumTab_Normalize"}}) {
        EXPECT_EQ(second.chosenOption(group), first.chosenOption(group))
            << group.join(",").toStdString();
    }
    const ProgramSettings& got = again.settings;
    EXPECT_EQ(got.Main_Top, -300);
    EXPECT_EQ(got.Main_Left, 32767);
    EXPECT_EQ(got.Main_Width, 12000);
    EXPECT_EQ(got.Main_Maximized, 2);
    EXPECT_EQ(got.Execute_Height, 4321);
    EXPECT_EQ(got.frmSettings_Left, 99);
    EXPECT_FALSE(got.enableRenameAllIfNoneSelected);
    EXPECT_EQ(got.totNumberOfFilesRenamedNew, 2147483647);
    EXPECT_EQ(got.showAllColumns, 1);
    EXPECT_EQ(got.shellShowQuenza, 0);
    EXPECT_EQ(got.thumbsWidth, 128);
    EXPECT_EQ(got.dirColWidth, values.dirColWidth);
    EXPECT_EQ(got.dragColWidth, values.dragColWidth);
    EXPECT_EQ(got.mpegFakeBitrate, 64000);
    EXPECT_EQ(got.dragDropAddPath, values.dragDropAddPath);
    EXPECT_EQ(got.tabStripFilemode, 2);
    EXPECT_EQ(again.lists.exceptionsList, lists.exceptionsList);
    EXPECT_EQ(again.lists.batchReplaceList, lists.batchReplaceList);
    // The history: the saved folders first, the rest of its room empty.
    ASSERT_EQ(got.pathHistory.size(), values.pathHistory.size());
    EXPECT_EQ(got.pathHistory.mid(0, 3), history);
    EXPECT_EQ(got.pathHistory.at(3), "");
    // The start folder is stored as given.
    const settings::SettingsStore store(iniPath());
    EXPECT_EQ(store.read("txtPath"), start);
}

TEST_F(SaverTest, ExtraColumnsAreWrittenOnlyWhenShown) {
    {
        settings::SettingsStore store(iniPath());
        store.write("dirColWidth5", "777");
        store.write("dragColWidth8", "888");
        ASSERT_TRUE(store.sync());
    }
    FakeWindow window;
    ProgramSettings values = load(window).settings;
    values.showAllColumns = 0;
    values.dirColWidth = {10, 20, 30, 40, 50, 60, 70, 80};
    values.dragColWidth = values.dirColWidth;
    save(window, values, "", {}, {});
    const settings::SettingsStore store(iniPath());
    EXPECT_EQ(store.read("dirColWidth3"), "30");
    EXPECT_EQ(store.read("dirColWidth5"), "777");
    EXPECT_EQ(store.read("dragColWidth8"), "888");
    EXPECT_EQ(store.read("dragColWidth4"), std::nullopt);
}

TEST_F(SaverTest, TheHistoryFillsItsRoomAndNoMore) {
    FakeWindow window;
    ProgramSettings values = load(window).settings;
    ASSERT_EQ(values.pathHistory.size(), 33);  // room for 32, and the spare empty text
    save(window, values, "", {"/1/", "/2/", "/3/", "/4/", "/5/"}, {});
    const settings::SettingsStore store(iniPath());
    EXPECT_EQ(store.read("pathHistory4"), "/5/");
    EXPECT_EQ(store.read("pathHistory5"), "");
    EXPECT_EQ(store.read("pathHistory31"), "");
    EXPECT_EQ(store.read("pathHistory32"), std::nullopt);

    values.pathHistory = {QString()};  // no room
    settings::SettingsStore(iniPath()).remove("pathHistory0");
    save(window, values, "", {"/x/"}, {});
    EXPECT_EQ(settings::SettingsStore(iniPath()).read("pathHistory0"), "/1/");
}

TEST_F(SaverTest, AnUnreadableValueKeepsItsOldTextAndIsReportedOnce) {
    FakeWindow window;
    const ProgramSettings values = load(window).settings;
    {
        settings::SettingsStore store(iniPath());
        store.write("txtFind", "old find");
        ASSERT_TRUE(store.sync());
    }
    window.texts.remove("txtFind");
    window.checks.remove("chkR");
    window.texts["txtReplace"] = "new replace";
    save(window, values, "", {}, {});
    const settings::SettingsStore store(iniPath());
    EXPECT_EQ(store.read("txtFind"), "old find");
    EXPECT_EQ(store.read("txtReplace"), "new replace");
    const std::string log = errors();
    EXPECT_NE(log.find("Error 380 (Invalid property value) Error saving settings!"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("Error saving settings!", log.find("Error saving settings!") + 1),
              std::string::npos);
}

TEST_F(SaverTest, AStoreThatCannotBeWrittenIsReportedAndTheListsStillSaved) {
    FakeWindow window;
    const ProgramSettings values = load(window).settings;
    std::filesystem::create_directory(dir.file("settings.ini"));  // a folder in its place
    engine::TextLists lists;
    lists.exceptionsList = {"Word"};
    save(window, values, "", {}, lists);
    EXPECT_NE(errors().find("Error 75 (Path/File access error"), std::string::npos) << errors();
    EXPECT_EQ(testsupport::readAll(program.file("exceptions.txt")), "Word\r\n");
}

// A list the start could not read stands empty in memory; written back, it would replace the
// user's file with nothing. Each way of not being read, for each of the two written lists: the
// refused file stays byte for byte, the other list is still written, and each save says so once.
TEST_F(SaverTest, AListThatWasNotReadIsLeftAsItIsByEverySave) {
    const std::string bigException(5 << 20, 'x');  // one 5 MiB line of valid text
    std::string bigReplace;
    while (bigReplace.size() <= (5u << 20)) {
        bigReplace += "find/replace/0/0/0/0\r\n";
    }
    struct Refusal {
        const char* label;
        // Puts something that cannot be read where the list `name` lies; false when this
        // system cannot make it (the case is then skipped).
        std::function<bool(const testsupport::TempDir&, const std::string& name)> make;
        bool keepsBytes;  // a regular file whose bytes must stay
    };
    const Refusal refusals[] = {
        {"larger than any list",
         [&](const testsupport::TempDir& folder, const std::string& name) {
             folder.write(name, name == "replace.txt" ? bigReplace : bigException);
             return true;
         },
         true},
        {"unreadable",
         [](const testsupport::TempDir& folder, const std::string& name) {
             // A regular file whose first page is never mapped: reading fails even for root.
             std::error_code ec;
             std::filesystem::create_symlink("/proc/self/mem", folder.file(name), ec);
             return !ec && testsupport::readAll(folder.file(name)).empty();
         },
         false},
        {"a folder",
         [](const testsupport::TempDir& folder, const std::string& name) {
             folder.mkdir(name);
             return true;
         },
         false},
        {"a FIFO",
         [](const testsupport::TempDir& folder, const std::string& name) {
             return ::mkfifo(folder.file(name).c_str(), 0600) == 0;
         },
         false},
    };
    for (const Refusal& refusal : refusals) {
        for (const std::string name : {"exceptions.txt", "replace.txt"}) {
            SCOPED_TRACE(std::string(refusal.label) + ": " + name);
            std::filesystem::remove_all(program.file("exceptions.txt"));
            std::filesystem::remove_all(program.file("replace.txt"));
            std::filesystem::remove(program.file("errors.txt"));
            const bool refusedExceptions = name == "exceptions.txt";
            const std::string other = refusedExceptions ? "replace.txt" : "exceptions.txt";
            if (!refusal.make(program, name)) {
                continue;
            }
            const std::string before =
                refusal.keepsBytes ? testsupport::readAll(program.file(name)) : std::string();
            program.write(other, refusedExceptions ? "old/x/0/0/0/0\r\n" : "Old\r\n");

            FakeWindow window;
            settings::LoadedState loaded = load(window);
            EXPECT_EQ(loaded.lists.exceptionsUnread, refusedExceptions);
            EXPECT_EQ(loaded.lists.batchReplaceUnread, !refusedExceptions);
            // The list that was read is changed, as the settings dialog would: it is written.
            if (refusedExceptions) {
                loaded.lists.batchReplaceList = {{"new", "y", 0, 0, 0, 0}};
            } else {
                loaded.lists.exceptionsList = {"New"};
            }
            std::filesystem::remove(program.file("errors.txt"));
            save(window, loaded.settings, "", {}, loaded.lists);
            save(window, loaded.settings, "", {}, loaded.lists);

            EXPECT_EQ(testsupport::readAll(program.file(other)),
                      refusedExceptions ? "new/y/0/0/0/0\r\n" : "New\r\n");
            const std::filesystem::file_status status =
                std::filesystem::symlink_status(program.file(name));
            if (refusal.keepsBytes) {
                EXPECT_TRUE(testsupport::readAll(program.file(name)) == before)
                    << "the refused list was rewritten";
            } else if (std::string(refusal.label) == "a folder") {
                EXPECT_TRUE(std::filesystem::is_directory(status));
            } else if (std::string(refusal.label) == "a FIFO") {
                EXPECT_TRUE(std::filesystem::is_fifo(status));
            } else {
                EXPECT_TRUE(std::filesystem::is_symlink(status));
            }
            // One line per save names the list left alone, and nothing failed.
            const std::string log = errors();
            EXPECT_EQ(log.find("Error saving settings lists!"), std::string::npos) << log;
            std::size_t lines = 0;
            for (std::size_t at = log.find(name); at != std::string::npos;
                 at = log.find(name, at + 1)) {
                ++lines;
            }
            EXPECT_EQ(lines, 2u) << log;
        }
    }
}

}  // namespace
