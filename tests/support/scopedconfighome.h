// Points XDG_CONFIG_HOME (where the component registry lives) at another folder for a scope, so
// a test can register servers into a registry of its own and put the old value back after.
#pragma once

#include <string>

#include "tests/support/scopedenv.h"

namespace testsupport {

class ScopedConfigHome : public ScopedEnv {
public:
    explicit ScopedConfigHome(const std::string& folder)
        : ScopedEnv("XDG_CONFIG_HOME", folder.c_str()) {}
};

}  // namespace testsupport
