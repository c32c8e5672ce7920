// What runs before the first round: the starfield backdrop and the title screen.
#pragma once

namespace pellaris {

// Draws 399 stars into sprite 1 and copies it to sprite 201. The 798 random draws are the run's first.
void MakeStarfield();
inline constexpr int kStarfieldDraws = 798;

enum class TitleResult { Play, Quit };
TitleResult RunTitleScreen();

}  // namespace pellaris
