// The entity pass: animation lengths, rocks hitting the craft or running out of hit points,
// recycling at the field's edges, bonuses and sweeps.
#include <cstring>

#include "game/arithmetic.h"
#include "tests/game/game_world.h"

namespace pellaris {
namespace {

using EntityAnimation = GameWorld;

// Runs passes until the entity (the list's only one) is gone; returns the picture each pass drew.
template <typename Picture>
std::vector<int> RunUntilGone(GameWorld& world, Picture picture) {
  std::vector<int> shown;
  for (int pass = 0; pass < 100 && ListCount(entities) > 0; ++pass) {
    shown.push_back(picture(*ListSelect(entities, 0)));
    EntityPass();
  }
  (void)world;
  return shown;
}

TEST_F(EntityAnimation, RockCyclesThroughTwentySevenFramesAfterShowingSpriteTwoOnce) {
  Add(KindRock, 500.0f, 20.0f);
  std::vector<int> shown;
  for (int pass = 0; pass < 29; ++pass) {
    shown.push_back(Round(ListSelect(entities, 0)->frame + 2.0f));
    EntityPass();
  }
  const std::vector<int> expected = {2, 10, 10, 9, 9, 9, 8, 8, 8, 7, 7, 7, 7, 6, 6,
                                     6, 5,  5,  5, 4, 4, 4, 4, 3, 3, 3, 2, 2, 10};
  EXPECT_EQ(shown, expected);
}

TEST_F(EntityAnimation, ExplosionLastsFourteenFramesAndAnImpactFour) {
  Add(KindExplosion, 300.0f, 100.0f);
  auto sprite = [](const Entity& e) { return TruncateToInt(e.frame) + 12; };
  const std::vector<int> burst = RunUntilGone(*this, sprite);
  EXPECT_EQ(burst, (std::vector<int>{12, 12, 12, 12, 13, 13, 13, 14, 14, 14, 14, 15, 15, 15}));

  Add(KindExplosion, 300.0f, 100.0f, 3.0f);
  EXPECT_EQ(RunUntilGone(*this, sprite), (std::vector<int>{15, 15, 15, 15}));
}

TEST_F(EntityAnimation, PopupFadesOverThirtyOneFrames) {
  Add(KindScorePopup, 300.0f, 100.0f);
  const std::vector<int> intensities =
      RunUntilGone(*this, [](const Entity& e) { return Round(255.0f - e.frame * 40.0f); });
  ASSERT_EQ(intensities.size(), 31u);
  EXPECT_EQ(intensities.front(), 255);
  EXPECT_EQ(intensities[1], 247);
  EXPECT_EQ(intensities.back(), 15);
}

TEST_F(EntityAnimation, SparkShowsFourPicturesForFiveFramesEach) {
  Add(KindSpark, 40.0f, 380.0f);
  const std::vector<int> shown =
      RunUntilGone(*this, [](const Entity& e) { return TruncateToInt(e.frame) + 100; });
  EXPECT_EQ(shown, (std::vector<int>{100, 100, 100, 100, 100, 101, 101, 101, 101, 101,
                                     102, 102, 102, 102, 102, 103, 103, 103, 103, 103}));
}

using RockEvents = GameWorld;

TEST_F(RockEvents, RockTouchingTheCraftExplodesUndrawnAndBringsAReplacement) {
  Add(KindRock, craftX + 5.0f, craftY + 2.0f);
  rt::Surface& back = *rt::BlitTarget();
  const rt::Surface before = back.Clone();
  score = 500;
  EntityPass();

  const std::vector<Entity> all = All();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].kind, KindExplosion);
  EXPECT_EQ(all[0].frame, 0.0f);
  EXPECT_EQ(all[0].x, craftX + 5.0f);  // it stays where it hit
  EXPECT_EQ(all[1].kind, KindRock);
  EXPECT_GE(all[1].x, 640.0f);
  EXPECT_EQ(score, 400);
  EXPECT_EQ(flashLevel, 180);
  EXPECT_EQ(played_, std::vector<int>{1});
  EXPECT_EQ(
      std::memcmp(before.Pixels(), back.Pixels(), static_cast<std::size_t>(back.Pitch()) * back.Height()), 0)
      << "the rock that hit must not be drawn in that frame";
}

