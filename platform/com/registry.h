// A stand-in for the system registry's class registrations: a text file under
// $XDG_CONFIG_HOME/Tessaly/registry.txt (or ~/.config when XDG_CONFIG_HOME is unset, empty or
// not an absolute path) that holds keys such as "HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32"
// with named string values ("" is the key's default value). Free of Qt: the tag library
// registers itself with it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/result.h"

namespace com::registry {

// The file that holds the registrations.
std::string registryFile();

std::optional<std::string> value(const std::string& key, const std::string& name = "");
platform::Status setValue(const std::string& key, const std::string& name,
                          const std::string& value);
// Removes the key, its values and every key below it. Removing a missing key succeeds.
platform::Status deleteKey(const std::string& key);
// The names of the keys directly below `key`.
std::vector<std::string> subKeys(const std::string& key);

}  // namespace com::registry
