// The settings dialog: what it loads, the tab and place it remembers, the size boxes, what
// "Ok" applies to the settings, the saved store, the lists and the main window, and that every
// other way of closing changes nothing.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QWindow>

#include <functional>
#include <optional>
#include <string>

#include "mainwindow/dialogs/batchreplaceeditor.h"
#include "mainwindow/dialogs/exceptionseditor.h"
#include "mainwindow/dialogs/settingsdialog.h"
#include "mainwindow/tabstrip.h"
#include "platform/programfolder.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"
#include "settings/errormemory.h"
#include "settings/textlists.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::FrmMain;
using mainwindow::FrmSettings;
using mainwindow::vbValue;
using platform::ListView;
using settings::ProgramSettings;
using testsupport::TempDir;
using testsupport::WindowTest;

QCheckBox* box(const FrmSettings& dialog, const char* name) {
    return dialog.control<QCheckBox>(QString::fromUtf8(name));
}
QLineEdit* sizeBox(const FrmSettings& dialog, const char* name) {
    return dialog.control<QLineEdit>(QString::fromUtf8(name));
}
void toggle(const FrmSettings& dialog, const char* name) {
    QCheckBox* input = box(dialog, name);
    mainwindow::setVbValue(input, vbValue(input) == 1 ? 0 : 1);
}
void pressOk(const FrmSettings& dialog) {
    dialog.control<QPushButton>(QStringLiteral("cmdOK"))->click();
}
void key(QWidget* target, int code, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
}
QStringList columnKeys(const ListView* list) {
    QStringList keys;
    for (int column = 0; column < list->columnCount(); ++column) {
        keys.append(list->columnKey(column));
    }
    return keys;
}

// The settings a check box of the dialog shows and "Ok" writes, with its stored key.
struct BoxSetting {
    const char* box;
    qint16 ProgramSettings::*setting;
    const char* key;
};
const BoxSetting kBoxSettings[] = {
    {"chkHidden", &ProgramSettings::processHidden, "processHidden"},
    {"chkSystem", &ProgramSettings::processSystem, "processSystem"},
    {"chkWriteProtected", &ProgramSettings::processWriteProtected, "processWriteProtected"},
    {"chkPatternFile", &ProgramSettings::usePatternForFiles, "usePatternForFiles"},
    {"chkPatternDir", &ProgramSettings::usePatternForDirs, "usePatternForDirs"},
    {"chkStartupInLastDir", &ProgramSettings::startupInLastDir, "startupInLastDir"},
    {"chkShellShowQuenza", &ProgramSettings::shellShowQuenza, "shellShowQuenza"},
    {"chkShowPath", &ProgramSettings::showFullPath, "showFullPath"},
    {"chkUncheckSubsdirsAtStartup", &ProgramSettings::uncheckSubsdirsAtStartup,
     "uncheckSubsdirsAtStartup"},
    {"chkHideSystemFolders", &ProgramSettings::hideSystemFolders, "hideSystemFolders"},
    {"chkUseSysIcons", &ProgramSettings::useSysIcons, "useSysIcons"},
    {"chkEnableTreeview", &ProgramSettings::enableTreeview, "enableTreeview"},
    {"chkAlwaysShowDirs", &ProgramSettings::alwaysShowDirs, "alwaysShowDirs"},
    {"chkShowAllColumns", &ProgramSettings::showAllColumns, "showAllColumns"},
    {"chkLwFullRowSelect", &ProgramSettings::lwFullRowSelect, "lwFullRowSelect"},
    {"chkLwShowGuidelines", &ProgramSettings::lwShowGuidelines, "lwShowGuidelines"},
    {"chkThumbAspect", &ProgramSettings::thumbsAspect, "thumbsAspect"},
    {"chkThumbBorder", &ProgramSettings::thumbsBorder, "thumbsBorder"},
    {"chkCache", &ProgramSettings::cacheIcons, "cacheIcons"},
};

class SettingsDialogTest : public WindowTest {
protected:
    void SetUp() override { dir.write("a.txt"); }

    // Starts the program on the working folder with these saved settings.
    std::unique_ptr<FrmMain> open(
        std::initializer_list<std::pair<const char*, QString>> keys = {}) {
        sandbox.store(keys);
        return start({QStringLiteral("/p"), folder()});
    }
    QString folder() const { return QString::fromStdString(dir.path()) + QLatin1Char('/'); }

