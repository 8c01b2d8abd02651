// The folder dialog: the start folder selected and in view, the status line following the
// selection, what OK gives (exact bytes, no trailing "/"), every way of cancelling, and start
// folders that do not exist or that Qt cannot name.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <functional>

#include "mainwindow/dialogs/folderdialog.h"
#include "platform/programfolder.h"
#include "tests/support/fakemessages.h"
#include "tests/support/tempdir.h"

namespace {

using mainwindow::FolderBrowser;
using mainwindow::FolderDialog;
using testsupport::TempDir;

const QString kTitle = QStringLiteral("Choose Working Directory:");

QString path(const std::string& native) {
    return platform::fromNativePath(native);
}

// The folder tree is read on a thread of its own; every wait is bounded.
bool waitFor(const std::function<bool()>& done, int milliseconds = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

// The folders a browser's model has finished reading, from the moment it was made.
class LoadWatch {
public:
    explicit LoadWatch(const FolderBrowser& browser) {
        QObject::connect(browser.model(), &QFileSystemModel::directoryLoaded, browser.model(),
                         [this](const QString& folder) { loaded_.insert(folder); });
    }
    bool waitFor(const QString& folder) {
        return ::waitFor([&] { return loaded_.contains(folder); });
    }

private:
    QSet<QString> loaded_;
};

QString selectedPath(const FolderBrowser& browser) {
    const QModelIndexList rows = browser.tree()->selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : browser.model()->filePath(rows.first());
}

void pressKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

class FolderDialogTest : public ::testing::Test {
protected:
    FolderDialogTest() {
        root.mkdir("alpha");
        root.mkdir("alpha/inner");
        root.mkdir("beta");
        root.mkdir("gamma");
        root.mkdir(".dotted");
        root.mkdir(".dotted/deep");
        root.write("file.txt", "not a folder");
    }

    // Runs the service as the program does and lets `inside` act on the open dialog; a dialog
    // still open afterwards is cancelled and the test fails.
    QString choose(const QString& start, const std::function<void(FolderBrowser&)>& inside) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* browser = qobject_cast<FolderBrowser*>(QApplication::activeModalWidget());
            ASSERT_NE(browser, nullptr);
            ran = true;
            // Modal, and owned by the window that asked.
            EXPECT_TRUE(browser->isModal());
            EXPECT_EQ(browser->parentWidget(), &owner);
            inside(*browser);
            if (browser->isVisible()) {
                ADD_FAILURE() << "the dialog did not close";
                browser->reject();
            }
        });
        FolderDialog service;
        const QString chosen = service.chooseFolder(&owner, kTitle, start);
        EXPECT_TRUE(ran);
        return chosen;
    }

    TempDir root;
    testsupport::FakeMessages messages;
    QWidget owner;
};

TEST_F(FolderDialogTest, OpensWithTheStartFolderSelectedInViewAndItsPathInTheStatusLine) {
    const QString start = path(root.file("alpha/inner"));
    FolderBrowser browser(nullptr, kTitle, start);
    browser.show();
    EXPECT_EQ(browser.titleLabel()->text(), kTitle);
    EXPECT_EQ(selectedPath(browser), start);
    EXPECT_EQ(browser.statusText(), start);
    EXPECT_TRUE(browser.okButton()->isEnabled());

    // The folders around it keep arriving and moving it; it stays in view.
    QTreeView* tree = browser.tree();
    const QModelIndex selected = browser.model()->index(start);
    EXPECT_TRUE(waitFor(
        [&] { return tree->viewport()->rect().contains(tree->visualRect(selected).center()); }));
    EXPECT_TRUE(tree->isExpanded(browser.model()->index(path(root.file("alpha")))));
}

TEST_F(FolderDialogTest, MovingTheSelectionShowsEachFolderInTheStatusLine) {
    FolderBrowser browser(nullptr, kTitle, path(root.file("alpha/inner")));
    LoadWatch loads(browser);
    browser.show();
    ASSERT_TRUE(loads.waitFor(path(root.path())));
    ASSERT_TRUE(loads.waitFor(path(root.file("alpha"))));

    // The keys move through the tree; the row after "inner" is its parent's next sibling.
    pressKey(browser.tree(), Qt::Key_Down);
    EXPECT_EQ(browser.statusText(), path(root.file("beta")));
    pressKey(browser.tree(), Qt::Key_Up);
    EXPECT_EQ(browser.statusText(), path(root.file("alpha/inner")));
    browser.tree()->setCurrentIndex(browser.model()->index(path(root.file("gamma"))));
    EXPECT_EQ(browser.statusText(), path(root.file("gamma")));
    EXPECT_EQ(selectedPath(browser), path(root.file("gamma")));

    // Without a selection the line keeps the last folder, and OK has nothing to give.
    browser.tree()->selectionModel()->clearSelection();
    EXPECT_EQ(browser.statusText(), path(root.file("gamma")));
    EXPECT_FALSE(browser.okButton()->isEnabled());
}

