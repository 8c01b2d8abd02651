// Names that are not UTF-8, read from disk and used again: every row, detail, icon and thumbnail
// refers to the file whose bytes were listed, even beside a name that reads the same in a lossy
// decoding ("caf\xE9" beside a real "caf\uFFFD"); and named pipes that look like pictures never
// block a listing or a thumbnail run.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTreeWidget>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/log.h"
#include "filelists/imagelist.h"
#include "filelists/listbuilder.h"
#include "filelists/rowtext.h"
#include "filelists/scan.h"
#include "filelists/sysicons.h"
#include "filelists/thumbnails.h"
#include "filelists/treebuilder.h"
#include "platform/folderlist.h"
#include "platform/programfolder.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"
#include "tests/support/tempdir.h"

namespace {

using namespace filelists;

// The two names that a lossy decoding cannot tell apart.
const std::string kLatin1Name = "caf\xE9";
const std::string kReplacementName = "caf\xEF\xBF\xBD";

// A picture in the given format, as bytes.
std::string pictureBytes(QColor colour, QSize size, const char* format) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes.toStdString();
}

QStringList errorLines() {
    QFile file(platform::programFile(QStringLiteral("errors.txt")));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

void addColumns(platform::ListView& list) {
    const char* keys[] = {"filename", "preview", "path", "size", "date",
                          "attrib",   "ext",     "type", "sizeb"};
    for (const char* key : keys) {
        list.addColumn(QString::fromLatin1(key), QString::fromLatin1(key), 80);
    }
}

class NameBytes : public ::testing::Test {
protected:
    void SetUp() override {
        QFile::remove(platform::programFile(QStringLiteral("errors.txt")));
        engine::setErrorsLogged(false);
        platform::EscapeWatch::clear();
        initSysIcons(images, QSize(64, 64));
    }

    // The path of an entry as the program holds it: decoded by the path codec.
    QString path(const std::string& relative) const {
        return platform::fromNativePath(dir.file(relative));
    }
    QString folder() const { return platform::fromNativePath(dir.path() + "/"); }

    struct Looked {
        int small;
        int large;
    };
    Looked look(const std::string& relative, bool thumbnails) {
        IconOptions options;
        options.makeThumbnails = thumbnails;
        int large = -1;
        const int small = sysIcons(path(relative), false, images, options, large);
        return {small, large};
    }

    testsupport::TempDir dir;
    SourceImages images;
};

TEST_F(NameBytes, ListingsAndScansKeepEveryNameAsItsBytes) {
    const std::set<std::string> names = {
        kLatin1Name + ".txt", kReplacementName + ".txt", "\xFF\xFE.bin", "over\xC0\xAFlong",
        "cut\xE2\x82",        "sur\xED\xA0\x80gate",     "plain.txt"};
    for (const std::string& name : names) {
        dir.write(name, name);
    }
    dir.mkdir("old\xE9");
    dir.write("old\xE9/inside\xE9.txt", "inside");

    const auto listed = platform::listFolder(folder(), QString(), platform::fs::Directory);
    ASSERT_TRUE(listed.ok()) << listed.reason();
    std::set<std::string> back;
    for (const platform::FolderEntry& entry : listed.value()) {
        back.insert(platform::nativePath(entry.name));
    }
    std::set<std::string> expected = names;
    expected.insert("old\xE9");
    EXPECT_EQ(back, expected);
    EXPECT_EQ(listed->size(), static_cast<qsizetype>(expected.size()));  // no two read the same

    // A recursive read enters the folder whose name is not UTF-8, and the tree takes both.
    ScanOptions options;
    options.folder = folder();
    options.subfolders = true;
    const ScanResult scan = scanFolder(options);
    ASSERT_EQ(scan.outcome, ScanOutcome::Completed) << scan.reason.toStdString();
    EXPECT_EQ(scan.dirs, QStringList{path("old\xE9")});
    EXPECT_TRUE(scan.files.contains(path("old\xE9/inside\xE9.txt")));
    EXPECT_EQ(scan.files.size(), static_cast<qsizetype>(names.size()) + 1);

    QTreeWidget tree;
    ViewSwitches switches;
    switches.dirs = true;
    switches.subdirs = true;
    switches.enableTreeview = true;
    const TreeBuildResult built = buildTree(tree, scan.dirs, scan.files, folder(), switches, images,
                                            IconOptions{}, [](const QString&, const QString&) {});
    ASSERT_EQ(built.outcome, BuildOutcome::Complete)
        << built.reason.toStdString() << " " << platform::nativePath(built.lastPath);
    EXPECT_EQ(built.nodes, static_cast<int>(names.size()) + 3);  // "[..]", the folder, its file
    EXPECT_TRUE(errorLines().isEmpty());
}

TEST_F(NameBytes, DetailColumnsDescribeTheFileTheRowNames) {
    dir.write(kLatin1Name + ".txt", "abc");
    dir.write(kReplacementName + ".txt", std::string(2000, 'x'));
    ASSERT_EQ(::chmod(dir.file(kLatin1Name + ".txt").c_str(), 0444), 0);
    ASSERT_EQ(::symlink("nowhere", dir.file("dangling\xE9.txt").c_str()), 0);

    const struct {
        std::string name;
        QString size;
        QString attributes;
    } cases[] = {
        {kLatin1Name + ".txt", QStringLiteral("3 bytes"), QStringLiteral("[R---]")},
        {kReplacementName + ".txt", QStringLiteral("2 kB"), QStringLiteral("[----]")},
        // A link whose target is gone is a row like any other, not the end of the list.
        {"dangling\xE9.txt", QStringLiteral("0 bytes"), QStringLiteral("[----]")},
    };
    QStringList files;
    for (const auto& c : cases) {
        const auto texts = readRowTexts(path(c.name), false, true);
        ASSERT_TRUE(texts.ok()) << texts.reason();
        EXPECT_EQ(platform::nativePath(texts->at(kColumnName)), c.name);
        EXPECT_EQ(texts->at(kColumnSize), c.size) << c.name;
        EXPECT_EQ(texts->at(kColumnAttrib), c.attributes) << c.name;
        files << path(c.name);
    }

    // With every column shown the list holds all three rows, each with its own details.
    platform::ListView list;
    addColumns(list);
    ViewSwitches switches;
    switches.showAllColumns = true;
    const ListBuildResult result = updateListview(list, {}, files, switches, images, IconOptions{},
                                                  [](const QString&, const QString&) {});
    ASSERT_EQ(result.outcome, BuildOutcome::Complete) << result.reason.toStdString();
    ASSERT_EQ(list.rowCount(), 3);
    for (int row = 0; row < list.rowCount(); ++row) {
        const std::string name = platform::nativePath(list.text(row, kColumnName));
        for (const auto& c : cases) {
            if (c.name == name) {
                EXPECT_EQ(list.text(row, kColumnSize), c.size) << name;
            }
        }
    }
    EXPECT_TRUE(errorLines().isEmpty());
}

TEST_F(NameBytes, IconsAndThumbnailsShowTheFileTheyAreKeyedBy) {
    for (const char* format : {"ico", "png"}) {
        const std::string extension = std::string(".") + format;
        dir.write(kLatin1Name + extension, pictureBytes(Qt::green, QSize(16, 16), format));
        dir.write(kReplacementName + extension, pictureBytes(Qt::blue, QSize(16, 16), format));
    }
    const struct {
        std::string name;
        bool thumbnail;
        QColor colour;
    } cases[] = {
        {kLatin1Name + ".ico", false, Qt::green},
        {kReplacementName + ".ico", false, Qt::blue},
        {kLatin1Name + ".png", true, Qt::green},
        {kReplacementName + ".png", true, Qt::blue},
    };
    for (const auto& c : cases) {
        const Looked got = look(c.name, c.thumbnail);
        ASSERT_GT(got.large, kDefaultGhostDir) << c.name;
        EXPECT_EQ(images.large.key(got.large), path(c.name)) << c.name;
        // Both pictures are 16 x 16, in the middle of the 64 x 64 large picture.
        EXPECT_EQ(images.large.pixmap(got.large).toImage().pixelColor(32, 32), c.colour) << c.name;
        if (!c.thumbnail) {
            EXPECT_EQ(images.small.pixmap(got.small).toImage().pixelColor(8, 8), c.colour)
                << c.name;
        }
        if (c.thumbnail) {
            const auto made = makeThumbnail(path(c.name), QSize(64, 64), true, false);
            ASSERT_TRUE(made.ok()) << made.reason();
            EXPECT_EQ(made->toImage().pixelColor(32, 32), c.colour) << c.name;
        }
    }
    EXPECT_TRUE(errorLines().isEmpty());
}

TEST_F(NameBytes, APictureFileTooLargeToReadGetsNoThumbnail) {
    const std::string big = dir.write("huge.png", pictureBytes(Qt::red, QSize(8, 8), "png"));
    ASSERT_EQ(::truncate(big.c_str(), (off_t{64} << 20) + 1), 0);  // sparse: nothing is written

    const Looked got = look("huge.png", true);
    EXPECT_EQ(got.large, kDefaultFile);
    const QStringList lines = errorLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("Error 7 (Out of memory)")))
        << lines[0].toStdString();
    const auto made = makeThumbnail(path("huge.png"), QSize(64, 64), true, true);
    EXPECT_FALSE(made.ok());
}

