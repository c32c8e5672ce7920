// Recordings played again: read from a file, verified on the headless machine (the score the round
// reaches against the one the file claims), or watched in a window at the speed it was played.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/answered_dialogs.h"
#include "app/game_view.h"
#include "runtime/platform/platform.h"
#include "tools/replay/script.h"

namespace pellaris::app {

struct Recording {
  replay::RecordingHeader header;
  std::vector<replay::ScriptEvent> events;
  std::optional<std::int32_t> claimedScore;  // from its end line; none when it was cut short
  std::int64_t lastPass = 0;                 // of its last line: the end, or where it was cut
};

// The recording in the file, or nothing with the reason in `error` (a file that cannot be read, a
// script that is no recording, a recording from a newer format).
std::optional<Recording> LoadRecording(const std::filesystem::path& file, std::string& error);
// The same from the file's text; `error` then starts with the line in question.
std::optional<Recording> ReadRecording(std::string_view text, std::string& error);

struct Verdict {
  std::int64_t pass = 0;                     // where the playback stopped: the recording's last pass
  std::int32_t score = 0;                    // what the round reached there
  bool roundOver = false;                    // and whether it was over there
  std::optional<std::int32_t> claimedScore;  // what the file says it reached
  bool Verified() const { return claimedScore && roundOver && *claimedScore == score; }
};

// Plays the recording on the headless machine, as fast as it goes, to its last pass. Runs the game's
// own code, so call it only where no game is running.
Verdict VerifyRecording(const Recording& recording);

// The craft's height as each pass of the recorded round begins, from the round's first pass to the
// recording's last: the ghost of that round. Runs the game's own code, as VerifyRecording does.
std::vector<float> TraceCraft(const Recording& recording);

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
  // Runs the program on the installed facets until the viewer leaves or the recording is over.
  void Run();

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

}  // namespace pellaris::app
