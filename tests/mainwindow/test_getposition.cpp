// The "Visual Assist" picker: where it puts the caret, what each tick measures and shows, how it
// closes, and what the four buttons of the main window hand in and write back. Samples with
// accents and an emoji check that positions count characters, not UTF-16 units.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

#include "mainwindow/controltable.h"
#include "mainwindow/dialogs/getposition.h"
#include "mainwindow/widgetvalues.h"
#include "platform/widgets/listview.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::FrmMain;
using mainwindow::GetPositionDialog;
using mainwindow::openPositionPicker;
using mainwindow::PickMode;
using mainwindow::PickValues;
using mainwindow::PositionButton;
using testsupport::TempDir;
using testsupport::WindowTest;

// "Café 😀 x": eight characters, nine UTF-16 units (the emoji takes two).
const QString kEmojiSample = QString::fromUtf8("Caf\xC3\xA9 \xF0\x9F\x98\x80 x");

bool waitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 400 && !done(); ++i) {
        QApplication::processEvents();
        QThread::msleep(5);
    }
    return done();
}

void pressKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

// ---- The dialog on its own ----

class GetPositionDialogTest : public ::testing::Test {
protected:
    // Shows the picker as an opening does and waits until the sample box has the focus.
    std::unique_ptr<GetPositionDialog> open(PickMode mode, const QStringList& samples, int current,
                                            PickValues values) {
        auto dialog =
            std::make_unique<GetPositionDialog>(mode, samples, current, std::move(values));
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(waitUntil([&] { return dialog->isTracking(); }));
        return dialog;
    }
    std::unique_ptr<GetPositionDialog> open(PickMode mode, const QString& sample,
                                            PickValues values = {}) {
        return open(mode, QStringList{sample}, 0, std::move(values));
    }
    static QLineEdit* edit(const GetPositionDialog& dialog) { return dialog.files()->lineEdit(); }
};

TEST_F(GetPositionDialogTest, LayoutFollowsTheTwipsGeometry) {
    const auto dialog = open(PickMode::Position, QStringList{"b.txt", "a.txt", "b.txt"}, 1, {});
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Visual Assist"));
    EXPECT_EQ(dialog->size(), QSize(289, 90));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(dialog->info()->geometry(), mainwindow::twipsRect(120, 120, 3375, 255));
    EXPECT_EQ(dialog->files()->geometry(), mainwindow::twipsRect(120, 360, 4095, 315));
    EXPECT_EQ(dialog->currentPosition()->geometry(), mainwindow::twipsRect(120, 840, 2295, 495));
    EXPECT_EQ(dialog->okButton()->geometry(), mainwindow::twipsRect(2520, 840, 735, 375));
    EXPECT_EQ(dialog->cancelButton()->geometry(), mainwindow::twipsRect(3360, 840, 735, 375));
    EXPECT_TRUE(dialog->okButton()->isDefault());
    EXPECT_EQ(dialog->okButton()->nextInFocusChain(), dialog->cancelButton());
    EXPECT_EQ(dialog->timer()->interval(), 10);
    EXPECT_TRUE(dialog->timer()->isActive());
    // Samples in row order, repeats kept; the box starts with the current row's sample.
    ASSERT_EQ(dialog->files()->count(), 3);
    EXPECT_EQ(dialog->files()->itemText(0), QStringLiteral("b.txt"));
    EXPECT_EQ(dialog->files()->itemText(2), QStringLiteral("b.txt"));
    EXPECT_EQ(dialog->files()->currentText(), QStringLiteral("a.txt"));
    EXPECT_EQ(dialog->currentPosition()->text(), QString());

    const auto noCurrent = open(PickMode::Position, QStringList{"a.txt"}, -1, {});
    EXPECT_EQ(noCurrent->files()->currentText(), QString());
    EXPECT_EQ(noCurrent->files()->count(), 1);
}

