// Values of the window's inputs as the settings and the rules count them.
#pragma once

#include <QString>

class QCheckBox;

namespace mainwindow {

// Check box values: 0 clear, 1 ticked, 2 grayed.
int vbValue(const QCheckBox* box);
// Sets the value; refuses anything but 0, 1 and 2. Setting 2 lets the box show grayed.
bool setVbValue(QCheckBox* box, int value);

// A stored caption as a label shows it: "&&" is one ampersand, a single "&" marks the
// access key and is not shown.
QString labelCaption(const QString& stored);

}  // namespace mainwindow
