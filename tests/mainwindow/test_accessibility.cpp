// The window as assistive technology and test robots see it: the rules read a control's own
// enabled setting, not the disabled state a run window puts on the whole window; the tabs are
// reported where they are drawn; inputs are named after their labels.
#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "mainwindow/dialogs/batchreplaceitem.h"
#include "mainwindow/dialogs/getposition.h"
#include "mainwindow/dialogs/settingsdialog.h"
#include "mainwindow/tabstrip.h"
#include "mainwindow/widgetvalues.h"
#include "platform/widgets/listview.h"
#include "runs/runwindow.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using testsupport::TempDir;
using testsupport::WindowTest;

class AccessibilityTest : public WindowTest {};

QStringList previewColumn(const platform::ListView* list) {
    QStringList cells;
    for (int row = 0; row < list->rowCount(); ++row) {
        cells.append(list->text(row, 1));
    }
    return cells;
}

TEST_F(AccessibilityTest, AnOpenRunWindowLeavesRenameAndThePreviewAsTheyWere) {
    TempDir folder;
    for (const char* name : {"file1.txt", "file2.txt", "keep.txt"}) {
        folder.write(name, name);
    }
    sandbox.store({{"txtPath", QString::fromStdString(folder.path()) + "/"},
                   {"tabStrip", "1"},
                   {"optReplace", "0"},
                   {"txtFind", "file"},
                   {"txtReplace", "item"},
                   {"chkOnlyRenameSelected", "1"},
                   {"chkSimulation", "1"}});
    const auto window = start();
    platform::ListView* list = window->ui().lwDirectory;
    ASSERT_EQ(list->rowCount(), 3);
    list->selectAll();
    window->fileSource().updateSelectedCount(0);
    window->modePanels().optionsChanged();
    window->modePanels().tmrPreviewTimer();
    const QStringList before = previewColumn(list);
    ASSERT_EQ(before.count(QString()), 1) << before.join("|").toStdString();
    ASSERT_TRUE(window->ui().cmdExecute->isEnabled());

    window->ui().cmdExecute->click();
    ASSERT_NE(window->runWindow(), nullptr);
    ASSERT_TRUE(window->runWindow()->isVisible());
    ASSERT_FALSE(window->isEnabled());  // the run window holds the main window meanwhile
    // Whatever validates behind the run window sees Rename! and the include boxes as set.
    window->modePanels().optionsChanged();
    window->modePanels().tmrPreviewTimer();
    EXPECT_TRUE(mainwindow::enabledSetting(window->ui().cmdExecute));
    EXPECT_EQ(previewColumn(list), before);
    EXPECT_EQ(window->panelText(QStringLiteral("preview")), QStringLiteral("2 items to rename..."));
}

TEST_F(AccessibilityTest, TabsAreReportedWhereTheyAreDrawn) {
    const auto window = start();
    auto* strip = window->control<mainwindow::TabStrip>(QStringLiteral("TabStrip"));
    ASSERT_NE(strip, nullptr);
    ASSERT_GE(strip->rowCount(), 2);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(strip);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::PageTabList);
    ASSERT_EQ(list->childCount(), strip->count());
    for (int i = 0; i < strip->count(); ++i) {
        QAccessibleInterface* tab = list->child(i);
        ASSERT_NE(tab, nullptr);
        const QRect drawn(strip->mapToGlobal(strip->tabArea(i).topLeft()),
                          strip->tabArea(i).size());
        EXPECT_EQ(tab->rect(), drawn) << i;
        EXPECT_EQ(tab->text(QAccessible::Name), mainwindow::labelCaption(strip->tabText(i)));
        EXPECT_EQ(list->childAt(drawn.center().x(), drawn.center().y()), tab) << i;
        EXPECT_EQ(list->indexOfChild(tab), i);
    }
    // Pressing the reported tab selects that tab.
    QAccessibleInterface* enumTab = nullptr;
    for (int i = 0; i < strip->count(); ++i) {
        if (strip->tabKey(i) == QLatin1String("Enum")) {
            enumTab = list->child(i);
        }
    }
    ASSERT_NE(enumTab, nullptr);
    enumTab->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(window->modeTabKey(), QStringLiteral("Enum"));
    EXPECT_TRUE(enumTab->state().selected);
}

