// The runs as the window starts them: "Rename!", "Undo", F5, the simulation box, the run
// window's life, the glue the run driver works through (runs/driver.h), the Free Select list's
// rebuild after a run, and the run a command line asks for ("/e", "/x").
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include "filelists/thumbnails.h"
#include "runs/driver.h"
#include "runs/runwindow.h"

class QWidget;

namespace mainwindow {

struct Controls;
struct WindowState;
class FolderSource;
class FreeSelect;
class ModePanels;
class SourceSwitch;

class RunController : public QObject {
    Q_OBJECT
public:
    // `window` is the main window: locked during a run, closed by a command line's run that
    // ends the program. The run reads the mode panels' options, rebuilds the Directory source
    // (`folders`) or refills the Free Select source (`freeSelect`, its thumbnails by `source`)
    // and counts the selection again (`source`).
    RunController(QWidget& window, Controls& ui, WindowState& state, runs::RunState& runState,
                  settings::ProgramSettings& settings, filelists::SourceImages& directoryImages,
                  filelists::SourceImages& freeSelectImages, filelists::StatusPanels status,
                  ModePanels& modes, SourceSwitch& source, FolderSource& folders,
                  FreeSelect& freeSelect);
    ~RunController();
    RunController(const RunController&) = delete;
    RunController& operator=(const RunController&) = delete;

    // Connects the controls this controller handles; the window calls it once, before the
    // settings are loaded, so the loader's writes run the handlers as a user's changes would.
    void connectHandlers();

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

signals:
    // The run window of a run or an undo closed and gave the main window back.
    void runFinished();

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

    QWidget& window_;
    Controls& ui_;
    WindowState& state_;
    runs::RunState& runState_;
    settings::ProgramSettings& settings_;
    filelists::SourceImages& directoryImages_;
    filelists::SourceImages& freeSelectImages_;
    filelists::StatusPanels status_;
    ModePanels& modes_;
    SourceSwitch& source_;
    FolderSource& folders_;
    FreeSelect& freeSelect_;
    QPointer<runs::RunWindow> runWindow_;
};

}  // namespace mainwindow
