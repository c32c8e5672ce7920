#include <emscripten.h>

#include <algorithm>

#include "runtime/platform/web/web_facets.h"
#include "runtime/platform/web/web_library.h"

namespace rt::platform {

namespace {
// A wait for events lets the page run in steps this long; the browser's events arrive in between.
constexpr int kWaitStepMs = 10;
}  // namespace

bool WebInput::NextEvent(Event& event, int timeoutMs) {
  if (page_.Queue().Pop(event)) return true;
  if (timeoutMs == 0) return false;
  const double start = emscripten_get_now();
  for (;;) {
    const double waited = emscripten_get_now() - start;
    if (timeoutMs > 0 && waited >= timeoutMs) return false;
    const int step =
        timeoutMs > 0 ? std::min(kWaitStepMs, timeoutMs - static_cast<int>(waited)) : kWaitStepMs;
    emscripten_sleep(static_cast<unsigned>(std::max(step, 1)));
    if (page_.Queue().Pop(event)) return true;
  }
}

void WebInput::ShowCursor(bool visible) {
  cursorShown_ = visible;
  pellaris_web_show_cursor(cursorShown_ && !relative_ ? 1 : 0);
}

// Relative mode hides the pointer over the game; the motion is the browser's movementX and Y anyway.
void WebInput::SetRelativeMouse(bool on) {
  relative_ = on;
  pellaris_web_show_cursor(cursorShown_ && !relative_ ? 1 : 0);
}

}  // namespace rt::platform
