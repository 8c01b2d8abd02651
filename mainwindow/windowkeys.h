// The window-wide keys F1 and F12 (F5 is the run controller's), the refusal to close while
// the program is busy, the geometry the window remembers as it is resized, and what closing
// does: keep the working folder and save every setting, the folder history and the lists.
#pragma once

#include <QString>

#include "settings/controlsource.h"

class QCloseEvent;

namespace mainwindow {

class FrmMain;
struct Controls;

class WindowKeys {
public:
    // `inputs` reads the window's inputs for saving.
    WindowKeys(FrmMain& window, Controls& ui, const settings::ControlSource& inputs)
        : window_(window), ui_(ui), inputs_(inputs) {}

    // Connects the Help button.
    void connectHandlers();

    // F1: the help page beside the program. F12: the folder is read again.
    void formKeyF1();
    void formKeyF12();

    // Whether the window may close now: not while a folder read, a list build or a run shows
    // the hourglass.
    bool queryUnload() const;
    // The window closes for good: the path box's folder becomes the start folder, then
    // everything is saved.
    void formUnload();
    // Saves every setting, the folder history and the lists (also the settings dialog's Ok).
    void saveSettings();
    // The window's size or state changed: the normal geometry and the maximized state are
    // remembered from the first activation on.
    void formResize();

private:
    void rememberGeometry();

    FrmMain& window_;
    Controls& ui_;
    const settings::ControlSource& inputs_;
    bool geometryPending_ = false;
};

}  // namespace mainwindow
