#include "runtime/platform/web/web_pads.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace rt::platform {
namespace {

PadReading Standard(std::uint32_t pressed = 0) {
  PadReading reading;
  reading.kind = PadReading::kStandard;
  reading.pressed = pressed;
  return reading;
}

std::vector<EventType> Types(EventQueue& queue) {
  std::vector<EventType> types;
  Event event;
  while (queue.Pop(event)) types.push_back(event.type);
  return types;
}

TEST(WebPads, TheStandardLayoutsPlacesAreTheRuntimesButtonsAndAxes) {
  struct Case {
    const char* what;
    PadReading reading;
    PadButton button;  // held, when no axis is named
    int axis;          // -1: none
    int value;
  } cases[] = {
      {"A", Standard(1u << 0), PadButton::A, -1, 0},
      {"B", Standard(1u << 1), PadButton::B, -1, 0},
      {"Y", Standard(1u << 3), PadButton::Y, -1, 0},
      {"Back", Standard(1u << 8), PadButton::Back, -1, 0},
      {"Start", Standard(1u << 9), PadButton::Start, -1, 0},
      {"d-pad up", Standard(1u << 12), PadButton::DpadUp, -1, 0},
      {"guide", Standard(1u << 16), PadButton::Guide, -1, 0},
      {"left stick up",
       [] {
         auto r = Standard();
         r.axes[1] = -1;
         return r;
       }(),
       PadButton::A, static_cast<int>(PadAxis::LeftY), kPadAxisMin},
      {"right stick right",
       [] {
         auto r = Standard();
         r.axes[2] = 1;
         return r;
       }(),
       PadButton::A, static_cast<int>(PadAxis::RightX), kPadAxisMax},
      {"half a stick",
       [] {
         auto r = Standard();
         r.axes[0] = 0.5f;
         return r;
       }(),
       PadButton::A, static_cast<int>(PadAxis::LeftX), 16384},
      {"right trigger",
       [] {
         auto r = Standard(1u << 7);
         r.triggers[1] = 1;
         return r;
       }(),
       PadButton::A, static_cast<int>(PadAxis::RightTrigger), kPadAxisMax},
      {"a stick past its end",
       [] {
         auto r = Standard();
         r.axes[3] = 7;
         return r;
       }(),
       PadButton::A, static_cast<int>(PadAxis::RightY), kPadAxisMax},
      {"not a number",
       [] {
         auto r = Standard();
         r.axes[0] = std::numeric_limits<float>::quiet_NaN();
         return r;
       }(),
       PadButton::A, static_cast<int>(PadAxis::LeftX), 0},
  };
  for (const Case& c : cases) {
    EventQueue queue;
    WebPads pads;
    pads.Take(std::span(&c.reading, 1), queue);
    PadState state;
    queue.ReadPadState(state);
    EXPECT_EQ(state.connected, 1) << c.what;
    if (c.axis < 0) {
      EXPECT_TRUE(state.Held(c.button)) << c.what;
      int held = 0;
      for (bool button : state.buttons) held += button ? 1 : 0;
      EXPECT_EQ(held, 1) << c.what;
    } else {
      EXPECT_EQ(state.Axis(static_cast<PadAxis>(c.axis)), c.value) << c.what;
    }
  }
}

TEST(WebPads, PadsArePluggedInAndOutAndOnlyTheStandardLayoutIsUsed) {
  EventQueue queue;
  WebPads pads;
  PadReading slots[kPadSlots] = {Standard(1u << 0)};
  pads.Take(slots, queue);
  EXPECT_EQ(Types(queue), (std::vector{EventType::PadAdded, EventType::PadButtonDown}));
  pads.Take(slots, queue);
  EXPECT_TRUE(Types(queue).empty()) << "nothing changed";

  slots[0] = PadReading{};
  slots[2].kind = PadReading::kOtherLayout;
  slots[2].pressed = 1;
  pads.Take(slots, queue);
  EXPECT_EQ(Types(queue), std::vector{EventType::PadRemoved});
  EXPECT_EQ(pads.Connected(), 0);
  EXPECT_EQ(pads.OtherLayouts(), 1);
  PadState state;
  queue.ReadPadState(state);
  EXPECT_EQ(state.connected, 0);
  EXPECT_FALSE(state.Held(PadButton::A));

  slots[1] = Standard(1u << 9);
  pads.Take(std::span(slots, 2), queue);  // fewer slots than before: the others are empty
  EXPECT_EQ(Types(queue), (std::vector{EventType::PadAdded, EventType::PadButtonDown}));
  EXPECT_EQ(pads.Connected(), 1);
  EXPECT_EQ(pads.OtherLayouts(), 0);
}

}  // namespace
}  // namespace rt::platform
