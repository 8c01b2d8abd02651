#include "settings/shellentries.h"

#include <QString>
#include <QStringList>

#include <unistd.h>
#include <cerrno>
#include <string>

#include "platform/com/registry.h"
#include "platform/filesystem.h"
#include "platform/messages.h"
#include "platform/programfolder.h"
#include "platform/result.h"
#include "platform/textfile.h"

namespace settings {

namespace {

using platform::Status;

// In the order in which they are written; each command key lies below its entry key.
constexpr const char* kDirectoryEntryKey = "HKEY_CLASSES_ROOT\\Directory\\shell\\Quenza Renamer";
constexpr const char* kDriveEntryKey = "HKEY_CLASSES_ROOT\\Drive\\shell\\Quenza Renamer";
constexpr const char* kCommandSubKey = "\\command";

constexpr const char* kEntryText = "Start Quenza Renamer...";
constexpr const char* kProgramFileName = "QuenzaRen";

// Below the user's data folder; the names are ours alone, so removing them removes nothing of
// anybody else's.
constexpr const char* kServiceMenuFolder = "/kio/servicemenus";
constexpr const char* kServiceMenuFile = "/kio/servicemenus/quenza-renamer.desktop";
constexpr const char* kNemoActionFolder = "/nemo/actions";
constexpr const char* kNemoActionFile = "/nemo/actions/quenza-renamer.nemo_action";

// Recent KDE versions show a service menu from the user's own folder only when its file is
// executable, so that a file dropped there by a download cannot run commands unasked.
constexpr unsigned kServiceMenuMode = 0755;

// The running executable itself: the program folder may lie elsewhere (QUENZA_PROGRAM_DIR),
// and the executable may carry another name.
QString programPath() {
    const QString executable = platform::executablePath();
    return executable.isEmpty() ? platform::programFolder() + QLatin1String(kProgramFileName)
                                : executable;
}

void showFailure(const char* text) {
    platform::messages().showMessage(QString::fromLatin1(text), QStringLiteral("Quenza Renamer"),
                                     platform::MessageIcon::Critical, platform::MessageButtons::Ok);
}

// The registry keys -----------------------------------------------------------------------

// The program in quotes, then the switch with the placeholder for the clicked folder in quotes
// of its own, as the system's shell expects it.
std::string commandText(const QString& program) {
    return "\"" + platform::nativePath(program) + "\" \"/p %1\"";
}

// Creates the key when it is missing and sets its default value: both at once here.
bool writeKey(const std::string& key, const std::string& text) {
    return com::registry::setValue(key, "", text).ok();
}

// Deletes the command key, then the entry key, of an entry that is present; the second delete
// is tried even when the first failed. False when either failed.
bool deleteEntry(const std::string& entryKey) {
    if (!com::registry::keyExists(entryKey)) {
        return true;
    }
    const bool commandDeleted = com::registry::deleteEmptyKey(entryKey + kCommandSubKey).ok();
    const bool entryDeleted = com::registry::deleteEmptyKey(entryKey).ok();
    return commandDeleted && entryDeleted;
}

// The file-manager entries ----------------------------------------------------------------

// One argument of a desktop entry's Exec line: in double quotes, with the four characters that
// stay special inside them (" ` $ \) escaped by a backslash. A "%" would start a field code,
// so it is doubled.
QString execArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar ch : argument) {
        if (ch == u'"' || ch == u'`' || ch == u'$' || ch == u'\\') {
            quoted += u'\\';
        } else if (ch == u'%') {
            quoted += u'%';
        }
        quoted += ch;
    }
    quoted += u'"';
    return quoted;
}

// A value as a key file stores it: the reader turns "\\", "\n", "\t", "\r" and a leading "\s"
// back into the characters, and would end the value at a line break. So every backslash of the
// quoted Exec line is written twice, as the desktop entry rules ask.
QString keyFileValue(const QString& text) {
    QString value;
    value.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch == u'\\') {
            value += QStringLiteral("\\\\");
        } else if (ch == u'\n') {
            value += QStringLiteral("\\n");
        } else if (ch == u'\t') {
            value += QStringLiteral("\\t");
        } else if (ch == u'\r') {
            value += QStringLiteral("\\r");
        } else if (ch == u' ' && i == 0) {
            value += QStringLiteral("\\s");
        } else {
            value += ch;
        }
    }
    return value;
}

// The program with "/p" and the clicked folder, which `fieldCode` stands for.
QString execLine(const QString& program, const QString& fieldCode) {
    return keyFileValue(execArgument(program) + QStringLiteral(" /p ") + fieldCode);
}

