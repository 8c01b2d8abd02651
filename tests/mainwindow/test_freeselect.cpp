// The Free Select source's own commands in the real window: files and folders dropped from a
// file manager, the Add Files dialog, the adds from the Directory list and the tree, Remove
// Selected and Clear All, and the placeholder row that stands for an empty list.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include <sys/stat.h>

#include <functional>
#include <optional>
#include <string>

#include "mainwindow/freeselect.h"
#include "platform/programfolder.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/filedialog.h"
#include "platform/widgets/listview.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::FrmMain;
using platform::ListView;
using testsupport::TempDir;
using testsupport::WindowTest;

// Answers the open-file dialog from a script and records where it opened.
class ScriptedFilesDialog : public platform::OpenFilesService {
public:
    ScriptedFilesDialog() { platform::setOpenFilesService(this); }
    ~ScriptedFilesDialog() override { platform::setOpenFilesService(nullptr); }
    ScriptedFilesDialog(const ScriptedFilesDialog&) = delete;
    ScriptedFilesDialog& operator=(const ScriptedFilesDialog&) = delete;

    QStringList chooseFiles(QWidget*, const QString& title, const QString& start) override {
        titles.append(title);
        starts.append(start);
        if (whileOpen) {
            whileOpen();
        }
        return answer;
    }

    QStringList answer;
    std::function<void()> whileOpen;
    QStringList titles;
    QStringList starts;
};

// A file URL as file managers send it: every byte that is not plain ASCII percent-encoded.
QByteArray fileUrl(const QString& path) {
    return "file://" + QByteArray(platform::nativePath(path).c_str()).toPercentEncoding("/");
}

QByteArray uriList(const QList<QByteArray>& urls) {
    QByteArray list;
    for (const QByteArray& url : urls) {
        list += url + "\r\n";
    }
    return list;
}

class FreeSelectTest : public WindowTest {
protected:
    void SetUp() override {
        dir.write("a.txt", "aaa");
        dir.write("b.txt", "bb");
        dir.write("A.TXT", "A");
        dir.mkdir("music");
        dir.write("music/inside.mp3");
    }

    QString path(const std::string& below = {}) const {
        const QString root = QString::fromStdString(dir.path()) + QLatin1Char('/');
        return below.empty() ? root : root + platform::fromNativePath(below);
    }

    // The window on the Free Select source, as the user sees it when dropping.
    std::unique_ptr<FrmMain> openFreeSelect(
        std::initializer_list<std::pair<const char*, QString>> keys = {}) {
        sandbox.store(keys);
        auto window = start({QStringLiteral("/p"), path()});
        window->fileSource().selectFileSourceTab(QStringLiteral("dragdrop"));
        return window;
    }

    static ListView* list(FrmMain& window) { return window.ui().lwDragDrop; }

    static QStringList rowPaths(FrmMain& window) {
        QStringList paths;
        const ListView* rows = list(window);
        for (int row = 0; row < rows->rowCount(); ++row) {
            paths.append(rows->text(row, 2) + rows->text(row, 0));
        }
        return paths;
    }

    static bool inPlaceholderState(FrmMain& window) {
        const ListView* rows = list(window);
        return mainwindow::showsPlaceholder(rows) && rows->rowCount() == 1 &&
               rows->text(0) == QString::fromUtf8(mainwindow::kDragDropPlaceholder);
    }

