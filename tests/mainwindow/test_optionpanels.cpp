// The option panels through their real widgets: options chosen by the inputs that belong to
// them, boxes that enable and force each other, the attribute boxes' three states, the text
// boxes' rules for typed, pasted and dropped text, and the token pickers.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>

#include "mainwindow/optionpanels.h"
#include "mainwindow/widgetvalues.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::FrmMain;
using mainwindow::setVbValue;
using mainwindow::vbValue;
using testsupport::WindowTest;

class OptionPanelTest : public WindowTest {
protected:
    void SetUp() override {
        window = start();
        window->activateWindow();
        QApplication::processEvents();
        ASSERT_TRUE(window->isActiveWindow());
    }
    mainwindow::Controls& ui() { return window->ui(); }
    void showTab(const char* key) {
        for (int i = 0; i < ui().TabStrip->count(); ++i) {
            if (ui().TabStrip->tabKey(i) == QLatin1String(key)) {
                ui().TabStrip->setCurrentIndex(i);
            }
        }
        QApplication::processEvents();
    }
    void focus(QWidget* widget, Qt::FocusReason reason = Qt::TabFocusReason) {
        widget->setFocus(reason);
        QApplication::processEvents();
    }
    void type(QWidget* widget, const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(widget, &press);
        }
    }
    void key(QWidget* widget, int code) {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
        QApplication::sendEvent(widget, &press);
        QApplication::processEvents();
    }
    void paste(QLineEdit* box, const QString& text) {
        QApplication::clipboard()->setText(text);
        box->paste();
    }
    void drop(QLineEdit* box, const QString& text) {
        QMimeData data;
        data.setText(text);
        const QPointF at(box->width() - 2, box->height() / 2.0);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
        QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &move);
        QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &event);
    }

    std::unique_ptr<FrmMain> window;
};

TEST_F(OptionPanelTest, AttributeBoxesStepThroughThreeStates) {
    QCheckBox* box = ui().chkH;
    // Loaded grayed (its design value): no handler ran, so the first click unticks it.
    ASSERT_EQ(vbValue(box), 2);
    ui().optAttrib_Date->setChecked(true);
    box->click();
    EXPECT_EQ(vbValue(box), 0);
    EXPECT_TRUE(ui().optAttrib_Attributes->isChecked());
    int shown[3];
    for (int& value : shown) {
        box->click();
        value = vbValue(box);
    }
    EXPECT_EQ(shown[0], 1);
    EXPECT_EQ(shown[1], 2);
    EXPECT_EQ(shown[2], 0);
    EXPECT_EQ(window->optionPanels().attributeSteps()[1], 0);

    // A box set to ticked by code (as the loader does) turns grayed at its next click.
    setVbValue(ui().chkA, 1);
    ui().chkA->click();
    EXPECT_EQ(vbValue(ui().chkA), 2);
}

TEST_F(OptionPanelTest, PairsKeepOneBoxOn) {
    const struct {
        QCheckBox* box;
        QCheckBox* partner;
        QWidget* picker;  // enabled exactly while its box is ticked, where there is one
        QWidget* partnerPicker;
    } pairs[] = {
        {ui().chkDateDate, ui().chkDateTime, ui().dtDate, ui().dtTime},
        {ui().chkDateTime, ui().chkDateDate, ui().dtTime, ui().dtDate},
        {ui().chkProcessFilename, ui().chkProcessFileExt, nullptr, nullptr},
        {ui().chkProcessFileExt, ui().chkProcessFilename, nullptr, nullptr},
    };
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.box->objectName().toStdString());
        setVbValue(pair.box, 1);
        setVbValue(pair.partner, 1);
        // With the partner on, unticking only unticks.
        setVbValue(pair.box, 0);
        EXPECT_EQ(vbValue(pair.partner), 1);
        if (pair.picker) {
            EXPECT_FALSE(pair.picker->isEnabled());
            EXPECT_TRUE(ui().optAttrib_Date->isChecked());
        }
        // With the partner off, unticking ticks the partner.
        setVbValue(pair.box, 1);
        setVbValue(pair.partner, 0);
        EXPECT_EQ(vbValue(pair.box), 1);
        setVbValue(pair.box, 0);
        EXPECT_EQ(vbValue(pair.partner), 1);
        if (pair.picker) {
            EXPECT_FALSE(pair.picker->isEnabled());
            EXPECT_TRUE(pair.partnerPicker->isEnabled());
        }
        setVbValue(pair.box, 1);
        setVbValue(pair.partner, 1);
    }
}

