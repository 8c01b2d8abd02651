// The window's inputs by their stored names, as the settings saver reads them on closing and
// after the settings dialog's "Ok" (settings::ControlSource; the loader writes them back
// through settings::ControlSink, which the window implements).
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <optional>

#include "settings/controlsource.h"

namespace mainwindow {

struct Controls;

class InputValues : public settings::ControlSource {
public:
    // `controls` finds an input by its stored name.
    InputValues(const Controls& ui, const QHash<QString, QObject*>& controls)
        : ui_(ui), controls_(controls) {}

    std::optional<int> checkValue(const QString& name) const override;
    std::optional<QString> textValue(const QString& name) const override;
    std::optional<int> chosenOption(const QStringList& buttons) const override;
    std::optional<int> modeTabPosition() const override;
    std::optional<QDate> dateValue(const QString& name) const override;
    std::optional<QTime> timeValue(const QString& name) const override;
    std::optional<bool> showsCheckBox(const QString& name) const override;

private:
    template <class T>
    const T* control(const QString& name) const {
        return qobject_cast<const T*>(controls_.value(name));
    }

    const Controls& ui_;
    const QHash<QString, QObject*>& controls_;
};

}  // namespace mainwindow
