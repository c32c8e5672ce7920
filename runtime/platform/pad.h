// Game controllers as the runtime sees them: the buttons and axes of a standard pad, named as SDL's
// game controller names them (so that its mapping strings, the replay script and bug reports share one
// vocabulary), and the state of every connected pad taken together.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace rt::platform {

// In SDL 2.26's order; the backends translate by name, not by number.
enum class PadButton {
  A,
  B,
  X,
  Y,
  Back,
  Guide,
  Start,
  LeftStick,
  RightStick,
  LeftShoulder,
  RightShoulder,
  DpadUp,
  DpadDown,
  DpadLeft,
  DpadRight,
  Misc1,
  Paddle1,
  Paddle2,
  Paddle3,
  Paddle4,
  Touchpad,
};
inline constexpr int kPadButtonCount = static_cast<int>(PadButton::Touchpad) + 1;

// Sticks rest at 0, up and left negative; triggers run from 0 (released) to kPadAxisMax.
enum class PadAxis { LeftX, LeftY, RightX, RightY, LeftTrigger, RightTrigger };
inline constexpr int kPadAxisCount = static_cast<int>(PadAxis::RightTrigger) + 1;
inline constexpr int kPadAxisMin = -32768;
inline constexpr int kPadAxisMax = 32767;

// SDL's names ("a", "dpup", "lefttrigger", ...); nullptr for a value outside the enumeration.
const char* PadButtonName(PadButton button);
const char* PadAxisName(PadAxis axis);
// The button or axis of a name, exactly as above; false for anything else.
bool PadButtonFromName(std::string_view name, PadButton& button);
bool PadAxisFromName(std::string_view name, PadAxis& axis);
// Whether a number (from a script or a backend) names a button or an axis.
bool ValidPadButton(int button);
bool ValidPadAxis(int axis);

// Every connected pad at once: a button held on any pad is held, and each axis has the value farthest
// from rest among the pads (so a second pad lying idle does not cancel the one in use).
struct PadState {
  int connected = 0;  // how many pads
  std::array<bool, kPadButtonCount> buttons{};
  std::array<std::int16_t, kPadAxisCount> axes{};

  bool Held(PadButton button) const { return buttons[static_cast<int>(button)]; }
  int Axis(PadAxis axis) const { return axes[static_cast<int>(axis)]; }
};

}  // namespace rt::platform
