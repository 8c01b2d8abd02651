// The folder read into the work lists: which entries the listing rules keep, the order of the
// walk into subfolders, the size limit of a work list, cancelling and failures.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "engine/log.h"
#include "filelists/scan.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"
#include "tests/support/fakemessages.h"
#include "tests/support/tempdir.h"

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using filelists::scanFolder;
using filelists::ScanOptions;
using filelists::ScanOutcome;
using filelists::ScanResult;
using testsupport::TempDir;

QString folderOf(const TempDir& dir) {
    return QString::fromStdString(dir.path()) + QLatin1Char('/');
}

// The paths below the working folder, which makes expectations readable.
QStringList relative(const QStringList& paths, const QString& folder) {
    QStringList result;
    for (const QString& path : paths) {
        EXPECT_TRUE(path.startsWith(folder)) << path.toStdString();
        result.append(path.mid(folder.size()));
    }
    return result;
}

QStringList sorted(QStringList list) {
    list.sort();
    return list;
}

// Writes an empty file, creating the folders on its way.
std::string put(const TempDir& dir, const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash != std::string::npos) {
        dir.mkdir(path.substr(0, slash));
    }
    return dir.write(path);
}

bool storeAttributes(const std::string& path, std::uint32_t attributes) {
    return platform::fs::setAttributes(path, attributes).ok();
}

// A folder with one file and one folder of every kind the listing rules tell apart.
class AttributeRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("plain.txt");
        dir.write(".dotfile");
        dir.mkdir("plaindir");
        dir.mkdir(".dotdir");
        const bool stored =
            storeAttributes(dir.write("system.txt"), platform::fs::System) &&
            storeAttributes(dir.write("hidsys.txt"), platform::fs::Hidden | platform::fs::System) &&
            storeAttributes(dir.write("readonly.txt"), platform::fs::ReadOnly) &&
            storeAttributes(dir.mkdir("sysdir"), platform::fs::System) &&
            storeAttributes(dir.mkdir("rodir"), platform::fs::ReadOnly);
        if (!stored) {
            GTEST_SKIP() << "the temporary folder's file system keeps no extended attributes";
        }
    }
    TempDir dir;
};

TEST_F(AttributeRulesTest, HiddenSystemAndReadOnlyEntriesFollowTheirSettings) {
    struct Case {
        bool hidden, system, writeProtected;
        QStringList files;
        QStringList dirs;
    };
    const Case cases[] = {
        {false, false, false, {"plain.txt"}, {"plaindir"}},
        {false, false, true, {"plain.txt", "readonly.txt"}, {"plaindir", "rodir"}},
        {true,
         false,
         true,
         {".dotfile", "plain.txt", "readonly.txt"},
         {".dotdir", "plaindir", "rodir"}},
        {false,
         true,
         true,
         {"plain.txt", "readonly.txt", "system.txt"},
         {"plaindir", "rodir", "sysdir"}},
        // A hidden system file needs both settings.
        {true,
         true,
         false,
         {".dotfile", "hidsys.txt", "plain.txt", "system.txt"},
         {".dotdir", "plaindir", "sysdir"}},
    };
    for (const Case& c : cases) {
        ScanOptions options;
        options.folder = folderOf(dir);
        options.pattern = QStringLiteral("*.*");
        options.processHidden = c.hidden;
        options.processSystem = c.system;
        options.processWriteProtected = c.writeProtected;
        const ScanResult result = scanFolder(options);
        SCOPED_TRACE(testing::Message() << "hidden " << c.hidden << ", system " << c.system
                                        << ", write-protected " << c.writeProtected);
        ASSERT_EQ(result.outcome, ScanOutcome::Completed);
        EXPECT_EQ(sorted(relative(result.files, options.folder)), c.files);
        EXPECT_EQ(relative(result.dirs, options.folder), c.dirs);
    }
}

TEST_F(AttributeRulesTest, AFolderLeftOutIsNotEntered) {
    put(dir, "rodir/inside.txt");
    put(dir, ".dotdir/inside.txt");
    put(dir, "plaindir/inside.txt");
    ScanOptions options;
    options.folder = folderOf(dir);
    options.subfolders = true;
    options.processWriteProtected = false;
    const ScanResult result = scanFolder(options);
    ASSERT_EQ(result.outcome, ScanOutcome::Completed);
    EXPECT_EQ(sorted(relative(result.files, options.folder)),
              (QStringList{"plain.txt", "plaindir/inside.txt"}));
}

