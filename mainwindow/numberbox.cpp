#include "mainwindow/numberbox.h"

#include "platform/localetext.h"

namespace mainwindow {

QValidator::State DigitsOnly::validate(QString& input, int& position) const {
    QString digits;
    digits.reserve(input.size());
    int caret = position;
    for (int i = 0; i < input.size(); ++i) {
        if (input.at(i) >= u'0' && input.at(i) <= u'9') {
            digits += input.at(i);
        } else if (i < position) {
            --caret;
        }
    }
    input = digits;
    position = caret;
    return Acceptable;
}

QString repairedText(const QString& text, const NumberBoxRule& rule) {
    QString repaired = text;
    if (repaired.isEmpty()) {
        repaired = QString::fromLatin1(rule.empty);
    }
    const double value = platform::vbVal(repaired);
    if (rule.onlyZeroIsLow ? value == 0 : value < rule.minimum) {
        repaired = QString::number(static_cast<qint64>(rule.minimum));
    }
    if (rule.maximum > 0 && platform::vbVal(repaired) > rule.maximum) {
        repaired = QString::number(static_cast<qint64>(rule.maximum));
    }
    return repaired;
}

}  // namespace mainwindow
