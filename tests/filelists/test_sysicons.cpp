#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QSet>

#include "engine/log.h"
#include "filelists/imagelist.h"
#include "filelists/sysicons.h"
#include "platform/programfolder.h"
#include "settings/programsettings.h"
#include "tests/support/tempdir.h"

namespace {

using filelists::IconOptions;
using filelists::SourceImages;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QStringList errorLines() {
    QFile file(platform::programFile(QStringLiteral("errors.txt")));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

// A one-colour picture of the given size, saved in the given format; empty when this Qt
// cannot write the format.
QString savePicture(const testsupport::TempDir& dir, const std::string& name, QSize size,
                    const char* format, QColor colour = Qt::red) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = qs(dir.file(name));
    return image.save(path, format) ? path : QString();
}

// A 1 x 1 GIF (Qt reads GIF but cannot write it).
const char kTinyGif[] =
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00"
    "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b";

class SysIcons : public ::testing::Test {
protected:
    void SetUp() override {
        QFile::remove(platform::programFile(QStringLiteral("errors.txt")));
        engine::setErrorsLogged(false);
        filelists::initSysIcons(images, QSize(64, 64));
        filelists::initSysIconsFreeSel(freeSelect, QSize(64, 64));
    }

    QString file(const std::string& name, const std::string& bytes = "x") const {
        return qs(dir.write(name, bytes));
    }
    QString folder(const std::string& name) const { return qs(dir.mkdir(name)); }

    struct Looked {
        int small;
        int large;
    };
    Looked look(const QString& path, bool isDirectory, const IconOptions& options = {}) {
        int large = -99;
        const int small = filelists::sysIcons(path, isDirectory, images, options, large);
        return {small, large};
    }
    Looked lookFree(const QString& path, bool isDirectory, const IconOptions& options = {}) {
        int large = -99;
        const int small = filelists::sysIconsFreeSel(path, isDirectory, freeSelect, options, large);
        return {small, large};
    }
    static IconOptions thumbnailRun() {
        IconOptions options;
        options.makeThumbnails = true;
        return options;
    }

