#include "runtime/platform/headless/headless_platform.h"

#include <utility>

namespace rt::platform {

void HeadlessPlatform::At(int frame, const Action& action) {
  if (frame <= frames_) {
    Apply(action);
  } else {
    script_.emplace(frame, action);
  }
}

void HeadlessPlatform::SetFrameCallback(std::function<void(int frame)> callback) {
  frameCallback_ = std::move(callback);
}

void HeadlessPlatform::EndFrame() {
  ++frames_;
  const auto [first, last] = script_.equal_range(frames_);
  for (auto it = first; it != last; ++it) Apply(it->second);
  script_.erase(first, last);
  if (frameCallback_) frameCallback_(frames_);
}

void HeadlessPlatform::Apply(const Action& action) {
  Event event;
  switch (action.kind) {
    case Action::Kind::KeyDown:
    case Action::Kind::KeyUp:
      event.type = action.kind == Action::Kind::KeyDown ? EventType::KeyDown : EventType::KeyUp;
      event.scanCode = action.code;
      return SendInput(event);
    case Action::Kind::ButtonDown:
    case Action::Kind::ButtonUp:
      event.type =
          action.kind == Action::Kind::ButtonDown ? EventType::MouseButtonDown : EventType::MouseButtonUp;
      event.button = action.code;
      return SendInput(event);
    case Action::Kind::MouseMotion:
      event.type = EventType::MouseMotion;
      event.dx = action.x;
      event.dy = action.y;
      return SendInput(event);
    case Action::Kind::MouseWheel:
      event.type = EventType::MouseWheel;
      event.wheel = action.x;
      return SendInput(event);
    case Action::Kind::FocusLost:
      return video_.Focus(0);
    case Action::Kind::FocusGained:
      return video_.RestoreFocus();
    case Action::Kind::CloseRequest:
      return video_.Close();
    case Action::Kind::ClockJump:
      return clock_.JumpWallClock(action.seconds);
    case Action::Kind::MoveWindow:
      return video_.Move(action.x, action.y);
    case Action::Kind::AudioDeviceLost:
      return input_.Send(EventType::AudioDeviceLost, 0);
    case Action::Kind::DisplayChanged:
      return input_.Send(EventType::DisplayChanged, 0);
    case Action::Kind::QuitRequest:
      return input_.Send(EventType::QuitRequest, 0);
    case Action::Kind::PadConnect:
      return input_.ConnectPad(action.pad);
    case Action::Kind::PadDisconnect:
      return input_.DisconnectPad(action.pad);
    case Action::Kind::PadButtonDown:
    case Action::Kind::PadButtonUp:
      return input_.PressPadButton(action.pad, action.code, action.kind == Action::Kind::PadButtonDown);
    case Action::Kind::PadAxis:
      return input_.MovePadAxis(action.pad, action.code, action.x);
  }
}

// Keys and buttons go to the focused window, as they would on a desktop.
void HeadlessPlatform::SendInput(Event event) {
  event.window = video_.FocusedWindow();
  input_.Push(event);
}

}  // namespace rt::platform
