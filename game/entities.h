// Everything in the play field but the craft and the backdrop: rocks, explosions, score pop-ups,
// bonuses and ground sparks, all in the one entity list.
#pragma once

#include <cstdint>

#include "runtime/core/list.h"

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

// The one entity list; it lives for the whole run and is emptied at every round's start.
extern rt::List<Entity> entities;

// Gives the list's current element a fresh random start of the kind. The five random draws are made
// whatever the kind, so the generator's sequence does not depend on what is spawned.
void SpawnEntity(std::int16_t kind);
// Inserts a new element after the cursor and spawns it.
Entity& InsertEntity(std::int16_t kind);

// Draws, moves, ages, collides and retires every entity once.
void EntityPass();
// The per-frame chance of bonuses.
void BonusRoll();

}  // namespace pellaris