TEST_F(AccessibilityTest, InputsAreNamedAfterTheirLabels) {
    const auto window = load();
    const struct {
        const char* input;
        const char* name;
    } cases[] = {
        {"txtFind", "Look for..."},    {"txtReplace", "... and replace with:"},
        {"txtReplaceStart", "Start:"}, {"txtReplaceCount", "Count:"},
        {"txtMp3Format", "Pattern:"},
    };
    for (const auto& c : cases) {
        auto* box = window->control<QWidget>(QString::fromUtf8(c.input));
        ASSERT_NE(box, nullptr) << c.input;
        QAccessibleInterface* described = QAccessible::queryAccessibleInterface(box);
        ASSERT_NE(described, nullptr);
        EXPECT_EQ(described->text(QAccessible::Name), QString::fromUtf8(c.name)) << c.input;
    }
    // Icon-only buttons are named after their tooltips.
    auto* assist = window->control<QWidget>(QStringLiteral("cmdReplaceGetPosition"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(assist)->text(QAccessible::Name),
              QStringLiteral("Open visual assist window..."));
}

QString accessibleName(QWidget* widget) {
    QAccessibleInterface* described = QAccessible::queryAccessibleInterface(widget);
    return described ? described->text(QAccessible::Name) : QStringLiteral("(none)");
}

// Every input a person can reach in `root` carries a name as it reads on the screen: not
// empty, no padding blanks, no mnemonic mark ("&&" reads as one "&").
void expectEveryInputNamed(QWidget* root, const char* where) {
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        // A drop-down list reads as its text on this desktop, named by its label's relation;
        // the text box of an editable one is named as the box itself.
        const QWidget* owner = widget->parentWidget();
        const bool input =
            qobject_cast<QAbstractButton*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
            (qobject_cast<QLineEdit*>(widget) && !qobject_cast<const QAbstractSpinBox*>(owner));
        const QString control =
            qobject_cast<const QComboBox*>(owner) ? owner->objectName() : widget->objectName();
        if (!input || control.isEmpty() || control.startsWith(QLatin1String("qt_"))) {
            continue;
        }
        const std::string name = accessibleName(widget).toStdString();
        const std::string shown =
            mainwindow::labelCaption(accessibleName(widget).replace(u'&', QStringLiteral("&&")))
                .trimmed()
                .toStdString();
        EXPECT_FALSE(name.empty()) << where << " " << control.toStdString();
        EXPECT_EQ(name, shown) << where << " " << control.toStdString();
    }
}

TEST_F(AccessibilityTest, EveryControlIsNamedAfterWhatASightedUserReads) {
    TempDir folder;
    folder.write("a.txt");
    const auto window = start({QStringLiteral("/p"), QString::fromStdString(folder.path())});
    const struct {
        const char* control;
        const char* name;
    } cases[] = {
        {"chkEnumTab_Enum", "Sequential Renaming"},
        {"chkEnumTab_Normalize", "Normalize Numbers"},
        {"optReplaceSingle", "Single Replace"},
        {"txtEnumZeros", "Zero Padding: Digits"},
        {"txtNormalize", "Zero Padding: Digits"},
        {"txtPath", "Working directory"},
        {"txtPattern", "Pattern Mask"},
        {"chkFiles", "Files"},
    };
    for (const auto& c : cases) {
        auto* control = window->control<QWidget>(QString::fromUtf8(c.control));
        ASSERT_NE(control, nullptr) << c.control;
        if (auto* editable = qobject_cast<QComboBox*>(control)) {
            control = editable->lineEdit();
        }
        EXPECT_EQ(accessibleName(control).toStdString(), c.name) << c.control;
    }
    expectEveryInputNamed(window.get(), "main window");

    mainwindow::FrmSettings settings(*window);
    EXPECT_EQ(accessibleName(settings.control<QWidget>(QStringLiteral("txtThumbWidth"))),
              QStringLiteral("Width:"));
    EXPECT_EQ(accessibleName(settings.control<QWidget>(QStringLiteral("txtThumbHeight"))),
              QStringLiteral("Height:"));
    auto* strip = settings.findChild<mainwindow::TabStrip*>();
    ASSERT_NE(strip, nullptr);
    QStringList tabs;
    for (int i = 0; i < strip->count(); ++i) {
        tabs.append(
            QAccessible::queryAccessibleInterface(strip)->child(i)->text(QAccessible::Name));
    }
    EXPECT_TRUE(tabs.contains(QStringLiteral("Icons & Thumbnails")))
        << tabs.join('|').toStdString();
    expectEveryInputNamed(&settings, "settings");

    mainwindow::BatchReplaceItemDialog item(0, {});
    expectEveryInputNamed(&item, "batch item");
    mainwindow::GetPositionDialog position(mainwindow::PickMode::PositionAndLength,
                                           {QStringLiteral("a.txt")}, 0, {});
    expectEveryInputNamed(&position, "position");
}

TEST_F(AccessibilityTest, TheModeTabsKeepTheirAmpersand) {
    const auto window = load();
    auto* strip = window->control<mainwindow::TabStrip>(QStringLiteral("TabStrip"));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(strip);
    QStringList names;
    for (int i = 0; i < list->childCount(); ++i) {
        names.append(list->child(i)->text(QAccessible::Name));
    }
    for (const char* name : {"Find & Replace", "Attributes & Date", "Add & Crop"}) {
        EXPECT_TRUE(names.contains(QString::fromUtf8(name)))
            << name << " in " << names.join('|').toStdString();
    }
}

TEST_F(AccessibilityTest, AnAttributeBoxLeftAsItIsReportsMixed) {
    const auto window = load();
    QCheckBox* box = window->ui().chkR;
    const struct {
        int value;
        bool checked;
        bool mixed;
    } cases[] = {{0, false, false}, {1, true, false}, {2, false, true}};
    for (const auto& c : cases) {
        mainwindow::setVbValue(box, c.value);
        const QAccessible::State state = QAccessible::queryAccessibleInterface(box)->state();
        EXPECT_TRUE(state.checkable) << c.value;
        EXPECT_EQ(bool(state.checked), c.checked) << c.value;
        EXPECT_EQ(bool(state.checkStateMixed), c.mixed) << c.value;
    }
}

}  // namespace
