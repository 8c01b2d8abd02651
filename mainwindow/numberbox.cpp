#include "mainwindow/numberbox.h"

#include <QLineEdit>

#include "mainwindow/controls.h"
#include "platform/localetext.h"

namespace mainwindow {

namespace {

// clang-format off
constexpr NumberBoxRule kNumberBoxes[] = {
    // box                          empty  minimum  only 0  maximum
    {&Controls::txtReplaceStart,    "0",   0,       false,  0},
    {&Controls::txtReplaceCount,    "0",   0,       false,  0},
    {&Controls::txtAddPos,          "0",   0,       false,  0},
    {&Controls::txtCropPos,         "0",   0,       false,  0},
    {&Controls::txtCropNumber,      "1",   1,       true,   0},
    {&Controls::txtEnumStart,       "0",   0,       false,  999999999},
    {&Controls::txtEnumStep,        "1",   1,       false,  999999},
    {&Controls::txtEnumZeros,       "0",   0,       false,  32},
    {&Controls::txtNormalize,       "0",   0,       false,  99},
};
// clang-format on

}  // namespace

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

std::span<const NumberBoxRule> modeNumberBoxes() {
    return kNumberBoxes;
}

QString numberBoxText(const Controls& ui, const QLineEdit* box) {
    for (const NumberBoxRule& rule : kNumberBoxes) {
        if (ui.*rule.box == box) {
            return repairedText(box->text(), rule);
        }
    }
    return box->text();
}

}  // namespace mainwindow
