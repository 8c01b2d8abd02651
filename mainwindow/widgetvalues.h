// Values of the window's inputs as the settings and the rules count them.
#pragma once

#include <QString>

#include <functional>

#include <QCheckBox>

class QEvent;
class QLineEdit;

namespace mainwindow {

// Check box values: 0 clear, 1 ticked, 2 grayed.
int vbValue(const QCheckBox* box);
// Sets the value; refuses anything but 0, 1 and 2. Setting 2 lets the box show grayed.
bool setVbValue(QCheckBox* box, int value);

// Whether a control is enabled by its own setting. While a run window is open the main window
// is disabled, and Qt then reports every control in it as disabled; the rules ask about the
// control's own state, which that does not change.
inline bool enabledSetting(const QWidget* control) {
    return control->isEnabledTo(control->window());
}

// An attribute box: a click ticks an unticked box and unticks a ticked or grayed one; only
// code makes it grayed ("leave the attribute as it is").
class AttributeBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {
        setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked);
    }
};

// Makes assistive technology read a check box's three states as drawn: a grayed box ("leave
// as it is") is mixed, not ticked. Once per program, before the first box is described.
void describeCheckBoxesByTheirState();

// A stored caption as a label shows it: "&&" is one ampersand, a single "&" marks the
// access key and is not shown.
QString labelCaption(const QString& stored);

// A box that has just taken the focus selects its whole text, also after a click, which
// places the caret once the focus has arrived.
void selectAllOnFocus(QLineEdit* box);
// Whether a focus-out event leaves the box for good: the window losing the focus, or a context
// menu opening to paste, does not.
bool leavesForGood(const QEvent* event);
// Runs `rule`, what leaving a box does, for the focus-out `event`. A press moves the focus
// before it reaches the button pressed; a rule that yields to the event loop lets the release
// of a quick click be handled first, and the button would stay down without a click. Such a
// button gets its click afterwards.
void leaveKeepingTheClick(const QEvent* event, const std::function<void()>& rule);

}  // namespace mainwindow
