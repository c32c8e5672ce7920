#include "runtime/input/keyboard.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "runtime/core/runtime_state.h"
#include "runtime/display/screen.h"
#include "runtime/platform/platform.h"

namespace rt {

namespace {

constexpr int kKeyCount = 256;
constexpr int kAnyKey = -1;
constexpr std::uint8_t kHeldBit = 0x80;

enum class KeyboardState { NotSetUp, Detached, Reading };

struct Keyboard : LibraryState {
  KeyboardState state = KeyboardState::NotSetUp;
  std::array<std::uint8_t, kKeyCount> snapshot{};
};

Keyboard& State() {
  return PartOf<Keyboard>(Runtime().keyboard);
}

bool AnyKeyHeld(const Keyboard& keyboard) {
  // The last code is left out, as the any-key question always has.
  return std::any_of(keyboard.snapshot.begin(), keyboard.snapshot.end() - 1,
                     [](std::uint8_t key) { return (key & kHeldBit) != 0; });
}

}  // namespace

int InitKeyboardInput() {
  Keyboard& keyboard = State();
  if (keyboard.state != KeyboardState::NotSetUp) return 1;
  if (!platform::Input().HasKeyboard()) return 0;
  keyboard.state = KeyboardState::Detached;
  return 1;
}

// The keyboard follows the display's focus: a read without it fails and detaches, and the next read
// with it attaches again, so a key held across the focus's return counts from that read on.
int ReadKeyboard() {
  Keyboard& keyboard = State();
  if (keyboard.state == KeyboardState::NotSetUp) return 0;
  if (!ScreenActive()) {
    keyboard.state = KeyboardState::Detached;
    return 0;
  }
  platform::Input().ReadKeyState(keyboard.snapshot.data());
  keyboard.state = KeyboardState::Reading;
  return 1;
}

int KeyDown(int code) {
  const Keyboard& keyboard = State();
  if (keyboard.state != KeyboardState::Reading) return 0;
  if (code == kAnyKey) return AnyKeyHeld(keyboard) ? 1 : 0;
  if (code < 0 || code >= kKeyCount) return 0;
  return keyboard.snapshot[code] & kHeldBit;
}

void EndKeyboardInput() {
  Runtime().keyboard.reset();
}

}  // namespace rt
