// The mode panels: the mode tab handler, the validation that enables "Rename!", the options
// snapshot the transforms read, the Instant Preview box, the preview timer and the preview
// pass it starts. What differs per tab is read from the mode table (modetable.h).
#pragma once

#include <QHash>
#include <QString>

#include <functional>

#include "engine/lists.h"
#include "engine/options.h"
#include "filelists/thumbnails.h"
#include "mainwindow/modeinputs.h"
#include "runs/executors.h"

class QObject;
class QWidget;

namespace orvane {
struct _cMP3File;
}
namespace settings {
struct ProgramSettings;
}

namespace mainwindow {

struct Controls;
struct WindowState;
class SourceSwitch;

class ModePanels {
public:
    // `window` is the main window (its controls keep the focus only while it is enabled);
    // `source` counts the selection; `status` writes the "main" and "preview" panels;
    // `mp3Library` gives the tag library's object (or null) when the options are taken;
    // `rememberPosition` runs on every tick of the preview timer.
    ModePanels(QWidget& window, Controls& ui, WindowState& state,
               const settings::ProgramSettings& settings, const engine::TextLists& lists,
               SourceSwitch& source, filelists::StatusPanels status,
               std::function<orvane::_cMP3File*()> mp3Library,
               std::function<void()> rememberPosition);

    // Connects the controls this controller handles; the window calls it once, before the
    // settings are loaded, so the loader's writes run the handlers as a user's changes would.
    void connectHandlers();
    // Every other input of the include/process options and of the mode frames (found among
    // `controls`, the window's controls by name) revalidates when its value changes, whoever
    // changed it. Connected after every other handler, so that the validation reads the values
    // those handlers left.
    void connectRevalidation(const QHash<QString, QObject*>& controls);

    // The mode tab handler: shows the option frame of the selected tab and derives its flags.
    void tabStripClick();
    // Brings the option frame of the selected tab forward (start-up, before the handler runs).
    void showSelectedFrame();
    // Decides whether a rename can start with the current inputs (enables "Rename!").
    void optionsChanged();
    // What keeps "Rename!" disabled with the current inputs and work lists, in the order the
    // validation asks: nothing to rename, no selected row while "Only Rename Selected" is in
    // force, options the tab's rule refuses.
    enum class RenameBlock { None, NothingListed, NothingSelected, OptionsNotValid };
    RenameBlock renameBlock() const;
    // The options the transforms read, taken from the inputs now.
    engine::Options optionsSnapshot() const;
    // The options snapshot with the lists and settings the transforms read besides.
    runs::NamingOptions namingOptions() const;
    // The mode tabs' inputs as they stand.
    ModeInputs modeInputs() const;
    // The naming mode the selected tab and its options pick: the preview and the run both
    // take their names from it.
    runs::NamingMode namingMode() const;
    void chkPreviewClick();
    void chkOnlyRenameSelectedClick();
    // One tick of the preview timer: a pending label edit, the selection recount once the
    // mouse button is up, a pending preview, and the remembered window position.
    void tmrPreviewTimer();
    // One preview pass over the current source's rows (the timer's tick starts it).
    void generatePreview();

private:
    // The key of the selected mode tab ("Replace", "Case", ...).
    QString modeTabKey() const;

    QWidget& window_;
    Controls& ui_;
    WindowState& state_;
    const settings::ProgramSettings& settings_;
    const engine::TextLists& lists_;
    SourceSwitch& source_;
    filelists::StatusPanels status_;
    std::function<orvane::_cMP3File*()> mp3Library_;
    std::function<void()> rememberPosition_;
};

}  // namespace mainwindow
