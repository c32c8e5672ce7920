#include "play/session/pause_clock.h"

#include "runtime/core/date.h"

namespace pellaris::play {

void PauseClock::SetPaused(bool paused) {
  if (paused == Paused()) return;
  const std::uint64_t now = next_.Counter();
  if (paused) {
    pausedTime_ = LocalTime();  // read while still playing: the time as it stands
    pausedSince_ = now != 0 ? now : 1;
    return;
  }
  pausedTicks_ += now - pausedSince_;
  pausedSince_ = 0;
}

std::int64_t PauseClock::HeldBackSeconds() {
  const std::uint64_t frequency = next_.CounterFrequency();
  if (frequency == 0) return 0;
  const std::uint64_t ticks = pausedTicks_ + (Paused() ? next_.Counter() - pausedSince_ : 0);
  return static_cast<std::int64_t>((ticks + frequency / 2) / frequency);
}

namespace {

rt::DateValue DateOf(const rt::platform::LocalDateTime& time) {
  return rt::MakeDate(time.year, time.month, time.day, time.hour, time.minute, time.second);
}

}  // namespace

// The game only ever reads whole seconds, so the pauses are taken off in whole seconds: a round
// loses or gains at most half a second over all its pauses. While paused the time stands where the
// pause found it: taking off the pause so far, rounded, would move it by a second whenever the
// machine's second turns at another moment than the rounding does. For the same reason, the rounding
// can put the time a second before the one the pause showed when play resumes; it stands there until
// the clock catches up, as a round's time that goes back is one no verifier takes.
rt::platform::LocalDateTime PauseClock::LocalTime() {
  if (Paused()) return pausedTime_;
  const rt::platform::LocalDateTime now = next_.LocalTime();
  const std::int64_t heldBack = HeldBackSeconds();
  if (heldBack == 0) return now;
  const rt::DateValue shown = DateOf(now) - static_cast<rt::DateValue>(heldBack);
  if (shown == DateOf(pausedTime_) - 1) return pausedTime_;
  return {rt::DateYear(shown), rt::DateMonth(shown),  rt::DateDay(shown),
          rt::DateHour(shown), rt::DateMinute(shown), rt::DateSecond(shown)};
}

void PauseClock::FrameBoundary() {
  next_.FrameBoundary();
  if (onFrame_) onFrame_();
}

}  // namespace pellaris::play
