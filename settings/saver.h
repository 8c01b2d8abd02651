// Saving the whole state: every settings key from the program-wide settings or from the main
// window's inputs, the file-manager entries, the folder history and the two editable lists.
// Runs when the main window closes and when the settings dialog is confirmed.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "engine/lists.h"
#include "settings/controlsource.h"
#include "settings/programsettings.h"
#include "settings/store.h"

namespace settings {

struct SaveInput {
    // Geometry, column widths, totals and the dialog's options, as the window keeps them up
    // to date; tabStripFilemode holds the selected file-source tab (1-based).
    const ProgramSettings& settings;
    // The start folder (the path box's text when the window closes).
    QString startPath;
    // The path box's drop-down entries, newest first.
    QStringList historyEntries;
    // The lists beside the program: exceptions.txt and replace.txt are rewritten.
    const engine::TextLists& lists;
    QString programFolder;  // ending with "/"
    // Brings the file-manager entries in line with shellShowQuenza (settings/shellentries.h
    // when empty).
    std::function<void(bool show)> shellEntries;
};

// Never fails towards its caller: a key whose value cannot be read is skipped (the store keeps
// its old text) and the save goes on; at most one line "Error N (text) Error saving settings!"
// reports the last failure of the keys, a store that cannot be written included. The lists
// are written after the keys, each whole or not at all ("Error saving settings lists!").
void saveSettings(SettingsStore& store, const ControlSource& controls, const SaveInput& input);

}  // namespace settings
