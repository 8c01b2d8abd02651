// The per-user settings store: one text value per key, in an INI file at
// $XDG_CONFIG_HOME/Tessaly/Quenza Renamer.ini (organisation "Tessaly", application
// "Quenza Renamer"; ~/.config when XDG_CONFIG_HOME is unset or not absolute), keys at the top
// level. Values are written as text exactly as given.
//
// Only a regular file is ever opened: the file is read once when the store is made and written
// by sync(), each time after a look at what the path holds, so a FIFO or a folder in its place
// can neither hang the program nor be replaced.
#pragma once

#include <QMap>
#include <QString>

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

    // The stored text, or nothing when the key is missing. Changes not yet synced count.
    std::optional<QString> read(const QString& key) const;
    void write(const QString& key, const QString& value);
    void remove(const QString& key);
    // Writes pending changes to disk, merged into what the file holds by then; fails with a
    // reason when the file cannot be written. Changes that fail stay pending.
    platform::Status sync();
    QString fileName() const;
    // Whether the file could be read when the store was made. A missing file is an empty store;
    // a file that is there but is no regular file, or cannot be read, fails, and the store then
    // starts empty.
    platform::Status readStatus() const { return readStatus_; }

private:
    QString path_;
    QMap<QString, QString> values_;
    // Keys changed since the last sync: the new text, or nothing for a removed key.
    QMap<QString, std::optional<QString>> pending_;
    platform::Status readStatus_ = platform::Status::success();
};

}  // namespace settings