TEST_F(OptionPanelTest, OptionsDecideFoldersAndNameScope) {
    showTab("Format");
    setVbValue(ui().chkDirs, 1);
    ui().chkFormatTab_Detect->setChecked(true);
    EXPECT_EQ(vbValue(ui().chkFiles), 1);
    EXPECT_EQ(vbValue(ui().chkDirs), 0);
    EXPECT_FALSE(ui().chkDirs->isEnabled());
    EXPECT_FALSE(ui().chkProcessFilename->isEnabled());
    EXPECT_FALSE(window->state().dirsAllowed);
    ui().chkFormatTab_Format->setChecked(true);
    EXPECT_TRUE(ui().chkDirs->isEnabled());
    EXPECT_TRUE(ui().chkProcessFileExt->isEnabled());
    EXPECT_TRUE(window->state().dirsAllowed);

    showTab("Attrib");
    ui().optAttrib_Date->setChecked(true);
    EXPECT_FALSE(ui().chkDirs->isEnabled());
    EXPECT_FALSE(window->state().dirsAllowed);
    ui().optAttrib_Attributes->setChecked(true);
    EXPECT_TRUE(ui().chkDirs->isEnabled());
    EXPECT_EQ(vbValue(ui().chkDirs), 0);  // enabled, not ticked

    // In Free Select the folders box stays disabled.
    ui().optAttrib_Date->setChecked(true);
    ui().TabStripFilemode->setCurrentIndex(1);
    QApplication::processEvents();
    ui().optAttrib_Attributes->setChecked(true);
    EXPECT_TRUE(window->state().dirsAllowed);
    EXPECT_FALSE(ui().chkDirs->isEnabled());

    showTab("Enum");
    ui().chkEnumTab_Enum->setChecked(true);
    EXPECT_FALSE(ui().chkProcessFilename->isEnabled());
    ui().chkEnumTab_Normalize->setChecked(true);
    EXPECT_TRUE(ui().chkProcessFilename->isEnabled());
}

TEST_F(OptionPanelTest, InputsChooseTheirOption) {
    const struct {
        std::function<void()> use;
        QRadioButton* option;
        QRadioButton* other;
    } cases[] = {
        {[&] { ui().chkDateCreated->click(); }, ui().optAttrib_Date, ui().optAttrib_Attributes},
        {[&] { ui().dtDate->setDate(QDate(2000, 1, 1)); }, ui().optAttrib_Date,
         ui().optAttrib_Attributes},
        {[&] { ui().chkFileDetect_TryMp3->click(); }, ui().chkFormatTab_Detect,
         ui().chkFormatTab_Format},
        {[&] { ui().chkFormatAllMustBeAvailable->click(); }, ui().chkFormatTab_Format,
         ui().chkFormatTab_Detect},
        {[&] { ui().txtFormatParts->setText("<%1>"); }, ui().chkFormatTab_Format,
         ui().chkFormatTab_Detect},
        {[&] { ui().txtEnumFormat->setText("<ENUM>"); }, ui().chkEnumTab_Enum,
         ui().chkEnumTab_Normalize},
        {[&] { ui().cmdGetCurrentDate->click(); }, ui().optAttrib_Date, ui().optAttrib_Attributes},
    };
    for (const auto& c : cases) {
        c.other->setChecked(true);
        c.use();
        EXPECT_TRUE(c.option->isChecked()) << c.option->objectName().toStdString();
    }
    EXPECT_EQ(ui().dtDate->date(), QDate::currentDate());
}

TEST_F(OptionPanelTest, FocusChoosesTheOptionAndSelectsTheText) {
    const struct {
        const char* tab;
        QWidget* input;
        QRadioButton* option;
        QRadioButton* other;
    } cases[] = {
        {"AddCrop", ui().optCropEnding, ui().optCrop, ui().optAdd},
        {"AddCrop", ui().optAddBeginning, ui().optAdd, ui().optCrop},
        {"AddCrop", ui().txtCropPos, ui().optCrop, ui().optAdd},
        {"Enum", ui().chkEnumAutoZeros, ui().chkEnumTab_Enum, ui().chkEnumTab_Normalize},
        {"Enum", ui().txtNormalize, ui().chkEnumTab_Normalize, ui().chkEnumTab_Enum},
        {"Replace", ui().chkReplaceMode, ui().optReplaceSingle, ui().optReplaceBatch},
        {"Replace", ui().txtReplace, ui().optReplaceSingle, ui().optReplaceBatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input->objectName().toStdString());
        showTab(c.tab);
        c.other->setChecked(true);
        focus(ui().cmdAbout);
        focus(c.input);
        EXPECT_TRUE(c.option->isChecked());
    }
    showTab("Enum");
    ui().txtEnumStart->setText("123");
    focus(ui().txtEnumStart);
    EXPECT_EQ(ui().txtEnumStart->selectedText(), "123");
    type(ui().txtEnumStart, "7");
    EXPECT_EQ(ui().txtEnumStart->text(), "7");
    // The pattern box keeps its caret.
    ui().txtEnumFormat->setText("<ENUM>_x");
    ui().txtEnumFormat->setCursorPosition(3);
    focus(ui().txtEnumFormat);
    EXPECT_FALSE(ui().txtEnumFormat->hasSelectedText());
}

