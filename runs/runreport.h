// Where a run reports what it does: the run window implements this; tests record it.
#pragma once

#include <QString>

namespace runs {

class RunReport {
public:
    virtual ~RunReport() = default;
    // One line of the run window's log list.
    virtual void addLine(const QString& line) = 0;
    // The count labels: count followed by the suffix (" Files Renamed.", " Files Changed.",
    // " Directories Renamed.", " Directories Changed.", and " Warnings.").
    virtual void setFilesCount(int count, const QString& suffix) = 0;
    virtual void setDirsCount(int count, const QString& suffix) = 0;
    virtual void setWarningCount(int count) = 0;
    virtual void setProgressMaximum(int maximum) = 0;
    virtual void setProgressValue(int value) = 0;
    // Lets the event loop run, so that Cancel and repaints get through.
    virtual void processEvents() = 0;
};

}  // namespace runs
