// Writes the benchmark's settings into its sandboxed store before the window is made.
#pragma once

#include <initializer_list>
#include <utility>

#include <QString>

#include "settings/store.h"

inline void storeBenchSettings(std::initializer_list<std::pair<const char*, const char*>> keys) {
    settings::SettingsStore store;
    for (const auto& [key, value] : keys) {
        store.write(QString::fromLatin1(key), QString::fromLatin1(value));
    }
    (void)store.sync();
}
