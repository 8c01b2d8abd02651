// The mode tabs, the file-source tabs and the validation frame once the window is ready.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>

#include "platform/widgets/listview.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::FrmMain;
using mainwindow::vbValue;
using platform::ListView;
using testsupport::WindowTest;

constexpr int kReplace = 0, kCase = 1, kEnum = 2, kSpace = 3, kAttrib = 4, kAddCrop = 5, kMp3 = 6,
              kFormat = 7;

class ModeTabTest : public WindowTest {
protected:
    void SetUp() override {
        window = start();
        // The tests below choose the tab themselves; a missing tag library would warn once.
        window->state().mp3LibraryMissing = false;
    }

    QCheckBox* box(const char* name) const {
        return window->control<QCheckBox>(QString::fromUtf8(name));
    }
    QTabBar* modes() const { return window->control<QTabBar>(QStringLiteral("TabStrip")); }
    QTabBar* sources() const {
        return window->control<QTabBar>(QStringLiteral("TabStripFilemode"));
    }
    // Selects a tab so that its handler runs, even when it is already the selected one.
    void selectTab(int index) const {
        modes()->setCurrentIndex(index == kReplace ? kCase : kReplace);
        modes()->setCurrentIndex(index);
    }
    QString shownFrame() const {
        return window->control<QStackedWidget>(QStringLiteral("modeFrames"))
            ->currentWidget()
            ->objectName();
    }
    bool focused(const char* name) const {
        const QWidget* target = window->control<QWidget>(QString::fromUtf8(name));
        for (const QWidget* w = window->focusWidget(); w; w = w->parentWidget()) {
            if (w == target) {
                return true;
            }
        }
        return false;
    }

    std::unique_ptr<FrmMain> window;
};