    // Presses `opener` (the Settings button when null) and runs `inside` on the dialog once
    // it is open. The dialog must close by itself (by what `inside` does), or the guard
    // cancels it and the test fails.
    void withDialog(FrmMain& window, const std::function<void(FrmSettings&)>& inside,
                    QAbstractButton* opener = nullptr) {
        bool ran = false;
        bool closedByItself = true;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<FrmSettings*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            ran = true;
            inside(*dialog);
            if (dialog->isVisible()) {
                closedByItself = false;
                dialog->reject();
            }
        });
        (opener ? opener : window.ui().cmdSettings)->click();
        EXPECT_TRUE(ran);
        EXPECT_TRUE(closedByItself);
    }
    // Runs `change` in the dialog and presses "Ok".
    void applyInDialog(FrmMain& window, const std::function<void(FrmSettings&)>& change) {
        withDialog(window, [&](FrmSettings& dialog) {
            change(dialog);
            pressOk(dialog);
        });
    }
    static std::optional<QString> stored(const char* key) {
        const settings::SettingsStore store;
        return store.read(QString::fromUtf8(key));
    }
    // Rows of the Directory list.
    static QStringList rows(const FrmMain& window) {
        QStringList names;
        for (int row = 0; row < window.ui().lwDirectory->rowCount(); ++row) {
            names.append(window.ui().lwDirectory->text(row));
        }
        return names;
    }

    TempDir dir;
};

// ---- Opening ----

TEST_F(SettingsDialogTest, LoadsEveryInputFromTheSettingsAndOpensCentred) {
    const auto window = open({{"processHidden", "1"},
                              {"processWriteProtected", "0"},
                              {"showFullPath", "1"},
                              {"lwShowGuidelines", "1"},
                              {"useSysIcons", "0"},
                              {"thumbsWidth", "96"},
                              {"thumbsHeight", "48"},
                              {"enableRenameAllIfNoneSelected", "False"},
                              {"frmSettings_Top", "0"},
                              {"frmSettings_Left", "500"}});
    // Empty entries are not shown.
    window->lists().exceptionsList = {QString(), "IBM", QString(), "McDonald"};
    withDialog(*window, [&](FrmSettings& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quenza Renamer Settings"));
        EXPECT_EQ(dialog.size(), QSize(331, 342));
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
        EXPECT_EQ(dialog.tabStrip()->currentKey(), QStringLiteral("general"));
        EXPECT_EQ(dialog.focusWidget(), dialog.control<QPushButton>(QStringLiteral("cmdOK")));
        for (const BoxSetting& row : kBoxSettings) {
            EXPECT_EQ(vbValue(box(dialog, row.box)), window->settings().*row.setting) << row.box;
        }
        EXPECT_EQ(vbValue(box(dialog, "chkHidden")), 1);
        EXPECT_EQ(vbValue(box(dialog, "chkWriteProtected")), 0);
        EXPECT_EQ(vbValue(box(dialog, "chkRenameAllIfNoneSelected")), 0);
        EXPECT_EQ(sizeBox(dialog, "txtThumbWidth")->text(), QStringLiteral("96"));
        EXPECT_EQ(sizeBox(dialog, "txtThumbHeight")->text(), QStringLiteral("48"));
        // Without system icons the thumbnail inputs wait; their labels stay readable.
        for (const char* name :
             {"chkCache", "txtThumbWidth", "txtThumbHeight", "chkThumbAspect", "chkThumbBorder"}) {
            EXPECT_FALSE(dialog.control<QWidget>(QString::fromUtf8(name))->isEnabled()) << name;
        }
        EXPECT_TRUE(dialog.control<QLabel>(QStringLiteral("Label2"))->isEnabled());
        toggle(dialog, "chkUseSysIcons");
        EXPECT_TRUE(sizeBox(dialog, "txtThumbWidth")->isEnabled());
        EXPECT_TRUE(box(dialog, "chkCache")->isEnabled());

        const auto* exceptions = dialog.control<QListWidget>(QStringLiteral("lstExceptions"));
        ASSERT_EQ(exceptions->count(), 2);
        EXPECT_EQ(exceptions->item(0)->text(), QStringLiteral("IBM"));
        EXPECT_EQ(exceptions->item(1)->text(), QStringLiteral("McDonald"));

        const QRect screen = window->screen()->geometry();
        const QSize outer = dialog.frameGeometry().size();
        EXPECT_EQ(dialog.pos(),
                  screen.topLeft() + QPoint(screen.width() / 2 - outer.width() / 2,
                                            screen.height() / 2 - outer.height() / 2));
        dialog.reject();
    });
}

