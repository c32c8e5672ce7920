// The player's craft: a grey jet fighter in profile, nose to the right, 29 x 21.
#pragma once

#include "raster.h"

namespace assetgen {

inline constexpr int kCraftWidth = 29;
inline constexpr int kCraftHeight = 21;

Picture DrawCraft();

}  // namespace assetgen
