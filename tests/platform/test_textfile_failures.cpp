// The text files under failing writes, links, oversized input and names that are not UTF-8.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/textfile.h"
#include "tests/support/tempdir.h"

namespace {

using platform::appendLine;
using platform::readLines;
using platform::writeLines;
using testsupport::entriesOf;
using testsupport::readAll;
using testsupport::TempDir;

QString q(const std::string& path) {
    return QString::fromStdString(path);
}

// Puts a write call of the test's own in place of the system's for a scope.
class ScopedWriteCall {
public:
    explicit ScopedWriteCall(platform::WriteCall call) : old_(platform::setWriteCall(call)) {}
    ~ScopedWriteCall() { platform::setWriteCall(old_); }
    ScopedWriteCall(const ScopedWriteCall&) = delete;
    ScopedWriteCall& operator=(const ScopedWriteCall&) = delete;

private:
    platform::WriteCall old_;
};

// What the failing writers below have let through so far, and how many calls they saw.
std::size_t g_written = 0;
int g_calls = 0;

ssize_t failAtOnce(int, const void*, std::size_t) {
    errno = ENOSPC;
    return -1;
}
// A disk that fills up part way: the first bytes go through, then the space is gone.
ssize_t failAfterThreeBytes(int fd, const void* data, std::size_t size) {
    if (g_written >= 3) {
        errno = ENOSPC;
        return -1;
    }
    const ssize_t put = ::write(fd, data, std::min<std::size_t>(size, 3 - g_written));
    g_written += static_cast<std::size_t>(put);
    return put;
}
// Slow but sound: one byte a call, interrupted every other call.
ssize_t trickles(int fd, const void* data, std::size_t size) {
    if (++g_calls % 2 == 0) {
        errno = EINTR;
        return -1;
    }
    const ssize_t put = ::write(fd, data, std::min<std::size_t>(size, 1));
    g_written += put > 0 ? static_cast<std::size_t>(put) : 0;
    return put;
}
// The same, until an I/O error after ten bytes.
ssize_t tricklesThenBreaks(int fd, const void* data, std::size_t size) {
    if (g_written >= 10) {
        errno = EIO;
        return -1;
    }
    return trickles(fd, data, size);
}
ssize_t countsCalls(int fd, const void* data, std::size_t size) {
    ++g_calls;
    return ::write(fd, data, size);
}

TEST(WriteAll, ReportsTheFailureOfADeviceThatIsAlwaysFull) {
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        GTEST_SKIP() << "no /dev/full here";
    }
    const platform::Status status = platform::writeAll(fd, "some text");
    ::close(fd);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.reason().find(std::strerror(ENOSPC)), std::string::npos) << status.reason();
}

TEST(WriteLines, AFailedWriteLeavesTheOldFileWholeAndIsReported) {
    const struct {
        const char* what;
        platform::WriteCall call;
    } cases[] = {
        {"no space at all", failAtOnce},
        {"space runs out part way", failAfterThreeBytes},
        {"short and interrupted writes, then an I/O error", tricklesThenBreaks},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string old = "old line\r\n";
        const auto path = dir.write("list.txt", old);
        g_written = 0;
        g_calls = 0;
        platform::Status status = platform::Status::success();
        {
            ScopedWriteCall failing(c.call);
            status = writeLines(q(path), {"a new line that is longer", "and another"});
            // A new file is not left behind empty either.
            EXPECT_FALSE(writeLines(q(dir.file("new.txt")), {"x"}).ok());
        }
        ASSERT_FALSE(status.ok());
        EXPECT_NE(status.reason().find("list.txt"), std::string::npos) << status.reason();
        EXPECT_EQ(readAll(path), old);
        EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"list.txt"})
            << "no temporary file and no new file left";
    }
}

TEST(WriteLines, ShortAndInterruptedWritesStillWriteEverything) {
    TempDir dir;
    const auto path = dir.write("list.txt", "old\r\n");
    g_calls = 0;
    {
        ScopedWriteCall slow(trickles);
        ASSERT_TRUE(writeLines(q(path), {"one", "two"}).ok());
    }
    EXPECT_EQ(readAll(path), "one\r\ntwo\r\n");
}

