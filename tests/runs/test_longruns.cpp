// The attribute and date runs over lists long enough to be changed in blocks on several
// threads: every item is changed, reported, logged and journaled in list order as a short run
// does it one by one; a cancel ends the run after a block with nothing left unrecorded; and the
// undo puts everything back.
#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/log.h"
#include "platform/filesystem.h"
#include "runs/attribrun.h"
#include "runs/blockwalk.h"
#include "runs/daterun.h"
#include "runs/executors.h"
#include "runs/rename.h"
#include "runs/revert.h"
#include "runs/runstate.h"
#include "tests/runs/runtestsupport.h"
#include "tests/support/tempdir.h"

namespace {

namespace pfs = platform::fs;

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

struct timespec oldTime() {
    struct timespec t {};
    t.tv_sec = static_cast<time_t>(
        QDateTime(QDate(2019, 7, 14), QTime(6, 5, 4), Qt::LocalTime).toSecsSinceEpoch());
    t.tv_nsec = 123456789;
    return t;
}

// Lists of lines compare as one text, so a failure shows them readably.
std::string joined(const QStringList& lines) {
    return lines.join(QStringLiteral("\n")).toStdString();
}

bool same(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

class LongRunTest : public testing::Test {
protected:
    void SetUp() override { report_.state = &state_; }

    // `count` files named 0000.txt... in the folder `sub` (made when missing), with known
    // times; their full paths in list order.
    QStringList files(const std::string& sub, int count) {
        const std::string folder = dir_.path() + "/" + sub;
        if (!pfs::isDirectory(folder)) {
            dir_.mkdir(sub);
        }
        QStringList paths;
        const struct timespec old = oldTime();
        for (int i = 0; i < count; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "%04d.txt", i);
            const std::string path = dir_.write(sub + "/" + name, name);
            EXPECT_TRUE(pfs::setFileTimes(path, nullptr, &old, &old).ok());
            paths.append(q(path));
        }
        return paths;
    }

    runs::RunContext context(runs::RunReport& report) {
        return runs::RunContext{.state = state_, .report = report};
    }

    void dateRun(const QStringList& list) {
        runs::AttribOptions options;
        options.optAttrib = 1;
        options.chkDateModified = true;
        options.chkDateDate = true;
        options.dtDate = QDate(2011, 11, 11);
        options.chkDateTime = true;
        options.dtTime = QTime(13, 14, 15);
        runs::RunContext ctx = context(report_);
        const engine::RunLogSession session;  // as the run driver keeps log.txt open
        runs::setProgressMaximum(ctx, static_cast<int>(list.size()));
        runs::executeDate(ctx, list, options);
    }

    void attribRun(const QStringList& fileList, const QStringList& dirList) {
        runs::AttribOptions options;
        options.chkR = 1;
        options.chkH = 2;
        options.chkS = 2;
        options.chkA = 1;
        runs::RunContext ctx = context(report_);
        const engine::RunLogSession session;
        runs::setProgressMaximum(ctx, static_cast<int>(fileList.size() + dirList.size()));
        runs::executeAttrib(ctx, fileList, dirList, options);
    }

    void revert() {
        testsupport::RecordingReport undoReport;
        ASSERT_TRUE(testsupport::revertAttribOrDate(state_, undoReport));
    }

    static bool changed(const QString& path) {
        const auto times = pfs::fileTimes(path.toStdString());
        return times.ok() && !same(times.value().modified, oldTime());
    }

    // The journal's files, as "folder + old name", in record order.
    QStringList journaled() const {
        QStringList paths;
        for (qsizetype i = 0; i < state_.lastRunFileCount; ++i) {
            paths.append(state_.undoFiles[i].folder + state_.undoFiles[i].oldName);
        }
        return paths;
    }

    testsupport::TempDir dir_;
    testsupport::ProgramFolder program_;
    runs::RunState state_;
    testsupport::RecordingReport report_;
};

TEST_F(LongRunTest, ADateRunChangesReportsAndJournalsEveryFileInListOrder) {
    // More than a block in one folder, then another folder: three blocks.
    QStringList list = files("one", static_cast<int>(runs::kWalkBlock) + 40);
    list += files("two", 300);
    // One file vanishes before the run: its warning stands in its place.
    const QString gone = list[700];
    ASSERT_EQ(std::remove(gone.toStdString().c_str()), 0);

    dateRun(list);

    QStringList expected = list;
    expected.removeAt(700);
    EXPECT_EQ(joined(journaled()), joined(expected));
    EXPECT_EQ(state_.lastRunFileCount, expected.size());
    EXPECT_EQ(state_.warningCount, 1);
    EXPECT_EQ(report_.progressValue, list.size());
    ASSERT_EQ(report_.lines.size(), list.size());
    EXPECT_TRUE(
        report_.lines[700].startsWith("WARNING! Change File Modified Date Failed: 0700.txt"))
        << report_.lines[700].toStdString();
    // log.txt has every line of the run window, in its order.
    EXPECT_EQ(joined(program_.logLines()), joined(report_.lines));
    for (const QString& path : expected) {
        ASSERT_TRUE(changed(path)) << path.toStdString();
    }

    revert();
    for (const QString& path : expected) {
        ASSERT_FALSE(changed(path)) << path.toStdString();
    }
}

TEST_F(LongRunTest, ACancelEndsTheRunAfterTheBlockWithEveryChangeRecorded) {
    const QStringList list = files("one", static_cast<int>(runs::kWalkBlock) * 3 + 10);
    report_.cancelAfter = 5;  // Cancel pressed early in the first block

    dateRun(list);

    // The second block was being changed while the first was reported: both were changed
    // before the cancel could take effect, and every change of them is on record; nothing
    // after them was touched.
    const qsizetype block = 2 * static_cast<qsizetype>(runs::kWalkBlock);
    EXPECT_EQ(state_.lastRunFileCount, block);
    EXPECT_EQ(joined(journaled()), joined(list.mid(0, block)));
    EXPECT_EQ(program_.logLines().size(), block);
    EXPECT_EQ(report_.progressValue, 5);
    for (qsizetype i = 0; i < list.size(); ++i) {
        ASSERT_EQ(changed(list[i]), i < block) << i;
    }

    revert();
    for (const QString& path : list) {
        ASSERT_FALSE(changed(path)) << path.toStdString();
    }
}

TEST_F(LongRunTest, ASimulatedDateRunTouchesNothing) {
    const QStringList list = files("one", 400);
    state_.simulationMode = true;
    dateRun(list);
    EXPECT_EQ(report_.lines.size(), list.size());
    EXPECT_EQ(state_.lastRunFileCount, list.size());
    EXPECT_TRUE(program_.logLines().isEmpty());
    for (const QString& path : list) {
        ASSERT_FALSE(changed(path)) << path.toStdString();
    }
}

TEST_F(LongRunTest, AnAttributeRunChangesFilesAndFoldersInTheirOrderAndIsUndone) {
    const QStringList fileList = files("one", 600);
    QStringList dirList;
    for (int i = 0; i < 300; ++i) {
        dirList.append(q(dir_.mkdir("one/d" + std::to_string(1000 + i))));
    }

    attribRun(fileList, dirList);

    EXPECT_EQ(state_.lastRunFileCount, fileList.size());
    EXPECT_EQ(state_.lastRunDirCount, dirList.size());
    EXPECT_EQ(joined(journaled()), joined(fileList));
    // The folders are walked from the last up.
    for (qsizetype i = 0; i < dirList.size(); ++i) {
        const runs::DirUndoRecord& record = state_.undoDirs[i];
        ASSERT_EQ(record.folder + record.oldName, dirList[dirList.size() - 1 - i]) << i;
    }
    EXPECT_EQ(joined(program_.logLines()), joined(report_.lines));
    EXPECT_EQ(report_.lines.size(), fileList.size() + dirList.size());
    for (const QString& path : fileList) {
        struct stat st {};
        ASSERT_EQ(stat(path.toStdString().c_str(), &st), 0);
        ASSERT_EQ(st.st_mode & 0222, 0u) << path.toStdString();
    }

    revert();
    for (const QString& path : fileList) {
        struct stat st {};
        ASSERT_EQ(stat(path.toStdString().c_str(), &st), 0);
        ASSERT_NE(st.st_mode & 0200, 0u) << path.toStdString();
    }
    for (const QString& path : dirList) {
        const auto bits = pfs::attributes(path.toStdString());
        ASSERT_TRUE(bits.ok());
        ASSERT_EQ(bits.value() & runs::kAttribRunBits, 0u) << path.toStdString();
    }
}

}  // namespace
