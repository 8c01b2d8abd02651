// Attribute and date runs over a folder whose entries include symbolic links to a folder beside
// it ("victim"): to a file there (relative and absolute), to the folder itself, to nothing, and
// to themselves. A run and its undo act on the links themselves or leave them alone with a
// warning; nothing in the victim folder changes, by bytes, permissions, attributes or times
// (the change time included, which any chmod, setxattr or utimensat would move).
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDate>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>

#include "platform/filesystem.h"
#include "runs/attribrun.h"
#include "runs/daterun.h"
#include "runs/executors.h"
#include "runs/revert.h"
#include "runs/runstate.h"
#include "tests/runs/driverharness.h"
#include "tests/runs/runtestsupport.h"

namespace {

namespace pfs = platform::fs;
using testsupport::nanoseconds;
using testsupport::RecordingReport;

std::string joined(const QStringList& lines) {
    return lines.join(QStringLiteral("\n")).toStdString();
}

// What a run could change of one entry, read without following a link or moving a time.
struct EntryState {
    std::string kind;
    QByteArray contentHash;
    unsigned mode = 0;
    std::string storedAttributes;
    std::int64_t accessedNs = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    bool operator==(const EntryState&) const = default;
};
using Snapshot = std::map<std::string, EntryState>;

std::string describe(const EntryState& entry) {
    return entry.kind + " mode=" + std::to_string(entry.mode) + " attr=" + entry.storedAttributes +
           " a=" + std::to_string(entry.accessedNs) + " m=" + std::to_string(entry.modifiedNs) +
           " c=" + std::to_string(entry.changedNs);
}
void PrintTo(const EntryState& entry, std::ostream* out) {
    *out << describe(entry);
}

EntryState entryState(const std::string& path) {
    EntryState state;
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    state.mode = st.st_mode & 07777;
    state.accessedNs = nanoseconds(st.st_atim);
    state.modifiedNs = nanoseconds(st.st_mtim);
    state.changedNs = nanoseconds(st.st_ctim);
    if (S_ISLNK(st.st_mode)) {
        // Not read: reading a link moves its own access time.
        state.kind = "link";
        return state;
    }
    state.kind = S_ISDIR(st.st_mode) ? "dir" : "file";
    if (S_ISDIR(st.st_mode)) {
        state.accessedNs = 0;  // moves whenever the folder is listed, by this snapshot too
    }
    if (S_ISREG(st.st_mode)) {
        state.contentHash = QCryptographicHash::hash(
            QByteArray::fromStdString(testsupport::readKeepingAccessTime(path)),
            QCryptographicHash::Sha256);
    }
    char blob[512];
    const ssize_t length = ::lgetxattr(path.c_str(), pfs::kDosAttributeName, blob, sizeof blob);
    state.storedAttributes = length < 0 ? "-" : std::string(blob, static_cast<size_t>(length));
    return state;
}

// The folder itself and everything below it; links are entries, never walked.
Snapshot snapshot(const std::string& root) {
    Snapshot all{{".", entryState(root)}};
    const auto walk = [&](const auto& self, const std::string& folder) -> void {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string path = entry.path().string();
            const EntryState state = entryState(path);
            all.emplace(path.substr(root.size() + 1), state);
            if (state.kind == "dir") {
                self(self, path);
            }
        }
    };
    walk(walk, root);
    return all;
}

std::string describe(const Snapshot& state) {
    std::string text;
    for (const auto& [path, entry] : state) {
        text += path + " " + describe(entry) + "\n";
    }
    return text;
}

