// The loader writes the values of the main window's inputs through this interface, so the
// settings layer needs no widgets. The main window implements it: each call sets the control
// as a user's change would, so its change handler runs at once.
#pragma once

#include <QDate>
#include <QString>
#include <QTime>

namespace settings {

class ControlSink {
public:
    virtual ~ControlSink() = default;

    // Each returns false when the control refuses the value (unknown name, value out of the
    // control's range); the loader counts that as a failed step.

    // A check box by name: 0 clear, 1 ticked, 2 grayed (attribute boxes only).
    virtual bool setCheck(const QString& name, int value) = 0;
    // A text box or the path box by name.
    virtual bool setText(const QString& name, const QString& text) = 0;
    // Chooses an option button by name (e.g. "Case1_4"); the others of its group clear.
    virtual bool selectOption(const QString& name) = 0;
    // Selects a mode tab by its 1-based position.
    virtual bool selectModeTab(int position) = 0;
    // The date picker or the time picker by name.
    virtual bool setDate(const QString& name, const QDate& date) = 0;
    virtual bool setTime(const QString& name, const QTime& time) = 0;
    // Enables or disables an input by name.
    virtual void setEnabled(const QString& name, bool enabled) = 0;
    // The caption of a label by name.
    virtual void setCaption(const QString& name, const QString& caption) = 0;
};

}  // namespace settings
