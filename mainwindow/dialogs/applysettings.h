// What the settings dialog's "Ok" does with its inputs: decides whether the working folder is
// read again, rebuilds the image lists for a new thumbnail size, copies every input into the
// settings, carries the visible consequences over to the main window, takes both lists,
// saves everything and re-reads the folder when needed.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "engine/lists.h"

namespace mainwindow {

class FrmMain;

// The dialog's inputs as "Ok" reads them; check boxes hold 0 or 1, each named after its box.
struct SettingsInputs {
    int chkHidden = 0;
    int chkSystem = 0;
    int chkWriteProtected = 0;
    int chkPatternFile = 0;
    int chkPatternDir = 0;
    int chkStartupInLastDir = 0;
    int chkShellShowQuenza = 0;
    int chkShowPath = 0;
    int chkUncheckSubsdirsAtStartup = 0;
    int chkHideSystemFolders = 0;
    int chkUseSysIcons = 0;
    int chkEnableTreeview = 0;
    int chkAlwaysShowDirs = 0;
    int chkShowAllColumns = 0;
    int chkLwFullRowSelect = 0;
    int chkLwShowGuidelines = 0;
    int chkRenameAllIfNoneSelected = 0;
    int chkThumbAspect = 0;
    int chkThumbBorder = 0;
    int chkCache = 0;
    // The thumbnail size in pixels, 16 to 256.
    int thumbWidth = 64;
    int thumbHeight = 64;
    // The exceptions editor's items and the batch editor's rows, in display order.
    QStringList exceptions;
    QList<engine::BatchReplaceItem> batchReplace;
};

// A size box's text as its repair on leaving makes it: empty gives "64", a number below 16
// gives "16", one above 256 gives "256"; anything else stays as typed.
QString repairedThumbSize(const QString& text);
// The size in pixels that a size box's text stands for, repaired as above: 16 to 256 always.
int thumbSize(const QString& text);

// Applies the inputs to the window's settings, lists and controls, saves all settings and
// re-reads the working folder when a listing setting changed. Returns whether it re-read.
bool applySettings(FrmMain& window, const SettingsInputs& inputs);

}  // namespace mainwindow