TEST_F(SettingsDialogTest, EachTabShowsItsOwnFrames) {
    const auto window = open();
    const std::pair<const char*, QStringList> tabs[] = {
        {"general", {"frmShell", "frmSecurity", "frmStartup", "frmGeneralMisc"}},
        {"interface", {"frmMisc", "frmTreeview", "frmListview"}},
        {"interface2", {"frmThumbs", "frmSysIcons"}},
        {"listing", {"frmPattern", "frmInclude"}},
        {"exceptions", {"frmExceptions"}},
        {"batchreplace", {"frmBatchReplace"}},
    };
    withDialog(*window, [&](FrmSettings& dialog) {
        ASSERT_EQ(dialog.tabStrip()->count(), 6);
        EXPECT_EQ(dialog.tabStrip()->tabText(2), QStringLiteral("Icons && Thumbnails"));
        for (int index = 5; index >= 0; --index) {
            const auto& [key, frames] = tabs[index];
            dialog.selectTab(QString::fromUtf8(key));
            EXPECT_EQ(dialog.tabStrip()->currentIndex(), index);
            for (const QGroupBox* frame : dialog.findChildren<QGroupBox*>()) {
                EXPECT_EQ(frame->isVisibleTo(&dialog), frames.contains(frame->objectName()))
                    << key << " " << frame->objectName().toStdString();
            }
        }
        dialog.reject();
    });
}

TEST_F(SettingsDialogTest, EveryWayOfClosingRemembersTabAndPlace) {
    const auto window = open();
    using Closer = std::function<void(FrmSettings&)>;
    const std::pair<const char*, Closer> closers[] = {
        {"Cancel", [](FrmSettings& d) { d.control<QPushButton>("cmdCancel")->click(); }},
        {"Escape", [](FrmSettings& d) { key(&d, Qt::Key_Escape); }},
        {"close box", [](FrmSettings& d) { d.close(); }},
        {"Ok", [](FrmSettings& d) { pressOk(d); }},
    };
    int tab = 0;
    for (const auto& [way, close] : closers) {
        const QPoint place(100 + 10 * tab, 60 + 10 * tab);
        withDialog(*window, [&, &close = close](FrmSettings& dialog) {
            dialog.tabStrip()->setCurrentIndex(tab);
            dialog.move(place);
            close(dialog);
        });
        EXPECT_EQ(window->state().settingsTabIndex, tab + 1) << way;
        EXPECT_EQ(window->settings().frmSettings_Top, place.y() * 15) << way;
        EXPECT_EQ(window->settings().frmSettings_Left, place.x() * 15) << way;
        withDialog(*window, [&](FrmSettings& dialog) {
            EXPECT_EQ(dialog.tabStrip()->currentIndex(), tab) << way;
            EXPECT_EQ(dialog.pos(), place) << way;
            dialog.reject();
        });
        ++tab;
    }
    // The edit buttons of the Case and Replace tabs open on their list, whatever was kept.
    withDialog(
        *window,
        [](FrmSettings& dialog) {
            EXPECT_EQ(dialog.tabStrip()->currentKey(), QStringLiteral("exceptions"));
            dialog.reject();
        },
        window->ui().cmdExceptionsEdit);
    withDialog(
        *window,
        [](FrmSettings& dialog) {
            EXPECT_EQ(dialog.tabStrip()->currentKey(), QStringLiteral("batchreplace"));
            dialog.reject();
        },
        window->ui().cmdReplaceEdit);
    EXPECT_EQ(window->state().settingsTabIndex, 6);

    // A place beyond what 16-bit twips hold is not kept: the next opening is centred again.
    withDialog(*window, [](FrmSettings& dialog) {
        dialog.move(2200, 40);
        dialog.reject();
    });
    EXPECT_EQ(window->settings().frmSettings_Top, 0);
    EXPECT_EQ(window->settings().frmSettings_Left, 0);
}

// ---- Cancel ----

TEST_F(SettingsDialogTest, CancelEscapeAndTheCloseBoxChangeNothing) {
    sandbox.program().write("exceptions.txt", "IBM\r\n");
    using Closer = std::function<void(FrmSettings&)>;
    const std::pair<const char*, Closer> closers[] = {
        {"Cancel", [](FrmSettings& d) { d.control<QPushButton>("cmdCancel")->click(); }},
        {"Escape", [](FrmSettings& d) { key(&d, Qt::Key_Escape); }},
        {"close box", [](FrmSettings& d) { d.close(); }},
    };
    const auto window = open();
    const ProgramSettings before = window->settings();
    const engine::TextLists listsBefore = window->lists();
    for (const auto& [way, close] : closers) {
        dir.write("later.txt");
        withDialog(*window, [&, &close = close](FrmSettings& dialog) {
            for (const BoxSetting& row : kBoxSettings) {
                toggle(dialog, row.box);
            }
            sizeBox(dialog, "txtThumbWidth")->setText(QStringLiteral("128"));
            dialog.control<QListWidget>(QStringLiteral("lstExceptions"))->addItem("Extra");
            dialog.batchReplaceEditor().load({{"x", "y", 0, 0, 0, 0}});
            close(dialog);
        });
        for (const BoxSetting& row : kBoxSettings) {
            EXPECT_EQ(window->settings().*row.setting, before.*row.setting) << way << row.box;
            EXPECT_FALSE(stored(row.key).has_value()) << way << row.key;
        }
        EXPECT_EQ(window->settings().thumbsWidth, before.thumbsWidth) << way;
        EXPECT_EQ(window->lists().exceptionsList, listsBefore.exceptionsList) << way;
        EXPECT_EQ(window->lists().batchReplaceList, listsBefore.batchReplaceList) << way;
        EXPECT_EQ(window->ui().lwDirectory->columnCount(), 3) << way;
        EXPECT_FALSE(rows(*window).contains(QStringLiteral("later.txt"))) << way;
        EXPECT_FALSE(window->ui().chkShowTreeview->isVisible()) << way;
        EXPECT_FALSE(QFile::exists(platform::programFolder() + "replace.txt")) << way;
    }
}

