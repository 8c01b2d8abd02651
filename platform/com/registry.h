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

// Whether the key can be opened: it holds values, or keys lie below it (creating "A\B\C"
// creates "A\B" too). A registry that cannot be read holds no keys.
bool keyExists(const std::string& key);
// Removes the key and its values, but only when no key lies below it: with one it fails and
// changes nothing, as the system's RegDeleteKey does. Removing a missing key succeeds.
platform::Status deleteEmptyKey(const std::string& key);

}  // namespace com::registry
