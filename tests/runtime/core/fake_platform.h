// A backend for tests that only need the clock and the program path: it offers those two facets, and
// the machine has no display, input, audio or message box.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/platform/platform.h"

namespace rt::test {

class FakePlatform : public platform::ClockFacet, public platform::ProcessFacet {
 public:
  std::uint32_t tick = 0;
  platform::LocalDateTime localTime;
  std::string programPath = "/opt/pellaris/bin/pellaris";

  std::uint64_t Counter() override { return 0; }
  std::uint64_t CounterFrequency() override { return 1000; }
  void SleepMs(int) override {}
  void SleepUntil(std::uint64_t) override {}
  std::uint32_t TickMs() override { return tick; }
  platform::LocalDateTime LocalTime() override { return localTime; }
  std::string ProgramPath() override { return programPath; }
};

// Installs a fake backend for the lifetime of the object.
class ScopedFakePlatform {
 public:
  FakePlatform fake;

 private:
  platform::ScopedBackend installed_{platform::Backend{.clock = &fake, .process = &fake}};
};

}  // namespace rt::test
