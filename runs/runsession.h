// What a run ("Rename!") and an undo share: the window's inputs read once, the current source
// and its list, the operation flag with the main window locked, the run window, the hourglass,
// the run context the executors and reversals act in, and afterwards the rebuild of the
// source's views, the rows' order and selection given back, the lifetime totals and the final
// captions. The run (driver.cpp) and the undo (undo.cpp) call these steps, each in its own
// order; what only one of them does stays with it.
#pragma once

#include <QPointer>
#include <QString>

#include <cstdint>
#include <optional>

#include "platform/widgets/busy.h"
#include "runs/drivercontext.h"
#include "runs/rows.h"

class QWidget;

namespace runs {

// Holds operationRunning for its lifetime. Ending without finish() means a step failed: the
// flag is cleared all the same, the run window gets an enabled Close (so it can be closed and
// give the main window back) or, when no run window was opened, the main window is enabled
// again here.
class OperationScope {
public:
    OperationScope(RunState& state, QWidget* mainWindow);
    ~OperationScope();
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

    void setWindow(RunWindow* window);
    void finish();

private:
    RunState& state_;
    QPointer<QWidget> mainWindow_;
    QPointer<RunWindow> window_;
    bool finished_ = false;
};

class RunSession {
public:
    explicit RunSession(DriverContext& ctx);
    RunSession(const RunSession&) = delete;
    RunSession& operator=(const RunSession&) = delete;

    DriverContext& context() const { return ctx_; }
    RunState& state() const { return ctx_.state; }
    const DriverHooks& hooks() const { return ctx_.hooks; }
    const DriverInputs& inputs() const { return in_; }
    Source source() const { return source_; }
    Source otherSource() const {
        return source_ == Source::FreeSelect ? Source::Directory : Source::FreeSelect;
    }
    platform::ListView* list() const { return list_; }
    // Null until openWindow() succeeded.
    RunWindow* window() const { return window_; }

    // ---- Opening ----

    // Reads the window's inputs once and chooses the current source and its list.
    void readInputs();
    // The hourglass for preparation and aftermath; whatever way the session ends, the pointer
    // comes back.
    void busyPointer();
    void normalPointer();
    // Sets operationRunning and disables the main window until the run window closes (or the
    // session ends without finish()).
    void lockMainWindow();
    // A running preview stops; a cancel left from before is forgotten.
    void stopPreview();
    void setPanel(const QString& text) const;
    // Opens a fresh run window; throws when none opens, so the operation scope gives the main
    // window back.
    RunWindow& openWindow();
    // The counters of what the coming run or undo achieves.
    void resetCounters();
    // The rows' order and selection as they stand, kept for the restore afterwards.
    RowSnapshot snapshotRows();
    // The context the executors and the reversals act in; made once, after openWindow().
    RunContext& runContext();
    bool hasRunContext() const { return run_.has_value(); }

    // ---- Closing ----

    // The Directory source reads its folder again and rebuilds the tree and the list.
    void rebuildDirectory();
    // The Free Select source is filled again from the refill lists (and its thumbnails).
    void refillFreeSelect();
    // The rows come back to the order taken by snapshotRows(); in the Directory source a
    // moved row counts as a reordering by hand.
    void restoreOrder();
    // The current row is selected alone (Free Select), then the rows selected before.
    void reselect();
    void updateSelectedCount();
    // Adds to the lifetime totals (negative for an undo), kept in the settings and the state.
    void addToTotals(std::int64_t files, std::int64_t dirs);
    // The final captions and the run window's Close.
    void showReady(const QString& status, bool saveLogEnabled);
    // The operation ended normally; the run window, when open, gives the main window back.
    void finish();

private:
    DriverContext& ctx_;
    DriverInputs in_;
    Source source_ = Source::Directory;
    platform::ListView* list_ = nullptr;
    std::optional<platform::BusyScope> pointer_;
    std::optional<OperationScope> operation_;
    RunWindow* window_ = nullptr;
    std::optional<RunContext> run_;
};

}  // namespace runs
