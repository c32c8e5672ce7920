// The numbers the game's pictures and sounds are loaded under.
#pragma once

namespace pellaris {

constexpr int kCraftSprite = 0;
constexpr int kStarfieldSprite = 1;  // drawn at start-up; 201 is its copy, scrolled beside it
constexpr int kStarfieldCopySprite = 201;
constexpr int kFirstExplosionSprite = 12;  // 12 to 15; the rocks are 2 to 10 (11 is never shown)
constexpr int kPopupSprite = 16;
constexpr int kClockSprite = 17;
constexpr int kBombSprite = 18;
constexpr int kSlowSprite = 19;
constexpr int kLogoSprite = 99;
constexpr int kFirstSparkSprite = 100;  // 100 to 103

constexpr int kShotSound = 0;
constexpr int kHitSound = 1;     // a rock hits the craft, or the bomb goes off
constexpr int kImpactSound = 2;  // a shot hits a rock, or a rock is destroyed

}  // namespace pellaris
