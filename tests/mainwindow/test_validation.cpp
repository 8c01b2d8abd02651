// The validation of the mode tabs' inputs, which alone enables "Rename!", and the options
// snapshot the transforms read.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>

#include <utility>
#include <vector>

#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::FrmMain;
using testsupport::WindowTest;

constexpr int kReplace = 0, kCase = 1, kEnum = 2, kSpace = 3, kAttrib = 4, kAddCrop = 5, kMp3 = 6,
              kFormat = 7;

// One input and the value to give it: a text for a text box, 0/1/2 for a check box, and any
// value for an option button (it is chosen).
using Input = std::pair<const char*, const char*>;

// Gives inputs their values the way the user would, so their change handlers run.
void apply(FrmMain& window, const std::vector<Input>& inputs) {
    for (const auto& [name, value] : inputs) {
        const QString control = QString::fromUtf8(name);
        if (auto* text = window.control<QLineEdit>(control)) {
            text->setText(QString::fromUtf8(value));
        } else if (window.control<QCheckBox>(control)) {
            ASSERT_TRUE(window.setCheck(control, QString::fromUtf8(value).toInt())) << name;
        } else {
            ASSERT_TRUE(window.selectOption(control)) << name;
        }
    }
}

class ValidationRulesTest : public WindowTest {
protected:
    void SetUp() override {
        window = start();
        window->state().mp3LibraryMissing = false;
        // The path box commits its (empty) folder when it loses the focus; do that first, so
        // that the work lists filled below stay.
        window->control<QWidget>(QStringLiteral("lwDirectory"))->setFocus();
        QApplication::processEvents();
        window->setCheck(QStringLiteral("chkOnlyRenameSelected"), 0);
        window->state().lstFiles[0] = QStringList{"/d/a.txt", "/d/b.txt"};
    }
    QTabBar* modes() const { return window->control<QTabBar>(QStringLiteral("TabStrip")); }
    bool renameEnabled() const {
        return window->control<QPushButton>(QStringLiteral("cmdExecute"))->isEnabled();
    }

    std::unique_ptr<FrmMain> window;
};

