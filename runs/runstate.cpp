#include "runs/runstate.h"

#include <algorithm>
#include <limits>

namespace runs {

std::int32_t addSaturating(std::int32_t total, std::int64_t delta) {
    const std::int64_t sum = static_cast<std::int64_t>(total) + delta;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace runs