TEST_F(RockEvents, RockOutOfHitPointsLeavesAPopupAtItsMovedPlaceAndScoresFifty) {
  Entity& rock = Add(KindRock, 300.0f, 100.0f);
  rock.dx = 5.5f;
  rock.dy = 0.1f;
  rock.hitPoints = -1;
  EntityPass();

  const std::vector<Entity> all = All();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].kind, KindExplosion);
  EXPECT_EQ(all[1].kind, KindScorePopup);
  EXPECT_EQ(all[1].x, 294.0f);  // 300 - 5.5 = 294.5 rounds to even
  EXPECT_EQ(all[1].y, 100.0f);
  EXPECT_EQ(all[2].kind, KindRock);
  EXPECT_EQ(score, 50);
  EXPECT_EQ(played_, std::vector<int>{2});
}

TEST_F(RockEvents, RocksRecycleOnlyBeyondTheEdges) {
  Add(KindRock, -30.0f, 100.0f);
  Add(KindRock, -30.5f, 100.0f);
  Add(KindRock, 300.0f, -30.0f);
  Add(KindRock, 300.0f, 400.5f);
  EntityPass();
  const std::vector<Entity> all = All();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].x, -30.0f);
  EXPECT_GE(all[1].x, 640.0f);
  EXPECT_EQ(all[2].y, -30.0f);
  EXPECT_GE(all[3].x, 640.0f);
}

TEST_F(RockEvents, RockCountNeverFallsBelowThirtyFiveInALongRound) {
  for (int i = 0; i < 35; ++i) InsertEntity(KindRock);
  for (int pass = 0; pass < 3000; ++pass) {
    EntityPass();
    BonusRoll();
    ASSERT_GE(Count(KindRock), 35) << "pass " << pass;
  }
}

using Bonuses = GameWorld;

TEST_F(Bonuses, ClockAddsTenSecondsAndIsRemoved) {
  roundEndTime = 1000;
  Add(KindClockBonus, craftX + 4.0f, craftY + 2.0f);
  EntityPass();
  EXPECT_EQ(roundEndTime, 1010);
  EXPECT_EQ(ListCount(entities), 0);
}

TEST_F(Bonuses, BonusesLeaveOnlyPastTheLeftEdge) {
  Entity& bonus = Add(KindBombBonus, -19.0f, 500.0f);
  bonus.dx = 0.5f;
  EntityPass();
  EXPECT_EQ(ListCount(entities), 1) << "far below the field but not yet left of -20";
  EntityPass();
  EntityPass();
  EXPECT_EQ(ListCount(entities), 0);
}

TEST_F(Bonuses, SlowDownDividesEverySpeedAndEndsThePass) {
  Entity& rock = Add(KindRock, 600.0f, 20.0f);
  rock.dx = 5.1f;
  rock.dy = 0.1f;
  Add(KindSlowBonus, craftX + 4.0f, craftY + 2.0f);
  Entity& after = Add(KindRock, 500.0f, 20.0f);
  after.dx = 5.0f;
  EntityPass();
  const std::vector<Entity> all = All();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].dx, (5.1f / 1.7f));
  EXPECT_EQ(all[0].dy, (0.1f / 1.6f));
  EXPECT_EQ(all[1].dx, 5.0f / 1.7f);
  EXPECT_EQ(all[1].x, 500.0f) << "entities after the pickup are not moved in that frame";
  EXPECT_TRUE(played_.empty());
}

TEST_F(Bonuses, BombExplodesAboutSeventyInAHundredAndOneWithARockForEach) {
  Add(KindBombBonus, craftX + 4.0f, craftY + 2.0f);
  for (int i = 0; i < 400; ++i) Add(KindSpark, 300.0f, 300.0f);
  EntityPass();
  const int exploded = Count(KindExplosion);
  EXPECT_EQ(Count(KindRock), exploded);
  EXPECT_EQ(Count(KindSpark), 400 - exploded);
  EXPECT_NEAR(exploded, 400 * 70 / 101, 40);
  EXPECT_EQ(played_, std::vector<int>{1});
}

TEST_F(Bonuses, RollBringsAllThreeOnTheHighestRolls) {
  // With a fixed seed, find how often each bonus came over many rolls; each is rare and the counts
  // keep the order of their chances (10, 14 and 18 in 10001).
  for (int roll = 0; roll < 200000; ++roll) BonusRoll();
  const int clocks = Count(KindClockBonus), bombs = Count(KindBombBonus), slows = Count(KindSlowBonus);
  EXPECT_NEAR(clocks, 200, 60);
  EXPECT_NEAR(bombs, 280, 70);
  EXPECT_NEAR(slows, 360, 80);
  EXPECT_LE(clocks, bombs);
  EXPECT_LE(bombs, slows);
}

}  // namespace
}  // namespace pellaris
