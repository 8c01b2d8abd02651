// Reading the working folder into the Directory source's work lists: which entries are listed
// (hidden, system and read-only rules, the name pattern for files and for folders), the walk
// into subfolders, the size limit of a work list and cancelling. No widgets: the main window
// supplies the options and the cancel test, and shows the outcome.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace filelists {

// The most entries one work list holds; adding one more fails the read.
inline constexpr qsizetype kWorkListLimit = 32767;

struct ScanOptions {
    QString folder;   // the working folder, ending in "/"
    QString pattern;  // wildcard pattern of the pattern box
    bool subfolders = false;
    bool processHidden = false;
    bool processSystem = false;
    bool processWriteProtected = true;
    bool usePatternForFiles = true;
    bool usePatternForDirs = false;
    qsizetype limit = kWorkListLimit;
};

enum class ScanOutcome { Completed, TooMany, Cancelled, Failed };

struct ScanResult {
    ScanOutcome outcome = ScanOutcome::Completed;
    // Full paths; both empty unless the read completed. Files folder by folder (the working
    // folder first, then each folder in the order of `dirs`), each folder's files by name;
    // folders (without a trailing "/") in ascending order, letter case ignored, so that a
    // folder always stands before everything below it. Names are compared with letter case
    // ignored, then exactly.
    QStringList files;
    QStringList dirs;
    QString reason;  // why it failed, for a person; empty otherwise
};

struct ScanHooks {
    // Asked after every entry read and after every folder; true cancels the read.
    std::function<bool()> cancelRequested;
    // Called between the steps of the read (not per entry) with the counts so far.
    std::function<void(qsizetype files, qsizetype dirs)> progress;
};

// Reads `options.folder`. Never throws; every way out is in the outcome.
ScanResult scanFolder(const ScanOptions& options, const ScanHooks& hooks = {});

// The order of the folders the read gives: ascending with letter case ignored, and names equal
// but for case in a fixed order too. A folder's path is a prefix of its children's paths, so
// it always sorts before them.
bool folderOrderLess(const QString& a, const QString& b);

// The folders that hideSystemFolders keeps out of view: the root itself, and /bin, /boot,
// /dev, /etc, /lib, /lib64, /proc, /sbin, /sys and /usr with everything below them. `folder`
// ends in "/"; a text without it ("/usr") is not one of them.
bool isProtectedSystemFolder(const QString& folder);

// The status text ("selected" panel) after a read that did not complete.
QString scanFailureText(ScanOutcome outcome);
// Shows the box that tells the user a work list is full, through platform::messages().
void showTooManyFilesMessage();

}  // namespace filelists