TEST(ScanTest, ThePatternFiltersFilesAndFoldersByItsSettings) {
    TempDir dir;
    dir.write("a.txt");
    dir.write("b.doc");
    put(dir, "notes.txt/inner.txt");  // a folder whose name matches
    put(dir, "notes.txt/inner.doc");
    put(dir, "plain/deep.txt");  // a folder whose name does not
    struct Case {
        bool forFiles, forDirs;
        QStringList files;
        QStringList dirs;
    };
    const Case cases[] = {
        {true, false, {"a.txt", "notes.txt/inner.txt", "plain/deep.txt"}, {"notes.txt", "plain"}},
        {true, true, {"a.txt", "notes.txt/inner.txt"}, {"notes.txt"}},
        {false,
         true,
         {"a.txt", "b.doc", "notes.txt/inner.doc", "notes.txt/inner.txt"},
         {"notes.txt"}},
        {false,
         false,
         {"a.txt", "b.doc", "notes.txt/inner.doc", "notes.txt/inner.txt", "plain/deep.txt"},
         {"notes.txt", "plain"}},
    };
    for (const Case& c : cases) {
        ScanOptions options;
        options.folder = folderOf(dir);
        options.pattern = QStringLiteral("*.TXT");  // letter case does not matter
        options.subfolders = true;
        options.usePatternForFiles = c.forFiles;
        options.usePatternForDirs = c.forDirs;
        const ScanResult result = scanFolder(options);
        SCOPED_TRACE(testing::Message() << "files " << c.forFiles << ", dirs " << c.forDirs);
        ASSERT_EQ(result.outcome, ScanOutcome::Completed);
        EXPECT_EQ(sorted(relative(result.files, options.folder)), c.files);
        EXPECT_EQ(relative(result.dirs, options.folder), c.dirs);
    }
}

TEST(ScanTest, FoldersComeSortedAndFilesFolderByFolder) {
    TempDir dir;
    for (const char* file :
         {"top.txt", "a/in-a.txt", "a/b/in-ab.txt", "a/c/in-ac.txt", "b/in-b.txt",
          "Zeta/in-zeta.txt", "alpha/in-alpha.txt", "a/B2.txt", "a/a1.txt", "a/C3.txt"}) {
        put(dir, file);
    }
    // Created in an order unlike the sorted one, so the file system's order is not the answer.
    ScanOptions options;
    options.folder = folderOf(dir);
    options.subfolders = true;
    const ScanResult result = scanFolder(options);
    ASSERT_EQ(result.outcome, ScanOutcome::Completed);
    // Letter case is ignored, and each folder stands before what lies below it.
    EXPECT_EQ(relative(result.dirs, options.folder),
              (QStringList{"a", "a/b", "a/c", "alpha", "b", "Zeta"}));
    EXPECT_EQ(
        relative(result.files, options.folder),
        (QStringList{"top.txt", "a/a1.txt", "a/B2.txt", "a/C3.txt", "a/in-a.txt", "a/b/in-ab.txt",
                     "a/c/in-ac.txt", "alpha/in-alpha.txt", "b/in-b.txt", "Zeta/in-zeta.txt"}));

    // Without subfolders only the working folder is read.
    options.subfolders = false;
    const ScanResult flat = scanFolder(options);
    EXPECT_EQ(relative(flat.files, options.folder), QStringList{"top.txt"});
    EXPECT_EQ(relative(flat.dirs, options.folder), (QStringList{"a", "alpha", "b", "Zeta"}));
}

// Folders whose paths agree for a long way and then differ in letter case only, by a blank
// against the "/" of a deeper level, or inside a character outside the BMP (whose UTF-16
// pairs share their first unit): the order is that of comparing the whole paths, case ignored
// first.
TEST(ScanTest, FoldersThatShareLongBeginningsComeInTheOrderOfTheirWholePaths) {
    TempDir dir;
    const std::string stem = "shared stem/";
    for (const char* folder :
         {"x/a", "x/A", "x/a b", "x/a/c", "x/a/C", "x/\xC3\xA4", "x/\xC3\x84", "x/\xF0\x9D\x94\xB8",
          "x/\xF0\x9D\x94\xB9", "x/\xEF\xBC\xA1", "x/ab", "x/aB",
          // A Deseret capital and its small letter, equal with case ignored, then "b" and "a".
          "x/\xF0\x90\x90\x80"
          "b",
          "x/\xF0\x90\x90\xA8"
          "a"}) {
        dir.mkdir(stem + folder);
    }
    ScanOptions options;
    options.folder = folderOf(dir);
    options.subfolders = true;
    const ScanResult result = scanFolder(options);
    ASSERT_EQ(result.outcome, ScanOutcome::Completed);
    QStringList expected = result.dirs;
    std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
    });
    EXPECT_EQ(result.dirs, expected);
    EXPECT_EQ(result.dirs.size(), 16);
}

