// Values of the window's inputs as the settings and the rules count them.
#pragma once

#include <QString>

#include <QCheckBox>

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

// A stored caption as a label shows it: "&&" is one ampersand, a single "&" marks the
// access key and is not shown.
QString labelCaption(const QString& stored);

}  // namespace mainwindow
