#include "runtime/platform/platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rt::platform {

namespace {
Platform* installed = nullptr;
}

// A backend without input devices reports every key up and no mouse activity.
void Platform::ReadKeyState(std::uint8_t state[256]) {
  std::memset(state, 0, 256);
}

int Platform::TakeMouseEvents(MouseEvent*, int) {
  return 0;
}

Platform& Get() {
  if (!installed) {
    // A missing backend is a programming error in whoever owns main; fail loudly, not later.
    std::fputs("pellaris: no platform backend installed\n", stderr);
    std::abort();
  }
  return *installed;
}

void Install(Platform* backend) {
  installed = backend;
}

bool Installed() {
  return installed != nullptr;
}

}  // namespace rt::platform
