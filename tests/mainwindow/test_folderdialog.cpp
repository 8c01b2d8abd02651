// The folder dialog: the start folder selected and in view, the status line following the
// selection, what OK gives (exact bytes, no trailing "/"), every way of cancelling, and start
// folders that do not exist, names that are not UTF-8, and links that lead back up the tree.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <filesystem>
#include <functional>

#include "mainwindow/dialogs/folderdialog.h"
#include "mainwindow/dialogs/foldertree.h"
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

// The names of a folder's rows in the tree, in their order.
QStringList rowNames(mainwindow::FolderTree& model, const QModelIndex& folder) {
    QStringList names;
    for (int row = 0; row < model.rowCount(folder); ++row) {
        names << model.fileName(model.index(row, 0, folder));
    }
    return names;
}

// Opens a folder's row as the user does and gives the names of the rows below it.
QStringList openRow(FolderBrowser& browser, const QModelIndex& folder) {
    for (QModelIndex index = folder; index.isValid(); index = index.parent()) {
        browser.tree()->expand(index);
        QApplication::processEvents();
    }
    return rowNames(*browser.model(), folder);
}

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
    // Folders above and below it in the same level, more than the tree has room for.
    for (int i = 0; i < 60; ++i) {
        root.mkdir("aa" + std::to_string(i));
        root.mkdir("zz" + std::to_string(i));
    }
    const QString start = path(root.file("alpha/inner"));
    FolderBrowser browser(nullptr, kTitle, start);
    browser.show();
    EXPECT_EQ(browser.titleLabel()->text(), kTitle);
    EXPECT_EQ(selectedPath(browser), start);
    EXPECT_EQ(browser.statusText(), start);
    EXPECT_TRUE(browser.okButton()->isEnabled());

    // Every folder above it is read, and their neighbours push it far down; it is in view.
    QApplication::processEvents();
    QTreeView* tree = browser.tree();
    const QModelIndex selected = browser.model()->index(start);
    EXPECT_TRUE(tree->viewport()->rect().contains(tree->visualRect(selected).center()));
    // In the middle, with the folders around it in sight.
    EXPECT_NEAR(tree->visualRect(selected).center().y(), tree->viewport()->rect().center().y(),
                tree->visualRect(selected).height());
    EXPECT_TRUE(tree->isExpanded(browser.model()->index(path(root.file("alpha")))));
}

TEST_F(FolderDialogTest, MovingTheSelectionShowsEachFolderInTheStatusLine) {
    FolderBrowser browser(nullptr, kTitle, path(root.file("alpha/inner")));
    browser.show();

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
        browser.show();
        const QModelIndex top = browser.model()->index(path(root.path()));
        QStringList names = rowNames(*browser.model(), top);
        names.sort();
        EXPECT_EQ(names, QStringList({"alpha", "beta", "gamma"}));
    }
    const QString hidden = path(root.file(".dotted/deep"));
    EXPECT_EQ(choose(hidden, [](FolderBrowser& browser) { browser.okButton()->click(); }), hidden);
}