// ---- Ok ----

TEST_F(SettingsDialogTest, OkStoresEveryInputAndSavesIt) {
    const auto window = open({{"pathHistorySize", "7"}});
    const ProgramSettings before = window->settings();
    applyInDialog(*window, [](FrmSettings& dialog) {
        for (const BoxSetting& row : kBoxSettings) {
            toggle(dialog, row.box);
        }
        toggle(dialog, "chkRenameAllIfNoneSelected");
        sizeBox(dialog, "txtThumbWidth")->setText(QStringLiteral("96"));
        sizeBox(dialog, "txtThumbHeight")->setText(QStringLiteral("80"));
    });
    const ProgramSettings& after = window->settings();
    for (const BoxSetting& row : kBoxSettings) {
        EXPECT_EQ(after.*row.setting, before.*row.setting == 1 ? 0 : 1) << row.box;
        EXPECT_EQ(stored(row.key), QString::number(after.*row.setting)) << row.key;
    }
    EXPECT_FALSE(after.enableRenameAllIfNoneSelected);
    EXPECT_EQ(stored("enableRenameAllIfNoneSelected"), QStringLiteral("False"));
    EXPECT_EQ(after.thumbsWidth, 96);
    EXPECT_EQ(after.thumbsHeight, 80);
    EXPECT_EQ(stored("thumbsWidth"), QStringLiteral("96"));
    EXPECT_EQ(stored("thumbsHeight"), QStringLiteral("80"));
    EXPECT_EQ(after.pathHistorySize, 7);
    EXPECT_FALSE(platform::isBusy());
}

TEST_F(SettingsDialogTest, OnlyListingInputsReadTheFolderAgain) {
    struct Case {
        const char* input;  // a box to toggle, or the width box
        bool rereads;
    };
    const Case cases[] = {
        {"", false},
        {"chkShowPath", false},
        {"chkLwShowGuidelines", false},
        {"chkLwFullRowSelect", false},
        {"chkCache", false},
        {"chkRenameAllIfNoneSelected", false},
        {"chkStartupInLastDir", false},
        {"chkUncheckSubsdirsAtStartup", false},
        {"chkShellShowQuenza", false},
        {"chkHidden", true},
        {"chkSystem", true},
        {"chkWriteProtected", true},
        {"chkPatternFile", true},
        {"chkPatternDir", true},
        {"chkAlwaysShowDirs", true},
        {"chkHideSystemFolders", true},
        {"chkUseSysIcons", true},
        {"chkEnableTreeview", true},
        {"chkShowAllColumns", true},
        {"chkThumbAspect", true},
        {"chkThumbBorder", true},
        {"txtThumbWidth", true},
    };
    for (const Case& c : cases) {
        const std::string name = std::string("new-") + (c.input[0] ? c.input : "none") + ".txt";
        const auto window = open();
        dir.write(name);  // seen only by a new read
        applyInDialog(*window, [&](FrmSettings& dialog) {
            if (QLatin1String(c.input) == QLatin1String("txtThumbWidth")) {
                sizeBox(dialog, c.input)->setText(QStringLiteral("96"));
            } else if (c.input[0] != '\0') {
                toggle(dialog, c.input);
            }
        });
        EXPECT_EQ(rows(*window).contains(QString::fromStdString(name)), c.rereads) << c.input;
        if (c.input[0] == '\0') {
            // Even without a change everything is saved again, lists included.
            EXPECT_EQ(stored("processHidden"), QStringLiteral("0"));
            EXPECT_TRUE(QFile::exists(platform::programFolder() + "exceptions.txt"));
            EXPECT_TRUE(QFile::exists(platform::programFolder() + "replace.txt"));
        }
    }
}