TEST_F(GetPositionDialogTest, CaptionOfTheInfoLabelFollowsTheMode) {
    const struct {
        PickMode mode;
        const char* caption;
    } cases[] = {
        {PickMode::Position, "Place cursor on desired position:"},
        {PickMode::PositionAndLength, "Select text to set position and length:"},
        {PickMode::Text, "Select Text:"},
        {PickMode::PositionFromEnd, "Place cursor on desired position:"},
        {PickMode::PositionAndLengthFromEnd, "Select text to set position and length:"},
    };
    for (const auto& c : cases) {
        const auto dialog = open(c.mode, QStringLiteral("abcdef"));
        EXPECT_EQ(dialog->info()->text(), QString::fromUtf8(c.caption)) << int(c.mode);
    }
}

// Where the first activation puts the caret and the selection, in characters; values that
// would fall outside the sample are cut to it and the picker opens all the same.
TEST_F(GetPositionDialogTest, FirstActivationPlacesCaretAndSelectionInsideTheSample) {
    const struct {
        PickMode mode;
        QString sample;
        int position, length;
        int caret, selection;
    } cases[] = {
        {PickMode::Position, "abcdef", 3, 0, 3, 0},
        {PickMode::PositionAndLength, "abcdef", 1, 2, 1, 2},
        {PickMode::Text, "abcdef", 0, 5, 0, 0},
        {PickMode::PositionFromEnd, "abcdef", 2, 0, 4, 0},
        {PickMode::PositionAndLengthFromEnd, "abcdef", 0, 2, 4, 2},
        {PickMode::PositionAndLengthFromEnd, "abcdef", 2, 2, 2, 2},
        // Out of range.
        {PickMode::Position, "abcdef", 99, 0, 6, 0},
        {PickMode::Position, "abcdef", -5, 0, 0, 0},
        {PickMode::PositionAndLength, "abcdef", 4, 10, 4, 2},
        {PickMode::PositionAndLength, "abcdef", 2, -3, 2, 0},
        {PickMode::PositionAndLength, "abcdef", -2, 3, 0, 1},
        {PickMode::PositionFromEnd, "abcdef", 10, 0, 0, 0},
        {PickMode::PositionFromEnd, "abcdef", -3, 0, 6, 0},
        {PickMode::PositionAndLengthFromEnd, "abcdef", 5, 4, 0, 1},
        {PickMode::PositionAndLengthFromEnd, "abcdef", 999, 2, 0, 0},
        {PickMode::PositionAndLengthFromEnd, "abcdef", 1, -4, 5, 0},
        {PickMode::PositionAndLengthFromEnd, "abcdef", 32767, 32767, 0, 0},
        {PickMode::Position, "", 3, 0, 0, 0},
        // Counted in characters: the emoji is one.
        {PickMode::Position, kEmojiSample, 6, 0, 6, 0},
        {PickMode::PositionAndLengthFromEnd, kEmojiSample, 2, 1, 5, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.mode) << " " << c.sample.toStdString() << " "
                                        << c.position << "/" << c.length);
        const auto dialog = open(c.mode, c.sample,
                                 {static_cast<qint16>(c.position), static_cast<qint16>(c.length),
                                  QStringLiteral("old")});
        EXPECT_EQ(dialog->caretCharacters(), c.caret);
        EXPECT_EQ(dialog->selectionCharacters(), c.selection);
    }
}

TEST_F(GetPositionDialogTest, EmojiSampleIsPlacedAndReadInCharacters) {
    // After "Café 😀" the caret stands after seven units.
    const auto dialog = open(PickMode::Position, kEmojiSample, {6, 0, {}});
    EXPECT_EQ(edit(*dialog)->cursorPosition(), 7);
    edit(*dialog)->setCursorPosition(9);
    dialog->tick();
    EXPECT_EQ(dialog->currentPosition()->text(), QStringLiteral("Current position: 8"));
    EXPECT_EQ(dialog->values().position, 8);

    // The emoji and the blank after it, selected by units 5 to 8.
    const auto withLength = open(PickMode::PositionAndLength, kEmojiSample);
    edit(*withLength)->setSelection(5, 3);
    withLength->tick();
    EXPECT_EQ(withLength->currentPosition()->text(),
              QStringLiteral("Current position: 5\nSelection length: 2"));
    EXPECT_EQ(withLength->values().position, 5);
    EXPECT_EQ(withLength->values().length, 2);

    const auto fromEnd = open(PickMode::PositionAndLengthFromEnd, kEmojiSample);
    edit(*fromEnd)->setSelection(8, -3);  // dragged backwards over the same two characters
    fromEnd->tick();
    EXPECT_EQ(fromEnd->currentPosition()->text(),
              QStringLiteral("Current position: -1\nSelection length: 2"));
    EXPECT_EQ(fromEnd->values().position, 1);

    const auto text = open(PickMode::Text, kEmojiSample);
    edit(*text)->setSelection(3, 4);
    text->tick();
    EXPECT_EQ(text->values().text, QString::fromUtf8("\xC3\xA9 \xF0\x9F\x98\x80"));
}

