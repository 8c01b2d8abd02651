#include "mainwindow/inputvalues.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimeEdit>

#include "mainwindow/controls.h"
#include "mainwindow/widgetvalues.h"

namespace mainwindow {

std::optional<int> InputValues::checkValue(const QString& name) const {
    if (const auto* box = control<QCheckBox>(name)) {
        return vbValue(box);
    }
    return std::nullopt;
}

std::optional<QString> InputValues::textValue(const QString& name) const {
    if (const auto* box = control<QLineEdit>(name)) {
        return box->text();
    }
    if (const auto* combo = control<QComboBox>(name); combo && combo->isEditable()) {
        return combo->currentText();
    }
    return std::nullopt;
}

std::optional<int> InputValues::chosenOption(const QStringList& buttons) const {
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const auto* option = control<QRadioButton>(buttons.at(i));
        if (!option) {
            return std::nullopt;
        }
        if (option->isChecked()) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::optional<int> InputValues::modeTabPosition() const {
    return ui_.TabStrip->currentIndex() + 1;
}

std::optional<QDate> InputValues::dateValue(const QString& name) const {
    if (const auto* picker = control<QDateEdit>(name)) {
        return picker->date();
    }
    return std::nullopt;
}

std::optional<QTime> InputValues::timeValue(const QString& name) const {
    if (const auto* picker = control<QTimeEdit>(name)) {
        return picker->time();
    }
    return std::nullopt;
}

std::optional<bool> InputValues::showsCheckBox(const QString& name) const {
    // The pickers show no check box of their own; the date and time boxes beside them say
    // whether each part is set.
    if (control<QDateEdit>(name) || control<QTimeEdit>(name)) {
        return false;
    }
    return std::nullopt;
}

}  // namespace mainwindow
