#include "game/round_start.h"

#include <cstring>

#include "game/entities.h"
#include "game/round.h"
#include "game/state.h"
#include "game/title.h"
#include "runtime/input/mouse.h"

namespace pellaris {

namespace {

template <typename Value>
bool SameBits(const Value& a, const Value& b) {
  return std::memcmp(&a, &b, sizeof(Value)) == 0;
}

}  // namespace

bool RoundStart::operator==(const RoundStart& o) const {
  if (entities.size() != o.entities.size()) return false;
  for (std::size_t i = 0; i < entities.size(); ++i) {
    const Entity &a = entities[i], &b = o.entities[i];
    if (!SameBits(a.x, b.x) || !SameBits(a.y, b.y) || !SameBits(a.frame, b.frame) || !SameBits(a.dx, b.dx) ||
        !SameBits(a.dy, b.dy) || a.hitPoints != b.hitPoints || a.kind != b.kind) {
      return false;
    }
  }
  return random == o.random && SameBits(craftX, o.craftX) && SameBits(craftY, o.craftY) &&
         SameBits(craftSpeedY, o.craftSpeedY) && craftHeight == o.craftHeight &&
         craftOnGround == o.craftOnGround && fireCooldown == o.fireCooldown && score == o.score &&
         flashLevel == o.flashLevel && roundEndTime == o.roundEndTime && gameOver == o.gameOver &&
         restartRequested == o.restartRequested && SameBits(warningPhase, o.warningPhase) &&
         SameBits(backdropX, o.backdropX) && lastEvent == o.lastEvent && cursor == o.cursor &&
         mouseButtons == o.mouseButtons;
}

RoundStart TakeRoundStart() {
  RoundStart start;
  start.random = rt::TakeRandomState();
  start.craftX = craftX, start.craftY = craftY, start.craftSpeedY = craftSpeedY;
  start.craftHeight = craftHeight, start.craftOnGround = craftOnGround, start.fireCooldown = fireCooldown;
  start.score = score, start.flashLevel = flashLevel, start.roundEndTime = roundEndTime;
  start.gameOver = gameOver, start.restartRequested = restartRequested;
  start.warningPhase = warningPhase, start.backdropX = backdropX, start.lastEvent = lastEvent;
  start.cursor = ListCurrentIndex(entities);
  for (int button = rt::kMouseLeft; button <= rt::kMouseMiddle; ++button) {
    if (rt::MouseButtonDown(button)) start.mouseButtons.push_back(button);
  }
  ListRewind(entities);
  while (const Entity* entity = ListAdvance(entities)) start.entities.push_back(*entity);
  ListSelect(entities, start.cursor);
  return start;
}

std::uint64_t FirstRoundDraws() {
  return std::uint64_t{kStarfieldDraws} + std::uint64_t{kStartRocks} * kSpawnDraws;
}

void RestoreRoundStart(const RoundStart& start) {
  rt::RestoreRandomState(start.random);
  craftX = start.craftX, craftY = start.craftY, craftSpeedY = start.craftSpeedY;
  craftHeight = start.craftHeight, craftOnGround = start.craftOnGround, fireCooldown = start.fireCooldown;
  score = start.score, flashLevel = start.flashLevel, roundEndTime = start.roundEndTime;
  gameOver = start.gameOver, restartRequested = start.restartRequested;
  warningPhase = start.warningPhase, backdropX = start.backdropX, lastEvent = start.lastEvent;
  ListClear(entities);
  for (const Entity& entity : start.entities) *ListInsert(entities) = entity;
  ListSelect(entities, start.cursor);
  rt::RestoreMouseButtons(start.mouseButtons);
}

}  // namespace pellaris
