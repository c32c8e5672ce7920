// The headless machine's clock. Its time is virtual: it moves only when the program sleeps, waits or
// ends a frame, and the wall clock and the millisecond tick follow from it.
#pragma once

#include <cstdint>

#include "runtime/platform/platform.h"

namespace rt::platform {

class HeadlessPlatform;

class HeadlessClock final : public ClockFacet {
 public:
  static constexpr std::uint64_t kFrequency = 1'000'000'000;  // the counter counts nanoseconds

  explicit HeadlessClock(HeadlessPlatform& machine) : machine_(machine) {}
  std::uint64_t Counter() override { return nanoseconds_; }
  std::uint64_t CounterFrequency() override { return kFrequency; }
  void SleepMs(int milliseconds) override;
  void SleepUntil(std::uint64_t counter) override;
  std::uint32_t TickMs() override;
  LocalDateTime LocalTime() override;
  // Moves the clock by one frame step, then lets the machine end the frame.
  void FrameBoundary() override;

  // Each FrameBoundary moves the clock by one frame step (1/60 s by default).
  void SetFramesPerSecond(int framesPerSecond);             // the step becomes exactly 1/framesPerSecond s
  void SetFrameStepNanoseconds(std::uint64_t nanoseconds);  // 0 keeps the clock still between sleeps
  void SetStartTime(const LocalDateTime& start);            // the wall clock at time 0 (2024-06-01 12:00:00)
  void SetStartTick(std::uint32_t tick) { startTick_ = tick; }  // TickMs at time 0 (0 by default)
  void AdvanceTime(std::uint64_t nanoseconds) { nanoseconds_ += nanoseconds; }
  // The wall clock is set forward or back; the counter is not touched.
  void JumpWallClock(std::int64_t seconds) { wallJump_ += seconds; }
  std::uint64_t ElapsedNanoseconds() const { return nanoseconds_; }
  std::uint64_t SleptMilliseconds() const;

 private:
  void Sleep(std::uint64_t nanoseconds);

  HeadlessPlatform& machine_;
  std::uint64_t nanoseconds_ = 0;
  std::uint64_t stepNumerator_ = kFrequency, stepDivisor_ = 60;  // step = numerator / divisor ns
  std::uint64_t stepCarry_ = 0;
  std::uint64_t sleptNanoseconds_ = 0;
  std::int64_t wallJump_ = 0;  // seconds
  LocalDateTime start_{2024, 6, 1, 12, 0, 0};
  std::uint32_t startTick_ = 0;
};

}  // namespace rt::platform
