#include "platform/filesystem.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/dosattrib.h"
#include "tests/support/tempdir.h"

namespace {

namespace fs = platform::fs;
using testsupport::readAll;
using testsupport::TempDir;

mode_t modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// The raw user.DOSATTRIB value; "<none>" when there is none.
std::string storedValue(const std::string& path) {
    char buffer[256];
    const ssize_t length = getxattr(path.c_str(), fs::kDosAttributeName, buffer, sizeof buffer);
    return length < 0 ? std::string("<none>") : std::string(buffer, static_cast<size_t>(length));
}

void store(const std::string& path, const std::string& value) {
    ASSERT_EQ(setxattr(path.c_str(), fs::kDosAttributeName, value.data(), value.size(), 0), 0);
}

std::vector<std::string> namesIn(const std::string& folder) {
    auto entries = fs::readFolder(folder);
    EXPECT_TRUE(entries.ok()) << entries.reason();
    std::vector<std::string> names;
    if (entries.ok()) {
        for (const auto& entry : entries.value()) {
            names.push_back(entry.name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Rename -----------------------------------------------------------------------------------

TEST(RenameNoReplace, NeverReplacesWhatIsInTheWay) {
    enum class Make { File, FolderWithFile, EmptyFolder };
    const struct {
        const char* what;
        Make source;
        Make target;
    } cases[] = {
        {"file onto a file", Make::File, Make::File},
        {"file onto a folder", Make::File, Make::FolderWithFile},
        {"file onto an empty folder", Make::File, Make::EmptyFolder},
        {"folder onto a file", Make::FolderWithFile, Make::File},
        {"folder onto a folder", Make::FolderWithFile, Make::FolderWithFile},
        {"folder onto an empty folder", Make::FolderWithFile, Make::EmptyFolder},
        {"empty folder onto an empty folder", Make::EmptyFolder, Make::EmptyFolder},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const auto make = [&](Make kind, const std::string& name, const std::string& content) {
            switch (kind) {
                case Make::File:
                    dir.write(name, content);
                    break;
                case Make::FolderWithFile:
                    dir.mkdir(name);
                    dir.write(name + "/inside", content);
                    break;
                case Make::EmptyFolder:
                    dir.mkdir(name);
                    break;
            }
        };
        const auto check = [&](Make kind, const std::string& name, const std::string& content) {
            switch (kind) {
                case Make::File:
                    EXPECT_TRUE(fs::isFile(dir.file(name)));
                    EXPECT_EQ(readAll(dir.file(name)), content);
                    break;
                case Make::FolderWithFile:
                    EXPECT_EQ(namesIn(dir.file(name)), std::vector<std::string>{"inside"});
                    EXPECT_EQ(readAll(dir.file(name + "/inside")), content);
                    break;
                case Make::EmptyFolder:
                    EXPECT_TRUE(fs::isDirectory(dir.file(name)));
                    EXPECT_TRUE(namesIn(dir.file(name)).empty());
                    break;
            }
        };
        make(c.source, "source", "source content");
        make(c.target, "target", "target content");

        const auto status = fs::renameNoReplace(dir.file("source"), dir.file("target"));
        EXPECT_FALSE(status.ok());
        EXPECT_EQ(status.reason(), "a file or folder named \"target\" already exists");
        check(c.source, "source", "source content");
        check(c.target, "target", "target content");
        EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"source", "target"}));
    }
}

TEST(RenameNoReplace, RenamesFilesAndFolders) {
    TempDir dir;
    dir.write("old.txt", "file content");
    dir.mkdir("old folder/sub");
    dir.write("old folder/sub/deep.txt", "deep");

    ASSERT_TRUE(fs::renameNoReplace(dir.file("old.txt"), dir.file("new.txt")).ok());
    const auto folder = fs::renameNoReplace(dir.file("old folder"), dir.file("Neuer Ördner"));
    ASSERT_TRUE(folder.ok()) << folder.reason();

    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"Neuer Ördner", "new.txt"}));
    EXPECT_EQ(readAll(dir.file("new.txt")), "file content");
    EXPECT_EQ(readAll(dir.file("Neuer Ördner/sub/deep.txt")), "deep");

    // Into another folder as well.
    dir.mkdir("elsewhere");
    ASSERT_TRUE(fs::renameNoReplace(dir.file("new.txt"), dir.file("elsewhere/moved.txt")).ok());
    EXPECT_EQ(readAll(dir.file("elsewhere/moved.txt")), "file content");
}

