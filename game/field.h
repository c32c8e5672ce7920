// The play field the whole game is laid out on: 640 x 400 pixels, y downwards, with the ground line
// (the top edge of the status bar) at y 350.
#pragma once

namespace pellaris {

inline constexpr int kFieldWidth = 640;
inline constexpr int kFieldHeight = 400;
inline constexpr int kGroundLine = 350;

}  // namespace pellaris
