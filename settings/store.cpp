#include "settings/store.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/errortext.h"
#include "platform/programfolder.h"

namespace settings {

namespace {

QString toText(const QVariant& value) {
    // QSettings quotes every text it writes that would read back otherwise, so a list only
    // arrives from a value edited by hand with commas outside quotes: the reader split it at
    // the commas and dropped the blanks around them. Joining with ", " gives back the usual
    // way of writing such a text.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", "));
    }
    // Other hand-written forms ("@ByteArray(...)" and the like) give what converts to text; a
    // key written as "@Invalid()" is there with an empty text.
    return value.toString();
}

std::string describe(const QString& path) {
    return platform::quoted(path.toStdString());
}

// Why QSettings may not open `path`, or "" when it may: it opens without looking, and opening a
// FIFO waits for a writer that never comes. A missing file is fine (it reads as empty and is
// created on write).
std::string refusal(const QString& path) {
    struct stat info {};
    if (::stat(platform::nativePath(path).c_str(), &info) != 0) {
        const int error = errno;
        return error == ENOENT ? std::string()
                               : describe(path) + ": " + platform::systemErrorText(error);
    }
    if (!S_ISREG(info.st_mode)) {
        return describe(path) + " is not a regular file";
    }
    return {};
}

}  // namespace

// The location is set here rather than left to QSettings, which takes a relative
// XDG_CONFIG_HOME from the current folder; it is the registry's rule as well.
SettingsStore::SettingsStore()
    : SettingsStore(platform::configFolder() + QStringLiteral("/Tessaly/Quenza Renamer.ini")) {}

SettingsStore::SettingsStore(const QString& iniPath) : path_(iniPath) {
    if (const std::string why = refusal(path_); !why.empty()) {
        readStatus_ = platform::Status::failure("cannot read the settings file " + why);
        return;
    }
    // Read at once and let go: a QSettings flushes what it holds when it is destroyed, which
    // must not reach a path that has turned into something else meanwhile.
    const QSettings file(path_, QSettings::IniFormat);
    if (file.status() == QSettings::AccessError) {
        readStatus_ = platform::Status::failure("cannot read the settings file " + describe(path_));
        return;
    }
    for (const QString& key : file.allKeys()) {
        values_.insert(key, toText(file.value(key)));
    }
}

SettingsStore::~SettingsStore() = default;

std::optional<QString> SettingsStore::read(const QString& key) const {
    const auto found = values_.constFind(key);
    if (found == values_.cend()) {
        return std::nullopt;
    }
    return *found;
}

void SettingsStore::write(const QString& key, const QString& value) {
    values_.insert(key, value);
    pending_.insert(key, value);
}

void SettingsStore::remove(const QString& key) {
    values_.remove(key);
    pending_.insert(key, std::nullopt);
}

platform::Status SettingsStore::sync() {
    // QSettings also reads the lock file it finds beside the INI file while it writes.
    for (const QString& path : {path_, path_ + QStringLiteral(".lock")}) {
        if (const std::string why = refusal(path); !why.empty()) {
            return platform::Status::failure("cannot write the settings file " + why);
        }
    }
    QSettings file(path_, QSettings::IniFormat);
    for (auto it = pending_.cbegin(); it != pending_.cend(); ++it) {
        if (it.value()) {
            file.setValue(it.key(), *it.value());
        } else {
            file.remove(it.key());
        }
    }
    file.sync();
    switch (file.status()) {
        case QSettings::NoError:
            pending_.clear();
            return platform::Status::success();
        case QSettings::AccessError:
            return platform::Status::failure("cannot write the settings file " +
                                             path_.toStdString());
        case QSettings::FormatError:
            return platform::Status::failure("the settings file " + path_.toStdString() +
                                             " is not a valid INI file");
    }
    return platform::Status::failure("the settings file " + path_.toStdString() +
                                     " could not be synchronised");
}

QString SettingsStore::fileName() const {
    return path_;
}

}  // namespace settings
