#include "mainwindow/controltable.h"

#include "engine/tokens.h"

namespace mainwindow {

namespace {

// clang-format off
constexpr ControlDef kControls[] = {
#define QUENZA_CONTROL(name, kind, container, caption, left, top, width, height, tip, state, max) \
    {#name, Kind::kind, container, caption, left, top, width, height, tip, state, max},
#include "mainwindow/controllist.def"
#undef QUENZA_CONTROL
};

constexpr const char* kReplaceGroup[] = {"optReplaceSingle", "optReplaceBatch"};
constexpr const char* kCase1Group[] = {"Case1_0", "Case1_1", "Case1_2", "Case1_3", "Case1_4", "Case1_5", "Case1_6"};
constexpr const char* kCase2Group[] = {"Case2_0", "Case2_1", "Case2_2", "Case2_3", "Case2_4", "Case2_5"};
constexpr const char* kAttribGroup[] = {"optAttrib_Attributes", "optAttrib_Date"};
constexpr const char* kAddCropGroup[] = {"optAdd", "optCrop"};
constexpr const char* kAddBegEndGroup[] = {"optAddBeginning", "optAddEnding"};
constexpr const char* kCropBegEndGroup[] = {"optCropBeginning", "optCropEnding"};
constexpr const char* kEnumTabGroup[] = {"chkEnumTab_Enum", "chkEnumTab_Normalize"};
constexpr const char* kFormatTabGroup[] = {"chkFormatTab_Format", "chkFormatTab_Detect"};

constexpr OptionGroupDef kOptionGroups[] = {
    {"optReplace", kReplaceGroup},
    {"Case1", kCase1Group},
    {"Case2", kCase2Group},
    {"optAttrib", kAttribGroup},
    {"optAddCrop", kAddCropGroup},
    {"optAddBegEnd", kAddBegEndGroup},
    {"optCropBegEnd", kCropBegEndGroup},
    {"chkEnumTab", kEnumTabGroup},
    {"chkFormatTab", kFormatTabGroup},
};

constexpr FrameOptionDef kFrameOptions[] = {
    {"Frame1", "optReplaceSingle"},
    {"Frame4", "optReplaceBatch"},
    {"Frame7", "optAdd"},
    {"Frame5", "optCrop"},
    {"Frame6", "optAttrib_Attributes"},
    {"Frame13", "optAttrib_Date"},
    {"Frame12", "chkEnumTab_Enum"},
    {"frame11", "chkEnumTab_Normalize"},
    {"Frame14", "chkFormatTab_Format"},
    {"Frame10", "chkFormatTab_Detect"},
};

constexpr TabDef kTabs[] = {
// strip                caption                  key
{"TabStripFilemode", "Directory",             "listview"},
{"TabStripFilemode", "Free Select",           "dragdrop"},
};

constexpr ColumnDef kColumns[] = {
    {"Name", "filename"},
    {"Preview", "preview"},
    {"Path", "path"},
    {"Size", "size"},
    {"Changed", "date"},
    {"Attributes", "attrib"},
    {"Extension", "ext"},
    {"Type", "type"},
    {"Size in Bytes", "sizeb"},
};

constexpr PanelDef kPanels[] = {
    {"main", 3},
    {"preview", 2},
    {"selected", 2},
};

constexpr MenuDef kMenus[] = {
{0, "mnuPopupTreeview",        "popupTreeview",                          true},
{1,   "mnuTreeviewAdd",          "Add to Free Select",                   true},
{1,   "mnuTreeviewAddRecursive", "Add Directory Contents to Free Select", true},
{1,   "mnuSep1",                 "-",                                    false},
{1,   "mnuTreeviewParentDir",    "Parent Dir",                           false},
{1,   "mnuTreeviewRefresh",      "Refresh Dir",                          false},
{1,   "mnuSep2",                 "-",                                    true},
{1,   "mnuTreeviewCopy",         "Copy Filename",                        true},
{0, "mnuPopupListview",        "popupListview",                          true},
{1,   "mnuListviewOpen",         "Open",                                 true},
{1,   "mnuSep5",                 "-",                                    true},
{1,   "mnuListviewAdd",          "Add Selected to Free Select",          true},
{1,   "mnuSep8",                 "-",                                    true},
{1,   "mnuListviewRename",       "Manual Rename  (F2)",                  true},
{1,   "mnuSep6",                 "-",                                    false},
{1,   "mnuListviewParentDir",    "Parent Dir",                           false},
{1,   "mnuListviewRefresh",      "Refresh Dir",                          false},
{1,   "mnuSep4",                 "-",                                    true},
{1,   "mnuSelect",               "Select",                               true},
{2,     "mnuSelAll",               "All         (Ctrl+A)",               true},
{2,     "mnuSelNone",              "None",                               true},
{2,     "sep10",                   "-",                                  true},
{2,     "mnuSelInvert",            "Invert",                             true},
{2,     "sep11",                   "-",                                  true},
{2,     "mnuSelPreview",           "All with Preview",                   true},
{2,     "mnuSelNoPreview",         "All without Preview",                true},
{1,   "sep7",                    "-",                                    true},
{1,   "mnuListMenu",             "List Files",                           true},
{2,     "mnuListFilenames",        "Copy Filenames",                     true},
{2,     "mnuListPreviews",         "Copy Previews",                      true},
{1,   "mnuSep14",                "-",                                    true},
{1,   "copy0",                   "Copy",                                 true},
{2,     "mnuListviewCopy",         "Filename   (Ctrl+C)",                true},
{2,     "mnuListviewCopyPreview",  "Preview",                            true},
{2,     "mnuListviewCopyPath",     "Path",                               true},
{0, "mnuPopupDragdrop",        "popupDragdrop",                          true},
{1,   "mnuDragdropOpen",         "Open",                                 true},
{1,   "mnuSep9",                 "-",                                    true},
{1,   "mnuDrapDropRename",       "Manual Rename   (F2)",                 true},
{1,   "mnuSep7",                 "-",                                    true},
{1,   "mnuDragdropRemove",       "Remove Selected   (Del)",              true},
{1,   "mnuDragdropClear",        "Clear All   (Shift+Del)",              true},
{1,   "mnuSep3",                 "-",                                    true},
{1,   "mnuFSSel",                "Select",                               true},
{2,     "mnuFsSelAll",             "All        (Ctrl+A)",                true},
{2,     "mnuFsSelNone",            "None",                               true},
{2,     "sep12",                   "-",                                  true},
{2,     "mnuFsSelInvert",          "Invert",                             true},
{2,     "sep13",                   "-",                                  true},
{2,     "mnuFSSelPreview",         "All with Preview",                   true},
{2,     "mnuFSSelNoPreview",       "All without Preview",                true},
{1,   "sep8",                    "-",                                    true},
{1,   "mnuFSListMenu",           "List Files",                           true},
{2,     "mnuFSListFilenames",      "Copy Filenames",                     true},
{2,     "mnuFSListPreviews",       "Copy Previews",                      true},
{1,   "mnuSep15",                "-",                                    true},
{1,   "mnyCopy",                 "Copy",                                 true},
{2,     "mnuDragdropCopy",         "Filename   (Ctrl+C)",                true},
{2,     "mnuDragdropCopyPreview",  "Preview",                            true},
{2,     "mnuDragdropCopyPath",     "Path",                               true},
};

constexpr PictureDef kPictures[] = {
    {"cmdRefresh", QStyle::SP_BrowserReload},
    {"cmdParentDir", QStyle::SP_FileDialogToParent},
    {"cmdShowDirReq", QStyle::SP_DirOpenIcon},
    {"cmdDragDropAdd", QStyle::SP_FileDialogNewFolder},
    {"cmdDragDropDel", QStyle::SP_DialogDiscardButton},
    {"cmdDragDropClear", QStyle::SP_DialogResetButton},
    {"cmdReplaceGetString", QStyle::SP_FileDialogContentsView},
    {"cmdReplaceGetPosition", QStyle::SP_FileDialogContentsView},
    {"cmdAddGetPosition", QStyle::SP_FileDialogContentsView},
    {"cmdCropGetPosition", QStyle::SP_FileDialogContentsView},
    {"cmdReplaceAdd", QStyle::SP_ArrowDown},
    {"cmdReplaceEdit", QStyle::SP_FileDialogDetailedView},
    {"cmdExceptionsEdit", QStyle::SP_FileDialogDetailedView},
    {"cmdGetCurrentDate", QStyle::SP_BrowserReload},
    {"cmdGetCurrentTime", QStyle::SP_BrowserReload},
    {"cmdExecute", QStyle::SP_DialogApplyButton},
    {"Picture1", QStyle::SP_MessageBoxInformation},
    {"Picture5", QStyle::SP_MessageBoxInformation},
    {"Picture6", QStyle::SP_MessageBoxInformation},
};

QStringList mp3Entries() {
    return engine::pickerEntries(engine::mp3Tokens());
}

QStringList formatEntries() {
    return engine::pickerEntries(engine::formatTokens());
}

// The parts picker offers the part markers of the format picker.
QStringList partEntries() {
    return engine::pickerEntries(engine::formatTokens(), engine::TokenRole::Part);
}

QStringList enumEntries() {
    return engine::pickerEntries(engine::enumTokens());
}

constexpr TokenPickerDef kPickers[] = {
    {"cmbAddMp3Tag", "txtMp3Format", mp3Entries},
    {"cmbFormat", "txtFormat", formatEntries},
    {"cmbFormatParts", "txtFormatParts", partEntries},
    {"cmbEnumFormat", "txtEnumFormat", enumEntries},
};
// clang-format on

}  // namespace

std::span<const ControlDef> controlTable() {
    return kControls;
}

std::span<const OptionGroupDef> optionGroups() {
    return kOptionGroups;
}

std::span<const FrameOptionDef> frameOptions() {
    return kFrameOptions;
}

std::span<const TabDef> tabTable() {
    return kTabs;
}

std::span<const ColumnDef> listColumns() {
    return kColumns;
}

std::span<const PanelDef> statusPanels() {
    return kPanels;
}

std::span<const MenuDef> menuTable() {
    return kMenus;
}

std::span<const PictureDef> pictureTable() {
    return kPictures;
}

std::span<const TokenPickerDef> tokenPickers() {
    return kPickers;
}

}  // namespace mainwindow
