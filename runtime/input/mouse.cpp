#include "runtime/input/mouse.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "runtime/display/runtime.h"
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

struct Mouse {
  bool present = false;
  bool used = false;
  bool attached = false;  // false: the next read takes the mouse afresh
  bool acquired = false;
  bool released = false;
  bool cursorShown = true;  // our own record of our hide and show calls
  bool relative = false;
  int x = 0, y = 0;
  Motion last;  // the last read's sums and the buttons' states
};

Mouse mouse;

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
  if (mouse.relative == on) return;
  mouse.relative = on;
  platform::Get().SetRelativeMouse(on);
}

void DiscardWaitingEvents() {
  platform::MouseEvent records[kFetchChunk];
  while (platform::Get().TakeMouseEvents(records, kFetchChunk) == kFetchChunk) {
  }
}

// Taking the mouse starts from a clean slate: what happened while it was not ours is not the game's.
void Acquire() {
  DiscardWaitingEvents();
  mouse.acquired = true;
  if (!WindowedScreenOpen()) SetRelative(true);
}

void Unacquire() {
  mouse.acquired = false;
  SetRelative(false);
}

void FreeCursor() {
  if (WindowedScreenOpen()) {
    platform::Get().ConfineCursor(DisplayWindow(), nullptr);
    if (!mouse.cursorShown) {
      platform::Get().ShowCursor(true);
      mouse.cursorShown = true;
    }
  }
  Unacquire();
}

void CaptureCursor() {
  const platform::Rect area = WindowedScreenArea();
  platform::Get().ConfineCursor(DisplayWindow(), &area);
  if (mouse.cursorShown) {
    platform::Get().ShowCursor(false);
    mouse.cursorShown = false;
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
  motion.buttons = mouse.last.buttons;
  platform::MouseEvent records[kFetchChunk];
  int taken = kFetchChunk;
  while (taken == kFetchChunk) {
    taken = platform::Get().TakeMouseEvents(records, kFetchChunk);
    for (int i = 0; i < taken; ++i) Apply(records[i], motion);
  }
  return motion;
}

// More button changes than the mouse keeps: they are lost, and so is the knowledge of which of the
// two main buttons is held.
int Overflow() {
  mouse.last.buttons[0] = mouse.last.buttons[1] = 0;
  return 0;
}

void ClearSums() {
  mouse.last.dx = mouse.last.dy = mouse.last.wheel = 0;
}

}  // namespace

int InitMouseInput() {
  mouse.used = true;
  RegisterEndRoutine(EndOrder::Mouse, EndMouseInput);
  SetDeactivationHook(Unacquire);
  if (!platform::Get().HasMouse()) return 0;
  mouse.present = true;
  mouse.cursorShown = true;
  mouse.attached = false;
  mouse.released = false;
  return 1;
}

int ReadMouse() {
  ClearSums();
  if (!mouse.present) return 0;
  if (mouse.released || !ScreenActive()) {
    FreeCursor();
    return 0;
  }
  if (WindowedScreenOpen()) CaptureCursor();
  if (!mouse.attached) {
    mouse.attached = true;
    Acquire();
  } else if (!mouse.acquired) {
    Acquire();  // the focus came back: this read only takes the mouse again
    return 0;
  }
  const Motion motion = Collect();
  if (motion.buttonEvents > kBufferedButtonEvents) return Overflow();
  mouse.last = motion;
  mouse.x = ClampToScreen(mouse.x, motion.dx, ScreenWidth());
  mouse.y = ClampToScreen(mouse.y, motion.dy, ScreenHeight());
  if (WindowedScreenOpen()) {
    const platform::Rect area = WindowedScreenArea();
    platform::Get().WarpCursor(DisplayWindow(), area.x + mouse.x, area.y + mouse.y);
  }
  return 1;
}

int MouseButtonDown(int button) {
  if (button < 1 || button > kButtons) return 0;
  return mouse.last.buttons[button - 1];
}

void ReleaseMouse(int flag) {
  if (flag != 1) {
    mouse.released = false;
    return;
  }
  mouse.attached = false;
  mouse.released = true;
  if (mouse.present) FreeCursor();
}

int MouseX() {
  return mouse.x;
}
int MouseY() {
  return mouse.y;
}
int MouseDeltaX() {
  return mouse.last.dx;
}
int MouseDeltaY() {
  return mouse.last.dy;
}
int MouseWheel() {
  return mouse.last.wheel;
}

void MouseLocate(int x, int y) {
  mouse.x = x;
  mouse.y = y;
}

void EndMouseInput() {
  if (!mouse.used) return;
  if (mouse.present) {
    platform::Get().ConfineCursor(DisplayWindow(), nullptr);
    if (!mouse.cursorShown) platform::Get().ShowCursor(true);
    SetRelative(false);
  }
  SetDeactivationHook(nullptr);
  mouse = Mouse{};
}

}  // namespace rt
