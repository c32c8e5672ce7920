// The headless machine as the display tests use it: installed for one test, a clock that moves only
// when the program sleeps or a test says so, every presented frame kept, and events given one by one,
// including what a player's script cannot make: exposures, size changes, other programs' windows,
// the focus put anywhere, a machine without a counter.
#pragma once

#include <deque>
#include <map>
#include <optional>

#include "runtime/platform/headless/headless_platform.h"

namespace rt::testing {

class TestMachine : public platform::HeadlessPlatform {
 public:
  TestMachine() {
    SetDesktop(1024, 768, 32);
    SetFrameStepNanoseconds(0);
    SetKeptFrames(1000);
    platform::Install(this);
  }
  ~TestMachine() override { platform::Install(nullptr); }
  TestMachine(const TestMachine&) = delete;
  TestMachine& operator=(const TestMachine&) = delete;

  // Events given to the program before anything the script made.
  void Push(platform::EventType type, platform::WindowId window, int scanCode = 0) {
    platform::Event event;
    event.type = type;
    event.window = window;
    event.scanCode = scanCode;
    if (type == platform::EventType::Resized) event.width = event.height = 100;
    injected.push_back(event);
  }
  void Push(const platform::Event& event) { injected.push_back(event); }
  std::size_t Pending() const { return injected.size(); }

  void GiveFocusTo(platform::WindowId window) { focus_ = window; }
  // The user dragged the window's border: the client area takes the new width.
  void ResizeClientWidth(platform::WindowId window, int width) { resized_[window] = width; }
  void RemoveCounter() { counterMissing_ = true; }

  // The clock in microseconds, and the program's own work moving it.
  std::uint64_t Micros() const { return ElapsedNanoseconds() / 1000; }
  void Work(std::uint64_t microseconds) { AdvanceTime(microseconds * 1000); }

  const platform::HeadlessWindow& WindowAt(std::int64_t id) const {
    return *Window(static_cast<platform::WindowId>(id));
  }
  int LiveWindows() const { return static_cast<int>(Windows().size()); }
  const std::deque<platform::PresentedFrame>& Presents() const { return KeptFrames(); }

  // The program sees only the events a test gives it; the machine's own (the focus a new window
  // takes) are dropped.
  bool NextEvent(platform::Event& event, int) override {
    platform::Event own;
    while (HeadlessPlatform::NextEvent(own, 0)) {
    }
    if (injected.empty()) return false;
    event = injected.front();
    injected.pop_front();
    return true;
  }
  platform::WindowId FocusedWindow() override { return focus_ ? *focus_ : HeadlessPlatform::FocusedWindow(); }
  bool WindowGeometry(platform::WindowId window, platform::Rect& outer, platform::Rect& client) override {
    if (!HeadlessPlatform::WindowGeometry(window, outer, client)) return false;
    if (auto found = resized_.find(window); found != resized_.end()) client.width = found->second;
    return true;
  }
  std::uint64_t CounterFrequency() override {
    return counterMissing_ ? 0 : HeadlessPlatform::CounterFrequency();
  }

 private:
  std::deque<platform::Event> injected;
  std::optional<platform::WindowId> focus_;
  std::map<platform::WindowId, int> resized_;
  bool counterMissing_ = false;
};

}  // namespace rt::testing
