// A touch screen as the game's controls: a finger held on the left half thrusts, one held on the right
// half fires (in every frame, as Left Ctrl does), and a touch that begins while no round is in play
// starts one (on the title, and the next after the score). A finger keeps the role it began with, so
// the touch that started a round does not thrust when the round begins under it.
#pragma once

#include <array>
#include <cstddef>
#include <map>

#include "play/controls/player_input.h"

namespace pellaris::play {

enum class TouchZone { Left, Right };

class TouchZones : public ControlSource {
 public:
  // More fingers than hands have are ignored.
  static constexpr std::size_t kMostTouches = 16;

  // A finger comes down in a zone; `id` tells it from the others while it is down.
  void Down(int id, TouchZone zone, bool roundInPlay);
  void Up(int id);
  // Every finger is gone (the browser cancelled the touches, or the page lost them).
  void Clear() { touches_.clear(); }
  int Fingers() const { return static_cast<int>(touches_.size()); }

  // Held while a finger of that role is down; a touch that came and went since the last time this
  // was asked counts once.
  bool Held(Control control) override;

 private:
  enum Role { kThrust, kFire, kStart, kRoleCount };

  std::map<int, Role> touches_;
  std::array<bool, kRoleCount> pressedSinceAsked_{};
};

}  // namespace pellaris::play
