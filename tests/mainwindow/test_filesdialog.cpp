// The Add Files dialog: every file of a folder listed whatever bytes its name holds, several
// chosen at once and given back with their exact bytes, the start folder and the way to other
// folders, Enter and Escape, names for screen readers, and Add Files taking what it gives.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>

#include <functional>
#include <string>

#include "mainwindow/dialogs/filesdialog.h"
#include "mainwindow/dialogs/foldertree.h"
#include "mainwindow/freeselect.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"
#include "platform/widgets/filedialog.h"
#include "platform/widgets/listview.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::FilesBrowser;
using testsupport::TempDir;

const QString kTitle = QStringLiteral("Select Files To Add");
const std::string kBadName = "bad\xE9name.txt";
const std::string kUtf8Name = "caf\xC3\xA9.txt";

QString path(const std::string& native) {
    return platform::fromNativePath(native);
}

QStringList listed(const FilesBrowser& browser) {
    QStringList names;
    for (int row = 0; row < browser.files()->count(); ++row) {
        names << browser.files()->item(row)->text();
    }
    return names;
}

void pick(FilesBrowser& browser, const QStringList& names) {
    for (int row = 0; row < browser.files()->count(); ++row) {
        QListWidgetItem* item = browser.files()->item(row);
        item->setSelected(names.contains(item->text()));
    }
}

void pressKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

class FilesDialogTest : public ::testing::Test {
protected:
    FilesDialogTest() {
        root.write(kBadName, "bad");
        root.write(kUtf8Name, "utf8");
        root.write("plain.txt", "plain");
        root.mkdir("sub");
        root.write("sub/inner.txt");
    }

    TempDir root;
};

TEST_F(FilesDialogTest, ListsEveryFileOfTheStartFolderAndGivesBackTheExactBytes) {
    FilesBrowser browser(nullptr, kTitle, path(root.path()));
    browser.show();
    EXPECT_EQ(browser.windowTitle(), kTitle);
    EXPECT_EQ(browser.folder(), path(root.path()));
    // Folders are in the tree, not among the files.
    const QStringList names = listed(browser);
    ASSERT_EQ(names.size(), 3) << names.join(u'|').toStdString();
    EXPECT_TRUE(names.contains(path(kBadName)));
    EXPECT_TRUE(names.contains(path(kUtf8Name)));
    EXPECT_TRUE(names.contains(QStringLiteral("plain.txt")));
    EXPECT_FALSE(browser.openButton()->isEnabled());

    pick(browser, {path(kBadName)});
    EXPECT_TRUE(browser.openButton()->isEnabled());
    browser.openButton()->click();
    EXPECT_EQ(browser.result(), QDialog::Accepted);
    ASSERT_EQ(browser.chosenFiles().size(), 1);
    EXPECT_EQ(platform::nativePath(browser.chosenFiles().constFirst()), root.file(kBadName));
}

TEST_F(FilesDialogTest, SeveralFilesComeBackInTheListsOrderAndEnterOpensThem) {
    FilesBrowser browser(nullptr, kTitle, path(root.path() + "/"));
    browser.show();
    pick(browser, {QStringLiteral("plain.txt"), path(kBadName), path(kUtf8Name)});
    pressKey(browser.files(), Qt::Key_Return);
    EXPECT_EQ(browser.result(), QDialog::Accepted);
    QStringList expected;
    for (const QString& name : listed(browser)) {
        expected << path(root.path()) + u'/' + name;
    }
    EXPECT_EQ(browser.chosenFiles(), expected);
    for (const QString& chosen : browser.chosenFiles()) {
        EXPECT_TRUE(platform::fs::isFile(platform::nativePath(chosen)))
            << platform::nativePath(chosen);
    }
}

