#include "app/session.h"

#include "game/state.h"
#include "runtime/core/date.h"
#include "runtime/display/screen.h"
#include "runtime/sound/sound.h"

namespace pellaris::app {

Session::Session(const rt::platform::Backend& machine, SessionSetup setup, std::ostream& report)
    : machine_(machine),
      setup_(std::move(setup)),
      report_(report),
      clock_(*machine.clock),
      input_(*machine.input, setup_.settings.bindings),
      video_(*machine.video),
      dialogs_(*machine.dialogs, setup_.fullScreen),
      audio_(machine.audio) {
  if (!setup_.scoresFile.empty()) scores_ = LoadScores(setup_.scoresFile, report_);
  clock_.OnFrame([this] { EndOfFrame(); });
  video_.ShowTexts([this] { return Texts(); });
}

rt::platform::Backend Session::Facets() {
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
  RecordRoundIfOver();
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

// The round is scored as it ends; the table is read again just before, so that another game running
// at the same time loses nothing.
void Session::RecordRoundIfOver() {
  const bool over = gameOver == 1;
  if (over && !roundWasOver_) {
    if (!setup_.scoresFile.empty()) scores_ = LoadScores(setup_.scoresFile, report_);
    if (scores_.Add(ScoredRound{score, rt::CurrentDate(), "", false}) && !setup_.scoresFile.empty()) {
      SaveScores(setup_.scoresFile, scores_, report_);
    }
    footer_ = "Best Score: " + std::to_string(scores_.Best().front().score);
  }
  roundWasOver_ = over;
}

OverlayTexts Session::Texts() {
  return {notice_, shownScreen == Screen::GameOver ? std::string_view(footer_) : std::string_view()};
}

}  // namespace pellaris::app
