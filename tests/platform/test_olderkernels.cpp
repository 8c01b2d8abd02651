// The attribute and folder services on a kernel without getxattrat and fchmodat2 (before Linux
// 6.13 and 6.6), or in a sandbox that refuses them: a child process has both calls answer
// ENOSYS, and the services must give exactly what they give with them.
#include "platform/filesystem.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/tempdir.h"

namespace {

namespace fs = platform::fs;
using testsupport::TempDir;

#if defined(__x86_64__)
constexpr std::uint32_t kArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr std::uint32_t kArch = AUDIT_ARCH_AARCH64;
#else
constexpr std::uint32_t kArch = 0;
#endif
// The numbers every architecture shares since Linux 5.1.
constexpr std::uint32_t kFchmodat2 = 452;
constexpr std::uint32_t kGetxattrat = 464;

// In this process from now on, both calls fail with ENOSYS; false when that cannot be had.
bool withoutNewerCalls() {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kFchmodat2, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kGetxattrat, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
    };
    sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// What the services answer about one folder, as one text, so that the child can hand it over.
std::string survey(const TempDir& dir) {
    std::string text;
    for (const fs::FolderDetail detail : {fs::FolderDetail::Full, fs::FolderDetail::Kinds}) {
        const auto read = fs::readFolder(dir.path(), detail);
        if (!read) {
            return "read failed: " + read.reason();
        }
        std::vector<fs::Entry> entries = read.value();
        std::sort(entries.begin(), entries.end(),
                  [](const fs::Entry& a, const fs::Entry& b) { return a.name < b.name; });
        for (const fs::Entry& entry : entries) {
            text += entry.name + ' ' + std::to_string(static_cast<int>(entry.kind)) + ' ' +
                    std::to_string(entry.attributes) + ' ' + std::to_string(entry.size) + '\n';
        }
    }
    const int folder = open(dir.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (const char* name : {"plain.txt", "link"}) {
        const fs::AttributeChange change =
            fs::changeAttributesAt(folder, name, [](const fs::EntryState& state) {
                return std::optional<std::uint32_t>((state.attributes & fs::Hidden) | fs::ReadOnly |
                                                    fs::Archive);
            });
        text += std::string(name) + (change.before ? " read" : " unread") +
                (change.written ? " written " : " refused ") +
                std::to_string(fs::attributes(dir.file(name)).valueOr(99)) + '\n';
    }
    close(folder);
    return text;
}

void makeFolder(const TempDir& dir) {
    dir.write("plain.txt", "abc");
    dir.write(".hidden", "");
    dir.write("system.txt", "x");
    ASSERT_TRUE(fs::setAttributes(dir.file("system.txt"), fs::System | fs::ReadOnly).ok());
    dir.mkdir("folder");
    ASSERT_TRUE(fs::setAttributes(dir.file("folder"), fs::ReadOnly | fs::Hidden).ok());
    ASSERT_EQ(symlink("plain.txt", dir.file("link").c_str()), 0);
}

TEST(OlderKernels, AttributesAndFolderReadsAnswerAlike) {
    if (kArch == 0) {
        GTEST_SKIP() << "no filter for this architecture";
    }
    TempDir with;
    TempDir without;
    makeFolder(with);
    makeFolder(without);
    const std::string expected = survey(with);

    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        const std::string text = withoutNewerCalls() ? survey(without) : std::string("no filter");
        const ssize_t put = write(pipeFds[1], text.data(), text.size());
        _exit(put == static_cast<ssize_t>(text.size()) ? 0 : 1);
    }
    close(pipeFds[1]);
    std::string got;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        got.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (got == "no filter") {
        GTEST_SKIP() << "a system call filter cannot be installed here";
    }
    EXPECT_EQ(got, expected);
    EXPECT_NE(expected.find("plain.txt read written 33"), std::string::npos) << expected;
}

}  // namespace
