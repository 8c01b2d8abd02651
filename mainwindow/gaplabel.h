// A label whose caption leaves a run of blanks for a control that sits on it ("Zero Padding:
// [box] Digits"). Fonts differ in the width of a blank, so the text after the blanks is drawn
// no further left than the end of the gap the window gives it; the caption itself, as the
// settings and the accessibility tree read it, stays as stored.
#pragma once

#include <QLabel>

namespace mainwindow {

class GapLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Whether a caption has a run of two or more blanks between two texts.
    static bool hasGap(const QString& caption);

    // The x (label coordinates) left of which the text after the blanks must not start.
    void setGapEnd(int x);
    // Where the text after the blanks is drawn; -1 without a gap.
    int trailingTextX() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The caption cut around its first run of blanks: the text before it, and after it.
    bool split(QString& lead, QString& trail, int& naturalTrailX) const;

    int gapEnd_ = 0;
};

}  // namespace mainwindow
