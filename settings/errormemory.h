// Remembers the last failure of a sequence of steps that go on past failures, so that one
// line can report it at the end (the settings loader writes at most one error line a start).
#pragma once

#include <optional>

#include "engine/log.h"

namespace settings {

class ErrorMemory {
public:
    // Forgets what was remembered: from here on only later failures count.
    void arm() { last_.reset(); }
    void remember(const engine::ErrorInfo& error) { last_ = error; }
    const std::optional<engine::ErrorInfo>& last() const { return last_; }

private:
    std::optional<engine::ErrorInfo> last_;
};

}  // namespace settings
