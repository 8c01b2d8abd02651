// Reading folders in the main window: the first read at start-up, the placeholders, the
// listing settings as the window hands them on, the size limit, Escape, the navigation (path
// box, history, folder button, Parent Directory, Refresh, the tree) and the boxes that re-read
// or rebuild the views (include boxes, Thumbnails, View as Tree).
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QThread>
#include <QTreeWidget>

#include <filesystem>
#include <string>

#include "filelists/treebuilder.h"
#include "platform/filesystem.h"
#include "platform/folderdialog.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::FrmMain;
using mainwindow::vbValue;
using platform::ListView;
using testsupport::TempDir;
using testsupport::WindowTest;

// Answers the folder dialog from a script and records how it was asked.
class ScriptedFolderDialog : public platform::FolderDialogService {
public:
    ScriptedFolderDialog() { platform::setFolderDialogService(this); }
    ~ScriptedFolderDialog() override { platform::setFolderDialogService(nullptr); }
    ScriptedFolderDialog(const ScriptedFolderDialog&) = delete;
    ScriptedFolderDialog& operator=(const ScriptedFolderDialog&) = delete;

    QString chooseFolder(QWidget* owner, const QString& title, const QString& start) override {
        owners.append(owner);
        titles.append(title);
        starts.append(start);
        return answer;
    }

    QString answer;
    QList<QWidget*> owners;
    QStringList titles;
    QStringList starts;
};

// Writes an empty file (or the given bytes), creating the folders on its way.
void put(const TempDir& dir, const std::string& path, const std::string& bytes = {}) {
    const auto slash = path.rfind('/');
    if (slash != std::string::npos) {
        dir.mkdir(path.substr(0, slash));
    }
    dir.write(path, bytes);
}

class FolderTest : public WindowTest {
protected:
    // A working folder with two files and two folders, one of which holds more.
    void SetUp() override {
        put(dir, "b.txt", "bb");
        put(dir, "a.txt", "aaa");
        put(dir, "zdir/inner/deep.txt");
        put(dir, "sub/in-sub.txt");
    }

    QString folder(const std::string& below = {}) const {
        QString path = QString::fromStdString(dir.path()) + QLatin1Char('/');
        if (!below.empty()) {
            path += QString::fromStdString(below) + QLatin1Char('/');
        }
        return path;
    }

    // Starts the program as "QuenzaRen /p <path>" with these saved settings.
    std::unique_ptr<FrmMain> open(
        const QString& path, std::initializer_list<std::pair<const char*, QString>> keys = {}) {
        sandbox.store(keys);
        return start({QStringLiteral("/p"), path});
    }

    static ListView* directory(const FrmMain& window) {
        return window.control<ListView>(QStringLiteral("lwDirectory"));
    }
    static QComboBox* pathBox(const FrmMain& window) {
        return window.control<QComboBox>(QStringLiteral("txtPath"));
    }
    static QCheckBox* box(const FrmMain& window, const char* name) {
        return window.control<QCheckBox>(QString::fromUtf8(name));
    }
    static QStringList rows(const FrmMain& window, int column = 0) {
        QStringList texts;
        const ListView* list = directory(window);
        for (int row = 0; row < list->rowCount(); ++row) {
            texts.append(list->text(row, column));
        }
        return texts;
    }
    static QStringList history(const FrmMain& window) {
        QStringList items;
        const QComboBox* path = pathBox(window);
        for (int i = 0; i < path->count(); ++i) {
            items.append(path->itemText(i));
        }
        return items;
    }
    static bool pathIsRed(const FrmMain& window) {
        const QComboBox* path = pathBox(window);
        const QWidget* text = path->lineEdit() ? static_cast<QWidget*>(path->lineEdit()) : path;
        return text->palette().color(QPalette::Text) == QColor(255, 0, 0);
    }
    // Types a path into the box and leaves it.
    static void commit(FrmMain& window, const QString& text) {
        pathBox(window)->setEditText(text);
        window.folderSource().txtPathLostFocus();
    }
    static QString panel(const FrmMain& window, const char* key) {
        return window.panelText(QString::fromUtf8(key));
    }

    TempDir dir;
};

// ---- Start-up and what a read shows ----