    struct DropResult {
        bool enterAccepted = false;
        bool dropAccepted = false;
    };
    // Drags data over the list and drops it there, as a drag from another program would, then
    // lets the queued adding run.
    static DropResult drop(FrmMain& window, QMimeData* data) {
        std::unique_ptr<QMimeData> owned(data);
        QWidget* target = list(window)->viewport();
        const QPoint at(10, 10);
        DropResult result;
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        result.enterAccepted = enter.isAccepted();
        QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        QDropEvent dropEvent(QPointF(at), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                             Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropEvent);
        result.dropAccepted = dropEvent.isAccepted();
        QCoreApplication::processEvents();
        return result;
    }
    static DropResult dropUrls(FrmMain& window, const QList<QByteArray>& urls) {
        auto* data = new QMimeData;
        data->setData(QStringLiteral("text/uri-list"), uriList(urls));
        return drop(window, data);
    }
    DropResult dropPaths(FrmMain& window, const QStringList& paths) {
        QList<QByteArray> urls;
        for (const QString& p : paths) {
            urls.append(fileUrl(p));
        }
        return dropUrls(window, urls);
    }

    static QString panel(const FrmMain& window, const char* key) {
        return window.panelText(QString::fromUtf8(key));
    }

    TempDir dir;
};

// ---- Drops from a file manager ----

