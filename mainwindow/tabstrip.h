// A tab strip in the classic style: a QTabBar that spans the whole tab area, draws the pane
// below its tabs (the controls of the chosen tab lie on that pane as siblings) and wraps its
// tabs into more rows when one row is too narrow. With more than one row, every row is
// stretched to the full width and the row of the current tab sits next to the pane.
// Each tab carries a key (tabData) that the handlers compare.
#pragma once

#include <QList>
#include <QRect>
#include <QTabBar>

#include "mainwindow/tabstripaccessible.h"

namespace mainwindow {

class TabStrip : public QTabBar, public TabPlaces {
    Q_OBJECT
public:
    explicit TabStrip(QWidget* parent = nullptr);

    int addKeyedTab(const QString& caption, const QString& key);
    QString tabKey(int index) const;
    QString currentKey() const { return tabKey(currentIndex()); }
    // The caption as the tab shows it: the mnemonic marker gone, a doubled one as one "&".
    QString shownCaption(int index) const;

    // Where tab `index` is drawn, in widget coordinates; empty for an invalid index.
    QRect tabArea(int index) const override;
    int rowCount() const;
    // Height of the tab rows above the pane.
    int headerHeight() const;
    // The tab under a point of the widget, or -1.
    int tabAtPoint(const QPoint& point) const override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    struct Layout {
        QList<QRect> rects;  // per tab index
        int rows = 0;
    };
    Layout computeLayout() const;
    int rowHeight() const;
    int naturalWidth(int index) const;
};

}  // namespace mainwindow