TEST_F(SettingsDialogTest, ANewThumbnailSizeRebuildsTheImageListsOfBothSources) {
    struct Case {
        const char* change;
        bool rebuilt;
    };
    // The size last: what the first case saves is where the second starts.
    for (const Case& c : {Case{"aspect", false}, Case{"size", true}}) {
        const auto window = open();
        const QPixmap probe(8, 8);
        ASSERT_TRUE(window->sourceImages(1).large.add(QStringLiteral("probe"), probe).ok());
        applyInDialog(*window, [&](FrmSettings& dialog) {
            if (qstrcmp(c.change, "size") == 0) {
                sizeBox(dialog, "txtThumbWidth")->setText(QStringLiteral("96"));
            } else {
                toggle(dialog, "chkThumbAspect");
            }
        });
        EXPECT_EQ(window->sourceImages(1).large.contains(QStringLiteral("probe")), !c.rebuilt)
            << c.change;
        const QSize expected = c.rebuilt ? QSize(96, 64) : QSize(64, 64);
        EXPECT_EQ(window->sourceImages(0).large.imageSize(), expected) << c.change;
        EXPECT_EQ(window->sourceImages(1).large.imageSize(), expected) << c.change;
    }
}

// ---- The size boxes ----

TEST_F(SettingsDialogTest, SizeBoxesTakeDigitsAndAreRepairedOnLeaving) {
    const auto window = open();
    const std::pair<const char*, const char*> repairs[] = {
        {"", "64"}, {"5", "16"}, {"0", "16"}, {"300", "256"}, {"256", "256"}, {"016", "016"},
    };
    withDialog(*window, [&](FrmSettings& dialog) {
        dialog.selectTab(QStringLiteral("interface2"));
        for (const char* name : {"txtThumbWidth", "txtThumbHeight"}) {
            QLineEdit* input = sizeBox(dialog, name);
            for (const auto& [typed, repaired] : repairs) {
                input->setText(QString::fromUtf8(typed));
                QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
                QApplication::sendEvent(input, &leave);
                EXPECT_EQ(input->text(), QString::fromUtf8(repaired)) << name << " " << typed;
            }
            input->clear();
            key(input, Qt::Key_A, QStringLiteral("a"));
            key(input, Qt::Key_Minus, QStringLiteral("-"));
            key(input, Qt::Key_7, QStringLiteral("7"));
            EXPECT_EQ(input->text(), QStringLiteral("7")) << name;
        }
        dialog.reject();
    });
}

TEST_F(SettingsDialogTest, EnterInASizeBoxTakesTheRepairedNumber) {
    // Enter presses "Ok" while the box still has the focus, so its repair on leaving has not
    // run; a text that no typing gives (pasted elsewhere) must not fail "Ok" either.
    const std::pair<const char*, int> cases[] = {
        {"", 64}, {"5", 16}, {"999", 256}, {"abc", 16}, {"120", 120},
    };
    for (const auto& [text, expected] : cases) {
        const auto window = open();
        withDialog(*window, [&, text = text](FrmSettings& dialog) {
            dialog.selectTab(QStringLiteral("interface2"));
            QLineEdit* width = sizeBox(dialog, "txtThumbWidth");
            width->setFocus();
            width->setText(QString::fromUtf8(text));
            key(width, Qt::Key_Return, QStringLiteral("\r"));
        });
        EXPECT_EQ(window->settings().thumbsWidth, expected) << text;
        EXPECT_EQ(window->sourceImages(1).large.imageSize().width(), expected) << text;
    }
}

// ---- What "Ok" carries over to the main window ----

TEST_F(SettingsDialogTest, UntickingTheTreeviewLeavesTheTreeAndTickingOnlyShowsTheBox) {
    const auto window = open({{"enableTreeview", "1"}, {"chkShowTreeview", "1"}});
    QCheckBox* viewAsTree = window->ui().chkShowTreeview;
    ASSERT_TRUE(viewAsTree->isVisible());
    ASSERT_TRUE(window->ui().TreeView->isVisible());
    applyInDialog(*window, [](FrmSettings& dialog) { toggle(dialog, "chkEnableTreeview"); });
    EXPECT_EQ(vbValue(viewAsTree), 0);
    EXPECT_FALSE(viewAsTree->isVisible());
    EXPECT_FALSE(window->ui().TreeView->isVisible());
    EXPECT_TRUE(window->ui().lwDirectory->isVisible());

    applyInDialog(*window, [](FrmSettings& dialog) { toggle(dialog, "chkEnableTreeview"); });
    EXPECT_TRUE(viewAsTree->isVisible());
    EXPECT_EQ(vbValue(viewAsTree), 0);
    EXPECT_TRUE(window->ui().lwDirectory->isVisible());
}

