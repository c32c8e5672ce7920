#include "runtime/platform/event_queue.h"

#include <algorithm>
#include <cstdlib>
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
    case EventType::PadAdded:
    case EventType::PadRemoved:
    case EventType::PadButtonDown:
    case EventType::PadButtonUp:
    case EventType::PadAxisMotion: {
      Event recorded = event;
      if (!RecordPad(recorded)) return;
      if (MergeAxisMotion(recorded)) return;
      Queue(recorded);
      return;
    }
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

// False when the event changes nothing and is dropped; an axis value outside the range is clamped.
bool EventQueue::RecordPad(Event& event) {
  if (event.type == EventType::PadAdded) return pads_.try_emplace(event.pad).second;
  const auto pad = pads_.find(event.pad);
  if (pad == pads_.end()) return false;
  switch (event.type) {
    case EventType::PadRemoved:
      pads_.erase(pad);
      return true;
    case EventType::PadButtonDown:
    case EventType::PadButtonUp: {
      const int button = static_cast<int>(event.padButton);
      const bool down = event.type == EventType::PadButtonDown;
      if (!ValidPadButton(button) || pad->second.buttons[button] == down) return false;
      pad->second.buttons[button] = down;
      return true;
    }
    default: {
      const int axis = static_cast<int>(event.padAxis);
      if (!ValidPadAxis(axis)) return false;
      event.axisValue = std::clamp(event.axisValue, kPadAxisMin, kPadAxisMax);
      if (pad->second.axes[axis] == event.axisValue) return false;
      pad->second.axes[axis] = static_cast<std::int16_t>(event.axisValue);
      return true;
    }
  }
}

bool EventQueue::MergeAxisMotion(const Event& event) {
  if (event.type != EventType::PadAxisMotion) return false;
  for (auto it = events_.rbegin(); it != events_.rend() && it->type == EventType::PadAxisMotion; ++it) {
    if (it->pad == event.pad && it->padAxis == event.padAxis) {
      it->axisValue = event.axisValue;
      return true;
    }
  }
  return false;
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

// An axis equally far from rest on two pads takes the value of the lower instance id.
void EventQueue::ReadPadState(PadState& state) const {
  state = PadState{};
  state.connected = static_cast<int>(pads_.size());
  for (const auto& [id, pad] : pads_) {
    for (int i = 0; i < kPadButtonCount; ++i) state.buttons[i] = state.buttons[i] || pad.buttons[i];
    for (int i = 0; i < kPadAxisCount; ++i) {
      if (std::abs(pad.axes[i]) > std::abs(state.axes[i])) state.axes[i] = pad.axes[i];
    }
  }
}

int EventQueue::TakeMouseEvents(MouseEvent* out, int max) {
  const int count = std::min(std::max(max, 0), static_cast<int>(mouse_.size()));
  std::copy_n(mouse_.begin(), count, out);
  mouse_.erase(mouse_.begin(), mouse_.begin() + count);
  return count;
}

}  // namespace rt::platform
