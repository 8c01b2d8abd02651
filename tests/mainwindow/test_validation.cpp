// How the window runs the validation that enables "Rename!" and fills the mode inputs and the
// options snapshot from its controls; the rules themselves are tables in test_moderules.cpp.
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

constexpr int kReplace = 0, kEnum = 2, kSpace = 3, kAttrib = 4, kAddCrop = 5;

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

// The rules themselves are tables of values (test_moderules.cpp); these cases show that they
// read the boxes as the boxes hold them: the number boxes keep digits only, whoever writes
// them, so "-1" is "1" and "a" is "".
TEST_F(ValidationRulesTest, TheRulesReadTheBoxesAsTheyHoldTheirText) {
    const struct {
        const char* what;
        int tab;
        std::vector<Input> inputs;
        bool enabled;
    } cases[] = {
        {"add before the start",
         kAddCrop,
         {{"optAdd", ""}, {"txtAdd", "x"}, {"txtAddPos", "-1"}},
         true},
        {"add at a non-number",
         kAddCrop,
         {{"optAdd", ""}, {"txtAdd", "x"}, {"txtAddPos", "a"}},
         false},
        {"crop before the start",
         kAddCrop,
         {{"optCrop", ""}, {"txtCropNumber", "1"}, {"txtCropPos", "-2"}},
         true},
        {"step below 1",
         kEnum,
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<ENUM>"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", ".0"},  // digits only: "0"
          {"txtEnumZeros", "3"}},
         false},
        {"find differs",
         kReplace,
         {{"optReplaceSingle", ""}, {"txtFind", "a"}, {"txtReplace", "b"}},
         true},
        {"no trimming",
         kSpace,
         {{"chkSpaceBeginning", "0"}, {"chkSpaceEnd", "0"}, {"chkSpaceShrink", "0"}},
         false},
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

TEST_F(ValidationRulesTest, TheModeInputsComeFromTheControls) {
    modes()->setCurrentIndex(kReplace);
    apply(*window, {{"optReplaceBatch", ""},
                    {"txtFind", "f"},
                    {"txtReplace", "r"},
                    {"chkCaseSensitive", "1"},
                    {"Case1_4", ""},
                    {"Case2_2", ""},
                    {"chkExceptionsEnabled", "1"},
                    {"optAttrib_Date", ""},
                    {"chkDateAccessed", "1"},
                    {"optAdd", ""},
                    {"txtAdd", "+"},
                    {"txtAddPos", "7"},
                    {"chkSpaceShrink", "1"},
                    {"txtEnumFormat", "<ENUM>"},
                    {"txtEnumStep", ""},
                    // The parts box chooses "Format Filename" when written, so it comes first.
                    {"txtFormatParts", "<%1>"},
                    {"chkFormatTab_Detect", ""},
                    {"txtMp3Format", "<TITLE>"}});
    const mainwindow::ModeInputs in = window->modePanels().modeInputs();
    EXPECT_TRUE(in.replaceBatch);
    EXPECT_FALSE(in.replaceSingle);
    EXPECT_EQ(in.find, QStringLiteral("f"));
    EXPECT_EQ(in.replace, QStringLiteral("r"));
    EXPECT_EQ(in.caseSensitive, 1);
    EXPECT_EQ(in.case1, 4);
    EXPECT_EQ(in.case2, 2);
    EXPECT_EQ(in.exceptionsEnabled, 1);
    EXPECT_TRUE(in.attribDate);
    EXPECT_FALSE(in.attribAttributes);
    EXPECT_EQ(in.dateAccessed, 1);
    EXPECT_TRUE(in.add);
    EXPECT_FALSE(in.crop);
    EXPECT_EQ(in.addText, QStringLiteral("+"));
    EXPECT_EQ(in.addPos.text, QStringLiteral("7"));
    EXPECT_EQ(in.spaceShrink, 1);
    // Writing the pattern chose numbering; the empty step is repaired for the names only.
    EXPECT_TRUE(in.enumNumbering);
    EXPECT_EQ(in.enumFormat, QStringLiteral("<ENUM>"));
    EXPECT_EQ(in.enumStep.text, QString());
    EXPECT_EQ(in.enumStep.repaired, QStringLiteral("1"));
    EXPECT_TRUE(in.formatDetect);
    EXPECT_FALSE(in.formatFormat);
    EXPECT_EQ(in.formatParts, QStringLiteral("<%1>"));
    EXPECT_EQ(in.mp3Format, QStringLiteral("<TITLE>"));
    EXPECT_EQ(window->modePanels().namingMode(), runs::NamingMode::BatchReplace);
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

// The other options are tables of values (test_moderules.cpp); the number boxes reach the
// snapshot through their filter and their repair.
TEST_F(ValidationRulesTest, SnapshotTakesTheNumberBoxesAsTheirRepairLeavesThem) {
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
        EXPECT_EQ(options.replace.start, n.startValue) << n.start;
        EXPECT_EQ(options.replace.count, n.countValue) << n.count;
    }
}

}  // namespace
