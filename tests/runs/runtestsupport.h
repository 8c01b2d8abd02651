// What the tests of the runs share: a report that records what a run shows (no run window),
// a program folder of their own for the logs, and views of a folder tree.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "runs/executors.h"
#include "runs/rename.h"
#include "runs/revert.h"
#include "runs/runreport.h"
#include "runs/runstate.h"
#include "tests/support/tempdir.h"

namespace testsupport {

class RecordingReport : public runs::RunReport {
public:
    void addLine(const QString& line) override { lines.append(line); }
    void setFilesCount(int count, const QString& suffix) override {
        filesCount = count;
        filesSuffix = suffix;
        filesLabel = QString::number(count) + suffix;
    }
    void setDirsCount(int count, const QString& suffix) override {
        dirsCount = count;
        dirsSuffix = suffix;
        dirsLabel = QString::number(count) + suffix;
    }
    void setWarningCount(int count) override { warnings = count; }
    void setProgressMaximum(int maximum) override { progressMaximum = maximum; }
    void setProgressValue(int value) override { progressValue = value; }
    void processEvents() override {
        ++events;
        if (cancelAfter > 0 && events == cancelAfter && state != nullptr) {
            state->cancelRequested = true;
        }
        if (onEvents) {
            onEvents();
        }
    }

    QStringList lines;
    int filesCount = -1;
    QString filesSuffix;
    QString filesLabel;
    int dirsCount = -1;
    QString dirsSuffix;
    QString dirsLabel;
    int warnings = 0;
    int progressMaximum = -1;
    int progressValue = -1;
    int events = 0;
    // Presses Cancel during the yield of this progress step (1-based; 0 never), on `state`.
    int cancelAfter = 0;
    runs::RunState* state = nullptr;
    std::function<void()> onEvents;
};

// Points the program folder (and so log.txt and errors.txt) at a temporary folder for its
// lifetime.
class ProgramFolder {
public:
    ProgramFolder() {
        const char* old = std::getenv("QUENZA_PROGRAM_DIR");
        saved_ = old ? old : "";
        setenv("QUENZA_PROGRAM_DIR", dir_.path().c_str(), 1);
    }
    ~ProgramFolder() { setenv("QUENZA_PROGRAM_DIR", saved_.c_str(), 1); }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const TempDir& dir() const { return dir_; }
    // The messages of log.txt, without their date prefix.
    QStringList logLines() const {
        const QString text = QString::fromStdString(readAll(dir_.file("log.txt")));
        QStringList messages;
        for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            messages.append(line.mid(line.indexOf(QStringLiteral(") ")) + 2));
        }
        return messages;
    }

private:
    TempDir dir_;
    std::string saved_;
};

// Every entry below `root`: relative path to content, "<dir>" for a folder.
inline std::map<std::string, std::string> treeOf(const std::string& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string relative = std::filesystem::relative(entry.path(), root).string();
        tree[relative] = entry.is_directory() ? "<dir>" : readAll(entry.path());
    }
    return tree;
}

// The contents of every file below `root`, as a multiset: what no run may change.
inline std::multiset<std::string> contentsOf(const std::string& root) {
    std::multiset<std::string> contents;
    for (const auto& [path, content] : treeOf(root)) {
        if (content != "<dir>") {
            contents.insert(content);
        }
    }
    return contents;
}

// Puts the last attribute or date run back as the undo does: the counters start from 0 and the
// reversal reports to `report`. False when the reversal did not run.
inline bool revertAttribOrDate(runs::RunState& state, runs::RunReport& report,
                               bool showFullPath = false) {
    state.filesRenamedCount = 0;
    state.dirsRenamedCount = 0;
    state.warningCount = 0;
    state.simulationMode = false;
    state.undoInProgress = true;
    runs::RunContext ctx{.state = state, .report = report, .showFullPath = showFullPath};
    runs::setProgressMaximum(ctx, state.lastRunFileCount + state.lastRunDirCount);
    return runs::revertAttribOrDateRun(ctx);
}

}  // namespace testsupport
