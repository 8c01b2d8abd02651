#include "engine/runstate.h"

namespace engine {

RunState& runState() {
    static RunState state;
    return state;
}

}  // namespace engine
