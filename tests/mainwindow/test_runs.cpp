// The runs as the main window offers them: "Rename!", F5, Undo with its confirmation, the run
// window giving the main window back, and the command line's "/e" mode word with "/x", which
// renames and closes the program.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>

#include <functional>
#include <string>

#include "platform/filesystem.h"
#include "platform/widgets/listview.h"
#include "runs/runwindow.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::FrmMain;
using testsupport::TempDir;
using testsupport::WindowTest;

class RunsWindowTest : public WindowTest {
protected:
    // file1.txt .. file3.txt and keep.txt in a folder; the store opens it with the Replace tab
    // set to turn "file" into "item" for every item.
    void prepare(std::initializer_list<std::pair<const char*, QString>> more = {}) {
        for (const char* name : {"file1.txt", "file2.txt", "file3.txt", "keep.txt"}) {
            folder.write(name, name);
        }
        sandbox.store({{"txtPath", path()},
                       {"tabStrip", "1"},
                       {"optReplace", "0"},
                       {"txtFind", "file"},
                       {"txtReplace", "item"},
                       {"chkOnlyRenameSelected", "0"}});
        sandbox.store(more);
    }
    QString path() const { return QString::fromStdString(folder.path()) + QLatin1Char('/'); }
    bool exists(const char* name) const { return platform::fs::exists(folder.file(name)); }
    QPushButton* button(const FrmMain& window, const char* name) const {
        return window.control<QPushButton>(QString::fromUtf8(name));
    }
    static void waitFor(const std::function<bool()>& done) {
        for (int i = 0; i < 400 && !done(); ++i) {
            QApplication::processEvents();
            QThread::msleep(5);
        }
    }
    // A key press as the user makes it: to the focused input of the window.
    static void pressKey(QWidget* window, int key, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(target, &release);
    }

    TempDir folder;
};

TEST_F(RunsWindowTest, RenameRunsAndTheRunWindowGivesTheWindowBack) {
    prepare();
    const auto window = start();
    ASSERT_TRUE(button(*window, "cmdExecute")->isEnabled());
    EXPECT_FALSE(button(*window, "cmdUndo")->isEnabled());

    button(*window, "cmdExecute")->click();
    EXPECT_TRUE(exists("item1.txt"));
    EXPECT_TRUE(exists("item3.txt"));
    EXPECT_TRUE(exists("keep.txt"));
    runs::RunWindow* runWindow = window->runWindow();
    ASSERT_NE(runWindow, nullptr);
    EXPECT_TRUE(runWindow->isVisible());
    EXPECT_EQ(runWindow->lineCount(), 3);
    EXPECT_EQ(runWindow->windowTitle(), QStringLiteral("Status: Ready!"));
    EXPECT_EQ(window->panelText(QStringLiteral("main")), QStringLiteral("Ready!"));
    EXPECT_FALSE(window->isEnabled());
    EXPECT_TRUE(button(*window, "cmdUndo")->isEnabledTo(window.get()));
    EXPECT_FALSE(window->runState().operationRunning);
    EXPECT_EQ(window->settings().totNumberOfFilesRenamedNew, 3);
    // The rows show the folder as it is now.
    auto* list = window->control<platform::ListView>(QStringLiteral("lwDirectory"));
    QStringList names;
    for (int row = 0; row < list->rowCount(); ++row) {
        names.append(list->text(row));
    }
    EXPECT_TRUE(names.contains(QStringLiteral("item2.txt")));

    runWindow->close();
    QApplication::processEvents();
    EXPECT_EQ(window->runWindow(), nullptr);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_TRUE(button(*window, "cmdUndo")->isEnabled());
    // The focus is back in the list of the current source.
    EXPECT_EQ(QApplication::focusWidget(), list->activeView());
    // The run window kept its geometry for the next time.
    EXPECT_GT(window->settings().Execute_Width, 0);
}

