#include "play/session/session.h"

#include <cmath>

#include "game/asset_numbers.h"
#include "game/field.h"
#include "game/round.h"
#include "game/round_start.h"
#include "game/snapshot.h"
#include "runtime/core/date.h"
#include "runtime/display/screen.h"
#include "runtime/sound/sound.h"
#include "runtime/sprites/sprite.h"

namespace pellaris::play {

std::string RankText(const BoardRank& rank) {
  return "Rank " + std::to_string(rank.place) + (rank.daily ? " of today's daily" : " on the board");
}

Session::Session(const rt::platform::Backend& machine, SessionSetup setup, std::ostream& report)
    : machine_(machine),
      setup_(std::move(setup)),
      report_(report),
      clock_(*machine.clock),
      input_(*machine.input, setup_.settings.bindings, setup_.moreControls),
      video_(*machine.video),
      dialogs_(*machine.dialogs, setup_.fullScreen),
      audio_(machine.audio),
      view_(SessionFacets()) {
  if (!setup_.scoresFile.empty()) {
    const ScoresOutcome loaded = LoadScores(setup_.scoresFile, report_);
    scores_ = loaded.table;
    ReportScoresProblem(loaded.problem);
  }
  if (!setup_.replaysFolder.empty()) {
    recorder_ = std::make_unique<Recorder>(setup_.replaysFolder, report_);
  }
  clock_.OnFrame([this] { EndOfFrame(); });
  video_.Show([this] { return ShownOver(); });
  view_.ReadMachine(
      [this](std::int64_t pass, const std::vector<ScriptEvent>& changes) { PassBegins(pass, changes); });
}

rt::platform::Backend Session::SessionFacets() {
  rt::platform::Backend facets = machine_;
  facets.clock = &clock_;
  facets.input = &input_;
  facets.video = &video_;
  facets.dialogs = &dialogs_;
  if (setup_.silentWithoutDevice) facets.audio = &audio_;
  return facets;
}

void Session::Start() {
  rt::SetSoundVolume(static_cast<float>(setup_.settings.volume) / static_cast<float>(kLargestVolume));
  rt::SetSoundMuted(setup_.settings.mute);
}

void Session::EndOfFrame() {
  const PlayerPresses presses = input_.TakePresses();
  if (presses.pause) TogglePause();
  if (presses.mute) ToggleMute();
  if (presses.fullscreen && setup_.toggleFullScreen) setup_.toggleFullScreen();
  // The game's paused pass reads no keys, so quit reaches it as the window's close request, which
  // the recording then holds too.
  if (presses.quit && Paused()) input_.RequestClose();
  if (!notice_.empty() && clock_.Counter() >= noticeUntil_) notice_.clear();
}

// Only a round in play pauses; the title and the game-over screen have nothing to stop.
void Session::TogglePause() {
  if (!Paused() && LookAtGame().screen != Screen::Playing) return;
  const bool paused = !Paused();
  clock_.SetPaused(paused);
  rt::HoldScreen(paused);
}

void Session::ToggleMute() {
  if (audio_.Silent()) return ShowNotice("No sound");
  const bool muted = !rt::SoundMuted();
  rt::SetSoundMuted(muted);
  ShowNotice(muted ? "Sound off" : "Sound on");
  if (setup_.settingsFile.empty()) return;
  setup_.storedSettings.mute = muted;
  if (!StoreSetting(setup_.settingsFile, setup_.storedSettings, kMuteSetting, report_))
    ShowNotice(muted ? "Sound off, settings not saved" : "Sound on, settings not saved");
}

// A short text over the picture for a second, in place of the one before.
void Session::ShowNotice(std::string text) {
  notice_ = std::move(text);
  noticeUntil_ = clock_.Counter() + static_cast<std::uint64_t>(kNoticeSeconds * clock_.CounterFrequency());
}

// A round starts when one is set up after the title or a finished round, and ends when its time is
// over; each pass's reading goes into the recording in between.
void Session::PassBegins(std::int64_t pass, const std::vector<ScriptEvent>& changes) {
  const GameSnapshot game = LookAtGame();
  const bool starts = game.roundEndTime != 0 && !game.gameOver && (lastRoundEnd_ == 0 || lastGameOver_);
  const bool ends = game.gameOver && !lastGameOver_;
  lastRoundEnd_ = game.roundEndTime;
  lastGameOver_ = game.gameOver;
  pass_ = pass;
  if (starts) RoundStarts(pass);
  if (recorder_) recorder_->Pass(pass, changes);
  if (ends) EndRound(recorder_ ? recorder_->RoundEnds(pass, game.score) : "");
}

// The round has just been set up, and its first pass begins.
void Session::RoundStarts(std::int64_t pass) {
  roundStart_ = pass;
  endedRound_.clear();
  rank_.clear();
  roundStartDate_ = LookAtGame().roundEndTime - kRoundSeconds;  // the set-up's own wall clock
  RoundStart start = TakeRoundStart();
  if (setup_.everyRoundFromTheSeed && !seedsRound_) seedsRound_ = start;
  if (setup_.everyRoundFromTheSeed && !(start == *seedsRound_)) {
    // The seed's round, with what this round's own set-up and the pass before it made.
    RoundStart again = *seedsRound_;
    again.roundEndTime = start.roundEndTime;
    again.lastEvent = start.lastEvent;
    again.restartRequested = start.restartRequested;
    RestoreRoundStart(again);
    start = std::move(again);
  }
  if (!recorder_) return;
  RecordingHeader header = setup_.recording;
  header.fullScreen = dialogs_.FullScreen();
  header.date = roundStartDate_;
  header.start = std::move(start);
  header.input = view_.InputBeforePass();
  recorder_->RoundStarts(pass, header);
}

// What could not be saved of a finished round shows over the picture as well as in the report.
void Session::EndRound(const std::string& recording) {
  const bool recordingLost = recorder_ && recording.empty();
  const bool scoresLost = !ScoreRound(recording);
  if (recordingLost && scoresLost) ShowNotice("Recording and scores not saved");
  if (recordingLost && !scoresLost) ShowNotice("Recording not saved");
  if (!recordingLost && scoresLost) ShowNotice("Scores not saved");
  if (setup_.roundEnded) setup_.roundEnded(LookAtGame().score, recording);
  endedRound_ = recording;
}

// The round goes into the table as the file has it then, so that another game running at the same
// time loses nothing. False when the file was to keep it and does not.
bool Session::ScoreRound(const std::string& recording) {
  const ScoredRound round{LookAtGame().score, roundStartDate_, recording, false};
  bool saved = true;
  if (setup_.scoresFile.empty()) {
    scores_.Add(round);
  } else {
    const ScoresOutcome outcome = UpdateScores(
        setup_.scoresFile, [&](ScoreTable& table) { return table.Add(round).has_value(); }, report_);
    scores_ = outcome.table;
    saved = outcome.problem.empty();
    ReportScoresProblem(outcome.problem);
  }
  if (!scores_.Best().empty()) footer_ = "Best Score: " + std::to_string(scores_.Best().front().score);
  // The high scores' recordings are kept: unless the table is known, none is deleted.
  if (recorder_ && saved) {
    std::set<std::string> kept;
    for (const ScoredRound& best : scores_.Best()) kept.insert(best.recording);
    recorder_->Prune(kept);
  }
  return saved;
}

void Session::ReportScoresProblem(const std::string& problem) {
  if (!problem.empty() && problem != scoresProblem_) report_ << problem << '\n';
  scoresProblem_ = problem;
}

Overlay Session::ShownOver() {
  const bool gameOver = LookAtGame().screen == Screen::GameOver;
  return {notice_, gameOver ? std::string_view(footer_) : std::string_view(),
          gameOver ? std::string_view(RankNow()) : std::string_view(), GhostNow()};
}

// The board answers while the game-over screen is shown; once it has, its rank stays.
const std::string& Session::RankNow() {
  if (rank_.empty() && !endedRound_.empty() && setup_.boardRank) {
    if (const std::optional<BoardRank> rank = setup_.boardRank(endedRound_)) rank_ = RankText(*rank);
  }
  return rank_;
}

// The picture being shown is the one the last pass drew, with the craft where it was as that pass
// began: the ghost is the recorded craft at the same pass of its round.
Ghost Session::GhostNow() {
  const std::int64_t index = pass_ - roundStart_;
  const GameSnapshot game = LookAtGame();
  if (game.screen != Screen::Playing || setup_.ghost.empty() || index < 0 ||
      index >= static_cast<std::int64_t>(setup_.ghost.size())) {
    return {};
  }
  const rt::Sprite* craft = rt::FindSprite(kCraftSprite);
  if (!craft || craft->surface.Empty() || craft->surface.BytesPerPixel() != 4) return {};
  // A recording's height may be anything its file says; one off the field has nothing to show.
  const float ghostY = setup_.ghost[static_cast<std::size_t>(index)];
  if (!(ghostY > static_cast<float>(-craft->height) && ghostY < static_cast<float>(kFieldHeight))) return {};
  return {craft->surface.RowAs<std::uint32_t>(0),
          craft->width,
          craft->height,
          craft->surface.Pitch() / 4,
          static_cast<int>(std::nearbyint(game.craftX)),
          static_cast<int>(std::nearbyint(ghostY))};
}

}  // namespace pellaris::play