TEST(RenameNoReplace, ChangesCaseOnly) {
    TempDir dir;
    dir.write("report.txt", "case");
    const auto status = fs::renameNoReplace(dir.file("report.txt"), dir.file("REPORT.txt"));
    ASSERT_TRUE(status.ok()) << status.reason();
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"REPORT.txt"});
    EXPECT_EQ(readAll(dir.file("REPORT.txt")), "case");
}

// Where the file system can fold case (ext4 with casefold), the new name "exists" already.
TEST(RenameNoReplace, ChangesCaseOnlyOnACaseInsensitiveFolder) {
    TempDir dir;
    const std::string folder = dir.mkdir("folded");
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    int flags = 0;
    const bool folded = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                        (flags |= FS_CASEFOLD_FL, ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    close(fd);
    if (!folded) {
        GTEST_SKIP() << "this file system cannot fold case";
    }
    dir.write("folded/Photo.JPG", "picture");
    dir.write("folded/other.jpg", "other");
    ASSERT_TRUE(fs::renameNoReplace(folder + "/Photo.JPG", folder + "/photo.jpg").ok());
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"other.jpg", "photo.jpg"}));
    EXPECT_EQ(readAll(folder + "/photo.jpg"), "picture");
    // A different file that differs only in case is still in the way.
    EXPECT_FALSE(fs::renameNoReplace(folder + "/photo.jpg", folder + "/OTHER.jpg").ok());
    EXPECT_EQ(readAll(folder + "/other.jpg"), "other");
}

// The same object under the new name takes the path through a temporary name; it must come
// out where it should and leave nothing behind.
TEST(RenameNoReplace, SameObjectUnderBothNames) {
    TempDir dir;
    dir.write("same.txt", "same");
    const auto itself = fs::renameNoReplace(dir.file("same.txt"), dir.file("same.txt"));
    EXPECT_TRUE(itself.ok()) << itself.reason();
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"same.txt"});
    EXPECT_EQ(readAll(dir.file("same.txt")), "same");

    // A second hard link is the same inode but a different name: it must not be replaced,
    // and the first name must come back from the temporary one.
    ASSERT_EQ(link(dir.file("same.txt").c_str(), dir.file("link.txt").c_str()), 0);
    const auto linked = fs::renameNoReplace(dir.file("same.txt"), dir.file("link.txt"));
    EXPECT_FALSE(linked.ok());
    EXPECT_EQ(linked.reason(), "a file or folder named \"link.txt\" already exists");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"link.txt", "same.txt"}));
}

TEST(RenameNoReplace, RefusesNamesThatCannotBe) {
    TempDir dir;
    dir.write("a.txt", "keep");
    const struct {
        const char* what;
        std::string to;
    } cases[] = {
        {"NUL in the name", dir.file(std::string("bad\0name", 8))},
        {"NUL at the end", dir.file(std::string("bad\0", 4))},
        {"trailing slash", dir.file("b/")},
        {"empty", ""},
        {"dot", dir.file(".")},
        {"dot dot", dir.file("..")},
        {"missing parent", dir.file("no such folder/b.txt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto status = fs::renameNoReplace(dir.file("a.txt"), c.to);
        EXPECT_FALSE(status.ok());
        EXPECT_FALSE(status.reason().empty());
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"a.txt"});
        EXPECT_EQ(readAll(dir.file("a.txt")), "keep");
    }
    EXPECT_EQ(fs::renameNoReplace(dir.file("a.txt"), dir.file(std::string("x\0y", 3))).reason(),
              "the new name may not contain a NUL character");
    EXPECT_FALSE(fs::renameNoReplace(dir.file("missing"), dir.file("b")).ok());
}

// Create and remove folders ---------------------------------------------------------------

