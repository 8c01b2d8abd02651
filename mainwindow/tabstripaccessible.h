// What assistive technology is told about a TabStrip: its tabs where they are drawn. Qt's own
// description of a tab bar places the tabs in one row, so with two rows a click at the place
// reported for one tab would land on another.
#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace mainwindow {

// A factory for QAccessible::installFactory: the description of a TabStrip, null for anything
// else.
QAccessibleInterface* tabStripAccessible(const QString& className, QObject* object);

}  // namespace mainwindow