TEST_F(RunsWindowTest, UndoAsksFirst) {
    prepare();
    const auto window = start();
    button(*window, "cmdExecute")->click();
    window->runWindow()->close();
    QApplication::processEvents();
    ASSERT_TRUE(button(*window, "cmdUndo")->isEnabled());

    messages.answers = {platform::MessageResult::No};
    button(*window, "cmdUndo")->click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Undo last operation?"));
    EXPECT_EQ(messages.shown[0].buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(window->runWindow(), nullptr);
    EXPECT_TRUE(exists("item1.txt"));
    EXPECT_TRUE(button(*window, "cmdUndo")->isEnabled());
    EXPECT_EQ(window->settings().totNumberOfFilesRenamedNew, 3);

    messages.answers = {platform::MessageResult::Yes};
    button(*window, "cmdUndo")->click();
    EXPECT_TRUE(exists("file1.txt"));
    EXPECT_TRUE(exists("file3.txt"));
    EXPECT_FALSE(exists("item1.txt"));
    ASSERT_NE(window->runWindow(), nullptr);
    EXPECT_EQ(window->runWindow()->lineCount(), 3);
    EXPECT_FALSE(button(*window, "cmdUndo")->isEnabled());
    EXPECT_EQ(window->settings().totNumberOfFilesRenamedNew, 0);
    window->runWindow()->close();
    QApplication::processEvents();
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(RunsWindowTest, F5RunsWhenRenameIsEnabled) {
    prepare();
    const auto window = start();
    auto* find = window->control<QLineEdit>(QStringLiteral("txtFind"));
    find->setFocus();
    QApplication::processEvents();
    pressKey(window.get(), Qt::Key_F5, Qt::ShiftModifier);
    waitFor([&] { return window->runWindow() != nullptr; });
    EXPECT_TRUE(exists("item2.txt"));
    ASSERT_NE(window->runWindow(), nullptr);
    window->runWindow()->close();
    QApplication::processEvents();

    // With "Rename!" disabled F5 moves the focus and starts nothing.
    find->setText(QString());
    find->setFocus();
    QApplication::processEvents();
    pressKey(window.get(), Qt::Key_F5);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(window->runWindow(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), window->control<QWidget>(QStringLiteral("cmdAbout")));
}

TEST_F(RunsWindowTest, ASimulationOffersNoUndo) {
    prepare({{"chkSimulation", "1"}});
    const auto window = start();
    EXPECT_TRUE(window->runState().simulationMode);
    button(*window, "cmdExecute")->click();
    EXPECT_TRUE(exists("file1.txt"));
    ASSERT_NE(window->runWindow(), nullptr);
    EXPECT_EQ(window->runWindow()->windowTitle(), QStringLiteral("Status: Simulation Ready!"));
    EXPECT_EQ(window->runWindow()->lineCount(), 3);
    EXPECT_FALSE(button(*window, "cmdUndo")->isEnabled());
    EXPECT_EQ(window->settings().totNumberOfFilesRenamedNew, 0);
}

TEST_F(RunsWindowTest, TheCommandLineRenamesAndCloses) {
    prepare({{"tabStrip", "2"}});  // the Case tab was saved; the mode word chooses Replace
    const auto window = load({QStringLiteral("/p"), path(), QStringLiteral("/e"),
                              QStringLiteral("ModeReplace"), QStringLiteral("/x")});
    window->show();
    waitFor([&] { return window->state().windowReady && !window->isVisible(); });
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->modeTabKey(), QStringLiteral("Replace"));
    EXPECT_EQ(window->runWindow(), nullptr);
    for (const char* name : {"item1.txt", "item2.txt", "item3.txt", "keep.txt"}) {
        EXPECT_TRUE(exists(name)) << name;
    }
    EXPECT_FALSE(exists("file1.txt"));
}

TEST_F(RunsWindowTest, TheCommandLineClosesWithoutARunWhenRenameIsDisabled) {
    prepare({{"txtFind", ""}});
    const auto window = load({QStringLiteral("/p"), path(), QStringLiteral("/e"),
                              QStringLiteral("modereplace"), QStringLiteral("/x")});
    window->show();
    waitFor([&] { return window->state().windowReady && !window->isVisible(); });
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(exists("file1.txt"));
}

// A mistyped mode word must not run whatever mode the settings restored: nothing is renamed,
// and the person at the window is told which word was not known.
TEST_F(RunsWindowTest, AnUnknownModeWordRunsNothingAndSaysSo) {
    prepare();
    const auto window =
        start({QStringLiteral("/p"), path(), QStringLiteral("/e"), QStringLiteral("modereplase")});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->runWindow(), nullptr);
    EXPECT_TRUE(exists("file1.txt"));
    EXPECT_FALSE(exists("item1.txt"));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown.front().text.startsWith(
        QStringLiteral("Unknown mode word \"modereplase\": nothing was renamed.")));
    EXPECT_TRUE(messages.shown.front().text.contains(QStringLiteral("modereplace")));
}

TEST_F(RunsWindowTest, WithoutXTheRunWindowStaysOpen) {
    prepare();
    const auto window =
        start({QStringLiteral("/p"), path(), QStringLiteral("/e"), QStringLiteral("modereplace")});
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(exists("item1.txt"));
    ASSERT_NE(window->runWindow(), nullptr);
    EXPECT_TRUE(window->runWindow()->isVisible());
}

}  // namespace
