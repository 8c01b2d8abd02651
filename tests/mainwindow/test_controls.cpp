// The window's controls as built from its tables: names, kinds, places, captions, tooltips,
// groups, menus and pickers, and the settings sink that writes into them.
#include <gtest/gtest.h>

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>

#include <algorithm>
#include <functional>

#include "mainwindow/controls.h"
#include "mainwindow/controltable.h"
#include "mainwindow/gaplabel.h"
#include "mainwindow/modetable.h"
#include "mainwindow/tabstrip.h"
#include "platform/com/com.h"
#include "platform/widgets/listview.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::ControlDef;
using mainwindow::FrmMain;
using mainwindow::Kind;
using testsupport::WindowTest;

bool isOfKind(QObject* object, Kind kind) {
    switch (kind) {
        case Kind::Frame:
            return qobject_cast<QGroupBox*>(object);
        case Kind::Panel:
            return qobject_cast<QWidget*>(object) &&
                   qobject_cast<QStackedWidget*>(object->parent());
        case Kind::ModeStack:
            return qobject_cast<QStackedWidget*>(object);
        case Kind::Label:
        case Kind::Picture:
            return qobject_cast<QLabel*>(object);
        case Kind::CheckBox:
            return qobject_cast<QCheckBox*>(object);
        case Kind::Option:
            return qobject_cast<QRadioButton*>(object);
        case Kind::TextBox:
            return qobject_cast<QLineEdit*>(object);
        case Kind::PathBox: {
            auto* box = qobject_cast<QComboBox*>(object);
            return box && box->isEditable();
        }
        case Kind::DropDownList: {
            auto* box = qobject_cast<QComboBox*>(object);
            return box && !box->isEditable();
        }
        case Kind::DatePicker:
            return qobject_cast<QDateEdit*>(object);
        case Kind::TimePicker:
            return qobject_cast<QTimeEdit*>(object);
        case Kind::PictureButton:
            return qobject_cast<QToolButton*>(object);
        case Kind::Button:
            return qobject_cast<QPushButton*>(object);
        case Kind::TabStrip:
            return qobject_cast<mainwindow::TabStrip*>(object);
        case Kind::ListView:
            return qobject_cast<platform::ListView*>(object);
        case Kind::TreeView:
            return qobject_cast<QTreeWidget*>(object);
        case Kind::StatusBar:
            return qobject_cast<QStatusBar*>(object);
    }
    return false;
}

class ControlTableTest : public WindowTest {};

TEST_F(ControlTableTest, EveryRowIsAControlOfItsKindWithItsTooltip) {
    const auto window = load();
    for (const ControlDef& def : mainwindow::controlTable()) {
        SCOPED_TRACE(def.name);
        QObject* object = window->controlObject(QString::fromUtf8(def.name));
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->objectName(), QString::fromUtf8(def.name));
        EXPECT_TRUE(isOfKind(object, def.kind));
        EXPECT_EQ(qobject_cast<QWidget*>(object)->toolTip(), QString::fromUtf8(def.tip));
    }
}

// Code reaches controls through typed pointers; a row whose kind and pointer type disagree, or
// a menu the pointers name but the table lacks, would leave a pointer null.
TEST_F(ControlTableTest, EveryTypedPointerFindsItsControl) {
    const auto window = load();
    QHash<QString, QObject*> byName;
    for (const QString& name : window->controlNames()) {
        byName.insert(name, window->controlObject(name));
    }
    mainwindow::Controls typed;
    EXPECT_EQ(typed.fill(byName), QStringList());
    EXPECT_EQ(window->ui().chkFiles, window->control<QCheckBox>(QStringLiteral("chkFiles")));
    EXPECT_EQ(window->ui().mnuPopupTreeview,
              window->control<QMenu>(QStringLiteral("mnuPopupTreeview")));
}

// Everything a mode tab does differently is its row of the mode table: a tab without a row
// would show no frame and validate nothing.
TEST_F(ControlTableTest, EveryModeTabHasAModeRowWithAFrameOfTheModeStack) {
    const auto window = load();
    auto* strip = window->control<mainwindow::TabStrip>(QStringLiteral("TabStrip"));
    ASSERT_NE(strip, nullptr);
    for (int i = 0; i < strip->count(); ++i) {
        SCOPED_TRACE(strip->tabKey(i).toStdString());
        const mainwindow::ModeTab* row = mainwindow::modeTab(strip->tabKey(i));
        ASSERT_NE(row, nullptr);
        const QWidget* frame = window->ui().*(row->frame);
        EXPECT_EQ(frame->parentWidget(), window->ui().modeFrames);
    }
    EXPECT_EQ(mainwindow::modeTabs().size(), static_cast<size_t>(strip->count()));
}

