#include "mainwindow/dialogs/applysettings.h"

#include <algorithm>
#include <cmath>

#include "filelists/imagelist.h"
#include "mainwindow/controltable.h"
#include "mainwindow/foldersource.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/modepanels.h"
#include "mainwindow/optionpanels.h"
#include "mainwindow/windowkeys.h"
#include "platform/localetext.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"
#include "settings/textlists.h"

namespace mainwindow {

namespace {

constexpr int kThumbMinimum = 16;
constexpr int kThumbMaximum = 256;
const NumberBoxRule kThumbSizeRule{nullptr, "64", kThumbMinimum, false, kThumbMaximum};

qint16 boxSetting(int value) {
    return static_cast<qint16>(value);
}

}  // namespace

QString repairedThumbSize(const QString& text) {
    return repairedText(text, kThumbSizeRule);
}

int thumbSize(const QString& text) {
    return static_cast<int>(
        platform::boxNumber(repairedThumbSize(text), kThumbMinimum, kThumbMaximum));
}

namespace {

// The folder is read again when what the listing shows changes.
bool listingChanges(const SettingsInputs& in, const settings::ProgramSettings& s) {
    return in.chkHidden != s.processHidden || in.chkSystem != s.processSystem ||
           in.chkWriteProtected != s.processWriteProtected ||
           in.chkPatternFile != s.usePatternForFiles || in.chkPatternDir != s.usePatternForDirs ||
           in.chkAlwaysShowDirs != s.alwaysShowDirs ||
           in.chkHideSystemFolders != s.hideSystemFolders || in.chkUseSysIcons != s.useSysIcons ||
           in.chkEnableTreeview != s.enableTreeview || in.chkShowAllColumns != s.showAllColumns;
}

void storeThumbSettings(settings::ProgramSettings& s, const SettingsInputs& in, int width,
                        int height) {
    s.thumbsWidth = static_cast<qint16>(width);
    s.thumbsHeight = static_cast<qint16>(height);
    s.thumbsAspect = boxSetting(in.chkThumbAspect);
    s.thumbsBorder = boxSetting(in.chkThumbBorder);
}

// A new thumbnail size needs image lists of that size, before the folder is read again. True
// when the thumbnails look different.
bool applyThumbnails(FrmMain& window, const SettingsInputs& in, int width, int height) {
    settings::ProgramSettings& s = window.settings();
    bool changed = false;
    if (width != s.thumbsWidth || height != s.thumbsHeight) {
        storeThumbSettings(s, in, width, height);
        const QSize large = filelists::largeImageSize(s);
        filelists::initSysIcons(window.sourceImages(0), large, window.ui().lwDirectory);
        filelists::initSysIconsFreeSel(window.sourceImages(1), large, window.ui().lwDragDrop);
        changed = true;
    }
    return changed || in.chkThumbAspect != s.thumbsAspect || in.chkThumbBorder != s.thumbsBorder;
}

// What the folder read lists, and the pattern box that goes with it.
void applyListing(FrmMain& window, const SettingsInputs& in) {
    settings::ProgramSettings& s = window.settings();
    // The read shows a hidden system folder's path in red; without the rule it is plain again.
    if (in.chkHideSystemFolders == 0) {
        window.folderSource().setPathRed(false);
    }
    s.processHidden = boxSetting(in.chkHidden);
    s.processSystem = boxSetting(in.chkSystem);
    s.processWriteProtected = boxSetting(in.chkWriteProtected);
    s.showFullPath = boxSetting(in.chkShowPath);
    s.alwaysShowDirs = boxSetting(in.chkAlwaysShowDirs);
    s.usePatternForFiles = boxSetting(in.chkPatternFile);
    s.usePatternForDirs = boxSetting(in.chkPatternDir);
    // The pattern box belongs to the Directory source; while Free Select is shown it stays
    // hidden and disabled, and switching back sets it from these settings.
    if (window.state().fileMode == 0) {
        window.ui().txtPattern->setEnabled(s.usePatternForFiles != 0 || s.usePatternForDirs != 0);
    }
}

void applyStartAndTree(FrmMain& window, const SettingsInputs& in) {
    settings::ProgramSettings& s = window.settings();
    Controls& ui = window.ui();
    s.startupInLastDir = boxSetting(in.chkStartupInLastDir);
    s.uncheckSubsdirsAtStartup = boxSetting(in.chkUncheckSubsdirsAtStartup);
    s.hideSystemFolders = boxSetting(in.chkHideSystemFolders);
    s.useSysIcons = boxSetting(in.chkUseSysIcons);
    s.enableTreeview = boxSetting(in.chkEnableTreeview);
    if (s.enableTreeview != 0) {
        // "View as Tree" belongs to the Directory source, like the pattern box.
        if (window.state().fileMode == 0) {
            ui.chkShowTreeview->setVisible(true);
        }
    } else {
        // Its handler takes the Directory source back from the tree to the list.
        setVbValue(ui.chkShowTreeview, 0);
        ui.chkShowTreeview->setVisible(false);
    }
}

// The lists' columns, selection and grid lines.
void applyListLook(FrmMain& window, const SettingsInputs& in) {
    settings::ProgramSettings& s = window.settings();
    Controls& ui = window.ui();
    if (in.chkShowAllColumns != s.showAllColumns) {
        window.showDetailColumns(in.chkShowAllColumns != 0);
    }
    s.showAllColumns = boxSetting(in.chkShowAllColumns);
    s.lwFullRowSelect = boxSetting(in.chkLwFullRowSelect);
    s.lwShowGuidelines = boxSetting(in.chkLwShowGuidelines);
    for (platform::ListView* list : {ui.lwDirectory, ui.lwDragDrop}) {
        list->setFullRowSelect(s.lwFullRowSelect == 1);
        list->setGridLines(s.lwShowGuidelines == 1);
    }
}

// The exceptions and the batch replace list; true when either changed.
bool applyTextLists(FrmMain& window, const SettingsInputs& in) {
    engine::TextLists& lists = window.lists();
    // A list refused at start is written again only once the user has changed it here: the
    // dialog showed it empty, and an unchanged empty list is no reason to empty its file.
    QStringList shownExceptions = lists.exceptionsList;
    shownExceptions.removeAll(QString());
    const bool exceptionsChanged = in.exceptions != shownExceptions;
    if (exceptionsChanged) {
        lists.exceptionsUnread = false;
    }
    QList<engine::BatchReplaceItem> shownBatch = lists.batchReplaceList;
    shownBatch.removeIf([](const engine::BatchReplaceItem& item) { return item.find.isEmpty(); });
    const bool batchChanged = in.batchReplace != shownBatch;
    if (batchChanged) {
        lists.batchReplaceUnread = false;
    }
    lists.exceptionsList = in.exceptions;
    if (lists.exceptionsList.isEmpty()) {
        lists.exceptionsList.append(QString());
    }
    lists.batchReplaceList = in.batchReplace;
    window.setCaption(
        QStringLiteral("lblBatchReplace"),
        settings::batchReplaceCaption(static_cast<int>(lists.batchReplaceList.size())));
    return exceptionsChanged || batchChanged;
}

}  // namespace

bool applySettings(FrmMain& window, const SettingsInputs& in) {
    const platform::BusyScope busy;
    settings::ProgramSettings& s = window.settings();
    const int thumbWidth = std::clamp(in.thumbWidth, kThumbMinimum, kThumbMaximum);
    const int thumbHeight = std::clamp(in.thumbHeight, kThumbMinimum, kThumbMaximum);

    bool refresh = listingChanges(in, s);
    if (applyThumbnails(window, in, thumbWidth, thumbHeight)) {
        refresh = true;
    }
    applyListing(window, in);
    applyStartAndTree(window, in);
    s.enableRenameAllIfNoneSelected = in.chkRenameAllIfNoneSelected != 0;
    storeThumbSettings(s, in, thumbWidth, thumbHeight);
    s.cacheIcons = boxSetting(in.chkCache);
    applyListLook(window, in);
    s.shellShowQuenza = boxSetting(in.chkShellShowQuenza);
    const bool listsChanged = applyTextLists(window, in);

    window.windowKeys().saveSettings();
    if (refresh) {
        window.folderSource().readDirectoryStructure();
        window.folderSource().updateTreeview();
    }
    // The Case and Replace tabs name by these lists: the preview shown is stale.
    if (listsChanged) {
        window.modePanels().optionsChanged();
    }
    return refresh;
}

}  // namespace mainwindow