// What a tick shows and takes for a caret and selection (in characters) on "abcdef".
TEST_F(GetPositionDialogTest, EveryTickShowsAndTakesTheMeasure) {
    const struct {
        PickMode mode;
        int caret, selection;
        const char* caption;
        int position, length;
    } cases[] = {
        {PickMode::Position, 5, 0, "Current position: 5", 5, 9},
        {PickMode::Position, 0, 0, "Current position: 0", 0, 9},
        {PickMode::PositionAndLength, 1, 3, "Current position: 1\nSelection length: 3", 1, 3},
        {PickMode::PositionAndLength, 2, 0, "Current position: 2\nSelection length: 0", 2, 0},
        {PickMode::PositionFromEnd, 4, 0, "Current position: -2", 2, 9},
        {PickMode::PositionFromEnd, 6, 0, "Current position: -0", 0, 9},
        {PickMode::PositionAndLengthFromEnd, 4, 2, "Current position: 0\nSelection length: 2", 0,
         2},
        {PickMode::PositionAndLengthFromEnd, 2, 2, "Current position: -2\nSelection length: 2", 2,
         2},
        {PickMode::PositionAndLengthFromEnd, 6, 0, "Current position: 0\nSelection length: 0", 0,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.mode) << " " << c.caret << "/" << c.selection);
        const auto dialog = open(c.mode, QStringLiteral("abcdef"), {9, 9, {}});
        dialog->selectCharacters(c.caret, c.selection);
        dialog->tick();
        EXPECT_EQ(dialog->currentPosition()->text(), QString::fromUtf8(c.caption));
        EXPECT_EQ(dialog->values().position, c.position);
        EXPECT_EQ(dialog->values().length, c.length);
    }
}

TEST_F(GetPositionDialogTest, TextModeTakesTheSelectionAndLeavesTheLabelEmpty) {
    const auto dialog = open(PickMode::Text, QStringLiteral("abcdef"), {0, 0, "old"});
    dialog->selectCharacters(1, 3);
    dialog->tick();
    EXPECT_EQ(dialog->values().text, QStringLiteral("bcd"));
    EXPECT_EQ(dialog->currentPosition()->text(), QString());
    dialog->selectCharacters(2, 0);
    dialog->tick();
    EXPECT_EQ(dialog->values().text, QString());
}

TEST_F(GetPositionDialogTest, TicksMeasureOnlyWhileTheSampleBoxHasTheFocus) {
    const auto dialog = open(PickMode::Position, QStringLiteral("abcdef"), {2, 0, {}});
    dialog->okButton()->setFocus();
    ASSERT_TRUE(waitUntil([&] { return !dialog->isTracking(); }));
    dialog->selectCharacters(4, 0);
    dialog->tick();
    EXPECT_EQ(dialog->currentPosition()->text(), QString());
    EXPECT_EQ(dialog->values().position, 2);

    dialog->files()->setFocus();
    ASSERT_TRUE(waitUntil([&] { return dialog->isTracking(); }));
    dialog->tick();
    EXPECT_EQ(dialog->values().position, 4);
}

TEST_F(GetPositionDialogTest, TheTimerTicksByItself) {
    const auto dialog = open(PickMode::Position, QStringLiteral("abcdef"), {3, 0, {}});
    EXPECT_TRUE(waitUntil([&] { return !dialog->currentPosition()->text().isEmpty(); }));
    EXPECT_EQ(dialog->currentPosition()->text(), QStringLiteral("Current position: 3"));
}

