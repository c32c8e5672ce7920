// What a backend keeps of the events it has taken from the machine: the events not yet handed out by
// NextEvent, and the keyboard, mouse and game controller state they leave behind. Both backends feed it the
// same way, so keys, repeats and mouse records behave alike on the desktop and in tests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>

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
  // Pad events keep each connected pad's buttons and axes; one that changes nothing (a pad added twice,
  // a button already in that state, an axis already at that value, any event of a pad not connected)
  // is dropped. Axis motion updates a pending motion of the same pad and axis when only axis motion
  // came after it: a stick moving in two directions does not flood the queue, and nothing is
  // reordered around buttons or other events.
  void Push(const Event& event);
  bool Pop(Event& event);
  bool Empty() const { return events_.empty(); }
  std::size_t Size() const { return events_.size(); }

  void ReadKeyState(std::uint8_t state[256]) const;
  int TakeMouseEvents(MouseEvent* out, int max);
  bool KeyHeld(int scanCode) const;
  void ReadPadState(PadState& state) const;
  bool PadConnected(int pad) const { return pads_.count(pad) != 0; }

 private:
  void Queue(const Event& event);
  void RecordMouse(const Event& event);
  void RecordMouseMove(int dx, int dy, int wheel);
  void RecordMouseButton(MouseEvent::Type type, int button);
  bool RecordPad(Event& event);
  bool MergeAxisMotion(const Event& event);

  struct Pad {
    std::array<bool, kPadButtonCount> buttons{};
    std::array<std::int16_t, kPadAxisCount> axes{};
  };

  std::deque<Event> events_;
  std::array<std::uint8_t, 256> keys_{};
  std::deque<MouseEvent> mouse_;
  std::map<int, Pad> pads_;  // by instance id
};

}  // namespace rt::platform
