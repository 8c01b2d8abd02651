// The hourglass and the disabled window while the program works, and the Escape key that
// cancels a long read. Both stand in for polling the mouse pointer and the keyboard state.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

namespace platform {

// While one exists the mouse pointer is the hourglass and `isBusy()` is true; a window given
// to it is disabled. Every way out of the scope restores both, failures included. Scopes nest.
class BusyScope {
public:
    explicit BusyScope(QWidget* disable = nullptr);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    QPointer<QWidget> disabled_;
    bool wasEnabled_ = true;
};

// True while a BusyScope exists: the pointer shows the hourglass.
bool isBusy();

// Escape pressed while `window` is the active window sets a latch; long loops poll it.
class EscapeWatch {
public:
    // Watches the application's key presses for `window` (the main window). One at a time.
    static void install(QWidget* window);
    static void uninstall();

    // Clears a press seen before a loop starts.
    static void clear();
    // Yields to the event loop when the last yield is 50 ms or more ago (so the press is
    // seen without yielding on every row), then reads and clears the latch. `since` is the
    // loop's own timer, restarted at each yield.
    static bool pressed(QElapsedTimer& since);
    // Reads and clears the latch without yielding.
    static bool take();
};

}  // namespace platform
