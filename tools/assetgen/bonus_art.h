// The pop-up score and the three bonus items.
#pragma once

#include "raster.h"

namespace assetgen {

// Mid-grey ground of the score pop-up, which is always drawn translucent.
inline constexpr Color kPopupGround{128, 128, 128};

Picture DrawFifty();      // 16 x 8: "50" in white on mid-grey
Picture DrawStopwatch();  // 17 x 15: a brass stopwatch
Picture DrawSkull();      // 18 x 20: a white skull
Picture DrawStopSign();   // 20 x 14: a red octagonal STOP sign

}  // namespace assetgen
