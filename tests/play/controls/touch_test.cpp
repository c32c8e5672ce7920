// A touch screen's zones as the game's controls, alone and through the player's input layer.
#include <gtest/gtest.h>

#include "play/controls/touch_zones.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/platform/key_codes.h"

namespace pellaris::play {
namespace {

struct Held {
  bool thrust, fire, start;
};

Held Ask(TouchZones& zones) {
  return {zones.Held(Control::Thrust), zones.Held(Control::Fire), zones.Held(Control::Start)};
}

TEST(TouchZones, FingersHoldTheirZonesControlAndBeginningsOutsideARoundStartOne) {
  struct Case {
    const char* what;
    void (*touch)(TouchZones&);
    Held first, second;  // asked twice in a row
  } cases[] = {
      {"nothing", [](TouchZones&) {}, {false, false, false}, {false, false, false}},
      {"left held in a round",
       [](TouchZones& z) { z.Down(1, TouchZone::Left, true); },
       {true, false, false},
       {true, false, false}},
      {"right held in a round",
       [](TouchZones& z) { z.Down(1, TouchZone::Right, true); },
       {false, true, false},
       {false, true, false}},
      {"both halves",
       [](TouchZones& z) {
         z.Down(1, TouchZone::Left, true);
         z.Down(2, TouchZone::Right, true);
       },
       {true, true, false},
       {true, true, false}},
      {"a tap between two looks counts once",
       [](TouchZones& z) {
         z.Down(1, TouchZone::Right, true);
         z.Up(1);
       },
       {false, true, false},
       {false, false, false}},
      {"a touch on the title starts",
       [](TouchZones& z) { z.Down(7, TouchZone::Left, false); },
       {false, false, true},
       {false, false, true}},
      {"a quick tap on the score screen starts once",
       [](TouchZones& z) {
         z.Down(7, TouchZone::Right, false);
         z.Up(7);
       },
       {false, false, true},
       {false, false, false}},
      {"the same finger twice keeps its first role",
       [](TouchZones& z) {
         z.Down(3, TouchZone::Left, false);
         z.Down(3, TouchZone::Left, true);
       },
       {false, false, true},
       {false, false, true}},
      {"cancelled",
       [](TouchZones& z) {
         z.Down(1, TouchZone::Left, true), Ask(z);
         z.Clear();
       },
       {false, false, false},
       {false, false, false}},
  };
  for (const Case& c : cases) {
    TouchZones zones;
    c.touch(zones);
    const Held first = Ask(zones), second = Ask(zones);
    EXPECT_EQ(first.thrust, c.first.thrust) << c.what;
    EXPECT_EQ(first.fire, c.first.fire) << c.what;
    EXPECT_EQ(first.start, c.first.start) << c.what;
    EXPECT_EQ(second.thrust, c.second.thrust) << c.what;
    EXPECT_EQ(second.fire, c.second.fire) << c.what;
    EXPECT_EQ(second.start, c.second.start) << c.what;
  }
}

TEST(TouchZones, AFingerThatStartedTheRoundDoesNotThrustInIt) {
  TouchZones zones;
  zones.Down(1, TouchZone::Left, false);
  EXPECT_TRUE(zones.Held(Control::Start));
  zones.Down(2, TouchZone::Left, true);  // a second finger, once the round is on
  EXPECT_TRUE(zones.Held(Control::Thrust));
  zones.Up(2);
  EXPECT_FALSE(zones.Held(Control::Thrust));
  EXPECT_TRUE(zones.Held(Control::Start));  // the first is still down
  EXPECT_FALSE(zones.Held(Control::Quit));
}

TEST(TouchZones, NoMoreFingersThanItKeeps) {
  TouchZones zones;
  for (int id = 0; id < 1000; ++id) zones.Down(id, TouchZone::Left, true);
  EXPECT_EQ(zones.Fingers(), static_cast<int>(TouchZones::kMostTouches));
}

// The zones drive the game's own keys whatever keys the player bound: a round played by touch records
// and plays back as one played with the keys.
TEST(TouchZones, DriveTheGamesKeysThroughThePlayersInput) {
  rt::platform::HeadlessPlatform machine;
  Bindings bindings = DefaultBindings();
  bindings.Keys(Control::Thrust).clear();
  bindings.Pad(Control::Thrust).clear();
  TouchZones zones;
  PlayerInput input(machine.Input(), bindings, &zones);
  std::uint8_t keys[256];
  zones.Down(1, TouchZone::Left, true);
  zones.Down(2, TouchZone::Right, true);
  input.ReadKeyState(keys);
  EXPECT_NE(keys[rt::kKeySpace], 0);
  EXPECT_NE(keys[rt::kKeyLeftCtrl], 0);
  EXPECT_EQ(keys[rt::kKeyEnter], 0);
  zones.Up(1);
  input.ReadKeyState(keys);
  EXPECT_EQ(keys[rt::kKeySpace], 0);
  EXPECT_NE(keys[rt::kKeyLeftCtrl], 0);
}

}  // namespace
}  // namespace pellaris::play