TEST_F(FolderTest, StartingWithAFolderShowsItsRowsAndCounts) {
    const auto window = open(folder());
    EXPECT_EQ(rows(*window), (QStringList{"a.txt", "b.txt"}));
    EXPECT_EQ(rows(*window, 2), (QStringList{folder(), folder()}));
    EXPECT_EQ(panel(*window, "main"), QStringLiteral("2 Files, 0 Directories"));
    EXPECT_EQ(panel(*window, "selected"), QStringLiteral("0 items selected..."));
    EXPECT_FALSE(directory(*window)->font().bold());
    EXPECT_EQ(directory(*window)->view(), ListView::View::Report);
    EXPECT_EQ(window->state().lastReadPath, folder());
    EXPECT_EQ(window->state().previousPath, folder());
    EXPECT_EQ(history(*window).value(0), folder());
    EXPECT_FALSE(pathIsRed(*window));
    EXPECT_TRUE(window->control<QPushButton>(QStringLiteral("cmdExecute"))->isEnabled());
    EXPECT_FALSE(platform::isBusy());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(FolderTest, StartingWithAFileOpensItsFolderWithThatPattern) {
    const auto window = open(folder() + QStringLiteral("b.txt"));
    EXPECT_EQ(pathBox(*window)->currentText(), folder());
    EXPECT_EQ(window->control<QLineEdit>(QStringLiteral("txtPattern"))->text(),
              QStringLiteral("b.txt"));
    EXPECT_EQ(rows(*window), QStringList{"b.txt"});
    EXPECT_EQ(panel(*window, "main"), QStringLiteral("1 Files, 0 Directories"));
}

TEST_F(FolderTest, DirectoriesComeFirstEachGroupByName) {
    put(dir, "C.txt");
    const auto window = open(folder(), {{"chkDirs", "1"}});
    EXPECT_EQ(rows(*window), (QStringList{"sub", "zdir", "a.txt", "b.txt", "C.txt"}));
    EXPECT_EQ(panel(*window, "main"), QStringLiteral("3 Files, 2 Directories"));
}

TEST_F(FolderTest, DetailColumnsWithAllColumnsShown) {
    const auto window = open(folder(), {{"chkDirs", "1"}, {"showAllColumns", "1"}});
    const ListView* list = directory(*window);
    ASSERT_EQ(rows(*window), (QStringList{"sub", "zdir", "a.txt", "b.txt"}));
    // A directory: no size, extension or size key; "Dir".
    EXPECT_EQ(list->text(0, 3), QString());
    EXPECT_EQ(list->text(0, 6), QString());
    EXPECT_EQ(list->text(0, 7), QStringLiteral("Dir"));
    EXPECT_FALSE(list->text(0, 4).isEmpty());
    // A file of three bytes.
    EXPECT_EQ(list->text(2, 2), folder());
    EXPECT_EQ(list->text(2, 3), QStringLiteral("3 bytes"));
    EXPECT_EQ(list->text(2, 5), QStringLiteral("[----]"));
    EXPECT_EQ(list->text(2, 6), QStringLiteral("txt"));
    EXPECT_EQ(list->text(2, 7), QStringLiteral("File"));
    EXPECT_EQ(list->text(2, 8), QStringLiteral("00000000000000000003"));
    EXPECT_FALSE(list->text(2, 4).isEmpty());
}

TEST_F(FolderTest, TheListingSettingsReachTheRead) {
    put(dir, ".hidden.txt");
    put(dir, "locked.txt");
    ASSERT_TRUE(platform::fs::setAttributes(dir.file("locked.txt"), platform::fs::ReadOnly).ok());
    {
        const auto window = open(folder(), {{"processWriteProtected", "0"}});
        EXPECT_EQ(rows(*window), (QStringList{"a.txt", "b.txt"}));
    }
    const auto window = open(folder(), {{"processWriteProtected", "1"}, {"processHidden", "1"}});
    EXPECT_EQ(rows(*window), (QStringList{".hidden.txt", "a.txt", "b.txt", "locked.txt"}));
}

TEST_F(FolderTest, SubfoldersAreReadWithTheirBox) {
    const auto window = open(folder(), {{"uncheckSubsdirsAtStartup", "0"}, {"chkSub", "1"}});
    // The working folder's files first, then folder by folder, each folder's by name.
    EXPECT_EQ(window->state().lstFiles[0],
              (QStringList{folder() + "a.txt", folder() + "b.txt", folder("sub") + "in-sub.txt",
                           folder("zdir/inner") + "deep.txt"}));
    EXPECT_EQ(window->state().lstDirs[0],
              (QStringList{folder() + "sub", folder() + "zdir", folder() + "zdir/inner"}));
    EXPECT_EQ(rows(*window), (QStringList{"a.txt", "b.txt", "deep.txt", "in-sub.txt"}));
    EXPECT_EQ(rows(*window, 2).value(3), folder("sub"));
}

// ---- Placeholders ----

TEST_F(FolderTest, AnEmptyPathBoxShowsItsPlaceholder) {
    const auto window = open(folder());
    commit(*window, QString());
    const ListView* list = directory(*window);
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_EQ(list->text(0), QStringLiteral("Please choose a working directory..."));
    EXPECT_TRUE(list->font().bold());
    EXPECT_TRUE(list->font().italic());
    EXPECT_EQ(list->view(), ListView::View::SmallIcon);
    EXPECT_TRUE(list->selectedRows().isEmpty());
    EXPECT_TRUE(window->state().lstFiles[0].isEmpty());
    EXPECT_EQ(panel(*window, "main"), QStringLiteral("0 Files, 0 Directories"));
    EXPECT_EQ(panel(*window, "selected"), QString());
    EXPECT_EQ(history(*window), QStringList{folder()});  // nothing entered the history
}

TEST_F(FolderTest, AQuickClickThatTakesTheFocusFromThePathBoxStillClicks) {
    // Leaving the path box commits it, and the commit yields to the event loop. A quick click
    // has its release waiting already: it is handled inside that yield, before the press
    // reaches the button. The button must not stay down without being clicked.
    for (const bool withFolder : {false, true}) {
        const auto window = withFolder ? open(folder()) : start();
        QPushButton* settings = window->ui().cmdSettings;
        window->ui().txtPath->lineEdit()->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        if (withFolder) {
            // A folder typed into the box, so that leaving it reads it.
            window->ui().txtPath->setEditText(folder("sub"));
        }
        int opened = 0;
        QTimer closer;
        closer.setInterval(5);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                ++opened;
                dialog->close();
            }
        });
        closer.start();
        const QPointF at(settings->rect().center());
        const QPointF global(settings->mapToGlobal(at));
        QCoreApplication::postEvent(
            settings, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                      Qt::NoButton, Qt::NoModifier));
        // A press from the screen moves the focus before the button sees it.
        settings->setFocus(Qt::MouseFocusReason);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(settings, &press);
        QElapsedTimer waited;
        waited.start();
        while (opened == 0 && waited.elapsed() < 500) {
            QApplication::processEvents();
        }
        EXPECT_EQ(opened, 1) << withFolder;
        EXPECT_FALSE(settings->isDown()) << withFolder;
    }
}

