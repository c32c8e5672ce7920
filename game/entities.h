// Everything in the play field but the craft and the backdrop: rocks, explosions, score pop-ups,
// bonuses and ground sparks, all in the one entity list.
#pragma once

#include <cstdint>

#include "game/entity.h"
#include "runtime/core/list.h"

namespace pellaris {

// The one entity list; it lives for the whole run and is emptied at every round's start.
extern rt::List<Entity> entities;

// Gives the list's current element a fresh random start of the kind. The five random draws are made
// whatever the kind, so the generator's sequence does not depend on what is spawned.
void SpawnEntity(std::int16_t kind);
inline constexpr int kSpawnDraws = 5;
// Inserts a new element after the cursor and spawns it.
Entity& InsertEntity(std::int16_t kind);

// Draws, moves, ages, collides and retires every entity once.
void EntityPass();
// The per-frame chance of bonuses.
void BonusRoll();

}  // namespace pellaris
