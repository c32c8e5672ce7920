// Paces frames with absolute deadlines: each deadline is the one before plus the period, so a frame
// that runs late does not delay the next one and the rate holds however long each frame's own work
// takes. After a long stall (a pause, a dragged window, a clock jump) the deadlines start afresh
// instead of racing to catch up, and after frames run without waiting (a replay skipping ahead)
// instead of waiting for the clock to catch up with them.
#pragma once

#include <cstdint>

namespace rt {

class FrameTimer {
 public:
  // Starts pacing at `period` counter ticks a frame; the first wait runs a whole period.
  void Start(std::int64_t period);
  void Stop() { *this = FrameTimer{}; }
  bool Running() const { return period_ > 0; }
  std::int64_t Period() const { return period_; }
  // Sleeps until the frame's deadline; false when it was due already.
  bool Wait();

 private:
  std::int64_t period_ = 0;
  std::int64_t deadline_ = 0;
  bool started_ = false;  // false until the first wait after Start sets the first deadline
};

}  // namespace rt