TEST_F(GetPositionDialogTest, TypingOrChoosingAnotherSampleIsMeasuredAtTheNextTick) {
    const auto dialog =
        open(PickMode::PositionFromEnd, QStringList{"abcdef", "xy"}, 0, {PickValues{2, 0, {}}});
    dialog->tick();
    EXPECT_EQ(dialog->currentPosition()->text(), QStringLiteral("Current position: -2"));

    edit(*dialog)->insert(QStringLiteral("ZZZ"));  // at the caret: "abcdZZZef"
    EXPECT_EQ(dialog->currentPosition()->text(), QStringLiteral("Current position: -2"));
    dialog->tick();
    EXPECT_EQ(dialog->currentPosition()->text(), QStringLiteral("Current position: -2"));
    edit(*dialog)->end(false);
    edit(*dialog)->insert(QString::fromUtf8("\xF0\x9F\x98\x80"));
    edit(*dialog)->setCursorPosition(0);
    dialog->tick();
    EXPECT_EQ(dialog->currentPosition()->text(), QStringLiteral("Current position: -10"));
    EXPECT_EQ(dialog->values().position, 10);
    // Typed text is no new sample.
    EXPECT_EQ(dialog->files()->count(), 2);

    dialog->files()->setCurrentIndex(1);
    edit(*dialog)->setCursorPosition(0);
    dialog->tick();
    EXPECT_EQ(dialog->currentPosition()->text(), QStringLiteral("Current position: -2"));
}

TEST_F(GetPositionDialogTest, OkKeepsTheLastTickEveryOtherCloseRestoresTheValuesHandedIn) {
    const PickValues handedIn{3, 1, QStringLiteral("find")};
    const std::function<void(GetPositionDialog&)> closes[] = {
        [](GetPositionDialog& d) { d.cancelButton()->click(); },
        [](GetPositionDialog& d) { pressKey(d.files(), Qt::Key_Escape); },
        [](GetPositionDialog& d) { d.close(); },
    };
    for (const auto& close : closes) {
        const auto dialog = open(PickMode::PositionAndLength, QStringLiteral("abcdef"), handedIn);
        dialog->selectCharacters(0, 5);
        dialog->tick();
        ASSERT_EQ(dialog->values().length, 5);
        close(*dialog);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_FALSE(dialog->wasAccepted());
        EXPECT_EQ(dialog->values().position, 3);
        EXPECT_EQ(dialog->values().length, 1);
        EXPECT_EQ(dialog->values().text, QStringLiteral("find"));
    }

    const auto ok = open(PickMode::PositionAndLength, QStringLiteral("abcdef"), handedIn);
    ok->selectCharacters(0, 5);
    ok->tick();
    ok->okButton()->click();
    EXPECT_TRUE(ok->wasAccepted());
    EXPECT_EQ(ok->values().position, 0);
    EXPECT_EQ(ok->values().length, 5);

    // Enter in the sample box presses OK.
    const auto enter = open(PickMode::Position, QStringLiteral("abcdef"), handedIn);
    enter->selectCharacters(4, 0);
    enter->tick();
    pressKey(enter->files(), Qt::Key_Return);
    EXPECT_FALSE(enter->isVisible());
    EXPECT_TRUE(enter->wasAccepted());
    EXPECT_EQ(enter->values().position, 4);
}

// ---- The four buttons of the main window ----

