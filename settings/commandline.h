// The command line: a folder or file to open, a mode to run at once, and whether to close
// afterwards; and the start folder when the command line names none.
#pragma once

#include <QString>
#include <QStringList>

namespace settings {

struct CommandLine {
    QString cmdExecMode;       // the word after "/e", trimmed of blanks, case kept
    bool cmdAutoExit = false;  // "/x" given (acts only together with "/e")
    QString startPath;         // folder with a trailing "/", or empty
    QString pattern;           // file-name pattern from a given file or wildcard, or empty
    // "/x" stood as a switch of its own, also where it is not recognised (without "/p" or
    // "/e"): the caller asked for the program to end by itself.
    bool exitSwitchGiven = false;
    // The folder the command line named, with a trailing "/", also when it cannot be listed
    // (startPath is then empty); empty when it named none.
    QString givenFolder;
};

// `arguments` are the program's arguments without its own path. An argument that is exactly
// "/p", "/e" or "/x" is a switch, and the arguments after it, joined with blanks, are its
// text; an argument that begins with "/p " or "/e " is the switch followed by its text.
// Switches are recognised in lower case only. When there is no "/p" or "/e", the whole text
// is a path. `savedPath` is the folder saved at the last close (key txtPath), used when the
// command line gives no path and `startupInLastDir` is not 0.
CommandLine parseCommandLine(const QStringList& arguments, const QString& savedPath,
                             int startupInLastDir);

// Whether `arguments` hold "/x" as a switch of its own (CommandLine::exitSwitchGiven), read
// before anything else of the program exists.
bool givesExitSwitch(const QStringList& arguments);

}  // namespace settings
