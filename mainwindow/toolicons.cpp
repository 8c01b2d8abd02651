#include "mainwindow/toolicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace mainwindow {

namespace {

const QColor kOutline(40, 40, 40);
const QColor kBlue(30, 100, 200);
const QColor kGreen(30, 150, 50);
const QColor kRed(200, 40, 40);
const QColor kFolder(235, 185, 60);

using Drawing = std::function<void(QPainter&)>;

// Drawn on a 16 by 16 grid at each size the buttons ask for; Qt derives the disabled look.
QIcon drawn(const Drawing& draw) {
    QIcon icon;
    for (const int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void page(QPainter& painter) {
    painter.setPen(QPen(kOutline, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(2.5, 1.5, 9, 12));
}

void refresh(QPainter& painter) {
    painter.setPen(QPen(kGreen, 2, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(3, 3, 10, 10), 100 * 16, 280 * 16);
    QPainterPath head;
    head.moveTo(8, 0.5);
    head.lineTo(12, 3);
    head.lineTo(8, 5.5);
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGreen);
    painter.drawPath(head);
}

void parentFolder(QPainter& painter) {
    painter.setPen(QPen(kOutline, 1));
    painter.setBrush(kFolder);
    painter.drawRect(QRectF(1.5, 6.5, 13, 8));
    painter.drawRect(QRectF(1.5, 5, 5, 1.5));
    QPainterPath arrow;
    arrow.moveTo(8, 1);
    arrow.lineTo(12.5, 6);
    arrow.lineTo(9.5, 6);
    arrow.lineTo(9.5, 12);
    arrow.lineTo(6.5, 12);
    arrow.lineTo(6.5, 6);
    arrow.lineTo(3.5, 6);
    arrow.closeSubpath();
    painter.setPen(QPen(kOutline, 0.8));
    painter.setBrush(kBlue);
    painter.drawPath(arrow);
}

void addFiles(QPainter& painter) {
    page(painter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGreen);
    painter.drawRect(QRectF(10, 7, 2.5, 8));
    painter.drawRect(QRectF(7.25, 9.75, 8, 2.5));
}

void removeSelected(QPainter& painter) {
    page(painter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kRed);
    painter.drawRect(QRectF(7, 9.75, 8.5, 2.5));
}

void removeAll(QPainter& painter) {
    painter.setPen(QPen(kRed, 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    painter.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

}  // namespace

QIcon drawnToolIcon(const QString& control) {
    const struct {
        const char* control;
        void (*draw)(QPainter&);
    } icons[] = {
        {"cmdRefresh", refresh},         {"cmdParentDir", parentFolder},
        {"cmdDragDropAdd", addFiles},    {"cmdDragDropDel", removeSelected},
        {"cmdDragDropClear", removeAll},
    };
    for (const auto& entry : icons) {
        if (control == QLatin1String(entry.control)) {
            return drawn(entry.draw);
        }
    }
    return {};
}

}  // namespace mainwindow
