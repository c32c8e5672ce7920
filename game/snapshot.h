// The game as those who run it may see it (the replay tool's log, the player's session, the checks of
// a round): its state as the last pass left it, read only. Nothing outside the game reads its
// variables by name.
#pragma once

#include <array>
#include <cstdint>

#include "game/entity.h"

namespace pellaris {

// What the last pass showed.
enum class Screen { Title, Playing, GameOver, Paused };

struct GameSnapshot {
  Screen screen = Screen::Title;  // what the last pass showed
  std::int32_t score = 0;
  float craftX = 0, craftY = 0, craftSpeedY = 0;
  std::int16_t fireCooldown = 0;
  std::int32_t flashLevel = 0;
  std::int32_t roundEndTime = 0;  // 0 before the first round
  bool gameOver = false;
  float backdropX = 0;
};

GameSnapshot LookAtGame();
// How many entities of each kind the list holds.
std::array<int, kEntityKindCount> CountEntities();

}  // namespace pellaris