TEST_F(SettingsDialogTest, WhileFreeSelectIsShownTheDirectoryControlsWaitForTheSwitchBack) {
    const auto window = open({{"enableTreeview", "0"}});
    QCheckBox* viewAsTree = window->ui().chkShowTreeview;
    QLineEdit* pattern = window->ui().txtPattern;
    auto& source = window->fileSource();
    struct Round {
        bool treeview;
        bool patterns;
    };
    for (const Round round : {Round{true, false}, Round{false, true}}) {
        source.selectFileSourceTab(QStringLiteral("dragdrop"));
        applyInDialog(*window, [&](FrmSettings& dialog) {
            mainwindow::setVbValue(box(dialog, "chkEnableTreeview"), round.treeview ? 1 : 0);
            mainwindow::setVbValue(box(dialog, "chkPatternFile"), round.patterns ? 1 : 0);
            mainwindow::setVbValue(box(dialog, "chkPatternDir"), 0);
        });
        EXPECT_FALSE(viewAsTree->isVisible());
        EXPECT_FALSE(pattern->isEnabled());
        EXPECT_EQ(window->state().fileMode, 1);

        source.selectFileSourceTab(QStringLiteral("listview"));
        EXPECT_EQ(viewAsTree->isVisible(), round.treeview);
        EXPECT_EQ(pattern->isEnabled(), round.patterns);
    }
}

TEST_F(SettingsDialogTest, ShowAllColumnsAddsAndRemovesTheDetailColumnsOfBothLists) {
    const auto window = open({{"dirColWidth4", "1500"}, {"dragColWidth5", "900"}});
    const QStringList detailKeys{"size", "date", "attrib", "ext", "type", "sizeb"};
    ListView* const lists[] = {window->ui().lwDirectory, window->ui().lwDragDrop};
    const auto showAll = [&](bool on) {
        applyInDialog(*window, [on](FrmSettings& dialog) {
            mainwindow::setVbValue(box(dialog, "chkShowAllColumns"), on ? 1 : 0);
        });
    };
    for (int round = 0; round < 2; ++round) {
        showAll(true);
        for (const ListView* list : lists) {
            ASSERT_EQ(list->columnCount(), 9);
            EXPECT_EQ(columnKeys(list).mid(3), detailKeys);
            EXPECT_EQ(list->columnText(8), QStringLiteral("Size in Bytes"));
            EXPECT_TRUE(list->isColumnHidden(8));
        }
        // The widths loaded at start-up, whatever the columns had when they were removed.
        EXPECT_EQ(window->ui().lwDirectory->columnWidth(3), 100);
        EXPECT_EQ(window->ui().lwDragDrop->columnWidth(4), 60);
        window->ui().lwDirectory->setColumnWidth(3, 33);

        showAll(false);
        for (const ListView* list : lists) {
            EXPECT_EQ(list->columnCount(), 3);
            EXPECT_FALSE(columnKeys(list).contains(QStringLiteral("size")));
        }
        EXPECT_EQ(rows(*window), QStringList{"a.txt"});
        EXPECT_EQ(window->ui().lwDirectory->text(0, 2), folder());
    }
}

TEST_F(SettingsDialogTest, GridLinesAndFullRowSelectionChangeOnBothLists) {
    const auto window = open();
    ListView* const lists[] = {window->ui().lwDirectory, window->ui().lwDragDrop};
    for (const int on : {1, 0}) {
        applyInDialog(*window, [on](FrmSettings& dialog) {
            mainwindow::setVbValue(box(dialog, "chkLwShowGuidelines"), on);
            mainwindow::setVbValue(box(dialog, "chkLwFullRowSelect"), on);
        });
        for (const ListView* list : lists) {
            EXPECT_EQ(list->gridLines(), on == 1);
            EXPECT_EQ(list->fullRowSelect(), on == 1);
        }
    }
}

TEST_F(SettingsDialogTest, OnlyWithoutTheSystemFolderRuleThePathTurnsPlain) {
    for (const int hide : {1, 0}) {
        const auto window = open({{"hideSystemFolders", QString::number(hide)}});
        window->folderSource().setPathRed(true);
        applyInDialog(*window, [](FrmSettings&) {});
        QWidget* path = window->ui().txtPath->lineEdit();
        EXPECT_EQ(path->palette().color(QPalette::Text) == QColor(255, 0, 0), hide == 1) << hide;
    }
}

// ---- The lists ----

