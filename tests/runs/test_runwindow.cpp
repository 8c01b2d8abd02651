// The run window: counts and progress as the runs report them, Cancel, the refusal to close
// while an operation runs, Enter and Escape on Close, Save Log through the dialog service, and
// its geometry kept in the settings.
#include <gtest/gtest.h>

#include <QWindow>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>

#include <memory>
#include <optional>
#include <string>

#include "runs/runwindow.h"
#include "settings/programsettings.h"
#include "tests/support/fakemessages.h"
#include "tests/support/tempdir.h"

namespace {

using runs::RunState;
using runs::RunWindow;

// Answers the save dialog from the test and records how it was asked.
class FakeSaveDialog : public runs::SaveFileService {
public:
    FakeSaveDialog() { runs::setSaveFileService(this); }
    ~FakeSaveDialog() override { runs::setSaveFileService(nullptr); }

    QString answer;
    int asked = 0;
    QString title;
    QString startPath;
    QString filter;
    QString suffix;

    QString chooseSaveFile(QWidget*, const QString& askedTitle, const QString& askedStart,
                           const QString& askedFilter, const QString& askedSuffix) override {
        ++asked;
        title = askedTitle;
        startPath = askedStart;
        filter = askedFilter;
        suffix = askedSuffix;
        return answer;
    }
};

class RunWindowTest : public ::testing::Test {
protected:
    RunWindowTest() {
        settings.Execute_Left = 1500;
        settings.Execute_Top = 1200;
        settings.Execute_Width = 6000;
        settings.Execute_Height = 4500;
    }

    std::unique_ptr<RunWindow> make() { return std::make_unique<RunWindow>(state, settings); }

    template <class T>
    static T* child(const RunWindow& window, const char* name) {
        return window.findChild<T*>(QString::fromUtf8(name));
    }
    static QString label(const RunWindow& window, const char* name) {
        return child<QLabel>(window, name)->text();
    }
    static void press(RunWindow& window, int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&window, &event);
    }

    RunState state;
    settings::ProgramSettings settings;
    testsupport::FakeMessages messages;
    FakeSaveDialog dialog;
};

TEST_F(RunWindowTest, StartsWithTheDesignTextsAndShowsWhatTheRunReports) {
    const auto window = make();
    EXPECT_EQ(label(*window, "lblInfo_Files"), QStringLiteral("0 Files Renamed."));
    EXPECT_EQ(label(*window, "lblInfo_Dirs"), QStringLiteral("0 Directories Renamed."));
    EXPECT_EQ(label(*window, "lblInfo_Skipped"), QStringLiteral("0 Warnings."));
    EXPECT_EQ(window->lineCount(), 0);

    window->addLine(QStringLiteral("File Renamed: a --> b"));
    window->addLine(QStringLiteral("WARNING: x"));
    window->setFilesCount(1, QStringLiteral(" Files Changed."));
    window->setDirsCount(70000, QStringLiteral(" Directories Renamed."));
    window->setWarningCount(1);
    window->setStatus(QStringLiteral("Status: Renaming... 50%"));

    EXPECT_EQ(window->lines(),
              QStringList({QStringLiteral("File Renamed: a --> b"), QStringLiteral("WARNING: x")}));
    EXPECT_EQ(label(*window, "lblInfo_Files"), QStringLiteral("1 Files Changed."));
    EXPECT_EQ(label(*window, "lblInfo_Dirs"), QStringLiteral("70000 Directories Renamed."));
    EXPECT_EQ(label(*window, "lblInfo_Skipped"), QStringLiteral("1 Warnings."));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Status: Renaming... 50%"));
}

TEST_F(RunWindowTest, TheLastLinesAndCountsShowWhenTheRunEnds) {
    // Once a run has yielded, lines and counts reach the widgets at the next yield; whatever
    // came after the last one shows when the run ends.
    const auto window = make();
    window->processEvents();
    for (int i = 1; i <= 500; ++i) {
        window->addLine(QStringLiteral("File Renamed: %1").arg(i));
        window->setFilesCount(i, QStringLiteral(" Files Renamed."));
    }
    window->setDirsCount(3, QStringLiteral(" Directories Renamed."));
    window->showFinished(true);
    const auto* list = child<QListWidget>(*window, "lstLog");
    ASSERT_EQ(list->count(), 500);
    EXPECT_EQ(list->item(499)->text(), QStringLiteral("File Renamed: 500"));
    EXPECT_EQ(label(*window, "lblInfo_Files"), QStringLiteral("500 Files Renamed."));
    EXPECT_EQ(label(*window, "lblInfo_Dirs"), QStringLiteral("3 Directories Renamed."));
}

