#include "runtime/input/mouse.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "runtime/core/runtime_state.h"
#include "runtime/display/screen.h"
#include "runtime/display/windowed_screen.h"
#include "runtime/platform/platform.h"

namespace rt {

namespace {

// Button changes the mouse keeps between two reads; motion is merged and never fills it.
constexpr int kBufferedButtonEvents = 24;
constexpr int kButtons = 3;
constexpr int kFetchChunk = 32;

struct Motion {
  int dx = 0, dy = 0, wheel = 0;
  std::array<int, kButtons> buttons{};
  int buttonEvents = 0;
};

struct Mouse : LibraryState {
  bool present = false;
  bool attached = false;  // false: the next read takes the mouse afresh
  bool acquired = false;
  bool released = false;
  bool cursorShown = true;  // our own record of our hide and show calls
  bool relative = false;
  int x = 0, y = 0;
  Motion last;  // the last read's sums and the buttons' states
};

Mouse& State() {
  return PartOf<Mouse>(Runtime().mouse);
}

int SaturatingAdd(int a, int b) {
  const std::int64_t sum = static_cast<std::int64_t>(a) + b;
  return static_cast<int>(
      std::clamp<std::int64_t>(sum, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int ClampToScreen(int position, int delta, int size) {
  const std::int64_t moved = static_cast<std::int64_t>(position) + delta;
  return static_cast<int>(std::clamp<std::int64_t>(moved, 0, std::max(size - 1, 0)));
}

void SetRelative(bool on) {
  if (State().relative == on) return;
  State().relative = on;
  platform::Input().SetRelativeMouse(on);
}

void DiscardWaitingEvents() {
  platform::MouseEvent records[kFetchChunk];
  while (platform::Input().TakeMouseEvents(records, kFetchChunk) == kFetchChunk) {
  }
}

// Taking the mouse starts from a clean slate: what happened while it was not ours is not the game's.
void Acquire() {
  DiscardWaitingEvents();
  State().acquired = true;
  if (!WindowedScreenOpen()) SetRelative(true);
}

void Unacquire() {
  State().acquired = false;
  SetRelative(false);
}

void FreeCursor() {
  if (WindowedScreenOpen()) {
    platform::Input().ConfineCursor(DisplayWindow(), nullptr);
    if (!State().cursorShown) {
      platform::Input().ShowCursor(true);
      State().cursorShown = true;
    }
  }
  Unacquire();
}

void CaptureCursor() {
  const platform::Rect area = WindowedScreenArea();
  platform::Input().ConfineCursor(DisplayWindow(), &area);
  if (State().cursorShown) {
    platform::Input().ShowCursor(false);
    State().cursorShown = false;
  }
}

void Apply(const platform::MouseEvent& record, Motion& motion) {
  if (record.type == platform::MouseEvent::Type::Move) {
    motion.dx = SaturatingAdd(motion.dx, record.dx);
    motion.dy = SaturatingAdd(motion.dy, record.dy);
    motion.wheel = SaturatingAdd(motion.wheel, record.wheel);
    return;
  }
  ++motion.buttonEvents;
  if (record.button < 1 || record.button > kButtons) return;
  motion.buttons[record.button - 1] = record.type == platform::MouseEvent::Type::ButtonDown ? 1 : 0;
}

// Applies every waiting record in order, starting from the current buttons.
Motion Collect() {
  Motion motion;
  motion.buttons = State().last.buttons;
  platform::MouseEvent records[kFetchChunk];
  int taken = kFetchChunk;
  while (taken == kFetchChunk) {
    taken = platform::Input().TakeMouseEvents(records, kFetchChunk);
    for (int i = 0; i < taken; ++i) Apply(records[i], motion);
  }
  return motion;
}

// More button changes than the mouse keeps: they are lost, and so is the knowledge of which of the
// two main buttons is held.
int Overflow() {
  State().last.buttons[0] = State().last.buttons[1] = 0;
  return 0;
}

void ClearSums() {
  State().last.dx = State().last.dy = State().last.wheel = 0;
}

}  // namespace

int InitMouseInput() {
  State();
  Runtime().displayDeactivated.Connect(Unacquire);
  if (!platform::Input().HasMouse()) return 0;
  State().present = true;
  State().cursorShown = true;
  State().attached = false;
  State().released = false;
  return 1;
}

int ReadMouse() {
  ClearSums();
  if (!State().present) return 0;
  if (State().released || !ScreenActive()) {
    FreeCursor();
    return 0;
  }
  if (WindowedScreenOpen()) CaptureCursor();
  if (!State().attached) {
    State().attached = true;
    Acquire();
  } else if (!State().acquired) {
    Acquire();  // the focus came back: this read only takes the mouse again
    return 0;
  }
  const Motion motion = Collect();
  if (motion.buttonEvents > kBufferedButtonEvents) return Overflow();
  State().last = motion;
  State().x = ClampToScreen(State().x, motion.dx, ScreenWidth());
  State().y = ClampToScreen(State().y, motion.dy, ScreenHeight());
  if (WindowedScreenOpen()) {
    const platform::Rect area = WindowedScreenArea();
    platform::Input().WarpCursor(DisplayWindow(), area.x + State().x, area.y + State().y);
  }
  return 1;
}

int MouseButtonDown(int button) {
  if (button < 1 || button > kButtons) return 0;
  return State().last.buttons[button - 1];
}

void RestoreMouseButtons(const std::vector<int>& held) {
  State().last.buttons = {};
  for (const int button : held) {
    if (button >= 1 && button <= kButtons) State().last.buttons[button - 1] = 1;
  }
}

void ReleaseMouse(int flag) {
  if (flag != 1) {
    State().released = false;
    return;
  }
  State().attached = false;
  State().released = true;
  if (State().present) FreeCursor();
}

int MouseX() {
  return State().x;
}
int MouseY() {
  return State().y;
}
int MouseDeltaX() {
  return State().last.dx;
}
int MouseDeltaY() {
  return State().last.dy;
}
int MouseWheel() {
  return State().last.wheel;
}

void MouseLocate(int x, int y) {
  State().x = x;
  State().y = y;
}

void EndMouseInput() {
  const Mouse* mouse = FindPart<Mouse>(Runtime().mouse);
  if (!mouse) return;
  if (mouse->present) {
    platform::Input().ConfineCursor(DisplayWindow(), nullptr);
    if (!mouse->cursorShown) platform::Input().ShowCursor(true);
    SetRelative(false);
  }
  Runtime().displayDeactivated.Disconnect(Unacquire);
  Runtime().mouse.reset();
}

}  // namespace rt
