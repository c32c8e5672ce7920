// Game controllers as the browser's Gamepad API shows them: a list of slots the page reads every frame
// (the API sends no events for buttons and sticks), turned here into the runtime's pad events. Only
// pads in the standard layout are used, whose buttons and axes have fixed places: A B X Y, the
// shoulders, the triggers as buttons 6 and 7 with a value, Back, Start, the sticks' buttons, the
// d-pad and the guide button. Plain C++, so that the desktop's tests check it too.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/platform/event_queue.h"

namespace rt::platform {

// One slot of navigator.getGamepads(), as the page reads it.
struct PadReading {
  enum Kind : std::int32_t { kEmpty = 0, kStandard = 1, kOtherLayout = 2 };
  std::int32_t kind = kEmpty;
  std::uint32_t pressed = 0;  // bit i: standard button i is pressed (0 to 16)
  float axes[4] = {};         // left x, left y, right x, right y, from -1 to 1 (down and right positive)
  float triggers[2] = {};     // buttons 6 and 7's values, from 0 to 1
};

inline constexpr int kPadSlots = 4;  // as many as browsers offer

class WebPads {
 public:
  // Hands the queue what changed since the last readings: pads plugged in and out (a pad in a slot
  // that held another is a new one), then every button and axis of each pad (the queue keeps only
  // changes).
  void Take(std::span<const PadReading> slots, EventQueue& queue);
  // Pads in use, and pads seen whose layout is not the standard one (not used).
  int Connected() const;
  int OtherLayouts() const { return otherLayouts_; }

 private:
  void Plug(int slot, bool in, EventQueue& queue);
  int instance_[kPadSlots] = {};  // the pad in each slot, 0 for none
  int lastInstance_ = 0;
  int otherLayouts_ = 0;
};

}  // namespace rt::platform
