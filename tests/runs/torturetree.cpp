#include "tests/runs/torturetree.h"

#include <gtest/gtest.h>

#include <QByteArrayView>
#include <QCryptographicHash>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <set>
#include <vector>

#include "platform/filesystem.h"
#include "tests/runs/driverharness.h"

namespace torture {

namespace pfs = platform::fs;
using testsupport::nanoseconds;

std::string printable(const std::string& bytes) {
    std::string text;
    for (const unsigned char c : bytes) {
        if (c < 0x20 || c >= 0x7F || c == '\\') {
            static const char* const digits = "0123456789abcdef";
            text += "\\x";
            text += digits[c >> 4];
            text += digits[c & 15];
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

namespace {

std::string describe(const Entry& e) {
    return std::string(1, e.kind) + " ino=" + std::to_string(e.inode) +
           " n=" + std::to_string(e.links) + " mode=" + std::to_string(e.mode) +
           " attr=" + printable(e.stored) + " data=" + printable(e.content) +
           " a=" + std::to_string(e.accessedNs) + " m=" + std::to_string(e.modifiedNs) +
           " c=" + std::to_string(e.changedNs);
}

std::string fileHash(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOATIME | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return "<unreadable>";
    }
    QCryptographicHash hash(QCryptographicHash::Sha1);
    char buffer[8192];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        hash.addData(QByteArrayView(buffer, count));
    }
    ::close(fd);
    return hash.result().toHex().left(16).toStdString();
}

Entry entryAt(const std::string& path, bool besideTree) {
    Entry e;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return e;
    }
    e.inode = st.st_ino;
    e.links = st.st_nlink;
    e.mode = st.st_mode & 07777;
    if (besideTree) {
        e.changedNs = nanoseconds(st.st_ctim);
    }
    char stored[256];
    const ssize_t size = ::lgetxattr(path.c_str(), pfs::kDosAttributeName, stored, sizeof stored);
    e.stored = size >= 0 ? std::string(stored, static_cast<std::size_t>(size)) : "-";
    if (S_ISDIR(st.st_mode)) {
        e.kind = 'd';
        e.links = 0;  // counts the sub-folders, which the entries below show themselves
        // A folder's times move whenever an entry inside is renamed or it is listed; beside
        // the tree nothing may be renamed, so its change time still tells.
        if (besideTree) {
            e.modifiedNs = nanoseconds(st.st_mtim);
        }
    } else if (S_ISLNK(st.st_mode)) {
        e.kind = 'l';
        char target[4096];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        e.content = length >= 0 ? std::string(target, static_cast<std::size_t>(length)) : "?";
        // Reading a link may move its access time; its modified time is the run's to keep.
        e.modifiedNs = nanoseconds(st.st_mtim);
    } else if (S_ISREG(st.st_mode)) {
        e.kind = 'f';
        e.content = fileHash(path);
        e.accessedNs = nanoseconds(st.st_atim);
        e.modifiedNs = nanoseconds(st.st_mtim);
    } else {
        e.kind = S_ISFIFO(st.st_mode) ? 'p' : 'o';
        e.accessedNs = nanoseconds(st.st_atim);
        e.modifiedNs = nanoseconds(st.st_mtim);
    }
    return e;
}

void walk(const std::string& root, const std::string& relative, bool besideTree, Snapshot& out) {
    const std::string folder = relative.empty() ? root : root + "/" + relative;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        return;
    }
    std::vector<std::string> names;
    while (const dirent* d = ::readdir(dir)) {
        const std::string name = d->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    for (const std::string& name : names) {
        const std::string rel = relative.empty() ? name : relative + "/" + name;
        const Entry e = entryAt(root + "/" + rel, besideTree);
        out[rel] = e;
        if (e.kind == 'd') {
            walk(root, rel, besideTree, out);
        }
    }
}

}  // namespace

Snapshot snapshot(const std::string& root, bool besideTree) {
    Snapshot out;
    walk(root, {}, besideTree, out);
    return out;
}

namespace {

// The file system stamps times from the coarse clock, which lags the fine one.
std::int64_t now() {
    struct timespec t {};
    clock_gettime(CLOCK_REALTIME_COARSE, &t);
    return nanoseconds(t);
}

// The start of the running round (markRoundStart).
std::int64_t gRoundStart = 0;

bool sameEntry(const Entry& was, Entry is) {
    if (is.accessedNs != was.accessedNs && was.accessedNs < gRoundStart &&
        is.accessedNs >= gRoundStart && is.accessedNs <= now() + 1'000'000'000) {
        is.accessedNs = was.accessedNs;
    }
    return was == is;
}

}  // namespace

void markRoundStart() {
    gRoundStart = now();
}

std::string differences(const Snapshot& expected, const Snapshot& actual,
                        const std::function<bool(const std::string&)>& ignored) {
    std::string text;
    std::set<std::string> paths;
    for (const auto& [path, entry] : expected) {
        paths.insert(path);
    }
    for (const auto& [path, entry] : actual) {
        paths.insert(path);
    }
    for (const std::string& path : paths) {
        if (ignored && ignored(path)) {
            continue;
        }
        const auto was = expected.find(path);
        const auto is = actual.find(path);
        if (was == expected.end()) {
            text += "  new      " + printable(path) + ": " + describe(is->second) + "\n";
        } else if (is == actual.end()) {
            text += "  missing  " + printable(path) + ": " + describe(was->second) + "\n";
        } else if (!sameEntry(was->second, is->second)) {
            text += "  changed  " + printable(path) + ": " + describe(was->second) + "\n" +
                    "       now " + std::string(printable(path).size(), ' ') + "  " +
                    describe(is->second) + "\n";
        }
    }
    return text;
}

std::map<ino_t, std::string> contents(const Snapshot& tree) {
    std::map<ino_t, std::string> all;
    for (const auto& [path, entry] : tree) {
        if (entry.kind == 'f') {
            all[entry.inode] = entry.content;
        }
    }
    return all;
}

bool isAtOrBelow(const std::string& path, const std::string& top) {
    return path == top || (path.size() > top.size() && path.compare(0, top.size(), top) == 0 &&
                           path[top.size()] == '/');
}

namespace {

// Bytes of small media files: an MPEG audio stream with an ID3v1 tag, and three pictures.
std::string be32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}
std::string le16(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8)};
}