// Labels 13 px high cut the descenders of "g", "p" and "y"; and a box sitting on a label's gap
// ("Zero Padding: [box] Digits") must not cover the text after the gap, whatever the font's
// blank width.
TEST_F(ControlTableTest, LabelsShowTheirWholeTextBesideTheBoxesOnThem) {
    const auto window = load();
    for (const ControlDef& def : mainwindow::controlTable()) {
        if (def.kind != Kind::Label || def.height > 300) {
            continue;
        }
        SCOPED_TRACE(def.name);
        const auto* label = window->control<QLabel>(QString::fromUtf8(def.name));
        EXPECT_GE(label->height(), label->fontMetrics().height());
        EXPECT_EQ(label->pos(), QPoint(qRound(def.left / 15.0), qRound(def.top / 15.0)));
    }
    for (const char* pair : {"Label23 txtEnumZeros", "Label17 txtNormalize"}) {
        SCOPED_TRACE(pair);
        const QStringList names = QString::fromUtf8(pair).split(' ');
        const auto* label = window->control<mainwindow::GapLabel>(names[0]);
        const auto* box = window->control<QLineEdit>(names[1]);
        ASSERT_NE(label, nullptr);
        EXPECT_GT(label->x() + label->trailingTextX(), box->geometry().right());
        EXPECT_EQ(label->text(), QStringLiteral("Zero Padding:          Digits"));
    }
}