    testsupport::TempDir dir;
    SourceImages images;
    SourceImages freeSelect;
};

TEST(SysIconKeys, ExtensionOrPathByKindOfEntry) {
    const struct {
        const char* path;
        bool isDirectory;
        const char* key;  // "=" stands for the path itself
    } cases[] = {
        {"/d/a.txt", false, ".TXT"},
        {"/d/B.TxT", false, ".TXT"},
        {"/d/archive.tar.gz", false, ".GZ"},
        {"/d/.bashrc", false, ".BASHRC"},
        {"/d/README", false, ""},
        {"/d.x/README", false, ""},  // a "." in the folder is not the name's
        {"/d/Setup.EXE", false, "="},
        {"/d/app.ico", false, "="},
        {"/d/arrow.Cur", false, "="},
        {"/d/photo.jpg", false, ".JPG"},
        {"/d/old.stuff", true, "="},
        {"/d/plain", true, "="},
        {"/", true, "="},
    };
    for (const auto& c : cases) {
        const QString path = QString::fromUtf8(c.path);
        const QString expected = qstrcmp(c.key, "=") == 0 ? path : QString::fromUtf8(c.key);
        EXPECT_EQ(filelists::iconKey(path, c.isDirectory), expected) << c.path;
    }
}

// Rows ask for their keys in turn, mostly one extension after another of the same: whatever
// was asked before, each path gets the key it gets alone.
TEST(SysIconKeys, AskedInTurnEachGetsItsOwnKey) {
    const struct {
        const char* path;
        bool isDirectory;
        const char* key;  // "=" stands for the path itself
    } turns[] = {
        {"/d/a.txt", false, ".TXT"},
        {"/d/b.txt", false, ".TXT"},
        {"/d/c.TXT", false, ".TXT"},
        {"/d/x.exe", false, "="},
        {"/d/y.exe", false, "="},
        {"/d/y.txt", false, ".TXT"},
        {"/d.txt/README", false, ""},
        {"/d/z.txt", false, ".TXT"},
        {"/d/h.txt", true, "="},
        {"/d/i.txt", false, ".TXT"},
        {"/d/e.", false, "."},
        {"/d/f.", false, "."},
        {"/d/g", false, ""},
        {"/d/Z.\xC3\x9F", false, ".SS"},
        {"/d/q.\xC3\x9F", false, ".SS"},
        {"/d/w.Exe", false, "="},
        {"/d/v.txt", false, ".TXT"},
    };
    for (int round = 0; round < 2; ++round) {
        for (const auto& turn : turns) {
            const QString path = QString::fromUtf8(turn.path);
            const QString expected =
                qstrcmp(turn.key, "=") == 0 ? path : QString::fromUtf8(turn.key);
            EXPECT_EQ(filelists::iconKey(path, turn.isDirectory), expected) << turn.path;
        }
    }
    // More extensions in turn than are kept at once.
    const QStringList extensions{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "Z"};
    for (int i = 0; i < 5 * extensions.size(); ++i) {
        const QString extension = extensions.at((i * 7) % extensions.size());
        EXPECT_EQ(filelists::iconKey(QStringLiteral("/d/n.") + extension, false),
                  QLatin1Char('.') + extension.toUpper())
            << i;
    }
}

TEST(SysIconKeys, PictureFilesByExtension) {
    for (const char* path :
         {"/d/a.jpg", "/d/a.JPEG", "/d/a.gif", "/d/a.Bmp", "/d/a.rle", "/d/a.png"}) {
        EXPECT_TRUE(filelists::isThumbnailFile(QString::fromUtf8(path))) << path;
    }
    for (const char* path :
         {"/d/a.txt", "/d/a.ico", "/d/jpg", "/d.jpg/readme", "/d/a.jpg.txt", "/d/a.wmf"}) {
        EXPECT_FALSE(filelists::isThumbnailFile(QString::fromUtf8(path))) << path;
    }
}

TEST(SysIconOptions, FromTheSettings) {
    settings::ProgramSettings settings;
    settings.useSysIcons = 1;
    settings.alwaysShowDirs = 1;
    settings.thumbsAspect = 1;
    settings.thumbsBorder = 1;
    IconOptions options = filelists::iconOptions(settings, false);
    EXPECT_TRUE(options.useSysIcons);
    EXPECT_TRUE(options.ghostDirs);
    EXPECT_TRUE(options.thumbsAspect);
    EXPECT_TRUE(options.thumbsBorder);
    EXPECT_FALSE(options.makeThumbnails);
    EXPECT_FALSE(filelists::iconOptions(settings, true).ghostDirs);

    // Only exactly 1 switches aspect, border and faded folders on; any value but 0 the icons.
    settings.useSysIcons = 2;
    settings.alwaysShowDirs = 2;
    settings.thumbsAspect = -1;
    settings.thumbsBorder = 2;
    options = filelists::iconOptions(settings, false);
    EXPECT_TRUE(options.useSysIcons);
    EXPECT_FALSE(options.ghostDirs);
    EXPECT_FALSE(options.thumbsAspect);
    EXPECT_FALSE(options.thumbsBorder);
    settings.useSysIcons = 0;
    EXPECT_FALSE(filelists::iconOptions(settings, false).useSysIcons);
}

TEST_F(SysIcons, FileWithoutExtensionGetsTheDefaultWithoutListAccess) {
    const QString readme = file("README");
    for (const IconOptions& options : {IconOptions{}, thumbnailRun()}) {
        const Looked got = look(readme, false, options);
        EXPECT_EQ(got.small, 1);
        EXPECT_EQ(got.large, 1);
    }
    EXPECT_EQ(images.small.count(), 3);
    EXPECT_EQ(images.large.count(), 3);
}

TEST_F(SysIcons, OneEntryPerExtension) {
    const Looked first = look(file("a.txt"), false);
    EXPECT_EQ(first.small, 4);
    EXPECT_EQ(first.large, 4);
    EXPECT_EQ(images.small.key(4), QStringLiteral(".TXT"));
    EXPECT_EQ(images.large.pixmap(4).size(), QSize(64, 64));
    EXPECT_EQ(images.small.pixmap(4).size(), QSize(16, 16));

    const Looked second = look(file("B.TXT"), false);
    EXPECT_EQ(second.small, first.small);
    EXPECT_EQ(second.large, first.large);
    // Not even a file on disk is needed for an extension that is known.
    EXPECT_EQ(look(qs(dir.file("gone.txt")), false).small, 4);
    EXPECT_EQ(images.small.count(), 4);
    EXPECT_EQ(images.large.count(), 4);

    // The two lists fill independently, so a key may stand at different indexes.
    images.large.add(QStringLiteral("filler"), QPixmap()).value();
    const Looked other = look(file("c.dat"), false);
    EXPECT_EQ(other.small, 5);
    EXPECT_EQ(other.large, 6);
}

TEST_F(SysIcons, IconProgramAndCursorFilesHaveTheirOwnEntries) {
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::green);
    const QString ico = qs(dir.file("app.ico"));
    const bool wroteIco = icon.save(ico, "ICO");
    if (!wroteIco) {
        file("app.ico");
    }
    const QString setup = file("Setup.EXE");
    const QString other = file("other.exe");
    const QString cursor = file("arrow.cur", "not a cursor");