TEST_F(FolderDialogTest, AFolderWhoseNameIsNotUtf8OpensAtItselfAndGivesItsOwnBytes) {
    // A stray Latin-1 byte, bytes that never begin UTF-8 and a cut-off sequence: each name is
    // its own bytes, shown in the tree and given back exactly.
    for (const std::string name : {"caf\xE9", "\xFF\xFE", "cut\xC3"}) {
        SCOPED_TRACE(name);
        const std::string folder = root.mkdir(name);
        const std::string below = root.mkdir(name + "/sub");

        const QString chosen = choose(path(below), [&](FolderBrowser& browser) {
            EXPECT_EQ(platform::nativePath(browser.statusText()), below);
            browser.okButton()->click();
        });
        EXPECT_EQ(platform::nativePath(chosen), below);

        // Picked in the tree from a plain start folder.
        const QString picked = choose(path(root.file("alpha")), [&](FolderBrowser& browser) {
            mainwindow::FolderTree& model = *browser.model();
            const QModelIndex top = model.index(path(root.path()));
            QModelIndex found;
            for (int row = 0; row < model.rowCount(top); ++row) {
                const QModelIndex candidate = model.index(row, 0, top);
                if (platform::nativePath(model.fileName(candidate)) == name) {
                    found = candidate;
                }
            }
            ASSERT_TRUE(found.isValid());
            browser.tree()->setCurrentIndex(found);
            browser.okButton()->click();
        });
        EXPECT_EQ(platform::nativePath(picked), folder);
    }
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(FolderDialogTest, FoldersThatQtReadsAlikeAreEachChosenAsThemselves) {
    // "caf\uFFFD" in UTF-8 and "caf\xE9" read the same to Qt; here they are two rows, and each
    // gives its own bytes.
    const std::string replacement = root.mkdir("caf\xEF\xBF\xBD");
    const std::string latin1 = root.mkdir("caf\xE9");
    for (const std::string& folder : {replacement, latin1}) {
        EXPECT_EQ(platform::nativePath(choose(
                      path(folder), [](FolderBrowser& browser) { browser.okButton()->click(); })),
                  folder);
    }
    FolderBrowser browser(nullptr, kTitle, path(root.path()));
    browser.show();
    const QStringList names = openRow(browser, browser.model()->index(path(root.path())));
    EXPECT_EQ(names.size(), 5);
    EXPECT_TRUE(names.contains(platform::fromNativePath("caf\xEF\xBF\xBD")));
    EXPECT_TRUE(names.contains(platform::fromNativePath("caf\xE9")));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(FolderDialogTest, TheTreeListsFoldersAndLinkedFoldersByNameOnly) {
    root.mkdir("mixed");
    root.mkdir("mixed/Zulu");
    root.mkdir("mixed/echo");
    root.mkdir("mixed/.hidden");
    root.write("mixed/file.txt", "not a folder");
    namespace stdfs = std::filesystem;
    stdfs::create_directory_symlink(root.file("beta"), root.file("mixed/Link"));
    stdfs::create_symlink(root.file("mixed/file.txt"), root.file("mixed/note"));
    stdfs::create_symlink(root.file("mixed/gone"), root.file("mixed/dangling"));

    FolderBrowser browser(nullptr, kTitle, path(root.file("mixed")));
    browser.show();
    mainwindow::FolderTree& model = *browser.model();
    const QModelIndex mixed = model.index(path(root.file("mixed")));
    EXPECT_EQ(openRow(browser, mixed), QStringList({"echo", "Link", "Zulu"}));

    // A linked folder is chosen by its own path, and opens to what it leads to.
    EXPECT_EQ(choose(path(root.file("mixed")),
                     [&](FolderBrowser& dialog) {
                         dialog.tree()->setCurrentIndex(
                             dialog.model()->index(path(root.file("mixed/Link"))));
                         dialog.okButton()->click();
                     }),
              path(root.file("mixed/Link")));
    const QModelIndex link = model.index(path(root.file("mixed/Link")));
    EXPECT_EQ(openRow(browser, link), QStringList());  // beta holds no folders
    EXPECT_FALSE(model.hasChildren(link));

    // A folder that cannot be read opens to nothing, without a word: one gone since its
    // parent was read, and one without permissions (which do not stop the superuser).
    root.mkdir("mixed/echo/vanishing/inside");
    const std::string locked = root.mkdir("mixed/echo/locked");
    root.mkdir("mixed/echo/locked/inside");
    stdfs::permissions(locked, stdfs::perms::none);
    const QModelIndex vanishing = model.index(path(root.file("mixed/echo/vanishing")));
    ASSERT_TRUE(vanishing.isValid());
    stdfs::remove_all(root.file("mixed/echo/vanishing"));
    EXPECT_EQ(openRow(browser, vanishing), QStringList());
    EXPECT_FALSE(model.hasChildren(vanishing));
    const QModelIndex lockedRow = model.index(path(root.file("mixed/echo/locked")));
    ASSERT_TRUE(lockedRow.isValid());
    EXPECT_EQ(openRow(browser, lockedRow).size(), ::geteuid() == 0 ? 1 : 0);
    stdfs::permissions(locked, stdfs::perms::owner_all);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(FolderDialogTest, ALinkToItsOwnFolderOpensOneLevelAtATime) {
    root.mkdir("ring");
    std::filesystem::create_directory_symlink(root.file("ring"), root.file("ring/again"));
    FolderBrowser browser(nullptr, kTitle, path(root.file("ring")));
    browser.show();
    QTreeView* tree = browser.tree();
    mainwindow::FolderTree& model = *browser.model();

    // The user opens it level after level; each level is read once, when opened.
    std::string deepest = root.file("ring");
    for (int level = 0; level < 5; ++level) {
        const QModelIndex index = model.index(path(deepest));
        ASSERT_TRUE(index.isValid()) << deepest;
        EXPECT_EQ(openRow(browser, index), QStringList({"again"}));
        deepest += "/again";
    }
    const QModelIndex last = model.index(path(deepest));
    EXPECT_TRUE(model.canFetchMore(last));
    EXPECT_EQ(model.rowCount(last), 0);

    // "*" opens everything below the current row: what is read stays bounded.
    tree->setCurrentIndex(model.index(path(root.file("ring"))));
    pressKey(tree, Qt::Key_Asterisk);
    QApplication::processEvents();

    EXPECT_EQ(choose(path(deepest), [](FolderBrowser& dialog) { dialog.okButton()->click(); }),
              path(deepest));
}

}  // namespace