TEST_F(RunWindowTest, ProgressStaysWithinItsRange) {
    const auto window = make();
    auto* bar = child<QProgressBar>(*window, "Progress");

    window->setProgressMaximum(3);
    window->setProgressValue(2);
    EXPECT_EQ(window->progressValue(), 2);
    window->setProgressValue(7);
    EXPECT_EQ(window->progressValue(), 3);
    window->setProgressValue(-1);
    EXPECT_EQ(window->progressValue(), 0);

    // An empty run: an empty bar, never the busy animation of a 0..0 range.
    window->setProgressMaximum(0);
    EXPECT_EQ(window->progressMaximum(), 0);
    EXPECT_GT(bar->maximum(), bar->minimum());
    window->setProgressValue(1);
    EXPECT_EQ(window->progressValue(), 0);
}

TEST_F(RunWindowTest, AnUndoTakesItsRangeFromTheJournal) {
    state.undoInProgress = true;
    state.lastRunFileCount = 3;
    state.lastRunDirCount = 1;
    EXPECT_EQ(make()->progressMaximum(), 4);

    state.undoInProgress = false;
    const auto run = make();
    run->setProgressMaximum(9);
    EXPECT_EQ(run->progressMaximum(), 9);
}

TEST_F(RunWindowTest, CancelSetsTheFlagWhenTheRunYields) {
    const auto window = make();
    window->open();
    window->showRunning();
    auto* cancel = child<QPushButton>(*window, "cmdCancel");
    auto* close = child<QPushButton>(*window, "cmdClose");
    EXPECT_TRUE(cancel->isVisible());
    EXPECT_TRUE(cancel->isEnabled());
    EXPECT_FALSE(close->isVisible());
    EXPECT_FALSE(child<QPushButton>(*window, "cmdSaveLog")->isEnabled());

    // The press waits in the event queue until the run yields.
    QTimer::singleShot(0, cancel, &QPushButton::click);
    EXPECT_FALSE(state.cancelRequested);
    window->processEvents();
    EXPECT_TRUE(state.cancelRequested);
}

