#include "game/craft.h"

#include <cstdint>

#include "game/arithmetic.h"
#include "game/asset_numbers.h"
#include "game/entities.h"
#include "game/field.h"
#include "game/state.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/sound/sound.h"
#include "runtime/sprites/sprite.h"

namespace pellaris {

namespace {

constexpr float kGround = static_cast<float>(kGroundLine);
constexpr float kFarthestTarget = 1280.0f;
constexpr std::int16_t kCooldownAfterShot = 11;
// The cooldown counts down in every frame; it only has to stay negative, so it stops well before
// the bottom of its 16-bit range instead of wrapping round to a large positive value.
constexpr std::int16_t kCooldownFloor = -30000;

bool WantsFire() {
  if (rt::KeyDown(rt::kKeyLeftCtrl)) return true;
  const bool limitedInput = rt::KeyDown(rt::kKeyRightCtrl) || rt::KeyDown(rt::kKeyRightShift) ||
                            rt::MouseButtonDown(rt::kMouseLeft);
  return limitedInput && fireCooldown < 0;
}

void InsertSpark() {
  Entity& spark = InsertEntity(KindSpark);
  spark.x = craftX;
  spark.y = craftY + static_cast<float>(rt::SpriteHeight(kCraftSprite)) + (-4.0f);
}

// The sparks mark each crossing of the ground line by the craft's bottom edge.
void GroundSparks() {
  const float bottom = craftY + static_cast<float>(rt::SpriteHeight(kCraftSprite));
  if (bottom > kGround && craftOnGround == 0) {
    InsertSpark();
    craftOnGround = 1;
  } else if (bottom <= kGround && craftOnGround == 1) {
    InsertSpark();
    craftOnGround = 0;
  }
}

bool IsTarget(const Entity& rock, float bestX) {
  return rock.kind == KindRock && craftY < rock.y && craftY + static_cast<float>(craftHeight) > rock.y &&
         craftX < rock.x && rock.x < bestX;
}

}  // namespace

void FireShot() {
  int bestIndex = -1;
  float bestX = kFarthestTarget;
  ListRewind(entities);
  while (Entity* entity = ListAdvance(entities)) {
    if (IsTarget(*entity, bestX)) {
      bestX = entity->x;
      bestIndex = ListCurrentIndex(entities);
    }
  }
  if (bestIndex == -1) return;

  Entity& target = *ListSelect(entities, bestIndex);
  target.hitPoints = static_cast<std::int16_t>(target.hitPoints - 1);
  const float hitX = static_cast<float>(Round(target.x));
  const float hitY = static_cast<float>(Round(target.y));
  Entity& impact = InsertEntity(KindExplosion);
  impact.x = hitX;
  impact.y = hitY;
  impact.frame = 3.0f;
  rt::PlaySoundEffect(kImpactSound);
}

void CraftStep() {
  if (WantsFire()) {
    rt::PlaySoundEffect(kShotSound);
    fireCooldown = kCooldownAfterShot;
    FireShot();
  }
  if (fireCooldown > kCooldownFloor) fireCooldown = static_cast<std::int16_t>(fireCooldown - 1);

  if (rt::KeyDown(rt::kKeySpace) || rt::MouseButtonDown(rt::kMouseRight)) {
    craftSpeedY = craftSpeedY + (-0.15f);
  } else if (craftSpeedY < 3.0f) {
    craftSpeedY = craftSpeedY + 0.1f;
  }

  GroundSparks();

  if (craftY > kGround) {
    craftSpeedY = craftSpeedY + (-0.3f);
    if (gameOver == 0) score = score - 4;
  } else if (gameOver == 0) {
    score = score + 1;
  }

  craftY = craftY + craftSpeedY;
  if (craftY < 0.0f) {
    craftY = 0.0f;
    craftSpeedY = 0.0f;
  }
}

}  // namespace pellaris
