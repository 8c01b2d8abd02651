#include "mainwindow/gaplabel.h"

#include <QPainter>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOption>

namespace mainwindow {

namespace {

const QRegularExpression& blankRun() {
    static const QRegularExpression run(QStringLiteral("\\S( {2,})\\S"));
    return run;
}

}  // namespace

bool GapLabel::hasGap(const QString& caption) {
    return blankRun().match(caption).hasMatch();
}

void GapLabel::setGapEnd(int x) {
    gapEnd_ = x;
    update();
}

bool GapLabel::split(QString& lead, QString& trail, int& naturalTrailX) const {
    const QString caption = text();
    const QRegularExpressionMatch match = blankRun().match(caption);
    if (!match.hasMatch()) {
        return false;
    }
    lead = caption.left(match.capturedStart(1));
    trail = caption.mid(match.capturedEnd(1));
    naturalTrailX =
        contentsRect().left() + fontMetrics().horizontalAdvance(caption.left(match.capturedEnd(1)));
    return true;
}

int GapLabel::trailingTextX() const {
    QString lead;
    QString trail;
    int natural = 0;
    if (!split(lead, trail, natural)) {
        return -1;
    }
    return std::max(natural, gapEnd_);
}

void GapLabel::paintEvent(QPaintEvent* event) {
    QString lead;
    QString trail;
    int natural = 0;
    if (!split(lead, trail, natural) || natural >= gapEnd_) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    const QRect area = contentsRect();
    const int flags = static_cast<int>(alignment()) | Qt::TextSingleLine;
    style()->drawItemText(&painter, area, flags, option.palette, isEnabled(), lead,
                          foregroundRole());
    style()->drawItemText(&painter, area.adjusted(gapEnd_ - area.left(), 0, 0, 0), flags,
                          option.palette, isEnabled(), trail, foregroundRole());
}

}  // namespace mainwindow