TEST_F(RunWindowTest, RefusesToCloseWhileAnOperationRuns) {
    const auto window = make();
    int closedCalls = 0;
    window->onClosed = [&closedCalls] { ++closedCalls; };
    window->open();
    window->showRunning();
    state.operationRunning = true;

    EXPECT_FALSE(window->close());
    press(*window, Qt::Key_Escape);
    press(*window, Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(closedCalls, 0);

    // An undo shows Close, but disabled: Escape and Enter still do nothing.
    window->showUndoRunning();
    press(*window, Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());

    state.operationRunning = false;
    window->showFinished(false);
    EXPECT_TRUE(window->isVisible());
    press(*window, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(closedCalls, 1);
}

TEST_F(RunWindowTest, EnterPressesCloseAfterTheOperation) {
    const auto window = make();
    bool closed = false;
    window->onClosed = [&closed] { closed = true; };
    window->open();
    window->showFinished(true);
    EXPECT_TRUE(child<QPushButton>(*window, "cmdSaveLog")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(*window, "cmdCancel")->isVisible());
    press(*window, Qt::Key_Enter);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(RunWindowTest, SaveLogWritesEveryLineAsUtf8WithCrLf) {
    const testsupport::TempDir folder;
    const auto window = make();
    window->addLine(QStringLiteral("File Renamed: caf\u00e9.txt --> cafe.txt"));
    window->addLine(QStringLiteral("WARNING: Couldn't rename file <a:b?> as <c> x"));
    const QString target = QString::fromStdString(folder.file("log.txt"));
    dialog.answer = target;

    EXPECT_TRUE(window->saveLog());
    EXPECT_EQ(dialog.title, QStringLiteral("Save Log"));
    EXPECT_EQ(dialog.suffix, QStringLiteral("txt"));
    EXPECT_TRUE(dialog.filter.startsWith(QStringLiteral("Text Files (*.txt)")));
    EXPECT_TRUE(dialog.startPath.isEmpty());
    EXPECT_EQ(testsupport::readAll(target.toStdString()),
              "File Renamed: caf\xc3\xa9.txt --> cafe.txt\r\n"
              "WARNING: Couldn't rename file <a:b?> as <c> x\r\n");

    // The next save starts from the name chosen last time; Cancel writes nothing.
    dialog.answer.clear();
    window->addLine(QStringLiteral("more"));
    EXPECT_FALSE(window->saveLog());
    EXPECT_EQ(dialog.startPath, target);
    EXPECT_EQ(testsupport::readAll(target.toStdString()).find("more"), std::string::npos);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(RunWindowTest, AnEmptyLogSavesAnEmptyFile) {
    const testsupport::TempDir folder;
    const auto window = make();
    dialog.answer = QString::fromStdString(folder.write("old.txt", "previous content"));
    EXPECT_TRUE(window->saveLog());
    EXPECT_EQ(testsupport::readAll(dialog.answer.toStdString()), "");
}

TEST_F(RunWindowTest, SaveLogReportsAFileThatCannotBeWritten) {
    const testsupport::TempDir folder;
    const auto window = make();
    window->addLine(QStringLiteral("line"));
    // A folder where the file should go.
    dialog.answer = QString::fromStdString(folder.mkdir("taken.txt"));

    EXPECT_FALSE(window->saveLog());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Error saving log file!"));
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("Error!"));
    EXPECT_EQ(messages.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_TRUE(window->lines() == QStringList{QStringLiteral("line")});
}

TEST_F(RunWindowTest, SaveLogButtonAsksTheDialog) {
    const auto window = make();
    window->showFinished(true);
    child<QPushButton>(*window, "cmdSaveLog")->click();
    EXPECT_EQ(dialog.asked, 1);
}

TEST_F(RunWindowTest, GeometryComesFromAndGoesBackToTheSettings) {
    const auto window = make();
    EXPECT_EQ(window->pos(), QPoint(100, 80));
    EXPECT_EQ(window->size(), QSize(400, 300));
    window->open();
    window->resize(500, 350);
    window->move(30, 45);
    ASSERT_TRUE(window->close());
    EXPECT_EQ(settings.Execute_Width, 7500);
    EXPECT_EQ(settings.Execute_Height, 5250);
    EXPECT_EQ(settings.Execute_Left, 450);
    EXPECT_EQ(settings.Execute_Top, 675);
    EXPECT_EQ(settings.frmexecute_maximized, 0);
}

TEST_F(RunWindowTest, AMaximizedWindowKeepsTheNormalGeometry) {
    settings.frmexecute_maximized = 2;
    const auto window = make();
    window->open();
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
    ASSERT_TRUE(window->close());
    EXPECT_EQ(settings.frmexecute_maximized, 2);
    EXPECT_EQ(settings.Execute_Width, 6000);
    EXPECT_EQ(settings.Execute_Height, 4500);
}

TEST_F(RunWindowTest, NeverSmallerThanItsMinimumAndLaysOutAtAnySize) {
    settings.Execute_Width = 300;
    settings.Execute_Height = 300;
    const auto window = make();
    window->open();
    // The minimum is the outer size, frame included.
    const QMargins frame = window->windowHandle()->frameMargins();
    EXPECT_GE(window->width() + frame.left() + frame.right(), 370);
    EXPECT_GE(window->height() + frame.top() + frame.bottom(), 194);
    window->resize(10, 10);
    EXPECT_EQ(window->size().grownBy(frame), QSize(370, 194));
    // Every control keeps a size of zero or more; the list and the bar keep the right margin.
    for (const QWidget* widget : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_GE(widget->width(), 0);
        EXPECT_GE(widget->height(), 0);
    }
    window->resize(800, 600);
    const auto* list = child<QListWidget>(*window, "lstLog");
    const auto* cancel = child<QPushButton>(*window, "cmdCancel");
    const auto* close = child<QPushButton>(*window, "cmdClose");
    EXPECT_EQ(list->x() + list->width(), 800 - 11);
    EXPECT_EQ(cancel->geometry(), close->geometry());
    EXPECT_LT(close->geometry().bottom(), 600);
}

}  // namespace

namespace {

TEST_F(RunWindowTest, ALongLineReadsWholeInItsTooltip) {
    RunWindow window(state, settings);
    window.open();
    const QString shortLine = QStringLiteral("File Renamed: a --> b");
    const QString longLine = QStringLiteral(
        "WARNING: Failed to rename <a very long file name indeed.txt> to <another "
        "very long file name indeed.txt> (Filename already exists)");
    window.addLine(shortLine);
    window.addLine(longLine);
    window.showFinished(true);
    QApplication::processEvents();
    auto* log = window.findChild<QListWidget*>(QStringLiteral("lstLog"));
    ASSERT_NE(log, nullptr);
    ASSERT_EQ(log->count(), 2);
    const QPoint at = log->visualItemRect(log->item(1)).center();
    QHelpEvent help(QEvent::ToolTip, at, log->viewport()->mapToGlobal(at));
    QApplication::sendEvent(log->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), longLine);
}

}  // namespace