TEST_F(FilesDialogTest, EscapeCancelAndEnterWithNothingChosenGiveNothing) {
    const std::function<void(FilesBrowser&)> ways[] = {
        [](FilesBrowser& browser) { browser.cancelButton()->click(); },
        [](FilesBrowser& browser) { pressKey(browser.files(), Qt::Key_Escape); },
        [](FilesBrowser& browser) { pressKey(browser.files(), Qt::Key_Return); },
    };
    for (const auto& way : ways) {
        FilesBrowser browser(nullptr, kTitle, path(root.path()));
        browser.show();
        way(browser);
        EXPECT_NE(browser.result(), QDialog::Accepted);
        EXPECT_TRUE(browser.chosenFiles().isEmpty());
    }
}

TEST_F(FilesDialogTest, OtherFoldersAreReachedThroughTheTree) {
    // A start folder that is gone opens the nearest folder above it.
    FilesBrowser browser(nullptr, kTitle, path(root.file("gone/deeper")));
    browser.show();
    EXPECT_EQ(browser.folder(), path(root.path()));

    browser.folders()->setCurrentIndex(browser.model()->index(path(root.file("sub"))));
    EXPECT_EQ(listed(browser), QStringList{QStringLiteral("inner.txt")});
    pick(browser, {QStringLiteral("inner.txt")});
    browser.accept();
    EXPECT_EQ(browser.chosenFiles(), QStringList{path(root.file("sub/inner.txt"))});
}

TEST_F(FilesDialogTest, EveryControlIsNamedAfterItsCaptionAndOpenIsTheDefault) {
    FilesBrowser browser(nullptr, kTitle, path(root.path()));
    EXPECT_EQ(browser.folders()->accessibleName(), QStringLiteral("Folders"));
    EXPECT_EQ(browser.files()->accessibleName(), QStringLiteral("Files"));
    EXPECT_EQ(browser.fileTypes()->accessibleName(), QStringLiteral("Files of type"));
    EXPECT_EQ(browser.fileTypes()->currentText(), QStringLiteral("All Files"));
    EXPECT_EQ(browser.openButton()->text(), QStringLiteral("Open"));
    EXPECT_EQ(browser.cancelButton()->text(), QStringLiteral("Cancel"));
    EXPECT_TRUE(browser.openButton()->isDefault());
}

TEST_F(FilesDialogTest, NobodyToAnswerMeansCancelledAtOnce) {
    // The tests run offscreen, where nobody can answer: the service must not wait.
    mainwindow::FilesDialog service;
    EXPECT_TRUE(service.chooseFiles(nullptr, kTitle, path(root.path())).isEmpty());
}

// Add Files through the dialog itself: the file whose name is not UTF-8 is chosen in the
// dialog and lands in Free Select with its bytes.
class PickingFilesDialog : public platform::OpenFilesService {
public:
    explicit PickingFilesDialog(std::string name) : name_(std::move(name)) {
        platform::setOpenFilesService(this);
    }
    ~PickingFilesDialog() override { platform::setOpenFilesService(nullptr); }
    PickingFilesDialog(const PickingFilesDialog&) = delete;
    PickingFilesDialog& operator=(const PickingFilesDialog&) = delete;

    QStringList chooseFiles(QWidget* owner, const QString& title, const QString& start) override {
        FilesBrowser browser(owner, title, start);
        browser.show();
        pick(browser, {path(name_)});
        browser.openButton()->click();
        return browser.chosenFiles();
    }

private:
    std::string name_;
};

class AddFilesTest : public testsupport::WindowTest {};

TEST_F(AddFilesTest, AFileWhoseNameIsNotUtf8IsAddedWithItsBytes) {
    TempDir folder;
    folder.write(kBadName, "bad");
    folder.write("plain.txt");
    PickingFilesDialog dialog(kBadName);
    auto window = start({QStringLiteral("/p"), path(folder.path())});
    window->sourceSwitch().selectFileSourceTab(QStringLiteral("dragdrop"));

    window->ui().cmdDragDropAdd->click();
    ASSERT_EQ(window->state().lstFiles[1].size(), 1);
    EXPECT_EQ(platform::nativePath(window->state().lstFiles[1].constFirst()),
              folder.file(kBadName));
    const platform::ListView* rows = window->ui().lwDragDrop;
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(platform::nativePath(rows->text(0, 2) + rows->text(0, 0)), folder.file(kBadName));
}

}  // namespace