class LinkRunTest : public testing::Test {
protected:
    void SetUp() override {
        report_.state = &state_;
        victim_ = root_.mkdir("victim");
        root_.mkdir("victim/inner");
        const struct timespec accessed { 1'400'000'000, 111'111'111 };
        const struct timespec modified { 1'500'000'000, 222'222'222 };
        for (const char* name : {"victim/target.txt", "victim/inner/deep.txt"}) {
            const std::string path = root_.write(name, std::string("content of ") + name);
            ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
            ASSERT_TRUE(pfs::setFileTimes(path, nullptr, &accessed, &modified).ok());
        }
        chosen_ = root_.mkdir("chosen");
        plain_ = root_.write("chosen/plain.txt", "plain");
        ASSERT_TRUE(pfs::setFileTimes(plain_, nullptr, &accessed, &modified).ok());
        for (const auto& [name, target] :
             std::map<std::string, std::string>{{"link.txt", "../victim/target.txt"},
                                                {"absolute.txt", victim_ + "/target.txt"},
                                                {"dirlink", "../victim"},
                                                {"dangling.txt", "nowhere"},
                                                {"loop", "loop"}}) {
            const std::string path = chosen_ + "/" + name;
            ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);
            // A link's own times, known and in the past, so a change and its undo show.
            const struct timespec times[2] = {accessed, modified};
            ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
            links_.append(QString::fromStdString(path));
        }
        files_ = QStringList{QString::fromStdString(plain_)} + links_;
        // Changes that land within the same clock tick as the set-up would hide a change time.
        ::usleep(20'000);
        victimBefore_ = snapshot(victim_);
        chosenBefore_ = snapshot(chosen_);
    }

    void runAttributes(const runs::AttribOptions& options) {
        runs::RunContext ctx{.state = state_, .report = report_, .showFullPath = false};
        runs::setProgressMaximum(ctx, static_cast<int>(files_.size()));
        runs::executeAttrib(ctx, files_, {}, options);
    }
    void runDates(const runs::AttribOptions& options) {
        runs::RunContext ctx{.state = state_, .report = report_, .showFullPath = false};
        runs::setProgressMaximum(ctx, static_cast<int>(files_.size()));
        runs::executeDate(ctx, files_, options);
    }
    void undo() {
        state_.filesRenamedCount = 0;
        state_.dirsRenamedCount = 0;
        state_.warningCount = 0;
        state_.undoInProgress = true;
        undoReport_.state = &state_;
        runs::RunContext ctx{.state = state_, .report = undoReport_, .showFullPath = false};
        runs::setProgressMaximum(ctx, state_.lastRunFileCount + state_.lastRunDirCount);
        ASSERT_TRUE(runs::revertAttribOrDateRun(ctx));
    }

    void expectVictimUntouched(const char* step) {
        SCOPED_TRACE(step);
        const Snapshot now = snapshot(victim_);
        EXPECT_EQ(now, victimBefore_) << "before:\n"
                                      << describe(victimBefore_) << "after:\n"
                                      << describe(now) << joined(report_.lines);
    }

    testsupport::TempDir root_;
    testsupport::ProgramFolder program_;
    std::string victim_;
    std::string chosen_;
    std::string plain_;
    QStringList links_;
    QStringList files_;
    Snapshot victimBefore_;
    Snapshot chosenBefore_;
    runs::RunState state_;
    RecordingReport report_;
    RecordingReport undoReport_;
};

TEST_F(LinkRunTest, AnAttributeRunLeavesEveryLinkAndTargetAloneWithAWarningEach) {
    runs::AttribOptions options;
    options.chkR = 1;
    options.chkH = 1;
    options.chkS = 1;
    options.chkA = 1;
    runAttributes(options);

    expectVictimUntouched("run");
    const Snapshot after = snapshot(chosen_);
    EXPECT_EQ(after.at("plain.txt").mode & 0222, 0u);
    for (const QString& link : links_) {
        const std::string name = pfs::baseName(link.toStdString()).data();
        SCOPED_TRACE(name);
        EXPECT_EQ(after.at(name), chosenBefore_.at(name));
        const QStringList warned = report_.lines.filter(
            QStringLiteral("WARNING! File attribute change failed: %1 [----] -> [RHSA] (")
                .arg(QString::fromStdString(name)));
        ASSERT_EQ(warned.size(), 1) << joined(report_.lines);
        EXPECT_TRUE(warned.first().contains(QStringLiteral("symbolic link")));
    }
    EXPECT_EQ(report_.warnings, links_.size());
    EXPECT_EQ(state_.lastRunFileCount, 1);  // only what changed goes into the journal

    undo();
    expectVictimUntouched("undo");
    EXPECT_EQ(undoReport_.lines,
              QStringList{QStringLiteral("File Attribute Changed: plain.txt [RHSA] -> [----]")});
    const Snapshot undone = snapshot(chosen_);
    EXPECT_EQ(undone.at("plain.txt").mode, chosenBefore_.at("plain.txt").mode);
    EXPECT_EQ(pfs::attributes(plain_).valueOr(0xFF) & runs::kAttribRunBits, 0u);
    for (const QString& link : links_) {
        const std::string name = pfs::baseName(link.toStdString()).data();
        EXPECT_EQ(undone.at(name), chosenBefore_.at(name)) << name;
    }
}

// Every link, whatever it points to, is an item of the folder: its own times change, never
// its target's, and the undo puts them back exactly.
TEST_F(LinkRunTest, ADateRunChangesTheLinksOwnTimesAndTheUndoPutsThemBack) {
    runs::AttribOptions options;
    options.optAttrib = 1;
    options.chkDateAccessed = true;
    options.chkDateModified = true;
    options.chkDateDate = true;
    options.dtDate = QDate(2001, 2, 3);
    runDates(options);

    expectVictimUntouched("run");
    EXPECT_EQ(report_.warnings, 0) << joined(report_.lines);
    EXPECT_EQ(state_.lastRunFileCount, files_.size()) << joined(report_.lines);
    const Snapshot after = snapshot(chosen_);
    for (const QString& file : files_) {
        const std::string name = pfs::baseName(file.toStdString()).data();
        SCOPED_TRACE(name);
        EXPECT_EQ(after.at(name).kind, chosenBefore_.at(name).kind);
        const QDateTime modified =
            QDateTime::fromMSecsSinceEpoch(after.at(name).modifiedNs / 1'000'000);
        EXPECT_EQ(modified.date(), QDate(2001, 2, 3));
        EXPECT_EQ(report_.lines
                      .filter(QStringLiteral("File Modified Date Changed: %1 [")
                                  .arg(QString::fromStdString(name)))
                      .size(),
                  1)
            << joined(report_.lines);
    }

    undo();
    expectVictimUntouched("undo");
    EXPECT_EQ(undoReport_.warnings, 0) << joined(undoReport_.lines);
    const Snapshot undone = snapshot(chosen_);
    for (const QString& file : files_) {
        const std::string name = pfs::baseName(file.toStdString()).data();
        EXPECT_EQ(undone.at(name).accessedNs, chosenBefore_.at(name).accessedNs) << name;
        EXPECT_EQ(undone.at(name).modifiedNs, chosenBefore_.at(name).modifiedNs) << name;
    }
}

// A file swapped for a link between the run and its undo: the undo warns and leaves the link
// and what it points to alone.
TEST_F(LinkRunTest, AnUndoMeetingALinkInTheFilesPlaceLeavesItsTargetAlone) {
    files_ = QStringList{QString::fromStdString(plain_)};
    runs::AttribOptions options;
    options.chkR = 1;
    runAttributes(options);
    ASSERT_EQ(state_.lastRunFileCount, 1) << joined(report_.lines);
    ASSERT_EQ(::unlink(plain_.c_str()), 0);
    ASSERT_EQ(::symlink("../victim/target.txt", plain_.c_str()), 0);

    undo();
    expectVictimUntouched("undo");
    ASSERT_EQ(undoReport_.lines.size(), 1);
    EXPECT_TRUE(undoReport_.lines.first().startsWith(
        QStringLiteral("WARNING! File attribute change failed: plain.txt [R---] -> [----] (")))
        << joined(undoReport_.lines);
    EXPECT_EQ(undoReport_.warnings, 1);
}

}  // namespace
