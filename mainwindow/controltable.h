// Every control of the main window in one table: name, kind, container, caption or initial
// text, position and size in twips (15 twips to the pixel) inside the container, tooltip and
// initial state; then the option groups, the tabs, the list columns, the status panels, the
// pop-up menus and the entries of the token pickers. The window is built from these tables
// alone, so each control can be checked here at a glance.
#pragma once

#include <QRect>
#include <QStringList>
#include <QStyle>

#include <span>

namespace mainwindow {

inline constexpr int kTwipsPerPixel = 15;

inline int twipsToPixels(int twips) {
    return qRound(twips / static_cast<double>(kTwipsPerPixel));
}

inline QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

enum class Kind {
    Frame,          // QGroupBox; the caption keeps its leading blanks
    Panel,          // QWidget: a captionless mode frame, one page of the mode stack
    ModeStack,      // QStackedWidget that holds the eight mode frames
    Label,          // QLabel; "&&" shows one "&"
    Picture,        // QLabel with a picture
    CheckBox,       // QCheckBox; values 0, 1, 2 (grayed)
    Option,         // QRadioButton; grouped by the option group table
    TextBox,        // QLineEdit
    PathBox,        // editable QComboBox
    DropDownList,   // QComboBox, not editable
    DatePicker,     // QDateEdit
    TimePicker,     // QTimeEdit
    PictureButton,  // QToolButton with a picture and a tooltip
    Button,         // QPushButton
    TabStrip,       // mainwindow::TabStrip (a QTabBar)
    ListView,       // platform::ListView
    TreeView,       // QTreeWidget
    StatusBar,      // QStatusBar of the window
};

// Initial state flags.
enum State : unsigned {
    Plain = 0,
    Ticked = 1u << 0,    // check box 1
    Grayed = 1u << 1,    // check box 2
    Selected = 1u << 2,  // option button chosen
    Disabled = 1u << 3,
    Hidden = 1u << 4,
};

struct ControlDef {
    const char* name;
    Kind kind;
    const char* container;  // "" for the window's client area
    const char* caption;    // caption or initial text, as stored
    int left, top, width, height;
    const char* tip;
    unsigned state;
    int maxLength;  // text boxes: most characters, 0 for no limit
};

struct OptionGroupDef {
    const char* name;
    std::span<const char* const> options;  // in index order
};

// A frame whose option button sits on its caption line: a click on the frame chooses it.
struct FrameOptionDef {
    const char* frame;
    const char* option;
};

// The tabs of the source strip. The mode tabs, their captions included, are the rows of
// modetable.h.
struct TabDef {
    const char* strip;
    const char* caption;
    const char* key;
};

struct ColumnDef {
    const char* text;
    const char* key;
};

struct PanelDef {
    const char* key;
    int stretch;
};

// One menu entry; depth 0 is a pop-up menu, deeper entries belong to the last shallower one.
// "-" as caption is a separator line.
struct MenuDef {
    int depth;
    const char* name;
    const char* caption;
    bool visible;
};

struct PictureDef {
    const char* control;
    QStyle::StandardPixmap pixmap;
};

// A token picker and the box its tokens go into; the entries come from the token tables of
// engine/tokens.h.
struct TokenPickerDef {
    const char* picker;
    const char* box;
    QStringList (*entries)();
};

std::span<const ControlDef> controlTable();
std::span<const OptionGroupDef> optionGroups();
std::span<const FrameOptionDef> frameOptions();
std::span<const TabDef> tabTable();
// The list columns in order; the first three always, the rest with "show all columns". The
// last one is never shown.
std::span<const ColumnDef> listColumns();
inline constexpr int kBaseColumnCount = 3;
std::span<const PanelDef> statusPanels();
std::span<const MenuDef> menuTable();
std::span<const PictureDef> pictureTable();
// In the order the pickers are filled at start-up.
std::span<const TokenPickerDef> tokenPickers();

}  // namespace mainwindow