class GetPositionWindowTest : public WindowTest {
protected:
    // abcdef.txt and the emoji name in a folder, opened on the AddCrop tab with only the name
    // processed; abcdef.txt is the current row.
    std::unique_ptr<FrmMain> startInFolder(
        std::initializer_list<std::pair<const char*, QString>> more = {}) {
        folder.write("abcdef.txt", "1");
        folder.write((kEmojiSample + QStringLiteral(".txt")).toStdString(), "2");
        sandbox.store({{"txtPath", QString::fromStdString(folder.path()) + QLatin1Char('/')},
                       {"tabStrip", "6"},
                       {"chkProcessFilename", "1"},
                       {"chkProcessFileExt", "0"}});
        sandbox.store(more);
        auto window = start();
        makeCurrent(*window, QStringLiteral("abcdef.txt"));
        return window;
    }
    static void makeCurrent(FrmMain& window, const QString& name) {
        platform::ListView* list = window.ui().lwDirectory;
        for (int row = 0; row < list->rowCount(); ++row) {
            if (list->text(row) == name) {
                list->setCurrentRow(row);
                return;
            }
        }
        ADD_FAILURE() << "no row " << name.toStdString();
    }

    // Clicks `button` and, once the picker is open and tracking, runs `act` on it; a picker
    // that `act` leaves open is cancelled, so no test waits on the modal loop. Returns whether
    // the picker opened.
    static bool pick(FrmMain& window, PositionButton button,
                     const std::function<void(GetPositionDialog&)>& act) {
        bool opened = false;
        QTimer driver;
        driver.setInterval(5);
        QObject::connect(&driver, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<GetPositionDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            driver.stop();
            opened = true;
            if (waitUntil([&] { return dialog->isTracking(); })) {
                act(*dialog);
            } else {
                ADD_FAILURE() << "the sample box never took the focus";
            }
            if (dialog->isVisible()) {
                dialog->reject();
            }
        });
        driver.start();
        openPositionPicker(window.ui(), window.state(), button);
        return opened;
    }
    // The window's focus widget: the window itself need not be active again yet.
    static QString focusName(const FrmMain& window) {
        const QWidget* focused = window.focusWidget();
        return focused ? focused->objectName() : QString();
    }

    TempDir folder;
};

TEST_F(GetPositionWindowTest, PlaceholderOfTheActiveSourceRefusesSilently) {
    const auto window = startInFolder();
    auto& ui = window->ui();
    ui.txtFind->setText(QStringLiteral("keep"));
    ui.txtAddPos->setText(QStringLiteral("2"));
    const PositionButton buttons[] = {
        PositionButton::AddGetPosition, PositionButton::CropGetPosition,
        PositionButton::ReplaceGetPosition, PositionButton::ReplaceGetString};

    // Directory source with rows: the Free Select placeholder does not matter.
    ASSERT_TRUE(mainwindow::showsPlaceholder(ui.lwDragDrop));
    for (const PositionButton button : buttons) {
        EXPECT_TRUE(pick(*window, button, [](GetPositionDialog&) {})) << int(button);
    }

    window->sourceSwitch().selectFileSourceTab(QStringLiteral("dragdrop"));
    ASSERT_EQ(window->state().fileMode, filelists::Source::FreeSelect);
    for (const PositionButton button : buttons) {
        EXPECT_FALSE(pick(*window, button, [](GetPositionDialog&) {})) << int(button);
    }
    EXPECT_EQ(ui.txtFind->text(), QStringLiteral("keep"));
    EXPECT_EQ(ui.txtAddPos->text(), QStringLiteral("2"));
    EXPECT_TRUE(messages.shown.isEmpty());

    // Free Select with rows of its own while the Directory list shows its placeholder.
    ui.lwDragDrop->clear();
    QFont font = ui.lwDragDrop->font();
    font.setBold(false);
    ui.lwDragDrop->setFont(font);
    ui.lwDragDrop->addRow(QStringList{QStringLiteral("one.mp3")});
    ui.lwDragDrop->addRow(QStringList{QStringLiteral("second.jpg")});
    ui.lwDragDrop->setCurrentRow(1);
    mainwindow::showPlaceholder(ui.lwDirectory, QStringLiteral("nothing here"));
    QStringList samples;
    QString current;
    EXPECT_TRUE(pick(*window, PositionButton::ReplaceGetPosition, [&](GetPositionDialog& d) {
        for (int i = 0; i < d.files()->count(); ++i) {
            samples.append(d.files()->itemText(i));
        }
        current = d.files()->currentText();
    }));
    EXPECT_EQ(samples, (QStringList{"one", "second"}));
    EXPECT_EQ(current, QStringLiteral("second"));

    window->sourceSwitch().selectFileSourceTab(QStringLiteral("listview"));
    EXPECT_FALSE(pick(*window, PositionButton::ReplaceGetPosition, [](GetPositionDialog&) {}));
}

