// Reading a folder: every entry once, with its kind, size and attributes, in the order the
// folder gives, however many threads examine it; a folder that can be listed but not entered
// fails the read.
#include "platform/filesystem.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/dosattrib.h"
#include "tests/support/tempdir.h"

namespace {

namespace fs = platform::fs;
using testsupport::TempDir;

// The same entries alone, and among thousands of plain files (a folder that large is examined
// in blocks by several threads while it is listed); read whole, and read for kinds only, which
// leaves out sizes and a file's read-only bit and nothing else.
class ReadFolderAmong : public ::testing::TestWithParam<std::tuple<int, fs::FolderDetail>> {};

INSTANTIATE_TEST_SUITE_P(Fillers, ReadFolderAmong,
                         ::testing::Combine(::testing::Values(0, 9000),
                                            ::testing::Values(fs::FolderDetail::Full,
                                                              fs::FolderDetail::Kinds)));

TEST_P(ReadFolderAmong, ListsEntriesWithKindSizeAndAttributes) {
    TempDir dir;
    const auto [fillers, detail] = GetParam();
    const bool whole = detail == fs::FolderDetail::Full;
    for (int i = 0; i < fillers; ++i) {
        const int fd = open(dir.file("filler-" + std::to_string(i)).c_str(),
                            O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    dir.write("small.txt", "hello");
    dir.write(".dotfile", "");
    dir.mkdir("folder");
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
    ASSERT_EQ(symlink("folder", dir.file("folder-link").c_str()), 0);
    ASSERT_EQ(symlink("small.txt", dir.file("file-link").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", dir.file("dangling").c_str()), 0);
    const std::string big = dir.write("big.bin");
    ASSERT_EQ(truncate(big.c_str(), 5LL << 30), 0);
    ASSERT_TRUE(fs::setAttributes(dir.file("folder"), fs::System).ok());
    dir.write("locked.txt", "abc");
    ASSERT_TRUE(fs::setAttributes(dir.file("locked.txt"), fs::ReadOnly | fs::Hidden).ok());
    dir.mkdir("locked-folder");
    ASSERT_TRUE(fs::setAttributes(dir.file("locked-folder"), fs::ReadOnly).ok());

    auto entries = fs::readFolder(dir.path() + "/", detail);
    ASSERT_TRUE(entries.ok()) << entries.reason();
    std::map<std::string, fs::Entry> byName;
    for (const auto& entry : entries.value()) {
        byName[entry.name] = entry;
    }
    const struct {
        const char* name;
        fs::Kind kind;
        std::uint64_t size;
        std::uint32_t attributes;
    } expected[] = {
        {"small.txt", fs::Kind::File, 5, 0},
        {".dotfile", fs::Kind::File, 0, fs::Hidden},
        {"folder", fs::Kind::Directory, 0, fs::Directory | fs::System},
        {"pipe", fs::Kind::Other, 0, 0},
        // Links are entries of their own, never what they point to.
        {"folder-link", fs::Kind::Other, 0, 0},
        {"file-link", fs::Kind::Other, 0, 0},
        {"dangling", fs::Kind::Other, 0, 0},
        {"big.bin", fs::Kind::File, 5ull << 30, 0},
        {"locked.txt", fs::Kind::File, 3, fs::ReadOnly | fs::Hidden},
        // A folder's read-only bit is stored, so a read of kinds has it too.
        {"locked-folder", fs::Kind::Directory, 0, fs::Directory | fs::ReadOnly},
    };
    EXPECT_EQ(byName.size(), std::size(expected) + static_cast<std::size_t>(fillers))
        << "no \".\" or \"..\", nothing extra";
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        const auto found = byName.find(e.name);
        ASSERT_NE(found, byName.end());
        EXPECT_EQ(found->second.kind, e.kind);
        EXPECT_EQ(found->second.size, whole ? e.size : 0);
        const bool fileBit = e.kind != fs::Kind::Directory;
        EXPECT_EQ(found->second.attributes,
                  whole || !fileBit ? e.attributes : e.attributes & ~std::uint32_t{fs::ReadOnly});
    }
}

TEST(ReadFolder, EmptyAndMissingFolders) {
    TempDir dir;
    const auto empty = fs::readFolder(dir.path());
    ASSERT_TRUE(empty.ok());
    EXPECT_TRUE(empty->empty());
    const auto missing = fs::readFolder(dir.file("absent"));
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.reason().find("absent"), std::string::npos) << missing.reason();
    EXPECT_FALSE(fs::readFolder(dir.write("file.txt", "x")).ok());
}

// A folder with read but no execute permission lists its names but none can be examined: for
// a user without root rights it must fail the read, not read as empty. Root reads everything,
// so the check runs in a child that gives up root first.
// Both kinds of read; a read of kinds still lists a file whose stored value the user may not
// read (a file without read permission), as a whole read does.
TEST(ReadFolder, AFolderThatCanBeListedButNotEnteredFails) {
    TempDir dir;
    dir.mkdir("closed");
    dir.write("closed/inside.txt", "x");
    // Large enough to be examined in blocks by several threads.
    dir.mkdir("closed-large");
    for (int i = 0; i < 3000; ++i) {
        dir.write("closed-large/inside-" + std::to_string(i) + ".txt");
    }
    dir.mkdir("open");
    dir.write("open/secret.txt", "x");
    ASSERT_EQ(::chmod(dir.file("open/secret.txt").c_str(), 0), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(dir.file("closed").c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.file("closed-large").c_str(), 0444), 0);
    // 0 when every read answered as it should, else the number of the first that did not.
    const auto check = [&]() -> int {
        int step = 10;
        for (const fs::FolderDetail detail : {fs::FolderDetail::Full, fs::FolderDetail::Kinds}) {
            if (fs::readFolder(dir.file("closed"), detail).ok() ||
                fs::readFolder(dir.file("closed-large"), detail).ok()) {
                return step;
            }
            const auto open = fs::readFolder(dir.file("open"), detail);
            if (!open.ok() || open->size() != 1) {
                return step + 1;
            }
            step += 2;
        }
        return 0;
    };
    if (geteuid() != 0) {
        EXPECT_EQ(check(), 0);
        return;
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) {
            _exit(2);
        }
        // The folder must be listable for this user, or there is nothing to show.
        DIR* listable = ::opendir(dir.file("closed").c_str());
        if (listable == nullptr) {
            _exit(3);
        }
        ::closedir(listable);
        _exit(check());
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2 || WEXITSTATUS(status) == 3) {
        ::chmod(dir.file("closed").c_str(), 0755);
        ::chmod(dir.file("closed-large").c_str(), 0755);
        GTEST_SKIP() << "cannot give up root here, or the folder is out of the user's reach";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10, 12: the folder read as empty; 11, 13: the "
                                         "file without read permission was not listed";
    ::chmod(dir.file("closed").c_str(), 0755);
    ::chmod(dir.file("closed-large").c_str(), 0755);
}

// However many threads examine a large folder, its entries come in the order the folder gives
// them, each once.
TEST(ReadFolder, ALargeFolderKeepsTheOrderTheFolderGives) {
    TempDir dir;
    for (int i = 0; i < 5000; ++i) {
        dir.write("entry-" + std::to_string(i));
    }
    std::vector<std::string> given;
    DIR* listing = ::opendir(dir.path().c_str());
    ASSERT_NE(listing, nullptr);
    while (const dirent* item = ::readdir(listing)) {
        const std::string name = item->d_name;
        if (name != "." && name != "..") {
            given.push_back(name);
        }
    }
    ::closedir(listing);
    for (const fs::FolderDetail detail : {fs::FolderDetail::Full, fs::FolderDetail::Kinds}) {
        const auto entries = fs::readFolder(dir.path(), detail);
        ASSERT_TRUE(entries.ok()) << entries.reason();
        std::vector<std::string> read;
        for (const fs::Entry& entry : entries.value()) {
            EXPECT_EQ(entry.kind, fs::Kind::File) << entry.name;
            read.push_back(entry.name);
        }
        EXPECT_EQ(read, given);
    }
}

TEST(ReadFolder, ThirtyThousandEntries) {
    TempDir dir;
    constexpr int kCount = 30000;
    for (int i = 0; i < kCount; ++i) {
        const std::string path = dir.file("entry-" + std::to_string(i) + ".txt");
        const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    const auto entries = fs::readFolder(dir.path());
    ASSERT_TRUE(entries.ok());
    EXPECT_EQ(entries->size(), static_cast<std::size_t>(kCount));
}

}  // namespace