TEST_F(FolderTest, AProtectedSystemFolderShowsTheHiddenFolderText) {
    const auto window = open(folder());
    commit(*window, QStringLiteral("/usr/"));
    EXPECT_TRUE(directory(*window)->font().bold());
    // A link to a protected folder, or a path through "..", is that folder.
    std::filesystem::create_directory_symlink("/etc", dir.file("settings-link"));
    for (const QString& path : {folder() + QStringLiteral("settings-link/"),
                                folder() + QStringLiteral("../../../../../../../../etc/")}) {
        SCOPED_TRACE(path.toStdString());
        commit(*window, folder());
        commit(*window, path);
        ASSERT_EQ(directory(*window)->rowCount(), 1);
        EXPECT_TRUE(directory(*window)->font().bold());
        EXPECT_TRUE(window->state().lstFiles[0].isEmpty());
    }
    commit(*window, QStringLiteral("/usr/"));
    const ListView* list = directory(*window);
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_EQ(list->text(0), QStringLiteral("The content of this folder is hidden. You can "
                                            "disable this security feature in the settings..."));
    EXPECT_TRUE(list->font().bold());
    EXPECT_TRUE(pathIsRed(*window));
    EXPECT_TRUE(window->state().lstFiles[0].isEmpty());
    EXPECT_TRUE(window->state().lstDirs[0].isEmpty());
    // What the last completed read left stays.
    EXPECT_EQ(window->state().lastReadPath, folder());
    EXPECT_EQ(history(*window), QStringList{folder()});
    // Thumbnails cannot be ticked over a placeholder.
    box(*window, "chkThumbnails")->setChecked(true);
    EXPECT_EQ(vbValue(box(*window, "chkThumbnails")), 0);
}

// ---- Limit and Escape ----

