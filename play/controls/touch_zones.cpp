#include "play/controls/touch_zones.h"

#include <algorithm>

namespace pellaris::play {

void TouchZones::Down(int id, TouchZone zone, bool roundInPlay) {
  if (touches_.count(id) != 0 || touches_.size() >= kMostTouches) return;
  const Role role = !roundInPlay ? kStart : zone == TouchZone::Left ? kThrust : kFire;
  touches_[id] = role;
  pressedSinceAsked_[role] = true;
}

void TouchZones::Up(int id) {
  touches_.erase(id);
}

bool TouchZones::Held(Control control) {
  Role role;
  switch (control) {
    case Control::Thrust:
      role = kThrust;
      break;
    case Control::Fire:
      role = kFire;
      break;
    case Control::Start:
      role = kStart;
      break;
    default:
      return false;
  }
  const bool down = std::any_of(touches_.begin(), touches_.end(),
                                [role](const auto& touch) { return touch.second == role; });
  const bool held = down || pressedSinceAsked_[role];
  pressedSinceAsked_[role] = false;
  return held;
}

}  // namespace pellaris::play
