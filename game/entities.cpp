#include "game/entities.h"

#include "game/arithmetic.h"
#include "game/asset_numbers.h"
#include "game/field.h"
#include "game/state.h"
#include "runtime/core/random.h"
#include "runtime/sound/sound.h"
#include "runtime/sprites/blit.h"
#include "runtime/sprites/collision.h"

namespace pellaris {

namespace {

bool TouchesCraft(int sprite, const Entity& entity) {
  return rt::SpritesCollide(kCraftSprite, Round(craftX), Round(craftY), sprite, Round(entity.x),
                            Round(entity.y)) != 0;
}

void Draw(int sprite, const Entity& entity) {
  rt::DrawSprite(sprite, Round(entity.x), Round(entity.y));
}

void Drift(Entity& entity) {
  entity.x = entity.x - entity.dx;
  entity.y = entity.y + entity.dy;
}

void BombSweep() {
  ListRewind(entities);
  while (Entity* entity = ListAdvance(entities)) {
    if (entity->kind == KindExplosion) continue;
    if (rt::RandomInt(100) >= 70) continue;
    entity->kind = KindExplosion;
    entity->frame = static_cast<float>(rt::RandomInt(4));
    InsertEntity(KindRock);
  }
}

void SlowSweep() {
  ListRewind(entities);
  while (Entity* entity = ListAdvance(entities)) {
    entity->dx = entity->dx / 1.7f;
    entity->dy = entity->dy / 1.6f;
  }
}

// A rock touching the craft turns into an explosion in place and brings a replacement.
void RockHitsCraft(Entity& rock) {
  rock.kind = KindExplosion;
  rock.frame = 0.0f;
  InsertEntity(KindRock);
  score = score - 100;
  flashLevel = 180;
  rt::PlaySoundEffect(kHitSound);
}

// A rock whose hit points ran out explodes, leaves a score pop-up and brings a replacement.
void RockDestroyed(Entity& rock) {
  const int bx = Round(rock.x);
  const int by = Round(rock.y);
  rock.kind = KindExplosion;
  rock.frame = 0.0f;
  Entity& popup = InsertEntity(KindScorePopup);
  popup.x = static_cast<float>(bx);
  popup.y = static_cast<float>(by);
  InsertEntity(KindRock);
  rt::PlaySoundEffect(kImpactSound);
  score = score + 50;
}

void StepRock(Entity& rock) {
  const int sprite = Round(rock.frame + 2.0f);  // the rock pictures are sprites 2 to 10
  if (TouchesCraft(sprite, rock)) {
    RockHitsCraft(rock);
    return;
  }
  Draw(sprite, rock);
  Drift(rock);
  rock.frame = rock.frame + (-0.3f);
  if (rock.frame < 0.0f) rock.frame = 7.9f;
  if (rock.hitPoints < 0) {
    RockDestroyed(rock);
  } else if (rock.x < -30.0f || rock.y < -30.0f || rock.y > static_cast<float>(kFieldHeight)) {
    SpawnEntity(KindRock);  // recycled in place
  }
}

void StepExplosion(Entity& explosion) {
  Draw(TruncateToInt(explosion.frame) + kFirstExplosionSprite, explosion);
  Drift(explosion);
  explosion.frame = explosion.frame + 0.3f;
  if (!(explosion.frame < 4.0f)) ListRemoveCurrent(entities);
}

void StepPopup(Entity& popup) {
  rt::DrawSpriteTranslucent(kPopupSprite, Round(popup.x), Round(popup.y),
                            Round(255.0f - popup.frame * 40.0f));
  popup.x = popup.x + (-1.0f);
  popup.y = popup.y + (-0.7f);
  popup.frame = popup.frame + 0.2f;
  if (!(popup.frame < 6.0f)) ListRemoveCurrent(entities);
}

void StepSpark(Entity& spark) {
  Draw(TruncateToInt(spark.frame) + kFirstSparkSprite, spark);
  spark.frame = spark.frame + 0.2f;
  if (!(spark.frame < 4.0f)) ListRemoveCurrent(entities);
}

// A bonus drifts until it leaves the field to the left; the craft collects it by touching it.
// Returns true when collecting it ends the pass for this frame.
bool StepBonus(Entity& bonus, int sprite) {
  if (TouchesCraft(sprite, bonus)) {
    ListRemoveCurrent(entities);
    switch (sprite) {
      case kClockSprite:
        roundEndTime = roundEndTime + 10;
        return false;
      case kBombSprite:
        BombSweep();
        rt::PlaySoundEffect(kHitSound);
        return true;
      default:
        SlowSweep();
        return true;
    }
  }
  Draw(sprite, bonus);
  Drift(bonus);
  if (bonus.x < -20.0f) ListRemoveCurrent(entities);
  return false;
}

}  // namespace

rt::List<Entity> entities;

void SpawnEntity(std::int16_t kind) {
  Entity& entity = *ListCurrent(entities);
  entity.kind = kind;
  entity.frame = 0.0f;
  entity.x = static_cast<float>(rt::RandomInt(kFieldWidth)) + static_cast<float>(kFieldWidth);
  entity.y = static_cast<float>(rt::RandomInt(kFieldHeight)) + (-70.0f);
  entity.dx = static_cast<float>(rt::RandomInt(9)) / 10.0f + 5.0f;
  entity.dy = static_cast<float>(rt::RandomInt(2)) / 10.0f + (-0.1f);
  entity.hitPoints = static_cast<std::int16_t>(rt::RandomInt(4));
}

Entity& InsertEntity(std::int16_t kind) {
  Entity& entity = *ListInsert(entities);
  SpawnEntity(kind);
  return entity;
}

void EntityPass() {
  ListRewind(entities);
  while (Entity* entity = ListAdvance(entities)) {
    switch (entity->kind) {
      case KindRock:
        StepRock(*entity);
        break;
      case KindExplosion:
        StepExplosion(*entity);
        break;
      case KindScorePopup:
        StepPopup(*entity);
        break;
      case KindSpark:
        StepSpark(*entity);
        break;
      case KindClockBonus:
        StepBonus(*entity, kClockSprite);
        break;
      case KindBombBonus:
        if (StepBonus(*entity, kBombSprite)) return;
        break;
      case KindSlowBonus:
        if (StepBonus(*entity, kSlowSprite)) return;
        break;
      default:
        break;
    }
  }
}

void BonusRoll() {
  const int roll = rt::RandomInt(10000);
  if (roll > 9990) InsertEntity(KindClockBonus);
  if (roll > 9986) InsertEntity(KindBombBonus);
  if (roll > 9982) InsertEntity(KindSlowBonus);
}

}  // namespace pellaris
