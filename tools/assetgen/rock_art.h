// The drifting rock: a brown pitted boulder in ten rotation steps, each in its own frame size.
#pragma once

#include "raster.h"

namespace assetgen {

inline constexpr int kRockSteps = 10;

// Step 0..9; the rock turns by the same angle from each step to the next, so stepping back through
// the frames and wrapping around turns it steadily the other way.
Picture DrawRock(int step, int width, int height);

}  // namespace assetgen
