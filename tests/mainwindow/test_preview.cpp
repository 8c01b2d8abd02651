// The preview column of the main window and the preview timer's tick: the new names the
// options give, the empty cells where a name is kept or nothing may be renamed, the newest
// request winning over a pass that is still running, and the order of the tick's duties.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QHash>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTreeView>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/widgets/listview.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::FrmMain;
using platform::ListView;
using testsupport::TempDir;
using testsupport::WindowTest;

constexpr int kReplace = 0, kAttrib = 4;

class PreviewWindowTest : public WindowTest {
protected:
    // Opens the folder with these files on the Replace tab, single replace.
    void open(const std::vector<std::string>& files) {
        for (const std::string& file : files) {
            dir.write(file);
        }
        window = start({QStringLiteral("/p"), QString::fromStdString(dir.path()) + "/"});
        window->state().mp3LibraryMissing = false;
        window->control<QTabBar>(QStringLiteral("TabStrip"))->setCurrentIndex(kReplace);
        window->selectOption(QStringLiteral("optReplaceSingle"));
        ASSERT_EQ(list()->rowCount(), static_cast<int>(files.size()));
    }
    ListView* list() const { return window->control<ListView>(QStringLiteral("lwDirectory")); }
    void set(const char* box, const QString& text) const {
        window->control<QLineEdit>(QString::fromUtf8(box))->setText(text);
    }
    void check(const char* box, int value) const {
        window->setCheck(QString::fromUtf8(box), value);
    }
    // Name -> preview cell, so that the expectations do not depend on the row order.
    QHash<QString, QString> previews() const {
        QHash<QString, QString> cells;
        for (int row = 0; row < list()->rowCount(); ++row) {
            cells.insert(list()->text(row, 0), list()->text(row, 1));
        }
        return cells;
    }
    QString panel() const { return window->panelText(QStringLiteral("preview")); }
    // The timer's tick, once the validation has marked a preview.
    void tick() const {
        EXPECT_TRUE(window->state().previewPending);
        window->modePanels().tmrPreviewTimer();
    }

    TempDir dir;
    std::unique_ptr<FrmMain> window;
};

TEST_F(PreviewWindowTest, ReplaceShowsTheNewNamesInTheChosenScope) {
    // The batch list of the program folder: "i" -> "I", then "t" -> "T", case-sensitive.
    sandbox.program().write("replace.txt", "i/I/1/0/0/0\r\nt/T/1/0/0/0\r\n");
    open({"holiday.jpg", "jpg list.txt", "readme"});
    set("txtFind", "jpg");
    set("txtReplace", "png");

    using Cells = QHash<QString, QString>;
    const struct {
        const char* what;
        bool batch;
        int name;
        int extension;
        Cells cells;
        const char* count;
    } cases[] = {
        {"single, whole name", false, 1, 1,
         Cells{{"holiday.jpg", "holiday.png"}, {"jpg list.txt", "png list.txt"}, {"readme", ""}},
         "2 items to rename..."},
        {"single, name only", false, 1, 0,
         Cells{{"holiday.jpg", ""}, {"jpg list.txt", "png list.txt"}, {"readme", ""}},
         "1 item to rename..."},
        {"single, extension only", false, 0, 1,
         Cells{{"holiday.jpg", "holiday.png"}, {"jpg list.txt", ""}, {"readme", ""}},
         "1 item to rename..."},
        {"batch, whole name", true, 1, 1,
         Cells{{"holiday.jpg", "holIday.jpg"}, {"jpg list.txt", "jpg lIsT.TxT"}, {"readme", ""}},
         "2 items to rename..."},
        {"batch, extension only", true, 0, 1,
         Cells{{"holiday.jpg", ""}, {"jpg list.txt", "jpg list.TxT"}, {"readme", ""}},
         "1 item to rename..."},
    };
    for (const auto& c : cases) {
        window->selectOption(c.batch ? QStringLiteral("optReplaceBatch")
                                     : QStringLiteral("optReplaceSingle"));
        // One box stays ticked whatever the order: tick first, then clear.
        check("chkProcessFilename", 1);
        check("chkProcessFileExt", 1);
        check("chkProcessFilename", c.name);
        check("chkProcessFileExt", c.extension);
        window->modePanels().optionsChanged();
        tick();
        EXPECT_EQ(previews(), c.cells) << c.what;
        EXPECT_EQ(panel(), QString::fromUtf8(c.count)) << c.what;
        EXPECT_FALSE(window->state().previewPending) << c.what;
    }
}

TEST_F(PreviewWindowTest, NothingShowsWhileRenameIsDisabledOrOnTheAttributeTab) {
    open({"a.txt", "b.txt"});
    set("txtFind", "txt");
    set("txtReplace", "doc");
    tick();
    ASSERT_EQ(previews().value("a.txt"), QStringLiteral("a.doc"));

    set("txtFind", QString());  // blocks Rename!
    ASSERT_FALSE(window->control<QPushButton>(QStringLiteral("cmdExecute"))->isEnabled());
    tick();
    EXPECT_EQ(previews(), (QHash<QString, QString>{{"a.txt", ""}, {"b.txt", ""}}));
    EXPECT_EQ(panel(), QStringLiteral("0 items to rename..."));

    set("txtFind", "txt");
    tick();
    ASSERT_EQ(previews().value("b.txt"), QStringLiteral("b.doc"));
    window->control<QTabBar>(QStringLiteral("TabStrip"))->setCurrentIndex(kAttrib);
    window->setCheck(QStringLiteral("chkA"), 1);  // a valid attribute run
    ASSERT_TRUE(window->control<QPushButton>(QStringLiteral("cmdExecute"))->isEnabled());
    tick();
    EXPECT_EQ(previews(), (QHash<QString, QString>{{"a.txt", ""}, {"b.txt", ""}}));
    EXPECT_EQ(panel(), QStringLiteral("No Preview Available..."));
}

