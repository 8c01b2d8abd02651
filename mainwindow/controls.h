// Typed access to the main window's controls: one pointer per row of controllist.def, named like
// the control, plus the pop-up menus and the preview timer. Filled once when the window is
// built; every member is set from then on (the window checks it), so code uses them freely.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <array>

#include "mainwindow/controltable.h"
#include "mainwindow/tabstrip.h"
#include "platform/widgets/listview.h"

namespace mainwindow {

// The widget class the window builds for each kind of control.
template <Kind>
struct KindWidget;
// clang-format off
template <> struct KindWidget<Kind::Frame> { using type = QGroupBox; };
template <> struct KindWidget<Kind::Panel> { using type = QWidget; };
template <> struct KindWidget<Kind::ModeStack> { using type = QStackedWidget; };
template <> struct KindWidget<Kind::Label> { using type = QLabel; };
template <> struct KindWidget<Kind::Picture> { using type = QLabel; };
template <> struct KindWidget<Kind::CheckBox> { using type = QCheckBox; };
template <> struct KindWidget<Kind::Option> { using type = QRadioButton; };
template <> struct KindWidget<Kind::TextBox> { using type = QLineEdit; };
template <> struct KindWidget<Kind::PathBox> { using type = QComboBox; };
template <> struct KindWidget<Kind::DropDownList> { using type = QComboBox; };
template <> struct KindWidget<Kind::DatePicker> { using type = QDateEdit; };
template <> struct KindWidget<Kind::TimePicker> { using type = QTimeEdit; };
template <> struct KindWidget<Kind::PictureButton> { using type = QToolButton; };
template <> struct KindWidget<Kind::Button> { using type = QPushButton; };
template <> struct KindWidget<Kind::TabStrip> { using type = TabStrip; };
template <> struct KindWidget<Kind::ListView> { using type = platform::ListView; };
template <> struct KindWidget<Kind::TreeView> { using type = QTreeWidget; };
template <> struct KindWidget<Kind::StatusBar> { using type = QStatusBar; };
// clang-format on

// The menus and menu items that code reaches, by type and name of the menu table.
#define QUENZA_MENUS(X)        \
    X(QMenu, mnuPopupTreeview) \
    X(QMenu, mnuPopupListview) \
    X(QMenu, mnuPopupDragdrop) \
    X(QAction, mnuTreeviewAddRecursive)

struct Controls {
#define QUENZA_CONTROL(name, kind, ...) KindWidget<Kind::kind>::type* name = nullptr;
#include "mainwindow/controllist.def"
#undef QUENZA_CONTROL
#define QUENZA_MENU(type, name) type* name = nullptr;
    QUENZA_MENUS(QUENZA_MENU)
#undef QUENZA_MENU
    QTimer* tmrPreview = nullptr;

    // The option groups whose index the options take (Case tab, in index order).
    std::array<QRadioButton*, 7> case1() const {
        return {Case1_0, Case1_1, Case1_2, Case1_3, Case1_4, Case1_5, Case1_6};
    }
    std::array<QRadioButton*, 6> case2() const {
        return {Case2_0, Case2_1, Case2_2, Case2_3, Case2_4, Case2_5};
    }

    // Takes every member from the window's controls by name. Returns the names of members that
    // found no control of their type (empty when the tables agree).
    QStringList fill(const QHash<QString, QObject*>& byName);
};

}  // namespace mainwindow
