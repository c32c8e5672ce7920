// The game's controls and what drives each: keys and game controller inputs, several per control.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace pellaris::play {

enum class Control { Fire, FireLimited, Thrust, Start, Quit, Pause, Mute, Fullscreen };
inline constexpr std::size_t kControlCount = 8;

inline constexpr std::array<Control, kControlCount> kControls = {
    Control::Fire, Control::FireLimited, Control::Thrust, Control::Start,
    Control::Quit, Control::Pause,       Control::Mute,   Control::Fullscreen};

// The name in the settings file and the help ("fire-limited"), and what the control does.
const char* ControlName(Control control);
const char* ControlDescription(Control control);

struct Bindings {
  std::array<std::vector<int>, kControlCount> keys;         // key codes (key_names.h)
  std::array<std::vector<std::string>, kControlCount> pad;  // controller inputs (pad_names.h)

  std::vector<int>& Keys(Control control) { return keys[static_cast<std::size_t>(control)]; }
  const std::vector<int>& Keys(Control control) const { return keys[static_cast<std::size_t>(control)]; }
  std::vector<std::string>& Pad(Control control) { return pad[static_cast<std::size_t>(control)]; }
  const std::vector<std::string>& Pad(Control control) const {
    return pad[static_cast<std::size_t>(control)];
  }

  bool operator==(const Bindings&) const = default;
};

// The game's own keys (Left Ctrl fires, Space thrusts, ...) and a controller layout to go with them.
Bindings DefaultBindings();

// "RightCtrl, RightShift"; "a, dpup, lefty-"; "" for none.
std::string KeyList(const std::vector<int>& codes);
std::string PadList(const std::vector<std::string>& inputs);

}  // namespace pellaris::play
