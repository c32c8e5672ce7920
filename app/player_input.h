// Input as the game sees it in a player's session: the game reads its own keys (Left Ctrl fires,
// Space thrusts, ...), and this layer sets each of them from whatever keys and controller inputs the
// player bound to its control. The controls around the game (pause, mute, full screen) are taken
// here, as presses since the last look.
#pragma once

#include <array>
#include <cstdint>

#include "app/controls.h"
#include "runtime/platform/platform.h"

namespace pellaris::app {

// The controls the player pressed since the last look, and Alt+Enter.
struct PlayerPresses {
  bool pause = false, mute = false, fullscreen = false;
};

class PlayerInput : public rt::platform::InputFacet {
 public:
  PlayerInput(rt::platform::InputFacet& machine, Bindings bindings)
      : machine_(machine), bindings_(std::move(bindings)) {}

  // The presses of pause, mute and full screen since the last call.
  PlayerPresses TakePresses();

  // The game's keys from the bindings; every other key as the machine has it.
  void ReadKeyState(std::uint8_t state[256]) override;
  void ReadPadState(rt::platform::PadState& state) override { machine_.ReadPadState(state); }
  bool NextEvent(rt::platform::Event& event, int timeoutMs) override {
    return machine_.NextEvent(event, timeoutMs);
  }
  int TakeMouseEvents(rt::platform::MouseEvent* out, int max) override {
    return machine_.TakeMouseEvents(out, max);
  }
  bool HasKeyboard() override { return machine_.HasKeyboard(); }
  bool HasMouse() override { return machine_.HasMouse(); }
  void ShowCursor(bool visible) override { machine_.ShowCursor(visible); }
  void ConfineCursor(rt::platform::WindowId window, const rt::platform::Rect* area) override {
    machine_.ConfineCursor(window, area);
  }
  void WarpCursor(rt::platform::WindowId window, int x, int y) override { machine_.WarpCursor(window, x, y); }
  void SetRelativeMouse(bool on) override { machine_.SetRelativeMouse(on); }

 private:
  struct Devices {
    std::uint8_t keys[256] = {};
    rt::platform::PadState pads;
  };
  Devices Read();
  bool Held(const Devices& devices, Control control) const;

  rt::platform::InputFacet& machine_;
  const Bindings bindings_;
  std::array<bool, kControlCount> wasHeld_{};
  bool altEnterWasHeld_ = false;
};

// Whether a controller input by name ("a", "righttrigger", "lefty-") is pressed: a button held, a
// trigger or a stick direction past half its travel.
bool PadInputHeld(const rt::platform::PadState& pads, const std::string& input);

}  // namespace pellaris::app
