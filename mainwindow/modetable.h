// The mode tabs, one row each: what a tab shows, allows, focuses and requires. Everything the
// window does differently per mode tab is read from here, so a mode is one row (its naming
// executor and name function are its row in runs/modes.cpp).
#pragma once

#include <QString>

#include <span>

#include "mainwindow/controls.h"
#include "runs/executors.h"

namespace mainwindow {

struct ModeTab {
    // The tab's key in the mode tab strip. The Space tab's key is "misc": the preview, the runs
    // and their logs name the mode by it.
    const char* key;
    // The option frame the tab brings forward.
    QWidget* Controls::*frame;
    // Whether folders can take part with the tab's options as they stand.
    bool (*dirsAllowed)(const Controls& ui);
    // Whether the Process Name and Process Extension boxes apply.
    bool (*usesNameScope)(const Controls& ui);
    // The input that gets the focus when the tab is chosen; null for none.
    QWidget* (*focusTarget)(const Controls& ui);
    // Whether the tab's inputs block a rename ("Rename!" disabled).
    bool (*blocks)(const Controls& ui);
    // The tab works on files only and keeps "Files" ticked whatever the source.
    bool filesOnly;
    // The tab needs the tag library and warns once when it could not be created.
    bool needsTagLibrary;
};

std::span<const ModeTab> modeTabs();
// The row of a tab key; null for a key without a row.
const ModeTab* modeTab(const QString& key);

// The tab key and the options that choose between a tab's two executors, as the inputs stand.
runs::ModeSelection modeSelection(const Controls& ui, const QString& tabKey);

// A mode word of the command line ("/e modereplace") and what it selects: an option (null for
// the tab alone) and the 1-based position of the mode tab.
struct ModeWord {
    const char* word;
    QRadioButton* Controls::*option;
    int tab;
};
std::span<const ModeWord> modeWords();

}  // namespace mainwindow
