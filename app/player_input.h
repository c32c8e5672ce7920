// Input as the game sees it in a player's session: the game reads its own keys (Left Ctrl fires,
// Space thrusts, ...), and this layer sets each of them from whatever keys and controller inputs the
// player bound to its control. The controls around the game (pause, mute, full screen) are taken
// here, as presses since the last look.
#pragma once

#include <array>
#include <cstdint>

#include "app/controls.h"
#include "runtime/platform/forwarding_facets.h"

namespace pellaris::app {

// The controls the player pressed since the last look, and Alt+Enter.
struct PlayerPresses {
  bool pause = false, mute = false, fullscreen = false;
};

class PlayerInput : public rt::platform::ForwardingInput {
 public:
  PlayerInput(rt::platform::InputFacet& machine, Bindings bindings)
      : ForwardingInput(machine), bindings_(std::move(bindings)) {}

  // The presses of pause, mute and full screen since the last call.
  PlayerPresses TakePresses();

  // The game's keys from the bindings; every other key as the machine has it.
  void ReadKeyState(std::uint8_t state[256]) override;

 private:
  struct Devices {
    std::uint8_t keys[256] = {};
    rt::platform::PadState pads;
  };
  Devices Read();
  bool Held(const Devices& devices, Control control) const;

  const Bindings bindings_;
  std::array<bool, kControlCount> wasHeld_{};
  bool altEnterWasHeld_ = false;
};

// Whether a controller input by name ("a", "righttrigger", "lefty-") is pressed: a button held, a
// trigger or a stick direction past half its travel.
bool PadInputHeld(const rt::platform::PadState& pads, const std::string& input);

}  // namespace pellaris::app
