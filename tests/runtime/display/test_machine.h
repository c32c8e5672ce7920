// The headless machine as the display tests use it: installed for one test, a clock that moves only
// when the program sleeps or a test says so, every presented frame kept, and events given one by one,
// including what a player's script cannot make: exposures, size changes, other programs' windows,
// the focus put anywhere, a machine without a counter.
#pragma once

#include <deque>
#include <map>
#include <optional>

#include "runtime/platform/event_queue.h"
#include "runtime/platform/forwarding_facets.h"
#include "runtime/platform/headless/headless_platform.h"

namespace rt::test {

class TestMachine : public platform::HeadlessPlatform {
 public:
  TestMachine() {
    SetDesktop(1024, 768, 32);
    SetFrameStepNanoseconds(0);
    SetKeptFrames(1000);
  }

  // Events given to the program before anything the script made.
  void Push(platform::EventType type, platform::WindowId window, int scanCode = 0) {
    platform::Event event;
    event.type = type;
    event.window = window;
    event.scanCode = scanCode;
    if (type == platform::EventType::Resized) event.width = event.height = 100;
    Push(event);
  }
  void Push(const platform::Event& event) { injected_.Push(event); }
  std::size_t Pending() const { return injected_.Size(); }

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

 private:
  // The program sees only the events a test gives it, merged as a backend's queue merges them; the
  // machine's own (the focus a new window takes) are dropped.
  class InjectedInput : public platform::ForwardingInput {
   public:
    explicit InjectedInput(TestMachine& test) : ForwardingInput(test.Input()), test_(test) {}
    bool NextEvent(platform::Event& event, int) override {
      platform::Event own;
      while (next_.NextEvent(own, 0)) {
      }
      return test_.injected_.Pop(event);
    }

   private:
    TestMachine& test_;
  };

  class SteeredVideo : public platform::ForwardingVideo {
   public:
    explicit SteeredVideo(TestMachine& test) : ForwardingVideo(test.Video()), test_(test) {}
    platform::WindowId FocusedWindow() override {
      return test_.focus_ ? *test_.focus_ : next_.FocusedWindow();
    }
    bool WindowGeometry(platform::WindowId window, platform::Rect& outer, platform::Rect& client) override {
      if (!next_.WindowGeometry(window, outer, client)) return false;
      if (auto found = test_.resized_.find(window); found != test_.resized_.end())
        client.width = found->second;
      return true;
    }

   private:
    TestMachine& test_;
  };

  class SteeredClock : public platform::ForwardingClock {
   public:
    explicit SteeredClock(TestMachine& test) : ForwardingClock(test.Clock()), test_(test) {}
    std::uint64_t CounterFrequency() override { return test_.counterMissing_ ? 0 : next_.CounterFrequency(); }

   private:
    TestMachine& test_;
  };

  platform::Backend TestFacets() {
    platform::Backend facets = Facets();
    facets.input = &input_;
    facets.video = &video_;
    facets.clock = &clock_;
    return facets;
  }

  platform::EventQueue injected_;
  std::optional<platform::WindowId> focus_;
  std::map<platform::WindowId, int> resized_;
  bool counterMissing_ = false;
  InjectedInput input_{*this};
  SteeredVideo video_{*this};
  SteeredClock clock_{*this};
  platform::ScopedBackend installed_{TestFacets()};
};

}  // namespace rt::test
