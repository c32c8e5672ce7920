// The clock as the game sees it in a player's session: the machine's clock, except that the wall
// clock stands still while the player has paused (so a round's remaining time does too), and that
// the end of every frame lets the session do its work.
#pragma once

#include <cstdint>
#include <functional>

#include "runtime/platform/forwarding_facets.h"

namespace pellaris::play {

class PauseClock : public rt::platform::ForwardingClock {
 public:
  using ForwardingClock::ForwardingClock;

  // Called at the end of every frame, after the machine's own frame work.
  void OnFrame(std::function<void()> work) { onFrame_ = std::move(work); }
  void SetPaused(bool paused);
  bool Paused() const { return pausedSince_ != 0; }
  // Whole seconds the wall clock is held back now: the time spent paused, rounded.
  std::int64_t HeldBackSeconds();

  rt::platform::LocalDateTime LocalTime() override;
  void FrameBoundary() override;

 private:
  std::function<void()> onFrame_;
  std::uint64_t pausedSince_ = 0;             // the counter when the pause began; 0 while playing
  std::uint64_t pausedTicks_ = 0;             // counter ticks of the pauses that have ended
  rt::platform::LocalDateTime pausedTime_{};  // the time shown while paused
};

}  // namespace pellaris::play
