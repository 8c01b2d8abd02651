// Start-up of the main window: the saved state restored into the controls, the caption, the
// geometry, the columns, the placeholders, the path history and the tag-library object; and
// the first activation, which alone makes the window's handlers do their full work.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QWindow>

#include "platform/widgets/listview.h"
#include "platform/widgets/outerminimum.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::FrmMain;
using mainwindow::vbValue;
using platform::ListView;
using testsupport::WindowTest;

int value(const FrmMain& window, const char* box) {
    return vbValue(window.control<QCheckBox>(QString::fromUtf8(box)));
}

bool chosen(const FrmMain& window, const char* option) {
    return window.control<QRadioButton>(QString::fromUtf8(option))->isChecked();
}

QString text(const FrmMain& window, const char* box) {
    return window.control<QLineEdit>(QString::fromUtf8(box))->text();
}

QStringList columnKeys(const ListView* list) {
    QStringList keys;
    for (int column = 0; column < list->columnCount(); ++column) {
        keys.append(list->columnKey(column));
    }
    return keys;
}

class StartupTest : public WindowTest {};

TEST_F(StartupTest, FirstStartTakesTheDefaults) {
    const auto window = load();

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quenza Renamer 4.5 - Press F1 for Help"));
    EXPECT_EQ(window->modeTabKey(), QStringLiteral("Case"));
    EXPECT_TRUE(chosen(*window, "Case1_4"));
    EXPECT_TRUE(chosen(*window, "Case2_2"));
    EXPECT_TRUE(chosen(*window, "optReplaceSingle"));
    EXPECT_TRUE(chosen(*window, "optAttrib_Attributes"));
    EXPECT_TRUE(chosen(*window, "chkEnumTab_Enum"));
    EXPECT_TRUE(chosen(*window, "chkFormatTab_Format"));
    for (const char* attribute : {"chkR", "chkH", "chkS", "chkA"}) {
        EXPECT_EQ(value(*window, attribute), 2) << attribute;
    }
    EXPECT_EQ(value(*window, "chkFiles"), 1);
    EXPECT_EQ(value(*window, "chkDirs"), 0);
    EXPECT_EQ(value(*window, "chkPreview"), 1);
    EXPECT_EQ(value(*window, "chkOnlyRenameSelected"), 1);
    EXPECT_EQ(text(*window, "txtMp3Format"), QStringLiteral("<ARTIST> - <TITLE>"));
    EXPECT_EQ(text(*window, "txtPattern"), QStringLiteral("*.*"));
    EXPECT_EQ(text(*window, "txtEnumZeros"), QStringLiteral("2"));
    EXPECT_EQ(window->control<QDateEdit>(QStringLiteral("dtDate"))->date(), QDate::currentDate());
    EXPECT_EQ(window->control<QComboBox>(QStringLiteral("txtPath"))->currentText(), QString());
    EXPECT_EQ(window->control<QPushButton>(QStringLiteral("cmdExecute"))->text(),
              QStringLiteral("Rename!"));
    EXPECT_EQ(window->control<QLabel>(QStringLiteral("lblBatchReplace"))->text(),
              QStringLiteral("0 items in batch replace list..."));

    // The saved tab's frame is in front although the tab handler has not run yet.
    auto* frames = window->control<QStackedWidget>(QStringLiteral("modeFrames"));
    EXPECT_EQ(frames->currentWidget()->objectName(), QStringLiteral("frmConvertCase"));

    const auto& state = window->state();
    EXPECT_FALSE(state.windowReady);
    EXPECT_TRUE(state.subclassEnabled);
    EXPECT_EQ(state.settingsTabIndex, 1);
    EXPECT_EQ(state.previewDoEventsEvery, 5);
    EXPECT_FALSE(window->runState().simulationMode);
    EXPECT_EQ(window->minimumSize(), QSize(550, 528));
    EXPECT_EQ(window->size(), QSize(733, 528));  // 11000 x 7920 twips

    for (const char* name : {"lwDirectory", "lwDragDrop"}) {
        auto* list = window->control<ListView>(QString::fromUtf8(name));
        EXPECT_EQ(columnKeys(list), (QStringList{"filename", "preview", "path"})) << name;
        EXPECT_EQ(list->columnWidth(0), 202);  // 3030 twips
        EXPECT_EQ(list->columnWidth(1), 201);  // 3020 twips
        EXPECT_FALSE(list->fullRowSelect());
        EXPECT_FALSE(list->gridLines());
    }
    // Nothing is shown and nothing is read while loading.
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(window->control<ListView>(QStringLiteral("lwDirectory"))->rowCount(), 0);
    for (int source : {0, 1}) {
        EXPECT_TRUE(state.lstFiles[source].isEmpty());
        EXPECT_TRUE(state.lstDirs[source].isEmpty());
    }
}

