// Suspending the game's thread.
#pragma once

namespace rt {

// Sleeps for n milliseconds (on the virtual clock under the headless backend).
void SleepMs(int milliseconds);

}  // namespace rt
