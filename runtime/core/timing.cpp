#include "runtime/core/timing.h"

#include "runtime/platform/platform.h"

namespace rt {

void SleepMs(int milliseconds) {
  if (milliseconds > 0) platform::Clock().SleepMs(milliseconds);
}

}  // namespace rt
