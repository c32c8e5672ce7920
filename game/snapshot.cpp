#include "game/snapshot.h"

#include "game/entities.h"
#include "game/state.h"

namespace pellaris {

GameSnapshot LookAtGame() {
  GameSnapshot look;
  look.screen = shownScreen;
  look.score = score;
  look.craftX = craftX, look.craftY = craftY, look.craftSpeedY = craftSpeedY;
  look.fireCooldown = fireCooldown;
  look.flashLevel = flashLevel;
  look.roundEndTime = roundEndTime;
  look.gameOver = gameOver == 1;
  look.backdropX = backdropX;
  return look;
}

std::array<int, kEntityKindCount> CountEntities() {
  std::array<int, kEntityKindCount> counts{};
  // Counting walks the list; its cursor is put back, since the game's next insertion goes there.
  const int cursor = ListCurrentIndex(entities);
  ListRewind(entities);
  while (const Entity* entity = ListAdvance(entities)) {
    if (entity->kind >= 0 && entity->kind < kEntityKindCount)
      ++counts[static_cast<std::size_t>(entity->kind)];
  }
  ListSelect(entities, cursor);
  return counts;
}

}  // namespace pellaris
