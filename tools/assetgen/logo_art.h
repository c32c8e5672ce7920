// The title logo: the game's name in chrome letters between two swept wings, 185 x 28.
#pragma once

#include "raster.h"

namespace assetgen {

inline constexpr int kLogoWidth = 185;
inline constexpr int kLogoHeight = 28;

Picture DrawLogo();

}  // namespace assetgen
