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

#include "game/round_start.h"
#include "play/answered_dialogs.h"
#include "play/controls/player_input.h"
#include "play/game_view.h"
#include "play/recorder.h"
#include "play/session/fallback_audio.h"
#include "play/session/overlay.h"
#include "play/session/pause_clock.h"
#include "play/store/scores.h"
#include "play/store/settings.h"
#include "runtime/platform/platform.h"

namespace pellaris::play {

// A round's place on a score board, as the board answered it: the player's best on the board of the
// day's daily challenge for a round of that challenge, else on the board of all rounds.
struct BoardRank {
  int place = 0;
  bool daily = false;
  bool operator==(const BoardRank&) const = default;
};

// "Rank 3 of today's daily", "Rank 12 on the board".
std::string RankText(const BoardRank& rank);

struct SessionSetup {
  Settings settings;                    // in force for this run: the file's, with the options on top
  Settings storedSettings;              // as the settings file has them, to store changes into
  std::filesystem::path settingsFile;   // "" to keep changes for this run only
  std::filesystem::path scoresFile;     // "" to keep the scores for this run only
  std::filesystem::path replaysFolder;  // where rounds are recorded; "" to record none
  RecordingHeader recording;            // the program, rules and seed the recordings name
  // Every round starts where the seed's first round does (a race or a daily challenge), rather than
  // where the rounds before it left the game.
  bool everyRoundFromTheSeed = false;
  std::optional<bool> fullScreen;    // the answer to the display question, or ask it
  bool silentWithoutDevice = false;  // --no-sound
  std::function<void()> toggleFullScreen;
  // The craft's height in each pass of a recorded round, from its first pass: drawn as a ghost over
  // the same pass of every round; empty for none.
  std::vector<float> ghost;
  // Controls held by other means than keys and controllers (a touch screen's zones); none when null.
  ControlSource* moreControls = nullptr;
  // Told of every round that ends, once it is scored: its score and its recording's file name in the
  // replays folder ("" when it was not recorded).
  std::function<void(std::int32_t score, const std::string& recording)> roundEnded;
  // The rank a score board gave the round recorded in the file named, once it is known: shown under
  // the best score on that round's game-over screen. Asked at every picture shown there, so it
  // answers at once; null for no board.
  std::function<std::optional<BoardRank>(const std::string& recording)> boardRank;
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
  // The notice shown over the picture now; "" for none.
  const std::string& Notice() const { return notice_; }
  const ScoreTable& Scores() const { return scores_; }

 private:
  rt::platform::Backend SessionFacets();
  void EndOfFrame();
  void TogglePause();
  void ToggleMute();
  void ShowNotice(std::string text);
  void PassBegins(std::int64_t pass, const std::vector<ScriptEvent>& changes);
  void RoundStarts(std::int64_t pass);
  void EndRound(const std::string& recording);
  bool ScoreRound(const std::string& recording);
  void ReportScoresProblem(const std::string& problem);
  Overlay ShownOver();
  const std::string& RankNow();
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
  std::string scoresProblem_;  // the last reported, so that one that stays is reported once
  std::string notice_, footer_;
  // The recording of the round whose game-over screen is shown ("" for none), and its rank on the
  // board once known.
  std::string endedRound_, rank_;
  std::uint64_t noticeUntil_ = 0;  // the clock's counter
  // The round as the last pass left it, to see one start and end.
  std::int32_t lastRoundEnd_ = 0;
  bool lastGameOver_ = false;
  std::int64_t pass_ = 0, roundStart_ = 0;
  std::optional<RoundStart> seedsRound_;  // the seed's first round, as it began
  rt::DateValue roundStartDate_ = 0;      // the round's date, as its recording's name has it
};

}  // namespace pellaris::play