TEST_F(StartupTest, SavedValuesComeBackIntoTheControls) {
    sandbox.store({
        {"chkFiles", "0"},
        {"chkDirs", "1"},
        {"chkSub", "1"},
        {"uncheckSubsdirsAtStartup", "0"},
        {"chkR", "1"},
        {"chkH", "0"},
        {"chkS", "2"},
        {"Case1", "1"},
        {"Case2", "5"},
        {"optReplace", "1"},
        {"optAttrib", "1"},
        {"optAddCrop", "1"},
        {"optCropBegEnd", "1"},
        {"chkEnumTab", "1"},
        {"chkFormatTab", "1"},
        {"txtFind", "abc"},
        {"txtReplaceStart", "12345"},
        {"txtFormat", "<NAME>-<DATE>"},
        {"dtDate", "2021-03-04"},
        {"dtTime", "13:45:10"},
        {"tabStrip", "6"},
        {"chkRealtimePreview", "0"},
        {"exceptionsEnabled", "1"},
    });
    const auto window = load();

    // "Filetype Detection", loaded after them, takes files only, as choosing it does.
    EXPECT_EQ(value(*window, "chkFiles"), 1);
    EXPECT_EQ(value(*window, "chkDirs"), 0);
    EXPECT_EQ(value(*window, "chkSub"), 1);
    EXPECT_EQ(value(*window, "chkR"), 1);
    EXPECT_EQ(value(*window, "chkH"), 0);
    EXPECT_EQ(value(*window, "chkS"), 2);
    EXPECT_EQ(value(*window, "chkA"), 2);
    EXPECT_EQ(value(*window, "chkPreview"), 0);
    EXPECT_EQ(value(*window, "chkExceptionsEnabled"), 1);
    EXPECT_TRUE(chosen(*window, "Case1_1"));
    EXPECT_FALSE(chosen(*window, "Case1_4"));
    EXPECT_TRUE(chosen(*window, "Case2_5"));
    EXPECT_TRUE(chosen(*window, "optReplaceBatch"));
    EXPECT_TRUE(chosen(*window, "optAttrib_Date"));
    EXPECT_TRUE(chosen(*window, "optCrop"));
    EXPECT_TRUE(chosen(*window, "optCropEnding"));
    EXPECT_TRUE(chosen(*window, "optAddBeginning"));
    EXPECT_TRUE(chosen(*window, "chkEnumTab_Normalize"));
    EXPECT_TRUE(chosen(*window, "chkFormatTab_Detect"));
    EXPECT_EQ(text(*window, "txtFind"), QStringLiteral("abc"));
    EXPECT_EQ(text(*window, "txtReplaceStart"), QStringLiteral("123"));
    EXPECT_EQ(text(*window, "txtFormat"), QStringLiteral("<NAME>-<DATE>"));
    EXPECT_EQ(window->control<QDateEdit>(QStringLiteral("dtDate"))->date(), QDate(2021, 3, 4));
    EXPECT_EQ(window->control<QTimeEdit>(QStringLiteral("dtTime"))->time(), QTime(13, 45, 10));
    EXPECT_EQ(window->modeTabKey(), QStringLiteral("AddCrop"));
    EXPECT_EQ(window->control<QStackedWidget>(QStringLiteral("modeFrames"))
                  ->currentWidget()
                  ->objectName(),
              QStringLiteral("frmAddCrop"));
}

TEST_F(StartupTest, ShowAllColumnsAddsSixColumnsTheLastHidden) {
    sandbox.store({{"showAllColumns", "1"},
                   {"dirColWidth4", "1500"},
                   {"dragColWidth5", "300"},
                   {"lwFullRowSelect", "1"},
                   {"lwShowGuidelines", "1"}});
    const auto window = load();
    const QStringList keys = {"filename", "preview", "path", "size", "date",
                              "attrib",   "ext",     "type", "sizeb"};
    for (const char* name : {"lwDirectory", "lwDragDrop"}) {
        SCOPED_TRACE(name);
        auto* list = window->control<ListView>(QString::fromUtf8(name));
        EXPECT_EQ(columnKeys(list), keys);
        EXPECT_EQ(list->columnText(8), QStringLiteral("Size in Bytes"));
        EXPECT_EQ(list->columnWidth(8), 0);
        EXPECT_TRUE(list->isColumnHidden(8));
        EXPECT_FALSE(list->isColumnHidden(7));
        EXPECT_TRUE(list->fullRowSelect());
        EXPECT_TRUE(list->gridLines());
    }
    EXPECT_EQ(window->control<ListView>(QStringLiteral("lwDirectory"))->columnWidth(3), 100);
    EXPECT_EQ(window->control<ListView>(QStringLiteral("lwDragDrop"))->columnWidth(4), 20);
}