    const Looked a = look(setup, false);
    const Looked b = look(other, false);
    const Looked c = look(ico, false);
    const Looked d = look(cursor, false);
    EXPECT_EQ(images.small.key(a.small), setup);
    EXPECT_EQ(images.small.key(b.small), other);
    EXPECT_EQ(images.small.key(c.small), ico);
    EXPECT_EQ(images.small.key(d.small), cursor);
    EXPECT_EQ(images.large.key(c.large), ico);
    EXPECT_EQ(QSet<int>({a.small, b.small, c.small, d.small}).size(), 4);
    // A readable icon file shows its own picture.
    if (wroteIco) {
        EXPECT_EQ(images.small.pixmap(c.small).toImage().pixelColor(8, 8), QColor(Qt::green));
    }
    // Looked up again: found under the path, nothing new.
    const Looked again = look(setup, false);
    EXPECT_EQ(again.small, a.small);
    EXPECT_EQ(again.large, a.large);
    EXPECT_EQ(images.small.count(), 7);
}

// With an icon theme the type's icon comes from it (without one, as offscreen, the style's
// file and folder icons stand in).
TEST_F(SysIcons, IconsComeFromTheIconTheme) {
    const std::string theme = dir.mkdir("icons") + "/quenzatest";
    dir.mkdir("icons/quenzatest");
    dir.write("icons/quenzatest/index.theme",
              "[Icon Theme]\nName=quenzatest\nDirectories=16x16/mimetypes,32x32/mimetypes\n\n"
              "[16x16/mimetypes]\nSize=16\nType=Fixed\n\n"
              "[32x32/mimetypes]\nSize=32\nType=Fixed\n");
    for (int side : {16, 32}) {
        const std::string folder =
            theme + "/" + std::to_string(side) + "x" + std::to_string(side) + "/mimetypes";
        QDir().mkpath(qs(folder));
        QImage picture(side, side, QImage::Format_ARGB32);
        picture.fill(Qt::green);
        ASSERT_TRUE(picture.save(qs(folder + "/x-office-document.png"), "PNG"));
    }
    const QStringList oldPaths = QIcon::themeSearchPaths();
    const QString oldTheme = QIcon::themeName();
    QIcon::setThemeSearchPaths({qs(dir.file("icons"))});
    QIcon::setThemeName(QStringLiteral("quenzatest"));

    // An OpenDocument text has no icon of its own in the theme; its generic one is used.
    const Looked got = look(QStringLiteral("/nowhere/letter.odt"), false);
    const QImage small = images.small.pixmap(got.small).toImage();
    const QImage large = images.large.pixmap(got.large).toImage();

    QIcon::setThemeName(oldTheme);
    QIcon::setThemeSearchPaths(oldPaths);
    EXPECT_EQ(small.pixelColor(8, 8), QColor(Qt::green));
    EXPECT_EQ(large.pixelColor(16, 16), QColor(Qt::green));  // the 32 x 32 icon in the middle
    EXPECT_EQ(large.pixelColor(47, 47), QColor(Qt::green));
    EXPECT_EQ(large.pixelColor(15, 15).alpha(), 0);
    EXPECT_EQ(large.pixelColor(48, 48).alpha(), 0);
}

