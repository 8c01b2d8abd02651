// What assistive technology is told about a tab bar that draws its tabs in places of its own
// (TabStrip): its tabs where they are drawn. Qt's own description of a tab bar places the tabs
// in one row, so with two rows a click at the place reported for one tab would land on another.
#pragma once

class QAccessibleInterface;
class QObject;
class QPoint;
class QRect;
class QString;

namespace mainwindow {

// What the description asks of such a tab bar, beside what every QTabBar answers.
class TabPlaces {
public:
    // Where tab `index` is drawn, in widget coordinates; empty for an invalid index.
    virtual QRect tabArea(int index) const = 0;
    // The tab under a point of the widget, or -1.
    virtual int tabAtPoint(const QPoint& point) const = 0;

protected:
    ~TabPlaces() = default;
};

// A factory for QAccessible::installFactory: the description of a QTabBar that is also
// TabPlaces, null for anything else.
QAccessibleInterface* tabStripAccessible(const QString& className, QObject* object);

}  // namespace mainwindow
