#include "runtime/display/frame_timer.h"

#include "runtime/platform/platform.h"

namespace rt {

namespace {
// Frames late by up to this many periods are caught up with (the next ones come sooner); a longer
// stall starts the deadlines afresh.
constexpr std::int64_t kStallPeriods = 4;
}  // namespace

void FrameTimer::Start(std::int64_t period) {
  period_ = period;
  started_ = false;
}

bool FrameTimer::Wait() {
  if (!Running()) return false;
  platform::ClockFacet& clock = platform::Clock();
  const auto now = static_cast<std::int64_t>(clock.Counter());
  // A deadline far ahead means frames were run without waiting (a replay fast-forwarding): the
  // pace takes up from now rather than waiting for the clock to catch up with them.
  if (!started_ || now > deadline_ + kStallPeriods * period_ || deadline_ > now + kStallPeriods * period_) {
    deadline_ = started_ ? now : now + period_;
    started_ = true;
  }
  const bool early = now < deadline_;
  if (early) clock.SleepUntil(static_cast<std::uint64_t>(deadline_));
  deadline_ += period_;
  return early;
}

}  // namespace rt