TEST_F(OptionPanelTest, FocusOnAHiddenPanelMovesOn) {
    showTab("Replace");
    ui().txtFind->setText("x");
    QApplication::processEvents();
    const bool renameEnabled = ui().cmdExecute->isEnabled();
    showTab("Enum");
    focus(ui().Case1_2);
    EXPECT_EQ(QApplication::focusWidget(), renameEnabled && ui().cmdExecute->isEnabled()
                                               ? static_cast<QWidget*>(ui().cmdExecute)
                                               : ui().cmdAbout);
    ui().optReplaceBatch->setChecked(true);
    focus(ui().txtFind);
    EXPECT_TRUE(ui().optReplaceSingle->isChecked());
    EXPECT_NE(QApplication::focusWidget(), ui().txtFind);
    showTab("Case");
    focus(ui().Case1_2);
    EXPECT_EQ(QApplication::focusWidget(), ui().Case1_2);
}

TEST_F(OptionPanelTest, NumberBoxesTakeDigitsOnlyTypedPastedOrDropped) {
    showTab("AddCrop");
    QLineEdit* box = ui().txtAddPos;
    focus(box);
    box->clear();
    type(box, "a-.1 2");
    EXPECT_EQ(box->text(), "12");
    box->clear();
    paste(box, "-5");
    EXPECT_EQ(box->text(), "5");
    box->clear();
    drop(box, "x9y");
    EXPECT_EQ(box->text(), "9");
    // The other boxes take anything.
    ui().txtAdd->clear();
    paste(ui().txtAdd, "-5 a");
    EXPECT_EQ(ui().txtAdd->text(), "-5 a");
}

TEST_F(OptionPanelTest, LeavingANumberBoxRepairsIt) {
    showTab("Enum");
    ui().chkEnumTab_Enum->setChecked(true);
    setVbValue(ui().chkEnumAutoZeros, 0);
    const struct {
        const char* tab;
        QLineEdit* box;
        const char* text;
        const char* repaired;
    } cases[] = {
        {"Enum", ui().txtEnumStep, "", "1"},        {"Enum", ui().txtEnumStep, "000", "1"},
        {"Enum", ui().txtEnumZeros, "45", "32"},    {"Enum", ui().txtEnumZeros, "32", "32"},
        {"Enum", ui().txtEnumStart, "", "0"},       {"Enum", ui().txtNormalize, "", "0"},
        {"AddCrop", ui().txtCropNumber, "00", "1"}, {"AddCrop", ui().txtCropPos, "", "0"},
        {"Replace", ui().txtReplaceStart, "", "0"}, {"Replace", ui().txtReplaceCount, "7", "7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box->objectName().toStdString() + " '" + c.text + "'");
        showTab(c.tab);
        focus(c.box);
        c.box->setText(c.text);
        // The transforms see the repaired value while the box still has the focus.
        focus(ui().cmdAbout);
        EXPECT_EQ(c.box->text(), c.repaired);
    }
    // A stored text beyond the bounds reaches no transform unrepaired.
    showTab("Enum");
    ui().txtEnumZeros->setText("45");
    EXPECT_EQ(window->modePanels().optionsSnapshot().enumeration.zeros, "32");
    // A sign never gets in, whoever writes the box.
    ui().txtReplaceStart->setText("-1");
    EXPECT_EQ(ui().txtReplaceStart->text(), "1");
    EXPECT_EQ(window->modePanels().optionsSnapshot().replace.start, 1);
}

TEST_F(OptionPanelTest, LeavingTheWindowIsNotLeavingTheBox) {
    showTab("Enum");
    focus(ui().txtEnumStep);
    ui().txtEnumStep->setText("");
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(ui().txtEnumStep, &out);
    EXPECT_EQ(ui().txtEnumStep->text(), "");
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(ui().txtEnumStep, &popup);
    EXPECT_EQ(ui().txtEnumStep->text(), "");
}

TEST_F(OptionPanelTest, AutoZerosAndTheResetPerFolder) {
    showTab("Enum");
    setVbValue(ui().chkEnumResetBetweenDirs, 0);
    setVbValue(ui().chkEnumAutoZeros, 1);
    EXPECT_FALSE(ui().txtEnumZeros->isEnabled());
    setVbValue(ui().chkEnumResetBetweenDirs, 1);
    EXPECT_EQ(vbValue(ui().chkEnumAutoZeros), 0);
    EXPECT_FALSE(ui().chkEnumAutoZeros->isEnabled());
    EXPECT_TRUE(ui().txtEnumZeros->isEnabled());
    setVbValue(ui().chkEnumResetBetweenDirs, 0);
    EXPECT_TRUE(ui().chkEnumAutoZeros->isEnabled());
    EXPECT_EQ(vbValue(ui().chkEnumAutoZeros), 0);
}

TEST_F(OptionPanelTest, EnterInTheMp3PatternGoesToRename) {
    testsupport::TempDir folder;
    folder.write("a.mp3", "");
    ui().txtPath->setEditText(QString::fromStdString(folder.path()) + "/");
    window->folderSource().txtPathLostFocus();
    showTab("Mp3");
    ui().txtMp3Format->setText("<ARTIST>");
    QApplication::processEvents();
    ASSERT_TRUE(ui().cmdExecute->isEnabled());
    focus(ui().txtMp3Format);
    key(ui().txtMp3Format, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), ui().cmdExecute);
    ui().txtMp3Format->setText("no tokens");
    QApplication::processEvents();
    ASSERT_FALSE(ui().cmdExecute->isEnabled());
    focus(ui().txtMp3Format);
    key(ui().txtMp3Format, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), ui().txtMp3Format);
}

