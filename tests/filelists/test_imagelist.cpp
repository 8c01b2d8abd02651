#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPixmap>

#include "filelists/imagelist.h"
#include "platform/widgets/listview.h"
#include "settings/programsettings.h"

namespace {

using filelists::ImageList;
using filelists::SourceImages;

QPixmap filled(QSize size, QColor colour) {
    QPixmap pixmap(size);
    pixmap.fill(colour);
    return pixmap;
}

TEST(ImageList, IndexesAreOneBasedAndKeysUnique) {
    ImageList list(QSize(16, 16));
    const QPixmap red = filled(QSize(16, 16), Qt::red);
    EXPECT_EQ(list.add(QStringLiteral("a"), red).valueOr(-1), 1);
    EXPECT_EQ(list.add(QStringLiteral("b"), red).valueOr(-1), 2);
    EXPECT_EQ(list.add(QStringLiteral("c"), filled(QSize(16, 16), Qt::blue)).valueOr(-1), 3);

    // A key already held, or no key at all, adds nothing.
    const auto again = list.add(QStringLiteral("b"), red);
    EXPECT_FALSE(again.ok());
    EXPECT_FALSE(again.reason().empty());
    EXPECT_FALSE(list.add(QString(), red).ok());
    EXPECT_EQ(list.count(), 3);

    EXPECT_EQ(list.indexOf(QStringLiteral("a")), 1);
    EXPECT_EQ(list.indexOf(QStringLiteral("c")), 3);
    EXPECT_EQ(list.indexOf(QStringLiteral("A")), 0);  // keys keep their letter case
    EXPECT_EQ(list.indexOf(QStringLiteral("zz")), 0);
    EXPECT_EQ(list.key(2), QStringLiteral("b"));

    // Out-of-range indexes give empty values, index 0 included.
    for (int index : {0, 4, -1}) {
        EXPECT_TRUE(list.key(index).isEmpty()) << index;
        EXPECT_TRUE(list.pixmap(index).isNull()) << index;
        EXPECT_TRUE(list.icon(index).isNull()) << index;
    }
}

TEST(ImageList, RekeyMovesTheKeyAndKeepsTheIndex) {
    ImageList list(QSize(16, 16));
    const QPixmap red = filled(QSize(16, 16), Qt::red);
    (void)list.add(QStringLiteral("/d/old.txt"), red);
    (void)list.add(QStringLiteral("/d/other"), red);

    ASSERT_TRUE(list.rekey(QStringLiteral("/d/old.txt"), QStringLiteral("/d/new.txt")).ok());
    EXPECT_EQ(list.indexOf(QStringLiteral("/d/new.txt")), 1);
    EXPECT_EQ(list.indexOf(QStringLiteral("/d/old.txt")), 0);
    EXPECT_EQ(list.key(1), QStringLiteral("/d/new.txt"));
    // The freed key can be used again.
    EXPECT_EQ(list.add(QStringLiteral("/d/old.txt"), red).valueOr(-1), 3);

    // Refused: a missing old key, a new key held by another entry, an empty new key.
    EXPECT_FALSE(list.rekey(QStringLiteral("/missing"), QStringLiteral("/x")).ok());
    EXPECT_FALSE(list.rekey(QStringLiteral("/d/new.txt"), QStringLiteral("/d/other")).ok());
    EXPECT_FALSE(list.rekey(QStringLiteral("/d/new.txt"), QString()).ok());
    EXPECT_EQ(list.indexOf(QStringLiteral("/d/new.txt")), 1);
    EXPECT_EQ(list.indexOf(QStringLiteral("/d/other")), 2);
    EXPECT_TRUE(list.rekey(QStringLiteral("/d/other"), QStringLiteral("/d/other")).ok());
}

TEST(ImageList, ReplaceClearAndPictureSize) {
    ImageList list(QSize(16, 16));
    (void)list.add(QStringLiteral("a"), filled(QSize(16, 16), Qt::red));
    ASSERT_TRUE(list.replace(1, filled(QSize(16, 16), Qt::green)).ok());
    EXPECT_EQ(list.pixmap(1).toImage().pixelColor(3, 3), QColor(Qt::green));
    EXPECT_EQ(list.indexOf(QStringLiteral("a")), 1);
    EXPECT_FALSE(list.replace(2, filled(QSize(16, 16), Qt::green)).ok());

    // A picture of another size is brought to the list's size.
    (void)list.add(QStringLiteral("big"), filled(QSize(40, 20), Qt::blue));
    EXPECT_EQ(list.pixmap(2).size(), QSize(16, 16));

    list.clear();
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.indexOf(QStringLiteral("a")), 0);
    EXPECT_EQ(list.imageSize(), QSize(16, 16));
    EXPECT_EQ(list.add(QStringLiteral("a"), QPixmap()).valueOr(-1), 1);