TEST_F(FolderDialogTest, OkGivesTheSelectedFolderWithoutATrailingSlash) {
    const struct {
        QString start;
        QString chosen;
    } cases[] = {
        {path(root.file("alpha")), path(root.file("alpha"))},
        {path(root.file("alpha/")), path(root.file("alpha"))},
        {path(root.file("beta/../alpha/inner")), path(root.file("alpha/inner"))},
        {QStringLiteral("/"), QStringLiteral("/")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(choose(c.start, [](FolderBrowser& browser) { browser.okButton()->click(); }),
                  c.chosen)
            << c.start.toStdString();
    }
    // Enter chooses too, and a folder picked in the tree wins over the start folder.
    EXPECT_EQ(
        choose(path(root.file("alpha")),
               [&](FolderBrowser& browser) {
                   browser.tree()->setCurrentIndex(browser.model()->index(path(root.file("beta"))));
                   pressKey(browser.tree(), Qt::Key_Return);
               }),
        path(root.file("beta")));
}

TEST_F(FolderDialogTest, CancelEscapeAndTheCloseBoxGiveNothing) {
    const std::function<void(FolderBrowser&)> ways[] = {
        [](FolderBrowser& browser) { browser.cancelButton()->click(); },
        [](FolderBrowser& browser) { pressKey(browser.tree(), Qt::Key_Escape); },
        [](FolderBrowser& browser) { browser.close(); },
    };
    for (const auto& way : ways) {
        EXPECT_EQ(choose(path(root.file("alpha")), way), QString());
    }
}

TEST_F(FolderDialogTest, AStartFolderThatIsNotThereSelectsNothing) {
    for (const QString& start : {path(root.file("missing")), path(root.file("file.txt")),
                                 QStringLiteral("alpha"), QString()}) {
        FolderBrowser browser(nullptr, kTitle, start);
        browser.show();
        QApplication::processEvents();
        EXPECT_EQ(selectedPath(browser), QString()) << start.toStdString();
        EXPECT_EQ(browser.statusText(), QString());
        EXPECT_FALSE(browser.okButton()->isEnabled());
        browser.accept();  // nothing chosen: the dialog stays open
        EXPECT_TRUE(browser.isVisible());
        EXPECT_EQ(browser.result(), QDialog::Rejected);
    }
    // The user can still pick a folder.
    EXPECT_EQ(choose(path(root.file("missing")),
                     [&](FolderBrowser& browser) {
                         browser.tree()->setCurrentIndex(
                             browser.model()->index(path(root.file("gamma"))));
                         browser.okButton()->click();
                     }),
              path(root.file("gamma")));
}

TEST_F(FolderDialogTest, DotFoldersStayOutOfTheTreeUnlessTheStartFolderIsInOne) {
    {
        FolderBrowser browser(nullptr, kTitle, path(root.file("alpha")));
        LoadWatch loads(browser);
        browser.show();
        ASSERT_TRUE(loads.waitFor(path(root.path())));
        const QModelIndex top = browser.model()->index(path(root.path()));
        QStringList names;
        for (int row = 0; row < browser.model()->rowCount(top); ++row) {
            names << browser.model()->fileName(browser.model()->index(row, 0, top));
        }
        names.sort();
        EXPECT_EQ(names, QStringList({"alpha", "beta", "gamma"}));
    }
    const QString hidden = path(root.file(".dotted/deep"));
    EXPECT_EQ(choose(hidden, [](FolderBrowser& browser) { browser.okButton()->click(); }), hidden);
}

TEST_F(FolderDialogTest, AFolderQtCannotNameOpensAtTheNearestFolderAboveIt) {
    // Qt reads "caf\xE9" as "caf\uFFFD", which names no file, and leaves it out of the tree;
    // a folder below it cannot be reached either.
    root.mkdir("caf\xE9");
    const std::string below = root.mkdir("caf\xE9/sub");
    EXPECT_EQ(choose(path(below),
                     [&](FolderBrowser& browser) {
                         EXPECT_EQ(browser.statusText(), path(root.path()));
                         browser.okButton()->click();
                     }),
              path(root.path()));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(FolderDialogTest, AFolderThatReadsLikeAnotherIsNotChosen) {
    // "caf\uFFFD" in UTF-8 is a name Qt can show; "caf\xE9" beside it reads the same way, so
    // the path Qt gives cannot tell which of the two is meant.
    const std::string replacement = root.mkdir("caf\xEF\xBF\xBD");
    EXPECT_EQ(
        choose(path(replacement), [](FolderBrowser& browser) { browser.okButton()->click(); }),
        path(replacement));
    root.mkdir("caf\xE9");
    EXPECT_EQ(
        choose(path(replacement), [](FolderBrowser& browser) { browser.okButton()->click(); }),
        QString());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown.front().title, "Quenza Renamer");
    EXPECT_EQ(messages.shown.front().icon, platform::MessageIcon::Exclamation);
    EXPECT_TRUE(messages.shown.front().text.contains("more than one name"))
        << messages.shown.front().text.toStdString();
}

}  // namespace