TEST_F(GetPositionWindowTest, AddPositionFromTheStartPickedAndWrittenBack) {
    const auto window = startInFolder();
    auto& ui = window->ui();
    ui.optAddBeginning->setChecked(true);
    ui.txtAddPos->setText(QStringLiteral("3"));
    QStringList samples;
    EXPECT_TRUE(pick(*window, PositionButton::AddGetPosition, [&](GetPositionDialog& d) {
        for (int i = 0; i < d.files()->count(); ++i) {
            samples.append(d.files()->itemText(i));
        }
        EXPECT_EQ(d.mode(), PickMode::Position);
        EXPECT_EQ(d.files()->currentText(), QStringLiteral("abcdef"));
        EXPECT_EQ(d.caretCharacters(), 3);
        d.selectCharacters(5, 0);
        d.tick();
        EXPECT_EQ(d.currentPosition()->text(), QStringLiteral("Current position: 5"));
        d.okButton()->click();
    }));
    EXPECT_TRUE(samples.contains(QStringLiteral("abcdef")));
    EXPECT_TRUE(samples.contains(kEmojiSample));
    EXPECT_EQ(ui.txtAddPos->text(), QStringLiteral("5"));
    EXPECT_EQ(focusName(*window), QStringLiteral("optAdd"));

    // From the end, with the extension processed as well.
    mainwindow::setVbValue(ui.chkProcessFileExt, 1);
    ui.optAddEnding->setChecked(true);
    ui.txtAddPos->setText(QStringLiteral("2"));
    EXPECT_TRUE(pick(*window, PositionButton::AddGetPosition, [&](GetPositionDialog& d) {
        EXPECT_EQ(d.mode(), PickMode::PositionFromEnd);
        EXPECT_EQ(d.files()->currentText(), QStringLiteral("abcdef.txt"));
        EXPECT_EQ(d.caretCharacters(), 8);
        d.selectCharacters(10, 0);
        d.tick();
        EXPECT_EQ(d.currentPosition()->text(), QStringLiteral("Current position: -0"));
        d.okButton()->click();
    }));
    EXPECT_EQ(ui.txtAddPos->text(), QStringLiteral("0"));
}

TEST_F(GetPositionWindowTest, CancelWritesBackTheValuesHandedIn) {
    const auto window = startInFolder();
    auto& ui = window->ui();
    ui.optAddBeginning->setChecked(true);
    ui.txtAddPos->setText(QStringLiteral("007"));
    EXPECT_TRUE(pick(*window, PositionButton::AddGetPosition, [](GetPositionDialog& d) {
        EXPECT_EQ(d.caretCharacters(), 6);  // 7 is beyond "abcdef": the end
        d.selectCharacters(1, 0);
        d.tick();
        d.cancelButton()->click();
    }));
    EXPECT_EQ(ui.txtAddPos->text(), QStringLiteral("7"));
    EXPECT_EQ(focusName(*window), QStringLiteral("optAdd"));

    ui.optCropBeginning->setChecked(true);
    ui.txtCropPos->setText(QStringLiteral("02"));
    ui.txtCropNumber->setText(QStringLiteral("03"));
    EXPECT_TRUE(pick(*window, PositionButton::CropGetPosition, [](GetPositionDialog& d) {
        EXPECT_EQ(d.caretCharacters(), 2);
        EXPECT_EQ(d.selectionCharacters(), 3);
        d.selectCharacters(0, 1);
        d.tick();
        pressKey(d.files(), Qt::Key_Escape);
    }));
    EXPECT_EQ(ui.txtCropPos->text(), QStringLiteral("2"));
    EXPECT_EQ(ui.txtCropNumber->text(), QStringLiteral("3"));
    EXPECT_EQ(focusName(*window), QStringLiteral("optCrop"));
}