TEST_F(ValidationRulesTest, EachTabsRuleEnablesOrDisablesRename) {
    const struct {
        const char* what;
        int tab;
        std::vector<Input> inputs;
        bool enabled;
    } cases[] = {
        // Replace, single: an empty find text, or a replace text equal to it.
        {"find differs",
         kReplace,
         {{"optReplaceSingle", ""}, {"txtFind", "a"}, {"txtReplace", "b"}},
         true},
        {"empty find",
         kReplace,
         {{"optReplaceSingle", ""}, {"txtFind", ""}, {"txtReplace", "x"}},
         false},
        {"same text",
         kReplace,
         {{"optReplaceSingle", ""},
          {"txtFind", "abc"},
          {"txtReplace", "abc"},
          {"chkCaseSensitive", "1"}},
         false},
        {"case only, insensitive",
         kReplace,
         {{"optReplaceSingle", ""},
          {"txtFind", "abc"},
          {"txtReplace", "ABC"},
          {"chkCaseSensitive", "0"}},
         false},
        {"case only, sensitive",
         kReplace,
         {{"optReplaceSingle", ""},
          {"txtFind", "abc"},
          {"txtReplace", "ABC"},
          {"chkCaseSensitive", "1"}},
         true},
        {"blank find is text",
         kReplace,
         {{"optReplaceSingle", ""}, {"txtFind", " "}, {"txtReplace", ""}},
         true},
        {"batch ignores the single inputs",
         kReplace,
         {{"optReplaceBatch", ""}, {"txtFind", ""}},
         true},
        // Case: "No Change" twice, unless exceptions are used.
        {"no change twice",
         kCase,
         {{"Case1_0", ""}, {"Case2_0", ""}, {"chkExceptionsEnabled", "0"}},
         false},
        {"no change with exceptions",
         kCase,
         {{"Case1_0", ""}, {"Case2_0", ""}, {"chkExceptionsEnabled", "1"}},
         true},
        {"extension changes",
         kCase,
         {{"Case1_0", ""}, {"Case2_1", ""}, {"chkExceptionsEnabled", "0"}},
         true},
        {"name changes",
         kCase,
         {{"Case1_3", ""}, {"Case2_0", ""}, {"chkExceptionsEnabled", "0"}},
         true},
        // Attributes and dates: something must change.
        {"all attributes grey",
         kAttrib,
         {{"optAttrib_Attributes", ""}, {"chkR", "2"}, {"chkH", "2"}, {"chkS", "2"}, {"chkA", "2"}},
         false},
        {"one attribute cleared",
         kAttrib,
         {{"optAttrib_Attributes", ""}, {"chkR", "0"}, {"chkH", "2"}, {"chkS", "2"}, {"chkA", "2"}},
         true},
        {"one attribute set",
         kAttrib,
         {{"optAttrib_Attributes", ""}, {"chkR", "2"}, {"chkH", "2"}, {"chkS", "2"}, {"chkA", "1"}},
         true},
        {"no time chosen",
         kAttrib,
         {{"optAttrib_Date", ""},
          {"chkR", "0"},
          {"chkDateCreated", "0"},
          {"chkDateAccessed", "0"},
          {"chkDateModified", "0"}},
         false},
        {"modified time",
         kAttrib,
         {{"optAttrib_Date", ""},
          {"chkR", "2"},
          {"chkDateCreated", "0"},
          {"chkDateAccessed", "0"},
          {"chkDateModified", "1"}},
         true},
        // Add: a text and a position not below 0 (the position's leading number counts).
        {"add", kAddCrop, {{"optAdd", ""}, {"txtAdd", "x"}, {"txtAddPos", "0"}}, true},
        {"add nothing", kAddCrop, {{"optAdd", ""}, {"txtAdd", ""}, {"txtAddPos", "0"}}, false},
        {"add without position",
         kAddCrop,
         {{"optAdd", ""}, {"txtAdd", "x"}, {"txtAddPos", ""}},
         false},
        // The number boxes keep digits only, whoever writes them: "-1" is "1", "a" is "".
        {"add before the start",
         kAddCrop,
         {{"optAdd", ""}, {"txtAdd", "x"}, {"txtAddPos", "-1"}},
         true},
        {"add at a non-number",
         kAddCrop,
         {{"optAdd", ""}, {"txtAdd", "x"}, {"txtAddPos", "a"}},
         false},
        // Crop: a number other than 0 and a position not below 0.
        {"crop", kAddCrop, {{"optCrop", ""}, {"txtCropNumber", "2"}, {"txtCropPos", "0"}}, true},
        {"crop zero",
         kAddCrop,
         {{"optCrop", ""}, {"txtCropNumber", "0"}, {"txtCropPos", "0"}},
         false},
        {"crop zero written long",
         kAddCrop,
         {{"optCrop", ""}, {"txtCropNumber", "00"}, {"txtCropPos", "1"}},
         false},
        {"crop no number",
         kAddCrop,
         {{"optCrop", ""}, {"txtCropNumber", ""}, {"txtCropPos", "0"}},
         false},
        {"crop without position",
         kAddCrop,
         {{"optCrop", ""}, {"txtCropNumber", "1"}, {"txtCropPos", ""}},
         false},
        {"crop before the start",
         kAddCrop,
         {{"optCrop", ""}, {"txtCropNumber", "1"}, {"txtCropPos", "-2"}},
         true},
        {"crop ignores the add inputs",
         kAddCrop,
         {{"optCrop", ""}, {"txtAdd", ""}, {"txtCropNumber", "1"}, {"txtCropPos", "3"}},
         true},
        // Mp3: a pattern with at least one tag token, in any letter case.
        {"tag tokens in lower case", kMp3, {{"txtMp3Format", "<artist> - <title>"}}, true},
        {"one late token", kMp3, {{"txtMp3Format", "x<bpm>"}}, true},
        {"no pattern", kMp3, {{"txtMp3Format", ""}}, false},
        {"literal pattern", kMp3, {{"txtMp3Format", "song"}}, false},
        {"near token", kMp3, {{"txtMp3Format", "<ARTISTS>"}}, false},
        // Format: a named token, or a part marker both patterns hold; parts defined once only
        // and never "<%0>".
        {"name token, lower case",
         kFormat,
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<name>"}, {"txtFormatParts", ""}},
         true},
        {"no pattern",
         kFormat,
         {{"chkFormatTab_Format", ""}, {"txtFormat", ""}, {"txtFormatParts", ""}},
         false},
        {"literal only",
         kFormat,
         {{"chkFormatTab_Format", ""}, {"txtFormat", "photo"}, {"txtFormatParts", ""}},
         false},
        {"unknown word",
         kFormat,
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<NAMES>"}, {"txtFormatParts", ""}},
         false},
        {"parts used",
         kFormat,
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<%1>-<%2>"}, {"txtFormatParts", "<%2> <%1>"}},
         true},
        {"part not defined",
         kFormat,
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<%3>"}, {"txtFormatParts", "<%1> <%2>"}},
         false},
        {"part defined twice",
         kFormat,
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<%1>-<%2>"}, {"txtFormatParts", "<%1> <%1>"}},
         false},
        {"unused part defined twice",
         kFormat,
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<%1>"}, {"txtFormatParts", "<%1> <%2>-<%2>"}},
         false},
        {"token with unused parts defined twice",
         kFormat,
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<NAME>"}, {"txtFormatParts", "<%2>-<%2>"}},
         true},
        {"part zero",
         kFormat,
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<NAME>"}, {"txtFormatParts", "<%0>"}},
         false},
        {"detection needs nothing",
         kFormat,
         // The pattern box chooses "Format Filename" when written, so it comes first.
         {{"txtFormat", ""}, {"chkFormatTab_Detect", ""}},
         true},
        // Enumeration: the pattern holds "<ENUM>"; start, step >= 1 and a zero width that
        // is a whole number other than 0.
        {"enumerate",
         kEnum,
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<enum>"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", "1"},
          {"txtEnumZeros", "3"}},
         true},
        {"no enum token",
         kEnum,
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "file"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", "1"},
          {"txtEnumZeros", "3"}},
         false},
        {"no start",
         kEnum,
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<ENUM>"},
          {"txtEnumStart", ""},
          {"txtEnumStep", "1"},
          {"txtEnumZeros", "3"}},
         false},
        {"step 0",
         kEnum,
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<ENUM>"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", "0"},
          {"txtEnumZeros", "3"}},
         false},
        {"step below 1",
         kEnum,
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<ENUM>"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", ".0"},  // digits only: "0"
          {"txtEnumZeros", "3"}},
         false},
        {"no step",
         kEnum,
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<ENUM>"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", ""},
          {"txtEnumZeros", "3"}},
         false},
        {"zero width with auto",
         kEnum,
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<ENUM>"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", "1"},
          {"txtEnumZeros", "0"},
          {"chkEnumAutoZeros", "1"}},
         false},
        {"no width",
         kEnum,
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<ENUM>"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", "1"},
          {"txtEnumZeros", ""}},
         false},
        {"pasted width",
         kEnum,
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<ENUM>"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", "1"},
          {"txtEnumZeros", "x"}},
         false},
        {"normalize",
         kEnum,
         // The pattern box chooses numbering when written, so it comes first.
         {{"txtEnumFormat", ""}, {"chkEnumTab_Normalize", ""}, {"txtNormalize", "3"}},
         true},
        {"normalize without width",
         kEnum,
         {{"chkEnumTab_Normalize", ""}, {"txtNormalize", ""}},
         false},
        // Space: at least one trimming.
        {"no trimming",
         kSpace,
         {{"chkSpaceBeginning", "0"}, {"chkSpaceEnd", "0"}, {"chkSpaceShrink", "0"}},
         false},
        {"shrink only",
         kSpace,
         {{"chkSpaceBeginning", "0"}, {"chkSpaceEnd", "0"}, {"chkSpaceShrink", "1"}},
         true},
    };
    auto* timer = window->control<QTimer>(QStringLiteral("tmrPreview"));
    for (const auto& c : cases) {
        modes()->setCurrentIndex(c.tab);
        apply(*window, c.inputs);
        window->state().previewPending = false;
        window->modePanels().optionsChanged();
        EXPECT_EQ(renameEnabled(), c.enabled) << c.what;
        // Blocked or not, the status, the preview mark and the timer are all renewed.
        EXPECT_EQ(window->panelText(QStringLiteral("main")),
                  QStringLiteral("2 Files, 0 Directories"))
            << c.what;
        EXPECT_TRUE(window->state().previewPending) << c.what;
        EXPECT_TRUE(timer->isActive()) << c.what;
    }
}

