#include "runtime/platform/pad.h"

namespace rt::platform {

namespace {

constexpr const char* kButtonNames[kPadButtonCount] = {
    "a",
    "b",
    "x",
    "y",
    "back",
    "guide",
    "start",
    "leftstick",
    "rightstick",
    "leftshoulder",
    "rightshoulder",
    "dpup",
    "dpdown",
    "dpleft",
    "dpright",
    "misc1",
    "paddle1",
    "paddle2",
    "paddle3",
    "paddle4",
    "touchpad",
};

constexpr const char* kAxisNames[kPadAxisCount] = {"leftx",  "lefty",       "rightx",
                                                   "righty", "lefttrigger", "righttrigger"};

template <int Count>
int IndexOf(const char* const (&names)[Count], std::string_view name) {
  for (int i = 0; i < Count; ++i) {
    if (name == names[i]) return i;
  }
  return -1;
}

}  // namespace

bool ValidPadButton(int button) {
  return button >= 0 && button < kPadButtonCount;
}

bool ValidPadAxis(int axis) {
  return axis >= 0 && axis < kPadAxisCount;
}

const char* PadButtonName(PadButton button) {
  const int index = static_cast<int>(button);
  return ValidPadButton(index) ? kButtonNames[index] : nullptr;
}

const char* PadAxisName(PadAxis axis) {
  const int index = static_cast<int>(axis);
  return ValidPadAxis(index) ? kAxisNames[index] : nullptr;
}

bool PadButtonFromName(std::string_view name, PadButton& button) {
  const int index = IndexOf(kButtonNames, name);
  if (index < 0) return false;
  button = static_cast<PadButton>(index);
  return true;
}

bool PadAxisFromName(std::string_view name, PadAxis& axis) {
  const int index = IndexOf(kAxisNames, name);
  if (index < 0) return false;
  axis = static_cast<PadAxis>(index);
  return true;
}

}  // namespace rt::platform
