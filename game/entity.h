// An entity: anything in the play field but the craft and the backdrop (rocks, explosions, score
// pop-ups, bonuses, ground sparks), and its kinds.
#pragma once

#include <cstdint>

namespace pellaris {

enum EntityKind : std::int16_t {
  KindRock = 0,
  KindExplosion = 1,
  KindClockBonus = 2,
  KindScorePopup = 3,
  KindBombBonus = 4,
  KindSlowBonus = 5,
  KindSpark = 6,
};
inline constexpr int kEntityKindCount = KindSpark + 1;

struct Entity {
  float x;
  float y;
  float frame;  // animation position or age, by kind
  float dx;     // speed to the left
  float dy;     // speed downwards
  std::int16_t hitPoints;
  std::int16_t kind;
};

}  // namespace pellaris
