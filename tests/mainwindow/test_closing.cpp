// Closing the main window: refused while the program is busy, otherwise every setting, the
// folder history, the lists and the geometry are saved and a new window finds them as they
// were. The keys F1 and F12.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimeEdit>

#include <filesystem>
#include <map>
#include <string>

#include "mainwindow/widgetvalues.h"
#include "mainwindow/windowkeys.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/documents.h"
#include "settings/keys.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::FrmMain;
using testsupport::TempDir;
using testsupport::WindowTest;

// Every input the settings keep, by the stored key's control: its value as text.
std::map<QString, QString> inputValues(const FrmMain& window) {
    std::map<QString, QString> values;
    for (const settings::KeyDef& key : settings::settingsKeys()) {
        const auto* control = std::get_if<settings::Control>(&key.target);
        if (!control || key.load == settings::LoadRule::NotLoaded ||
            control->name == QLatin1String("txtPath")) {
            continue;
        }
        if (const auto* box = window.control<QCheckBox>(control->name)) {
            values[control->name] = QString::number(mainwindow::vbValue(box));
        } else if (const auto* text = window.control<QLineEdit>(control->name)) {
            values[control->name] = text->text();
        } else if (const auto* date = window.control<QDateEdit>(control->name)) {
            values[control->name] = date->date().toString(Qt::ISODate);
        } else if (const auto* time = window.control<QTimeEdit>(control->name)) {
            values[control->name] = time->time().toString(Qt::ISODate);
        }
    }
    for (const QString& name : window.controlNames()) {
        if (const auto* option = window.control<QRadioButton>(name)) {
            values[name] = option->isChecked() ? "on" : "off";
        }
    }
    values["tab"] = window.modeTabKey();
    return values;
}

class ClosingTest : public WindowTest {
protected:
    void TearDown() override { platform::setDocumentOpener({}); }
    QString path(const TempDir& dir) const {
        return QString::fromStdString(dir.path()) + QLatin1Char('/');
    }
    void openFolder(FrmMain& window, const TempDir& dir) {
        window.ui().txtPath->setEditText(path(dir));
        window.folderSource().txtPathLostFocus();
    }
    static void press(FrmMain& window, int key, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &event);
        QApplication::processEvents();
    }
};

TEST_F(ClosingTest, EverythingSavedOnClosingComesBackInTheNextWindow) {
    TempDir first;
    TempDir second;
    sandbox.program().write("exceptions.txt", "IBM\r\nMcDonald\r\n");
    sandbox.program().write("replace.txt", "a/b/1/0/7/3\r\n");
    std::map<QString, QString> before;
    QRect geometry;
    sandbox.store({{"uncheckSubsdirsAtStartup", "0"}});  // else the next start clears chkSub
    {
        const auto window = start();
        // Every kind of input: check boxes (a grey one too), texts with characters the INI
        // format treats specially, option buttons, a mode tab, the date and time pickers.
        auto& ui = window->ui();
        mainwindow::setVbValue(ui.chkSub, 1);
        mainwindow::setVbValue(ui.chkSimulation, 1);
        mainwindow::setVbValue(ui.chkR, 2);
        mainwindow::setVbValue(ui.chkH, 1);
        mainwindow::setVbValue(ui.chkMp3UseID3v2, 0);
        ui.txtFind->setText(" find; this, \"and\" = #that ");
        ui.txtReplace->setText("x\\y");
        ui.txtMp3Format->setText("<TRACKN>. <TITLE>");
        ui.txtFormat->setText("<NAME>_<WIDTH>.<EXT>");
        ui.txtEnumStart->setText("7");
        ui.optReplaceBatch->setChecked(true);
        ui.Case1_6->setChecked(true);
        ui.optCrop->setChecked(true);
        ui.chkEnumTab_Normalize->setChecked(true);
        ui.dtDate->setDate(QDate(2001, 2, 3));
        ui.dtTime->setTime(QTime(4, 5, 6));
        ui.TabStrip->setCurrentIndex(6);  // "Add & Crop"
        // Two folders into the history, the second one open when the window closes.
        openFolder(*window, first);
        openFolder(*window, second);
        window->resize(900, 700);
        QApplication::processEvents();
        geometry = window->geometry();
        before = inputValues(*window);
        EXPECT_TRUE(window->close());
    }
    EXPECT_EQ(testsupport::readAll(sandbox.program().file("errors.txt")).find("Error saving"),
              std::string::npos);

    const auto window = start();
    const std::map<QString, QString> after = inputValues(*window);
    for (const auto& [name, value] : before) {
        EXPECT_EQ(after.count(name) ? after.at(name) : "(none)", value) << name.toStdString();
    }
    EXPECT_EQ(window->ui().txtPath->currentText(), path(second));
    ASSERT_GE(window->ui().txtPath->count(), 2);
    EXPECT_EQ(window->ui().txtPath->itemText(0), path(second));
    EXPECT_EQ(window->ui().txtPath->itemText(1), path(first));
    EXPECT_EQ(window->lists().exceptionsList, QStringList({"IBM", "McDonald"}));
    ASSERT_EQ(window->lists().batchReplaceList.size(), 1);
    EXPECT_EQ(window->lists().batchReplaceList.at(0).find, "a");
    // The saved size is the outer size: the window comes back as large as it was, not larger
    // by its frame at every start.
    EXPECT_EQ(window->geometry().size(), geometry.size());
}

