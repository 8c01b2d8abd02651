#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <string>

#include "platform/dosattrib.h"
#include "platform/filesystem.h"
#include "platform/localetext.h"
#include "runs/attribrun.h"
#include "runs/daterun.h"
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
std::string str(const QString& text) {
    return text.toStdString();
}
std::string joined(const QStringList& lines) {
    return lines.join(QStringLiteral("\n")).toStdString();
}

using testsupport::RecordingReport;

struct timespec at(const QDate& date, const QTime& time, long nanoseconds) {
    struct timespec result {};
    result.tv_sec = static_cast<time_t>(QDateTime(date, time, Qt::LocalTime).toSecsSinceEpoch());
    result.tv_nsec = nanoseconds;
    return result;
}

bool same(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

std::string show(const struct timespec& t) {
    return std::to_string(t.tv_sec) + "." + std::to_string(t.tv_nsec);
}

// The text the lines show for a time: short date, blank, long time.
QString lineText(const QDate& date, const QTime& time) {
    return platform::shortDateText(date) + " " + platform::longTimeText(time);
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

pfs::FileTimes timesOf(const std::string& path) {
    const auto times = pfs::fileTimes(path);
    EXPECT_TRUE(times.ok()) << times.reason();
    return times.valueOr({});
}

// Everything stat and the stored attributes tell about a file, to compare before and after.
std::string fullState(const std::string& path) {
    struct statx sx {};
    EXPECT_EQ(statx(AT_FDCWD, path.c_str(), 0, STATX_ALL, &sx), 0);
    char blob[512];
    const ssize_t length = getxattr(path.c_str(), pfs::kDosAttributeName, blob, sizeof blob);
    auto stamp = [](const struct statx_timestamp& t) {
        return std::to_string(t.tv_sec) + "." + std::to_string(t.tv_nsec);
    };
    return std::to_string(sx.stx_mode) + " " + std::to_string(sx.stx_uid) + " " +
           std::to_string(sx.stx_size) + " a" + stamp(sx.stx_atime) + " m" + stamp(sx.stx_mtime) +
           " c" + stamp(sx.stx_ctime) + " b" + stamp(sx.stx_btime) + " x" +
           (length < 0 ? std::string("-") : std::string(blob, size_t(length)));
}

// Known starting times with odd nanoseconds.
const QDate kOldAccessDate(2019, 7, 14);
const QTime kOldAccessTime(6, 5, 4);
const QDate kOldModifyDate(2020, 2, 29);
const QTime kOldModifyTime(23, 58, 57);
const struct timespec kOldAccessed = at(kOldAccessDate, kOldAccessTime, 123456789);
const struct timespec kOldModified = at(kOldModifyDate, kOldModifyTime, 987654321);

const QDate kNewDate(2011, 11, 11);
const QTime kNewTime(13, 14, 15);

runs::AttribOptions dateOptions(bool created, bool accessed, bool modified, bool newDate,
                                bool newTime) {
    runs::AttribOptions options;
    options.optAttrib = 1;
    options.chkDateCreated = created;
    options.chkDateAccessed = accessed;
    options.chkDateModified = modified;
    options.chkDateDate = newDate;
    options.dtDate = kNewDate;
    options.chkDateTime = newTime;
    options.dtTime = QTime(13, 14, 15, 999);  // a picker's milliseconds are never used
    return options;
}

class DateRunTest : public testing::Test {
protected:
    void SetUp() override { report_.state = &state_; }

    std::string file(const std::string& name) {
        const std::string path = dir_.write(name, name);
        const auto status = pfs::setFileTimes(path, nullptr, &kOldAccessed, &kOldModified);
        EXPECT_TRUE(status.ok()) << status.reason();
        return path;
    }

    QStringList logLines() const {
        const QString text =
            QString::fromStdString(testsupport::readAll(program_.dir().file("log.txt")));
        QStringList messages;
        for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts)) {
            messages.append(line.mid(line.indexOf(") ") + 2));
        }
        return messages;
    }

    void run(const QStringList& files, const runs::AttribOptions& options) {
        runs::RunContext ctx{.state = state_, .report = report_, .showFullPath = showFullPath_};
        runs::setProgressMaximum(ctx, static_cast<int>(files.size()));
        runs::executeDate(ctx, files, options);
    }

    void revert() {
        ASSERT_TRUE(testsupport::revertAttribOrDate(state_, undoReport_, showFullPath_));
    }

    testsupport::TempDir dir_;
    testsupport::ProgramFolder program_;
    runs::RunState state_;
    RecordingReport report_;
    RecordingReport undoReport_;
    bool showFullPath_ = false;
};