TEST_F(GetPositionWindowTest, CropPickWritesPositionAndLength) {
    const auto window = startInFolder();
    auto& ui = window->ui();
    ui.optCropEnding->setChecked(true);
    ui.txtCropPos->setText(QStringLiteral("0"));
    ui.txtCropNumber->setText(QStringLiteral("2"));
    EXPECT_TRUE(pick(*window, PositionButton::CropGetPosition, [](GetPositionDialog& d) {
        EXPECT_EQ(d.mode(), PickMode::PositionAndLengthFromEnd);
        EXPECT_EQ(d.caretCharacters(), 4);
        EXPECT_EQ(d.selectionCharacters(), 2);
        d.selectCharacters(2, 2);
        d.tick();
        EXPECT_EQ(d.currentPosition()->text(),
                  QStringLiteral("Current position: -2\nSelection length: 2"));
        d.okButton()->click();
    }));
    EXPECT_EQ(ui.txtCropPos->text(), QStringLiteral("2"));
    EXPECT_EQ(ui.txtCropNumber->text(), QStringLiteral("2"));

    // An empty selection is a length of 0; the box's own repair waits for its focus-out.
    ui.optCropBeginning->setChecked(true);
    EXPECT_TRUE(pick(*window, PositionButton::CropGetPosition, [](GetPositionDialog& d) {
        EXPECT_EQ(d.mode(), PickMode::PositionAndLength);
        d.selectCharacters(3, 0);
        d.tick();
        d.okButton()->click();
    }));
    EXPECT_EQ(ui.txtCropPos->text(), QStringLiteral("3"));
    EXPECT_EQ(ui.txtCropNumber->text(), QStringLiteral("0"));
    EXPECT_EQ(focusName(*window), QStringLiteral("optCrop"));
}

TEST_F(GetPositionWindowTest, ReplaceStringOkWithoutSelectionEmptiesFindCancelKeepsIt) {
    const auto window = startInFolder();
    auto& ui = window->ui();
    ui.txtFind->setText(QStringLiteral("file"));
    EXPECT_TRUE(pick(*window, PositionButton::ReplaceGetString, [](GetPositionDialog& d) {
        EXPECT_EQ(d.mode(), PickMode::Text);
        EXPECT_EQ(d.info()->text(), QStringLiteral("Select Text:"));
        EXPECT_EQ(d.caretCharacters(), 0);
        EXPECT_EQ(d.selectionCharacters(), 0);
        d.selectCharacters(1, 3);
        d.tick();
        d.cancelButton()->click();
    }));
    EXPECT_EQ(ui.txtFind->text(), QStringLiteral("file"));
    EXPECT_EQ(focusName(*window), QStringLiteral("optReplaceSingle"));

    EXPECT_TRUE(pick(*window, PositionButton::ReplaceGetString, [](GetPositionDialog& d) {
        d.selectCharacters(1, 3);
        d.tick();
        d.okButton()->click();
    }));
    EXPECT_EQ(ui.txtFind->text(), QStringLiteral("bcd"));

    EXPECT_TRUE(pick(*window, PositionButton::ReplaceGetString, [](GetPositionDialog& d) {
        d.tick();
        d.okButton()->click();
    }));
    EXPECT_EQ(ui.txtFind->text(), QString());
}

// Texts that never went through a box's repair open the picker at 0 instead of failing.
TEST_F(GetPositionWindowTest, BoxTextsThatAreNoNumberOpenAtZero) {
    const auto window = startInFolder();
    auto& ui = window->ui();
    for (const char* text : {"", "abc", "-", " "}) {
        SCOPED_TRACE(text);
        ui.txtReplaceStart->setText(QString::fromUtf8(text));
        int caret = -1;
        EXPECT_TRUE(pick(*window, PositionButton::ReplaceGetPosition, [&](GetPositionDialog& d) {
            caret = d.caretCharacters();
            d.cancelButton()->click();
        }));
        EXPECT_EQ(caret, 0);
        EXPECT_EQ(ui.txtReplaceStart->text(), QStringLiteral("0"));
    }

    ui.optCropEnding->setChecked(true);
    ui.txtCropPos->setText(QStringLiteral("zz"));
    ui.txtCropNumber->setText(QString());
    EXPECT_TRUE(pick(*window, PositionButton::CropGetPosition, [](GetPositionDialog& d) {
        EXPECT_EQ(d.caretCharacters(), 6);
        EXPECT_EQ(d.selectionCharacters(), 0);
        d.cancelButton()->click();
    }));
    EXPECT_EQ(ui.txtCropPos->text(), QStringLiteral("0"));
    EXPECT_EQ(ui.txtCropNumber->text(), QStringLiteral("0"));
}

