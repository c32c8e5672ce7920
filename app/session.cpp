#include "app/session.h"

#include <cmath>

#include "game/asset_numbers.h"
#include "game/state.h"
#include "runtime/core/date.h"
#include "runtime/display/screen.h"
#include "runtime/sound/sound.h"
#include "runtime/sprites/sprite.h"

namespace pellaris::app {

Session::Session(const rt::platform::Backend& machine, SessionSetup setup, std::ostream& report)
    : machine_(machine),
      setup_(std::move(setup)),
      report_(report),
      clock_(*machine.clock),
      input_(*machine.input, setup_.settings.bindings),
      video_(*machine.video),
      dialogs_(*machine.dialogs, setup_.fullScreen),
      audio_(machine.audio),
      view_(SessionFacets()) {
  if (!setup_.scoresFile.empty()) scores_ = LoadScores(setup_.scoresFile, report_);
  if (!setup_.replaysFolder.empty()) {
    recorder_ = std::make_unique<Recorder>(setup_.replaysFolder, setup_.recording, report_);
  }
  clock_.OnFrame([this] { EndOfFrame(); });
  video_.Show([this] { return ShownOver(); });
  view_.ReadMachine([this](std::int64_t pass, const std::vector<replay::ScriptEvent>& changes) {
    PassBegins(pass, changes);
  });
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
  if (!notice_.empty() && clock_.Counter() >= noticeUntil_) notice_.clear();
}

// Only a round in play pauses; the title and the game-over screen have nothing to stop.
void Session::TogglePause() {
  if (!Paused() && shownScreen != Screen::Playing) return;
  const bool paused = !Paused();
  clock_.SetPaused(paused);
  rt::HoldScreen(paused);
}

void Session::ToggleMute() {
  const bool muted = !rt::SoundMuted();
  rt::SetSoundMuted(muted);
  notice_ = muted ? "Sound off" : "Sound on";
  noticeUntil_ = clock_.Counter() + static_cast<std::uint64_t>(kNoticeSeconds * clock_.CounterFrequency());
  if (setup_.settingsFile.empty()) return;
  setup_.storedSettings.mute = muted;
  StoreSetting(setup_.settingsFile, setup_.storedSettings, kMuteSetting, report_);
}

// A round starts when one is set up after the title or a finished round, and ends when its time is
// over; each pass's reading goes into the recording in between.
void Session::PassBegins(std::int64_t pass, const std::vector<replay::ScriptEvent>& changes) {
  const bool starts = roundEndTime != 0 && gameOver == 0 && (lastRoundEnd_ == 0 || lastGameOver_ == 1);
  const bool ends = gameOver == 1 && lastGameOver_ == 0;
  lastRoundEnd_ = roundEndTime;
  lastGameOver_ = gameOver;
  pass_ = pass;
  if (starts) roundStart_ = pass;
  if (recorder_ && starts) recorder_->RoundStarts(pass, rt::CurrentDate(), dialogs_.FullScreen());
  if (recorder_) recorder_->Pass(pass, changes);
  if (ends) ScoreRound(recorder_ ? recorder_->RoundEnds(pass, score) : "");
}

// The table is read again just before the round goes in, so that another game running at the same
// time loses nothing.
void Session::ScoreRound(const std::string& recording) {
  if (!setup_.scoresFile.empty()) scores_ = LoadScores(setup_.scoresFile, report_);
  if (scores_.Add(ScoredRound{score, rt::CurrentDate(), recording, false}) && !setup_.scoresFile.empty()) {
    SaveScores(setup_.scoresFile, scores_, report_);
  }
  if (!scores_.Best().empty()) footer_ = "Best Score: " + std::to_string(scores_.Best().front().score);
  if (!recorder_) return;
  std::set<std::string> kept;
  for (const ScoredRound& round : scores_.Best()) kept.insert(round.recording);
  recorder_->Prune(kept);
}

Overlay Session::ShownOver() {
  return {notice_, shownScreen == Screen::GameOver ? std::string_view(footer_) : std::string_view(),
          GhostNow()};
}

// The picture being shown is the one the last pass drew, with the craft where it was as that pass
// began: the ghost is the recorded craft at the same pass of its round.
Ghost Session::GhostNow() {
  const std::int64_t index = pass_ - roundStart_;
  if (shownScreen != Screen::Playing || setup_.ghost.empty() || index < 0 ||
      index >= static_cast<std::int64_t>(setup_.ghost.size())) {
    return {};
  }
  const rt::Sprite* craft = rt::FindSprite(kCraftSprite);
  if (!craft || craft->surface.Empty() || craft->surface.BytesPerPixel() != 4) return {};
  return {craft->surface.RowAs<std::uint32_t>(0),
          craft->width,
          craft->height,
          craft->surface.Pitch() / 4,
          static_cast<int>(std::nearbyint(craftX)),
          static_cast<int>(std::nearbyint(setup_.ghost[static_cast<std::size_t>(index)]))};
}

}  // namespace pellaris::app