TEST_F(ControlTableTest, ControlsStandWhereTheDesignPutsThem) {
    const auto window = load();
    // Twips to pixels at 15 twips a pixel, in the container's coordinates.
    const struct {
        const char* name;
        QRect pixels;
    } cases[] = {
        {"Frame8", {8, 56, 289, 89}},          {"TabStrip", {8, 152, 289, 281}},
        {"modeFrames", {16, 192, 273, 233}},   {"cmdExecute", {8, 440, 105, 33}},
        {"cmdUndo", {136, 440, 49, 33}},       {"cmdSettings", {192, 440, 49, 33}},
        {"cmdHelp", {248, 440, 49, 17}},       {"cmdAbout", {248, 456, 49, 17}},
        {"chkPreview", {524, 7, 102, 21}},     {"chkThumbnails", {440, 9, 81, 17}},
        {"chkShowTreeview", {628, 9, 89, 17}}, {"cmdRefresh", {312, 33, 22, 21}},
        {"cmdDragDropAdd", {312, 33, 22, 21}}, {"cmdParentDir", {336, 33, 22, 21}},
        {"cmdShowDirReq", {360, 33, 22, 21}},  {"cmbAddMp3Tag", {15, 39, 229, 21}},
        {"txtMp3Format", {16, 40, 210, 18}},   {"cmbEnumFormat", {89, 29, 156, 21}},
        {"txtEnumFormat", {90, 30, 137, 18}},  {"cmbFormat", {16, 24, 229, 21}},
        {"txtFormat", {17, 25, 210, 18}},      {"cmbFormatParts", {88, 56, 157, 21}},
        {"txtFormatParts", {89, 57, 138, 18}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(window->control<QWidget>(QString::fromUtf8(c.name))->geometry(), c.pixels);
    }
}

TEST_F(ControlTableTest, PatternBoxesLieOverTheirPickersLeavingTheDropButtonFree) {
    const auto window = load();
    for (const auto& picker : mainwindow::tokenPickers()) {
        SCOPED_TRACE(picker.picker);
        auto* list = window->control<QComboBox>(QString::fromUtf8(picker.picker));
        auto* box = window->control<QLineEdit>(QString::fromUtf8(picker.box));
        ASSERT_TRUE(list && box);
        ASSERT_EQ(list->parentWidget(), box->parentWidget());
        EXPECT_EQ(box->x(), list->x() + 1);
        EXPECT_EQ(box->y(), list->y() + 1);
        EXPECT_EQ(box->height(), 18);
        EXPECT_EQ(list->geometry().right() - box->geometry().right(), 18);
        // The box is in front, so typing and clicks go to it.
        const QObjectList& siblings = box->parentWidget()->children();
        EXPECT_GT(siblings.indexOf(box), siblings.indexOf(list));
    }
}

TEST_F(ControlTableTest, EveryControlTheSettingsLoaderWritesExists) {
    const auto window = load();
    const QStringList checks = {"chkShowTreeview",
                                "chkOnlyRenameSelected",
                                "chkMp3AddExtension",
                                "chkMp3OnlyFilledTags",
                                "chkMp3OnlyMp3Files",
                                "chkMp3UseID3v2",
                                "chkCaseSensitive",
                                "chkR",
                                "chkH",
                                "chkS",
                                "chkA",
                                "chkDateCreated",
                                "chkDateAccessed",
                                "chkDateModified",
                                "chkDateDate",
                                "chkDateTime",
                                "chkFiles",
                                "chkDirs",
                                "chkSimulation",
                                "chkSub",
                                "chkProcessFilename",
                                "chkProcessFileExt",
                                "chkPreview",
                                "chkFormatAllMustBeAvailable",
                                "chkFileDetect_TryMp3",
                                "chkFileDetect_TryText",
                                "chkFileDetect_KeepExt",
                                "chkEnumAutoZeros",
                                "chkEnumResetBetweenDirs",
                                "chkExceptionsEnabled",
                                "chkSpaceBeginning",
                                "chkSpaceEnd",
                                "chkSpaceShrink"};
    const QStringList texts = {
        "txtPattern",      "txtMp3Format",   "txtFind",       "txtReplace",    "txtReplaceCount",
        "txtReplaceStart", "txtAdd",         "txtCropNumber", "txtAddPos",     "txtCropPos",
        "txtFormat",       "txtFormatParts", "txtNormalize",  "txtEnumFormat", "txtEnumZeros",
        "txtEnumStart",    "txtEnumStep"};
    const QStringList options = {"optReplaceSingle",
                                 "optReplaceBatch",
                                 "optAttrib_Attributes",
                                 "optAttrib_Date",
                                 "Case1_0",
                                 "Case1_6",
                                 "Case2_0",
                                 "Case2_5",
                                 "optAddBeginning",
                                 "optAddEnding",
                                 "optCropBeginning",
                                 "optCropEnding",
                                 "optAdd",
                                 "optCrop",
                                 "chkFormatTab_Format",
                                 "chkFormatTab_Detect",
                                 "chkEnumTab_Enum",
                                 "chkEnumTab_Normalize"};
    for (const QString& name : checks) {
        EXPECT_NE(window->control<QCheckBox>(name), nullptr) << name.toStdString();
    }
    for (const QString& name : texts) {
        EXPECT_NE(window->control<QLineEdit>(name), nullptr) << name.toStdString();
    }
    for (const QString& name : options) {
        EXPECT_NE(window->control<QRadioButton>(name), nullptr) << name.toStdString();
    }
    EXPECT_NE(window->control<QDateEdit>(QStringLiteral("dtDate")), nullptr);
    EXPECT_NE(window->control<QTimeEdit>(QStringLiteral("dtTime")), nullptr);
    EXPECT_NE(window->control<QLabel>(QStringLiteral("lblBatchReplace")), nullptr);
    EXPECT_EQ(window->control<QTabBar>(QStringLiteral("TabStrip"))->count(), 8);
}

TEST_F(ControlTableTest, CaptionsAndTooltipsAsStored) {
    const auto window = load();
    const struct {
        const char* name;
        const char* shown;
    } captions[] = {
        {"chkSpaceEnd", "Remove traling spaces"},
        {"chkMp3OnlyFilledTags", "Only rename if all used tags are available."},
        {"optAddEnding", "End of filename."},
        {"Case1_3", "Capitalize sentences"},
        {"Case2_3", "Capitalize"},
        {"chkShowTreeview", "View as Tree"},
        {"chkPreview", "Instant Preview"},
        {"cmdSettings", "Settings"},
        {"chkR", "Write Protect"},
    };
    for (const auto& c : captions) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(window->control<QAbstractButton>(QString::fromUtf8(c.name))->text(),
                  QString::fromUtf8(c.shown));
    }
    // Frames keep the blanks that leave room for their option button; "&&" is one "&".
    EXPECT_EQ(window->control<QGroupBox>(QStringLiteral("Frame13"))->title(),
              QStringLiteral("      Date && Time"));
    EXPECT_EQ(window->control<QGroupBox>(QStringLiteral("Frame1"))->title(),
              QStringLiteral("     Single Replace"));
    EXPECT_EQ(window->control<QGroupBox>(QStringLiteral("Frame8"))->title(), QString());
    EXPECT_EQ(window->control<QLabel>(QStringLiteral("Label23"))->text(),
              QStringLiteral("Zero Padding:          Digits"));
    EXPECT_EQ(mainwindow::labelCaption(QStringLiteral("Date && Time")),
              QStringLiteral("Date & Time"));
    EXPECT_EQ(mainwindow::labelCaption(QStringLiteral("&Open && close")),
              QStringLiteral("Open & close"));

    const struct {
        const char* name;
        const char* tip;
    } tips[] = {
        {"cmdRefresh", "Refresh Directory (F12)"},
        {"cmdDragDropClear", "Remove All"},
        {"cmdExecute", "Rename Files & Directories (F5)"},
        {"cmdUndo", "Undo Last Operation"},
        {"cmdHelp", "Show Help (F1)"},
        {"cmdAbout", "About Quenza Renamer"},
        {"cmdReplaceAdd", "Add current replace settings to batch replace list"},
        {"cmdGetCurrentTime", "Get Current Time"},
    };
    for (const auto& t : tips) {
        EXPECT_EQ(window->control<QWidget>(QString::fromUtf8(t.name))->toolTip(),
                  QString::fromUtf8(t.tip))
            << t.name;
    }

    auto* modes = window->control<QTabBar>(QStringLiteral("TabStrip"));
    const QStringList captionsInOrder = {"Find && Replace",    "Convert Case", "Enum", "Space",
                                         "Attributes && Date", "Add && Crop",  "Mp3",  "Format"};
    const QStringList keysInOrder = {"Replace", "Case",    "Enum", "misc",
                                     "Attrib",  "AddCrop", "Mp3",  "Format"};
    for (int i = 0; i < modes->count(); ++i) {
        EXPECT_EQ(modes->tabText(i), captionsInOrder.at(i));
        EXPECT_EQ(modes->tabData(i).toString(), keysInOrder.at(i));
    }
    auto* sources = window->control<QTabBar>(QStringLiteral("TabStripFilemode"));
    ASSERT_EQ(sources->count(), 2);
    EXPECT_EQ(sources->tabText(1), QStringLiteral("Free Select"));
    EXPECT_EQ(sources->tabData(0).toString(), QStringLiteral("listview"));
    EXPECT_EQ(sources->tabData(1).toString(), QStringLiteral("dragdrop"));
    EXPECT_EQ(sources->currentIndex(), 0);
}