TEST_F(StartupTest, AnyOtherShowAllColumnsValueKeepsThreeColumns) {
    sandbox.store({{"showAllColumns", "2"}});
    const auto window = load();
    EXPECT_EQ(window->control<ListView>(QStringLiteral("lwDirectory"))->columnCount(), 3);
    EXPECT_EQ(window->control<ListView>(QStringLiteral("lwDragDrop"))->columnCount(), 3);
}

TEST_F(StartupTest, SimulationModeSettlesTheRenameCaptionWithoutExclamationMark) {
    sandbox.store({{"chkSimulation", "1"}});
    const auto window = load();
    EXPECT_TRUE(window->runState().simulationMode);
    EXPECT_EQ(window->control<QPushButton>(QStringLiteral("cmdExecute"))->text(),
              QStringLiteral("Sim. Rename"));
    EXPECT_FALSE(window->control<QWidget>(QStringLiteral("cmdUndo"))->isEnabled());
}

TEST_F(StartupTest, TheSimulationBoxHandlerSetsCaptionAndUndo) {
    const auto window = load();
    auto* execute = window->control<QPushButton>(QStringLiteral("cmdExecute"));
    auto* undo = window->control<QWidget>(QStringLiteral("cmdUndo"));
    undo->setEnabled(true);
    ASSERT_TRUE(window->setCheck(QStringLiteral("chkSimulation"), 1));
    EXPECT_TRUE(window->runState().simulationMode);
    EXPECT_EQ(execute->text(), QStringLiteral("Sim. Rename!"));
    EXPECT_FALSE(undo->isEnabled());
    ASSERT_TRUE(window->setCheck(QStringLiteral("chkSimulation"), 0));
    EXPECT_FALSE(window->runState().simulationMode);
    EXPECT_EQ(execute->text(), QStringLiteral("Rename!"));
    EXPECT_FALSE(undo->isEnabled());  // clearing the box leaves Undo as it is
}

TEST_F(StartupTest, GeometryAndMaximizedState) {
    sandbox.store({{"Main_Width", "12000"},
                   {"Main_Height", "9000"},
                   {"Main_Left", "1500"},
                   {"Main_Top", "750"}});
    {
        const auto window = load();
        EXPECT_EQ(window->size(), QSize(800, 600));
        EXPECT_EQ(window->pos(), QPoint(100, 50));
        EXPECT_FALSE(window->windowState() & Qt::WindowMaximized);
    }
    sandbox.store({{"Main_Maximized", "2"}});
    const auto window = load();
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(window->settings().Main_Width, 12000);
}

// The minimum is the window's outer size: with a title bar and frame, the client area may be
// that much smaller.
TEST_F(StartupTest, TheMinimumSizeCountsTheFrame) {
    EXPECT_EQ(platform::clientMinimumFor(QSize(550, 528), QMargins(4, 30, 4, 4)), QSize(542, 494));
    EXPECT_EQ(platform::clientMinimumFor(QSize(10, 10), QMargins(8, 30, 8, 8)), QSize(0, 0));
    const auto window = load();
    window->show();
    const QMargins frame = window->windowHandle()->frameMargins();
    EXPECT_EQ(window->minimumSize(), platform::clientMinimumFor(QSize(550, 528), frame));
}

// A position saved on a monitor that is gone would leave the window where no one can reach
// its title bar: it comes back onto the primary screen (800 x 800 offscreen), keeping its size
// where that fits (and never below the window's minimum of 550 x 528).
TEST_F(StartupTest, AWindowSavedOffEveryScreenComesBack) {
    const struct {
        const char* left;
        const char* top;
        const char* width;
        const char* height;
        QRect expected;
    } cases[] = {
        {"32000", "750", "9000", "9000", QRect(0, 0, 600, 600)},
        {"1500", "-6000", "9000", "9000", QRect(0, 0, 600, 600)},
        {"-32000", "-32000", "15000", "15000", QRect(0, 0, 800, 800)},
        // Partly off screen with the title bar still reachable: left where it was.
        {"-3000", "750", "9000", "9000", QRect(-200, 50, 600, 600)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.left) + "," + c.top);
        sandbox.store({{"Main_Left", c.left},
                       {"Main_Top", c.top},
                       {"Main_Width", c.width},
                       {"Main_Height", c.height}});
        const auto window = load();
        EXPECT_EQ(QRect(window->pos(), window->size()), c.expected);
    }
}