std::string mp3Bytes(Rng& rng, const std::string& mark) {
    // MPEG-1 layer III, 128 kbit/s, 44.1 kHz: 417 bytes a frame.
    std::string frame(417, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';
    frame[2] = '\x90';
    frame[3] = '\x64';
    std::string bytes;
    const int frames = pick(rng, 1, 4);
    for (int i = 0; i < frames; ++i) {
        bytes += frame;
    }
    std::string tag(128, '\0');
    static const char* const artists[] = {"Band", "M\xfcller", "AC/DC", "", "-x", "a<\\>b"};
    static const char* const titles[] = {"Song", "Caf\xe9", "..", "Tab\there", "", "Twin"};
    const std::string artist = oneOf(rng, artists);
    const std::string title = oneOf(rng, titles);
    tag.replace(0, 3, "TAG");
    tag.replace(3, title.size(), title);
    tag.replace(33, artist.size(), artist);
    tag.replace(97, std::min<std::size_t>(mark.size(), 28), mark.substr(0, 28));
    tag[126] = static_cast<char>(pick(rng, 0, 12));
    tag[127] = static_cast<char>(pick(rng, 0, 30));
    if (chance(rng, 0.5)) {
        return bytes + tag;
    }
    return bytes + mark;
}

std::string pictureBytes(Rng& rng, const std::string& extension, const std::string& mark) {
    const std::uint32_t width = static_cast<std::uint32_t>(pick(rng, 1, 4000));
    const std::uint32_t height = static_cast<std::uint32_t>(pick(rng, 1, 4000));
    if (extension == ".png") {
        return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + be32(width) +
               be32(height) + std::string("\x08\x02\x00\x00\x00", 5) + be32(0) + mark;
    }
    if (extension == ".gif") {
        return "GIF89a" + le16(width) + le16(height) + std::string("\x00\x00\x00", 3) + mark;
    }
    std::string bmp(32, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[18] = static_cast<char>(width & 0xFF);
    bmp[19] = static_cast<char>(width >> 8);
    bmp[22] = static_cast<char>(height & 0xFF);
    bmp[23] = static_cast<char>(height >> 8);
    bmp[28] = 24;
    return bmp + mark;
}

const char* const kStems[] = {
    "file",
    "Photo 01",
    "a",
    "b",
    "song",
    "Report",
    "x.y.z",
    " lead",
    "trail ",
    "two  spaces",
    ".hidden",
    "-rf",
    "--help",
    "bad\xff\xfe",
    "M\xfcller",
    "caf\xc3\xa9",
    "cafe\xcc\x81",
    "caf\xe9",
    "line\rbreak",
    "new\nline",
    "tab\there",
    "Twin",
    "sub",
    "2003",
    "Jan",
    "q?*",
    "dots..",
    "UPPER lower",
    "\xc3\x85ngstr\xc3\xb6m",
    "ls\xe2\x80\xa8ps",
    "nel\xc2\x85x",
    "file (1)",
    "<b>",
    "\\back",
    "Artist - Song",
};
const char* const kExtensions[] = {"",     ".txt", ".TXT", ".mp3",    ".jpg",  ".png",
                                   ".bmp", ".gif", ".dll", ".tar.gz", ".html", "."};

std::string asciiFlipped(std::string name) {
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return name;
}

}  // namespace

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

namespace {

// A tree of hostile entries below `root`, with links into `outside`.
class TreeBuilder {
public:
    TreeBuilder(Rng& rng, std::string root, std::string outside)
        : rng_(rng), root_(std::move(root)), outside_(std::move(outside)) {}

    void build() {
        folders_.push_back(root_);
        fillFolder(root_, 0);
        addLinks();
        if (chance(rng_, 0.7)) {
            const std::string fifo = freeName(oneFolder(), "fifo");
            EXPECT_EQ(::mkfifo(fifo.c_str(), 0644), 0) << fifo;
        }
    }

private:
    std::string oneFolder() {
        return folders_[static_cast<std::size_t>(
            pick(rng_, 0, static_cast<int>(folders_.size()) - 1))];
    }

    std::string randomName() {
        if (chance(rng_, 0.06)) {
            const std::string extension = oneOf(rng_, kExtensions);
            return std::string(250 - extension.size() + static_cast<std::size_t>(pick(rng_, 0, 3)),
                               'L') +
                   extension;
        }
        std::string name = oneOf(rng_, kStems);
        if (chance(rng_, 0.3)) {
            name += " " + std::to_string(pick(rng_, 0, 20));
        }
        return name + oneOf(rng_, kExtensions);
    }

    // A name not yet taken in `folder`, as a full path.
    std::string freeName(const std::string& folder, std::string name) {
        name.resize(std::min<std::size_t>(name.size(), 255));
        for (int serial = 2; exists(folder + "/" + name); ++serial) {
            name = std::to_string(serial) + name.substr(std::min<std::size_t>(name.size(), 2));
        }
        return folder + "/" + name;
    }

    void writeFile(const std::string& path) {
        const std::string mark = "#" + std::to_string(++serial_) + "#";
        const std::string extension = path.substr(std::min(path.rfind('.'), path.size()));
        std::string bytes;
        if (extension == ".mp3" || chance(rng_, 0.05)) {
            bytes = mp3Bytes(rng_, mark);
        } else if (extension == ".png" || extension == ".gif" || extension == ".bmp" ||
                   extension == ".jpg") {
            bytes = pictureBytes(rng_, extension, mark);
        } else if (extension == ".html") {
            bytes = "<html><title>Page " + mark + "</title></html>";
        } else {
            bytes = mark;
            const int extra = pick(rng_, 0, 300);
            for (int i = 0; i < extra; ++i) {
                bytes += static_cast<char>(pick(rng_, 0, 255));
            }
        }
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0) << printable(path);
        ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        ::close(fd);
        files_.push_back(path);
        if (chance(rng_, 0.15)) {
            ::chmod(path.c_str(), oneOf(rng_, {0444u, 0600u, 0640u, 0755u}));
        }
        dress(path);
    }

    // Stored attributes on some entries, times with nanoseconds on every file.
    void dress(const std::string& path) {
        if (chance(rng_, 0.4)) {
            const std::uint32_t bits = static_cast<std::uint32_t>(pick(rng_, 0, 63)) &
                                       (pfs::ReadOnly | pfs::Hidden | pfs::System | pfs::Archive);
            EXPECT_TRUE(pfs::setAttributes(path, bits).ok()) << printable(path);
        }
        struct timespec times[2];
        for (struct timespec& t : times) {
            t.tv_sec = 1'000'000'000 + pick(rng_, 0, 700'000'000);
            t.tv_nsec = pick(rng_, 0, 999'999'999);
        }
        ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
    }

    void fillFolder(const std::string& folder, int depth) {
        const int count = depth == 0 ? pick(rng_, 3, 9) : pick(rng_, 1, 5);
        for (int i = 0; i < count; ++i) {
            const std::string path = freeName(folder, randomName());
            if (depth < 3 && chance(rng_, 0.25)) {
                ASSERT_EQ(::mkdir(path.c_str(), 0755), 0) << printable(path);
                folders_.push_back(path);
                fillFolder(path, depth + 1);
                if (chance(rng_, 0.3)) {
                    EXPECT_TRUE(
                        pfs::setAttributes(path, static_cast<std::uint32_t>(pick(rng_, 0, 7)) << 1)
                            .ok());
                }
            } else {
                writeFile(path);
                const std::string base = path.substr(folder.size() + 1);
                const std::string twin = asciiFlipped(base);
                if (twin != base && chance(rng_, 0.2) && !exists(folder + "/" + twin)) {
                    writeFile(folder + "/" + twin);
                }
            }
        }
    }

    void addLinks() {
        const int count = pick(rng_, 0, 5);
        for (int i = 0; i < count; ++i) {
            const std::string folder = oneFolder();
            std::string target;
            std::string name = "link";
            switch (pick(rng_, 0, 6)) {
                case 0:
                    target = files_.empty() ? "nothing" : files_[0];
                    name = "to file.txt";
                    break;
                case 1:
                    target = oneFolder();
                    name = "to folder";
                    break;
                case 2:
                    target = outside_ + "/victim";
                    name = "sub";
                    break;
                case 3:
                    target = outside_ + "/file.txt";
                    name = "outside.txt";
                    break;
                case 4:
                    target = "nowhere/at all";
                    name = "dangling.mp3";
                    break;
                case 5: {
                    const std::string self = freeName(folder, "self");
                    EXPECT_EQ(::symlink(self.substr(folder.size() + 1).c_str(), self.c_str()), 0);
                    continue;
                }
                default:
                    if (!files_.empty()) {
                        const std::string original = files_[static_cast<std::size_t>(
                            pick(rng_, 0, static_cast<int>(files_.size()) - 1))];
                        const std::string hard = freeName(folder, "hard " + randomName());
                        EXPECT_EQ(::link(original.c_str(), hard.c_str()), 0) << printable(hard);
                    }
                    continue;
            }
            const std::string path = freeName(folder, name);
            EXPECT_EQ(::symlink(target.c_str(), path.c_str()), 0) << printable(path);
            struct timespec times[2] = {{1'200'000'000, 111}, {1'200'000'000, 222'333'444}};
            ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
        }
    }

    Rng& rng_;
    std::string root_;
    std::string outside_;
    std::vector<std::string> folders_;
    std::vector<std::string> files_;
    int serial_ = 0;
};

}  // namespace

void buildOutside(const std::string& outside) {
    ASSERT_EQ(::mkdir(outside.c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((outside + "/victim").c_str(), 0755), 0);
    for (const char* name : {"/file.txt", "/victim/a.txt", "/victim/b.txt", "/victim/sub"}) {
        const std::string path = outside + name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "VICTIM", 6), 6);
        ::close(fd);
        const struct timespec times[2] = {{1'400'000'000, 1}, {1'400'000'000, 2}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
}

void buildTree(Rng& rng, const std::string& root, const std::string& outside) {
    TreeBuilder(rng, root, outside).build();
}

}  // namespace torture