TEST_F(SettingsDialogTest, TheEditorsRowsReachTheListsTheLabelAndTheFiles) {
    using Item = engine::BatchReplaceItem;
    const QList<QList<Item>> batches = {
        {},
        {Item{"a", "b", 1, 0, 2, 3}},
        {Item{"a", "b", 1, 0, 2, 3}, Item{"old", "", 0, 1, 0, 0}},
    };
    const QStringList captions = {"0 items in batch replace list...",
                                  "1 item in batch replace list...",
                                  "2 items in batch replace list..."};
    for (qsizetype n = 0; n < batches.size(); ++n) {
        // Each round starts without the lists the one before saved.
        QFile::remove(platform::programFolder() + "exceptions.txt");
        QFile::remove(platform::programFolder() + "replace.txt");
        const auto window = open();
        const QStringList words = n == 0 ? QStringList() : QStringList{"IBM", "McDonald"};
        withDialog(
            *window,
            [&](FrmSettings& dialog) {
                dialog.exceptionsEditor().load(words);
                dialog.batchReplaceEditor().load(batches[n]);
                pressOk(dialog);
            },
            window->ui().cmdReplaceEdit);
        // With no word the list keeps its one empty entry.
        const QStringList expectedWords = words.isEmpty() ? QStringList{QString()} : words;
        EXPECT_EQ(window->lists().exceptionsList, expectedWords) << n;
        EXPECT_EQ(window->lists().batchReplaceList, batches[n]) << n;
        EXPECT_EQ(window->ui().lblBatchReplace->text(), captions[n]) << n;

        settings::ErrorMemory errors;
        const QString program = platform::programFolder();
        EXPECT_EQ(settings::readBatchReplace(program, errors), batches[n]) << n;
        EXPECT_EQ(settings::readExceptions(program, errors), expectedWords) << n;
    }
}

// A list the start refused (here: larger than any list) is not the user's wish for an empty
// list: "Ok" leaves its file alone until that list is edited in the dialog.
TEST_F(SettingsDialogTest, AListRefusedAtStartIsWrittenOnlyOnceItIsEdited) {
    std::string bigExceptions;
    std::string bigReplace;
    while (bigReplace.size() <= (5u << 20)) {
        bigReplace += "find/replace/0/0/0/0\r\n";
    }
    while (bigExceptions.size() <= (5u << 20)) {
        bigExceptions += "Word\r\n";
    }
    sandbox.program().write("exceptions.txt", bigExceptions);
    sandbox.program().write("replace.txt", bigReplace);
    const std::string exceptionsFile = sandbox.program().file("exceptions.txt");
    const std::string replaceFile = sandbox.program().file("replace.txt");
    auto window = open();

    applyInDialog(*window, [](FrmSettings&) {});
    EXPECT_TRUE(testsupport::readAll(exceptionsFile) == bigExceptions);
    EXPECT_TRUE(testsupport::readAll(replaceFile) == bigReplace);

    applyInDialog(*window, [](FrmSettings& dialog) { dialog.exceptionsEditor().load({"IBM"}); });
    EXPECT_TRUE(testsupport::readAll(exceptionsFile) == "IBM\r\n");
    EXPECT_TRUE(testsupport::readAll(replaceFile) == bigReplace);

    // Closing saves too: the edited list stays written, the other one stays untouched.
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(testsupport::readAll(exceptionsFile) == "IBM\r\n");
    EXPECT_TRUE(testsupport::readAll(replaceFile) == bigReplace);
}

// ---- The openers ----

TEST_F(SettingsDialogTest, TheSettingsButtonWaitsForStartUpAndMarksAPreviewAfterwards) {
    auto early = load();
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = QApplication::activeModalWidget()) {
            opened = true;
            dialog->close();
        }
    });
    early->ui().cmdSettings->click();
    QApplication::processEvents();
    EXPECT_FALSE(opened);
    early.reset();

    const auto window = open();
    window->state().stopPreview();
    window->setPanelText(QStringLiteral("selected"), QString());
    withDialog(*window, [](FrmSettings& dialog) { dialog.reject(); });
    EXPECT_TRUE(window->state().previewPending);
    EXPECT_EQ(window->panelText(QStringLiteral("selected")), QStringLiteral("0 items selected..."));

    // The list buttons run nothing afterwards.
    for (QAbstractButton* opener : std::initializer_list<QAbstractButton*>{
             window->ui().cmdExceptionsEdit, window->ui().cmdReplaceEdit}) {
        window->state().stopPreview();
        withDialog(
            *window, [](FrmSettings& dialog) { dialog.reject(); }, opener);
        EXPECT_FALSE(window->state().previewPending);
    }
}

}  // namespace

