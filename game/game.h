// The game after its display is open: assets, starfield, the title screen once, then rounds until
// the player quits.
#pragma once

namespace pellaris {

// Loads the embedded sounds and pictures in their fixed order and places the craft from its height.
void LoadAssets();
// Everything after the display is open: a fresh entity list, the assets, the starfield, the title
// screen and rounds; returns when the player quits.
void PlayGame();

}  // namespace pellaris
