// The saver reads the main window's inputs through this interface, the counterpart of
// ControlSink, so the settings layer needs no widgets. Each returns nothing for a name the
// window does not know; the saver counts that as a failed step.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

namespace settings {

class ControlSource {
public:
    virtual ~ControlSource() = default;

    // A check box: 0 clear, 1 ticked, 2 grayed.
    virtual std::optional<int> checkValue(const QString& name) const = 0;
    // A text box (or the path box).
    virtual std::optional<QString> textValue(const QString& name) const = 0;
    // The 0-based index of the chosen button among `buttons`.
    virtual std::optional<int> chosenOption(const QStringList& buttons) const = 0;
    // The 1-based position of the selected mode tab.
    virtual std::optional<int> modeTabPosition() const = 0;
    virtual std::optional<QDate> dateValue(const QString& name) const = 0;
    virtual std::optional<QTime> timeValue(const QString& name) const = 0;
    // Whether a date or time picker shows its check box.
    virtual std::optional<bool> showsCheckBox(const QString& name) const = 0;
};

}  // namespace settings