namespace {

TEST_F(SettingsDialogTest, EditingEitherListThroughItsTabButtonPreviewsAgain) {
    // The Case tab lower-cases with exceptions; a word added to them changes what a run does.
    dir.write("IBM_PC_History.TXT");
    sandbox.program().write("replace.txt", "x/y/0/0/0/0\r\nq/z/0/0/0/0\r\n");
    const auto window = open({{"tabStrip", "2"},
                              {"Case1", "2"},
                              {"exceptionsEnabled", "1"},
                              {"chkRealtimePreview", "1"}});
    platform::ListView* list = window->ui().lwDirectory;
    const auto previewOf = [&](const QString& name) {
        window->modePanels().tmrPreviewTimer();
        for (int row = 0; row < list->rowCount(); ++row) {
            if (list->text(row) == name) {
                return list->text(row, 1);
            }
        }
        return QStringLiteral("(no row)");
    };
    const QString name = QStringLiteral("IBM_PC_History.TXT");
    ASSERT_EQ(previewOf(name), QStringLiteral("ibm_pc_history.txt"));

    messages.inputs.push_back(QStringLiteral("IBM"));
    withDialog(
        *window,
        [](FrmSettings& dialog) {
            dialog.control<QPushButton>(QStringLiteral("cmdExceptionsAdd"))->click();
            pressOk(dialog);
        },
        window->ui().cmdExceptionsEdit);
    EXPECT_TRUE(window->state().previewPending);
    EXPECT_EQ(previewOf(name), QStringLiteral("IBM_pc_history.txt"));

    // Moving a batch row changes what a run does as well; "Ok" with the lists unchanged
    // leaves the preview as it was.
    for (const bool move : {false, true}) {
        window->state().stopPreview();
        withDialog(
            *window,
            [move](FrmSettings& dialog) {
                auto* rows = dialog.control<ListView>(QStringLiteral("lwBatchReplace"));
                ASSERT_EQ(rows->rowCount(), 2);
                if (move) {
                    rows->selectRow(1);
                    rows->setCurrentRow(1);
                    dialog.control<QPushButton>(QStringLiteral("cmdBatchReplaceUp"))->click();
                }
                pressOk(dialog);
            },
            window->ui().cmdReplaceEdit);
        EXPECT_EQ(window->state().previewPending, move);
    }
}

}  // namespace

namespace {

TEST_F(SettingsDialogTest, EnterFromEveryControlPressesOk) {
    // Keys as the window delivers them: to the control with the focus, then up its frames.
    const char* const controls[] = {"txtThumbWidth", "txtThumbHeight", "chkThumbAspect",
                                    "chkCache"};
    for (const char* name : controls) {
        for (const int enter : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
            const auto window = open();
            bool closedByOk = false;
            withDialog(*window, [&](FrmSettings& dialog) {
                dialog.selectTab(QStringLiteral("interface2"));
                auto* control = dialog.control<QWidget>(QString::fromUtf8(name));
                control->setFocus(Qt::TabFocusReason);
                if (auto* box = qobject_cast<QLineEdit*>(control)) {
                    box->setText(QStringLiteral("5"));
                }
                QObject::connect(&dialog, &QDialog::accepted, [&] { closedByOk = true; });
                const Qt::KeyboardModifiers modifiers =
                    enter == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
                QKeyEvent press(QEvent::KeyPress, enter, modifiers, QStringLiteral("\r"));
                QApplication::sendEvent(dialog.windowHandle(), &press);
            });
            EXPECT_TRUE(closedByOk) << name << " " << enter;
            if (QLatin1String(name).startsWith(QLatin1String("txt"))) {
                // The box's repair ran first, as inside "Ok".
                const ProgramSettings& s = window->settings();
                EXPECT_EQ(name == QLatin1String("txtThumbWidth") ? s.thumbsWidth : s.thumbsHeight,
                          16)
                    << name;
            }
        }
    }
}

}  // namespace

namespace {

TEST_F(SettingsDialogTest, TheBatchListShowsAllSixColumnsWithWholeHeaders) {
    const auto window = open();
    withDialog(*window, [](FrmSettings& dialog) {
        dialog.selectTab(QStringLiteral("batchreplace"));
        auto* list = dialog.control<ListView>(QStringLiteral("lwBatchReplace"));
        auto* report = list->findChild<QTreeView*>();
        ASSERT_NE(report, nullptr);
        QApplication::processEvents();
        int right = 0;
        for (int column = 0; column < list->columnCount(); ++column) {
            right += report->columnWidth(column);
            EXPECT_GE(report->columnWidth(column),
                      report->header()->fontMetrics().horizontalAdvance(list->columnText(column)))
                << list->columnText(column).toStdString();
        }
        EXPECT_LE(right, report->viewport()->width());
        dialog.reject();
    });
}

}  // namespace
