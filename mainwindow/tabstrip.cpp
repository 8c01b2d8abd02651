#include "mainwindow/tabstrip.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

#include <algorithm>

namespace mainwindow {

TabStrip::TabStrip(QWidget* parent) : QTabBar(parent) {
    // The base class lays tabs out in one row; we draw and hit-test our own rows, so its
    // scrolling, eliding and moving must stay out of the way.
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
    setExpanding(false);
    setMovable(false);
    setDrawBase(false);
    // Assistive technology asks where the tabs are; the strip answers with its own rows.
    static const bool described = [] {
        QAccessible::installFactory(tabStripAccessible);
        return true;
    }();
    (void)described;
}

int TabStrip::addKeyedTab(const QString& caption, const QString& key) {
    const int index = addTab(caption);
    setTabData(index, key);
    return index;
}

QString TabStrip::tabKey(int index) const {
    return index >= 0 && index < count() ? tabData(index).toString() : QString();
}

int TabStrip::rowHeight() const {
    // Rows of 300 twips, as the layout of the panes below expects; more for large fonts.
    return std::max(fontMetrics().height() + 6, 20);
}

QString TabStrip::shownCaption(int index) const {
    QString shown = tabText(index);
    shown.replace(QLatin1String("&&"), QLatin1String("\x01"));
    shown.remove(QLatin1Char('&'));
    shown.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return shown;
}

int TabStrip::naturalWidth(int index) const {
    // The mnemonic marker takes no room.
    return fontMetrics().horizontalAdvance(shownCaption(index)) + 10;
}

TabStrip::Layout TabStrip::computeLayout() const {
    Layout layout;
    const int n = count();
    layout.rects.resize(n);
    if (n == 0) {
        return layout;
    }
    const int available = std::max(width(), 1);

    // Fill rows greedily in tab order.
    QList<QList<int>> rows(1);
    int used = 0;
    for (int i = 0; i < n; ++i) {
        const int w = naturalWidth(i);
        if (!rows.last().isEmpty() && used + w > available) {
            rows.append(QList<int>());
            used = 0;
        }
        rows.last().append(i);
        used += w;
    }
    layout.rows = static_cast<int>(rows.size());

    // The row of the current tab moves next to the pane.
    const int current = currentIndex();
    for (int r = 0; r < rows.size(); ++r) {
        if (rows[r].contains(current) && r != rows.size() - 1) {
            rows.append(rows.takeAt(r));
            break;
        }
    }

    const int h = rowHeight();
    for (int r = 0; r < rows.size(); ++r) {
        const QList<int>& row = rows[r];
        int natural = 0;
        for (int i : row) {
            natural += naturalWidth(i);
        }
        const bool stretch = rows.size() > 1;
        int x = 0;
        int given = 0;
        for (int k = 0; k < row.size(); ++k) {
            const int i = row[k];
            int w = naturalWidth(i);
            if (stretch) {
                given += w;
                // Spread the spare room in proportion; the last tab takes what is left.
                w = k == row.size() - 1
                        ? available - x
                        : static_cast<int>(static_cast<long long>(given) * available / natural) - x;
            }
            layout.rects[i] = QRect(x, r * h, w, h);
            x += w;
        }
    }
    return layout;
}

QRect TabStrip::tabArea(int index) const {
    if (index < 0 || index >= count()) {
        return {};
    }
    return computeLayout().rects.at(index);
}

int TabStrip::rowCount() const {
    return computeLayout().rows;
}

int TabStrip::headerHeight() const {
    return std::max(rowCount(), 1) * rowHeight();
}

int TabStrip::tabAtPoint(const QPoint& point) const {
    const Layout layout = computeLayout();
    for (int i = 0; i < layout.rects.size(); ++i) {
        if (layout.rects.at(i).contains(point)) {
            return i;
        }
    }
    return -1;
}

QSize TabStrip::sizeHint() const {
    int total = 0;
    for (int i = 0; i < count(); ++i) {
        total += naturalWidth(i);
    }
    return {total, rowHeight() * 4};
}

QSize TabStrip::minimumSizeHint() const {
    return {rowHeight() * 2, rowHeight() * 2};
}

void TabStrip::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    const Layout layout = computeLayout();
    const int header = std::max(layout.rows, 1) * rowHeight();

    QStyleOptionTabWidgetFrame pane;
    pane.initFrom(this);
    pane.shape = QTabBar::RoundedNorth;
    pane.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    pane.rect = QRect(0, header - 1, width(), height() - header + 1);
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, pane);

    const int current = currentIndex();
    auto drawTab = [&](int i) {
        const QRect area = layout.rects.at(i);
        QStyleOptionTab tab;
        initStyleOption(&tab, i);
        tab.shape = QTabBar::RoundedNorth;
        tab.state &= ~QStyle::State_MouseOver;
        // Place within its row, so the style rounds the outer corners only.
        const bool first = area.left() == 0;
        const bool last = std::none_of(
            layout.rects.begin(), layout.rects.end(),
            [&](const QRect& r) { return r.top() == area.top() && r.left() > area.left(); });
        tab.position = first && last ? QStyleOptionTab::OnlyOneTab
                       : first       ? QStyleOptionTab::Beginning
                       : last        ? QStyleOptionTab::End
                                     : QStyleOptionTab::Middle;
        tab.selectedPosition = QStyleOptionTab::NotAdjacent;
        const bool selected = i == current;
        if (selected) {
            tab.state |= QStyle::State_Selected;
        } else {
            tab.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        }
        // Styles draw a tab as if it stood alone at the top of its own bar: give each one
        // that frame, and keep its drawing to its place (the selected tab may reach into the
        // pane's top edge, so that it joins the pane).
        painter.save();
        painter.translate(area.topLeft());
        painter.setClipRect(QRect(0, 0, area.width(), area.height() + (selected ? 2 : 0)));
        tab.rect = QRect(0, 0, area.width(), area.height());
        painter.drawControl(QStyle::CE_TabBarTabShape, tab);
        const QRect label = tab.rect.adjusted(2, selected ? 0 : 2, -2, 0);
        painter.drawItemText(label, Qt::AlignCenter | Qt::TextShowMnemonic, tab.palette,
                             isTabEnabled(i), tabText(i), QPalette::WindowText);
        if (selected && hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = label.adjusted(2, 3, -2, -3);
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
        painter.restore();
    };
    for (int i = 0; i < count(); ++i) {
        if (i != current) {
            drawTab(i);
        }
    }
    if (current >= 0) {
        drawTab(current);
    }
}

void TabStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const int index = tabAtPoint(event->position().toPoint());
    if (index < 0) {
        // The pane is background: clicks there belong to nobody.
        event->ignore();
        return;
    }
    if (isTabEnabled(index)) {
        setCurrentIndex(index);
        update();
    }
    event->accept();
}

void TabStrip::mouseReleaseEvent(QMouseEvent* event) {
    event->ignore();
}

void TabStrip::mouseMoveEvent(QMouseEvent* event) {
    event->ignore();
}

void TabStrip::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void TabStrip::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

}  // namespace mainwindow