TEST_F(GetPositionWindowTest, PositionsBeyondTheSampleAreCutToItAndKeptOnCancel) {
    const auto window = startInFolder();
    auto& ui = window->ui();
    ui.optCropEnding->setChecked(true);
    ui.txtCropPos->setText(QStringLiteral("999"));
    ui.txtCropNumber->setText(QStringLiteral("2"));
    EXPECT_TRUE(pick(*window, PositionButton::CropGetPosition, [](GetPositionDialog& d) {
        EXPECT_EQ(d.caretCharacters(), 0);
        EXPECT_EQ(d.selectionCharacters(), 0);
        d.tick();
        EXPECT_EQ(d.currentPosition()->text(),
                  QStringLiteral("Current position: -6\nSelection length: 0"));
        d.cancelButton()->click();
    }));
    EXPECT_EQ(ui.txtCropPos->text(), QStringLiteral("999"));
    EXPECT_EQ(ui.txtCropNumber->text(), QStringLiteral("2"));
}

TEST_F(GetPositionWindowTest, EmojiNameCountsCharacters) {
    const auto window = startInFolder();
    auto& ui = window->ui();
    makeCurrent(*window, kEmojiSample + QStringLiteral(".txt"));
    ui.txtReplaceStart->setText(QStringLiteral("6"));
    EXPECT_TRUE(pick(*window, PositionButton::ReplaceGetPosition, [](GetPositionDialog& d) {
        EXPECT_EQ(d.files()->currentText(), kEmojiSample);
        EXPECT_EQ(d.files()->lineEdit()->cursorPosition(), 7);
        d.files()->lineEdit()->setCursorPosition(5);  // before the emoji
        d.tick();
        d.okButton()->click();
    }));
    EXPECT_EQ(ui.txtReplaceStart->text(), QStringLiteral("5"));

    ui.optCropBeginning->setChecked(true);
    EXPECT_TRUE(pick(*window, PositionButton::CropGetPosition, [](GetPositionDialog& d) {
        d.files()->lineEdit()->setSelection(3, 4);  // "é 😀"
        d.tick();
        d.okButton()->click();
    }));
    EXPECT_EQ(ui.txtCropPos->text(), QStringLiteral("3"));
    EXPECT_EQ(ui.txtCropNumber->text(), QStringLiteral("3"));
}

// The focus leaves the box before the box is read, so what its focus-out does is what the
// picker gets.
TEST_F(GetPositionWindowTest, TheBoxLosesTheFocusBeforeItIsRead) {
    const auto window = startInFolder();
    auto& ui = window->ui();
    window->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return window->isActiveWindow(); }));
    ui.optAddBeginning->setChecked(true);
    ui.txtAddPos->setText(QStringLiteral("1"));
    ui.txtAddPos->setFocus();
    ASSERT_TRUE(waitUntil([&] { return ui.txtAddPos->hasFocus(); }));

    struct StandInRepair : QObject {
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::FocusOut) {
                static_cast<QLineEdit*>(watched)->setText(QStringLiteral("4"));
            }
            return false;
        }
    } repair;
    ui.txtAddPos->installEventFilter(&repair);
    int caret = -1;
    EXPECT_TRUE(pick(*window, PositionButton::AddGetPosition,
                     [&](GetPositionDialog& d) { caret = d.caretCharacters(); }));
    ui.txtAddPos->removeEventFilter(&repair);
    EXPECT_EQ(caret, 4);
    EXPECT_EQ(ui.txtAddPos->text(), QStringLiteral("4"));
}

}  // namespace
