// Pixel-exact collision of two placed sprites: they collide when some screen position holds a solid
// pixel of each. A pixel is solid when its colour differs from the key 0, the fourth byte of a 32-bit
// pixel left out (it is no part of the colour); a sprite without a key is solid everywhere. Positions
// are not clipped to the screen.
#pragma once

#include "runtime/core/object_table.h"
#include "runtime/sprites/sprite.h"

namespace rt {

// 1 when sprite1 at (x1, y1) and sprite2 at (x2, y2) overlap in a pixel solid in both, else 0 (also
// for an absent number). Boxes that only touch along an edge never collide.
int SpritesCollide(ObjectNumber sprite1, int x1, int y1, ObjectNumber sprite2, int x2, int y2);

// The same on sprite records, which may be one and the same.
int SpriteRecordsCollide(Sprite& first, int x1, int y1, Sprite& second, int x2, int y2);

}  // namespace rt
