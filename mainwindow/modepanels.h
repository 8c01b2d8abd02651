// The mode panels: the mode tab handler, the validation that enables "Rename!", the options
// snapshot the transforms read, the Instant Preview box, the preview timer and the preview
// pass it starts. What differs per tab is read from the mode table (modetable.h).
#pragma once

#include "engine/options.h"
#include "mainwindow/modeinputs.h"
#include "runs/executors.h"

namespace mainwindow {

class FrmMain;
struct Controls;

class ModePanels {
public:
    explicit ModePanels(FrmMain& window);

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
    FrmMain& window_;
    Controls& ui_;
};

}  // namespace mainwindow
