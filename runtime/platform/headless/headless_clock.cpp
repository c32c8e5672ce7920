#include "runtime/platform/headless/headless_clock.h"

#include <chrono>

#include "runtime/platform/headless/headless_platform.h"

namespace rt::platform {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::uint64_t kNanosecondsPerMs = 1'000'000;

// The wall clock counts seconds since 1970-01-01 on the proleptic Gregorian calendar.
std::int64_t SecondsFromDate(const LocalDateTime& date) {
  using namespace std::chrono;
  const sys_days day{year{date.year} / month{static_cast<unsigned>(date.month)} /
                     static_cast<unsigned>(date.day)};
  return day.time_since_epoch().count() * kSecondsPerDay + date.hour * 3600 + date.minute * 60 + date.second;
}

LocalDateTime DateFromSeconds(std::int64_t seconds) {
  using namespace std::chrono;
  const sys_days day = floor<days>(sys_seconds{std::chrono::seconds{seconds}});
  const year_month_day calendar{day};
  const std::int64_t secondOfDay = seconds - day.time_since_epoch().count() * kSecondsPerDay;
  return LocalDateTime{static_cast<int>(calendar.year()),
                       static_cast<int>(static_cast<unsigned>(calendar.month())),
                       static_cast<int>(static_cast<unsigned>(calendar.day())),
                       static_cast<int>(secondOfDay / 3600),
                       static_cast<int>(secondOfDay / 60 % 60),
                       static_cast<int>(secondOfDay % 60)};
}

}  // namespace

void HeadlessClock::SetFramesPerSecond(int framesPerSecond) {
  if (framesPerSecond <= 0) return;
  stepNumerator_ = kFrequency;
  stepDivisor_ = static_cast<std::uint64_t>(framesPerSecond);
  stepCarry_ = 0;
}

void HeadlessClock::SetFrameStepNanoseconds(std::uint64_t nanoseconds) {
  stepNumerator_ = nanoseconds;
  stepDivisor_ = 1;
  stepCarry_ = 0;
}

void HeadlessClock::SetStartTime(const LocalDateTime& start) {
  start_ = start;
}

std::uint64_t HeadlessClock::SleptMilliseconds() const {
  return sleptNanoseconds_ / kNanosecondsPerMs;
}

void HeadlessClock::Sleep(std::uint64_t nanoseconds) {
  sleptNanoseconds_ += nanoseconds;
  AdvanceTime(nanoseconds);
}

void HeadlessClock::SleepMs(int milliseconds) {
  if (milliseconds <= 0) return;
  Sleep(static_cast<std::uint64_t>(milliseconds) * kNanosecondsPerMs);
}

// The machine sleeps in whole milliseconds, as a millisecond timer does: a sleep until a counter value
// ends at the first whole millisecond past it.
void HeadlessClock::SleepUntil(std::uint64_t counter) {
  if (counter <= nanoseconds_) return;
  Sleep(((counter - nanoseconds_) / kNanosecondsPerMs + 1) * kNanosecondsPerMs);
}

std::uint32_t HeadlessClock::TickMs() {
  return startTick_ + static_cast<std::uint32_t>(nanoseconds_ / kNanosecondsPerMs);
}

LocalDateTime HeadlessClock::LocalTime() {
  const auto elapsed = static_cast<std::int64_t>(nanoseconds_ / kFrequency);
  return DateFromSeconds(SecondsFromDate(start_) + elapsed + wallJump_);
}

void HeadlessClock::FrameBoundary() {
  stepCarry_ += stepNumerator_;
  AdvanceTime(stepCarry_ / stepDivisor_);
  stepCarry_ %= stepDivisor_;
  machine_.EndFrame();
}

}  // namespace rt::platform
