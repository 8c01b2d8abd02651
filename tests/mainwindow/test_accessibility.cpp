// The window as assistive technology and test robots see it: the rules read a control's own
// enabled setting, not the disabled state a run window puts on the whole window; the tabs are
// reported where they are drawn; inputs are named after their labels.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

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
        EXPECT_EQ(tab->text(QAccessible::Name), strip->tabText(i).remove(u'&'));
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

}  // namespace
