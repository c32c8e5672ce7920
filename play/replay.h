// Runs the game's own code on the headless backend, deterministically: a seeded generator, a virtual
// clock, the player's actions from a script; writes a log line per frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "game/entity.h"
#include "play/format/recording.h"
#include "play/format/script.h"
#include "runtime/platform/headless/headless_platform.h"

namespace pellaris::play {

struct ReplayOptions {
  std::uint32_t seed = 1;
  bool answerYes = false;           // the display question: full screen when true
  std::int64_t frames = 0;          // the run ends at flip frames + 1; 0 runs until the game ends
  int fps = 60;                     // virtual clock step per FlipBuffers
  bool pixelWritesSkipped = false;  // compute the passes without drawing them: the same log, faster
  std::vector<ScriptEvent> events;
  std::optional<RecordingHeader> recording;  // the events are a recording's, read through the game's view
  // When set, gets what the game played, in order: kAudioRate Hz, kAudioChannels channels, 16-bit,
  // interleaved, from time 0 of the virtual clock on (silence while no device is open). The headless
  // device renders it in step with the clock, at every frame's end.
  std::function<void(const std::int16_t* samples, std::size_t count)> audio;
  // When set, sees every picture the game showed, with its pixels, as it is shown.
  std::function<void(const rt::platform::PresentedFrame& frame)> presented;

  // Takes a script's events; a recording also brings its seed and answer, to play as it was played.
  void Take(ParseResult script);
};

// A recording played to its last pass, as it was played.
ReplayOptions ReplayOptionsFor(const Recording& recording);

inline constexpr int kAudioRate = 44100;
inline constexpr int kAudioChannels = 2;

// What the game's state was after one pass, as the log reports it.
struct FrameRecord {
  std::int64_t frame = 0;
  std::string screen;
  std::int32_t score = 0;
  float craftY = 0, craftSpeedY = 0;
  int fireCooldown = 0, flashLevel = 0, remaining = 0;
  float backdropX = 0;
  int entities[kEntityKindCount] = {};  // by kind
  std::vector<int> sounds;
};

// The game's state as it stands, as the log reports it after pass `frame`.
FrameRecord RecordOfPass(std::int64_t frame, std::vector<int> sounds = {});
std::string FormatLogLine(const FrameRecord& record);

// Runs a replay. `observe` (optional) sees every frame's record, while the pass's picture is still in
// the back buffer (rt::BlitTarget); `log` (optional) gets its JSON line; `hashes` (optional) a line
// for each pass that showed a picture (see PassHashes).
void RunReplay(const ReplayOptions& options, std::ostream* log,
               const std::function<void(const FrameRecord&)>& observe = nullptr,
               std::ostream* hashes = nullptr);

}  // namespace pellaris::play
