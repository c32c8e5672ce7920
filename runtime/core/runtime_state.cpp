#include "runtime/core/runtime_state.h"

#include <utility>

namespace rt {

RuntimeState& Runtime() {
  static RuntimeState state;
  return state;
}

void ResetRuntimeState() {
  // Moved out first, so that a part's destructor that looks at the runtime finds it empty, and
  // destroyed in reverse order of the members.
  RuntimeState ending = std::move(Runtime());
  Runtime() = RuntimeState();
}

}  // namespace rt