TEST_F(SysIcons, FoldersAreKeyedByPathAndShareOnePicture) {
    const QString stuff = folder("old.stuff");
    const Looked got = look(stuff, true);
    EXPECT_EQ(images.small.key(got.small), stuff);
    EXPECT_EQ(images.large.key(got.large), stuff);
    EXPECT_EQ(images.small.indexOf(QStringLiteral(".STUFF")), 0);

    QSet<qint64> smallBitmaps;
    QSet<qint64> largeBitmaps;
    for (int i = 0; i < 200; ++i) {
        const Looked entry = look(qs(dir.file("sub" + std::to_string(i))), true);
        smallBitmaps.insert(images.small.pixmap(entry.small).cacheKey());
        largeBitmaps.insert(images.large.pixmap(entry.large).cacheKey());
    }
    EXPECT_EQ(images.small.count(), 3 + 201);
    EXPECT_EQ(smallBitmaps.size(), 1);
    EXPECT_EQ(largeBitmaps.size(), 1);
}

TEST_F(SysIcons, GhostFoldersAndSystemIconsOff) {
    const QString sub = folder("sub");
    const QString text = file("a.txt");
    IconOptions ghost;
    ghost.ghostDirs = true;
    IconOptions ghostOff = ghost;
    ghostOff.useSysIcons = false;
    IconOptions off;
    off.useSysIcons = false;
    IconOptions offRun = off;
    offRun.makeThumbnails = true;
    const QString jpg = savePicture(dir, "p.jpg", QSize(20, 20), "JPG");

    const struct {
        const char* what;
        bool freeSel;
        QString path;
        bool isDirectory;
        IconOptions options;
        int small, large;  // 0: an entry of its own
    } cases[] = {
        {"ghost folder", false, sub, true, ghost, 3, 3},
        {"ghost folder, icons off", false, sub, true, ghostOff, 3, 3},
        {"ghost rule leaves files alone", false, text, false, ghostOff, 1, 1},
        {"icons off: folder", false, sub, true, off, 2, 2},
        {"icons off: file", false, text, false, off, 1, 1},
        {"icons off: no thumbnail in a run", false, jpg, false, offRun, 1, 1},
        {"Free Select: icons off", true, sub, true, ghostOff, 2, 2},
        {"Free Select: no ghost folders", true, sub, true, ghost, 0, 0},
    };
    for (const auto& c : cases) {
        const Looked got = c.freeSel ? lookFree(c.path, c.isDirectory, c.options)
                                     : look(c.path, c.isDirectory, c.options);
        if (c.small == 0) {
            EXPECT_EQ(freeSelect.small.key(got.small), c.path) << c.what;
            EXPECT_EQ(freeSelect.large.key(got.large), c.path) << c.what;
        } else {
            EXPECT_EQ(got.small, c.small) << c.what;
            EXPECT_EQ(got.large, c.large) << c.what;
        }
    }
    EXPECT_EQ(images.small.count(), 3);
    EXPECT_EQ(images.large.count(), 3);
}

TEST_F(SysIcons, PicturesGetThumbnailsOnlyDuringARun) {
    const QString photo = savePicture(dir, "photo.png", QSize(128, 96), "PNG");
    ASSERT_FALSE(photo.isEmpty());

    const Looked outside = look(photo, false);
    EXPECT_EQ(images.large.key(outside.large), QStringLiteral(".PNG"));

    const Looked during = look(photo, false, thumbnailRun());
    EXPECT_EQ(during.small, outside.small);  // the small picture stays the extension's
    EXPECT_EQ(images.large.key(during.large), photo);
    const QImage thumb = images.large.pixmap(during.large).toImage();
    EXPECT_EQ(thumb.size(), QSize(64, 64));
    EXPECT_EQ(thumb.pixelColor(32, 32), QColor(Qt::red));
    EXPECT_EQ(thumb.pixelColor(0, 8), QColor(Qt::black));  // frame of the 64 x 48 picture
    EXPECT_EQ(thumb.pixelColor(32, 4).alpha(), 0);

    // Found again by its path without reading the file (which is gone now), in this run or
    // a later one with the same list; outside a run the extension's icon again.
    ASSERT_TRUE(QFile::remove(photo));
    EXPECT_EQ(look(photo, false, thumbnailRun()).large, during.large);
    EXPECT_EQ(look(photo, false).large, outside.large);
    EXPECT_TRUE(errorLines().isEmpty());
}