// The files of a folder come ordered by their names with letter case folded, compared unit by
// unit, and names equal so by the names as they stand: ASCII next to the signs between the two
// alphabets, letters whose folding leaves ASCII (Kelvin sign, long s), characters outside the
// BMP, bytes that are not UTF-8, names that agree for a long way or are each other's beginning.
TEST(ScanTest, FilesComeInTheOrderOfTheirFoldedNames) {
    TempDir dir;
    const char* const names[] = {"b.txt",
                                 "B.TXT",
                                 "a.txt",
                                 "A.txt2",
                                 "_under",
                                 "Zed",
                                 "zed2",
                                 "[bracket",
                                 "`tick",
                                 "~",
                                 "ab",
                                 "aB",
                                 "Ab",
                                 "AB",
                                 "a",
                                 "abc",
                                 "abcd",
                                 "abcde",
                                 "ABCDE",
                                 "abcdE",
                                 "abcd\x01",
                                 "fileA",
                                 "filea",
                                 "file_",
                                 "FILEB",
                                 "file00002.txt",
                                 "FILE00001.TXT",
                                 "file0000.txt",
                                 "\xC3\xA4",
                                 "\xC3\x84",
                                 "\xC3\x9F",
                                 "ss",
                                 "SS",
                                 "\xE2\x84\xAA",
                                 "k",
                                 "K",
                                 "\xC5\xBF",
                                 "s",
                                 "\xEF\xBC\xA1",
                                 "\xEF\xBD\x81",
                                 "\xCE\xA9",
                                 "\xCF\x89",
                                 "\xC4\xB0",
                                 "i",
                                 "I",
                                 "\xF0\x90\x90\x80"
                                 "b",
                                 "\xF0\x90\x90\xA8"
                                 "a",
                                 "\xF0\x9F\x98\x80",
                                 "\xEF\xBF\xBD",
                                 "caf\xE9",
                                 "caf\xC9",
                                 "CAF\xE9",
                                 "caf\xC3\xA9",
                                 "\xFF",
                                 "\x80x",
                                 "\xED\xA0\x80",
                                 "long shared beginning of a name A",
                                 "long shared beginning of a name a",
                                 "LONG SHARED BEGINNING OF A NAME B",
                                 "long shared beginning of a name"};
    for (const char* name : names) {
        dir.write(name);
    }
    ScanOptions options;
    options.folder = folderOf(dir);
    const ScanResult result = scanFolder(options);
    ASSERT_EQ(result.outcome, ScanOutcome::Completed);
    // The names alone are folded: Qt folds a text with a lone surrogate (a byte that is not
    // UTF-8) to U+FFFD in its place when it changes another character of that text.
    QStringList expected = relative(result.files, options.folder);
    std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
        const int folded = QString::compare(a.toCaseFolded(), b.toCaseFolded(), Qt::CaseSensitive);
        return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
    });
    EXPECT_EQ(relative(result.files, options.folder), expected);
    EXPECT_EQ(result.files.size(), static_cast<qsizetype>(std::size(names)));
    // Each name comes back as exactly the bytes it was made with.
    std::vector<std::string> bytes;
    for (const QString& path : result.files) {
        bytes.push_back(platform::nativePath(path.mid(options.folder.size())));
    }
    std::vector<std::string> made(std::begin(names), std::end(names));
    std::sort(bytes.begin(), bytes.end());
    std::sort(made.begin(), made.end());
    EXPECT_EQ(bytes, made);
}

// Each level of a deep tree is read inside the one above; every level's file is found, in
// order from the top.
TEST(ScanTest, ReadsEveryLevelOfADeepTree) {
    TempDir dir;
    std::string path;
    for (int level = 0; level < 300; ++level) {
        path += "d/";
        put(dir, path + "f.txt");
    }
    ScanOptions options;
    options.folder = folderOf(dir);
    options.subfolders = true;
    const ScanResult result = scanFolder(options);
    ASSERT_EQ(result.outcome, ScanOutcome::Completed);
    ASSERT_EQ(result.dirs.size(), 300);
    ASSERT_EQ(result.files.size(), 300);
    EXPECT_EQ(result.files.last(), options.folder + QString::fromStdString(path) + "f.txt");
    EXPECT_FALSE(engine::errorsLogged());
}