// A real write failure from the kernel, without a small file system to fill: the process's file
// size limit makes every write past it fail (with EFBIG, once the signal is ignored).
TEST(WriteLines, AFileSizeLimitFailsTheWriteAndKeepsTheOldFile) {
    TempDir dir;
    const auto path = dir.write("list.txt", "old\r\n");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = 8;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const auto status = writeLines(q(path), {"far more than eight bytes", "of text"});
    const auto fresh = writeLines(q(dir.file("fresh.txt")), {"also more than eight bytes"});
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(fresh.ok());
    EXPECT_EQ(readAll(path), "old\r\n");
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"list.txt"});
}

TEST(WriteLines, TheReplacedFileKeepsItsPermissions) {
    TempDir dir;
    const auto path = dir.write("list.txt", "old\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(writeLines(q(path), {"new"}).ok());
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // A new file gets what the umask allows, as any file the program creates.
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(writeLines(q(dir.file("new.txt")), {"n"}).ok());
    ::umask(mask);
    ASSERT_EQ(::stat(dir.file("new.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
}

// A link that the program did not make is neither written through nor replaced.
TEST(TextFileLinks, NeitherWriterFollowsASymbolicLink) {
    TempDir dir;
    const auto victim = dir.write("victim", "mine\n");
    ASSERT_EQ(::symlink(victim.c_str(), dir.file("link.txt").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("created").c_str(), dir.file("dangling.txt").c_str()), 0);

    for (const char* name : {"link.txt", "dangling.txt"}) {
        SCOPED_TRACE(name);
        const QString path = q(dir.file(name));
        EXPECT_FALSE(writeLines(path, {"forged"}).ok());
        EXPECT_FALSE(appendLine(path, "forged").ok());
        EXPECT_TRUE(std::filesystem::is_symlink(dir.file(name)));
    }
    EXPECT_EQ(readAll(victim), "mine\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("created")));
}

TEST(AppendLine, WritesTheWholeLineWithOneCall) {
    TempDir dir;
    const auto path = dir.file("log.txt");
    const QString line(100000, u'x');
    g_calls = 0;
    {
        ScopedWriteCall counting(countsCalls);
        ASSERT_TRUE(appendLine(q(path), line).ok());
    }
    EXPECT_EQ(g_calls, 1) << "a line in pieces could interleave with another writer's";
    EXPECT_EQ(readAll(path).size(), 100002u);
}

// Bytes of a name that are not UTF-8 travel as U+DC80..U+DCFF and are written back as they were.
TEST(TextFile, UndecodableNameBytesAreWrittenAsTheOriginalBytes) {
    TempDir dir;
    const QString name = QStringLiteral("caf") + QChar(0xDCE9) + QChar(0xDCFF) + u'!';
    ASSERT_TRUE(appendLine(q(dir.file("log.txt")), name).ok());
    EXPECT_EQ(readAll(dir.file("log.txt")), "caf\xE9\xFF!\r\n");
    ASSERT_TRUE(writeLines(q(dir.file("list.txt")), {name}).ok());
    EXPECT_EQ(readAll(dir.file("list.txt")), "caf\xE9\xFF!\r\n");
}

TEST(ReadLines, AFileLargerThanAListMayBeIsRefused) {
    TempDir dir;
    const std::string line = "1,PK,zip\r\n";
    std::string content;
    while (content.size() + line.size() <= static_cast<std::size_t>(platform::kMaxTextFileBytes)) {
        content += line;
    }
    content.append(static_cast<std::size_t>(platform::kMaxTextFileBytes) - content.size(), 'x');
    ASSERT_EQ(content.size(), static_cast<std::size_t>(platform::kMaxTextFileBytes));

    const auto atLimit = readLines(q(dir.write("limit.txt", content)));
    ASSERT_TRUE(atLimit.ok()) << atLimit.reason();
    EXPECT_EQ(atLimit->size(), static_cast<qsizetype>(content.size() / line.size() + 1));

    const auto over = readLines(q(dir.write("over.txt", content + "y")));
    ASSERT_FALSE(over.ok());
    EXPECT_NE(over.reason().find("over.txt"), std::string::npos) << over.reason();
}

}  // namespace