TEST_F(SysIcons, EveryReadableFormatMakesAThumbnail) {
    struct Format {
        const char* name;
        const char* writer;
    };
    const Format formats[] = {
        {"p.png", "PNG"}, {"p.jpg", "JPG"}, {"p.jpeg", "JPEG"}, {"p.bmp", "BMP"}, {"p.rle", "BMP"}};
    for (const Format& format : formats) {
        const QString path = savePicture(dir, format.name, QSize(200, 100), format.writer);
        if (path.isEmpty()) {
            ADD_FAILURE() << "cannot write " << format.writer;
            continue;
        }
        const Looked got = look(path, false, thumbnailRun());
        ASSERT_GT(got.large, 3) << format.name;
        const QImage thumb = images.large.pixmap(got.large).toImage();
        const QColor middle = thumb.pixelColor(32, 32);
        EXPECT_GT(middle.red(), 200) << format.name;
        EXPECT_LT(middle.green(), 60) << format.name;
        EXPECT_EQ(thumb.pixelColor(32, 10).alpha(), 0) << format.name;  // 64 x 32 at y 16
    }
    // GIF: read, never written by Qt.
    const QString gif = file("tiny.gif", std::string(kTinyGif, sizeof kTinyGif - 1));
    const Looked got = look(gif, false, thumbnailRun());
    ASSERT_EQ(images.large.key(got.large), gif);
    const QImage thumb = images.large.pixmap(got.large).toImage();
    EXPECT_EQ(thumb.pixelColor(31, 31), QColor(Qt::red));    // natural size, centred
    EXPECT_EQ(thumb.pixelColor(30, 30), QColor(Qt::black));  // its frame
    EXPECT_EQ(thumb.pixelColor(29, 29).alpha(), 0);
    EXPECT_TRUE(errorLines().isEmpty());
}

TEST_F(SysIcons, UnreadablePicturesLogAndFallBackToTheDefault) {
    const QString broken = file("broken.jpg", "no picture in here");
    const QString holiday = folder("holiday.jpg");
    const QString missing = qs(dir.file("missing.gif"));

    const struct {
        QString path;
        bool isDirectory;
        int number;
    } cases[] = {{broken, false, 481}, {holiday, true, 75}, {missing, false, 53}};
    for (const auto& c : cases) {
        const int before = static_cast<int>(errorLines().size());
        const Looked got = look(c.path, c.isDirectory, thumbnailRun());
        EXPECT_EQ(got.small, 1) << c.path.toStdString();
        EXPECT_EQ(got.large, 1) << c.path.toStdString();
        const QStringList lines = errorLines();
        ASSERT_EQ(lines.size(), before + 1) << c.path.toStdString();
        EXPECT_TRUE(lines.last().contains(QStringLiteral("Error %1 (").arg(c.number)))
            << lines.last().toStdString();
        EXPECT_TRUE(lines.last().endsWith(QStringLiteral(") sysIcons: File=") + c.path))
            << lines.last().toStdString();
    }
    EXPECT_TRUE(engine::errorsLogged());
    // The small entries made on the way stay; nothing was added to the large list.
    EXPECT_GT(images.small.indexOf(QStringLiteral(".JPG")), 3);
    EXPECT_GT(images.small.indexOf(holiday), 3);
    EXPECT_EQ(images.large.count(), 3);

    // The next lookup tries again; the Free Select variant names itself.
    look(broken, false, thumbnailRun());
    lookFree(broken, false, thumbnailRun());
    const QStringList lines = errorLines();
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines.at(3).endsWith(QStringLiteral("sysIcons: File=") + broken));
    EXPECT_TRUE(lines.at(4).endsWith(QStringLiteral(") sysIcons FreeSel: ") + broken));
}