TEST_F(PreviewWindowTest, TheNewestRequestWins) {
    std::vector<std::string> files;
    for (int i = 1; i <= 12; ++i) {
        // Built from a std::string: GCC 12 at -O3 warns falsely (-Wrestrict) on literal + string.
        files.push_back(std::string("f") + std::to_string(100 + i) + ".txt");
    }
    open(files);
    set("txtFind", "f");
    set("txtReplace", "A");
    const auto allStartWith = [this](const QString& prefix) {
        for (const QString& cell : previews()) {
            if (!cell.startsWith(prefix)) {
                return false;
            }
        }
        return true;
    };

    // An option changes while the pass yields: the pass stops, leaving the rows after that
    // point as they were, and the next tick shows the new options everywhere.
    QMetaObject::invokeMethod(
        window.get(), [this] { set("txtReplace", "B"); }, Qt::QueuedConnection);
    tick();
    const QHash<QString, QString> stopped = previews();
    const auto firstPass = std::count_if(stopped.cbegin(), stopped.cend(),
                                         [](const QString& cell) { return cell.startsWith("A"); });
    EXPECT_GE(firstPass, 5);
    EXPECT_LT(firstPass, 12);
    tick();
    EXPECT_TRUE(allStartWith("B"));
    EXPECT_EQ(panel(), QStringLiteral("12 items to rename..."));

    // The timer's tick arrives during the yield and runs a whole newer pass; the older one
    // must write no row when it resumes.
    set("txtReplace", "D");
    QMetaObject::invokeMethod(
        window.get(),
        [this] {
            set("txtReplace", "C");
            window->modePanels().tmrPreviewTimer();
        },
        Qt::QueuedConnection);
    tick();
    EXPECT_TRUE(allStartWith("C"));
    EXPECT_EQ(panel(), QStringLiteral("12 items to rename..."));
}

TEST_F(PreviewWindowTest, TickRunsItsDutiesInOrder) {
    open({"a.txt", "b.txt", "c.txt"});
    set("txtFind", "txt");
    set("txtReplace", "doc");
    check("chkOnlyRenameSelected", 1);
    ASSERT_FALSE(window->state().onlySelectedInForce);  // nothing selected renames all

    // A label edit, a mouse selection of row 1 and a preview wait for the same tick. The
    // recount comes first, so the preview already honours the new selection.
    list()->selectRow(1);
    auto& state = window->state();
    state.labelEditPending = true;
    state.selectionRecountPending = true;
    state.previewPending = true;
    window->modePanels().tmrPreviewTimer();

    EXPECT_FALSE(state.labelEditPending);
    // An editor is open on the selected row's label.
    EXPECT_TRUE(
        qobject_cast<QLineEdit*>(list()->reportView()->indexWidget(list()->model()->index(1, 0))));
    EXPECT_FALSE(state.selectionRecountPending);
    EXPECT_EQ(state.selectedCount, 1);
    EXPECT_TRUE(state.onlySelectedInForce);
    EXPECT_EQ(previews(),
              (QHash<QString, QString>{{"a.txt", ""}, {"b.txt", "b.doc"}, {"c.txt", ""}}));
    EXPECT_EQ(panel(), QStringLiteral("1 item to rename..."));
    EXPECT_FALSE(state.previewPending);
}

TEST_F(PreviewWindowTest, TickKeepsTheNormalWindowPosition) {
    open({"a.txt"});
    window->move(210, 120);
    QApplication::processEvents();
    window->modePanels().tmrPreviewTimer();
    EXPECT_EQ(window->settings().Main_Left, window->x() * 15);
    EXPECT_EQ(window->settings().Main_Top, window->y() * 15);

    const qint16 left = window->settings().Main_Left;
    const qint16 top = window->settings().Main_Top;
    // Maximized, the window stands elsewhere; the tick leaves the normal position alone.
    // (Moving a maximized window would make the platform restore it first.)
    window->setWindowState(Qt::WindowMaximized);
    QApplication::processEvents();
    ASSERT_NE(window->x() * 15, left);
    window->modePanels().tmrPreviewTimer();
    EXPECT_EQ(window->settings().Main_Left, left);
    EXPECT_EQ(window->settings().Main_Top, top);
}

TEST_F(PreviewWindowTest, InstantPreviewBox) {
    open({"a.txt"});
    set("txtFind", "a");
    set("txtReplace", "z");
    tick();
    ASSERT_EQ(panel(), QStringLiteral("1 item to rename..."));

    // Unticked: only the count goes; the cells stay and changes mark no preview.
    check("chkPreview", 0);
    EXPECT_EQ(panel(), QString());
    EXPECT_EQ(previews().value("a.txt"), QStringLiteral("z.txt"));
    window->state().previewPending = false;
    set("txtReplace", "y");
    EXPECT_FALSE(window->state().previewPending);

    // Ticked again: a preview is due at once, even without another change.
    check("chkPreview", 1);
    tick();
    EXPECT_EQ(previews().value("a.txt"), QStringLiteral("y.txt"));
}

}  // namespace
