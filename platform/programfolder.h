// The program folder: where the executable lies, and with it the data files and the logs.
#pragma once

#include <QString>

#include <string>

namespace platform {

// Environment variable that points the program folder elsewhere (tests, portable installs).
inline constexpr const char* kProgramFolderVariable = "QUENZA_PROGRAM_DIR";

// The program folder with a trailing "/": the override when set and not empty, otherwise the
// folder of the running executable.
QString programFolder();
// The running executable's real path (/proc/self/exe, every link resolved), its bytes kept;
// empty where /proc cannot tell.
QString executablePath();
// programFolder() + name.
QString programFile(const QString& name);

// The user's configuration folder without a trailing "/": $XDG_CONFIG_HOME when it is an
// absolute path, otherwise ~/.config: the rule of the component registry's file too.
QString configFolder();
// The user's data folder without a trailing "/": $XDG_DATA_HOME when it is an absolute path,
// otherwise ~/.local/share, by the same rule.
QString dataFolder();

// Removes XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_CACHE_HOME from the environment where they
// are relative: the XDG rules say to ignore such a value, and Qt's own lookups (settings,
// MIME data, icon themes) would otherwise take it from whatever folder the program was started
// in. Called once at start, before anything reads them.
void ignoreRelativeXdgFolders();

// Native byte form of a path for the file system services, and back: the one conversion of
// every path (platform/pathcodec.h), exact in both directions for any name on disk.
std::string nativePath(const QString& path);
QString fromNativePath(const std::string& path);

// The folder with one "/" at its end, as every folder the program joins a name to is kept
// ("" becomes "/"; a caller with a folder that may be empty decides that case itself).
QString withTrailingSlash(QString folder);

}  // namespace platform
