// The per-user settings store: one text value per key, in an INI file at
// $XDG_CONFIG_HOME/Tessaly/Quenza Renamer.ini (organisation "Tessaly", application
// "Quenza Renamer"), keys at the top level. Values are written as text exactly as given.
#pragma once

#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

#include "platform/result.h"

namespace settings {

class SettingsStore {
public:
    // The user's store.
    SettingsStore();
    // A store in the given INI file (tests, tools).
    explicit SettingsStore(const QString& iniPath);
    ~SettingsStore();

    // The stored text, or nothing when the key is missing.
    std::optional<QString> read(const QString& key) const;
    void write(const QString& key, const QString& value);
    void remove(const QString& key);
    // Writes pending changes to disk; fails with a reason when the file cannot be written.
    platform::Status sync();
    QString fileName() const;

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace settings
