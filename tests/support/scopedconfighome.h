// Points XDG_CONFIG_HOME (where the component registry lives) at another folder for a scope, so
// a test can register servers into a registry of its own and put the old value back after.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace testsupport {

class ScopedConfigHome {
public:
    explicit ScopedConfigHome(const std::string& folder) {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
            old_ = old;
        }
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    }
    ~ScopedConfigHome() {
        if (old_) {
            setenv("XDG_CONFIG_HOME", old_->c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }
    ScopedConfigHome(const ScopedConfigHome&) = delete;
    ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;

private:
    std::optional<std::string> old_;
};

}  // namespace testsupport
