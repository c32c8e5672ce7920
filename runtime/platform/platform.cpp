#include "runtime/platform/platform.h"

#include <cstdio>
#include <cstdlib>

namespace rt::platform {

namespace {
Platform* installed = nullptr;
}

Platform& Get() {
  if (!installed) {
    // A missing backend is a programming error in whoever owns main; fail loudly, not later.
    std::fputs("pellaris: no platform backend installed\n", stderr);
    std::abort();
  }
  return *installed;
}

void Install(Platform* backend) { installed = backend; }

bool Installed() { return installed != nullptr; }

}  // namespace rt::platform