TEST_F(ValidationRulesTest, TheRuleFollowsEveryInputChange) {
    // No explicit call: the inputs' own change handlers validate.
    modes()->setCurrentIndex(kReplace);
    apply(*window, {{"optReplaceSingle", ""}, {"txtFind", "a"}, {"txtReplace", "b"}});
    EXPECT_TRUE(renameEnabled());
    apply(*window, {{"txtReplace", "A"}});
    EXPECT_FALSE(renameEnabled());
    apply(*window, {{"chkCaseSensitive", "1"}});
    EXPECT_TRUE(renameEnabled());
    apply(*window, {{"optReplaceBatch", ""}, {"chkCaseSensitive", "0"}});
    EXPECT_TRUE(renameEnabled());
    apply(*window, {{"optReplaceSingle", ""}});
    EXPECT_FALSE(renameEnabled());
    // Another tab's rule applies as soon as the tab is chosen.
    apply(*window, {{"chkSpaceBeginning", "0"}, {"chkSpaceEnd", "0"}, {"chkSpaceShrink", "0"}});
    modes()->setCurrentIndex(kSpace);
    EXPECT_FALSE(renameEnabled());
}

TEST_F(ValidationRulesTest, SourceAndSelectionBlockBeforeAnyTabRule) {
    modes()->setCurrentIndex(kReplace);
    apply(*window, {{"optReplaceSingle", ""}, {"txtFind", "a"}, {"txtReplace", "b"}});
    window->state().lstFiles[0].clear();
    window->modePanels().optionsChanged();
    EXPECT_FALSE(renameEnabled());

    window->state().lstFiles[0] = QStringList{"/d/a.txt"};
    window->state().onlySelectedInForce = true;
    window->state().selectedCount = 0;
    window->modePanels().optionsChanged();
    EXPECT_FALSE(renameEnabled());
    // On the attribute tab an empty selection does not block, but its own rule still does.
    modes()->setCurrentIndex(kAttrib);
    apply(
        *window,
        {{"optAttrib_Attributes", ""}, {"chkR", "2"}, {"chkH", "2"}, {"chkS", "2"}, {"chkA", "2"}});
    window->modePanels().optionsChanged();
    EXPECT_FALSE(renameEnabled());
    apply(*window, {{"chkH", "1"}});
    EXPECT_TRUE(renameEnabled());
}

