// The headless machine's input: the events waiting for the program (the script's, and the windows'
// own), the devices' state kept from them, virtual game controllers and the cursor.
#pragma once

#include <cstdint>
#include <map>

#include "runtime/platform/event_queue.h"
#include "runtime/platform/platform.h"

namespace rt::platform {

class HeadlessPlatform;

struct CursorState {
  bool visible = true;
  bool relative = false;
  bool confined = false;
  WindowId confineWindow = 0;
  Rect confineArea;  // in the window's client coordinates
  int confineCalls = 0;
  int warps = 0;
  WindowId warpWindow = 0;
  int warpX = 0, warpY = 0;  // the last warp, in the window's client coordinates
};

class HeadlessInput final : public InputFacet {
 public:
  explicit HeadlessInput(HeadlessPlatform& machine) : machine_(machine) {}
  bool NextEvent(Event& event, int timeoutMs) override;
  void ReadKeyState(std::uint8_t state[256]) override { queue_.ReadKeyState(state); }
  int TakeMouseEvents(MouseEvent* out, int max) override { return queue_.TakeMouseEvents(out, max); }
  void ReadPadState(PadState& state) override { queue_.ReadPadState(state); }
  bool HasKeyboard() override { return keyboard_; }
  bool HasMouse() override { return mouse_; }
  void ShowCursor(bool visible) override { cursor_.visible = visible; }
  void ConfineCursor(WindowId window, const Rect* clientArea) override;
  void WarpCursor(WindowId window, int x, int y) override;
  void SetRelativeMouse(bool on) override { cursor_.relative = on; }

  void SetKeyboardPresent(bool present) { keyboard_ = present; }
  void SetMousePresent(bool present) { mouse_ = present; }
  const CursorState& Cursor() const { return cursor_; }
  bool KeyHeld(int scanCode) const { return queue_.KeyHeld(scanCode); }

  // Events for the program to take, in the order they are given.
  void Push(const Event& event) { queue_.Push(event); }
  void Send(EventType type, WindowId window);
  // A window is gone: the cursor is no longer held in it.
  void ForgetWindow(WindowId window);

  // Virtual game controllers, numbered from 0. Each plug-in gets a new instance id, as with SDL; a
  // button or axis of a pad that is not connected plugs it in. Unknown buttons and axes are ignored.
  void ConnectPad(int pad);
  void DisconnectPad(int pad);
  void PressPadButton(int pad, int button, bool down);
  void MovePadAxis(int pad, int axis, int value);

 private:
  int PlugPad(int pad);  // its instance id, plugging it in if it is not connected

  HeadlessPlatform& machine_;
  bool keyboard_ = true, mouse_ = true;
  EventQueue queue_;
  CursorState cursor_;
  std::map<int, int> pads_;  // the connected virtual pads' instance ids by number
  int nextPadId_ = 0;
};

}  // namespace rt::platform