TEST_F(FreeSelectTest, DroppedFilesAndFoldersBecomeEntriesAndThePlaceholderLeaves) {
    const auto window = openFreeSelect();
    ASSERT_TRUE(inPlaceholderState(*window));

    const DropResult result = dropPaths(*window, {path("a.txt"), path("music")});
    EXPECT_TRUE(result.enterAccepted);
    EXPECT_TRUE(result.dropAccepted);
    EXPECT_EQ(rowPaths(*window), (QStringList{path("a.txt"), path("music")}));
    EXPECT_EQ(list(*window)->text(1), QStringLiteral("music"));
    EXPECT_EQ(list(*window)->text(1, 2), path());
    // A folder is one entry; what it holds is not added.
    EXPECT_EQ(window->state().lstFiles[1], QStringList{path("a.txt")});
    EXPECT_EQ(window->state().lstDirs[1], QStringList{path("music")});
    EXPECT_FALSE(mainwindow::showsPlaceholder(list(*window)));
    EXPECT_FALSE(list(*window)->font().italic());
    EXPECT_EQ(list(*window)->view(), ListView::View::Report);
    EXPECT_EQ(panel(*window, "main"), QStringLiteral("1 Files, 1 Directories"));
    EXPECT_EQ(panel(*window, "selected"), QStringLiteral("0 items selected..."));
    EXPECT_TRUE(window->state().previewPending);
    EXPECT_TRUE(window->ui().cmdExecute->isEnabled());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(platform::isBusy());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(FreeSelectTest, EachEntryIsListedOnceAndLetterCaseMakesAnotherName) {
    const auto window = openFreeSelect();
    dropPaths(*window, {path("a.txt"), path("a.txt"), path("A.TXT")});
    dropPaths(*window, {path("a.txt")});
    // A doubled separator names the same file.
    const QString doubled = path().chopped(1) + QStringLiteral("//a.txt");
    dropPaths(*window, {doubled});
    EXPECT_EQ(rowPaths(*window), (QStringList{path("a.txt"), path("A.TXT")}));
    EXPECT_EQ(window->state().lstFiles[1], (QStringList{path("a.txt"), path("A.TXT")}));

    // The one-at-a-time add says whether it added.
    EXPECT_FALSE(window->freeSelect().dragDropAdd(path("a.txt")));
    EXPECT_TRUE(window->freeSelect().dragDropAdd(path("b.txt")));
    EXPECT_EQ(window->state().lstFiles[1].size(), 3);
}

TEST_F(FreeSelectTest, OnlyFilesAndFoldersThatExistAreAdded) {
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
    ASSERT_EQ(symlink(dir.file("a.txt").c_str(), dir.file("link.txt").c_str()), 0);
    const auto window = openFreeSelect();
    dropPaths(*window, {path("pipe"), path("missing.txt"), QStringLiteral("/"), path("link.txt")});
    // A pipe is never an entry (and never opened); a link to a file counts as a file.
    EXPECT_EQ(rowPaths(*window), QStringList{path("link.txt")});
    EXPECT_TRUE(window->state().lstDirs[1].isEmpty());

    // Nothing at all that can be added: the list keeps its placeholder.
    const auto second = openFreeSelect();
    dropPaths(*second, {path("pipe"), path("missing.txt")});
    EXPECT_TRUE(inPlaceholderState(*second));
    EXPECT_TRUE(second->state().lstFiles[1].isEmpty());
}

TEST_F(FreeSelectTest, ANameThatIsNotUtf8KeepsItsBytes) {
    const std::string name = "caf\xE9 \xFF.txt";
    dir.write(name, "x");
    const auto window = openFreeSelect();
    // The URL carries the bytes percent-encoded, as file managers send them.
    dropUrls(*window, {"file://" + QByteArray(dir.path().c_str()) + "/caf%E9%20%FF.txt"});
    ASSERT_EQ(window->state().lstFiles[1].size(), 1);
    const QString entry = window->state().lstFiles[1].constFirst();
    EXPECT_EQ(platform::nativePath(entry), dir.file(name));
    EXPECT_EQ(platform::nativePath(list(*window)->text(0)), name);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(FreeSelectTest, AUrlThatIsNotALocalFileIsRefusedWithAMessage) {
    const auto window = openFreeSelect();
    const QString mainBefore = panel(*window, "main");
    // Nothing local at all: a message, and nothing else changes.
    dropUrls(*window, {"https://example.com/a.txt"});
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown.constFirst().text.contains(QStringLiteral("https://example.com")));
    EXPECT_TRUE(inPlaceholderState(*window));
    EXPECT_EQ(panel(*window, "main"), mainBefore);

    // Mixed: the local files are added, the rest named in one message.
    messages.shown.clear();
    dropUrls(*window,
             {"sftp://server/home/a.txt", fileUrl(path("a.txt")), "file://elsewhere/tmp/b.txt"});
    EXPECT_EQ(rowPaths(*window), QStringList{path("a.txt")});
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown.constFirst().text.contains(QStringLiteral("sftp://server")));
    EXPECT_TRUE(messages.shown.constFirst().text.contains(QStringLiteral("file://elsewhere")));
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(FreeSelectTest, DropsThatAreNotFilesOrComeFromTheListItselfAreLeftAlone) {
    const auto window = openFreeSelect();
    auto* text = new QMimeData;
    text->setText(path("a.txt"));
    const QString mainBefore = panel(*window, "main");
    const DropResult textDrop = drop(*window, text);
    EXPECT_FALSE(textDrop.enterAccepted);
    EXPECT_TRUE(inPlaceholderState(*window));
    EXPECT_EQ(panel(*window, "main"), mainBefore);

    // Rows dragged inside the list belong to the list's own reordering.
    dropPaths(*window, {path("b.txt")});
    auto* own = list(*window)->createRowDragData();
    own->setData(QStringLiteral("text/uri-list"), uriList({fileUrl(path("a.txt"))}));
    drop(*window, own);
    EXPECT_EQ(rowPaths(*window), QStringList{path("b.txt")});
}

TEST_F(FreeSelectTest, FoldersGoIntoTheirWorkListInOrder) {
    for (const char* name : {"b", "C", "a", "B"}) {
        dir.mkdir(name);
    }
    const auto window = openFreeSelect();
    dropPaths(*window, {path("b"), path("C")});
    dropPaths(*window, {path("a"), path("B"), path("music")});
    EXPECT_EQ(window->state().lstDirs[1],
              (QStringList{path("a"), path("B"), path("b"), path("C"), path("music")}));
    // The rows keep the order of adding.
    EXPECT_EQ(rowPaths(*window),
              (QStringList{path("b"), path("C"), path("a"), path("B"), path("music")}));
}

TEST_F(FreeSelectTest, AllColumnsAreWrittenForDroppedEntries) {
    const auto window = openFreeSelect({{"showAllColumns", "1"}});
    dropPaths(*window, {path("a.txt"), path("music")});
    const ListView* rows = list(*window);
    ASSERT_EQ(rows->rowCount(), 2);
    EXPECT_EQ(rows->text(0, 3), QStringLiteral("3 bytes"));
    EXPECT_EQ(rows->text(0, 6), QStringLiteral("txt"));
    EXPECT_EQ(rows->text(0, 7), QStringLiteral("File"));
    EXPECT_EQ(rows->text(1, 7), QStringLiteral("Dir"));
    EXPECT_TRUE(rows->text(1, 3).isEmpty());
    EXPECT_FALSE(rows->text(1, 4).isEmpty());
}

TEST_F(FreeSelectTest, EscapeStopsALongDropAfterTheEntryInHand) {
    const auto window = openFreeSelect();
    window->activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(window->isActiveWindow());
    window->ui().chkPreview->setChecked(false);
    QStringList paths;
    for (int i = 0; i < 8; ++i) {
        const std::string name = "many" + std::to_string(i) + ".txt";
        dir.write(name);
        paths.append(path(name));
    }
    window->state().previewPending = false;

    // Pressed while the drop is being added (the adding lets the events through once first).
    auto* data = new QMimeData;
    QList<QByteArray> urls;
    for (const QString& p : paths) {
        urls.append(fileUrl(p));
    }
    data->setData(QStringLiteral("text/uri-list"), uriList(urls));
    QTimer::singleShot(0, window.get(), [&window] {
        QApplication::postEvent(window.get(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    });
    drop(*window, data);
    EXPECT_EQ(rowPaths(*window), QStringList{paths.constFirst()});
    EXPECT_EQ(window->state().lstFiles[1], QStringList{paths.constFirst()});
    EXPECT_FALSE(window->state().previewPending);
    EXPECT_EQ(panel(*window, "main"), QStringLiteral("1 Files, 0 Directories"));
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(platform::isBusy());
}

// ---- Remove Selected and Clear All ----

TEST_F(FreeSelectTest, RemoveSelectedTakesTheRowsAndTheirEntries) {
    const auto window = openFreeSelect();
    dropPaths(*window, {path("a.txt"), path("music"), path("b.txt"), path("A.TXT")});
    ListView* rows = list(*window);
    rows->selectRow(0);
    rows->selectRow(1);
    // A row whose path is in no work list stays, still selected.
    window->state().lstFiles[1].removeAll(path("A.TXT"));
    rows->selectRow(3);
    window->freeSelect().mnuDragdropRemoveClick();
    EXPECT_EQ(rowPaths(*window), (QStringList{path("b.txt"), path("A.TXT")}));
    EXPECT_EQ(rows->selectedRows(), QList<int>{1});
    EXPECT_EQ(window->state().lstFiles[1], QStringList{path("b.txt")});
    EXPECT_TRUE(window->state().lstDirs[1].isEmpty());
    EXPECT_EQ(panel(*window, "main"), QStringLiteral("1 Files, 0 Directories"));

    // Nothing selected: nothing removed.
    rows->clearSelection();
    window->freeSelect().mnuDragdropRemoveClick();
    EXPECT_EQ(rows->rowCount(), 2);
}

TEST_F(FreeSelectTest, RemovingManyRowsAtOnceKeepsTheOthersInOrder) {
    const auto window = openFreeSelect();
    QStringList paths;
    for (int i = 0; i < 100; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        dir.write(name);
        paths.append(path(name));
    }
    dropPaths(*window, paths);
    ASSERT_EQ(list(*window)->rowCount(), 100);
    ListView* rows = list(*window);
    QStringList left;
    for (int i = 0; i < 100; ++i) {
        if (i % 3 != 0) {
            rows->selectRow(i);
        } else {
            left.append(paths.at(i));
        }
    }
    // One selected row that cannot be removed, in the middle.
    window->state().lstFiles[1].removeAll(paths.at(50));
    left.insert(17, paths.at(50));
    window->freeSelect().mnuDragdropRemoveClick();
    EXPECT_EQ(rowPaths(*window), left);
    EXPECT_EQ(rows->selectedRows(), QList<int>{17});
    left.removeAt(17);
    EXPECT_EQ(window->state().lstFiles[1], left);
}

TEST_F(FreeSelectTest, RemovingTheLastRowsAndClearingBringThePlaceholderBack) {
    const auto window = openFreeSelect();
    dropPaths(*window, {path("a.txt"), path("music")});
    list(*window)->selectRow(0);
    list(*window)->selectRow(1);
    window->freeSelect().mnuDragdropRemoveClick();
    EXPECT_TRUE(inPlaceholderState(*window));
    EXPECT_TRUE(list(*window)->font().italic());
    EXPECT_EQ(list(*window)->view(), ListView::View::SmallIcon);
    EXPECT_TRUE(list(*window)->selectedRows().isEmpty());
    EXPECT_FALSE(window->ui().cmdExecute->isEnabled());

    // The placeholder row itself is never removed, even when selected.
    list(*window)->selectRow(0);
    window->freeSelect().mnuDragdropRemoveClick();
    EXPECT_TRUE(inPlaceholderState(*window));

    dropPaths(*window, {path("a.txt"), path("b.txt"), path("music")});
    ASSERT_EQ(list(*window)->rowCount(), 3);
    window->freeSelect().mnuDragdropClearClick();
    EXPECT_TRUE(inPlaceholderState(*window));
    EXPECT_TRUE(window->state().lstFiles[1].isEmpty());
    EXPECT_TRUE(window->state().lstDirs[1].isEmpty());
    EXPECT_EQ(panel(*window, "main"), QStringLiteral("0 Files, 0 Directories"));
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(platform::isBusy());

    // Clearing the placeholder gives the placeholder again; the next drop leaves it.
    window->freeSelect().mnuDragdropClearClick();
    EXPECT_TRUE(inPlaceholderState(*window));
    dropPaths(*window, {path("b.txt")});
    EXPECT_EQ(rowPaths(*window), QStringList{path("b.txt")});
}

TEST_F(FreeSelectTest, TheToolbarButtonsRemoveAndClear) {
    const auto window = openFreeSelect();
    dropPaths(*window, {path("a.txt"), path("b.txt")});
    list(*window)->selectRow(1);
    window->ui().cmdDragDropDel->click();
    EXPECT_EQ(rowPaths(*window), QStringList{path("a.txt")});
    EXPECT_TRUE(window->ui().lwDragDrop->hasFocus());
    window->ui().cmdDragDropAdd->setFocus();
    window->ui().cmdDragDropClear->click();
    EXPECT_TRUE(inPlaceholderState(*window));
    EXPECT_TRUE(window->ui().lwDragDrop->hasFocus());
}

// ---- Add Files ----

TEST_F(FreeSelectTest, AddFilesTakesSeveralFilesAndRemembersTheirFolder) {
    ScriptedFilesDialog dialog;
    const auto window = openFreeSelect();
    ASSERT_TRUE(window->settings().dragDropAddPath.isEmpty());

    // Cancelled: nothing is added; the path box's folder is remembered already.
    window->ui().cmdDragDropAdd->click();
    ASSERT_EQ(dialog.starts.size(), 1);
    EXPECT_EQ(dialog.titles.constFirst(), QStringLiteral("Select Files To Add"));
    EXPECT_EQ(dialog.starts.constFirst(), path().chopped(1));
    EXPECT_EQ(window->settings().dragDropAddPath, path().chopped(1));
    EXPECT_TRUE(inPlaceholderState(*window));

    dir.mkdir("other");
    dir.write("other/one.txt");
    dir.write("other/two.txt");
    dialog.answer = {path("other/one.txt")};
    window->freeSelect().cmdDragDropAddClick();
    EXPECT_EQ(rowPaths(*window), QStringList{path("other/one.txt")});
    EXPECT_EQ(window->settings().dragDropAddPath, path("other/"));

    // The next opening starts there; a file already listed is not added again.
    dialog.answer = {path("other/one.txt"), path("other/two.txt")};
    window->freeSelect().cmdDragDropAddClick();
    EXPECT_EQ(dialog.starts.last(), path("other"));
    EXPECT_EQ(rowPaths(*window), (QStringList{path("other/one.txt"), path("other/two.txt")}));
    EXPECT_EQ(window->settings().dragDropAddPath, path("other"));
    EXPECT_EQ(panel(*window, "main"), QStringLiteral("2 Files, 0 Directories"));
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(platform::isBusy());
}

TEST_F(FreeSelectTest, EscapeStopsAddFilesAndKeepsWhatWasAdded) {
    ScriptedFilesDialog dialog;
    const auto window = openFreeSelect();
    window->activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(window->isActiveWindow());
    window->ui().chkPreview->setChecked(false);
    dialog.answer = {path("a.txt"), path("b.txt"), path("A.TXT")};
    // The press arrives while the files are being added.
    dialog.whileOpen = [&window] {
        QApplication::postEvent(window.get(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    };
    window->freeSelect().cmdDragDropAddClick();
    EXPECT_EQ(rowPaths(*window), QStringList{path("a.txt")});
    EXPECT_FALSE(window->state().previewPending);
    EXPECT_EQ(panel(*window, "main"), QStringLiteral("1 Files, 0 Directories"));
    EXPECT_TRUE(window->isEnabled());
}

// ---- From the Directory list and the tree ----

TEST_F(FreeSelectTest, AddSelectedTakesTheSelectedRowsOfTheDirectoryList) {
    sandbox.store({{"chkDirs", "1"}});
    const auto window = start({QStringLiteral("/p"), path()});
    ListView* directory = window->ui().lwDirectory;
    ASSERT_EQ(directory->rowCount(), 4);
    const auto rowOf = [directory](const char* name) {
        for (int row = 0; row < directory->rowCount(); ++row) {
            if (directory->text(row) == QLatin1String(name)) {
                return row;
            }
        }
        return -1;
    };

    // No row selected: nothing is added.
    window->freeSelect().mnuListviewAddClick();
    EXPECT_TRUE(window->state().lstFiles[1].isEmpty());

    directory->selectRow(rowOf("music"));
    directory->selectRow(rowOf("b.txt"));
    window->freeSelect().mnuListviewAddClick();
    EXPECT_EQ(rowPaths(*window), (QStringList{path("music"), path("b.txt")}));
    EXPECT_EQ(window->state().lstDirs[1], QStringList{path("music")});
    EXPECT_EQ(window->state().lstFiles[1], QStringList{path("b.txt")});
    // The Directory source stays the current one, with its own counts.
    EXPECT_EQ(window->state().fileMode, 0);
    EXPECT_EQ(panel(*window, "main"), QStringLiteral("3 Files, 1 Directories"));
    // The menu's own count ran before the adding; the cancel hint does not stay behind it.
    EXPECT_EQ(panel(*window, "selected"), QStringLiteral("2 items selected..."));
    EXPECT_TRUE(window->isEnabled());
}

class FreeSelectTreeTest : public FreeSelectTest {
protected:
    void SetUp() override {
        dir.mkdir("Music");
        dir.mkdir("Music/live");
        dir.write("Music/song.mp3");
        dir.write("Music/live/gig.mp3");
        dir.mkdir("Music 2");
        dir.write("Music 2/other.mp3");
        dir.write("Music.txt");
    }

    std::unique_ptr<FrmMain> openTree() {
        sandbox.store({{"enableTreeview", "1"},
                       {"chkShowTreeview", "1"},
                       {"chkDirs", "1"},
                       {"uncheckSubsdirsAtStartup", "0"},
                       {"chkSub", "1"}});
        return start({QStringLiteral("/p"), path()});
    }

    static QTreeWidgetItem* topNode(FrmMain& window, const QString& text) {
        QTreeWidget* tree = window.ui().TreeView;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            if (tree->topLevelItem(i)->text(0) == text) {
                return tree->topLevelItem(i);
            }
        }
        return nullptr;
    }
};

TEST_F(FreeSelectTreeTest, AddDirectoryContentsTakesOnlyWhatLiesBelowTheFolder) {
    const auto window = openTree();
    QTreeWidgetItem* music = topNode(*window, QStringLiteral("Music"));
    ASSERT_NE(music, nullptr);
    ASSERT_NE(topNode(*window, QStringLiteral("Music 2")), nullptr);
    ASSERT_NE(topNode(*window, QStringLiteral("Music.txt")), nullptr);
    window->ui().TreeView->setCurrentItem(music);
    window->freeSelect().mnuTreeviewAddRecursiveClick();
    // Folders first, as the folder read listed them, then the files; not "Music 2" nor
    // "Music.txt", whose names merely begin with the same letters.
    EXPECT_EQ(rowPaths(*window), (QStringList{path("Music/live"), path("Music/song.mp3"),
                                              path("Music/live/gig.mp3")}));
    EXPECT_EQ(window->state().lstDirs[1], QStringList{path("Music/live")});
    EXPECT_EQ(window->state().lstFiles[1].size(), 2);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(platform::isBusy());
}

TEST_F(FreeSelectTreeTest, AddToFreeSelectTakesTheNodeItselfButNotTheParentEntry) {
    const auto window = openTree();
    QTreeWidget* tree = window->ui().TreeView;
    window->ui().TreeView->setCurrentItem(topNode(*window, QStringLiteral("Music")));
    window->freeSelect().mnuTreeviewAddClick();
    EXPECT_EQ(rowPaths(*window), QStringList{path("Music")});

    // "[..]" stands for the parent folder, even when an entry of that name exists.
    dir.write("[..]");
    ASSERT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("[..]"));
    tree->setCurrentItem(tree->topLevelItem(0));
    window->freeSelect().mnuTreeviewAddClick();
    window->freeSelect().mnuTreeviewAddRecursiveClick();
    EXPECT_EQ(rowPaths(*window), QStringList{path("Music")});
}

// ---- Reading file URLs ----

TEST(FreeSelectUrls, LocalFileUrlsGiveTheirPathsAndOthersNothing) {
    const struct {
        const char* url;
        std::optional<std::string> path;
    } cases[] = {
        {"file:///home/a.txt", "/home/a.txt"},
        {"FILE:///home/a.txt", "/home/a.txt"},
        {"file:/home/a.txt", "/home/a.txt"},
        {"file://localhost/home/a%20b.txt", "/home/a b.txt"},
        {"file:///home/what%3F%23.txt?query#part", "/home/what?#.txt"},
        {"file:///home/caf%E9", std::string("/home/caf\xE9")},
        {"file:///home/caf\xC3\xA9", std::string("/home/caf\xC3\xA9")},
        {"file://fileserver/share/a.txt", std::nullopt},
        {"https://example.com/a.txt", std::nullopt},
        {"smb://server/share", std::nullopt},
        {"file:relative.txt", std::nullopt},
        {"/home/a.txt", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<QString> path = platform::localPathFromUrl(QByteArray(c.url));
        ASSERT_EQ(path.has_value(), c.path.has_value()) << c.url;
        if (path) {
            EXPECT_EQ(platform::nativePath(*path), *c.path) << c.url;
        }
    }
    EXPECT_EQ(platform::uriListEntries("# comment\r\nfile:///a\r\n\r\n  file:///b  \nfile:///c"),
              (QList<QByteArray>{"file:///a", "file:///b", "file:///c"}));
}

}  // namespace