    // A new size empties the list; the same size keeps it.
    list.setImageSize(QSize(16, 16));
    EXPECT_EQ(list.count(), 1);
    list.setImageSize(QSize(64, 48));
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.imageSize(), QSize(64, 48));
}

TEST(ImageList, ViewImagesFollowIndexesAndShareIcons) {
    ImageList list(QSize(16, 16));
    const QPixmap folder = filled(QSize(16, 16), Qt::yellow);
    for (int i = 0; i < 100; ++i) {
        (void)list.add(QStringLiteral("/d/folder%1").arg(i), folder);
    }
    (void)list.add(QStringLiteral(".TXT"), filled(QSize(16, 16), Qt::white));
    const QList<QIcon>& view = list.viewImages();
    ASSERT_EQ(view.size(), list.count() + 1);
    EXPECT_TRUE(view.at(0).isNull());  // rows keep 1-based indexes unchanged
    EXPECT_EQ(view.at(101).cacheKey(), list.icon(101).cacheKey());
    // One bitmap and one icon for all 100 entries made from the same picture.
    for (int index = 2; index <= 100; ++index) {
        ASSERT_EQ(list.pixmap(index).cacheKey(), list.pixmap(1).cacheKey());
        ASSERT_EQ(view.at(index).cacheKey(), view.at(1).cacheKey());
    }
    EXPECT_NE(view.at(101).cacheKey(), view.at(1).cacheKey());
}

TEST(ImageListPair, InitPutsTheThreeDefaultsFirst) {
    SourceImages images;
    images.thumbsComplete = true;
    (void)images.small.add(QStringLiteral(".TXT"), QPixmap());
    for (int round = 0; round < 2; ++round) {  // a second call in a row gives the same
        filelists::initSysIcons(images, QSize(80, 48));
        EXPECT_FALSE(images.thumbsComplete);
        for (const ImageList* list : {&images.small, &images.large}) {
            ASSERT_EQ(list->count(), 3);
            EXPECT_EQ(list->indexOf(QStringLiteral("default_file")), filelists::kDefaultFile);
            EXPECT_EQ(list->indexOf(QStringLiteral("default_dir")), filelists::kDefaultDir);
            EXPECT_EQ(list->indexOf(QStringLiteral("default_ghostdir")),
                      filelists::kDefaultGhostDir);
            EXPECT_FALSE(list->pixmap(1).isNull());
            EXPECT_FALSE(list->pixmap(2).isNull());
            EXPECT_FALSE(list->pixmap(3).isNull());
        }
        EXPECT_EQ(images.small.imageSize(), QSize(16, 16));
        EXPECT_EQ(images.large.imageSize(), QSize(80, 48));
        EXPECT_EQ(images.large.pixmap(2).size(), QSize(80, 48));
        // The ghost folder is a faded folder, not the folder itself.
        EXPECT_NE(images.small.pixmap(2).toImage(), images.small.pixmap(3).toImage());
    }

    // The Free Select pair keeps its completion flag.
    SourceImages freeSelect;
    freeSelect.thumbsComplete = true;
    filelists::initSysIconsFreeSel(freeSelect, QSize(64, 64));
    EXPECT_TRUE(freeSelect.thumbsComplete);
    EXPECT_EQ(freeSelect.large.count(), 3);
    EXPECT_EQ(freeSelect.large.imageSize(), QSize(64, 64));
}

