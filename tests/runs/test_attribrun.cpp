#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <sys/stat.h>
#include <sys/xattr.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>

#include "platform/dosattrib.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"
#include "runs/attribrun.h"
#include "runs/executors.h"
#include "runs/rename.h"
#include "runs/revert.h"
#include "runs/runreport.h"
#include "runs/runstate.h"
#include "tests/runs/runtestsupport.h"
#include "tests/support/tempdir.h"

namespace {

namespace pfs = platform::fs;

// Lists of lines compare as one text, so a failure shows them readably.
std::string joined(const QStringList& lines) {
    return lines.join(QStringLiteral("\n")).toStdString();
}

constexpr std::uint32_t R = pfs::ReadOnly;
constexpr std::uint32_t H = pfs::Hidden;
constexpr std::uint32_t S = pfs::System;
constexpr std::uint32_t A = pfs::Archive;
// A stored bit outside the four (FILE_ATTRIBUTE_TEMPORARY): no run may lose it.
constexpr std::uint32_t kTemporary = 0x100;

using testsupport::RecordingReport;

std::string xattrBlob(const std::string& path) {
    char buffer[512];
    const ssize_t length = getxattr(path.c_str(), pfs::kDosAttributeName, buffer, sizeof buffer);
    return length < 0 ? std::string("<none>") : std::string(buffer, static_cast<size_t>(length));
}

// Everything of an item that an attribute change could touch.
struct ItemState {
    mode_t mode = 0;
    std::string blob;
    struct timespec modified {};
    struct timespec changed {};
    bool operator==(const ItemState& other) const {
        return mode == other.mode && blob == other.blob &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

ItemState itemState(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return {st.st_mode, xattrBlob(path), st.st_mtim, st.st_ctim};
}

std::uint32_t fourBits(const std::string& path) {
    const auto read = pfs::attributes(path);
    EXPECT_TRUE(read.ok()) << read.reason();
    return read.valueOr(0) & runs::kAttribRunBits;
}

void storeBits(const std::string& path, std::uint32_t bits) {
    // Straight into the stored value in its plain text form, so the starting state does not
    // depend on the code under test; read-only of a file is the permission side.
    const bool folder = std::filesystem::is_directory(path);
    char blob[16];
    const int length = std::snprintf(blob, sizeof blob, "0x%x", folder ? bits : bits & ~R);
    ASSERT_EQ(setxattr(path.c_str(), pfs::kDosAttributeName, blob, size_t(length), 0), 0);
    if (!folder && (bits & R) != 0) {
        ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    }
}

runs::AttribOptions boxes(int r, int h, int s, int a) {
    runs::AttribOptions options;
    options.chkR = r;
    options.chkH = h;
    options.chkS = s;
    options.chkA = a;
    return options;
}

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

class AttribRunTest : public testing::Test {
protected:
    void SetUp() override { report_.state = &state_; }

    QStringList logLines() const { return program_.logLines(); }

    void run(const QStringList& files, const QStringList& dirs,
             const runs::AttribOptions& options) {
        runs::RunContext ctx{.state = state_, .report = report_, .showFullPath = showFullPath_};
        runs::setProgressMaximum(ctx, static_cast<int>(files.size() + dirs.size()));
        runs::executeAttrib(ctx, files, dirs, options);
    }

    // Like the undo: counters back to 0, a fresh report, the reversal.
    void revert() {
        undoReport_.state = &state_;
        ASSERT_TRUE(testsupport::revertAttribOrDate(state_, undoReport_, showFullPath_));
    }

    testsupport::TempDir dir_;
    testsupport::ProgramFolder program_;
    runs::RunState state_;
    RecordingReport report_;
    RecordingReport undoReport_;
    bool showFullPath_ = false;
};

TEST(AttribBoxes, ChangeOnlyTheBitsAsked) {
    struct Case {
        std::uint32_t value;
        int r, h, s, a;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {R | A, 0, 2, 2, 1, A},  // the worked example: R--A -> ---A
        {R | H | S | A, 2, 2, 2, 2, R | H | S | A},
        {0, 1, 1, 1, 1, R | H | S | A},
        {R | H | S | A, 0, 0, 0, 0, 0},
        {H | 16 | kTemporary, 2, 2, 1, 2, H | S},  // other bits are outside the value
        {S, 7, -1, 2, 1, S | A},                   // out-of-range boxes leave their bit
    };
    for (const Case& c : cases) {
        EXPECT_EQ(runs::applyAttribBoxes(c.value, boxes(c.r, c.h, c.s, c.a)), c.expected)
            << c.value << " " << c.r << c.h << c.s << c.a;
    }
    EXPECT_EQ(runs::unknownAttribText(nullptr), QStringLiteral("????"));
    const runs::AttribOptions mixed = boxes(1, 2, 0, 2);
    EXPECT_EQ(runs::unknownAttribText(&mixed), QStringLiteral("R?-?"));
}

TEST_F(AttribRunTest, FilesAndDirectoriesGetOnlyTheAskedBits) {
    // Boxes: R cleared, S set, H and A left as each item has them.
    const std::string plain = dir_.write("plain.txt", "p");
    const std::string ro = dir_.write("ro.txt", "r");
    const std::string same = dir_.write("same.txt", "s");
    const std::string folder = dir_.mkdir("folder");
    const std::string inner = dir_.mkdir("folder/inner");
    storeBits(plain, H | kTemporary);
    storeBits(ro, R | A);
    storeBits(same, S | A);
    storeBits(folder, R | H);
    storeBits(inner, A);
    const ItemState sameBefore = itemState(same);

    run({q(plain), q(ro), q(same)}, {q(folder), q(inner)}, boxes(0, 2, 1, 2));

    EXPECT_EQ(fourBits(plain), H | S);
    EXPECT_EQ(fourBits(ro), S | A);
    EXPECT_EQ(fourBits(same), S | A);
    EXPECT_EQ(fourBits(folder), H | S);
    EXPECT_EQ(fourBits(inner), S | A);
    // The stored bit outside the four survives the change.
    EXPECT_EQ(platform::dosattrib::decode(xattrBlob(plain)).value_or(0) & kTemporary, kTemporary);
    // An item that already matched is not written at all.
    EXPECT_EQ(itemState(same), sameBefore);
    struct stat st {};
    ASSERT_EQ(stat(ro.c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IWUSR, 0u);

    const QStringList expected = {
        "File Attribute Changed: plain.txt [-H--] -> [-HS-]",
        "File Attribute Changed: ro.txt [R--A] -> [--SA]",
        "Directory Attribute Changed: inner [---A] -> [--SA]",
        "Directory Attribute Changed: folder [RH--] -> [-HS-]",
    };
    EXPECT_EQ(joined(report_.lines), joined(expected));
    EXPECT_EQ(joined(logLines()), joined(expected));
    EXPECT_EQ(report_.filesLabel, "2 Files Changed.");
    EXPECT_EQ(report_.dirsLabel, "2 Directories Changed.");
    EXPECT_EQ(report_.warnings, 0);
    EXPECT_EQ(report_.progressValue, 5);
    EXPECT_TRUE(state_.lastRunChangedAttributes);
    EXPECT_FALSE(state_.lastRunChangedDates);
    EXPECT_EQ(state_.lastRunFileCount, 2);
    EXPECT_EQ(state_.lastRunDirCount, 2);

    // The journal: name, folder, old value and both texts, in change order.
    ASSERT_GE(state_.undoFiles.size(), 2);
    const runs::FileUndoRecord& f = state_.undoFiles[1];
    EXPECT_EQ(f.oldName, "ro.txt");
    EXPECT_EQ(f.folder, q(dir_.path() + "/"));
    EXPECT_EQ(f.oldAttributes, int(R | A));
    EXPECT_EQ(f.oldAttribText, "R--A");
    EXPECT_EQ(f.newAttribText, "--SA");
    EXPECT_TRUE(f.newName.isEmpty());
    EXPECT_TRUE(f.oldModified.isEmpty());
    ASSERT_GE(state_.undoDirs.size(), 2);
    EXPECT_EQ(state_.undoDirs[0].oldName, "inner");
    EXPECT_EQ(state_.undoDirs[0].folder, q(folder + "/"));
    EXPECT_EQ(state_.undoDirs[1].oldName, "folder");
    EXPECT_EQ(state_.undoDirs[1].oldAttributes, int(R | H));
}

TEST_F(AttribRunTest, ReversalRestoresExactlyAndNamesTheItemAlone) {
    showFullPath_ = true;
    const std::string a = dir_.write("a.txt", "a");
    const std::string b = dir_.write("b.txt", "b");
    const std::string folder = dir_.mkdir("folder");
    storeBits(b, H | S | kTemporary);
    storeBits(folder, S);
    const ItemState aBefore = itemState(a);
    const std::uint32_t bBits = fourBits(b);
    const std::uint32_t folderBits = fourBits(folder);

    run({q(a), q(b)}, {q(folder)}, boxes(1, 0, 2, 1));
    ASSERT_EQ(fourBits(a), R | A);
    ASSERT_EQ(report_.lines.value(0),
              q("File Attribute Changed: " + dir_.path() + "/a.txt [----] -> [R--A]"));

    revert();
    EXPECT_EQ(fourBits(a), 0u);
    EXPECT_EQ(itemState(a).mode, aBefore.mode);
    EXPECT_EQ(fourBits(b), bBits);
    EXPECT_EQ(platform::dosattrib::decode(xattrBlob(b)).value_or(0) & kTemporary, kTemporary);
    EXPECT_EQ(fourBits(folder), folderBits);
    // Directories, then files, each last to first; the name alone whatever showFullPath.
    const QStringList expected = {
        "Directory Attribute Changed: folder [R-SA] -> [--S-]",
        "File Attribute Changed: b.txt [R-SA] -> [-HS-]",
        "File Attribute Changed: a.txt [R--A] -> [----]",
    };
    EXPECT_EQ(joined(undoReport_.lines), joined(expected));
    EXPECT_EQ(joined(logLines().mid(3)), joined(expected));
    EXPECT_EQ(undoReport_.filesLabel, "2 Files Changed.");
    EXPECT_EQ(undoReport_.dirsLabel, "1 Directories Changed.");
    EXPECT_EQ(undoReport_.progressValue, 3);
    EXPECT_EQ(undoReport_.warnings, 0);
}

TEST_F(AttribRunTest, ReversalGivesBackEveryWriteBitOfAReadOnlyFile) {
    const std::string shared = dir_.write("shared.txt", "s");
    ASSERT_EQ(::chmod(shared.c_str(), 0664), 0);
    run({q(shared)}, {}, boxes(1, 2, 2, 2));
    ASSERT_EQ(itemState(shared).mode & 0222, 0u);
    revert();
    EXPECT_EQ(itemState(shared).mode & 07777, 0664u);
}

TEST_F(AttribRunTest, SimulationShowsEverythingAndTouchesNothing) {
    const std::string a = dir_.write("a.txt", "a");
    const std::string ro = dir_.write("ro.txt", "r");
    const std::string folder = dir_.mkdir("folder");
    storeBits(ro, R | H);
    const ItemState aBefore = itemState(a);
    const ItemState roBefore = itemState(ro);
    const ItemState folderBefore = itemState(folder);
    state_.simulationMode = true;

    run({q(a), q(ro)}, {q(folder)}, boxes(0, 1, 1, 2));

    EXPECT_EQ(itemState(a), aBefore);
    EXPECT_EQ(itemState(ro), roBefore);
    EXPECT_EQ(itemState(folder), folderBefore);
    EXPECT_EQ(joined(report_.lines),
              joined({"File Attribute Changed: a.txt [----] -> [-HS-]",
                      "File Attribute Changed: ro.txt [RH--] -> [-HS-]",
                      "Directory Attribute Changed: folder [----] -> [-HS-]"}));
    EXPECT_TRUE(logLines().isEmpty());
    EXPECT_EQ(report_.filesLabel, "2 Files Changed.");
    EXPECT_EQ(report_.dirsLabel, "1 Directories Changed.");
    // The journal is written in simulation too (the driver offers no undo afterwards).
    EXPECT_EQ(state_.lastRunFileCount, 2);
    EXPECT_EQ(state_.undoFiles.value(1).oldAttributes, int(R | H));
}

TEST_F(AttribRunTest, NothingToChangeGivesNoLineCountOrRecord) {
    const std::string a = dir_.write("a.txt", "a");
    storeBits(a, A);
    run({q(a)}, {}, boxes(2, 0, 0, 1));
    EXPECT_TRUE(report_.lines.isEmpty());
    EXPECT_EQ(report_.filesLabel, "0 Files Changed.");
    EXPECT_EQ(report_.dirsLabel, "0 Directories Changed.");
    EXPECT_EQ(state_.lastRunFileCount, 0);
    EXPECT_TRUE(state_.lastRunChangedAttributes);
    EXPECT_EQ(report_.progressValue, 1);
}

TEST_F(AttribRunTest, FailuresShowWhatIsKnownOfThisItem) {
    const std::string first = dir_.write("first.txt", "1");
    const std::string gone = dir_.file("gone.txt");
    const std::string dotted = dir_.write(".dotted", "d");
    const std::string last = dir_.write("last.txt", "2");
    storeBits(first, R | H | S | A);
    storeBits(last, R);

    run({q(first), q(gone), q(dotted), q(last)}, {}, boxes(0, 0, 2, 2));

    ASSERT_EQ(report_.lines.size(), 4);
    EXPECT_EQ(report_.lines[0].toStdString(), "File Attribute Changed: first.txt [RHSA] -> [--SA]");
    // The vanished file: unknown bits as "?", never the values of first.txt.
    EXPECT_TRUE(
        report_.lines[1].startsWith("WARNING! File attribute change failed: gone.txt "
                                    "[????] -> [--??] ("))
        << report_.lines[1].toStdString();
    // A dot-name stays hidden: when that was all that was asked, it is a warning.
    EXPECT_EQ(report_.lines[2].toStdString(),
              "WARNING! File attribute change failed: .dotted [-H--] -> [----] (a name "
              "beginning with \".\" is always hidden)");
    EXPECT_EQ(report_.lines[3].toStdString(), "File Attribute Changed: last.txt [R---] -> [----]");
    EXPECT_EQ(report_.warnings, 2);
    EXPECT_EQ(state_.warningCount, 2);
    EXPECT_EQ(report_.filesLabel, "2 Files Changed.");
    EXPECT_EQ(report_.progressValue, 4);
    EXPECT_EQ(fourBits(dotted), H);
}

TEST_F(AttribRunTest, CancelStopsBothLoopsAfterTheCurrentItem) {
    QStringList files;
    for (const char* name : {"a", "b", "c", "d"}) {
        files.append(q(dir_.write(name, name)));
    }
    const std::string folder = dir_.mkdir("folder");
    report_.cancelAfter = 2;  // Cancel pressed during the progress step of the second file

    run(files, {q(folder)}, boxes(2, 2, 1, 2));

    EXPECT_EQ(fourBits(dir_.file("a")), S);
    EXPECT_EQ(fourBits(dir_.file("b")), S);
    EXPECT_EQ(fourBits(dir_.file("c")), S);  // changed before the cancel was seen
    EXPECT_EQ(fourBits(dir_.file("d")), 0u);
    EXPECT_EQ(fourBits(folder), 0u);
    EXPECT_EQ(state_.lastRunFileCount, 3);
    EXPECT_EQ(state_.lastRunDirCount, 0);
    EXPECT_EQ(report_.progressValue, 2);
}

TEST_F(AttribRunTest, OnlySelectedItemsAreRead) {
    const std::string a = dir_.write("a.txt", "a");
    const std::string b = dir_.write("b.txt", "b");
    state_.onlySelectedInForce = true;
    state_.selectedSnapshot = QStringList{q(b)};
    run({q(a), q(b)}, {}, boxes(2, 2, 2, 1));
    EXPECT_EQ(fourBits(a), 0u);
    EXPECT_EQ(fourBits(b), A);
    EXPECT_EQ(report_.progressValue, 2);
}

TEST_F(AttribRunTest, ReversalOfAVanishedItemWarnsAndGoesOn) {
    const std::string a = dir_.write("a.txt", "a");
    const std::string b = dir_.write("b.txt", "b");
    run({q(a), q(b)}, {}, boxes(2, 2, 1, 2));
    ASSERT_EQ(state_.lastRunFileCount, 2);
    std::filesystem::remove(a);

    revert();
    ASSERT_EQ(undoReport_.lines.size(), 2);
    EXPECT_EQ(undoReport_.lines[0].toStdString(), "File Attribute Changed: b.txt [--S-] -> [----]");
    EXPECT_TRUE(undoReport_.lines[1].startsWith(
        "WARNING! File attribute change failed: a.txt [--S-] -> [----] ("));
    EXPECT_EQ(fourBits(b), 0u);
    EXPECT_EQ(undoReport_.warnings, 1);
    EXPECT_EQ(undoReport_.filesLabel, "1 Files Changed.");
    EXPECT_EQ(undoReport_.progressValue, 2);
}

}  // namespace
