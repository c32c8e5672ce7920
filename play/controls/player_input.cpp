#include "play/controls/player_input.h"

#include <algorithm>

#include "runtime/platform/key_codes.h"

namespace pellaris::play {

namespace {

constexpr int kHalfTravel = rt::platform::kPadAxisMax / 2;

// The key the game itself reads for a control, or 0 for the controls around the game.
int GameKey(Control control) {
  switch (control) {
    case Control::Fire:
      return rt::kKeyLeftCtrl;
    case Control::FireLimited:
      return rt::kKeyRightCtrl;
    case Control::Thrust:
      return rt::kKeySpace;
    case Control::Start:
      return rt::kKeyEnter;
    case Control::Quit:
      return rt::kKeyEscape;
    default:
      return 0;
  }
}

bool AltHeld(const std::uint8_t keys[256]) {
  return keys[rt::kKeyLeftAlt] != 0 || keys[rt::kKeyRightAlt] != 0;
}

}  // namespace

bool PadInputHeld(const rt::platform::PadState& pads, const std::string& input) {
  rt::platform::PadButton button;
  if (rt::platform::PadButtonFromName(input, button)) return pads.Held(button);
  const bool stickDirection = !input.empty() && (input.back() == '+' || input.back() == '-');
  rt::platform::PadAxis axis;
  if (!rt::platform::PadAxisFromName(stickDirection ? input.substr(0, input.size() - 1) : input, axis))
    return false;
  const int value = pads.Axis(axis);
  return stickDirection && input.back() == '-' ? value < -kHalfTravel : value > kHalfTravel;
}

PlayerInput::Devices PlayerInput::Read() {
  Devices devices;
  next_.ReadKeyState(devices.keys);
  next_.ReadPadState(devices.pads);
  return devices;
}

// Alt+Enter is the full-screen toggle, so Enter with Alt held does not start a round as well.
bool PlayerInput::Held(const Devices& devices, Control control) const {
  // Asked first and every time, as a source may count a press that came and went since it was asked.
  if (more_ && more_->Held(control)) return true;
  const bool keysCount = control != Control::Start || !AltHeld(devices.keys);
  const std::vector<int>& keys = bindings_.Keys(control);
  if (keysCount && std::any_of(keys.begin(), keys.end(),
                               [&](int key) { return key > 0 && key < 256 && devices.keys[key] != 0; })) {
    return true;
  }
  const std::vector<std::string>& inputs = bindings_.Pad(control);
  return std::any_of(inputs.begin(), inputs.end(),
                     [&](const std::string& input) { return PadInputHeld(devices.pads, input); });
}

void PlayerInput::ReadKeyState(std::uint8_t state[256]) {
  const Devices devices = Read();
  std::copy(std::begin(devices.keys), std::end(devices.keys), state);
  state[rt::kKeyRightShift] = 0;  // the game's second limited-fire key: the bindings decide
  for (Control control : kControls) {
    if (const int key = GameKey(control)) state[key] = Held(devices, control) ? 0x80 : 0;
  }
}

PlayerPresses PlayerInput::TakePresses() {
  const Devices devices = Read();
  auto pressed = [&](Control control) {
    bool& was = wasHeld_[static_cast<std::size_t>(control)];
    const bool held = Held(devices, control);
    const bool press = held && !was;
    was = held;
    return press;
  };
  const bool altEnter = AltHeld(devices.keys) && devices.keys[rt::kKeyEnter] != 0;
  const bool altEnterPressed = altEnter && !altEnterWasHeld_;
  altEnterWasHeld_ = altEnter;
  PlayerPresses presses;
  presses.pause = pressed(Control::Pause);
  presses.mute = pressed(Control::Mute);
  presses.fullscreen = pressed(Control::Fullscreen) || altEnterPressed;
  presses.quit = pressed(Control::Quit);
  return presses;
}

bool PlayerInput::NextEvent(rt::platform::Event& event, int timeoutMs) {
  if (!closeRequested_) return next_.NextEvent(event, timeoutMs);
  closeRequested_ = false;
  event = rt::platform::Event{rt::platform::EventType::CloseRequest, 0};
  return true;
}

}  // namespace pellaris::play
