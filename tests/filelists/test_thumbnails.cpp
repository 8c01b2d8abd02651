#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QWidget>

#include "filelists/buildprogress.h"
#include "filelists/imagelist.h"
#include "filelists/thumbnails.h"
#include "platform/programfolder.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"
#include "tests/support/tempdir.h"

namespace {

using filelists::SourceImages;
using filelists::ThumbnailRun;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

bool waitActive(QWidget& window) {
    window.show();
    window.activateWindow();
    QDeadlineTimer deadline(5000);
    while (!window.isActiveWindow() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return window.isActiveWindow();
}

TEST(ThumbnailPercent, WholeNumbersHalvesToEven) {
    const struct {
        qint64 done, total;
        int percent;
    } cases[] = {{1, 2, 50}, {1, 8, 12}, {3, 8, 38}, {5, 8, 62},         {8, 8, 100},
                 {1, 3, 33}, {2, 3, 67}, {0, 5, 0},  {1, 200, 0},        {3, 200, 2},
                 {0, 0, 0},  {1, 40, 2}, {3, 40, 8}, {29999, 30000, 100}};
    for (const auto& c : cases) {
        EXPECT_EQ(filelists::percentDone(c.done, c.total), c.percent) << c.done << "/" << c.total;
    }
}

// A main window with its status panels, a list of rows on real files, and a pair of lists.
class ThumbnailRuns : public ::testing::Test {
protected:
    void SetUp() override {
        QFile::remove(platform::programFile(QStringLiteral("errors.txt")));
        list.addColumn(QStringLiteral("Name"), QStringLiteral("filename"), 100);
        list.addColumn(QStringLiteral("Preview"), QStringLiteral("preview"), 100);
        list.addColumn(QStringLiteral("Path"), QStringLiteral("path"), 100);
        filelists::initSysIcons(images, QSize(64, 64), &list);
        panels[QStringLiteral("main")] = QStringLiteral("3 Files, 1 Directories");
        panels[QStringLiteral("selected")] = QStringLiteral("0 items selected...");
        platform::EscapeWatch::install(&window);
    }
    void TearDown() override { platform::EscapeWatch::uninstall(); }

    ThumbnailRun run() {
        filelists::StatusPanels status;
        status.text = [this](const QString& key) { return panels.value(key); };
        status.setText = [this](const QString& key, const QString& text) {
            panels[key] = text;
            if (key == QStringLiteral("main")) {
                mainTexts.append(text);
                busy.append(platform::isBusy() && !window.isEnabled());
                making.append(filelists::makingThumbnails());
            }
        };
        return ThumbnailRun{list, images, filelists::IconOptions{}, &window, status};
    }

    // A row as the list builder makes it: name, preview, folder ending in "/".
    void addRow(const QString& name, int largeImage = 99) {
        platform::ListRow row;
        row.texts = {name, QString(), qs(dir.path()) + QLatin1Char('/')};
        row.smallImage = 1;
        row.largeImage = largeImage;
        list.addRow(row);
    }
    QString picture(const std::string& name, QSize size) const {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QString path = qs(dir.file(name));
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }
    int large(int row) const { return list.row(row).largeImage; }

    testsupport::TempDir dir;
    QWidget window;
    platform::ListView list;
    SourceImages images;
    QHash<QString, QString> panels;
    QStringList mainTexts;
    QList<bool> busy;    // hourglass and disabled window, per text of "main"
    QList<bool> making;  // makingThumbnails(), per text of "main"
};

TEST_F(ThumbnailRuns, EveryRowGetsItsLargePicture) {
    const QString photo = picture("photo.png", QSize(128, 96));
    dir.write("notes.txt", "x");
    dir.write("README", "x");
    dir.mkdir("sub.jpg.d");
    addRow(QStringLiteral("photo.png"));
    addRow(QStringLiteral("notes.txt"));
    addRow(QStringLiteral("README"));
    addRow(QStringLiteral("sub.jpg.d"));
    addRow(QStringLiteral("vanished"));  // gone from disk: handed over as a folder

    EXPECT_TRUE(filelists::generateThumbnails(run()));

    EXPECT_EQ(images.large.key(large(0)), photo);
    EXPECT_EQ(images.large.key(large(1)), QStringLiteral(".TXT"));
    EXPECT_EQ(large(2), 1);
    EXPECT_EQ(images.large.key(large(3)), qs(dir.file("sub.jpg.d")));
    EXPECT_EQ(images.large.key(large(4)), qs(dir.file("vanished")));
    EXPECT_EQ(list.row(0).smallImage, 1);  // the small pictures are not the run's
    EXPECT_TRUE(images.thumbsComplete);
    EXPECT_FALSE(filelists::makingThumbnails());

    // The view shows the grown list.
    EXPECT_EQ(list.model()->largeImages.size(), images.large.count() + 1);
    list.setView(platform::ListView::View::LargeIcon);
    const QVariant shown = list.model()->data(list.model()->index(0, 0), Qt::DecorationRole);
    EXPECT_EQ(qvariant_cast<QIcon>(shown).cacheKey(), images.large.icon(large(0)).cacheKey());

    // Status: the start text, one text per percentage, then the former texts again.
    const QStringList expected = {QStringLiteral("Generating Thumbnails..."),
                                  QStringLiteral("Generating Thumbnails... 20%"),
                                  QStringLiteral("Generating Thumbnails... 40%"),
                                  QStringLiteral("Generating Thumbnails... 60%"),
                                  QStringLiteral("Generating Thumbnails... 80%"),
                                  QStringLiteral("Generating Thumbnails... 100%"),
                                  QStringLiteral("3 Files, 1 Directories")};
    EXPECT_EQ(mainTexts, expected);
    // Busy and disabled until the texts are back; the flag rises after the first text.
    EXPECT_EQ(busy, QList<bool>({true, true, true, true, true, true, true}));
    EXPECT_EQ(making, QList<bool>({false, true, true, true, true, true, false}));
    EXPECT_EQ(panels.value(QStringLiteral("selected")), QStringLiteral("0 items selected..."));
    EXPECT_TRUE(window.isEnabled());
    EXPECT_FALSE(platform::isBusy());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ThumbnailRuns, EmptyListCompletesWithoutLookups) {
    EXPECT_TRUE(filelists::generateThumbnailsFreeSel(run()));
    EXPECT_TRUE(images.thumbsComplete);
    EXPECT_EQ(images.large.count(), 3);
    EXPECT_EQ(mainTexts, QStringList({QStringLiteral("Generating Thumbnails..."),
                                      QStringLiteral("3 Files, 1 Directories")}));
    EXPECT_TRUE(window.isEnabled());
}

TEST_F(ThumbnailRuns, PercentTextIsRewrittenOnlyWhenItChanges) {
    dir.write("a.txt", "x");
    QList<platform::ListRow> rows;
    for (int i = 0; i < 1000; ++i) {
        platform::ListRow row;
        row.texts = {QStringLiteral("a.txt"), QString(), qs(dir.path()) + QLatin1Char('/')};
        rows.append(row);
    }
    list.addRows(rows);
    EXPECT_TRUE(filelists::generateThumbnails(run()));
    // Start text, 0% .. 100% (101 texts; 1 of 1000 rounds to 0), the former text.
    EXPECT_EQ(mainTexts.size(), 1 + 101 + 1);
    EXPECT_EQ(mainTexts.at(1), QStringLiteral("Generating Thumbnails... 0%"));
    EXPECT_EQ(mainTexts.at(101), QStringLiteral("Generating Thumbnails... 100%"));
}

TEST_F(ThumbnailRuns, EscapeInTheMainWindowStopsTheRun) {
    ASSERT_TRUE(waitActive(window));
    // std::string("p") rather than a bare literal: GCC 12 at -O3 warns falsely (-Wrestrict) about
    // "literal" + std::to_string(...), which fails a release build with warnings as errors.
    for (int i = 0; i < 10; ++i) {
        picture(std::string("p") + std::to_string(i) + ".png", QSize(80, 80));
        addRow(QStringLiteral("p%1.png").arg(i), 2);
    }
    // Seen at the run's first yield, acted on after the first row.
    QCoreApplication::postEvent(&window,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));

    EXPECT_FALSE(filelists::generateThumbnails(run()));
    EXPECT_EQ(images.large.key(large(0)), qs(dir.file("p0.png")));
    for (int row = 1; row < 10; ++row) {
        EXPECT_EQ(large(row), 2) << row;  // kept what the builder gave them
    }
    EXPECT_FALSE(images.thumbsComplete);
    EXPECT_EQ(panels.value(QStringLiteral("main")), QStringLiteral("3 Files, 1 Directories"));
    EXPECT_EQ(panels.value(QStringLiteral("selected")), QStringLiteral("0 items selected..."));
    EXPECT_TRUE(window.isEnabled());
    EXPECT_FALSE(platform::isBusy());
    EXPECT_FALSE(filelists::makingThumbnails());

    // The next run starts from the first row again; done rows are found by key.
    EXPECT_TRUE(filelists::generateThumbnails(run()));
    EXPECT_TRUE(images.thumbsComplete);
    EXPECT_EQ(images.large.count(), 3 + 10);
    for (int row = 0; row < 10; ++row) {
        EXPECT_EQ(images.large.key(large(row)),
                  qs(dir.file(std::string("p") + std::to_string(row) + ".png")));
    }
}

TEST_F(ThumbnailRuns, EscapeInAnotherWindowIsIgnored) {
    QWidget other;
    ASSERT_TRUE(waitActive(other));
    ASSERT_FALSE(window.isActiveWindow());
    for (int i = 0; i < 5; ++i) {
        picture(std::string("p") + std::to_string(i) + ".png", QSize(20, 20));
        addRow(QStringLiteral("p%1.png").arg(i));
    }
    QCoreApplication::postEvent(&other,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    EXPECT_TRUE(filelists::generateThumbnails(run()));
    EXPECT_TRUE(images.thumbsComplete);
    EXPECT_EQ(images.large.key(large(4)), qs(dir.file("p4.png")));
}

TEST_F(ThumbnailRuns, FreeSelectRunUsesItsOwnLookup) {
    dir.write("broken.jpg", "not a picture");
    addRow(QStringLiteral("broken.jpg"));
    const QString photo = picture("ok.png", QSize(10, 10));
    addRow(QStringLiteral("ok.png"));

    EXPECT_TRUE(filelists::generateThumbnailsFreeSel(run()));
    EXPECT_EQ(large(0), 1);  // the failure falls back to the default, the run goes on
    EXPECT_EQ(images.large.key(large(1)), photo);
    EXPECT_TRUE(images.thumbsComplete);
    QFile errors(platform::programFile(QStringLiteral("errors.txt")));
    ASSERT_TRUE(errors.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(errors.readAll())
                    .contains(QStringLiteral("sysIcons FreeSel: ") + qs(dir.file("broken.jpg"))));
}

TEST_F(ThumbnailRuns, SystemIconsOffMakeNoThumbnails) {
    picture("photo.png", QSize(50, 50));
    dir.mkdir("sub");
    addRow(QStringLiteral("photo.png"));
    addRow(QStringLiteral("sub"));
    ThumbnailRun off = run();
    off.options.useSysIcons = false;
    EXPECT_TRUE(filelists::generateThumbnails(off));
    EXPECT_EQ(large(0), 1);
    EXPECT_EQ(large(1), 2);
    EXPECT_EQ(images.large.count(), 3);
    EXPECT_TRUE(images.thumbsComplete);
}

}  // namespace