QStringList serviceMenuLines(const QString& program) {
    return {
        QStringLiteral("# Written by Quenza Renamer for its context-menu entry; removed when the"),
        QStringLiteral("# entry is switched off in its settings."),
        QStringLiteral("[Desktop Entry]"),
        QStringLiteral("Type=Service"),
        // Every desktop entry has a name; the menu shows the action's own.
        QStringLiteral("Name=") + QLatin1String(kEntryText),
        QStringLiteral("MimeType=inode/directory;"),
        QStringLiteral("Actions=startQuenzaRenamer;"),
        // In the menu itself, as the entry stands in the system's own context menu, rather
        // than in the file manager's "Actions" submenu.
        QStringLiteral("X-KDE-Priority=TopLevel"),
        QString(),
        QStringLiteral("[Desktop Action startQuenzaRenamer]"),
        QStringLiteral("Name=") + QLatin1String(kEntryText),
        // %f: the clicked folder's local path.
        QStringLiteral("Exec=") + execLine(program, QStringLiteral("%f")),
    };
}

QStringList nemoActionLines(const QString& program) {
    return {
        QStringLiteral("# Written by Quenza Renamer for its context-menu entry; removed when the"),
        QStringLiteral("# entry is switched off in its settings."),
        QStringLiteral("[Nemo Action]"),
        QStringLiteral("Name=") + QLatin1String(kEntryText),
        // %F: the selected path, put in double quotes with its special characters escaped.
        QStringLiteral("Exec=") + execLine(program, QStringLiteral("%F")),
        QStringLiteral("Quote=double"),
        QStringLiteral("Selection=s"),
        QStringLiteral("Extensions=dir;"),
    };
}

// Creates the folder with every missing level above it. Each folder made here is private to
// the user, as the XDG rules ask of a missing data folder; folders that exist are left as they
// are, links to folders included.
Status makeFolders(const std::string& folder) {
    std::size_t end = 0;
    while (end != std::string::npos) {
        end = folder.find('/', end + 1);
        const std::string part = folder.substr(0, end);
        if (part.empty() || part.back() == '/' || platform::fs::isDirectory(part)) {
            continue;
        }
        if (Status made = platform::fs::makeDirectory(part); !made) {
            return made;
        }
        if (Status privately = platform::fs::setPermissions(part, 0700); !privately) {
            return privately;
        }
    }
    return Status::success();
}

// Writes the file in full (a new file renamed into place, never through a link), so that a
// moved program gets its new path, then gives it `mode` when one is asked for.
bool writeEntryFile(const QString& dataFolder, const char* folder, const char* file,
                    const QStringList& lines, unsigned mode = 0) {
    if (!makeFolders(platform::nativePath(dataFolder + QLatin1String(folder)))) {
        return false;
    }
    const QString path = dataFolder + QLatin1String(file);
    // LF alone, as the desktop entry rules ask; a CR would end up inside every value.
    if (!platform::writeLines(path, lines, platform::TextEncoding::Utf8, platform::LineEnd::Lf)) {
        return false;
    }
    return mode == 0 || platform::fs::setPermissions(platform::nativePath(path), mode).ok();
}

// Removes our file when it is there. Whatever else has taken its name (a link, a folder) is not
// ours to remove: it is left alone, and the entry may still show, so that counts as a failure.
bool removeEntryFile(const QString& dataFolder, const char* file) {
    const std::string path = platform::nativePath(dataFolder + QLatin1String(file));
    if (platform::fs::isSymbolicLink(path)) {
        return false;
    }
    switch (platform::fs::kindOf(path)) {
        case platform::fs::Kind::Missing:
            return true;
        case platform::fs::Kind::File:
            return ::unlink(path.c_str()) == 0 || errno == ENOENT;
        default:
            return false;
    }
}

}  // namespace

void createShellKeys() {
    createShellKeys(programPath());
}

void createShellKeys(const QString& program) {
    bool failed = false;
    const std::string command = commandText(program);
    for (const char* entryKey : {kDirectoryEntryKey, kDriveEntryKey}) {
        failed = !writeKey(entryKey, kEntryText) || failed;
        failed = !writeKey(std::string(entryKey) + kCommandSubKey, command) || failed;
    }

    const QString dataFolder = platform::dataFolder();
    failed = !writeEntryFile(dataFolder, kServiceMenuFolder, kServiceMenuFile,
                             serviceMenuLines(program), kServiceMenuMode) ||
             failed;
    failed =
        !writeEntryFile(dataFolder, kNemoActionFolder, kNemoActionFile, nemoActionLines(program)) ||
        failed;

    if (failed) {
        showFailure("Error creating keys in registry!");
    }
}

void deleteShellKeys() {
    bool failed = false;
    for (const char* entryKey : {kDirectoryEntryKey, kDriveEntryKey}) {
        failed = !deleteEntry(entryKey) || failed;
    }

    const QString dataFolder = platform::dataFolder();
    for (const char* file : {kServiceMenuFile, kNemoActionFile}) {
        failed = !removeEntryFile(dataFolder, file) || failed;
    }

    if (failed) {
        showFailure("Error deleting keys from registry!");
    }
}

}  // namespace settings