// A linked folder is an item of the folder that holds the link, never a folder to read: not
// back up the tree (a cycle), not sideways, not out of the chosen folder. Like `find` without
// -L, the link is listed as an entry of its own, among the files.
TEST(ScanTest, ALinkedFolderIsListedAsAnItemAndNeverEntered) {
    TempDir outside;
    put(outside, "victim/secret.txt");
    TempDir dir;
    put(dir, "a/file.txt");
    std::filesystem::create_directory_symlink(dir.path(), dir.file("a/up"));
    std::filesystem::create_directory_symlink(dir.file("a"), dir.file("again"));
    std::filesystem::create_directory_symlink(outside.file("victim"), dir.file("away"));
    std::filesystem::create_symlink("nowhere", dir.file("dangling"));
    ScanOptions options;
    options.folder = folderOf(dir);
    options.subfolders = true;
    const ScanResult result = scanFolder(options);
    ASSERT_EQ(result.outcome, ScanOutcome::Completed);
    EXPECT_EQ(relative(result.dirs, options.folder), QStringList{"a"});
    EXPECT_EQ(relative(result.files, options.folder),
              (QStringList{"again", "away", "dangling", "a/file.txt", "a/up"}));
}

TEST(ScanTest, AFullWorkListFailsTheReadAndEmptiesBothLists) {
    TempDir dir;
    // std::string("f") rather than a bare literal: GCC 12 at -O3 warns falsely (-Wrestrict) about
    // "literal" + std::to_string(...), which fails a release build with warnings as errors.
    for (int i = 0; i < 3; ++i) {
        dir.write(std::string("f") + std::to_string(i));
        dir.mkdir(std::string("d") + std::to_string(i));
    }
    ScanOptions options;
    options.folder = folderOf(dir);
    options.limit = 3;  // exactly full: completes
    ScanResult result = scanFolder(options);
    EXPECT_EQ(result.outcome, ScanOutcome::Completed);
    EXPECT_EQ(result.files.size(), 3);
    EXPECT_EQ(result.dirs.size(), 3);

    // One more file, or one more folder, than a list holds.
    for (const bool extraFile : {true, false}) {
        TempDir over;
        for (int i = 0; i < 3; ++i) {
            over.write(std::string("f") + std::to_string(i));
            over.mkdir(std::string("d") + std::to_string(i));
        }
        if (extraFile) {
            over.write("f3");
        } else {
            over.mkdir("d3");
        }
        options.folder = folderOf(over);
        result = scanFolder(options);
        EXPECT_EQ(result.outcome, ScanOutcome::TooMany) << "extra file " << extraFile;
        EXPECT_TRUE(result.files.isEmpty());
        EXPECT_TRUE(result.dirs.isEmpty());
    }
}

TEST(ScanTest, TheProgramsLimitIs32767EntriesAList) {
    TempDir dir;
    for (int i = 0; i < filelists::kWorkListLimit; ++i) {
        dir.write(std::to_string(i));
    }
    ScanOptions options;
    options.folder = folderOf(dir);
    ScanResult result = scanFolder(options);
    ASSERT_EQ(result.outcome, ScanOutcome::Completed);
    EXPECT_EQ(result.files.size(), 32767);

    dir.write("one-more");
    result = scanFolder(options);
    EXPECT_EQ(result.outcome, ScanOutcome::TooMany);
    EXPECT_TRUE(result.files.isEmpty());
}

TEST(ScanTest, CancellingStopsAtOnceAndKeepsNothing) {
    TempDir dir;
    for (int i = 0; i < 20; ++i) {
        put(dir, "sub/" + std::to_string(i));
    }
    ScanOptions options;
    options.folder = folderOf(dir);
    options.subfolders = true;
    int asked = 0;
    int progressCalls = 0;
    filelists::ScanHooks hooks;
    hooks.cancelRequested = [&asked] { return ++asked == 5; };
    hooks.progress = [&progressCalls](qsizetype, qsizetype) { ++progressCalls; };
    const ScanResult result = scanFolder(options, hooks);
    EXPECT_EQ(result.outcome, ScanOutcome::Cancelled);
    EXPECT_EQ(asked, 5);
    EXPECT_TRUE(result.files.isEmpty());
    EXPECT_TRUE(result.dirs.isEmpty());
    EXPECT_GE(progressCalls, 1);  // the window could breathe before the subfolder was read

    // An empty folder is still asked about, so a walk through thousands of empty folders
    // can be cancelled too.
    TempDir empty;
    empty.mkdir("one");
    asked = 0;
    options.folder = folderOf(empty);
    hooks.cancelRequested = [&asked] { return ++asked == 4; };
    EXPECT_EQ(scanFolder(options, hooks).outcome, ScanOutcome::Cancelled);
}