TEST(ThumbnailPlacement, SizesPositionsAndFrames) {
    const struct {
        QSize picture;
        QSize canvas;
        bool aspect;
        QRect drawn;
        QRect frame;  // corners inclusive
    } cases[] = {
        // Fits: natural size, centred, whatever the aspect setting; frame outside it.
        {{40, 30}, {64, 64}, true, {12, 17, 40, 30}, {QPoint(11, 16), QPoint(52, 47)}},
        {{40, 30}, {64, 64}, false, {12, 17, 40, 30}, {QPoint(11, 16), QPoint(52, 47)}},
        {{64, 64}, {64, 64}, true, {0, 0, 64, 64}, {QPoint(-1, -1), QPoint(64, 64)}},
        // Larger, aspect kept by the picture's own orientation.
        {{128, 96}, {64, 64}, true, {0, 8, 64, 48}, {QPoint(0, 8), QPoint(63, 55)}},
        {{96, 128}, {64, 64}, true, {8, 0, 48, 64}, {QPoint(8, 0), QPoint(55, 63)}},
        {{100, 100}, {64, 64}, true, {0, 0, 64, 64}, {QPoint(0, 0), QPoint(63, 63)}},
        // A canvas that is not square: the other side reaches outside and is cut off.
        {{100, 80}, {128, 32}, true, {0, -35, 128, 102}, {QPoint(0, -35), QPoint(127, 66)}},
        // Stretched over the whole canvas.
        {{128, 96}, {64, 64}, false, {0, 0, 64, 64}, {QPoint(0, 0), QPoint(63, 63)}},
    };
    for (const auto& c : cases) {
        const auto place = filelists::placeThumbnail(c.picture, c.canvas, c.aspect, true);
        EXPECT_EQ(place.picture, c.drawn) << c.picture.width() << "x" << c.picture.height();
        EXPECT_EQ(place.frame, c.frame) << c.picture.width() << "x" << c.picture.height();
        EXPECT_TRUE(filelists::placeThumbnail(c.picture, c.canvas, c.aspect, false).frame.isNull());
    }
}

TEST(Thumbnail, ComposedPixels) {
    testsupport::TempDir dir;
    const QString wide = savePicture(dir, "wide.png", QSize(128, 96), "PNG", Qt::blue);
    const QString small = savePicture(dir, "small.png", QSize(40, 30), "PNG", Qt::blue);
    ASSERT_FALSE(wide.isEmpty());
    const QColor blue(Qt::blue);
    const QColor black(Qt::black);
    const QColor none(0, 0, 0, 0);
    const struct {
        QString path;
        bool aspect, border;
        QPoint at;
        QColor colour;
    } cases[] = {
        {wide, true, true, {0, 8}, black},    {wide, true, true, {63, 55}, black},
        {wide, true, true, {1, 9}, blue},     {wide, true, true, {32, 7}, none},
        {wide, true, false, {0, 8}, blue},    {wide, false, true, {0, 0}, black},
        {wide, false, true, {1, 1}, blue},    {wide, false, false, {0, 0}, blue},
        {small, true, true, {12, 17}, blue},  {small, true, true, {11, 16}, black},
        {small, true, true, {52, 47}, black}, {small, true, true, {51, 46}, blue},
        {small, true, true, {10, 16}, none},  {small, false, false, {11, 17}, none},
    };
    for (const auto& c : cases) {
        const auto made = filelists::makeThumbnail(c.path, QSize(64, 64), c.aspect, c.border);
        ASSERT_TRUE(made.ok()) << made.reason();
        const QImage image = made->toImage();
        EXPECT_EQ(image.size(), QSize(64, 64));
        EXPECT_EQ(image.pixelColor(c.at), c.colour)
            << c.path.toStdString() << " " << c.aspect << c.border << " (" << c.at.x() << ","
            << c.at.y() << ")";
    }
    const auto broken =
        filelists::makeThumbnail(qs(dir.write("x.jpg", "nope")), QSize(64, 64), true, true);
    EXPECT_FALSE(broken.ok());
    EXPECT_FALSE(broken.reason().empty());
}

TEST_F(SysIcons, ThirtyThousandRowsShareTheirExtensionEntries) {
    const char* extensions[] = {"txt", "jpg", "mp3", "pdf", "doc", "cpp", "h", "zip", "png", "ini"};
    for (int i = 0; i < 30000; ++i) {
        const QString path = QStringLiteral("/nowhere/folder%1/file%2.%3")
                                 .arg(i / 100)
                                 .arg(i)
                                 .arg(QLatin1String(extensions[i % 10]));
        const Looked got = look(path, false);
        ASSERT_GT(got.small, 3);
    }
    for (int i = 0; i < 30000; ++i) {
        look(QStringLiteral("/nowhere/folder%1").arg(i), true);
    }
    EXPECT_EQ(images.small.count(), 3 + 10 + 30000);
}

}  // namespace
