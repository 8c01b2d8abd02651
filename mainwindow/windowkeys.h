// The window-wide keys F1 and F12 (F5 is the run controller's), the refusal to close while
// the program is busy, the geometry the window remembers as it is resized, and what closing
// does: keep the working folder and save every setting, the folder history and the lists.
#pragma once

#include <QString>

#include "engine/lists.h"
#include "settings/controlsource.h"

class QCloseEvent;
class QWidget;

namespace runs {
struct RunState;
}
namespace settings {
struct ProgramSettings;
}

namespace mainwindow {

struct Controls;
struct WindowState;
class FolderSource;

class WindowKeys {
public:
    // `window` is the main window, whose geometry `settings` remembers; `runState` and
    // `lists` are saved with the settings; `inputs` reads the window's inputs for saving;
    // `folders` reads the folder again on F12.
    WindowKeys(QWidget& window, Controls& ui, WindowState& state, const runs::RunState& runState,
               settings::ProgramSettings& settings, const engine::TextLists& lists,
               const settings::ControlSource& inputs, FolderSource& folders)
        : window_(window),
          ui_(ui),
          state_(state),
          runState_(runState),
          settings_(settings),
          lists_(lists),
          inputs_(inputs),
          folders_(folders) {}

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

    QWidget& window_;
    Controls& ui_;
    WindowState& state_;
    const runs::RunState& runState_;
    settings::ProgramSettings& settings_;
    const engine::TextLists& lists_;
    const settings::ControlSource& inputs_;
    FolderSource& folders_;
    bool geometryPending_ = false;
};

}  // namespace mainwindow
