// The program-wide settings: every settings key whose target is not a control of the main
// window. Loaded once at start-up, edited by the settings dialog, saved on closing.
// Members are named after their keys.
#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace settings {

struct ProgramSettings {
    // Window geometry, twips.
    qint16 Main_Height = 0;
    qint16 Main_Width = 0;
    qint16 Main_Top = 0;
    qint16 Main_Left = 0;
    qint16 Main_Maximized = 0;
    qint16 Execute_Width = 0;
    qint16 Execute_Height = 0;
    qint16 Execute_Top = 0;
    qint16 Execute_Left = 0;
    qint16 frmexecute_maximized = 0;
    qint16 frmSettings_Top = 0;
    qint16 frmSettings_Left = 0;

    // Start-up and selection.
    bool enableRenameAllIfNoneSelected = false;
    qint16 startupInLastDir = 0;
    qint16 tabStripFilemode = 0;  // read, applied to nothing

    // Lifetime totals.
    qint32 totNumberOfFilesRenamedNew = 0;
    qint32 totNumberOfDirsRenamedNew = 0;

    // Settings of the settings dialog.
    qint16 processHidden = 0;
    qint16 processSystem = 0;
    qint16 processWriteProtected = 0;
    qint16 showFullPath = 0;
    qint16 alwaysShowDirs = 0;
    qint16 shellShowQuenza = 0;
    qint16 shellShowAuto = 0;
    qint16 usePatternForFiles = 0;
    qint16 usePatternForDirs = 0;
    qint16 uncheckSubsdirsAtStartup = 0;
    qint16 hideSystemFolders = 0;
    qint16 useSysIcons = 0;
    qint16 enableTreeview = 0;
    qint16 showAllColumns = 0;
    qint16 lwShowGuidelines = 0;
    qint16 lwFullRowSelect = 0;
    qint16 cacheIcons = 0;
    qint16 alwaysKeepOrder = 0;
    qint16 thumbsBorder = 0;
    qint16 thumbsAspect = 0;
    qint16 thumbsWidth = 0;
    qint16 thumbsHeight = 0;

    // Further values.
    qint16 getHtmlTitle_ReadSize = 0;
    std::array<qint16, 8> dirColWidth{};   // dirColWidth1 .. dirColWidth8, twips
    std::array<qint16, 8> dragColWidth{};  // dragColWidth1 .. dragColWidth8, twips
    qint32 mpegBytesToRead = 0;
    qint32 mpegFakeBitrate = 0;
    QString dragDropAddPath;

    // Folder history: pathHistorySize + 1 texts, the last always empty.
    qint16 pathHistorySize = 0;
    QStringList pathHistory;
};

}  // namespace settings