// Opens the other end of each pipe whenever something reads it: a reader blocked in open() is
// freed at once, and counted, so that a regression fails the test instead of hanging it.
class PipeWatch {
public:
    explicit PipeWatch(std::vector<std::string> pipes)
        : pipes_(std::move(pipes)), thread_([this] { watch(); }) {}
    ~PipeWatch() {
        stop_ = true;
        thread_.join();
    }
    PipeWatch(const PipeWatch&) = delete;
    PipeWatch& operator=(const PipeWatch&) = delete;

    int opened() const { return opened_; }

private:
    void watch() {
        while (!stop_) {
            for (const std::string& pipe : pipes_) {
                // Succeeds only while a reader has the pipe open.
                const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    ++opened_;
                    ::close(fd);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    std::vector<std::string> pipes_;
    std::atomic<bool> stop_{false};
    std::atomic<int> opened_{0};
    std::thread thread_;
};

TEST_F(NameBytes, PipesNamedLikePicturesAreNeverOpened) {
    std::vector<std::string> pipes;
    for (const char* name : {"pipe.ico", "pipe.cur", "pipe.jpg"}) {
        pipes.push_back(dir.file(name));
        ASSERT_EQ(::mkfifo(pipes.back().c_str(), 0644), 0);
    }
    dir.write("plain.txt", "x");
    const PipeWatch watch(pipes);

    ScanOptions options;
    options.folder = folder();
    const ScanResult scan = scanFolder(options);
    ASSERT_EQ(scan.outcome, ScanOutcome::Completed) << scan.reason.toStdString();
    ASSERT_EQ(scan.files.size(), 4);

    // Listed with icons and every column, then a thumbnail run over the rows.
    platform::ListView list;
    addColumns(list);
    ViewSwitches switches;
    switches.showAllColumns = true;
    const ListBuildResult listed =
        updateListview(list, {}, scan.files, switches, images, IconOptions{},
                       [](const QString&, const QString&) {});
    ASSERT_EQ(listed.outcome, BuildOutcome::Complete) << listed.reason.toStdString();
    EXPECT_EQ(list.rowCount(), 4);
    EXPECT_TRUE(generateThumbnails(ThumbnailRun{list, images, IconOptions{}, nullptr, {}}));

    EXPECT_EQ(watch.opened(), 0) << "a pipe was opened";
    // The pipe named like a picture gets no thumbnail, and the log says why.
    const QStringList lines = errorLines();
    ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("Error 75 (")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("sysIcons: File=") + path("pipe.jpg")));
}

}  // namespace
