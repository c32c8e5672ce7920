#include "runtime/input/keyboard.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "runtime/display/runtime.h"
#include "runtime/display/screen.h"
#include "runtime/platform/platform.h"

namespace rt {

namespace {

constexpr int kKeyCount = 256;
constexpr int kAnyKey = -1;
constexpr std::uint8_t kHeldBit = 0x80;

enum class KeyboardState { NotSetUp, Detached, Reading };

struct Keyboard {
  KeyboardState state = KeyboardState::NotSetUp;
  bool used = false;
  std::array<std::uint8_t, kKeyCount> snapshot{};
};

Keyboard keyboard;

bool AnyKeyHeld() {
  // The last code is left out, as the any-key question always has.
  return std::any_of(keyboard.snapshot.begin(), keyboard.snapshot.end() - 1,
                     [](std::uint8_t key) { return (key & kHeldBit) != 0; });
}

}  // namespace

int InitKeyboardInput() {
  keyboard.used = true;
  RegisterEndRoutine(EndOrder::Keyboard, EndKeyboardInput);
  if (keyboard.state != KeyboardState::NotSetUp) return 1;
  if (!platform::Get().HasKeyboard()) return 0;
  keyboard.state = KeyboardState::Detached;
  return 1;
}

// The keyboard follows the display's focus: a read without it fails and detaches, and the next read
// with it attaches again, so a key held across the focus's return counts from that read on.
int ReadKeyboard() {
  if (keyboard.state == KeyboardState::NotSetUp) return 0;
  if (!ScreenActive()) {
    keyboard.state = KeyboardState::Detached;
    return 0;
  }
  platform::Get().ReadKeyState(keyboard.snapshot.data());
  keyboard.state = KeyboardState::Reading;
  return 1;
}

int KeyDown(int code) {
  if (keyboard.state != KeyboardState::Reading) return 0;
  if (code == kAnyKey) return AnyKeyHeld() ? 1 : 0;
  if (code < 0 || code >= kKeyCount) return 0;
  return keyboard.snapshot[code] & kHeldBit;
}

void EndKeyboardInput() {
  if (!keyboard.used) return;
  keyboard = Keyboard{};
}

}  // namespace rt