TEST_F(StartupTest, PathHistoryListsOnlyFilledEntriesAndKeepsThePathText) {
    // The start folder is the saved one when it lists something.
    const std::string folder = sandbox.config().mkdir("work");
    sandbox.config().write("work/a.txt");
    sandbox.store({{"txtPath", QString::fromStdString(folder) + QLatin1Char('/')},
                   {"pathHistorySize", "4"},
                   {"pathHistory0", "/a/"},
                   {"pathHistory1", ""},
                   {"pathHistory2", "/c/"},
                   {"pathHistory3", "/d/"},
                   {"pathHistory4", "/never/"}});
    const auto window = load();
    auto* path = window->control<QComboBox>(QStringLiteral("txtPath"));
    QStringList items;
    for (int i = 0; i < path->count(); ++i) {
        items.append(path->itemText(i));
    }
    EXPECT_EQ(items, (QStringList{"/a/", "/c/", "/d/"}));
    EXPECT_EQ(path->currentText(), QString::fromStdString(folder) + QLatin1Char('/'));
    EXPECT_EQ(window->state().startPath, path->currentText());
}

TEST_F(StartupTest, MissingTagLibraryIsLoggedOnceAndStartUpGoesOn) {
    const auto window = load();
    EXPECT_FALSE(window->hasMp3Library());
    EXPECT_TRUE(window->state().mp3LibraryMissing);
    const std::string log = testsupport::readAll(sandbox.program().file("errors.txt"));
    EXPECT_NE(log.find(") Error 429 (ActiveX component can't create object"), std::string::npos)
        << log;
    EXPECT_NE(log.find(") MP3 Init: Failed to initialize Orvane Mp3 Library!\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(window->state().settingsTabIndex, 1);
}

TEST_F(StartupTest, FreeSelectPlaceholderIsBoldItalicAndUnselected) {
    const auto window = load();
    auto* list = window->control<ListView>(QStringLiteral("lwDragDrop"));
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_EQ(list->text(0), QStringLiteral("Drop files here..."));
    EXPECT_TRUE(list->font().bold());
    EXPECT_TRUE(list->font().italic());
    EXPECT_EQ(list->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(list->font().pointSize(), 10);
    EXPECT_EQ(list->view(), ListView::View::SmallIcon);
    EXPECT_EQ(list->labelEdit(), ListView::LabelEdit::Manual);
    EXPECT_TRUE(list->selectedRows().isEmpty());
    // The Directory list is no placeholder before the first activation.
    EXPECT_FALSE(window->control<ListView>(QStringLiteral("lwDirectory"))->font().bold());
}

class ActivationTest : public WindowTest {};

TEST_F(ActivationTest, HandlersRaisedWhileLoadingValidateNothing) {
    // The loader ticks boxes and selects the tab; none of that may count or validate yet.
    sandbox.store({{"chkDirs", "1"}, {"tabStrip", "7"}});
    const auto window = load();
    // The directories box rebuilt the (empty) views: that writes the empty counts and no more.
    EXPECT_EQ(window->panelText(QStringLiteral("main")), QStringLiteral("0 Files, 0 Directories"));
    EXPECT_EQ(window->panelText(QStringLiteral("selected")), QString());
    EXPECT_TRUE(window->control<QPushButton>(QStringLiteral("cmdExecute"))->isEnabled());
    EXPECT_FALSE(window->state().previewPending);
    // The Mp3 tab's handler waited too: no warning, the directories box untouched.
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(value(*window, "chkDirs"), 1);
    EXPECT_TRUE(window->state().dirsAllowed);
}

TEST_F(ActivationTest, FirstActivationFinishesStartUp) {
    const auto window = start();
    const auto& state = window->state();
    EXPECT_TRUE(state.windowReady);
    EXPECT_EQ(state.fileMode, filelists::Source::Directory);
    EXPECT_EQ(window->panelText(QStringLiteral("main")), QStringLiteral("0 Files, 0 Directories"));
    EXPECT_FALSE(window->control<QPushButton>(QStringLiteral("cmdExecute"))->isEnabled());
    EXPECT_FALSE(window->control<QWidget>(QStringLiteral("cmdUndo"))->isEnabled());
    EXPECT_TRUE(state.previewPending);
    EXPECT_TRUE(window->control<QTimer>(QStringLiteral("tmrPreview"))->isActive());
    // Case tab: the process boxes do not apply.
    EXPECT_FALSE(window->control<QWidget>(QStringLiteral("chkProcessFilename"))->isEnabled());
    EXPECT_TRUE(window->control<QWidget>(QStringLiteral("modeFrames"))->isVisible());

    // The path box is empty: the Directory list shows its placeholder row.
    auto* directory = window->control<ListView>(QStringLiteral("lwDirectory"));
    ASSERT_EQ(directory->rowCount(), 1);
    EXPECT_EQ(directory->text(0), QStringLiteral("Please choose a working directory..."));
    EXPECT_TRUE(directory->font().bold());
    EXPECT_TRUE(directory->isVisible());
    EXPECT_FALSE(window->control<QWidget>(QStringLiteral("lwDragDrop"))->isVisible());

    QWidget* focus = window->focusWidget();
    auto* path = window->control<QWidget>(QStringLiteral("txtPath"));
    EXPECT_TRUE(focus == path || (focus && focus->parentWidget() == path));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ActivationTest, LaterActivationsDoNothing) {
    const auto window = start();
    window->setPanelText(QStringLiteral("main"), QStringLiteral("untouched"));
    window->state().lstFiles[0] = QStringList{QStringLiteral("/x/a.txt")};
    window->formActivate();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(window.get(), &activate);
    EXPECT_EQ(window->panelText(QStringLiteral("main")), QStringLiteral("untouched"));
}

TEST_F(ActivationTest, InstantPreviewOffMarksNoPreview) {
    sandbox.store({{"chkRealtimePreview", "0"}});
    const auto window = start();
    EXPECT_FALSE(window->state().previewPending);
    EXPECT_TRUE(window->control<QTimer>(QStringLiteral("tmrPreview"))->isActive());
    EXPECT_EQ(window->panelText(QStringLiteral("main")), QStringLiteral("0 Files, 0 Directories"));
}

TEST_F(ActivationTest, TreeViewOfferFollowsTheSetting) {
    sandbox.store({{"chkShowTreeview", "1"}, {"enableTreeview", "0"}});
    {
        const auto window = start();
        auto* box = window->control<QCheckBox>(QStringLiteral("chkShowTreeview"));
        EXPECT_EQ(vbValue(box), 0);
        EXPECT_FALSE(box->isVisible());
        EXPECT_TRUE(window->control<QWidget>(QStringLiteral("lwDirectory"))->isVisible());
        EXPECT_FALSE(window->control<QWidget>(QStringLiteral("TreeView"))->isVisible());
    }
    sandbox.store({{"enableTreeview", "1"}});
    const auto window = start();
    auto* box = window->control<QCheckBox>(QStringLiteral("chkShowTreeview"));
    EXPECT_EQ(vbValue(box), 1);
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(window->control<QWidget>(QStringLiteral("TreeView"))->isVisible());
    EXPECT_FALSE(window->control<QWidget>(QStringLiteral("lwDirectory"))->isVisible());
}

TEST_F(ActivationTest, TheSavedFolderIsReadAtTheFirstActivationOnly) {
    const std::string folder = sandbox.config().mkdir("photos");
    sandbox.config().write("photos/a.jpg", "x");
    sandbox.config().write("photos/b.jpg", "y");
    sandbox.store({{"txtPath", QString::fromStdString(folder) + QLatin1Char('/')}});
    const auto window = load();
    EXPECT_TRUE(window->state().lstFiles[0].isEmpty());  // not while loading
    window->show();
    QApplication::processEvents();
    EXPECT_EQ(window->state().lstFiles[0].size(), 2);
    auto* directory = window->control<ListView>(QStringLiteral("lwDirectory"));
    EXPECT_EQ(directory->rowCount(), 2);
    EXPECT_FALSE(directory->font().bold());
    EXPECT_EQ(window->panelText(QStringLiteral("main")), QStringLiteral("2 Files, 0 Directories"));
    EXPECT_EQ(window->panelText(QStringLiteral("selected")), QStringLiteral("0 items selected..."));
}

}  // namespace
