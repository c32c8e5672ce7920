#include "runtime/platform/web/web_pads.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace rt::platform {

namespace {

// The standard layout's buttons by their place in the list; places 6 and 7 are the triggers, axes here.
struct ButtonPlace {
  int place;
  PadButton button;
};
constexpr ButtonPlace kButtons[] = {
    {0, PadButton::A},
    {1, PadButton::B},
    {2, PadButton::X},
    {3, PadButton::Y},
    {4, PadButton::LeftShoulder},
    {5, PadButton::RightShoulder},
    {8, PadButton::Back},
    {9, PadButton::Start},
    {10, PadButton::LeftStick},
    {11, PadButton::RightStick},
    {12, PadButton::DpadUp},
    {13, PadButton::DpadDown},
    {14, PadButton::DpadLeft},
    {15, PadButton::DpadRight},
    {16, PadButton::Guide},
};
constexpr PadAxis kSticks[4] = {PadAxis::LeftX, PadAxis::LeftY, PadAxis::RightX, PadAxis::RightY};
constexpr PadAxis kTriggers[2] = {PadAxis::LeftTrigger, PadAxis::RightTrigger};

// From -1..1 to the runtime's range; a value that is not a number is at rest.
int StickValue(float value) {
  if (!std::isfinite(value)) return 0;
  const float clamped = std::clamp(value, -1.0f, 1.0f);
  return static_cast<int>(std::lround(clamped * (clamped < 0 ? -kPadAxisMin : kPadAxisMax)));
}

int TriggerValue(float value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<int>(std::lround(std::clamp(value, 0.0f, 1.0f) * kPadAxisMax));
}

Event PadEvent(EventType type, int pad) {
  Event event;
  event.type = type;
  event.pad = pad;
  return event;
}

Event AxisEvent(int pad, PadAxis axis, int value) {
  Event event = PadEvent(EventType::PadAxisMotion, pad);
  event.padAxis = axis;
  event.axisValue = value;
  return event;
}

}  // namespace

void WebPads::Plug(int slot, bool in, EventQueue& queue) {
  if (instance_[slot] != 0) queue.Push(PadEvent(EventType::PadRemoved, instance_[slot]));
  instance_[slot] = in ? ++lastInstance_ : 0;
  if (in) queue.Push(PadEvent(EventType::PadAdded, instance_[slot]));
}

void WebPads::Take(std::span<const PadReading> slots, EventQueue& queue) {
  otherLayouts_ = 0;
  for (int slot = 0; slot < kPadSlots; ++slot) {
    const PadReading reading = slot < static_cast<int>(slots.size()) ? slots[slot] : PadReading{};
    if (reading.kind == PadReading::kOtherLayout) ++otherLayouts_;
    const bool present = reading.kind == PadReading::kStandard;
    if (present != (instance_[slot] != 0)) Plug(slot, present, queue);
    if (!present) continue;
    const int pad = instance_[slot];
    for (const ButtonPlace& button : kButtons) {
      const bool down = (reading.pressed >> button.place & 1u) != 0;
      Event event = PadEvent(down ? EventType::PadButtonDown : EventType::PadButtonUp, pad);
      event.padButton = button.button;
      queue.Push(event);
    }
    for (int i = 0; i < 4; ++i) queue.Push(AxisEvent(pad, kSticks[i], StickValue(reading.axes[i])));
    for (int i = 0; i < 2; ++i) queue.Push(AxisEvent(pad, kTriggers[i], TriggerValue(reading.triggers[i])));
  }
}

int WebPads::Connected() const {
  return static_cast<int>(
      std::count_if(std::begin(instance_), std::end(instance_), [](int pad) { return pad != 0; }));
}

}  // namespace rt::platform
