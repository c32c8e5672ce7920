// Everything the board needs from the game, in one place: reading a round's recording, re-playing it
// on the game's own code (through play/), and the rules this build verifies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "game/game.h"
#include "play/format/recording.h"

namespace pellaris::board {

using pellaris::kRulesVersion;
using play::kLargestRecording;

struct RoundCheck {
  bool readable = false;
  std::string problem;  // why it is not readable, printable whatever the input
  int rulesVersion = 0;
  std::uint32_t seed = 0;
  std::optional<std::int64_t> date;          // the game's wall clock as it began, in seconds since 1970
  std::optional<std::int32_t> claimedScore;  // none when the recording was cut short
  // What re-playing found (CheckRound only): the score it reached; whether that is the claimed score
  // and the start is one a real game of its seed has (or else why not); and whether it starts with the
  // seed's own rocks, as a game of the seed starts its first round (only such a round counts for the
  // boards of its seed and its day).
  std::int32_t replayedScore = 0;
  bool verified = false;
  std::string unverified;
  bool startsAsTheSeed = false;
};

// What the recording says about itself, without playing it: cheap, and safe anywhere. The board takes
// rounds that stand alone (recording format 2).
RoundCheck ReadRound(std::string_view recordingText);

// ReadRound, then the round re-played to its end. Runs the game, which holds one state a process: call
// it only in a process of its own (the board's workers).
RoundCheck CheckRound(std::string_view recordingText);

}  // namespace pellaris::board
