// The keys, buttons and window event the game reacts to (keyboard scan codes, mouse buttons 1 and 2).
#pragma once

namespace pellaris {

constexpr int kKeyEscape = 1;
constexpr int kKeyEnter = 28;
constexpr int kKeyLeftCtrl = 29;
constexpr int kKeyRightShift = 54;
constexpr int kKeySpace = 57;
constexpr int kKeyRightCtrl = 157;
constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;

constexpr int kEventCloseRequest = 16;

}  // namespace pellaris
