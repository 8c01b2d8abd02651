// The window-wide keys F1 and F12 (F5 is the run controller's), the refusal to close while
// the program is busy, the geometry the window remembers as it is resized, and what closing
// does: keep the working folder and save every setting, the folder history and the lists.
#pragma once

#include <QString>

#include <optional>

#include "settings/controlsource.h"

class QCloseEvent;

namespace mainwindow {

class FrmMain;
struct Controls;

class WindowKeys : public settings::ControlSource {
public:
    WindowKeys(FrmMain& window, Controls& ui) : window_(window), ui_(ui) {}

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

    // settings::ControlSource: the saver reads the inputs through these.
    std::optional<int> checkValue(const QString& name) const override;
    std::optional<QString> textValue(const QString& name) const override;
    std::optional<int> chosenOption(const QStringList& buttons) const override;
    std::optional<int> modeTabPosition() const override;
    std::optional<QDate> dateValue(const QString& name) const override;
    std::optional<QTime> timeValue(const QString& name) const override;
    std::optional<bool> showsCheckBox(const QString& name) const override;

private:
    void rememberGeometry();

    FrmMain& window_;
    Controls& ui_;
    bool geometryPending_ = false;
};

}  // namespace mainwindow
