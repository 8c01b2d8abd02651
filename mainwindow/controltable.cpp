#include "mainwindow/controltable.h"

namespace mainwindow {

namespace {

using K = Kind;

// Later rows lie above earlier rows of the same container: the option buttons that sit on a
// frame's caption line follow their frame, and each pattern box follows its token picker.
// clang-format off
constexpr ControlDef kControls[] = {
// name                      kind              container          caption / text                 left   top  width height tooltip                                                  state              max
// ---- The options column (left) -------------------------------------------------------------------------------------------------------------------------------------------------
{"imgLogo",                  K::Picture,       "",                "",                             120,   120, 4335,  660, "",                                                      Plain,             0},
{"Frame8",                   K::Frame,         "",                "",                             120,   840, 4335, 1335, "",                                                      Plain,             0},
{"Label5",                   K::Label,         "Frame8",          "Include:",                     120,   180, 1800,  195, "",                                                      Plain,             0},
{"chkFiles",                 K::CheckBox,      "Frame8",          "Files",                        120,   420, 1800,  255, "",                                                      Ticked,            0},
{"chkDirs",                  K::CheckBox,      "Frame8",          "Directories",                  120,   690, 1800,  255, "",                                                      Plain,             0},
{"chkSub",                   K::CheckBox,      "Frame8",          "Subdirectories",               120,   960, 1800,  255, "",                                                      Plain,             0},
{"Label4",                   K::Label,         "Frame8",          "Process:",                    2040,   180, 2175,  195, "",                                                      Plain,             0},
{"chkProcessFilename",       K::CheckBox,      "Frame8",          "Process Name",                2040,   420, 2175,  255, "",                                                      Ticked,            0},
{"chkProcessFileExt",        K::CheckBox,      "Frame8",          "Process Extension",           2040,   690, 2175,  255, "",                                                      Ticked,            0},
{"chkOnlyRenameSelected",    K::CheckBox,      "Frame8",          "Only Rename Selected",        2040,   960, 2175,  255, "",                                                      Plain,             0},
{"TabStrip",                 K::TabStrip,      "",                "",                             120,  2280, 4335, 4215, "",                                                      Plain,             0},
{"modeFrames",               K::ModeStack,     "",                "",                             240,  2880, 4095, 3495, "",                                                      Plain,             0},
// ---- Tab Replace --------------------------------------------------------------------------------------------------------------------------------------------------------------------
{"frmFindReplace",           K::Panel,         "modeFrames",      "",                               0,     0, 4095, 3495, "",                                                      Plain,             0},
{"Frame1",                   K::Frame,         "frmFindReplace",  "     Single Replace",            0,     0, 4095, 2280, "",                                                      Plain,             0},
{"optReplaceSingle",         K::Option,        "frmFindReplace",  "",                             120,     0,  255,  225, "",                                                      Plain,             0},
{"Label1",                   K::Label,         "Frame1",          "Look for...",                  150,   300, 3000,  195, "",                                                      Plain,             0},
{"txtFind",                  K::TextBox,       "Frame1",          "",                             150,   525, 3420,  300, "",                                                      Plain,             0},
{"cmdReplaceGetString",      K::PictureButton, "Frame1",          "",                            3630,   510,  330,  330, "Open visual assist window...",                          Plain,             0},
{"Label2",                   K::Label,         "Frame1",          "... and replace with:",        150,   900, 3000,  195, "",                                                      Plain,             0},
{"txtReplace",               K::TextBox,       "Frame1",          "",                             150,  1125, 3810,  300, "",                                                      Plain,             0},
{"chkCaseSensitive",         K::CheckBox,      "Frame1",          "Case Sensitive",               150,  1500, 1800,  255, "",                                                      Plain,             0},
{"chkReplaceMode",           K::CheckBox,      "Frame1",          "Swap Mode",                   2040,  1500, 1800,  255, "",                                                      Plain,             0},
{"Label30",                  K::Label,         "Frame1",          "Start:",                       150,  1890,  510,  195, "",                                                      Plain,             0},
{"txtReplaceStart",          K::TextBox,       "Frame1",          "0",                            690,  1845,  510,  300, "",                                                      Plain,             3},
{"cmdReplaceGetPosition",    K::PictureButton, "Frame1",          "",                            1260,  1830,  330,  330, "Open visual assist window...",                          Plain,             0},
{"Label29",                  K::Label,         "Frame1",          "Count:",                      2040,  1890,  570,  195, "",                                                      Plain,             0},
{"txtReplaceCount",          K::TextBox,       "Frame1",          "0",                           2640,  1845,  510,  300, "",                                                      Plain,             3},
{"Frame4",                   K::Frame,         "frmFindReplace",  "     Batch Replace",             0,  2400, 4095,  900, "",                                                      Plain,             0},
{"optReplaceBatch",          K::Option,        "frmFindReplace",  "",                             120,  2400,  255,  225, "",                                                      Plain,             0},
{"lblBatchReplace",          K::Label,         "Frame4",          "lblBatchReplace",              150,   420, 2970,  195, "",                                                      Plain,             0},
{"cmdReplaceAdd",            K::PictureButton, "Frame4",          "",                            3180,   360,  330,  330, "Add current replace settings to batch replace list",    Plain,             0},
{"cmdReplaceEdit",           K::PictureButton, "Frame4",          "",                            3630,   360,  330,  330, "Edit batch replace list...",                            Plain,             0},
// ---- Tab Case -----------------------------------------------------------------------------------------------------------------------------------------------------------------------
{"frmConvertCase",           K::Panel,         "modeFrames",      "",                               0,     0, 4095, 3495, "",                                                      Plain,             0},
{"Frame2",                   K::Frame,         "frmConvertCase",  "Filename",                       0,     0, 2220, 2370, "",                                                      Plain,             0},
{"Case1_0",                  K::Option,        "Frame2",          "No Change",                    120,   270, 2040,  255, "",                                                      Selected,          0},
{"Case1_1",                  K::Option,        "Frame2",          "Upper case",                   120,   555, 2040,  255, "",                                                      Plain,             0},
{"Case1_2",                  K::Option,        "Frame2",          "Lower case",                   120,   840, 2040,  255, "",                                                      Plain,             0},
{"Case1_3",                  K::Option,        "Frame2",          "Capitalize sentences",         120,  1125, 2040,  255, "",                                                      Plain,             0},
{"Case1_4",                  K::Option,        "Frame2",          "Capitalize words",             120,  1410, 2040,  255, "",                                                      Plain,             0},
{"Case1_5",                  K::Option,        "Frame2",          "Invert",                       120,  1695, 2040,  255, "",                                                      Plain,             0},
{"Case1_6",                  K::Option,        "Frame2",          "Random",                       120,  1980, 2040,  255, "",                                                      Plain,             0},
{"Frame3",                   K::Frame,         "frmConvertCase",  "File Extension",            2295,     0, 1800, 2370, "",                                                      Plain,             0},
{"Case2_0",                  K::Option,        "Frame3",          "No Change",                    120,   270, 1620,  255, "",                                                      Selected,          0},
{"Case2_1",                  K::Option,        "Frame3",          "Upper case",                   120,   555, 1620,  255, "",                                                      Plain,             0},
{"Case2_2",                  K::Option,        "Frame3",          "Lower case",                   120,   840, 1620,  255, "",                                                      Plain,             0},
{"Case2_3",                  K::Option,        "Frame3",          "Capitalize",                   120,  1125, 1620,  255, "",                                                      Plain,             0},
{"Case2_4",                  K::Option,        "Frame3",          "Invert",                       120,  1410, 1620,  255, "",                                                      Plain,             0},
{"Case2_5",                  K::Option,        "Frame3",          "Random",                       120,  1695, 1620,  255, "",                                                      Plain,             0},
{"frmExceptions",            K::Frame,         "frmConvertCase",  "Exceptions",                     0,  2490, 4095,  780, "",                                                      Plain,             0},
{"chkExceptionsEnabled",     K::CheckBox,      "frmExceptions",   "Use Exceptions",               150,   360, 2250,  255, "",                                                      Plain,             0},
{"cmdExceptionsEdit",        K::PictureButton, "frmExceptions",   "",                            3630,   300,  330,  330, "Edit Exceptions...",                                    Plain,             0},
// ---- Tab Enum -----------------------------------------------------------------------------------------------------------------------------------------------------------------------
{"frmEnum",                  K::Panel,         "modeFrames",      "",                               0,     0, 4095, 3495, "",                                                      Plain,             0},
{"Frame12",                  K::Frame,         "frmEnum",         "      Sequential Renaming",      0,     0, 4095, 2130, "",                                                      Plain,             0},
{"chkEnumTab_Enum",          K::Option,        "frmEnum",         "",                             120,     0,  255,  225, "",                                                      Plain,             0},
{"Label20",                  K::Label,         "Frame12",         "Format:",                      150,   480, 1140,  195, "",                                                      Plain,             0},
{"cmbEnumFormat",            K::DropDownList,  "Frame12",         "",                            1335,   435, 2340,  315, "",                                                      Plain,             0},
{"txtEnumFormat",            K::TextBox,       "Frame12",         "",                            1350,   450, 2055,  270, "",                                                      Plain,             0},
{"Label22",                  K::Label,         "Frame12",         "Start Value:",                 150,   930, 1140,  195, "",                                                      Plain,             0},
{"txtEnumStart",             K::TextBox,       "Frame12",         "1",                           1350,   885,  900,  300, "",                                                      Plain,             9},
{"Label19",                  K::Label,         "Frame12",         "Step:",                       2430,   930,  480,  195, "",                                                      Plain,             0},
{"txtEnumStep",              K::TextBox,       "Frame12",         "1",                           2940,   885,  735,  300, "",                                                      Plain,             6},
{"chkEnumResetBetweenDirs",  K::CheckBox,      "Frame12",         "Reset Between Dirs",           150,  1290, 3000,  255, "",                                                      Plain,             0},
{"Label23",                  K::Label,         "Frame12",         "Zero Padding:          Digits", 150, 1710, 2700,  195, "",                                                      Plain,             0},
{"txtEnumZeros",             K::TextBox,       "Frame12",         "3",                           1275,  1665,  390,  300, "",                                                      Plain,             2},
{"chkEnumAutoZeros",         K::CheckBox,      "Frame12",         "Auto",                        2850,  1680,  900,  255, "",                                                      Plain,             0},
{"frame11",                  K::Frame,         "frmEnum",         "      Normalize Numbers",        0,  2250, 4095,  840, "",                                                      Plain,             0},
{"chkEnumTab_Normalize",     K::Option,        "frmEnum",         "",                             120,  2250,  255,  225, "",                                                      Plain,             0},
{"Label17",                  K::Label,         "frame11",         "Zero Padding:          Digits", 150,  420, 2700,  195, "",                                                      Plain,             0},
{"txtNormalize",             K::TextBox,       "frame11",         "3",                           1275,   375,  390,  300, "",                                                      Plain,             2},
// ---- Tab Space (key "misc") ---------------------------------------------------------------------------------------------------------------------------------------------------------
{"frmMisc",                  K::Panel,         "modeFrames",      "",                               0,     0, 4095, 3495, "",                                                      Plain,             0},
{"frmSpace",                 K::Frame,         "frmMisc",         "Space Trimming",                 0,     0, 4095, 1380, "",                                                      Plain,             0},
{"chkSpaceBeginning",        K::CheckBox,      "frmSpace",        "Remove leading spaces",        150,   330, 3750,  255, "",                                                      Plain,             0},
{"chkSpaceEnd",              K::CheckBox,      "frmSpace",        "Remove traling spaces",        150,   660, 3750,  255, "",                                                      Plain,             0},
{"chkSpaceShrink",           K::CheckBox,      "frmSpace",        "Shrink multiple spaces into one", 150,  990, 3750,  255, "",                                                      Plain,             0},
{"Picture6",                 K::Picture,       "frmMisc",         "",                             120,  1560,  480,  480, "",                                                      Plain,             0},
{"Label28",                  K::Label,         "frmMisc",         "Tip:",                         720,  1560,  600,  195, "",                                                      Plain,             0},
{"Label27",                  K::Label,         "frmMisc",         "Right click on the file list to show a popup menu!", 720, 1800, 3300, 420, "",                             Plain,             0},
// ---- Tab Attrib ---------------------------------------------------------------------------------------------------------------------------------------------------------------------
{"frmSetAttributes",         K::Panel,         "modeFrames",      "",                               0,     0, 4095, 3495, "",                                                      Plain,             0},
{"Frame6",                   K::Frame,         "frmSetAttributes", "      Attributes",              0,     0, 4095, 1020, "",                                                      Plain,             0},
{"optAttrib_Attributes",     K::Option,        "frmSetAttributes", "",                            120,     0,  255,  225, "",                                                      Plain,             0},
{"chkR",                     K::CheckBox,      "Frame6",          "Write Protect",                150,   330, 1800,  255, "",                                                      Grayed,            0},
{"chkH",                     K::CheckBox,      "Frame6",          "Hidden",                      2100,   330, 1800,  255, "",                                                      Grayed,            0},
{"chkS",                     K::CheckBox,      "Frame6",          "System",                       150,   660, 1800,  255, "",                                                      Grayed,            0},
{"chkA",                     K::CheckBox,      "Frame6",          "Archive",                     2100,   660, 1800,  255, "",                                                      Grayed,            0},
{"Frame13",                  K::Frame,         "frmSetAttributes", "      Date && Time",           0,  1140, 4095, 1860, "",                                                      Plain,             0},
{"optAttrib_Date",           K::Option,        "frmSetAttributes", "",                            120,  1140,  255,  225, "",                                                      Plain,             0},
{"chkDateDate",              K::CheckBox,      "Frame13",         "New Date:",                    150,   375, 1230,  255, "",                                                      Plain,             0},
{"dtDate",                   K::DatePicker,    "Frame13",         "",                            1440,   345, 1680,  300, "",                                                      Plain,             0},
{"cmdGetCurrentDate",        K::PictureButton, "Frame13",         "",                            3180,   330,  330,  330, "Get Current Date",                                      Plain,             0},
{"chkDateTime",              K::CheckBox,      "Frame13",         "New Time:",                    150,   765, 1230,  255, "",                                                      Plain,             0},
{"dtTime",                   K::TimePicker,    "Frame13",         "",                            1440,   735, 1680,  300, "",                                                      Plain,             0},
{"cmdGetCurrentTime",        K::PictureButton, "Frame13",         "",                            3180,   720,  330,  330, "Get Current Time",                                      Plain,             0},
{"Label18",                  K::Label,         "Frame13",         "Change:",                      150,  1170, 1500,  195, "",                                                      Plain,             0},
{"chkDateCreated",           K::CheckBox,      "Frame13",         "Created",                      150,  1440, 1230,  255, "",                                                      Plain,             0},
{"chkDateAccessed",          K::CheckBox,      "Frame13",         "Accessed",                    1440,  1440, 1230,  255, "",                                                      Plain,             0},
{"chkDateModified",          K::CheckBox,      "Frame13",         "Modified",                    2730,  1440, 1230,  255, "",                                                      Plain,             0},
// ---- Tab Add and Crop ---------------------------------------------------------------------------------------------------------------------------------------------------------------
{"frmAddCrop",               K::Panel,         "modeFrames",      "",                               0,     0, 4095, 3495, "",                                                      Plain,             0},
{"Frame7",                   K::Frame,         "frmAddCrop",      "      Add",                      0,     0, 4095, 1530, "",                                                      Plain,             0},
{"optAdd",                   K::Option,        "frmAddCrop",      "",                             120,     0,  255,  225, "",                                                      Selected,          0},
{"Label3",                   K::Label,         "Frame7",          "Insert...",                    150,   300, 1500,  195, "",                                                      Plain,             0},
{"txtAdd",                   K::TextBox,       "Frame7",          "",                             150,   525, 3810,  300, "",                                                      Plain,             0},
{"Label15",                  K::Label,         "Frame7",          "at Pos",                       150,   960,  540,  195, "",                                                      Plain,             0},
{"txtAddPos",                K::TextBox,       "Frame7",          "",                             720,   915,  510,  300, "",                                                      Plain,             3},
{"cmdAddGetPosition",        K::PictureButton, "Frame7",          "",                            1290,   900,  330,  330, "Open visual assist window...",                          Plain,             0},
{"Label6",                   K::Label,         "Frame7",          "from",                        1710,   960,  420,  195, "",                                                      Plain,             0},
{"optAddBeginning",          K::Option,        "Frame7",          "Beginning",                   2190,   930, 1800,  255, "",                                                      Selected,          0},
{"optAddEnding",             K::Option,        "Frame7",          "End of filename.",            2190,  1200, 1800,  255, "",                                                      Plain,             0},
{"Frame5",                   K::Frame,         "frmAddCrop",      "      Crop",                     0,  1620, 4095, 1320, "",                                                      Plain,             0},
{"optCrop",                  K::Option,        "frmAddCrop",      "",                             120,  1620,  255,  225, "",                                                      Plain,             0},
{"Label11",                  K::Label,         "Frame5",          "Remove",                       150,   360,  660,  195, "",                                                      Plain,             0},
{"txtCropNumber",            K::TextBox,       "Frame5",          "1",                            840,   315,  510,  300, "",                                                      Plain,             3},
{"Label13",                  K::Label,         "Frame5",          "character(s)",                1410,   360, 1500,  195, "",                                                      Plain,             0},
{"Label16",                  K::Label,         "Frame5",          "at Pos",                       150,   750,  540,  195, "",                                                      Plain,             0},
{"txtCropPos",               K::TextBox,       "Frame5",          "",                             720,   705,  510,  300, "",                                                      Plain,             3},
{"cmdCropGetPosition",       K::PictureButton, "Frame5",          "",                            1290,   690,  330,  330, "Open visual assist window...",                          Plain,             0},
{"Label12",                  K::Label,         "Frame5",          "from",                        1710,   750,  420,  195, "",                                                      Plain,             0},
{"optCropBeginning",         K::Option,        "Frame5",          "Beginning",                   2190,   720, 1800,  255, "",                                                      Selected,          0},
{"optCropEnding",            K::Option,        "Frame5",          "End of filename.",            2190,   990, 1800,  255, "",                                                      Plain,             0},
{"Picture5",                 K::Picture,       "frmAddCrop",      "",                             120,  3000,  480,  480, "",                                                      Plain,             0},
{"Label21",                  K::Label,         "frmAddCrop",      "Tip:",                         720,  3015,  330,  195, "",                                                      Plain,             0},
{"Label26",                  K::Label,         "frmAddCrop",      "Toggle 'Process Extension' to change 'End of filename'", 1050, 3015, 3000, 420, "",                        Plain,             0},
// ---- Tab Mp3 ------------------------------------------------------------------------------------------------------------------------------------------------------------------------
{"frmMp3Tag",                K::Panel,         "modeFrames",      "",                               0,     0, 4095, 3495, "",                                                      Plain,             0},
{"Frame9",                   K::Frame,         "frmMp3Tag",       "Rename Mp3's Based On Content",  0,     0, 4095, 2250, "",                                                      Plain,             0},
{"Label14",                  K::Label,         "Frame9",          "Pattern:",                     240,   360, 1500,  195, "",                                                      Plain,             0},
{"cmbAddMp3Tag",             K::DropDownList,  "Frame9",          "",                             225,   585, 3435,  315, "",                                                      Plain,             0},
{"txtMp3Format",             K::TextBox,       "Frame9",          "",                             240,   600, 3150,  270, "",                                                      Plain,             0},
{"chkMp3AddExtension",       K::CheckBox,      "Frame9",          "Add .mp3 to end of filename.", 240,   990, 3750,  255, "",                                                      Ticked,            0},
{"chkMp3OnlyFilledTags",     K::CheckBox,      "Frame9",          "Only rename if all used tags are available.", 240, 1290, 3750, 255, "",                                       Ticked,            0},
{"chkMp3OnlyMp3Files",       K::CheckBox,      "Frame9",          "Only process files with .mp3 extension.", 240, 1590, 3750, 255, "",                                           Ticked,            0},
{"chkMp3UseID3v2",           K::CheckBox,      "Frame9",          "Use ID3v2 If Available",       240,  1890, 3750,  255, "",                                                      Ticked,            0},
{"Picture1",                 K::Picture,       "frmMp3Tag",       "",                             120,  2400,  480,  480, "",                                                      Plain,             0},
{"Label8",                   K::Label,         "frmMp3Tag",       "Tip:",                         720,  2400,  600,  195, "",                                                      Plain,             0},
{"Label7",                   K::Label,         "frmMp3Tag",       "Use the 'Move to SubDir' tag to organize your Mp3 collection!", 720, 2640, 3330, 420, "",                  Plain,             0},
// ---- Tab Format ---------------------------------------------------------------------------------------------------------------------------------------------------------------------
{"frmFormat",                K::Panel,         "modeFrames",      "",                               0,     0, 4095, 3495, "",                                                      Plain,             0},
{"Frame14",                  K::Frame,         "frmFormat",       "      Format Filename",          0,     0, 4095, 1680, "",                                                      Plain,             0},
{"chkFormatTab_Format",      K::Option,        "frmFormat",       "",                             120,     0,  255,  225, "",                                                      Plain,             0},
{"cmbFormat",                K::DropDownList,  "Frame14",         "",                             240,   360, 3435,  315, "",                                                      Plain,             0},
{"txtFormat",                K::TextBox,       "Frame14",         "",                             255,   375, 3150,  270, "",                                                      Plain,             0},
{"Label24",                  K::Label,         "Frame14",         "Define Parts:",                240,   885, 1050,  195, "",                                                      Plain,             0},
{"cmbFormatParts",           K::DropDownList,  "Frame14",         "",                            1320,   840, 2355,  315, "",                                                      Plain,             0},
{"txtFormatParts",           K::TextBox,       "Frame14",         "",                            1335,   855, 2070,  270, "",                                                      Plain,             0},
{"chkFormatAllMustBeAvailable", K::CheckBox,   "Frame14",         "Only rename if all used tags are available.", 240, 1290, 3750, 255, "",                                       Plain,             0},
{"Frame10",                  K::Frame,         "frmFormat",       "      Filetype Detection",       0,  1800, 4095, 1560, "",                                                      Plain,             0},
{"chkFormatTab_Detect",      K::Option,        "frmFormat",       "",                             120,  1800,  255,  225, "",                                                      Plain,             0},
{"chkFileDetect_KeepExt",    K::CheckBox,      "Frame10",         "Keep old extension",           240,   330, 3300,  255, "",                                                      Plain,             0},
{"Label25",                  K::Label,         "Frame10",         "If simple detection fails, try advanced detection for:", 240, 660, 3750, 420, "",                          Plain,             0},
{"chkFileDetect_TryText",    K::CheckBox,      "Frame10",         "Text/Html",                    240,  1140, 1650,  255, "",                                                      Plain,             0},
{"chkFileDetect_TryMp3",     K::CheckBox,      "Frame10",         "Mp3",                         1950,  1140, 1200,  255, "",                                                      Plain,             0},
// ---- Commands and switches (lower left) ---------------------------------------------------------------------------------------------------------------------------------------------
{"cmdExecute",               K::Button,        "",                "Rename!",                      120,  6600, 1575,  495, "Rename Files & Directories (F5)",                       Plain,             0},
{"cmdUndo",                  K::Button,        "",                "Undo",                        2040,  6600,  735,  495, "Undo Last Operation",                                   Disabled,          0},
{"cmdSettings",              K::Button,        "",                "Settings",                    2880,  6600,  735,  495, "Open Settings Window",                                  Plain,             0},
{"cmdHelp",                  K::Button,        "",                "Help",                        3720,  6600,  735,  255, "Show Help (F1)",                                        Plain,             0},
{"cmdAbout",                 K::Button,        "",                "About",                       3720,  6840,  735,  255, "About Quenza Renamer",                                  Plain,             0},
{"chkSimulation",            K::CheckBox,      "",                "Simulation Mode",              120,  7200, 1575,  255, "",                                                      Hidden,            0},
// ---- Folder row and file source (right-hand side) -----------------------------------------------------------------------------------------------------------------------------------
{"TabStripFilemode",         K::TabStrip,      "",                "",                            4560,   120, 4695, 5895, "",                                                      Plain,             0},
{"lwDirectory",              K::ListView,      "",                "",                            4635,   855, 4290, 4935, "",                                                      Plain,             0},
{"TreeView",                 K::TreeView,      "",                "",                            4635,   855, 4380, 4905, "",                                                      Hidden,            0},
{"lwDragDrop",               K::ListView,      "",                "",                            4635,   840, 4215, 4935, "",                                                      Hidden,            0},
{"cmdRefresh",               K::PictureButton, "",                "",                            4680,   495,  330,  315, "Refresh Directory (F12)",                               Plain,             0},
{"cmdDragDropAdd",           K::PictureButton, "",                "",                            4680,   495,  330,  315, "Add Files",                                             Hidden,            0},
{"cmdParentDir",             K::PictureButton, "",                "",                            5040,   495,  330,  315, "Parent Directory",                                      Plain,             0},
{"cmdDragDropDel",           K::PictureButton, "",                "",                            5040,   495,  330,  315, "Remove Selected",                                       Hidden,            0},
{"cmdShowDirReq",            K::PictureButton, "",                "",                            5400,   495,  330,  315, "Change Directory",                                      Plain,             0},
{"cmdDragDropClear",         K::PictureButton, "",                "",                            5400,   495,  330,  315, "Remove All",                                            Hidden,            0},
{"txtPath",                  K::PathBox,       "",                "txtPath",                     5805,   495, 3015,  315, "",                                                      Plain,             0},
{"txtPattern",               K::TextBox,       "",                "",                            8880,   495,  525,  315, "",                                                      Plain,             0},
{"chkThumbnails",            K::CheckBox,      "",                "Thumbnails",                  6600,   135, 1215,  255, "",                                                      Plain,             0},
{"chkThumbnailsFreeSelect",  K::CheckBox,      "",                "Thumbnails",                  6600,   135, 1215,  255, "",                                                      Hidden,            0},
{"chkPreview",               K::CheckBox,      "",                "Instant Preview",             7860,   105, 1530,  315, "",                                                      Ticked,            0},
{"chkShowTreeview",          K::CheckBox,      "",                "View as Tree",                9420,   135, 1335,  255, "",                                                      Plain,             0},
{"StatusBar",                K::StatusBar,     "",                "",                               0,  8220, 9765,  375, "",                                                      Plain,             0},
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
// strip                caption                  key          option frame
{"TabStrip",         "Find && Replace",       "Replace",   "frmFindReplace"},
{"TabStrip",         "Convert Case",          "Case",      "frmConvertCase"},
{"TabStrip",         "Enum",                  "Enum",      "frmEnum"},
{"TabStrip",         "Space",                 "misc",      "frmMisc"},
{"TabStrip",         "Attributes && Date",    "Attrib",    "frmSetAttributes"},
{"TabStrip",         "Add && Crop",           "AddCrop",   "frmAddCrop"},
{"TabStrip",         "Mp3",                   "Mp3",       "frmMp3Tag"},
{"TabStrip",         "Format",                "Format",    "frmFormat"},
{"TabStripFilemode", "Directory",             "listview",  ""},
{"TabStripFilemode", "Free Select",           "dragdrop",  ""},
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
{1,   "mnuSep2",                 "-",                                    true},
{1,   "mnuTreeviewCopy",         "Copy Filename",                        true},
{1,   "mnuTreeviewRefresh",      "Refresh",                              false},
{0, "mnuPopupListview",        "popupListview",                          true},
{1,   "mnuListviewOpen",         "Open",                                 true},
{1,   "mnuSep5",                 "-",                                    true},
{1,   "mnuListviewAdd",          "Add Selected to Free Select",          true},
{1,   "mnuSep8",                 "-",                                    true},
{1,   "mnuListviewRename",       "Manual Rename  (F2)",                  true},
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

constexpr const char* kMp3Tokens[] = {
    "Artist <ARTIST>",
    "Title <TITLE>",
    "Album <ALBUM>",
    "Year <YEAR>",
    "Comment <COMMENT>",
    "Genre <GENRE>",
    "Track Number <TRACK>",
    "Track Number (Normalized) <TRACKN>",
    "Length (Long) <LENGTH>",
    "Length (Short) <LENGTHS>",
    "Bitrate <BITRATE>",
    "Stereo or Mono <STEREO>",
    "Frequency (Hz) <FREQ>",
    "Frequency (kHz) <FREQS>",
    "MPEG Version <MPEG>",
    "MPEG Layer <LAYER>",
    "MPEG Stereo Mode <SMODE>",
    "Current Filename <FILENAME>",
    "Current File Extension <FILEEXT>",
    "File Size (in Bytes) <SIZEB>",
    "File Size (in MB) <SIZE>",
    "Composer (ID3v2) <COMPOSER>",
    "Original Artist (ID3v2) <ORIGARTIST>",
    "Copyright (ID3v2) <COPYRIGHT>",
    "Encoded By (ID3v2) <ENCODEDBY>",
    "Beats Per Minute (ID3v2) <BPM>",
    "Move To SubDir <\\>",
};

constexpr const char* kFormatTokens[] = {
    "Current Filename <NAME>",
    "Current Extension <EXT>",
    "Current Full Filename <FULLNAME>",
    "Size (Auto) <SIZE>",
    "Size (Bytes) <SIZEB>",
    "Date <DATE>",
    "Time <TIME>",
    "Parent Directory Name <PARENT>",
    "Number of Files in Dir. <DIRFILES>",
    "Number of Dirs. in Dir. <DIRDIRS>",
    "Size of Files in Dir. (Auto) <DIRSIZE>",
    "Size of Files in Dir. (Bytes) <DIRSIZEB>",
    "Number of Files in Dir. & SubDirs <SDIRFILES>",
    "Number of Dirs. in Dir. & SubDirs  <SDIRDIRS>",
    "Size of Files in Dir. & SubDirs  (Auto) <SDIRSIZE>",
    "Size of Files in Dir. & SubDirs  (Bytes) <SDIRSIZEB>",
    "First Letter in Filename <FLETTER>",
    "First Letter incl. Numbers <FLETTERN1>",
    "First Letter incl. Number Subst. <FLETTERN2>",
    "Move To SubDir <\\>",
    "Random Character (A-Z) <RND>",
    "Random Number (0-9) <RND#>",
    "Image/Movie Width <WIDTH>",
    "Image/Movie Height <HEIGHT>",
    "Image/Movie Color Depth (Cols) <DEPTH>",
    "Image/Movie Color Depth (Bits) <DEPTHB>",
    "Movie/Wave Length (Long) <LENGTH>",
    "Movie/Wave Length (Short) <LENGTHS>",
    "Movie Framerate <FPS>",
    "Movie Bitrate (kBps) <BITRATE>",
    "Movie Compression <CODEC>",
    "Movie Has Sound? <SOUND>",
    "Movie/Wave Audio Stereo Mode <SMODE>",
    "Movie/Wave Audio Freq. (Hz) <FREQ>",
    "Movie/Wave Audio Freq. (kHz) <FREQS>",
    "Movie/Wave Audio Bits <BITS>",
    "Movie/Wave Audio Bitrate (kBps) <SNDBITRATE>",
    "Movie/Wave Audio Format <SNDFORMAT>",
    "Html Title <HTMLTITLE>",
    "Part 1 <%1>",
    "Part 2 <%2>",
    "Part 3 <%3>",
    "Part 4 <%4>",
    "Part 5 <%5>",
    "Part 6 <%6>",
    "Part 7 <%7>",
    "Part 8 <%8>",
    "Part 9 <%9>",
};

constexpr const char* kEnumTokens[] = {
    "Enumeration <ENUM>",
    "Current Filename <NAME>",
    "Current File Extension <EXT>",
    "Curr. Full Name <FULLNAME>",
};

// The parts picker offers the last nine entries of the format picker.
constexpr std::span<const char* const> kFormatPartTokens =
    std::span<const char* const>(kFormatTokens).last(9);

constexpr TokenPickerDef kPickers[] = {
    {"cmbAddMp3Tag", "txtMp3Format", kMp3Tokens},
    {"cmbFormat", "txtFormat", kFormatTokens},
    {"cmbFormatParts", "txtFormatParts", kFormatPartTokens},
    {"cmbEnumFormat", "txtEnumFormat", kEnumTokens},
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
