#include "runtime/platform/headless/headless_input.h"

#include "runtime/platform/headless/headless_platform.h"

namespace rt::platform {

namespace {

constexpr std::uint64_t kNanosecondsPerMs = 1'000'000;

}  // namespace

// Nothing arrives while the program waits: the script moves only with frames. A wait with a timeout
// lets that much time pass; a wait without one returns at once rather than hang.
bool HeadlessInput::NextEvent(Event& event, int timeoutMs) {
  if (queue_.Pop(event)) return true;
  if (timeoutMs > 0) machine_.Clock().AdvanceTime(static_cast<std::uint64_t>(timeoutMs) * kNanosecondsPerMs);
  return false;
}

void HeadlessInput::ConfineCursor(WindowId window, const Rect* clientArea) {
  ++cursor_.confineCalls;
  cursor_.confined = clientArea != nullptr && machine_.Video().Window(window) != nullptr;
  cursor_.confineWindow = cursor_.confined ? window : 0;
  cursor_.confineArea = cursor_.confined ? *clientArea : Rect{};
}

void HeadlessInput::WarpCursor(WindowId window, int x, int y) {
  if (!machine_.Video().Window(window)) return;
  ++cursor_.warps;
  cursor_.warpWindow = window;
  cursor_.warpX = x;
  cursor_.warpY = y;
}

void HeadlessInput::Send(EventType type, WindowId window) {
  Event event;
  event.type = type;
  event.window = window;
  queue_.Push(event);
}

void HeadlessInput::ForgetWindow(WindowId window) {
  if (cursor_.confineWindow != window) return;
  cursor_.confined = false;
  cursor_.confineWindow = 0;
}

int HeadlessInput::PlugPad(int pad) {
  const auto [it, plugged] = pads_.try_emplace(pad, nextPadId_);
  if (plugged) {
    ++nextPadId_;
    Event event;
    event.type = EventType::PadAdded;
    event.pad = it->second;
    queue_.Push(event);
  }
  return it->second;
}

void HeadlessInput::ConnectPad(int pad) {
  PlugPad(pad);
}

void HeadlessInput::DisconnectPad(int pad) {
  const auto it = pads_.find(pad);
  if (it == pads_.end()) return;
  Event event;
  event.type = EventType::PadRemoved;
  event.pad = it->second;
  pads_.erase(it);
  queue_.Push(event);
}

void HeadlessInput::PressPadButton(int pad, int button, bool down) {
  if (!ValidPadButton(button)) return;
  Event event;
  event.type = down ? EventType::PadButtonDown : EventType::PadButtonUp;
  event.padButton = static_cast<PadButton>(button);
  event.pad = PlugPad(pad);
  queue_.Push(event);
}

void HeadlessInput::MovePadAxis(int pad, int axis, int value) {
  if (!ValidPadAxis(axis)) return;
  Event event;
  event.type = EventType::PadAxisMotion;
  event.padAxis = static_cast<PadAxis>(axis);
  event.axisValue = value;
  event.pad = PlugPad(pad);
  queue_.Push(event);
}

}  // namespace rt::platform