TEST_F(ControlTableTest, OptionGroupsAreIndependentOfEachOther) {
    const auto window = load();
    auto option = [&](const char* name) {
        return window->control<QRadioButton>(QString::fromUtf8(name));
    };
    ASSERT_TRUE(window->selectOption(QStringLiteral("Case1_1")));
    ASSERT_TRUE(window->selectOption(QStringLiteral("Case2_4")));
    EXPECT_TRUE(option("Case1_1")->isChecked());
    EXPECT_FALSE(option("Case1_4")->isChecked());

    // The add/crop choice and the beginning/end choices of both frames are separate groups,
    // although some of them share a container.
    ASSERT_TRUE(window->selectOption(QStringLiteral("optCrop")));
    ASSERT_TRUE(window->selectOption(QStringLiteral("optAddEnding")));
    EXPECT_TRUE(option("optCrop")->isChecked());
    EXPECT_FALSE(option("optAdd")->isChecked());
    EXPECT_TRUE(option("optAddEnding")->isChecked());
    EXPECT_FALSE(option("optAddBeginning")->isChecked());
    EXPECT_TRUE(option("optCropBeginning")->isChecked());

    ASSERT_TRUE(window->selectOption(QStringLiteral("chkFormatTab_Detect")));
    ASSERT_TRUE(window->selectOption(QStringLiteral("chkEnumTab_Normalize")));
    EXPECT_TRUE(option("chkFormatTab_Detect")->isChecked());
    EXPECT_FALSE(option("chkFormatTab_Format")->isChecked());
    EXPECT_TRUE(option("chkEnumTab_Normalize")->isChecked());

    for (const auto& group : mainwindow::optionGroups()) {
        auto* buttons = window->findChild<QButtonGroup*>(QString::fromUtf8(group.name));
        ASSERT_NE(buttons, nullptr) << group.name;
        EXPECT_EQ(buttons->buttons().size(), static_cast<qsizetype>(group.options.size()));
        EXPECT_LE(std::count_if(group.options.begin(), group.options.end(),
                                [&](const char* name) { return option(name)->isChecked(); }),
                  1);
    }
}

