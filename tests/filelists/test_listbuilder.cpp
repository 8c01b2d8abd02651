#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <unistd.h>

#include "engine/log.h"
#include "filelists/imagelist.h"
#include "filelists/listbuilder.h"
#include "filelists/rowtext.h"
#include "filelists/sysicons.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"
#include "tests/support/tempdir.h"

namespace {

using namespace filelists;

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

// The columns as the main window creates them.
void addColumns(platform::ListView& list, bool all) {
    const char* columns[][2] = {
        {"Name", "filename"}, {"Preview", "preview"}, {"Path", "path"},
        {"Size", "size"},     {"Changed", "date"},    {"Attributes", "attrib"},
        {"Extension", "ext"}, {"Type", "type"},       {"Size in Bytes", "sizeb"}};
    const int count = all ? kAllColumnCount : kBaseColumnCount;
    for (int i = 0; i < count; ++i) {
        list.addColumn(QString::fromLatin1(columns[i][0]), QString::fromLatin1(columns[i][1]),
                       i == kColumnSizeKey ? 0 : 80);
    }
}

struct StatusLog {
    QStringList main;
    QStringList selected;
    StatusText sink() {
        return [this](const QString& panel, const QString& text) {
            (panel == QStringLiteral("main") ? main : selected).append(text);
        };
    }
};

class ListBuilder : public ::testing::Test {
protected:
    void SetUp() override {
        initSysIcons(images, QSize(32, 32));
        platform::EscapeWatch::clear();
    }

    ListBuildResult build(platform::ListView& list, const QStringList& dirs,
                          const QStringList& files, const ViewSwitches& switches) {
        IconOptions options;
        options.ghostDirs = switches.alwaysShowDirs && !switches.dirs;
        return updateListview(list, dirs, files, switches, images, options, status.sink());
    }

    static QStringList names(const platform::ListView& list) {
        QStringList result;
        for (int row = 0; row < list.rowCount(); ++row) {
            result << list.text(row, kColumnName);
        }
        return result;
    }

