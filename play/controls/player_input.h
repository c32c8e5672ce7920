// Input as the game sees it in a player's session: the game reads its own keys (Left Ctrl fires,
// Space thrusts, ...), and this layer sets each of them from whatever keys and controller inputs the
// player bound to its control, and from a device the bindings do not cover (a touch screen). The
// controls around the game (pause, mute, full screen) are taken here, as presses since the last look.
#pragma once

#include <array>
#include <cstdint>

#include "play/controls/controls.h"
#include "runtime/platform/forwarding_facets.h"

namespace pellaris::play {

// The controls the player pressed since the last look, and Alt+Enter.
struct PlayerPresses {
  bool pause = false, mute = false, fullscreen = false, quit = false;
};

// Controls held through something other than keys and controllers, such as a touch screen's zones;
// asked for each control whenever the devices are read.
class ControlSource {
 public:
  virtual ~ControlSource() = default;
  virtual bool Held(Control control) = 0;
};

class PlayerInput : public rt::platform::ForwardingInput {
 public:
  PlayerInput(rt::platform::InputFacet& machine, Bindings bindings, ControlSource* more = nullptr)
      : ForwardingInput(machine), bindings_(std::move(bindings)), more_(more) {}

  // The presses of pause, mute, full screen and quit since the last call.
  PlayerPresses TakePresses();
  // Hands the game a request to close its window with the next events, as the window's close box
  // does: the game quits on it whatever it is doing.
  void RequestClose() { closeRequested_ = true; }

  bool NextEvent(rt::platform::Event& event, int timeoutMs) override;

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
  ControlSource* const more_;
  std::array<bool, kControlCount> wasHeld_{};
  bool altEnterWasHeld_ = false;
  bool closeRequested_ = false;
};

// Whether a controller input by name ("a", "righttrigger", "lefty-") is pressed: a button held, a
// trigger or a stick direction past half its travel.
bool PadInputHeld(const rt::platform::PadState& pads, const std::string& input);

}  // namespace pellaris::play
