// Recordings played again: read from a file, verified on the headless machine (the score the round
// reaches against the one the file claims), or watched in a window at the speed it was played.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/startup.h"
#include "play/answered_dialogs.h"
#include "play/format/recording.h"
#include "play/game_view.h"
#include "play/store/scores.h"
#include "runtime/platform/platform.h"

namespace pellaris::play {

// The recording in the file, or nothing with the reason in `error`, printable as it is (a file that
// cannot be read, a script that is no recording, a recording from a newer format).
std::optional<Recording> LoadRecording(const std::filesystem::path& file, std::string& error);

// The most random numbers a start may claim to be checked: about a week of nonstop play, at the few
// numbers a pass draws. The generator can only be stepped there one number at a time, so a start that
// claims more is not plausible rather than a check that never ends.
inline constexpr std::uint64_t kMostCheckedDraws = std::uint64_t{1} << 27;

struct Verdict {
  std::int64_t pass = 0;                     // where the playback stopped: the recording's last pass
  std::int32_t score = 0;                    // what the round reached there
  bool roundOver = false;                    // and whether it was over there
  std::optional<std::int32_t> claimedScore;  // what the file says it reached
  bool sameRules = true;                     // it was played by this game's rules (else it was not played)
  // Its start could be a real game's: the generator where as many draws from its seed leave it, the
  // rocks the round's set-up draws there, a round's opening counters, the craft and the backdrop
  // where play could have left them, after at most kMostCheckedDraws numbers. (A round that carries
  // its whole session starts as its seed does.)
  bool startPlausible = true;
  // It starts where a game of its seed starts its first round: the same rocks for everyone.
  bool startsAsTheSeed = false;
  bool Verified() const {
    return sameRules && startPlausible && claimedScore && roundOver && *claimedScore == score;
  }
};

// The game from the recording's beginning, for RunProgram: a round that stands alone from its start
// (`expected`, when given, gets the start a real game would have: see PlayGameFrom), a recording of a
// whole session from the title.
void PlayRecordedGame(const Recording& recording, RoundStart* expected = nullptr);

// Plays the recording on the headless machine, as fast as it goes and without drawing, to its last
// pass. Runs the game's own code, so call it only where no game is running.
Verdict VerifyRecording(const Recording& recording);

// The craft's height as each pass of the recorded round begins, from the round's first pass to the
// recording's last: the ghost of that round. Runs the game's own code, as VerifyRecording does.
std::vector<float> TraceCraft(const Recording& recording);

// The ghost of the best round in the table whose recording the folder has; empty when there is none.
std::vector<float> GhostOfTheBest(const ScoreTable& table, const std::filesystem::path& replaysFolder);

// Watching a recording on a real machine: the game plays it back at its recorded speed, skipping
// quickly to the recorded round. The viewer's keys work the playback, not the game: Space (or a
// controller's A) pauses and resumes, Right (or the right shoulder) held fast-forwards about eight times,
// Escape (or Back, or the window's close box) leaves; the playback also leaves a few seconds after the end.
class Watch {
 public:
  static constexpr int kPassesShownAfterTheEnd = 180;
  static constexpr int kFastForwardMs = 2;  // a pass's time while fast-forwarding

  Watch(const rt::platform::Backend& machine, const Recording& recording);
  rt::platform::Backend Facets() { return view_.Facets(); }
  // Runs the program on the installed facets until the viewer leaves or the recording is over; the
  // program's exit code.
  int Run(const DeviceFailureText& explain = NameTheDevice);

 private:
  struct Leave {};
  rt::platform::Backend WithDialogs(rt::platform::Backend machine);
  void PassBegins(std::int64_t pass);
  void Pause();
  void ReadViewer(std::uint8_t keys[256], rt::platform::PadState& pads);
  bool Pressed(int key, const std::uint8_t keys[256]);
  bool PadPausePressed(const rt::platform::PadState& pads);

  rt::platform::Backend machine_;
  const Recording& recording_;
  AnsweredDialogs dialogs_;  // the display question, answered as the recording did
  GameView view_;
  std::uint8_t wasHeld_[256] = {};
  bool padPauseWasHeld_ = false;
};

}  // namespace pellaris::play