TEST_F(ValidationRulesTest, ANestedPassDuringTheYieldDecidesWithTheNewestInputs) {
    modes()->setCurrentIndex(kReplace);
    apply(*window, {{"optReplaceSingle", ""}, {"txtFind", "a"}, {"txtReplace", "b"}});
    ASSERT_TRUE(renameEnabled());
    // A change waiting in the queue runs inside the pass's yield and validates again; the
    // outer pass must not put back the state it had decided before.
    QMetaObject::invokeMethod(
        window.get(),
        [this] {
            apply(*window, {{"txtFind", ""}});
        },
        Qt::QueuedConnection);
    window->modePanels().optionsChanged();
    EXPECT_FALSE(renameEnabled());
    EXPECT_TRUE(window->control<QTimer>(QStringLiteral("tmrPreview"))->isActive());
}

class ValidationStartTest : public WindowTest {};

TEST_F(ValidationStartTest, NothingHappensBeforeTheFirstActivation) {
    const auto window = load();
    auto* execute = window->control<QPushButton>(QStringLiteral("cmdExecute"));
    auto* timer = window->control<QTimer>(QStringLiteral("tmrPreview"));
    window->state().lstFiles[0].clear();  // would block
    execute->setEnabled(true);
    timer->stop();
    window->state().previewPending = false;
    window->setPanelText(QStringLiteral("main"), QStringLiteral("untouched"));

    window->modePanels().optionsChanged();
    window->control<QLineEdit>(QStringLiteral("txtFind"))->setText(QString());

    EXPECT_TRUE(execute->isEnabled());
    EXPECT_FALSE(timer->isActive());
    EXPECT_FALSE(window->state().previewPending);
    EXPECT_EQ(window->panelText(QStringLiteral("main")), QStringLiteral("untouched"));
}

