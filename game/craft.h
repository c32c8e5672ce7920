// The player's craft: firing, thrust and gravity, ground sparks and scoring, motion.
#pragma once

namespace pellaris {

// One step of the craft, run in every active frame of a round (on the game-over screen too).
void CraftStep();
// An instant shot along the craft's row at the nearest rock up to x 1280.
void FireShot();

}  // namespace pellaris