TEST_F(OptionPanelTest, TokenPickersInsertAtTheCaret) {
    const auto pick = [](QComboBox* picker, const QString& entry) {
        const int index = picker->findText(entry);
        ASSERT_GE(index, 0) << entry.toStdString();
        picker->setCurrentIndex(index);
        emit picker->activated(index);
        QApplication::processEvents();
    };
    showTab("Format");
    QLineEdit* box = ui().txtFormat;
    box->setText("AB");
    box->setCursorPosition(1);
    pick(ui().cmbFormat, "Move To SubDir <\\>");
    EXPECT_EQ(box->text(), "A<\\>B");
    EXPECT_EQ(box->cursorPosition(), 4);
    EXPECT_EQ(QApplication::clipboard()->text(), "<\\>");
    box->setSelection(0, 1);
    pick(ui().cmbFormat, "Number of Dirs. in Dir. & SubDirs  <SDIRDIRS>");
    EXPECT_EQ(box->text(), "<SDIRDIRS><\\>B");
    pick(ui().cmbFormat, "Random Number (0-9) <RND#>");
    EXPECT_TRUE(box->text().contains("<RND#>"));

    // A part marker chooses "Format Filename" through the box's change rule.
    ui().chkFormatTab_Detect->setChecked(true);
    ui().txtFormatParts->clear();
    pick(ui().cmbFormatParts, "Part 3 <%3>");
    EXPECT_EQ(ui().txtFormatParts->text(), "<%3>");
    EXPECT_TRUE(ui().chkFormatTab_Format->isChecked());

    showTab("Mp3");
    ui().txtMp3Format->clear();
    pick(ui().cmbAddMp3Tag, "Artist <ARTIST>");
    EXPECT_EQ(ui().txtMp3Format->text(), "<ARTIST>");
}

}  // namespace

namespace {

TEST_F(OptionPanelTest, TypingAWholeDateOrTimeOverTheSelectionGivesIt) {
    const auto window = start();
    QDateEdit* date = window->ui().dtDate;
    QTimeEdit* time = window->ui().dtTime;
    const QDate wanted(2020, 1, 15);
    const QTime wantedTime(10, 30, 0);
    const struct {
        QAbstractSpinBox* picker;
        QString typed;
    } cases[] = {
        {date, QLocale().toString(wanted, date->displayFormat())},
        {time, QLocale().toString(wantedTime, time->displayFormat())},
    };
    for (const auto& c : cases) {
        c.picker->setFocus();
        c.picker->selectAll();
        for (const QChar ch : c.typed) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(QApplication::focusWidget(), &press);
        }
        window->ui().cmdAbout->setFocus();
        QApplication::processEvents();
    }
    EXPECT_EQ(date->date(), wanted) << date->text().toStdString();
    EXPECT_EQ(time->time(), wantedTime) << time->text().toStdString();
}

}  // namespace
