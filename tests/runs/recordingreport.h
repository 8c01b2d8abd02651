// A run report that records what a run shows, for tests of the runs without a run window.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "runs/runreport.h"
#include "runs/runstate.h"

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

}  // namespace testsupport