TEST_F(ControlTableTest, PopupMenusHoldTheirItemsInOrder) {
    const auto window = load();
    auto names = [](const QMenu* menu) {
        QStringList result;
        for (const QAction* action : menu->actions()) {
            result.append(action->menu() ? action->menu()->objectName() : action->objectName());
        }
        return result;
    };
    auto* tree = window->control<QMenu>(QStringLiteral("mnuPopupTreeview"));
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(names(tree), (QStringList{"mnuTreeviewAdd", "mnuTreeviewAddRecursive", "mnuSep1",
                                        "mnuTreeviewParentDir", "mnuTreeviewRefresh", "mnuSep2",
                                        "mnuTreeviewCopy"}));
    EXPECT_TRUE(window->control<QAction>(QStringLiteral("mnuSep2"))->isSeparator());
    EXPECT_FALSE(window->control<QAction>(QStringLiteral("mnuTreeviewRefresh"))->isVisible());

    auto* select = window->control<QMenu>(QStringLiteral("mnuSelect"));
    ASSERT_NE(select, nullptr);
    EXPECT_EQ(select->title(), QStringLiteral("Select"));
    EXPECT_EQ(names(select), (QStringList{"mnuSelAll", "mnuSelNone", "sep10", "mnuSelInvert",
                                          "sep11", "mnuSelPreview", "mnuSelNoPreview"}));
    EXPECT_EQ(window->control<QAction>(QStringLiteral("mnuSelAll"))->text(),
              QStringLiteral("All         (Ctrl+A)"));

    auto* dragdrop = window->control<QMenu>(QStringLiteral("mnuPopupDragdrop"));
    ASSERT_NE(dragdrop, nullptr);
    EXPECT_EQ(names(dragdrop),
              (QStringList{"mnuDragdropOpen", "mnuSep9", "mnuDrapDropRename", "mnuSep7",
                           "mnuDragdropRemove", "mnuDragdropClear", "mnuSep3", "mnuFSSel", "sep8",
                           "mnuFSListMenu", "mnuSep15", "mnyCopy"}));
    EXPECT_EQ(names(window->control<QMenu>(QStringLiteral("mnyCopy"))),
              (QStringList{"mnuDragdropCopy", "mnuDragdropCopyPreview", "mnuDragdropCopyPath"}));
    EXPECT_EQ(window->control<QAction>(QStringLiteral("mnuDragdropClear"))->text(),
              QStringLiteral("Clear All   (Shift+Del)"));
    EXPECT_EQ(names(window->control<QMenu>(QStringLiteral("mnuPopupListview"))).size(), 14);
}

TEST_F(ControlTableTest, TokenPickersHoldTheirEntriesInOrder) {
    const auto window = load();
    auto entries = [&](const char* name) {
        auto* list = window->control<QComboBox>(QString::fromUtf8(name));
        QStringList result;
        for (int i = 0; i < list->count(); ++i) {
            result.append(list->itemText(i));
        }
        return result;
    };
    const QStringList mp3 = entries("cmbAddMp3Tag");
    const QStringList format = entries("cmbFormat");
    const QStringList parts = entries("cmbFormatParts");
    const QStringList enumeration = entries("cmbEnumFormat");
    ASSERT_EQ(mp3.size(), 27);
    ASSERT_EQ(format.size(), 48);
    ASSERT_EQ(parts.size(), 9);
    ASSERT_EQ(enumeration.size(), 4);

    EXPECT_EQ(mp3.first(), QStringLiteral("Artist <ARTIST>"));
    EXPECT_EQ(mp3.at(18), QStringLiteral("Current File Extension <FILEEXT>"));
    EXPECT_EQ(mp3.last(), QStringLiteral("Move To SubDir <\\>"));
    EXPECT_EQ(format.at(12), QStringLiteral("Number of Files in Dir. & SubDirs <SDIRFILES>"));
    EXPECT_EQ(format.at(13), QStringLiteral("Number of Dirs. in Dir. & SubDirs  <SDIRDIRS>"));
    EXPECT_EQ(format.at(15),
              QStringLiteral("Size of Files in Dir. & SubDirs  (Bytes) <SDIRSIZEB>"));
    EXPECT_EQ(format.at(21), QStringLiteral("Random Number (0-9) <RND#>"));
    EXPECT_EQ(format.last(), QStringLiteral("Part 9 <%9>"));
    EXPECT_EQ(parts, format.mid(39));
    EXPECT_EQ(enumeration,
              (QStringList{"Enumeration <ENUM>", "Current Filename <NAME>",
                           "Current File Extension <EXT>", "Curr. Full Name <FULLNAME>"}));
    // Every entry ends in the token it inserts.
    for (const QStringList& list : {mp3, format, parts, enumeration}) {
        for (const QString& entry : list) {
            EXPECT_TRUE(entry.contains(QLatin1Char('<')) && entry.endsWith(QLatin1Char('>')))
                << entry.toStdString();
        }
    }
}

