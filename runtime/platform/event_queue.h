// What a backend keeps of the events it has taken from the machine: the events not yet handed out by
// NextEvent, and the keyboard and mouse state they leave behind. Both backends feed it the same way,
// so keys, repeats and mouse records behave alike on the desktop and in tests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>

#include "runtime/platform/platform.h"

namespace rt::platform {

class EventQueue {
 public:
  // The game takes one event per frame in a window; a backlog beyond this loses its oldest events.
  static constexpr std::size_t kMaxEvents = 512;
  // Past this many mouse records the newest button changes are dropped; a reader that counts button
  // changes sees an overflow long before.
  static constexpr std::size_t kMaxMouseRecords = 128;

  // Key events set or clear the key (a key-down for a key already held is auto-repeat: dropped
  // altogether); mouse events join the mouse records. Consecutive motion merges into one event.
  void Push(const Event& event);
  bool Pop(Event& event);
  bool Empty() const { return events_.empty(); }
  std::size_t Size() const { return events_.size(); }

  void ReadKeyState(std::uint8_t state[256]) const;
  int TakeMouseEvents(MouseEvent* out, int max);
  bool KeyHeld(int scanCode) const;

 private:
  void Queue(const Event& event);
  void RecordMouse(const Event& event);
  void RecordMouseMove(int dx, int dy, int wheel);
  void RecordMouseButton(MouseEvent::Type type, int button);

  std::deque<Event> events_;
  std::array<std::uint8_t, 256> keys_{};
  std::deque<MouseEvent> mouse_;
};

}  // namespace rt::platform
