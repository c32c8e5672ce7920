// A player's session around the game: the layers between the game and the machine that give the
// player controls of their own (bindings, pause, mute, full screen), choose the display without the
// question when asked to, show a notice and the best score over the picture, and keep the high scores.
// The game itself runs unchanged on top.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "app/answered_dialogs.h"
#include "app/fallback_audio.h"
#include "app/game_view.h"
#include "app/overlay.h"
#include "app/pause_clock.h"
#include "app/player_input.h"
#include "app/recorder.h"
#include "app/scores.h"
#include "app/settings.h"
#include "runtime/platform/platform.h"

namespace pellaris::app {

struct SessionSetup {
  Settings settings;                    // in force for this run: the file's, with the options on top
  Settings storedSettings;              // as the settings file has them, to store changes into
  std::filesystem::path settingsFile;   // "" to keep changes for this run only
  std::filesystem::path scoresFile;     // "" to keep the scores for this run only
  std::filesystem::path replaysFolder;  // where rounds are recorded; "" to record none
  replay::RecordingHeader recording;    // the program, seed and display the recordings name
  std::optional<bool> fullScreen;       // the answer to the display question, or ask it
  bool silentWithoutDevice = false;     // --no-sound
  std::function<void()> toggleFullScreen;
  // The craft's height in each pass of a recorded round, from its first pass: drawn as a ghost over
  // the same pass of every round; empty for none.
  std::vector<float> ghost;
};

class Session {
 public:
  static constexpr double kNoticeSeconds = 1.0;

  Session(const rt::platform::Backend& machine, SessionSetup setup, std::ostream& report);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The machine as the game is to see it; install it, then call Start.
  rt::platform::Backend Facets() { return view_.Facets(); }
  // Applies the volume; call with the backend installed, before the game starts.
  void Start();

  bool Paused() const { return clock_.Paused(); }
  const ScoreTable& Scores() const { return scores_; }

 private:
  rt::platform::Backend SessionFacets();
  void EndOfFrame();
  void TogglePause();
  void ToggleMute();
  void PassBegins(std::int64_t pass, const std::vector<replay::ScriptEvent>& changes);
  void ScoreRound(const std::string& recording);
  Overlay ShownOver();
  Ghost GhostNow();

  rt::platform::Backend machine_;
  SessionSetup setup_;
  std::ostream& report_;
  PauseClock clock_;
  PlayerInput input_;
  OverlayVideo video_;
  AnsweredDialogs dialogs_;
  FallbackAudio audio_;
  GameView view_;  // the outermost layer: what the game reads, pass by pass
  std::unique_ptr<Recorder> recorder_;
  ScoreTable scores_;
  std::string notice_, footer_;
  std::uint64_t noticeUntil_ = 0;  // the clock's counter
  // The round as the last pass left it, to see one start and end.
  std::int32_t lastRoundEnd_ = 0, lastGameOver_ = 0;
  std::int64_t pass_ = 0, roundStart_ = 0;
};

}  // namespace pellaris::app