TEST(FileDates, ChangedTimeReplacesOnlyTheChosenParts) {
    const struct timespec old = at(QDate(2021, 3, 4), QTime(10, 20, 30), 123456789);
    struct Case {
        bool date;
        bool time;
        struct timespec expected;
    };
    const Case cases[] = {
        // A kept time of day keeps its fraction of a second; a new one has none.
        {true, false, at(kNewDate, QTime(10, 20, 30), 123456789)},
        {false, true, at(QDate(2021, 3, 4), kNewTime, 0)},
        {true, true, at(kNewDate, kNewTime, 0)},
    };
    for (const Case& c : cases) {
        const runs::DateChange change =
            runs::dateChangeFrom(dateOptions(false, false, true, c.date, c.time));
        const struct timespec result = runs::changedTime(old, change);
        EXPECT_TRUE(same(result, c.expected))
            << c.date << c.time << " " << show(result) << " != " << show(c.expected);
    }
}

TEST(FileDates, ATimeInADaylightSavingGapMovesPastIt) {
    if (!std::filesystem::exists("/usr/share/zoneinfo/America/New_York")) {
        GTEST_SKIP() << "no time-zone data";
    }
    const char* saved = std::getenv("TZ");
    const std::string savedZone = saved != nullptr ? saved : "";
    setenv("TZ", "America/New_York", 1);
    tzset();
    // 02:30 did not exist on 14 March 2021 there: the clocks went from 02:00 to 03:00.
    runs::DateChange change;
    change.modified = true;
    change.date = QDate(2021, 3, 14);
    change.time = QTime(2, 30, 0);
    const struct timespec result = runs::changedTime(at(QDate(2020, 1, 1), QTime(), 0), change);
    const QDateTime local = QDateTime::fromSecsSinceEpoch(result.tv_sec, Qt::LocalTime);
    if (saved != nullptr) {
        setenv("TZ", savedZone.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
    EXPECT_EQ(local.date(), QDate(2021, 3, 14));
    EXPECT_EQ(local.time(), QTime(3, 30, 0));
}

TEST_F(DateRunTest, ChangesOnlyTheChosenTimesAndJournalsExactValues) {
    struct Case {
        const char* name;
        bool accessed, modified, newDate, newTime;
        QString accessedShown;  // the new text of the line, empty when not chosen
        QString modifiedShown;
    };
    const Case cases[] = {
        {"both.txt", false, true, true, true, {}, lineText(kNewDate, kNewTime)},
        {"timeonly.txt", true, false, false, true, lineText(kOldAccessDate, kNewTime), {}},
        {"dateonly.txt", true, true, true, false, lineText(kNewDate, kOldAccessTime),
         lineText(kNewDate, kOldModifyTime)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state_ = runs::RunState();
        report_ = RecordingReport();
        const std::string path = file(c.name);
        const pfs::FileTimes before = timesOf(path);
        const QStringList logBefore = logLines();
        const runs::AttribOptions options =
            dateOptions(false, c.accessed, c.modified, c.newDate, c.newTime);
        const runs::DateChange change = runs::dateChangeFrom(options);

        run({q(path)}, options);

        const pfs::FileTimes after = timesOf(path);
        EXPECT_TRUE(same(after.accessed,
                         c.accessed ? runs::changedTime(kOldAccessed, change) : kOldAccessed))
            << show(after.accessed);
        EXPECT_TRUE(same(after.modified,
                         c.modified ? runs::changedTime(kOldModified, change) : kOldModified))
            << show(after.modified);
        if (c.accessed && !c.newTime) {
            EXPECT_EQ(after.accessed.tv_nsec, 123456789);  // its own time of day, exactly
        }

        QStringList expected;
        if (c.accessed) {
            expected << "File Accessed Date Changed: " + q(c.name) + " [" +
                            lineText(kOldAccessDate, kOldAccessTime) + "] --> [" + c.accessedShown +
                            "]";
        }
        if (c.modified) {
            expected << "File Modified Date Changed: " + q(c.name) + " [" +
                            lineText(kOldModifyDate, kOldModifyTime) + "] --> [" + c.modifiedShown +
                            "]";
        }
        EXPECT_EQ(joined(report_.lines), joined(expected));
        EXPECT_EQ(joined(logLines().mid(logBefore.size())), joined(expected));
        EXPECT_EQ(report_.filesLabel, "1 Files Changed.");
        EXPECT_EQ(report_.dirsLabel, "0 Directories Changed.");
        EXPECT_EQ(report_.warnings, 0);
        EXPECT_TRUE(state_.lastRunChangedAttributes);
        EXPECT_TRUE(state_.lastRunChangedDates);
        EXPECT_EQ(state_.lastRunFileCount, 1);
        EXPECT_EQ(state_.lastRunDirCount, 0);

        // All three previous times, as texts and exactly, whichever were changed.
        ASSERT_GE(state_.undoFiles.size(), 1);
        const runs::FileUndoRecord& record = state_.undoFiles[0];
        EXPECT_EQ(record.oldName, q(c.name));
        EXPECT_EQ(record.folder, q(dir_.path() + "/"));
        EXPECT_EQ(record.oldAccessed, lineText(kOldAccessDate, kOldAccessTime));
        EXPECT_EQ(record.oldModified, lineText(kOldModifyDate, kOldModifyTime));
        EXPECT_TRUE(same(record.oldAccessedExact, kOldAccessed));
        EXPECT_TRUE(same(record.oldModifiedExact, kOldModified));
        EXPECT_TRUE(same(record.oldCreatedExact, before.created));
        EXPECT_EQ(record.oldCreated,
                  before.hasCreated ? runs::fileTimeText(before.created) : QString());
        EXPECT_TRUE(record.newName.isEmpty());
        EXPECT_TRUE(record.oldAttribText.isEmpty());
    }
}

TEST_F(DateRunTest, CreatedTimeIsAWarningWithItsReasonAndTheOthersStillChange) {
    const std::string both = file("both.txt");
    const std::string only = file("only.txt");
    const runs::AttribOptions createdAndModified = dateOptions(true, false, true, true, true);
    run({q(both)}, createdAndModified);

    EXPECT_TRUE(same(timesOf(both).modified, at(kNewDate, kNewTime, 0)));
    ASSERT_EQ(report_.lines.size(), 2);
    EXPECT_TRUE(report_.lines[0].startsWith("WARNING! Change File Created Date Failed: both.txt ["))
        << report_.lines[0].toStdString();
    EXPECT_TRUE(report_.lines[0].contains("creation time")) << report_.lines[0].toStdString();
    EXPECT_TRUE(report_.lines[1].startsWith("File Modified Date Changed: both.txt ["));
    EXPECT_EQ(report_.warnings, 1);
    EXPECT_EQ(report_.filesLabel, "1 Files Changed.");
    EXPECT_EQ(state_.lastRunFileCount, 1);

    // Only the created time asked: nothing changed, so no count and no record.
    state_ = runs::RunState();
    report_ = RecordingReport();
    const std::string before = fullState(only);
    run({q(only)}, dateOptions(true, false, false, true, true));
    EXPECT_EQ(fullState(only), before);
    ASSERT_EQ(report_.lines.size(), 1);
    EXPECT_TRUE(report_.lines[0].startsWith("WARNING! Change File Created Date Failed: only.txt"));
    EXPECT_EQ(report_.warnings, 1);
    EXPECT_EQ(report_.filesLabel, "0 Files Changed.");
    EXPECT_EQ(state_.lastRunFileCount, 0);
}

TEST_F(DateRunTest, SimulationTouchesNothingButShowsAndJournalsLikeARun) {
    const std::string plain = file("plain.txt");
    const std::string guarded = file("guarded.txt");
    // A read-only, hidden file: its attributes are not cleared and restored around anything.
    ASSERT_TRUE(pfs::setAttributes(guarded, pfs::ReadOnly | pfs::Hidden).ok());
    const std::string plainBefore = fullState(plain);
    const std::string guardedBefore = fullState(guarded);
    state_.simulationMode = true;

    run({q(plain), q(guarded)}, dateOptions(true, true, true, true, false));

    EXPECT_EQ(fullState(plain), plainBefore);
    EXPECT_EQ(fullState(guarded), guardedBefore);
    EXPECT_TRUE(logLines().isEmpty());
    ASSERT_EQ(report_.lines.size(), 6);
    EXPECT_TRUE(report_.lines[0].startsWith("WARNING! Change File Created Date Failed: plain.txt"));
    EXPECT_EQ(
        report_.lines[1].toStdString(),
        str("File Accessed Date Changed: plain.txt [" + lineText(kOldAccessDate, kOldAccessTime) +
            "] --> [" + lineText(kNewDate, kOldAccessTime) + "]"));
    EXPECT_EQ(
        report_.lines[5].toStdString(),
        str("File Modified Date Changed: guarded.txt [" + lineText(kOldModifyDate, kOldModifyTime) +
            "] --> [" + lineText(kNewDate, kOldModifyTime) + "]"));
    EXPECT_EQ(report_.filesLabel, "2 Files Changed.");
    EXPECT_EQ(report_.warnings, 2);
    EXPECT_EQ(state_.lastRunFileCount, 2);
    EXPECT_TRUE(same(state_.undoFiles.value(1).oldModifiedExact, kOldModified));
}

TEST_F(DateRunTest, ReadOnlyFileGetsItsTimesAndKeepsItsAttributes) {
    const std::string path = file("guarded.txt");
    ASSERT_TRUE(pfs::setAttributes(path, pfs::ReadOnly | pfs::System).ok());
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    const auto attributesBefore = pfs::attributes(path).valueOr(0);

    run({q(path)}, dateOptions(false, false, true, true, true));

    EXPECT_TRUE(same(timesOf(path).modified, at(kNewDate, kNewTime, 0)));
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(pfs::attributes(path).valueOr(0), attributesBefore);
    EXPECT_EQ(report_.warnings, 0);
}

TEST_F(DateRunTest, ReversalRestoresAllThreeTimesExactly) {
    showFullPath_ = true;
    const std::string a = file("a.txt");
    const std::string b = file("b.txt");
    const pfs::FileTimes original = timesOf(a);
    run({q(a), q(b)}, dateOptions(false, false, true, true, true));
    ASSERT_EQ(state_.lastRunFileCount, 2);
    // Something reads the file after the run: its access time moves on as well.
    const struct timespec later = at(QDate(2024, 1, 2), QTime(3, 4, 5), 6);
    ASSERT_TRUE(pfs::setFileTimes(a, nullptr, &later, nullptr).ok());

    revert();

    const pfs::FileTimes restored = timesOf(a);
    EXPECT_TRUE(same(restored.accessed, kOldAccessed)) << show(restored.accessed);
    EXPECT_TRUE(same(restored.modified, kOldModified)) << show(restored.modified);
    EXPECT_TRUE(same(restored.created, original.created));
    EXPECT_TRUE(same(timesOf(b).modified, kOldModified));

    const QString prefix = q(dir_.path() + "/");
    const QString created =
        original.hasCreated ? runs::fileTimeText(original.created) : QStringLiteral("?");
    const QStringList expectedA = {
        "File Created Date Changed: " + prefix + "a.txt [" + created + "] --> [" + created + "]",
        "File Accessed Date Changed: " + prefix + "a.txt [" +
            lineText(QDate(2024, 1, 2), QTime(3, 4, 5)) + "] --> [" +
            lineText(kOldAccessDate, kOldAccessTime) + "]",
        "File Modified Date Changed: " + prefix + "a.txt [" + lineText(kNewDate, kNewTime) +
            "] --> [" + lineText(kOldModifyDate, kOldModifyTime) + "]",
    };
    // The files come back last to first, so a.txt is the second.
    ASSERT_EQ(undoReport_.lines.size(), 6);
    EXPECT_EQ(joined(undoReport_.lines.mid(3, 3)), joined(expectedA));
    EXPECT_EQ(joined(logLines().mid(5, 3)), joined(expectedA));
    EXPECT_EQ(undoReport_.filesLabel, "2 Files Changed.");
    EXPECT_EQ(undoReport_.warnings, 0);
    EXPECT_EQ(undoReport_.progressValue, 2);
}

TEST_F(DateRunTest, VanishedFilesShowWhatIsKnownOfThemselves) {
    const std::string first = file("first.txt");
    const std::string gone = dir_.file("gone.txt");
    const std::string folder = dir_.mkdir("folder");
    const std::string folderBefore = fullState(folder);
    const std::string last = file("last.txt");

    run({q(first), q(gone), q(folder), q(last)}, dateOptions(false, true, true, true, false));

    ASSERT_EQ(report_.lines.size(), 8);
    // Never the times of first.txt: "?" where the file's own part would stand.
    EXPECT_EQ(report_.lines[2].toStdString(),
              str("WARNING! Change File Accessed Date Failed: gone.txt [?] --> [" +
                  platform::shortDateText(kNewDate) + " ?] (the file no longer exists)"));
    EXPECT_EQ(report_.lines[3].toStdString(),
              str("WARNING! Change File Modified Date Failed: gone.txt [?] --> [" +
                  platform::shortDateText(kNewDate) + " ?] (the file no longer exists)"));
    // A directory is never touched.
    EXPECT_TRUE(report_.lines[4].endsWith("(it is a folder, not a file)"));
    EXPECT_EQ(fullState(folder), folderBefore);
    EXPECT_TRUE(report_.lines[7].startsWith("File Modified Date Changed: last.txt"));
    EXPECT_EQ(report_.warnings, 2);
    EXPECT_EQ(report_.filesLabel, "2 Files Changed.");
    EXPECT_EQ(report_.progressValue, 4);

    // Deleted after the run: the undo warns with "?" for its current times and goes on.
    std::filesystem::remove(first);
    revert();
    ASSERT_EQ(undoReport_.lines.size(), 6);
    EXPECT_TRUE(undoReport_.lines[2].startsWith("File Modified Date Changed: last.txt"));
    EXPECT_EQ(undoReport_.lines[4].toStdString(),
              str("WARNING! Change File Accessed Date Failed: first.txt [?] --> [" +
                  lineText(kOldAccessDate, kOldAccessTime) + "] (the file no longer exists)"));
    EXPECT_EQ(undoReport_.warnings, 1);
    EXPECT_EQ(undoReport_.filesLabel, "1 Files Changed.");
    EXPECT_TRUE(same(timesOf(last).modified, kOldModified));
}

TEST_F(DateRunTest, CancelEndsTheRunAfterTheCurrentFile) {
    QStringList files;
    for (const char* name : {"a", "b", "c", "d"}) {
        files.append(q(file(name)));
    }
    report_.cancelAfter = 1;
    run(files, dateOptions(false, false, true, false, true));
    EXPECT_FALSE(same(timesOf(dir_.file("a")).modified, kOldModified));
    EXPECT_FALSE(same(timesOf(dir_.file("b")).modified, kOldModified));
    EXPECT_TRUE(same(timesOf(dir_.file("c")).modified, kOldModified));
    EXPECT_EQ(state_.lastRunFileCount, 2);
    EXPECT_EQ(report_.progressValue, 1);
}

}  // namespace
