// Creating an object by class identifier: look up the registered library file, load it, ask
// its class factory. The library stays loaded for the rest of the process.
#pragma once

#include <string>

#include "platform/com/com.h"

namespace com {

// On success `*object` holds one reference to the interface `iid`. On failure `*object` is
// null, the result says why (REGDB_E_CLASSNOTREG when the class is not registered,
// CO_E_DLLNOTFOUND when its library cannot be loaded, CO_E_ERRORINDLL when the library lacks
// its entry point, or what the factory answered), and `reason` (when given) says it in words.
HRESULT createInstance(const CLSID& clsid, const IID& iid, void** object,
                       std::string* reason = nullptr);

}  // namespace com