    testsupport::TempDir dir;
    SourceImages images;
    StatusLog status;
};

ViewSwitches dirsAndFiles(bool allColumns = false) {
    ViewSwitches switches;
    switches.dirs = true;
    switches.files = true;
    switches.showAllColumns = allColumns;
    return switches;
}

TEST_F(ListBuilder, DirectoriesFirstEachGroupByNameWhateverItBeginsWith) {
    // Names that begin with five blanks were once how directory rows were told apart; here a
    // file and a directory carry such names and must stay in their own group, blanks and all.
    const QString base = q(dir.path() + "/");
    const QStringList dirs{base + "b", base + "     z", base + "A"};
    const QStringList files{base + "d.txt", base + "     early.txt", base + "C.txt"};
    platform::ListView list;
    addColumns(list, false);

    const ListBuildResult result = build(list, dirs, files, dirsAndFiles());
    ASSERT_EQ(result.outcome, BuildOutcome::Complete);
    EXPECT_EQ(result.rows, 6);
    const QStringList shown = names(list);
    EXPECT_TRUE(shown.mid(0, 3).contains(QStringLiteral("     z")));
    EXPECT_TRUE(shown.mid(3).contains(QStringLiteral("     early.txt")));
    // Within each group the blanks sort first; letters ignore case.
    EXPECT_EQ(shown, (QStringList{QStringLiteral("     z"), QStringLiteral("A"),
                                  QStringLiteral("b"), QStringLiteral("     early.txt"),
                                  QStringLiteral("C.txt"), QStringLiteral("d.txt")}));
    for (int row = 0; row < list.rowCount(); ++row) {
        EXPECT_EQ(list.text(row, kColumnFolder), base);
        EXPECT_EQ(list.row(row).texts.size(), kBaseColumnCount);
    }
    EXPECT_TRUE(list.selectedRows().isEmpty());
}

// Groups that come in order already, or only one of them, or neither: the rows are the same
// as for groups that must be sorted, directories first.
TEST_F(ListBuilder, GroupsInOrderOrNotComeOutTheSame) {
    const QString base = q(dir.path() + "/");
    const auto paths = [&](std::initializer_list<const char*> names) {
        QStringList result;
        for (const char* name : names) {
            result << base + QString::fromUtf8(name);
        }
        return result;
    };
    const struct {
        QStringList dirs;
        QStringList files;
        QStringList shown;
    } cases[] = {
        {{}, paths({"a", "B", "c"}), {"a", "B", "c"}},
        {paths({"A", "b"}), {}, {"A", "b"}},
        {paths({"A", "b"}), paths({"c.txt", "D.txt"}), {"A", "b", "c.txt", "D.txt"}},
        {paths({"b", "A"}), paths({"c", "D"}), {"A", "b", "c", "D"}},
        {paths({"A", "b"}), paths({"D", "c"}), {"A", "b", "c", "D"}},
        {{}, paths({"b", "a", "C"}), {"a", "b", "C"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown.join(u',').toStdString());
        platform::ListView list;
        addColumns(list, false);
        const ListBuildResult result = build(list, c.dirs, c.files, dirsAndFiles());
        ASSERT_EQ(result.outcome, BuildOutcome::Complete);
        EXPECT_EQ(names(list), c.shown);
        for (int row = 0; row < list.rowCount(); ++row) {
            EXPECT_EQ(list.text(row, kColumnFolder), base);
            EXPECT_EQ(list.row(row).texts.size(), kBaseColumnCount);
            // Each row keeps its own picture: a folder's under its path, a file's by extension.
            const QString name = list.text(row, kColumnName);
            const QString key = row < c.dirs.size()   ? base + name
                                : name.contains(u'.') ? QStringLiteral(".TXT")
                                                      : kDefaultFileKey;
            EXPECT_EQ(images.small.key(list.row(row).smallImage), key) << row;
        }
    }
}

TEST_F(ListBuilder, DetailColumnsOfFilesAndDirectories) {
    const std::string sub = dir.mkdir("photos");
    const std::string file = dir.write("notes.txt", std::string(2560, 'n'));
    const std::string bare = dir.write("Makefile", "all:\n");
    const std::string big = dir.write("disk.img");
    ASSERT_EQ(::truncate(big.c_str(), 5LL * 1024 * 1024 * 1024), 0);
    platform::ListView list;
    addColumns(list, true);

    const ListBuildResult result =
        build(list, {q(sub)}, {q(file), q(bare), q(big)}, dirsAndFiles(true));
    ASSERT_EQ(result.outcome, BuildOutcome::Complete) << result.reason.toStdString();
    ASSERT_EQ(names(list), (QStringList{QStringLiteral("photos"), QStringLiteral("disk.img"),
                                        QStringLiteral("Makefile"), QStringLiteral("notes.txt")}));
    const auto texts = [&](int row) { return list.row(row).texts; };
    ASSERT_EQ(texts(0).size(), kAllColumnCount);
    EXPECT_EQ(texts(0).at(kColumnType), QStringLiteral("Dir"));
    EXPECT_EQ(texts(0).at(kColumnSize), QString());
    EXPECT_EQ(texts(0).at(kColumnSizeKey), QString());
    EXPECT_EQ(texts(0).at(kColumnAttrib), QStringLiteral("[----]"));
    EXPECT_FALSE(texts(0).at(kColumnDate).isEmpty());

    EXPECT_EQ(texts(1).at(kColumnSize), QStringLiteral("5 GB"));
    EXPECT_EQ(texts(1).at(kColumnSizeKey), QStringLiteral("00000000005368709120"));
    EXPECT_EQ(texts(1).at(kColumnExt), QStringLiteral("img"));

    EXPECT_EQ(texts(2).at(kColumnExt), QString());
    EXPECT_EQ(texts(2).at(kColumnSize), QStringLiteral("5 bytes"));

    EXPECT_EQ(texts(3).at(kColumnSize), QStringLiteral("2 kB"));
    EXPECT_EQ(texts(3).at(kColumnSizeKey), QStringLiteral("00000000000000002560"));
    EXPECT_EQ(texts(3).at(kColumnType), QStringLiteral("File"));
    EXPECT_EQ(texts(3).at(kColumnPreview), QString());
}

TEST_F(ListBuilder, BoxesDecideTheGroupsAndTheirPictures) {
    const QString base = q(dir.path() + "/");
    const QStringList dirs{base + "sub"};
    const QStringList files{base + "a.txt"};
    const struct {
        bool dirs, files, alwaysShowDirs;
        QStringList rows;
        int dirPicture;  // small picture of the directory row
    } cases[] = {
        {true, true, false, {QStringLiteral("sub"), QStringLiteral("a.txt")}, -1},
        {false, true, true, {QStringLiteral("sub"), QStringLiteral("a.txt")}, kDefaultGhostDir},
        {false, true, false, {QStringLiteral("a.txt")}, 0},
        {true, false, false, {QStringLiteral("sub")}, -1},
    };
    for (const auto& c : cases) {
        ViewSwitches switches;
        switches.dirs = c.dirs;
        switches.files = c.files;
        switches.alwaysShowDirs = c.alwaysShowDirs;
        platform::ListView list;
        addColumns(list, false);
        status = {};
        ASSERT_EQ(build(list, dirs, files, switches).outcome, BuildOutcome::Complete);
        EXPECT_EQ(names(list), c.rows) << c.dirs << c.files << c.alwaysShowDirs;
        if (c.dirPicture == kDefaultGhostDir) {
            EXPECT_EQ(list.row(0).smallImage, kDefaultGhostDir);
            EXPECT_EQ(list.row(0).largeImage, kDefaultGhostDir);
        } else if (c.dirPicture < 0) {
            // A processed folder has a picture of its own, not the faded one.
            EXPECT_GT(list.row(0).smallImage, 0);
            EXPECT_NE(list.row(0).smallImage, kDefaultGhostDir);
        }
        // The percentage runs over the listed rows alone and ends at 100.
        EXPECT_EQ(status.main.last(), QStringLiteral("Building Listview... 100%"));
        EXPECT_EQ(status.selected, QStringList{QStringLiteral("Press escape to cancel...")});
    }
}

// A loop's poll yields to the event loop (where a press of Escape arrives) on its first call
// and whenever the last yield is 50 ms or more ago, and starts its timer again then.
TEST(EscapeWatchPoll, YieldsOnceFiftyMillisecondsHavePassed) {
    QObject receiver;
    int delivered = 0;
    const auto post = [&] {
        QMetaObject::invokeMethod(
            &receiver, [&] { ++delivered; }, Qt::QueuedConnection);
    };
    QElapsedTimer since;
    post();
    EXPECT_FALSE(platform::EscapeWatch::pressed(since));
    EXPECT_EQ(delivered, 1);
    ASSERT_TRUE(since.isValid());
    for (int round = 0; round < 3; ++round) {
        post();
        const qint64 started = since.msecsSinceReference();
        QThread::msleep(60);
        EXPECT_FALSE(platform::EscapeWatch::pressed(since));
        EXPECT_EQ(delivered, 2 + round);
        EXPECT_GT(since.msecsSinceReference(), started);
    }
    QCoreApplication::processEvents();
}

TEST_F(ListBuilder, ListViewShowsTheGrownImageLists) {
    platform::ListView list;
    addColumns(list, false);
    const QStringList files{q(dir.path() + "/a.txt"), q(dir.path() + "/b.pdf")};
    ASSERT_EQ(build(list, {}, files, dirsAndFiles()).outcome, BuildOutcome::Complete);
    for (int row = 0; row < list.rowCount(); ++row) {
        const int picture = list.row(row).smallImage;
        ASSERT_GT(picture, 0);
        ASSERT_LT(picture, list.model()->smallImages.size());
        EXPECT_FALSE(list.model()->smallImages.at(picture).isNull());
        EXPECT_LT(list.row(row).largeImage, list.model()->largeImages.size());
    }
}

TEST_F(ListBuilder, StatusPercentIsWrittenOnlyWhenItChanges) {
    QStringList files;
    for (int i = 0; i < 1000; ++i) {
        files << q(dir.path() + "/f" + std::to_string(i) + ".txt");
    }
    platform::ListView list;
    addColumns(list, false);
    ASSERT_EQ(build(list, {}, files, dirsAndFiles()).outcome, BuildOutcome::Complete);
    // "Building Listview..." once, then each whole percentage from 0 (1 of 1000 rounds to 0)
    // to 100 once.
    ASSERT_EQ(status.main.size(), 102);
    EXPECT_EQ(status.main.first(), QStringLiteral("Building Listview..."));
    for (int percent = 0; percent <= 100; ++percent) {
        EXPECT_EQ(status.main.at(percent + 1),
                  QStringLiteral("Building Listview... %1%").arg(percent));
    }
}

// Exact halves go to the even neighbour even where the quotient is no exact binary fraction:
// 23 of 40 is 57.5 and shows 58, 109 of 200 is 54.5 and shows 54.
TEST(BuildProgress, ExactHalvesGoToTheEvenPercentage) {
    const struct {
        qint64 done, total;
        const char* text;
    } cases[] = {{23, 40, "L 58%"}, {109, 200, "L 54%"}, {1, 8, "L 12%"}, {3, 8, "L 38%"}};
    for (const auto& c : cases) {
        StatusLog status;
        BuildProgress progress(QStringLiteral("L"), c.total, status.sink());
        for (qint64 i = 0; i < c.done; ++i) {
            progress.step();
        }
        ASSERT_FALSE(status.main.isEmpty());
        EXPECT_EQ(status.main.last(), QString::fromLatin1(c.text)) << c.done << "/" << c.total;
    }
}

TEST_F(ListBuilder, TwoFullWorkListsBuildQuickly) {
    // Each work list may hold 32767 entries; together they are more rows than 16 bits count.
    // The paths need not exist: without the detail columns nothing is read from disk.
    QStringList dirs;
    QStringList files;
    const QString base = q(dir.path() + "/");
    for (int i = 0; i < 32767; ++i) {
        dirs << base + QStringLiteral("d%1").arg(32766 - i, 5, 10, QLatin1Char('0'));
        files << base + QStringLiteral("f%1.txt").arg(i);
    }
    platform::ListView list;
    addColumns(list, false);
    const ListBuildResult result = build(list, dirs, files, dirsAndFiles());
    ASSERT_EQ(result.outcome, BuildOutcome::Complete) << result.reason.toStdString();
    EXPECT_EQ(result.rows, 65534);
    EXPECT_EQ(list.rowCount(), 65534);
    EXPECT_EQ(list.text(0), QStringLiteral("d00000"));
    EXPECT_EQ(list.text(32766), QStringLiteral("d32766"));
    EXPECT_EQ(list.text(32767), QStringLiteral("f0.txt"));
    EXPECT_EQ(list.text(65533), QStringLiteral("f9999.txt"));
    EXPECT_EQ(status.main.last(), QStringLiteral("Building Listview... 100%"));
}

TEST_F(ListBuilder, ThirtyThousandFilesWithDetails) {
    // Real files, so that every row reads its size, date and attributes.
    testsupport::TempDir many;
    QStringList files;
    const char* extensions[] = {".txt", ".jpg", ".pdf", ".mp3", ""};
    for (int i = 0; i < 30000; ++i) {
        files << q(many.write("file" + std::to_string(i) + extensions[i % 5]));
    }
    platform::ListView list;
    addColumns(list, true);
    const ListBuildResult result = build(list, {}, files, dirsAndFiles(true));
    ASSERT_EQ(result.outcome, BuildOutcome::Complete) << result.reason.toStdString();
    EXPECT_EQ(list.rowCount(), 30000);
}

// Rows with details are read ahead in stretches by several threads: each row still gets the
// texts its own entry gives, and the entries that cannot be examined get their blank details
// and their log lines in the order of the work list.
TEST_F(ListBuilder, ManyRowsWithDetailsGetTheirOwnEntriesTexts) {
    testsupport::TempDir many;
    QStringList files;
    QStringList gone;
    for (int i = 0; i < 5000; ++i) {
        const std::string name = "f" + std::to_string(i) + (i % 3 == 0 ? ".txt" : ".dat");
        if (i % 997 == 5) {
            files << q(many.file(name));
            gone << files.last();
        } else {
            files << q(many.write(name, std::string(static_cast<std::size_t>(i % 13), 'x')));
        }
    }
    engine::setErrorsLogged(false);
    platform::ListView list;
    addColumns(list, true);
    ASSERT_EQ(build(list, {}, files, dirsAndFiles(true)).outcome, BuildOutcome::Complete);
    ASSERT_EQ(list.rowCount(), files.size());
    for (int row = 0; row < list.rowCount(); ++row) {
        const QString path = list.text(row, kColumnFolder) + list.text(row, kColumnName);
        const auto texts = readRowTexts(path, false, true);
        if (gone.contains(path)) {
            EXPECT_FALSE(texts.ok());
            EXPECT_EQ(list.text(row, 3), QString()) << path.toStdString();
            continue;
        }
        ASSERT_TRUE(texts.ok()) << path.toStdString();
        EXPECT_EQ(list.row(row).texts, texts.value()) << path.toStdString();
    }
    const std::string log =
        testsupport::readAll(testsupport::sandboxRoot() + "/program/errors.txt");
    std::size_t at = 0;
    for (const QString& path : gone) {
        const std::size_t found = log.find("updateListview: " + path.toStdString() + " (", at);
        ASSERT_NE(found, std::string::npos) << path.toStdString();
        at = found + 1;
    }
}

// One entry that cannot be examined (here: gone since the read) never empties the list: it
// keeps its row with blank details and gets its line in the error log.
TEST_F(ListBuilder, AnEntryThatCannotBeExaminedKeepsARowWithBlankDetails) {
    const QString base = q(dir.path() + "/");
    const std::string present = dir.write("here.txt", "x");
    const QString gone = base + QStringLiteral("gone.txt");
    engine::setErrorsLogged(false);

    platform::ListView list;
    addColumns(list, true);
    list.addRow(QStringList{QStringLiteral("stale row")});
    const ListBuildResult result = build(list, {}, {q(present), gone}, dirsAndFiles(true));
    EXPECT_EQ(result.outcome, BuildOutcome::Complete);
    EXPECT_EQ(names(list), (QStringList{QStringLiteral("gone.txt"), QStringLiteral("here.txt")}));
    EXPECT_EQ(list.text(0, kColumnFolder), base);
    EXPECT_EQ(list.text(0, 3), QString());  // no size for what cannot be examined
    EXPECT_FALSE(list.text(1, 3).isEmpty());
    EXPECT_TRUE(engine::errorsLogged());
    const std::string log =
        testsupport::readAll(testsupport::sandboxRoot() + "/program/errors.txt");
    EXPECT_NE(log.find("updateListview: " + gone.toStdString()), std::string::npos) << log;

    // Without the detail columns nothing is read, so the vanished entry gets its row as well.
    platform::ListView bare;
    addColumns(bare, false);
    ASSERT_EQ(build(bare, {}, {q(present), gone}, dirsAndFiles()).outcome, BuildOutcome::Complete);
    EXPECT_EQ(names(bare), (QStringList{QStringLiteral("gone.txt"), QStringLiteral("here.txt")}));
}

// Escape reaches the builder through the application's key presses while the main window is
// the active one.
class ListBuilderEscape : public ListBuilder {
protected:
    void SetUp() override {
        ListBuilder::SetUp();
        window.resize(200, 100);
        window.show();
        window.activateWindow();
        QApplication::processEvents();
        platform::EscapeWatch::install(&window);
    }
    void TearDown() override { platform::EscapeWatch::uninstall(); }

    static void pressEscape(QWidget* target) {
        QCoreApplication::postEvent(
            target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    }

    QWidget window;
};

TEST_F(ListBuilderEscape, EscapeStopsTheBuildAndEmptiesTheList) {
    if (!window.isActiveWindow()) {
        GTEST_SKIP() << "this platform does not activate windows";
    }
    QStringList files;
    for (int i = 0; i < 20000; ++i) {
        files << q(dir.path() + "/f" + std::to_string(i) + ".txt");
    }
    platform::ListView list;
    addColumns(list, false);
    pressEscape(&window);  // seen at the builder's first yield
    const ListBuildResult result = build(list, {}, files, dirsAndFiles());
    EXPECT_EQ(result.outcome, BuildOutcome::Cancelled);
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(status.selected.last(), QStringLiteral("User Cancelled!"));
    EXPECT_NE(status.main.last(), QStringLiteral("Building Listview... 100%"));
}

TEST_F(ListBuilderEscape, EscapeInAnotherWindowDoesNotStopIt) {
    QWidget other;
    other.resize(100, 100);
    other.show();
    other.activateWindow();
    QApplication::processEvents();
    if (!other.isActiveWindow() || window.isActiveWindow()) {
        GTEST_SKIP() << "this platform does not activate windows";
    }
    QStringList files;
    for (int i = 0; i < 2000; ++i) {
        files << q(dir.path() + "/f" + std::to_string(i) + ".txt");
    }
    platform::ListView list;
    addColumns(list, false);
    pressEscape(&other);
    const ListBuildResult result = build(list, {}, files, dirsAndFiles());
    EXPECT_EQ(result.outcome, BuildOutcome::Complete);
    EXPECT_EQ(list.rowCount(), 2000);
}

}  // namespace
