// What a round starts from: taken from the game and put back bit for bit (the generator included);
// the first round's random draws, which a round's check counts on; and a game started without a seed
// takes its rocks from the machine's tick, so that starts at different ticks differ.
#include "game/round_start.h"

#include <gtest/gtest.h>

#include <cmath>

#include "game/game.h"
#include "game/round.h"
#include "game/startup.h"
#include "game/title.h"
#include "game_world.h"
#include "runtime/input/mouse.h"

namespace pellaris {
namespace {

TEST_F(GameWorld, ARoundStartIsPutBackBitForBit) {
  SetUpRound();
  Add(KindSpark, -0.0f, 1.0e-30f, 3.9999998f);
  craftSpeedY = -8.717179e-06f, backdropX = -639.6f, fireCooldown = -30000, lastEvent = 16;
  ListSelect(entities, 7);
  const RoundStart taken = TakeRoundStart();
  EXPECT_EQ(TakeRoundStart(), taken) << "taking it changes nothing";
  const std::int32_t nextDraw = rt::RandomInt(1000);

  ListClear(entities);
  craftSpeedY = backdropX = 0.0f;
  rt::RandomSeed(99);
  RestoreRoundStart(taken);
  EXPECT_EQ(TakeRoundStart(), taken);
  EXPECT_EQ(ListCurrentIndex(entities), 7);
  EXPECT_TRUE(std::signbit(All()[35].x)) << "-0.0 stays -0.0";
  EXPECT_EQ(rt::RandomInt(1000), nextDraw) << "the generator goes on where it was";

  RoundStart other = taken;
  other.entities[3].dy = -other.entities[3].dy;
  EXPECT_FALSE(other == taken);
}

TEST_F(GameWorld, TheMouseButtonsHeldAreTheRoundStarts) {
  rt::ReadMouse();  // the first read takes the mouse, with nothing from before
  machine.Apply(rt::platform::Action::ButtonDown(2));
  rt::ReadMouse();
  const RoundStart taken = TakeRoundStart();
  ASSERT_EQ(taken.mouseButtons, std::vector<int>{2});
  machine.Apply(rt::platform::Action::ButtonUp(2));
  rt::ReadMouse();
  EXPECT_EQ(rt::MouseButtonDown(2), 0);
  RestoreRoundStart(taken);
  EXPECT_EQ(rt::MouseButtonDown(2), 1);
}

TEST_F(GameWorld, TheFirstRoundBeginsAfterTheStarfieldsAndTheSetUpsDraws) {
  rt::RandomSeed(5);
  MakeStarfield();
  EXPECT_EQ(rt::TakeRandomState().draws, static_cast<std::uint64_t>(kStarfieldDraws));
  SetUpRound();
  EXPECT_EQ(rt::TakeRandomState().draws, FirstRoundDraws());
}

struct Stop {};

// The first round of a game whose generator seeds itself from the machine's tick: Enter on the title
// in the second pass sets it up, and it begins with the third.
RoundStart FirstRoundAtTick(std::uint32_t tick) {
  rt::test::HeadlessRuntime machine;
  machine.SetStartTick(tick);
  machine.At(2, rt::platform::Action::KeyDown(28));
  RoundStart first;
  machine.SetFrameCallback([&](int frame) {
    if (frame < 3) return;
    first = TakeRoundStart();
    throw Stop{};
  });
  try {
    RunProgram(PlayGame);
  } catch (const Stop&) {
    // The round is taken; the runtime ends with the machine.
  }
  return first;
}

TEST(Seeding, StartsAtDifferentTicksDrawDifferentRounds) {
  const RoundStart a = FirstRoundAtTick(123456), b = FirstRoundAtTick(123457),
                   again = FirstRoundAtTick(123456);
  ASSERT_EQ(a.entities.size(), 35u);
  EXPECT_FALSE(a == b);
  EXPECT_EQ(a, again);
}

}  // namespace
}  // namespace pellaris
