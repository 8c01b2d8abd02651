// The "Start Quenza Renamer..." entry of the file manager's context menu for folders and drives.
// The registry keys under HKEY_CLASSES_ROOT\Directory\shell and \Drive\shell live in the
// registry stand-in (platform/com/registry.h); beside them, the entry is installed where Linux
// file managers read it: a KDE service menu and a Nemo action under the user's data folder.
// Both only add a menu entry for folders; neither makes the program a handler for opening them.
#pragma once

#include <QString>

namespace settings {

// Writes the four keys and the file-manager entries again, with the program's present path.
// Every step is attempted; when any fails, one critical box "Error creating keys in registry!"
// is shown.
void createShellKeys();
// The same for the program at `program` (a full path) in place of the running executable.
void createShellKeys(const QString& program);
// Removes the keys and the file-manager entries that are present; when a delete fails, one
// critical box "Error deleting keys from registry!" is shown. Absent entries are no failure.
void deleteShellKeys();

}  // namespace settings
