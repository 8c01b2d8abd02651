// The mode tabs, one row each: what a tab shows, allows, focuses and requires. Everything the
// window does differently per mode tab is read from here, so a mode is one row (its naming
// is its row in runs/modes.cpp). The rules read the inputs as values (modeinputs.h).
#pragma once

#include <QString>

#include <span>

#include "mainwindow/controls.h"
#include "mainwindow/modeinputs.h"
#include "runs/modes.h"

namespace mainwindow {

struct ModeTab {
    // The tab's key in the mode tab strip. The Space tab's key is "misc": the preview, the runs
    // and their logs name the mode by it.
    const char* key;
    // The tab's caption in the strip, in the strip's order ("&&" shows one "&").
    const char* caption;
    // The option frame the tab brings forward.
    QWidget* Controls::*frame;
    // The naming mode the tab's options pick (None: the tab gives no names).
    runs::NamingMode (*naming)(const ModeInputs& inputs);
    // Whether folders can take part with the tab's options as they stand.
    bool (*dirsAllowed)(const ModeInputs& inputs);
    // Whether the Process Name and Process Extension boxes apply.
    bool (*usesNameScope)(const ModeInputs& inputs);
    // The input that gets the focus when the tab is chosen; null for none.
    QWidget* (*focusTarget)(const Controls& ui);
    // Whether the tab's inputs block a rename ("Rename!" disabled).
    bool (*blocks)(const ModeInputs& inputs);
    // The tab works on files only and keeps "Files" ticked whatever the source.
    bool filesOnly;
    // The tab needs the tag library and warns once when it could not be created.
    bool needsTagLibrary;
    // The tab changes attributes or dates instead of names: no preview, and an empty
    // selection under "Only Rename Selected" does not block it.
    bool attributeRun;
};

std::span<const ModeTab> modeTabs();
// The row of a tab key; null for a key without a row.
const ModeTab* modeTab(const QString& key);

// The naming mode the tab and its options pick; None for a key without a row.
runs::NamingMode namingMode(const QString& tabKey, const ModeInputs& inputs);

// A mode word of the command line ("/e modereplace") and what it selects: an option (null for
// the tab alone) and the key of the mode tab.
struct ModeWord {
    const char* word;
    QRadioButton* Controls::*option;
    const char* tab;
};
std::span<const ModeWord> modeWords();
// The 1-based position of a tab in the mode tab strip; 0 for a key without a row.
int modeTabPosition(const QString& key);

}  // namespace mainwindow