TEST(ScanTest, AFolderThatCannotBeReadFailsWithItsReason) {
    TempDir dir;
    ScanOptions options;
    options.folder = QString::fromStdString(dir.file("missing")) + QLatin1Char('/');
    const ScanResult result = scanFolder(options);
    EXPECT_EQ(result.outcome, ScanOutcome::Failed);
    EXPECT_TRUE(result.reason.contains(options.folder)) << result.reason.toStdString();
    EXPECT_EQ(filelists::scanFailureText(result.outcome),
              QStringLiteral("Error reading directory structure!"));
    EXPECT_EQ(filelists::scanFailureText(ScanOutcome::Cancelled),
              QStringLiteral("User Cancelled!"));
    EXPECT_EQ(filelists::scanFailureText(ScanOutcome::TooMany),
              QStringLiteral("Error: too many files!"));
}

// A sub-folder that cannot be read is passed over with its line in the error log; the rest of
// the tree is read. Here the sub-folder lies deeper than any path the system takes (root reads
// every folder, so permissions cannot show it).
TEST(ScanTest, AnUnreadableSubfolderIsPassedOverWithItsErrorLine) {
    TempDir dir;
    put(dir, "a.txt");
    put(dir, "deep/b.txt");
    // Nested by handle, each level 200 bytes, until the whole path passes PATH_MAX.
    const std::string level(200, 'd');
    int fd = ::open(dir.file("deep").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int depth = 0; depth < 24; ++depth) {
        ASSERT_EQ(::mkdirat(fd, level.c_str(), 0755), 0);
        const int next = ::openat(fd, level.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
    }
    ::close(fd);
    engine::setErrorsLogged(false);
    ScanOptions options;
    options.folder = folderOf(dir);
    options.subfolders = true;
    const ScanResult result = scanFolder(options);
    ASSERT_EQ(result.outcome, ScanOutcome::Completed) << result.reason.toStdString();
    EXPECT_TRUE(result.files.contains(options.folder + "a.txt"));
    EXPECT_TRUE(result.files.contains(options.folder + "deep/b.txt"));
    EXPECT_TRUE(engine::errorsLogged());
    const std::string log =
        testsupport::readAll(testsupport::sandboxRoot() + "/program/errors.txt");
    EXPECT_NE(log.find("readDirectoryStructure: " + options.folder.toStdString() + "deep/"),
              std::string::npos);

    // Removed by handle too: no path reaches the bottom.
    std::vector<int> chain{::open(dir.file("deep").c_str(), O_RDONLY | O_DIRECTORY)};
    for (int depth = 0; depth < 24 && chain.back() >= 0; ++depth) {
        chain.push_back(::openat(chain.back(), level.c_str(), O_RDONLY | O_DIRECTORY));
    }
    for (std::size_t i = chain.size() - 1; i > 0; --i) {
        ::close(chain[i]);
        ::unlinkat(chain[i - 1], level.c_str(), AT_REMOVEDIR);
    }
    ::close(chain.front());
}

TEST(ScanTest, ProtectedSystemFolders) {
    const struct {
        const char* folder;
        bool isProtected;
    } cases[] = {
        {"/", true},      {"/usr/", true},       {"/usr/share/doc/", true},
        {"/etc/", true},  {"/lib64/", true},     {"/proc/1/", true},
        {"/usr", false},  {"/usrlocal/", false}, {"/home/me/usr/", false},
        {"/tmp/", false}, {"/var/", false},      {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(filelists::isProtectedSystemFolder(QString::fromUtf8(c.folder)), c.isProtected)
            << c.folder;
    }
}

TEST(ScanTest, TheTooManyFilesBox) {
    testsupport::FakeMessages messages;
    filelists::showTooManyFilesMessage();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("Error!"));
    EXPECT_EQ(messages.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(messages.shown[0].buttons, platform::MessageButtons::Ok);
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("Error: Too many files!\n\nQuenza Renamer can only handle 32768 "
                             "files at once.\nPlease limit number of files by selecting a more "
                             "specified path."));
}

}  // namespace