TEST_F(ClosingTest, ClosingIsRefusedWhileBusy) {
    const auto window = start();
    window->ui().txtFind->setText("saved on closing");
    {
        const platform::BusyScope busy;
        EXPECT_FALSE(window->close());
        EXPECT_TRUE(window->isVisible());
    }
    EXPECT_EQ(settings::SettingsStore().read("txtFind"), std::nullopt);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(settings::SettingsStore().read("txtFind"), "saved on closing");
}

TEST_F(ClosingTest, TheGeometryFollowsResizesButNotMaximizing) {
    const auto window = start();
    window->resize(800, 640);
    QApplication::processEvents();
    const settings::ProgramSettings& values = window->settings();
    EXPECT_EQ(values.Main_Width, window->frameGeometry().width() * 15);
    EXPECT_EQ(values.Main_Height, window->frameGeometry().height() * 15);
    EXPECT_EQ(values.Main_Maximized, 0);
    const qint16 width = values.Main_Width;
    window->showMaximized();
    QApplication::processEvents();
    EXPECT_EQ(values.Main_Maximized, 2);
    EXPECT_EQ(values.Main_Width, width);
    window->showMinimized();
    QApplication::processEvents();
    EXPECT_EQ(values.Main_Maximized, 2);
}

TEST_F(ClosingTest, HugePositionsAreClampedNotOverflowed) {
    const auto window = start();
    window->move(40000, 40000);  // 600,000 twips: far beyond 16 bits
    window->resize(3000, 2500);
    QApplication::processEvents();
    window->modePanels().tmrPreviewTimer();
    const settings::ProgramSettings& values = window->settings();
    EXPECT_GE(values.Main_Left, 0);
    EXPECT_LE(values.Main_Width, 32767);
    EXPECT_TRUE(window->close());
}

TEST_F(ClosingTest, F1OpensTheHelpPageAndF12ReadsTheFolderAgain) {
    QStringList opened;
    platform::setDocumentOpener([&opened](const QString& document) { opened << document; });
    TempDir folder;
    folder.write("a.txt", "a");
    sandbox.program().write("help.html", "<p>help</p>");
    const auto window = start();
    openFolder(*window, folder);
    press(*window, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(opened, QStringList{QString::fromStdString(sandbox.program().file("help.html"))});
    window->ui().cmdHelp->click();  // the Help button does the same
    EXPECT_EQ(opened.size(), 2);

    folder.write("b.txt", "b");
    EXPECT_EQ(window->ui().lwDirectory->rowCount(), 1);
    press(*window, Qt::Key_F12, Qt::ControlModifier);
    EXPECT_EQ(window->ui().lwDirectory->rowCount(), 2);
}

}  // namespace