TEST(ImageListPair, InitAttachesTheListsToAView) {
    platform::ListView view;
    view.addColumn(QStringLiteral("Name"), QStringLiteral("filename"), 100);
    SourceImages images;
    filelists::initSysIcons(images, QSize(96, 72), &view);
    EXPECT_EQ(view.model()->smallImages.size(), 4);
    EXPECT_EQ(view.model()->largeImages.size(), 4);

    platform::ListRow row;
    row.texts = {QStringLiteral("x")};
    row.smallImage = filelists::kDefaultDir;
    row.largeImage = filelists::kDefaultGhostDir;
    view.addRow(row);
    const QModelIndex first = view.model()->index(0, 0);
    EXPECT_EQ(qvariant_cast<QIcon>(view.model()->data(first, Qt::DecorationRole)).cacheKey(),
              images.small.icon(filelists::kDefaultDir).cacheKey());
    view.setView(platform::ListView::View::LargeIcon);
    EXPECT_EQ(qvariant_cast<QIcon>(view.model()->data(first, Qt::DecorationRole)).cacheKey(),
              images.large.icon(filelists::kDefaultGhostDir).cacheKey());
}

// The large defaults are the 32 x 32 picture centred in each direction by itself, halves going
// to the even neighbour; a picture smaller than 32 shows only the middle.
TEST(ImageListPair, LargeDefaultsAreCentred) {
    const QImage reference =
        filelists::defaultLargeImage(filelists::kDefaultDir, QSize(32, 32)).toImage();
    ASSERT_FALSE(reference.isNull());
    const struct {
        QSize size;
        QPoint at;
    } cases[] = {
        {{64, 64}, {16, 16}}, {{65, 65}, {16, 16}}, {{256, 64}, {112, 16}},
        {{16, 16}, {-8, -8}}, {{67, 33}, {18, 0}},
    };
    for (const auto& c : cases) {
        QImage expected(c.size, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        {
            QPainter painter(&expected);
            painter.drawImage(c.at, reference);
        }
        const QImage actual = filelists::defaultLargeImage(filelists::kDefaultDir, c.size)
                                  .toImage()
                                  .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        EXPECT_EQ(actual, expected) << c.size.width() << "x" << c.size.height();
    }
}

TEST(ImageListPair, LargeSizeComesFromTheSettingsWithinLimits) {
    settings::ProgramSettings settings;
    const struct {
        qint16 width, height;
        QSize expected;
    } cases[] = {
        {64, 64, {64, 64}}, {0, 0, {16, 16}}, {300, 100, {256, 100}}, {-5, 256, {16, 256}}};
    for (const auto& c : cases) {
        settings.thumbsWidth = c.width;
        settings.thumbsHeight = c.height;
        EXPECT_EQ(filelists::largeImageSize(settings), c.expected) << c.width << "," << c.height;
    }
}

TEST(ImageListPair, RenameMovesThePathKeyInBothLists) {
    SourceImages images;
    filelists::initSysIcons(images, QSize(64, 64));
    (void)images.small.add(QStringLiteral("/d/x.ico"), QPixmap());
    (void)images.large.add(QStringLiteral(".TXT"), QPixmap());
    (void)images.large.add(QStringLiteral("/d/x.ico"), QPixmap());

    filelists::renamePathKey(images, QStringLiteral("/d/x.ico"), QStringLiteral("/d/y.ico"));
    EXPECT_EQ(images.small.indexOf(QStringLiteral("/d/y.ico")), 4);
    EXPECT_EQ(images.large.indexOf(QStringLiteral("/d/y.ico")), 5);
    EXPECT_EQ(images.small.indexOf(QStringLiteral("/d/x.ico")), 0);
    // A path without entries changes nothing.
    filelists::renamePathKey(images, QStringLiteral("/d/none"), QStringLiteral("/d/y.ico"));
    EXPECT_EQ(images.small.count(), 4);
    EXPECT_EQ(images.large.count(), 5);
}

}  // namespace