TEST(Directories, CreateAndRemoveOneLevelOnly) {
    TempDir dir;
    EXPECT_TRUE(fs::makeDirectory(dir.file("new")).ok());
    EXPECT_TRUE(fs::isDirectory(dir.file("new")));
    const auto again = fs::makeDirectory(dir.file("new"));
    EXPECT_FALSE(again.ok());
    EXPECT_EQ(again.reason(), "a file or folder named \"new\" already exists");
    EXPECT_FALSE(fs::makeDirectory(dir.file("a/b")).ok()) << "never creates parents";
    EXPECT_FALSE(fs::exists(dir.file("a")));

    dir.write("new/file.txt", "x");
    const auto full = fs::removeDirectory(dir.file("new"));
    EXPECT_FALSE(full.ok()) << "never removes contents";
    EXPECT_NE(full.reason().find("not empty"), std::string::npos) << full.reason();
    EXPECT_EQ(readAll(dir.file("new/file.txt")), "x");

    ASSERT_EQ(unlink(dir.file("new/file.txt").c_str()), 0);
    EXPECT_TRUE(fs::removeDirectory(dir.file("new")).ok());
    EXPECT_FALSE(fs::exists(dir.file("new")));
    EXPECT_FALSE(fs::removeDirectory(dir.file("new")).ok());
}

TEST(Directories, PathWithNulNeverReachesTheSystem) {
    TempDir dir;
    dir.mkdir("victim");
    // Cut at the NUL, this path would name "victim".
    const std::string path = dir.file(std::string("victim\0/more", 12));
    EXPECT_FALSE(fs::removeDirectory(path).ok());
    EXPECT_TRUE(fs::isDirectory(dir.file("victim")));
    EXPECT_FALSE(fs::makeDirectory(dir.file(std::string("n\0ew", 4))).ok());
    EXPECT_FALSE(fs::exists(dir.file("n")));
    EXPECT_EQ(fs::kindOf(path), fs::Kind::Missing);
}

// What a path is ---------------------------------------------------------------------------

