// The run window: what a run or an undo does, line by line, with its counts, a progress bar and
// its status in the caption. It stays open after the operation until the user closes it;
// closing gives the main window back (through onClosed). While an operation runs it refuses to
// close and offers Cancel; afterwards Close and Save Log.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

#include "runs/runreport.h"
#include "runs/runstate.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace settings {
struct ProgramSettings;
}

namespace runs {

// The save dialog of Save Log behind a service, so that tests never block on a modal dialog.
class SaveFileService {
public:
    virtual ~SaveFileService() = default;
    // Asks for the file to write, starting from `startPath` (the name chosen last time in this
    // window, or empty). Returns the chosen path, or "" when the user cancelled. The dialog asks
    // before an existing file is replaced.
    virtual QString chooseSaveFile(QWidget* owner, const QString& title, const QString& startPath,
                                   const QString& filter, const QString& defaultSuffix) = 0;
};

// Installs `service` (not owned); null goes back to the default, the Qt file dialog.
void setSaveFileService(SaveFileService* service);
SaveFileService& saveFileService();

// Texts of the window that tests and the runs share.
inline constexpr char kSaveLogTitle[] = "Save Log";
inline constexpr char kSaveLogFilter[] = "Text Files (*.txt);;All Files (*)";
inline constexpr char kSaveLogFailed[] = "Error saving log file!";

class RunWindow : public QWidget, public RunReport {
    Q_OBJECT
public:
    // Reads the operation's flags from `state` (operationRunning refuses the close, Cancel
    // sets cancelRequested, an undo sizes the progress range from the last-run counts) and its
    // geometry from the Execute_* settings, which it writes back when it closes.
    RunWindow(RunState& state, settings::ProgramSettings& settings, QWidget* parent = nullptr);
    ~RunWindow() override;

    // Shows the window, not modal, in the saved state (normal, minimized or maximized).
    void open();

    // RunReport
    void addLine(const QString& line) override;
    void setFilesCount(int count, const QString& suffix) override;
    void setDirsCount(int count, const QString& suffix) override;
    void setWarningCount(int count) override;
    void setProgressMaximum(int maximum) override;
    void setProgressValue(int value) override;
    // Yields at most about every 15 ms: often enough for Cancel and repaints, rarely enough
    // that a run of tens of thousands of items does not spend its time painting.
    void processEvents() override;

    // The caption ("Status: Renaming... 42%").
    void setStatus(const QString& caption);

    // Button states of the phases of an operation.
    // A run: Cancel shown, enabled and focused; Close hidden; Save Log disabled.
    void showRunning();
    // An undo: Cancel hidden and disabled; Close shown but disabled; Save Log disabled.
    void showUndoRunning();
    // The aftermath of a run: Cancel stays visible but disabled.
    void disableCancel();
    // The end: Cancel hidden; Close shown, enabled and focused; Save Log as asked.
    void showFinished(bool saveLogEnabled);

    QStringList lines() const;
    int lineCount() const;
    int progressValue() const;
    int progressMaximum() const;

    // Writes every log line, UTF-8 with CR LF, to a file chosen in the save dialog. False when
    // the dialog was cancelled or the file could not be written (the latter is reported).
    bool saveLog();

    // Run after the window has closed: gives the main window back.
    std::function<void()> onClosed;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layoutControls();
    void applySavedGeometry();
    void storeGeometry();
    void flushScroll();
    void showCounts();
    void showPendingLines() const;

    RunState& state_;
    settings::ProgramSettings& settings_;
    QListWidget* log_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* files_ = nullptr;
    QLabel* dirs_ = nullptr;
    QLabel* warnings_ = nullptr;
    mutable QStringList pendingLines_;  // lines not in the list yet
    // A count not shown yet: its text is made only when it shows, once per yield.
    struct PendingCount {
        bool waiting = false;
        int count = 0;
        QString suffix;
        void showIn(QLabel* label);
    };
    PendingCount pendingFiles_;
    PendingCount pendingDirs_;
    QPushButton* saveLog_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* cancel_ = nullptr;
    int progressMaximum_ = 100;
    int progressValue_ = 0;
    QString lastSavePath_;
    QElapsedTimer sinceYield_;
    bool scrollPending_ = false;
    bool closed_ = false;
};

}  // namespace runs