TEST_F(ControlTableTest, HiddenAndNonVisualControls) {
    const auto window = load();
    window->show();
    QApplication::processEvents();
    EXPECT_FALSE(window->control<QWidget>(QStringLiteral("chkSimulation"))->isVisible());
    EXPECT_FALSE(window->control<QWidget>(QStringLiteral("TreeView"))->isVisible());
    auto* timer = window->control<QTimer>(QStringLiteral("tmrPreview"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 100);
    // The minimum counts the frame: the outer size can shrink to 550 x 528.
    const QMargins frame = window->windowHandle()->frameMargins();
    EXPECT_EQ(window->minimumSize().grownBy(frame), QSize(550, 528));
    EXPECT_EQ(mainwindow::kMp3LibraryClass,
              *com::parseGuid("{6E10C0BC-6B07-460F-97BF-006765E982C4}"));
    EXPECT_EQ(mainwindow::kMp3LibraryInterface,
              *com::parseGuid("{86B07158-B918-4CD2-904A-75B917DFF212}"));
}

class ControlSinkTest : public WindowTest {};

TEST_F(ControlSinkTest, TextsAreCutToTheBoxesMaximumLength) {
    const auto window = load();
    const struct {
        const char* name;
        int most;
    } boxes[] = {{"txtReplaceStart", 3}, {"txtReplaceCount", 3}, {"txtEnumStart", 9},
                 {"txtEnumStep", 6},     {"txtEnumZeros", 2},    {"txtNormalize", 2},
                 {"txtAddPos", 3},       {"txtCropNumber", 3},   {"txtCropPos", 3}};
    for (const auto& box : boxes) {
        SCOPED_TRACE(box.name);
        const QString name = QString::fromUtf8(box.name);
        EXPECT_EQ(window->control<QLineEdit>(name)->maxLength(), box.most);
        ASSERT_TRUE(window->setText(name, QStringLiteral("1234567890")));
        EXPECT_EQ(window->control<QLineEdit>(name)->text(),
                  QStringLiteral("1234567890").left(box.most));
    }
    ASSERT_TRUE(window->setText(QStringLiteral("txtFind"), QString(300, QLatin1Char('x'))));
    EXPECT_EQ(window->control<QLineEdit>(QStringLiteral("txtFind"))->text().size(), 300);
    ASSERT_TRUE(window->setText(QStringLiteral("txtPath"), QStringLiteral("/data/")));
    EXPECT_EQ(window->control<QComboBox>(QStringLiteral("txtPath"))->currentText(),
              QStringLiteral("/data/"));
}

TEST_F(ControlSinkTest, RefusesUnknownNamesAndValuesOutOfRange) {
    const auto window = load();
    EXPECT_FALSE(window->setCheck(QStringLiteral("chkNothing"), 1));
    EXPECT_FALSE(window->setCheck(QStringLiteral("txtFind"), 1));
    EXPECT_FALSE(window->setCheck(QStringLiteral("chkFiles"), 3));
    EXPECT_FALSE(window->setCheck(QStringLiteral("chkFiles"), -1));
    EXPECT_FALSE(window->setText(QStringLiteral("chkFiles"), QStringLiteral("x")));
    EXPECT_FALSE(window->setText(QStringLiteral("cmbFormat"), QStringLiteral("x")));
    EXPECT_FALSE(window->selectOption(QStringLiteral("chkFiles")));
    EXPECT_FALSE(window->selectOption(QStringLiteral("Case1_7")));
    EXPECT_FALSE(window->selectModeTab(0));
    EXPECT_FALSE(window->selectModeTab(9));
    EXPECT_FALSE(window->setDate(QStringLiteral("dtDate"), QDate()));
    EXPECT_FALSE(window->setDate(QStringLiteral("dtTime"), QDate(2020, 1, 1)));
    EXPECT_FALSE(window->setTime(QStringLiteral("dtTime"), QTime()));

    ASSERT_TRUE(window->setDate(QStringLiteral("dtDate"), QDate(2021, 3, 4)));
    EXPECT_EQ(window->control<QDateEdit>(QStringLiteral("dtDate"))->date(), QDate(2021, 3, 4));
    ASSERT_TRUE(window->setTime(QStringLiteral("dtTime"), QTime(13, 45, 10)));
    EXPECT_EQ(window->control<QTimeEdit>(QStringLiteral("dtTime"))->time(), QTime(13, 45, 10));
    ASSERT_TRUE(window->selectModeTab(8));
    EXPECT_EQ(window->modeTabKey(), QStringLiteral("Format"));

    window->setEnabled(QStringLiteral("txtPattern"), false);
    EXPECT_FALSE(window->control<QWidget>(QStringLiteral("txtPattern"))->isEnabled());
    window->setCaption(QStringLiteral("lblBatchReplace"), QStringLiteral("3 items && more"));
    EXPECT_EQ(window->control<QLabel>(QStringLiteral("lblBatchReplace"))->text(),
              QStringLiteral("3 items & more"));
    // Unknown names are ignored without harm.
    window->setEnabled(QStringLiteral("nothing"), false);
    window->setCaption(QStringLiteral("nothing"), QStringLiteral("x"));
}

TEST_F(ControlSinkTest, CheckValuesMapToTheThreeStates) {
    const auto window = load();
    // A box without couplings of its own (an attribute box's handler grays a ticked box when
    // it is cleared).
    QCheckBox* box = window->control<QCheckBox>(QStringLiteral("chkCaseSensitive"));
    const struct {
        int value;
        Qt::CheckState state;
    } cases[] = {{1, Qt::Checked}, {0, Qt::Unchecked}, {2, Qt::PartiallyChecked}};
    for (const auto& c : cases) {
        ASSERT_TRUE(window->setCheck(QStringLiteral("chkCaseSensitive"), c.value));
        EXPECT_EQ(box->checkState(), c.state);
        EXPECT_EQ(mainwindow::vbValue(box), c.value);
    }
    // The attribute boxes start grayed; the others can be grayed too, as a stored 2 asks.
    EXPECT_EQ(mainwindow::vbValue(window->control<QCheckBox>(QStringLiteral("chkR"))), 2);
    ASSERT_TRUE(window->setCheck(QStringLiteral("chkSub"), 2));
    EXPECT_EQ(mainwindow::vbValue(window->control<QCheckBox>(QStringLiteral("chkSub"))), 2);
}

TEST_F(ControlSinkTest, ACodeWriteRunsTheHandlerOnlyWhenTheValueChanges) {
    const auto window = start();
    // Revalidation writes panel "main"; clear it and watch whether the handler ran.
    const struct {
        const char* what;
        std::function<void()> sameValue;
        std::function<void()> newValue;
    } cases[] = {
        {"check box", [&] { window->setCheck(QStringLiteral("chkCaseSensitive"), 0); },
         [&] { window->setCheck(QStringLiteral("chkCaseSensitive"), 1); }},
        {"option", [&] { window->selectOption(QStringLiteral("Case1_4")); },
         [&] { window->selectOption(QStringLiteral("Case1_2")); }},
        {"text", [&] { window->setText(QStringLiteral("txtFind"), QString()); },
         [&] { window->setText(QStringLiteral("txtFind"), QStringLiteral("a")); }},
        {"date",
         [&] {
             window->setDate(QStringLiteral("dtDate"),
                             window->control<QDateEdit>(QStringLiteral("dtDate"))->date());
         },
         [&] { window->setDate(QStringLiteral("dtDate"), QDate(2001, 2, 3)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        window->setPanelText(QStringLiteral("main"), QString());
        c.sameValue();
        EXPECT_EQ(window->panelText(QStringLiteral("main")), QString());
        c.newValue();
        EXPECT_EQ(window->panelText(QStringLiteral("main")),
                  QStringLiteral("0 Files, 0 Directories"));
    }
}

}  // namespace
