// The craft's step: gravity and thrust, the top stop, the ground push and its score, sparks on
// crossing the ground line, firing rates, and which rock a shot hits.
#include "game/craft.h"
#include "tests/game/game_world.h"

namespace pellaris {
namespace {

using CraftFlight = GameWorld;

TEST_F(CraftFlight, StartsCentredFromItsHeight) {
  EXPECT_EQ(craftHeight, 21);
  EXPECT_EQ(craftY, 189.5f);
  EXPECT_EQ(craftX, 40.0f);
}

TEST_F(CraftFlight, FallsFasterUntilThreePixelsPerFrameAndScoresAboveTheGround) {
  rt::ReadKeyboard();
  float expectedSpeed = 0.0f;
  for (int frame = 0; frame < 40; ++frame) {
    if (expectedSpeed < 3.0f) expectedSpeed = expectedSpeed + 0.1f;
    CraftStep();
    ASSERT_EQ(craftSpeedY, expectedSpeed) << frame;
  }
  EXPECT_GE(craftSpeedY, 3.0f);
  EXPECT_LT(craftSpeedY, 3.1f);
  EXPECT_EQ(score, 40);
}

TEST_F(CraftFlight, ThrustLiftsAndTheTopStopsItDead) {
  Hold(rt::kKeySpace);
  CraftStep();
  EXPECT_EQ(craftSpeedY, -0.15f);
  for (int frame = 0; frame < 200; ++frame) CraftStep();
  EXPECT_EQ(craftY, 0.0f);
  EXPECT_EQ(craftSpeedY, 0.0f);
}

TEST_F(CraftFlight, BelowTheGroundLineItIsPushedBackAndLosesFourPointsAFrame) {
  rt::ReadKeyboard();
  craftY = 351.0f;
  craftSpeedY = 1.0f;
  CraftStep();
  EXPECT_EQ(craftSpeedY, 1.0f + 0.1f + (-0.3f));
  EXPECT_EQ(score, -4);
  for (int frame = 0; frame < 100 && craftY > 350.0f; ++frame) CraftStep();
  EXPECT_LE(craftY, 350.0f) << "the push turns the craft round by itself";
}

TEST_F(CraftFlight, CrossingTheGroundLineWithItsBottomMakesOneSparkEachWay) {
  rt::ReadKeyboard();
  craftY = 329.5f;  // bottom edge at 350.5: below the line
  CraftStep();
  EXPECT_EQ(craftOnGround, 1);
  ASSERT_EQ(Count(KindSpark), 1);
  const Entity spark = All().back();
  EXPECT_EQ(spark.x, craftX);
  EXPECT_EQ(spark.y, 329.5f + 21.0f - 4.0f);
  CraftStep();
  EXPECT_EQ(Count(KindSpark), 1) << "no new spark while it stays below";
  craftY = 300.0f;
  CraftStep();
  EXPECT_EQ(craftOnGround, 0);
  EXPECT_EQ(Count(KindSpark), 2);
}

using Firing = GameWorld;

TEST_F(Firing, LeftCtrlFiresEveryFrame) {
  Hold(rt::kKeyLeftCtrl);
  for (int frame = 0; frame < 5; ++frame) CraftStep();
  EXPECT_EQ(played_, (std::vector<int>{0, 0, 0, 0, 0}));
  EXPECT_EQ(fireCooldown, 10);
}

TEST_F(Firing, RateLimitedInputsFireOnceEveryTwelveFrames) {
  for (int input : {rt::kKeyRightCtrl, rt::kKeyRightShift}) {
    fireCooldown = -1;
    played_.clear();
    Hold(input);
    std::vector<int> firedAt;
    for (int frame = 0; frame < 40; ++frame) {
      const std::size_t before = played_.size();
      CraftStep();
      if (played_.size() > before) firedAt.push_back(frame);
    }
    EXPECT_EQ(firedAt, (std::vector<int>{0, 12, 24, 36})) << input;
    machine.Apply(rt::platform::Action::KeyUp(input));
  }
}

TEST_F(Firing, ShotHitsTheNearestRockInTheCraftsRowAndLeavesAnImpactAfterIt) {
  Add(KindRock, 400.0f, craftY + 1.0f).hitPoints = 2;
  Add(KindRock, 300.0f, craftY + 20.0f).hitPoints = 2;  // nearest
  Add(KindRock, 200.0f, craftY).hitPoints = 2;          // top edge level with the craft's: no target
  Add(KindRock, 250.0f, craftY + 21.0f).hitPoints = 2;  // at the craft's bottom edge: no target
  Add(KindExplosion, 100.0f, craftY + 5.0f);            // only rocks stop a shot
  FireShot();
  EXPECT_EQ(ListCurrentIndex(entities), 2) << "the cursor stays on the impact";
  const std::vector<Entity> all = All();
  ASSERT_EQ(all.size(), 6u);
  EXPECT_EQ(all[1].hitPoints, 1);
  EXPECT_EQ(all[0].hitPoints, 2);
  EXPECT_EQ(all[2].kind, KindExplosion);
  EXPECT_EQ(all[2].frame, 3.0f);
  EXPECT_EQ(all[2].x, 300.0f);
  EXPECT_EQ(all[2].y, 210.0f);  // 209.5 rounds to even
  EXPECT_EQ(played_, std::vector<int>{2});
}

TEST_F(Firing, ShotReachesOffScreenRocksButNotPastTwelveEighty) {
  Add(KindRock, 1280.0f, craftY + 1.0f);
  Add(KindRock, 40.0f, craftY + 1.0f);  // at the craft's own x: behind the nose
  FireShot();
  EXPECT_EQ(ListCount(entities), 2);
  EXPECT_TRUE(played_.empty());
  Add(KindRock, 1279.5f, craftY + 1.0f);
  FireShot();
  EXPECT_EQ(All()[2].hitPoints, -1);
}

}  // namespace
}  // namespace pellaris
