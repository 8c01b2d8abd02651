#include "settings/store.h"

#include <QStringList>
#include <QVariant>

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

}  // namespace

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("Tessaly"),
                                            QStringLiteral("Quenza Renamer"))) {
    // Only the user's own file counts: a key missing there takes its default, not a value
    // from an organisation-wide or system-wide file.
    settings_->setFallbacksEnabled(false);
}

SettingsStore::SettingsStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

std::optional<QString> SettingsStore::read(const QString& key) const {
    if (!settings_->contains(key)) {
        return std::nullopt;
    }
    return toText(settings_->value(key));
}

void SettingsStore::write(const QString& key, const QString& value) {
    settings_->setValue(key, value);
}

void SettingsStore::remove(const QString& key) {
    settings_->remove(key);
}

platform::Status SettingsStore::sync() {
    settings_->sync();
    switch (settings_->status()) {
        case QSettings::NoError:
            return platform::Status::success();
        case QSettings::AccessError:
            return platform::Status::failure("cannot write the settings file " +
                                             settings_->fileName().toStdString());
        case QSettings::FormatError:
            return platform::Status::failure("the settings file " +
                                             settings_->fileName().toStdString() +
                                             " is not a valid INI file");
    }
    return platform::Status::failure("the settings file " + settings_->fileName().toStdString() +
                                     " could not be synchronised");
}

QString SettingsStore::fileName() const {
    return settings_->fileName();
}

}  // namespace settings