TEST(KindOf, TellsFilesFoldersAndTheRest) {
    TempDir dir;
    dir.write("file.txt", "12345");
    dir.mkdir("folder");
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
    ASSERT_EQ(symlink("file.txt", dir.file("link").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", dir.file("dangling").c_str()), 0);
    const struct {
        const char* name;
        fs::Kind kind;
    } cases[] = {
        {"file.txt", fs::Kind::File},    {"folder", fs::Kind::Directory},
        {"pipe", fs::Kind::Other},       {"link", fs::Kind::File},
        {"dangling", fs::Kind::Missing}, {"absent", fs::Kind::Missing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(c.name);
        EXPECT_EQ(fs::kindOf(path), c.kind);
        EXPECT_EQ(fs::exists(path), c.kind != fs::Kind::Missing);
        EXPECT_EQ(fs::isFile(path), c.kind == fs::Kind::File);
        EXPECT_EQ(fs::isDirectory(path), c.kind == fs::Kind::Directory);
    }
    EXPECT_EQ(fs::fileSize(dir.file("file.txt")).valueOr(0), 5u);
    EXPECT_EQ(fs::fileSize(dir.file("link")).valueOr(0), 5u);
    EXPECT_FALSE(fs::fileSize(dir.file("absent")).ok());
}

TEST(BaseName, TakesWhatFollowsTheLastSlash) {
    EXPECT_EQ(fs::baseName("/a/b/c.txt"), "c.txt");
    EXPECT_EQ(fs::baseName("c.txt"), "c.txt");
    EXPECT_EQ(fs::baseName("/a/b/"), "");
    EXPECT_EQ(fs::baseName("/"), "");
    EXPECT_EQ(fs::baseName(""), "");
}

// Attributes ------------------------------------------------------------------------------

TEST(Attributes, ReadOnlyFileIsAboutWriteBits) {
    TempDir dir;
    const std::string file = dir.write("file.txt", "x");
    ASSERT_EQ(chmod(file.c_str(), 0664), 0);
    EXPECT_EQ(fs::attributes(file).valueOr(99), 0u);

    ASSERT_TRUE(fs::setAttributes(file, fs::ReadOnly).ok());
    EXPECT_EQ(modeOf(file), 0444u);
    EXPECT_EQ(fs::attributes(file).valueOr(99), std::uint32_t{fs::ReadOnly});
    // Nothing to store, so nothing stored: this also works where extended attributes do not.
    EXPECT_EQ(storedValue(file), "<none>");

    ASSERT_TRUE(fs::setAttributes(file, 0).ok());
    EXPECT_EQ(modeOf(file), 0644u) << "clearing read-only gives the owner write permission";
    EXPECT_EQ(fs::attributes(file).valueOr(99), 0u);

    // Any write bit means writable; clearing read-only then leaves the mode alone.
    ASSERT_EQ(chmod(file.c_str(), 0420), 0);
    EXPECT_EQ(fs::attributes(file).valueOr(99), 0u);
    ASSERT_TRUE(fs::setAttributes(file, 0).ok());
    EXPECT_EQ(modeOf(file), 0420u);
}

TEST(Attributes, ReadOnlyFolderKeepsItsPermissions) {
    TempDir dir;
    const std::string folder = dir.mkdir("folder");
    ASSERT_EQ(chmod(folder.c_str(), 0750), 0);
    EXPECT_EQ(fs::attributes(folder).valueOr(0), std::uint32_t{fs::Directory});

    ASSERT_TRUE(fs::setAttributes(folder, fs::ReadOnly | fs::Directory).ok());
    EXPECT_EQ(modeOf(folder), 0750u);
    EXPECT_EQ(fs::attributes(folder).valueOr(0), std::uint32_t{fs::ReadOnly | fs::Directory});
    dir.write("folder/still-writable.txt", "yes");
    EXPECT_EQ(readAll(dir.file("folder/still-writable.txt")), "yes");

    ASSERT_TRUE(fs::setAttributes(folder, 0).ok());
    EXPECT_EQ(modeOf(folder), 0750u);
    EXPECT_EQ(fs::attributes(folder).valueOr(0), std::uint32_t{fs::Directory});

    // A folder without any write bit is not read-only by that.
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    EXPECT_EQ(fs::attributes(folder).valueOr(0), std::uint32_t{fs::Directory});
}

TEST(Attributes, StoredBitsRoundTrip) {
    TempDir dir;
    const std::string file = dir.write("file.txt", "x");
    const std::string folder = dir.mkdir("folder");
    const std::uint32_t cases[] = {
        fs::Hidden,
        fs::System,
        fs::Archive,
        fs::Hidden | fs::System,
        fs::Hidden | fs::System | fs::Archive | fs::ReadOnly,
        fs::ReadOnly | fs::Archive,
        0,
    };
    for (const std::uint32_t bits : cases) {
        SCOPED_TRACE(bits);
        ASSERT_TRUE(fs::setAttributes(file, bits).ok());
        EXPECT_EQ(fs::attributes(file).valueOr(99), bits);
        ASSERT_TRUE(fs::setAttributes(folder, bits).ok());
        EXPECT_EQ(fs::attributes(folder).valueOr(99), bits | fs::Directory);
    }
    // The Directory bit asked for on a file means nothing.
    ASSERT_TRUE(fs::setAttributes(file, fs::Directory | fs::Hidden).ok());
    EXPECT_EQ(fs::attributes(file).valueOr(99), std::uint32_t{fs::Hidden});
}

TEST(Attributes, StoresWhatSambaReads) {
    TempDir dir;
    const std::string file = dir.write("file.txt", "x");
    ASSERT_TRUE(fs::setAttributes(file, fs::Hidden | fs::Archive).ok());
    // Empty text, pad, version 5, level 5, pad, valid_flags = attrib, attrib, no create time.
    const std::string expected("\0\0\5\0\5\0\0\0\1\0\0\0\x22\0\0\0\0\0\0\0\0\0\0\0", 24);
    EXPECT_EQ(storedValue(file), expected);

    // On a file with a value, read-only still comes from the permissions, and the value's
    // read-only bit follows them.
    store(file, "0x21");
    EXPECT_EQ(fs::attributes(file).valueOr(0), std::uint32_t{fs::Archive});
    ASSERT_TRUE(fs::setAttributes(file, fs::ReadOnly | fs::Archive).ok());
    EXPECT_EQ(modeOf(file) & 0222, 0u);
    EXPECT_EQ(platform::dosattrib::decode(storedValue(file)), 0x21u);
    ASSERT_TRUE(fs::setAttributes(file, fs::Archive).ok());
    EXPECT_NE(modeOf(file) & 0200, 0u);
    EXPECT_EQ(platform::dosattrib::decode(storedValue(file)), 0x20u);

    // A value Samba wrote for an archived folder.
    const std::string folder = dir.mkdir("folder");
    const std::string createTime("\xc0\xb7\x36\x87\x73\x1d\xd3\x01", 8);
    store(folder, std::string("\0\0\5\0\5\0\0\0\x11\0\0\0\x30\0\0\0", 16) + createTime);
    EXPECT_EQ(fs::attributes(folder).valueOr(0), std::uint32_t{fs::Directory | fs::Archive});

    // Changing the bits keeps the creation time Samba recorded.
    ASSERT_TRUE(fs::setAttributes(folder, fs::Hidden | fs::Archive).ok());
    const std::string rewritten = storedValue(folder);
    ASSERT_GE(rewritten.size(), 8u);
    EXPECT_EQ(rewritten.substr(rewritten.size() - 8), createTime);
    EXPECT_EQ(platform::dosattrib::decode(rewritten),
              std::uint32_t{fs::Hidden | fs::Directory | fs::Archive});
    EXPECT_EQ(fs::attributes(folder).valueOr(0),
              std::uint32_t{fs::Hidden | fs::Directory | fs::Archive});
}

TEST(Attributes, DotNamesAreHidden) {
    TempDir dir;
    const std::string file = dir.write(".profile", "x");
    const std::string folder = dir.mkdir(".config");
    EXPECT_EQ(fs::attributes(file).valueOr(0), std::uint32_t{fs::Hidden});
    EXPECT_EQ(fs::attributes(folder).valueOr(0), std::uint32_t{fs::Hidden | fs::Directory});
    EXPECT_EQ(fs::attributes(folder + "/").valueOr(0), std::uint32_t{fs::Hidden | fs::Directory});
    EXPECT_EQ(fs::attributes(dir.path() + "/.").valueOr(99), std::uint32_t{fs::Directory});

    // Hidden asked for on a dot name is already true: nothing needs storing.
    ASSERT_TRUE(fs::setAttributes(file, fs::Hidden).ok());
    EXPECT_EQ(storedValue(file), "<none>");

    // A stored Hidden bit is cleared, but the name keeps the file hidden.
    store(file, "0x2");
    ASSERT_TRUE(fs::setAttributes(file, 0).ok());
    EXPECT_EQ(platform::dosattrib::decode(storedValue(file)), 0u);
    EXPECT_EQ(fs::attributes(file).valueOr(0), std::uint32_t{fs::Hidden});
}

TEST(Attributes, UnreadableStoredValueReadsAsClear) {
    TempDir dir;
    const std::string file = dir.write("file.txt", "x");
    store(file, "not an attribute value");
    EXPECT_EQ(fs::attributes(file).valueOr(99), 0u);
    // Left alone when nothing is to be stored, replaced when something is.
    ASSERT_TRUE(fs::setAttributes(file, fs::ReadOnly).ok());
    EXPECT_EQ(storedValue(file), "not an attribute value");
    ASSERT_TRUE(fs::setAttributes(file, fs::System).ok());
    EXPECT_EQ(fs::attributes(file).valueOr(99), std::uint32_t{fs::System});
}

TEST(Attributes, MissingPathFails) {
    TempDir dir;
    EXPECT_FALSE(fs::attributes(dir.file("absent")).ok());
    EXPECT_FALSE(fs::setAttributes(dir.file("absent"), fs::Hidden).ok());
    EXPECT_FALSE(fs::exists(dir.file("absent")));
}

// The look and the change act on one entry: one that takes the name in between is left alone,
// a link is refused untouched, and no answer changes nothing.
TEST(Attributes, ChangeActsOnTheEntryItExamined) {
    TempDir dir;
    const std::string file = dir.write("file.txt", "x");
    const std::string other = dir.write("other.txt", "y");
    const int folder = open(dir.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    const mode_t before = modeOf(file);

    const fs::AttributeChange none = fs::changeAttributesAt(
        folder, "file.txt", [](const fs::EntryState&) { return std::optional<std::uint32_t>(); });
    ASSERT_TRUE(none.before.ok()) << none.before.reason();
    EXPECT_TRUE(none.written.ok());
    EXPECT_EQ(modeOf(file), before);
    EXPECT_EQ(storedValue(file), "<none>");

    // The name is taken by another file after the look: the change reaches the examined one.
    const fs::AttributeChange swapped =
        fs::changeAttributesAt(folder, "file.txt", [&](const fs::EntryState& state) {
            EXPECT_EQ(state.kind, fs::Kind::File);
            EXPECT_EQ(::rename(file.c_str(), dir.file("moved.txt").c_str()), 0);
            EXPECT_EQ(::rename(other.c_str(), file.c_str()), 0);
            return std::optional<std::uint32_t>(fs::ReadOnly | fs::System);
        });
    ASSERT_TRUE(swapped.written.ok()) << swapped.written.reason();
    EXPECT_EQ(fs::attributes(dir.file("moved.txt")).valueOr(0),
              std::uint32_t{fs::ReadOnly | fs::System});
    EXPECT_EQ(fs::attributes(file).valueOr(99), 0u) << "the file now at the name was changed";

    ASSERT_EQ(symlink("moved.txt", dir.file("link").c_str()), 0);
    const fs::AttributeChange link =
        fs::changeAttributesAt(folder, "link", [](const fs::EntryState& state) {
            EXPECT_TRUE(state.link);
            return std::optional<std::uint32_t>(fs::Archive);
        });
    EXPECT_TRUE(link.before.ok());
    EXPECT_FALSE(link.written.ok());
    EXPECT_EQ(fs::attributes(dir.file("moved.txt")).valueOr(0),
              std::uint32_t{fs::ReadOnly | fs::System});

    bool asked = false;
    const fs::AttributeChange missing =
        fs::changeAttributesAt(folder, "absent", [&](const fs::EntryState&) {
            asked = true;
            return std::optional<std::uint32_t>(fs::Archive);
        });
    EXPECT_FALSE(missing.before.ok());
    EXPECT_FALSE(asked);
    close(folder);
}

// File times -------------------------------------------------------------------------------

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

TEST(FileTimes, RoundTripWithNanoseconds) {
    TempDir dir;
    const std::string file = dir.write("file.txt", "x");
    const timespec accessed{1'500'000'000, 123'456'789};
    const timespec modified{1'600'000'000, 987'654'321};
    ASSERT_TRUE(fs::setFileTimes(file, nullptr, &accessed, &modified).ok());
    const auto times = fs::fileTimes(file);
    ASSERT_TRUE(times.ok()) << times.reason();
    EXPECT_TRUE(sameTime(times->accessed, accessed));
    EXPECT_TRUE(sameTime(times->modified, modified));
    if (times->hasCreated) {
        EXPECT_GT(times->created.tv_sec, 0);
    }

    // The modified time also shows in the folder listing.
    auto entries = fs::readFolder(dir.path());
    ASSERT_TRUE(entries.ok());
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_TRUE(sameTime(entries->front().modified, modified));
}

TEST(FileTimes, NullLeavesThatTimeExactlyAsItWas) {
    TempDir dir;
    const std::string file = dir.write("file.txt", "x");
    const timespec start{1'400'000'000, 111'111'111};
    const timespec later{1'700'000'000, 222'222'222};
    const struct {
        const char* what;
        bool setAccessed;
        bool setModified;
    } cases[] = {
        {"only accessed", true, false},
        {"only modified", false, true},
        {"neither", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(fs::setFileTimes(file, nullptr, &start, &start).ok());
        ASSERT_TRUE(fs::setFileTimes(file, nullptr, c.setAccessed ? &later : nullptr,
                                     c.setModified ? &later : nullptr)
                        .ok());
        const auto times = fs::fileTimes(file);
        ASSERT_TRUE(times.ok());
        EXPECT_TRUE(sameTime(times->accessed, c.setAccessed ? later : start));
        EXPECT_TRUE(sameTime(times->modified, c.setModified ? later : start));
    }
}

TEST(FileTimes, CreationTimeCannotBeSetButTheOthersAre) {
    TempDir dir;
    const std::string file = dir.write("file.txt", "x");
    const timespec created{1'000'000'000, 5};
    const timespec modified{1'650'000'000, 444'444'444};
    const auto status = fs::setFileTimes(file, &created, nullptr, &modified);
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.reason().find("Linux cannot set a file's creation time"), std::string::npos)
        << status.reason();
    const auto times = fs::fileTimes(file);
    ASSERT_TRUE(times.ok());
    EXPECT_TRUE(sameTime(times->modified, modified));
    EXPECT_FALSE(fs::fileTimes(dir.file("absent")).ok());
    EXPECT_FALSE(fs::setFileTimes(dir.file("absent"), nullptr, &modified, nullptr).ok());
}

// Reading ------------------------------------------------------------------------------

TEST(ReadFile, RefusesWhatIsNotARegularFile) {
    TempDir dir;
    const std::string pipe = dir.file("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // Opening a pipe without a writer would block here forever.
    const auto fromPipe = fs::ReadFile::open(pipe);
    EXPECT_FALSE(fromPipe.ok());
    EXPECT_NE(fromPipe.reason().find("not a regular file"), std::string::npos) << fromPipe.reason();
    EXPECT_FALSE(fs::readWholeFile(pipe).ok());

    ASSERT_EQ(symlink("pipe", dir.file("to-pipe").c_str()), 0);
    EXPECT_FALSE(fs::ReadFile::open(dir.file("to-pipe")).ok());

    const auto fromFolder = fs::ReadFile::open(dir.mkdir("folder"));
    EXPECT_FALSE(fromFolder.ok());
    EXPECT_NE(fromFolder.reason().find("folder"), std::string::npos) << fromFolder.reason();

    EXPECT_FALSE(fs::ReadFile::open(dir.file("absent")).ok());
    EXPECT_FALSE(fs::ReadFile::open("/dev/null").ok());
}

TEST(ReadFile, ReadsAtOffsets) {
    TempDir dir;
    const std::string file = dir.write("data.bin", std::string("0123456789", 10));
    auto opened = fs::ReadFile::open(file);
    ASSERT_TRUE(opened.ok()) << opened.reason();
    fs::ReadFile reader = std::move(opened.value());
    EXPECT_EQ(reader.size(), 10u);

    const struct {
        std::uint64_t offset;
        std::size_t count;
        std::string expected;
    } cases[] = {
        {0, 4, "0123"},      {3, 4, "3456"},
        {7, 10, "789"},      {9, 1, "9"},
        {10, 4, ""},         {11, 4, ""},
        {1ull << 40, 4, ""}, {UINT64_MAX, 4, ""},
        {0, 0, ""},          {0, 100, "0123456789"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        std::string buffer(c.count, '?');
        const auto got = reader.readAt(c.offset, buffer.data(), c.count);
        ASSERT_TRUE(got.ok()) << got.reason();
        EXPECT_EQ(buffer.substr(0, got.value()), c.expected);
    }

    // Moving hands the open file over.
    fs::ReadFile moved = std::move(reader);
    fs::ReadFile target = std::move(opened.value());
    target = std::move(moved);
    char c = 0;
    EXPECT_EQ(target.readAt(5, &c, 1).valueOr(0), 1u);
    EXPECT_EQ(c, '5');
    EXPECT_EQ(target.size(), 10u);
}

TEST(ReadFile, ReadsWholeFiles) {
    TempDir dir;
    std::string content;
    for (int i = 0; i < 100000; ++i) {
        content += static_cast<char>(i * 7);
    }
    EXPECT_EQ(fs::readWholeFile(dir.write("big.bin", content)).valueOr(""), content);
    const auto empty = fs::readWholeFile(dir.write("empty.txt", ""));
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(empty.value(), "");
    EXPECT_FALSE(fs::readWholeFile(dir.file("absent")).ok());
}

}  // namespace