TEST_F(ModeTabTest, EachTabShowsItsFrameAndSetsItsFlags) {
    const struct {
        int tab;
        const char* option;  // chosen before the tab is selected; null for none
        const char* frame;
        bool dirsAllowed;
        bool processBoxes;
        const char* focus;  // null: the focus stays where it is
    } cases[] = {
        {kReplace, "optReplaceSingle", "frmFindReplace", true, true, "txtFind"},
        {kReplace, "optReplaceBatch", "frmFindReplace", true, true, nullptr},
        {kCase, nullptr, "frmConvertCase", true, false, nullptr},
        {kEnum, "chkEnumTab_Enum", "frmEnum", true, false, "txtEnumFormat"},
        {kEnum, "chkEnumTab_Normalize", "frmEnum", true, true, "txtNormalize"},
        {kSpace, nullptr, "frmMisc", true, false, nullptr},
        {kAttrib, "optAttrib_Attributes", "frmSetAttributes", true, false, "chkR"},
        {kAttrib, "optAttrib_Date", "frmSetAttributes", false, false, "chkR"},
        {kAddCrop, "optAdd", "frmAddCrop", true, true, "txtAdd"},
        {kAddCrop, "optCrop", "frmAddCrop", true, true, "txtCropNumber"},
        {kMp3, nullptr, "frmMp3Tag", false, false, "txtMp3Format"},
        {kFormat, "chkFormatTab_Format", "frmFormat", true, true, "txtFormat"},
        {kFormat, "chkFormatTab_Detect", "frmFormat", false, false, "chkFileDetect_KeepExt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.frame) + " " + (c.option ? c.option : ""));
        window->setCheck(QStringLiteral("chkDirs"), 1);
        window->control<QWidget>(QStringLiteral("txtPath"))->setFocus();
        if (c.option) {
            ASSERT_TRUE(window->selectOption(QString::fromUtf8(c.option)));
        }
        selectTab(c.tab);

        EXPECT_EQ(shownFrame(), QString::fromUtf8(c.frame));
        EXPECT_EQ(window->state().dirsAllowed, c.dirsAllowed);
        EXPECT_EQ(box("chkDirs")->isEnabled(), c.dirsAllowed);
        // Directories not allowed in the Directory source: files only.
        EXPECT_EQ(vbValue(box("chkDirs")), c.dirsAllowed ? 1 : 0);
        EXPECT_EQ(vbValue(box("chkFiles")), 1);
        EXPECT_EQ(box("chkProcessFilename")->isEnabled(), c.processBoxes);
        EXPECT_EQ(box("chkProcessFileExt")->isEnabled(), c.processBoxes);
        EXPECT_TRUE(focused(c.focus ? c.focus : "txtPath"));
    }
}

TEST_F(ModeTabTest, Mp3TabInTheDirectorySourceForcesFilesOnly) {
    window->setCheck(QStringLiteral("chkFiles"), 0);
    window->setCheck(QStringLiteral("chkDirs"), 1);
    modes()->setCurrentIndex(kMp3);
    EXPECT_EQ(vbValue(box("chkFiles")), 1);
    EXPECT_EQ(vbValue(box("chkDirs")), 0);
    EXPECT_FALSE(box("chkDirs")->isEnabled());
    EXPECT_FALSE(box("chkProcessFilename")->isEnabled());
    EXPECT_FALSE(box("chkProcessFileExt")->isEnabled());
    EXPECT_FALSE(window->state().dirsAllowed);
}

TEST_F(ModeTabTest, FreeSelectSourceKeepsTheDirectoriesBox) {
    sources()->setCurrentIndex(1);
    ASSERT_EQ(window->state().fileMode, filelists::Source::FreeSelect);

    // Choosing detection takes files only in either source; the box is set again after it.
    window->selectOption(QStringLiteral("chkFormatTab_Detect"));
    EXPECT_EQ(vbValue(box("chkDirs")), 0);
    window->setCheck(QStringLiteral("chkDirs"), 1);
    modes()->setCurrentIndex(kFormat);
    EXPECT_FALSE(window->state().dirsAllowed);
    EXPECT_FALSE(box("chkDirs")->isEnabled());
    EXPECT_EQ(vbValue(box("chkDirs")), 1);

    // Mp3 sets the files box in either source; the directories box keeps its value here.
    window->setCheck(QStringLiteral("chkFiles"), 0);
    modes()->setCurrentIndex(kMp3);
    EXPECT_EQ(vbValue(box("chkFiles")), 1);
    EXPECT_EQ(vbValue(box("chkDirs")), 1);
    EXPECT_FALSE(box("chkDirs")->isEnabled());

    // Back in the Directory source the box follows the tab's verdict.
    sources()->setCurrentIndex(0);
    EXPECT_FALSE(box("chkDirs")->isEnabled());
    modes()->setCurrentIndex(kCase);
    EXPECT_TRUE(box("chkDirs")->isEnabled());
}

TEST_F(ModeTabTest, Mp3WarningShowsOnceWhenTheTagLibraryIsMissing) {
    window->state().mp3LibraryMissing = true;
    modes()->setCurrentIndex(kMp3);
    ASSERT_EQ(messages.shown.size(), 1);
    const testsupport::ShownMessage& shown = messages.shown.first();
    EXPECT_EQ(shown.text,
              QStringLiteral("The Mp3 library failed to initialize! You will not be able\n"
                             "to use any Mp3 featues. You can probably solve this\n"
                             "problem by re-installing Quenza Renamer!"));
    EXPECT_EQ(shown.title, QStringLiteral("Quenza Renamer"));
    EXPECT_EQ(shown.icon, platform::MessageIcon::Critical);
    EXPECT_EQ(shown.buttons, platform::MessageButtons::Ok);
    EXPECT_FALSE(window->state().mp3LibraryMissing);
    EXPECT_EQ(shownFrame(), QStringLiteral("frmMp3Tag"));

    modes()->setCurrentIndex(kCase);
    modes()->setCurrentIndex(kMp3);
    EXPECT_EQ(messages.shown.size(), 1);
}

TEST_F(ModeTabTest, FrameClicksChooseTheFramesOption) {
    modes()->setCurrentIndex(kAttrib);
    ASSERT_TRUE(window->control<QRadioButton>(QStringLiteral("optAttrib_Attributes"))->isChecked());
    auto* frame = window->control<QGroupBox>(QStringLiteral("Frame13"));
    const QPointF inside(frame->width() - 5, frame->height() - 5);
    QMouseEvent press(QEvent::MouseButtonPress, inside, frame->mapToGlobal(inside), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, frame->mapToGlobal(inside),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &press);
    QApplication::sendEvent(frame, &release);
    EXPECT_TRUE(window->control<QRadioButton>(QStringLiteral("optAttrib_Date"))->isChecked());
}

TEST_F(ModeTabTest, FileSourceTabsShowTheirControls) {
    sources()->setCurrentIndex(1);
    EXPECT_EQ(window->fileModeTabKey(), QStringLiteral("dragdrop"));
    EXPECT_EQ(window->state().fileMode, filelists::Source::FreeSelect);
    for (const char* shown : {"lwDragDrop", "cmdDragDropAdd", "cmdDragDropDel", "cmdDragDropClear",
                              "chkThumbnailsFreeSelect"}) {
        EXPECT_TRUE(window->control<QWidget>(QString::fromUtf8(shown))->isVisible()) << shown;
    }
    // The folder row belongs to the Directory source: hidden, not only greyed.
    for (const char* hidden :
         {"lwDirectory", "TreeView", "cmdRefresh", "cmdParentDir", "cmdShowDirReq",
          "chkShowTreeview", "chkThumbnails", "txtPath", "txtPattern"}) {
        EXPECT_FALSE(window->control<QWidget>(QString::fromUtf8(hidden))->isVisible()) << hidden;
    }
    EXPECT_TRUE(focused("lwDragDrop"));
    for (const char* disabled : {"txtPath", "txtPattern", "chkFiles", "chkDirs", "chkSub"}) {
        EXPECT_FALSE(window->control<QWidget>(QString::fromUtf8(disabled))->isEnabled())
            << disabled;
    }
    const QColor face = QApplication::palette().color(QPalette::Button);
    const QColor base = QApplication::palette().color(QPalette::Base);
    EXPECT_EQ(
        window->control<QWidget>(QStringLiteral("txtPattern"))->palette().color(QPalette::Base),
        face);

    sources()->setCurrentIndex(0);
    EXPECT_EQ(window->state().fileMode, filelists::Source::Directory);
    for (const char* shown : {"lwDirectory", "cmdRefresh", "cmdParentDir", "cmdShowDirReq",
                              "chkThumbnails", "txtPath", "txtPattern"}) {
        EXPECT_TRUE(window->control<QWidget>(QString::fromUtf8(shown))->isVisible()) << shown;
    }
    // Back in the Directory source the focus is in the path box, where the next folder goes.
    EXPECT_TRUE(focused("txtPath"));
    EXPECT_FALSE(window->control<QWidget>(QStringLiteral("lwDragDrop"))->isVisible());
    EXPECT_FALSE(window->control<QWidget>(QStringLiteral("chkShowTreeview"))->isVisible());
    for (const char* enabled : {"txtPath", "txtPattern", "chkFiles", "chkDirs", "chkSub"}) {
        EXPECT_TRUE(window->control<QWidget>(QString::fromUtf8(enabled))->isEnabled()) << enabled;
    }
    EXPECT_EQ(window->control<QWidget>(QStringLiteral("txtPath"))->palette().color(QPalette::Base),
              base);
}

class ValidationTest : public ModeTabTest {
protected:
    void SetUp() override {
        ModeTabTest::SetUp();
        // The path box commits (reads its folder) when it loses the focus; these tests put
        // entries into the work lists by hand, so the box commits its empty path first.
        window->control<QWidget>(QStringLiteral("lwDirectory"))->setFocus();
        QApplication::processEvents();
    }
    bool renameEnabled() const {
        return window->control<QPushButton>(QStringLiteral("cmdExecute"))->isEnabled();
    }
};

TEST_F(ValidationTest, DirectorySourceCountsTheTickedKinds) {
    auto& state = window->state();
    state.lstFiles[0] = QStringList{"/d/a", "/d/b", "/d/c"};
    state.lstDirs[0] = QStringList{"/d/x/", "/d/y/"};
    window->setCheck(QStringLiteral("chkOnlyRenameSelected"), 0);

    window->modePanels().optionsChanged();
    EXPECT_EQ(window->panelText(QStringLiteral("main")), QStringLiteral("3 Files, 0 Directories"));
    EXPECT_TRUE(renameEnabled());

    window->setCheck(QStringLiteral("chkDirs"), 1);
    EXPECT_EQ(window->panelText(QStringLiteral("main")), QStringLiteral("3 Files, 2 Directories"));
    EXPECT_TRUE(renameEnabled());

    window->setCheck(QStringLiteral("chkFiles"), 0);
    EXPECT_EQ(window->panelText(QStringLiteral("main")), QStringLiteral("0 Files, 2 Directories"));
    EXPECT_TRUE(renameEnabled());

    // Directories ticked but with nothing to rename.
    window->state().lstDirs[0].clear();
    window->modePanels().optionsChanged();
    EXPECT_EQ(window->panelText(QStringLiteral("main")), QStringLiteral("0 Files, 0 Directories"));
    EXPECT_FALSE(renameEnabled());

    // A ticked but disabled box does not qualify.
    window->setCheck(QStringLiteral("chkFiles"), 1);
    window->setCheck(QStringLiteral("chkDirs"), 0);
    box("chkFiles")->setEnabled(false);
    window->modePanels().optionsChanged();
    EXPECT_FALSE(renameEnabled());
}

TEST_F(ValidationTest, FreeSelectCountsBothListsWithoutTheBoxes) {
    window->setCheck(QStringLiteral("chkOnlyRenameSelected"), 0);
    sources()->setCurrentIndex(1);
    EXPECT_EQ(window->panelText(QStringLiteral("main")), QStringLiteral("0 Files, 0 Directories"));
    EXPECT_FALSE(renameEnabled());
    window->state().lstDirs[1] = QStringList{"/d/x/"};
    window->modePanels().optionsChanged();
    EXPECT_EQ(window->panelText(QStringLiteral("main")), QStringLiteral("0 Files, 1 Directories"));
    EXPECT_TRUE(renameEnabled());
}

TEST_F(ValidationTest, OnlySelectedInForceBlocksEveryTabButAttrib) {
    window->state().lstFiles[0] = QStringList{"/d/a", "/d/b"};
    window->state().onlySelectedInForce = true;
    window->state().selectedCount = 0;
    window->modePanels().optionsChanged();
    EXPECT_FALSE(renameEnabled());
    // An attribute to change, so that the attribute tab's own rule lets it pass.
    window->setCheck(QStringLiteral("chkA"), 1);
    modes()->setCurrentIndex(kAttrib);
    EXPECT_TRUE(renameEnabled());
    window->state().selectedCount = 1;
    modes()->setCurrentIndex(kCase);
    EXPECT_TRUE(renameEnabled());
}

TEST_F(ValidationTest, EveryPassRestartsTheTimerAndMarksAPreviewWhenInstant) {
    auto* timer = window->control<QTimer>(QStringLiteral("tmrPreview"));
    window->state().previewPending = false;
    window->setCheck(QStringLiteral("chkPreview"), 0);
    EXPECT_FALSE(window->state().previewPending);
    EXPECT_TRUE(timer->isActive());
    window->setCheck(QStringLiteral("chkPreview"), 1);
    EXPECT_TRUE(window->state().previewPending);
    EXPECT_TRUE(timer->isActive());
}

TEST_F(ValidationTest, SelectionCountShowsInItsPanel) {
    auto* directory = window->control<ListView>(QStringLiteral("lwDirectory"));
    directory->clear();
    for (const char* name : {"a", "b", "c"}) {
        directory->addRow({QString::fromLatin1(name)});
    }
    window->sourceSwitch().updateSelectedCount(0);
    EXPECT_EQ(window->panelText(QStringLiteral("selected")), QString());  // lists are empty

    window->state().lstFiles[0] = QStringList{"/d/a", "/d/b", "/d/c"};
    window->sourceSwitch().updateSelectedCount(0);
    EXPECT_EQ(window->panelText(QStringLiteral("selected")), QStringLiteral("0 items selected..."));
    // "Only Rename Selected" is ticked, and by default nothing selected renames everything.
    EXPECT_FALSE(window->state().onlySelectedInForce);

    directory->selectRow(1);
    window->sourceSwitch().updateSelectedCount(0);
    EXPECT_EQ(window->panelText(QStringLiteral("selected")), QStringLiteral("1 item selected..."));
    EXPECT_EQ(window->state().selectedCount, 1);
    EXPECT_TRUE(window->state().onlySelectedInForce);
    EXPECT_TRUE(renameEnabled());

    directory->selectRow(2);
    window->sourceSwitch().updateSelectedCount(0);
    EXPECT_EQ(window->panelText(QStringLiteral("selected")), QStringLiteral("2 items selected..."));
}

}  // namespace
