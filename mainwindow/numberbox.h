// The rules of the numeric text boxes, in the mode panels and the dialogs alike: only digits
// get in, and a box left empty or out of range is repaired to a value its reader accepts.
#pragma once

#include <QString>
#include <QValidator>

#include <span>

class QLineEdit;

namespace mainwindow {

struct Controls;

// The repair a numeric box gets when it is left: its text when empty, its lower bound (for
// the crop count: the value 0 alone is repaired) and its upper bound (0: none).
struct NumberBoxRule {
    QLineEdit* Controls::*box;
    const char* empty;
    double minimum;
    bool onlyZeroIsLow;
    double maximum;
};

// Only the digits of whatever reaches a numeric box, typed, pasted or dropped alike: a "-1"
// pasted into a position becomes "1" as it would had it been typed.
class DigitsOnly : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

// The text a numeric box holds after its repair: what the transforms read, so that a value
// typed but not yet repaired (the box still has the focus) never reaches a name.
QString repairedText(const QString& text, const NumberBoxRule& rule);

// The rules of the mode panels' numeric boxes.
std::span<const NumberBoxRule> modeNumberBoxes();
// The repaired text of one of the mode panels' numeric boxes (the box's own text for any other
// box).
QString numberBoxText(const Controls& ui, const QLineEdit* box);

}  // namespace mainwindow