TEST_F(ValidationRulesTest, SnapshotTakesScopeAndReplaceOptionsFromTheInputs) {
    apply(*window, {{"chkProcessFilename", "1"},
                    {"chkProcessFileExt", "0"},
                    {"txtFind", "a b"},
                    {"txtReplace", ""},
                    {"chkCaseSensitive", "1"},
                    {"chkReplaceMode", "1"}});
    const struct {
        const char* start;
        const char* count;
        int startValue;
        int countValue;
    } numbers[] = {
        // The boxes keep digits only, whoever writes them; an empty box counts as its repair.
        {"3", "0", 3, 0},   {"", "", 0, 0},         {"12x", " 4", 12, 4}, {"2.5", "3.5", 25, 35},
        {"-1", "+7", 1, 7}, {"1 2", "1e2", 12, 12}, {"&HF", "&O7", 0, 7}, {"abc", ".", 0, 0},
    };
    for (const auto& n : numbers) {
        window->control<QLineEdit>(QStringLiteral("txtReplaceStart"))->setText(n.start);
        window->control<QLineEdit>(QStringLiteral("txtReplaceCount"))->setText(n.count);
        const engine::Options options = window->modePanels().optionsSnapshot();
        EXPECT_TRUE(options.scope.processFilename);
        EXPECT_FALSE(options.scope.processFileExt);
        EXPECT_EQ(options.replace.find, QStringLiteral("a b"));
        EXPECT_EQ(options.replace.replace, QString());
        EXPECT_EQ(options.replace.caseSensitive, 1);
        EXPECT_EQ(options.replace.swapMode, 1);
        EXPECT_EQ(options.replace.start, n.startValue) << n.start;
        EXPECT_EQ(options.replace.count, n.countValue) << n.count;
    }
}

TEST_F(ValidationRulesTest, SnapshotTakesCaseAddCropAndSpaceOptionsFromTheInputs) {
    apply(*window, {{"Case1_6", ""},
                    {"Case2_5", ""},
                    {"chkExceptionsEnabled", "1"},
                    {"txtAdd", " x"},
                    {"txtAddPos", "12"},
                    {"optAddEnding", ""},
                    {"optCrop", ""},
                    {"txtCropPos", "3"},
                    {"txtCropNumber", "4"},
                    {"optCropEnding", ""},
                    {"chkSpaceBeginning", "1"},
                    {"chkSpaceEnd", "0"},
                    {"chkSpaceShrink", "1"}});
    engine::Options options = window->modePanels().optionsSnapshot();
    EXPECT_EQ(options.caseOptions.case1, 6);
    EXPECT_EQ(options.caseOptions.case2, 5);
    EXPECT_TRUE(options.caseOptions.exceptionsEnabled);
    EXPECT_TRUE(options.addCrop.crop);
    EXPECT_EQ(options.addCrop.add, QStringLiteral(" x"));
    EXPECT_EQ(options.addCrop.addPos, QStringLiteral("12"));
    EXPECT_TRUE(options.addCrop.addFromEnd);
    EXPECT_EQ(options.addCrop.cropPos, QStringLiteral("3"));
    EXPECT_EQ(options.addCrop.cropNumber, QStringLiteral("4"));
    EXPECT_TRUE(options.addCrop.cropFromEnd);
    EXPECT_TRUE(options.space.removeLeading);
    EXPECT_FALSE(options.space.removeTrailing);
    EXPECT_TRUE(options.space.shrink);

    apply(*window, {{"Case1_3", ""}, {"Case2_1", ""}, {"optAdd", ""}, {"optAddBeginning", ""}});
    options = window->modePanels().optionsSnapshot();
    EXPECT_EQ(options.caseOptions.case1, 3);
    EXPECT_EQ(options.caseOptions.case2, 1);
    EXPECT_FALSE(options.addCrop.crop);
    EXPECT_FALSE(options.addCrop.addFromEnd);
}

}  // namespace
