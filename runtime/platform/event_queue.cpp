#include "runtime/platform/event_queue.h"

#include <algorithm>
#include <cstring>

namespace rt::platform {

namespace {

constexpr std::uint8_t kKeyHeld = 0x80;

bool ValidScanCode(int scanCode) {
  return scanCode >= 0 && scanCode < 256;
}

bool MergesInto(const Event& last, const Event& next) {
  return next.type == EventType::MouseMotion && last.type == EventType::MouseMotion &&
         last.window == next.window;
}

}  // namespace

void EventQueue::Push(const Event& event) {
  switch (event.type) {
    case EventType::KeyDown:
      if (!ValidScanCode(event.scanCode) || KeyHeld(event.scanCode)) return;
      keys_[event.scanCode] = kKeyHeld;
      break;
    case EventType::KeyUp:
      if (!ValidScanCode(event.scanCode)) return;
      keys_[event.scanCode] = 0;
      break;
    case EventType::MouseMotion:
    case EventType::MouseButtonDown:
    case EventType::MouseButtonUp:
    case EventType::MouseWheel:
      RecordMouse(event);
      break;
    default:
      break;
  }
  Queue(event);
}

void EventQueue::Queue(const Event& event) {
  if (!events_.empty() && MergesInto(events_.back(), event)) {
    events_.back().dx += event.dx;
    events_.back().dy += event.dy;
    return;
  }
  if (events_.size() == kMaxEvents) events_.pop_front();
  events_.push_back(event);
}

bool EventQueue::Pop(Event& event) {
  if (events_.empty()) return false;
  event = events_.front();
  events_.pop_front();
  return true;
}

void EventQueue::RecordMouse(const Event& event) {
  switch (event.type) {
    case EventType::MouseMotion:
      RecordMouseMove(event.dx, event.dy, 0);
      break;
    case EventType::MouseWheel:
      RecordMouseMove(0, 0, event.wheel);
      break;
    case EventType::MouseButtonDown:
      RecordMouseButton(MouseEvent::Type::ButtonDown, event.button);
      break;
    default:
      RecordMouseButton(MouseEvent::Type::ButtonUp, event.button);
      break;
  }
}

void EventQueue::RecordMouseMove(int dx, int dy, int wheel) {
  if (mouse_.empty() || mouse_.back().type != MouseEvent::Type::Move) {
    if (mouse_.size() == kMaxMouseRecords) return;
    mouse_.push_back(MouseEvent{});
  }
  MouseEvent& move = mouse_.back();
  move.dx += dx;
  move.dy += dy;
  move.wheel += wheel;
}

void EventQueue::RecordMouseButton(MouseEvent::Type type, int button) {
  if (mouse_.size() == kMaxMouseRecords) return;
  MouseEvent record;
  record.type = type;
  record.button = button;
  mouse_.push_back(record);
}

void EventQueue::ReadKeyState(std::uint8_t state[256]) const {
  std::memcpy(state, keys_.data(), 256);
}

bool EventQueue::KeyHeld(int scanCode) const {
  return ValidScanCode(scanCode) && keys_[scanCode] != 0;
}

int EventQueue::TakeMouseEvents(MouseEvent* out, int max) {
  const int count = std::min(std::max(max, 0), static_cast<int>(mouse_.size()));
  std::copy_n(mouse_.begin(), count, out);
  mouse_.erase(mouse_.begin(), mouse_.begin() + count);
  return count;
}

}  // namespace rt::platform
