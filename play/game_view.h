// The machine as the game reads it, taken pass by pass. At the end of every frame the view takes in
// one go what the game will read during the next pass: the keys as the game knows them, the mouse's
// records, whether its window has the focus, the wall clock's second, the player's pause, and the
// window's close requests. The game then reads only that, so a pass reads the same whatever the
// devices do meanwhile, and the pass can be written down and played again exactly.
//
// From the machine, the view tells a listener what changed at each pass, as script events: that is a
// recording. From a script (a recording), it sets the same state from the events instead, on any
// backend: the desktop's window to watch a round again, the headless machine to verify one.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "play/format/recording.h"
#include "runtime/core/date.h"
#include "runtime/platform/platform.h"

namespace pellaris::play {

class GameView {
 public:
  // Called as each pass begins (after the end of the frame before it), with the pass's number (the
  // first is 1) and what changed for it.
  using PassListener = std::function<void(std::int64_t pass, const std::vector<ScriptEvent>& changes)>;

  explicit GameView(const rt::platform::Backend& machine);
  ~GameView();
  GameView(const GameView&) = delete;
  GameView& operator=(const GameView&) = delete;

  // The machine's facets with the view's own in place of its video, input and clock.
  rt::platform::Backend Facets();

  // Takes the game's input from the machine (the default).
  void ReadMachine(PassListener listener);
  // Takes the game's input from the script's events (in frame order) and ignores the machine's input
  // devices; the machine's close requests still reach the game.
  void PlayScript(std::vector<ScriptEvent> events, PassListener listener);
  // The same from a recording: a round that stands alone begins with the input its header gives.
  void PlayRecording(const Recording& recording, PassListener listener);

  // The input the game read in the pass before this one (during a listener's call: before the pass's
  // changes), as a round starting with this pass begins with it.
  const StartInput& InputBeforePass() const { return before_; }
  // False: sleeping returns at once, so the game runs as fast as it can.
  void SetPaced(bool paced) { paced_ = paced; }

 private:
  class Video;
  class Input;
  class Clock;

  void BeginPass();
  void BeginRecordedRound();
  void TakeMachineEvents(bool inputToo, std::vector<ScriptEvent>& changes);
  void ReadDevices(std::vector<ScriptEvent>& changes);
  void ApplyScript(std::vector<ScriptEvent>& changes);
  void Apply(const ScriptEvent& event);
  void SetFocus(bool focused);
  StartInput InputNow() const;
  ScriptEvent Change(ScriptEvent::Type type, int a = 0, int b = 0) const;

  rt::platform::Backend machine_;
  std::unique_ptr<Video> video_;
  std::unique_ptr<Input> input_;
  std::unique_ptr<Clock> clock_;
  PassListener listener_;
  std::vector<ScriptEvent> script_;
  std::size_t nextScriptEvent_ = 0;
  bool scripted_ = false, paced_ = true;

  // What the game reads during the current pass.
  std::int64_t pass_ = 0;
  rt::platform::WindowId window_ = 0;  // the program's window, the one whose focus counts
  std::array<std::uint8_t, 256> keys_{};
  std::deque<rt::platform::MouseEvent> mouse_;
  std::deque<rt::platform::Event> events_;
  bool focused_ = false, held_ = false;
  std::optional<rt::DateValue> date_;
  StartInput before_;
  bool startPaused_ = false;  // a recorded round begins paused
};

}  // namespace pellaris::play
