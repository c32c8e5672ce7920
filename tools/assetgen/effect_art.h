// Short-lived effects: the red spiked burst of an explosion (four 34 x 34 steps, growing and fading)
// and the small blue ground spark (four 15 x 6 steps).
#pragma once

#include "raster.h"

namespace assetgen {

inline constexpr int kBurstSteps = 4;
inline constexpr int kBurstSize = 34;
inline constexpr int kSparkSteps = 4;
inline constexpr int kSparkWidth = 15;
inline constexpr int kSparkHeight = 6;

Picture DrawBurst(int step);
Picture DrawSpark(int step);

}  // namespace assetgen