TEST_F(FolderTest, AFolderBeyondTheLimitEndsWithTheMessage) {
    TempDir big;
    for (int i = 0; i <= 32767; ++i) {
        big.write(std::to_string(i));
    }
    const auto window = open(folder());
    const QString bigFolder = QString::fromStdString(big.path()) + QLatin1Char('/');
    commit(*window, bigFolder);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("Error!"));
    EXPECT_TRUE(messages.shown[0].text.startsWith(QStringLiteral("Error: Too many files!")));
    EXPECT_EQ(panel(*window, "selected"), QStringLiteral("Error: too many files!"));
    EXPECT_EQ(panel(*window, "main"), QStringLiteral("0 Files, 0 Directories"));
    EXPECT_EQ(directory(*window)->rowCount(), 0);
    EXPECT_TRUE(window->state().lstFiles[0].isEmpty());
    EXPECT_EQ(window->state().lastReadPath, QString());
    EXPECT_EQ(history(*window), QStringList{folder()});
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(platform::isBusy());

    // A commit that arrives while the read yields (a history pick taken as the box loses the
    // focus) starts no second read inside the first: one read, one box.
    commit(*window, folder());
    messages.shown.clear();
    QTimer::singleShot(0, window.get(), [&window] { window->folderSource().txtPathClick(); });
    commit(*window, bigFolder);
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(panel(*window, "selected"), QStringLiteral("Error: too many files!"));
    EXPECT_FALSE(platform::isBusy());
}

