// The runs as the window starts them: "Rename!", "Undo", F5, the simulation box, the run
// window's life, the glue the run driver works through (runs/driver.h), the Free Select list's
// rebuild after a run, and the run a command line asks for ("/e", "/x").
#pragma once

#include <QPointer>
#include <QStringList>

#include "runs/driver.h"
#include "runs/runwindow.h"

namespace mainwindow {

class FrmMain;
struct Controls;

class RunController {
public:
    explicit RunController(FrmMain& window);
    ~RunController();
    RunController(const RunController&) = delete;
    RunController& operator=(const RunController&) = delete;

    // "Rename!": validates and, when it stays enabled, runs the selected tab's naming mode (or
    // attribute run) with the run window. Returns with the run window open, saying whether a run
    // took place and how it ended.
    runs::RunOutcome cmdExecuteClick();
    // "Undo": asks, then puts the last run back (runs/undo.h).
    void cmdUndoClick();
    // F5: the focused input gives up the focus first, then "Rename!" runs when it is enabled.
    void formKeyF5();
    void chkSimulationClick();
    // The command line's "/e" mode word and "/x", at the first activation. A start that ends
    // by itself leaves the exit status in the window state; one that runs nothing says why on
    // standard error.
    void runCommandLineMode();

    // The run window of the last run or undo while it is open; null otherwise.
    runs::RunWindow* runWindow() const {
        return runWindow_ && runWindow_->isVisible() ? runWindow_.data() : nullptr;
    }

private:
    runs::DriverContext driverContext();
    runs::DriverInputs driverInputs() const;
    runs::AttribOptions attribOptions() const;
    runs::RunWindow* openRunWindow();
    void runWindowClosed();
    void refillFreeSelect(const QStringList& files, const QStringList& dirs);
    // Why "Rename!" stayed disabled for the command line's run, naming the folder.
    QString noRunReason() const;
    // The line "no run: <reason>" on standard error, status kExitNoRun, and the program ends.
    void endWithoutRun(const QString& reason);
    // The run window and the main window close; the main window saves the settings.
    void closeWindows();

    FrmMain& window_;
    Controls& ui_;
    QPointer<runs::RunWindow> runWindow_;
};

}  // namespace mainwindow