TEST_F(FolderTest, EscapeCancelsAReadOnlyWhileTheWindowIsActive) {
    TempDir second;
    put(second, "one.txt");
    const QString secondFolder = QString::fromStdString(second.path()) + QLatin1Char('/');
    const auto window = open(folder());
    window->activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(window->isActiveWindow());

    // Pressed while the read runs (the read yields before its first entry).
    QApplication::postEvent(window.get(),
                            new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    commit(*window, secondFolder);
    EXPECT_EQ(panel(*window, "selected"), QStringLiteral("User Cancelled!"));
    EXPECT_EQ(directory(*window)->rowCount(), 0);
    EXPECT_TRUE(window->state().lstFiles[0].isEmpty());
    EXPECT_EQ(window->state().lastReadPath, QString());
    EXPECT_EQ(history(*window), QStringList{folder()});
    EXPECT_TRUE(window->isEnabled());

    // Another window in front: the press is not the renamer's.
    QWidget other;
    other.show();
    other.activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(other.isActiveWindow());
    QApplication::postEvent(&other,
                            new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    window->folderSource().readDirectoryStructure();
    window->folderSource().updateTreeview();
    EXPECT_EQ(rows(*window), QStringList{"one.txt"});
    EXPECT_EQ(history(*window), (QStringList{secondFolder, folder()}));
}

// ---- Navigation ----

TEST_F(FolderTest, ThePathBoxCommitAddsTheSlashAndReadsOnlyAChange) {
    const auto window = open(folder());
    commit(*window, folder("sub").chopped(1));
    EXPECT_EQ(pathBox(*window)->currentText(), folder("sub"));
    EXPECT_EQ(rows(*window), QStringList{"in-sub.txt"});

    // Unchanged: nothing is read, so a new file does not show.
    put(dir, "sub/new.txt");
    commit(*window, folder("sub"));
    EXPECT_EQ(rows(*window), QStringList{"in-sub.txt"});

    // A folder that does not exist turns the box red and keeps the rows.
    commit(*window, folder("missing"));
    EXPECT_TRUE(pathIsRed(*window));
    EXPECT_EQ(rows(*window), QStringList{"in-sub.txt"});
    pathBox(*window)->setEditText(folder());
    EXPECT_FALSE(pathIsRed(*window));
}

TEST_F(FolderTest, EnterInThePathBoxCommitsAndTheFocusStaysThere) {
    const auto window = open(folder());
    window->activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(window->isActiveWindow());
    QComboBox* path = pathBox(*window);
    path->setFocus();
    path->setEditText(folder("zdir"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &enter);
    EXPECT_EQ(window->state().lastReadPath, folder("zdir"));
    EXPECT_EQ(panel(*window, "main"), QStringLiteral("0 Files, 0 Directories"));
    // The window was disabled while it read; the box has the focus again, and that was not a
    // new visit to the box (which would have read again on leaving it).
    const QWidget* focus = QApplication::focusWidget();
    EXPECT_TRUE(focus == path || path->isAncestorOf(focus));
    EXPECT_EQ(history(*window).size(), 2);
}

TEST_F(FolderTest, TheHistoryKeepsOneCopyOfEachFolderNewestFirst) {
    const auto window = open(folder());
    commit(*window, folder("sub"));
    commit(*window, folder("zdir"));
    EXPECT_EQ(history(*window), (QStringList{folder("zdir"), folder("sub"), folder()}));

    // Picking an older entry reads it at once and moves it to the top.
    QComboBox* path = pathBox(*window);
    path->setCurrentIndex(2);
    emit path->activated(2);
    QApplication::processEvents();
    EXPECT_EQ(rows(*window), (QStringList{"a.txt", "b.txt"}));
    EXPECT_EQ(history(*window), (QStringList{folder(), folder("zdir"), folder("sub")}));
    EXPECT_EQ(path->currentText(), folder());

    // Reading the folder at the top again leaves one copy.
    window->folderSource().cmdRefreshClick();
    EXPECT_EQ(history(*window), (QStringList{folder(), folder("zdir"), folder("sub")}));
}

TEST_F(FolderTest, ParentDirectoryGoesUpOneFolder) {
    const auto window = open(folder("zdir/inner"));
    EXPECT_EQ(rows(*window), QStringList{"deep.txt"});
    window->folderSource().cmdParentDirClick();
    EXPECT_EQ(pathBox(*window)->currentText(), folder("zdir"));
    EXPECT_EQ(window->state().lastReadPath, folder("zdir"));
    window->folderSource().cmdParentDirClick();
    EXPECT_EQ(rows(*window), (QStringList{"a.txt", "b.txt"}));

    // A parent that is gone is logged; one that is a file changes nothing.
    put(dir, "plain");
    commit(*window, folder("plain/x"));  // not listable: stays red, nothing read
    window->folderSource().cmdParentDirClick();
    EXPECT_EQ(pathBox(*window)->currentText(), folder("plain/x"));
    commit(*window, folder("gone/x"));
    window->folderSource().cmdParentDirClick();
    EXPECT_EQ(pathBox(*window)->currentText(), folder("gone/x"));
    EXPECT_TRUE(QString::fromStdString(testsupport::readAll(sandbox.program().file("errors.txt")))
                    .contains(QStringLiteral("Error 53 (File not found) cmdParentDir")));
}

TEST_F(FolderTest, ParentDirectoryStopsAtTheRoot) {
    const auto window = open(folder());
    pathBox(*window)->setEditText(QStringLiteral("/"));
    window->folderSource().cmdParentDirClick();
    EXPECT_EQ(pathBox(*window)->currentText(), QStringLiteral("/"));
    EXPECT_EQ(window->state().lastReadPath, folder());
}

TEST_F(FolderTest, TheFolderButtonReadsTheChosenFolder) {
    ScriptedFolderDialog dialog;
    const auto window = open(folder());
    auto* sources = window->control<QTabBar>(QStringLiteral("TabStripFilemode"));

    // Cancelled on the Free Select tab: nothing changes.
    sources->setCurrentIndex(1);
    window->folderSource().cmdShowDirReqClick();
    ASSERT_EQ(dialog.starts.size(), 1);
    EXPECT_EQ(dialog.titles[0], QStringLiteral("Choose Working Directory:"));
    EXPECT_EQ(dialog.owners[0], window.get());
    EXPECT_EQ(dialog.starts[0], folder().chopped(1));  // without its "/"
    EXPECT_EQ(window->state().fileMode, 1);

    // Chosen: back on the Directory tab with the folder read.
    dialog.answer = folder("sub").chopped(1);
    window->folderSource().cmdShowDirReqClick();
    EXPECT_EQ(window->state().fileMode, 0);
    EXPECT_EQ(window->fileModeTabKey(), QStringLiteral("listview"));
    EXPECT_EQ(pathBox(*window)->currentText(), folder("sub"));
    EXPECT_EQ(rows(*window), QStringList{"in-sub.txt"});

    // The root goes to the dialog as it is.
    pathBox(*window)->setEditText(QStringLiteral("/"));
    dialog.answer.clear();
    window->folderSource().cmdShowDirReqClick();
    EXPECT_EQ(dialog.starts.last(), QStringLiteral("/"));
}

TEST_F(FolderTest, RefreshReadsAgainAndReturnsToTheDirectorySource) {
    const auto window = open(folder());
    put(dir, "c.txt");
    window->control<QTabBar>(QStringLiteral("TabStripFilemode"))->setCurrentIndex(1);
    window->folderSource().cmdRefreshClick();
    EXPECT_EQ(window->state().fileMode, 0);
    EXPECT_EQ(rows(*window), (QStringList{"a.txt", "b.txt", "c.txt"}));
}

// A folder gone since it was opened: the read fails as a whole, and the status bar keeps saying
// so after the views are rebuilt, rather than going blank.
TEST_F(FolderTest, AFailedReadKeepsItsReasonInTheStatusBar) {
    TempDir other;
    other.write("x.txt");
    const QString path = QString::fromStdString(other.path()) + QLatin1Char('/');
    const auto window = open(path);
    ASSERT_EQ(rows(*window), QStringList{"x.txt"});
    std::filesystem::remove_all(other.path());
    window->folderSource().cmdRefreshClick();
    EXPECT_TRUE(rows(*window).isEmpty());
    EXPECT_EQ(panel(*window, "selected"), QStringLiteral("Error reading directory structure!"));
    EXPECT_TRUE(window->isEnabled());
    // The next read that completes clears it.
    commit(*window, folder());
    EXPECT_EQ(panel(*window, "selected"), QStringLiteral("0 items selected..."));
}

TEST_F(FolderTest, AChangedPatternReadsAgainAndAnEmptyOneMatchesAll) {
    const auto window = open(folder());
    auto* pattern = window->control<QLineEdit>(QStringLiteral("txtPattern"));
    window->state().previousPattern = pattern->text();
    pattern->setText(QStringLiteral("a*"));
    window->folderSource().txtPatternLostFocus();
    EXPECT_EQ(rows(*window), QStringList{"a.txt"});
    pattern->setText(QString());
    window->folderSource().txtPatternLostFocus();
    EXPECT_EQ(pattern->text(), QStringLiteral("*.*"));
    EXPECT_EQ(rows(*window), (QStringList{"a.txt", "b.txt"}));
}

// ---- Tree view ----

class TreeFolderTest : public FolderTest {
protected:
    std::unique_ptr<FrmMain> openTree(const QString& path, bool subfolders = false) {
        return open(path, {{"enableTreeview", "1"},
                           {"chkShowTreeview", "1"},
                           {"chkDirs", "1"},
                           {"uncheckSubsdirsAtStartup", "0"},
                           {"chkSub", subfolders ? "1" : "0"}});
    }
    static QTreeWidget* tree(const FrmMain& window) {
        return window.control<QTreeWidget>(QStringLiteral("TreeView"));
    }
    static QTreeWidgetItem* topNode(const FrmMain& window, const QString& text) {
        QTreeWidget* view = tree(window);
        for (int i = 0; i < view->topLevelItemCount(); ++i) {
            if (view->topLevelItem(i)->text(0) == text) {
                return view->topLevelItem(i);
            }
        }
        return nullptr;
    }
    static void doubleClick(FrmMain& window, QTreeWidgetItem* node) {
        ASSERT_NE(node, nullptr);
        tree(window)->setCurrentItem(node);
        window.folderSource().treeViewDblClick();
    }
};

TEST_F(TreeFolderTest, OpeningFolderNodesAndGoingUpThroughTheRootEntry) {
    const auto window = openTree(folder("zdir"));
    EXPECT_TRUE(tree(*window)->isVisible());
    ASSERT_GE(tree(*window)->topLevelItemCount(), 2);
    EXPECT_EQ(tree(*window)->topLevelItem(0)->text(0), QStringLiteral("[..]"));

    doubleClick(*window, topNode(*window, QStringLiteral("inner")));
    EXPECT_EQ(pathBox(*window)->currentText(), folder("zdir/inner"));
    EXPECT_EQ(tree(*window)->currentItem(), tree(*window)->topLevelItem(0));

    doubleClick(*window, topNode(*window, QStringLiteral("[..]")));
    EXPECT_EQ(pathBox(*window)->currentText(), folder("zdir"));

    // A file node is not opened.
    doubleClick(*window, topNode(*window, QStringLiteral("[..]")));
    ASSERT_EQ(pathBox(*window)->currentText(), folder());
    doubleClick(*window, topNode(*window, QStringLiteral("a.txt")));
    EXPECT_EQ(pathBox(*window)->currentText(), folder());
}

TEST_F(TreeFolderTest, ADeeperFolderNodeOpensItsWholePath) {
    const auto window = openTree(folder(), true);
    QTreeWidgetItem* zdir = topNode(*window, QStringLiteral("zdir"));
    ASSERT_NE(zdir, nullptr);
    ASSERT_EQ(zdir->childCount(), 1);
    doubleClick(*window, zdir->child(0));
    EXPECT_EQ(pathBox(*window)->currentText(), folder("zdir/inner"));
}

TEST_F(TreeFolderTest, TheRootEntryWaitsASecondAfterAFoldOrUnfold) {
    const auto window = openTree(folder(), true);
    QTreeWidgetItem* zdir = topNode(*window, QStringLiteral("zdir"));
    ASSERT_NE(zdir, nullptr);
    tree(*window)->expandItem(zdir);
    doubleClick(*window, topNode(*window, QStringLiteral("[..]")));
    EXPECT_EQ(pathBox(*window)->currentText(), folder());

    QThread::msleep(1050);
    doubleClick(*window, topNode(*window, QStringLiteral("[..]")));
    EXPECT_EQ(
        pathBox(*window)->currentText(),
        QString::fromStdString(dir.path()).section(QLatin1Char('/'), 0, -2) + QLatin1Char('/'));
}

TEST_F(TreeFolderTest, BackspaceGoesUpAndKeepsTheFocusInTheTree) {
    const auto window = openTree(folder("zdir"));
    window->activateWindow();
    QApplication::processEvents();
    tree(*window)->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), tree(*window));
    QKeyEvent backspace(QEvent::KeyRelease, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(tree(*window), &backspace);
    EXPECT_EQ(pathBox(*window)->currentText(), folder());
    EXPECT_FALSE(window->state().keepListFocus);
    EXPECT_EQ(QApplication::focusWidget(), tree(*window));
}

TEST_F(TreeFolderTest, EnterOpensTheSelectedFolderNode) {
    const auto window = openTree(folder());
    tree(*window)->setCurrentItem(topNode(*window, QStringLiteral("sub")));
    QKeyEvent enter(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(tree(*window), &enter);
    EXPECT_EQ(pathBox(*window)->currentText(), folder("sub"));
}

TEST_F(TreeFolderTest, TheRightButtonOffersAddingContentsOnlyForAFolder) {
    const auto window = openTree(folder());
    auto* addContents =
        qobject_cast<QAction*>(window->controlObject(QStringLiteral("mnuTreeviewAddRecursive")));
    auto* menu = window->control<QMenu>(QStringLiteral("mnuPopupTreeview"));
    ASSERT_NE(addContents, nullptr);
    ASSERT_NE(menu, nullptr);
    const struct {
        const char* node;
        bool enabled;
    } cases[] = {{"sub", true}, {"a.txt", false}, {"[..]", false}};
    for (const auto& c : cases) {
        tree(*window)->setCurrentItem(topNode(*window, QString::fromUtf8(c.node)));
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5),
                            Qt::RightButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(tree(*window)->viewport(), &release);
        EXPECT_EQ(addContents->isEnabled(), c.enabled) << c.node;
        EXPECT_TRUE(menu->isVisible()) << c.node;
        menu->hide();
    }
}

TEST_F(TreeFolderTest, ViewAsTreeSwapsTheViews) {
    const auto window = openTree(folder());
    QCheckBox* treeBox = box(*window, "chkShowTreeview");
    for (const char* name : {"chkPreview", "chkThumbnails", "chkOnlyRenameSelected"}) {
        EXPECT_FALSE(box(*window, name)->isEnabled()) << name;
    }
    treeBox->setChecked(false);
    EXPECT_FALSE(tree(*window)->isVisible());
    EXPECT_TRUE(directory(*window)->isVisible());
    for (const char* name : {"chkPreview", "chkThumbnails", "chkOnlyRenameSelected"}) {
        EXPECT_TRUE(box(*window, name)->isEnabled()) << name;
    }
    treeBox->setChecked(true);
    EXPECT_TRUE(tree(*window)->isVisible());
    EXPECT_FALSE(directory(*window)->isVisible());
}

// ---- Include boxes ----

TEST_F(FolderTest, TheIncludeBoxesKeepOneTickedAndReadOnlyAnotherFolder) {
    const auto window = open(folder());
    // Unticking the only ticked box ticks the other one.
    box(*window, "chkFiles")->setChecked(false);
    EXPECT_EQ(vbValue(box(*window, "chkDirs")), 1);
    EXPECT_EQ(rows(*window), (QStringList{"sub", "zdir"}));
    EXPECT_EQ(panel(*window, "main"), QStringLiteral("0 Files, 2 Directories"));

    // The folder shown is the folder last read: the view is rebuilt, not read again.
    put(dir, "c.txt");
    box(*window, "chkFiles")->setChecked(true);
    EXPECT_EQ(rows(*window), (QStringList{"sub", "zdir", "a.txt", "b.txt"}));
    box(*window, "chkDirs")->setChecked(false);
    EXPECT_EQ(rows(*window), (QStringList{"a.txt", "b.txt"}));

    // Subdirectories always read again.
    box(*window, "chkSub")->setChecked(true);
    EXPECT_EQ(rows(*window), (QStringList{"a.txt", "b.txt", "c.txt", "deep.txt", "in-sub.txt"}));
}

TEST_F(FolderTest, FilesStayTickedWhileDirectoriesAreDisabled) {
    const auto window = open(folder());
    box(*window, "chkDirs")->setEnabled(false);
    box(*window, "chkFiles")->setChecked(false);
    EXPECT_EQ(vbValue(box(*window, "chkFiles")), 1);
    EXPECT_EQ(vbValue(box(*window, "chkDirs")), 0);
    EXPECT_EQ(rows(*window), (QStringList{"a.txt", "b.txt"}));
}

// ---- Selection count ----

TEST_F(FolderTest, TheSelectionCountWaitsWhileBusy) {
    const auto window = open(folder());
    EXPECT_EQ(panel(*window, "selected"), QStringLiteral("0 items selected..."));
    directory(*window)->selectRow(0);
    {
        const platform::BusyScope busy;
        window->fileSource().updateSelectedCount(0);
        EXPECT_EQ(panel(*window, "selected"), QStringLiteral("0 items selected..."));
        window->fileSource().updateSelectedCount(-1);
        EXPECT_EQ(panel(*window, "selected"), QStringLiteral("1 item selected..."));
    }
    directory(*window)->selectRow(1);
    window->fileSource().updateSelectedCount(0);
    EXPECT_EQ(panel(*window, "selected"), QStringLiteral("2 items selected..."));
    EXPECT_EQ(window->state().selectedCount, 2);
}

// ---- Thumbnails ----

TEST_F(FolderTest, ThumbnailsOnAndOff) {
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString(dir.file("pic.png"))));
    const auto window = open(folder(), {{"enableTreeview", "1"}});
    ASSERT_EQ(rows(*window), (QStringList{"a.txt", "b.txt", "pic.png"}));
    const filelists::SourceImages& images = window->sourceImages(0);
    EXPECT_FALSE(images.thumbsComplete);

    QCheckBox* thumbnails = box(*window, "chkThumbnails");
    thumbnails->setChecked(true);
    EXPECT_EQ(directory(*window)->view(), ListView::View::LargeIcon);
    EXPECT_FALSE(box(*window, "chkPreview")->isEnabled());
    EXPECT_FALSE(box(*window, "chkShowTreeview")->isEnabled());
    EXPECT_TRUE(images.thumbsComplete);
    const int thumbnail = images.large.indexOf(folder() + QStringLiteral("pic.png"));
    EXPECT_GT(thumbnail, 3);
    EXPECT_EQ(directory(*window)->row(2).largeImage, thumbnail);
    EXPECT_EQ(panel(*window, "main"), QStringLiteral("3 Files, 0 Directories"));
    EXPECT_TRUE(window->isEnabled());

    thumbnails->setChecked(false);
    EXPECT_EQ(directory(*window)->view(), ListView::View::Report);
    EXPECT_TRUE(box(*window, "chkPreview")->isEnabled());
    EXPECT_TRUE(box(*window, "chkShowTreeview")->isEnabled());

    // A new read drops the thumbnails; while the box is ticked the build makes them again.
    thumbnails->setChecked(true);
    window->folderSource().cmdRefreshClick();
    EXPECT_TRUE(images.thumbsComplete);
    EXPECT_EQ(directory(*window)->view(), ListView::View::LargeIcon);
}

TEST_F(FolderTest, TheFreeSelectThumbnailsBoxCannotBeTickedOverItsPlaceholder) {
    const auto window = open(folder());
    window->control<QTabBar>(QStringLiteral("TabStripFilemode"))->setCurrentIndex(1);
    QCheckBox* thumbnails = box(*window, "chkThumbnailsFreeSelect");
    thumbnails->setChecked(true);
    EXPECT_EQ(vbValue(thumbnails), 0);
    EXPECT_TRUE(box(*window, "chkPreview")->isEnabled());
    EXPECT_EQ(window->control<ListView>(QStringLiteral("lwDragDrop"))->view(),
              ListView::View::SmallIcon);
}

}  // namespace
