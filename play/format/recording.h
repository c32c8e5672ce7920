// A recording: a round played, written down as the game read it, in the script's format under a
// header. Format 2, written now, holds one round that stands alone:
//
//   pellaris-recording 2
//   program VERSION          the program that played it (may be left out)
//   rules N                  the version of the game's rules and numbers it was played by
//   seed N                   the seed the game was started with
//   display window|fullscreen
//   date N                   the game's wall clock as the round began, in seconds since 1970
//   random W0 .. W33 I J D   the generator's 34 words (hexadecimal), its two indices and its draws
//   craft X Y SPEED HEIGHT ONGROUND COOLDOWN
//   game SCORE FLASH ENDTIME GAMEOVER RESTART WARNING BACKDROP LASTEVENT CURSOR
//   entity KIND X Y FRAME DX DY HITPOINTS      one a line, in the list's order
//   held key CODE | held button N | focus lost | pause on     the input as the round begins
//   F ...                    the round's passes, the first numbered 1
//
// Floats are written as the shortest text that reads back to the same value. Format 1, still read,
// held the whole session before its round, whose first pass its "round FRAME" line named.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/game.h"
#include "game/round_start.h"
#include "play/format/script_event.h"
#include "runtime/core/date.h"

namespace pellaris::play {

inline constexpr int kRecordingFormat = 2;
inline constexpr int kFirstRecordingFormat = 1;

// The limits a reader holds a recording to, from the longest real round. A game runs at most 61
// passes a second; a round lasts two minutes and ten seconds more for each stopwatch, while paused
// passes (the player's pause, a lost focus) do not count against it: a round may hold at most 61
// passes for each second its clock went forward and one second more, and at most an hour of passes
// in all; its clock never goes back (the player's pause holds it, and it goes on from there). Format 1's session before its round may hold eight hours of passes. A file is at most
// 4 MiB (a player moving the mouse in every pass of a long round writes about 1 MiB).
inline constexpr std::int64_t kMostPassesPerSecond = 61;
inline constexpr std::int64_t kMostRoundPasses = 3600 * kMostPassesPerSecond;
inline constexpr std::int64_t kMostSessionPasses = 8 * kMostRoundPasses;
inline constexpr std::size_t kLargestRecording = std::size_t{4} << 20;
inline constexpr std::size_t kMostStartEntities = 4096;
// A round's start holds numbers the game's arithmetic keeps within bounds for all the passes a round
// may have: the score, the flash's brightness, the round's end with ten seconds more for a stopwatch
// in every pass, and an entity's picture, which the game truncates to a whole number. (Every round
// starts at 0 points, no flash and a picture from 0 to 8.)
inline constexpr std::int32_t kLargestStartScore = 1 << 30;
inline constexpr std::int32_t kLargestStartFlash = 255;
inline constexpr std::int32_t kLatestRoundEnd = INT32_MAX - 10 * static_cast<std::int32_t>(kMostRoundPasses);
inline constexpr float kLargestStartFrame = 1 << 24;

// What the game's input held as the round began (format 2).
struct StartInput {
  std::vector<int> keys;  // key codes held (the mouse's buttons are the game's: RoundStart has them)
  bool focused = true;
  bool paused = false;  // by the player

  bool operator==(const StartInput&) const = default;
};

struct RecordingHeader {
  int format = kRecordingFormat;
  std::string program;
  int rules = kRulesVersion;  // format 1 recordings were played by the first rules
  std::uint32_t seed = 0;
  bool fullScreen = false;
  std::int64_t roundStart = 1;  // format 1: the pass its round begins in
  rt::DateValue date = 0;       // format 2
  RoundStart start;             // format 2
  StartInput input;             // format 2

  bool operator==(const RecordingHeader&) const = default;
};

struct Recording {
  RecordingHeader header;
  std::vector<ScriptEvent> events;
  std::optional<std::int32_t> claimedScore;  // from its end line; none when it was cut short
  std::int64_t lastPass = 0;                 // of its last line: the end, or where it was cut
};

// The recording in the text, or nothing with the reason in `error` (printable, naming the line): a
// script that is no recording, a newer format, a damaged header, more than a round can hold.
std::optional<Recording> ReadRecording(std::string_view text, std::string& error);

// The text that reads back as the header, each line ending in a newline.
std::string FormatHeader(const RecordingHeader& header);

// Reading a recording's header and holding its passes to a round's length, line by line: used by the
// script reader, which reads recordings too.
class RecordingReader {
 public:
  explicit RecordingReader(int format);
  // One header line's words into the header; false with the reason when it is not one.
  bool HeaderLine(const std::vector<std::string_view>& words, std::string& reason);
  // After the header: false with the reason when it lacks something.
  bool HeaderDone(std::string& reason);
  // Each pass line in turn: false with the reason when a round cannot have got there.
  bool Pass(const ScriptEvent& event, std::string& reason);
  RecordingHeader& Header() { return header_; }

 private:
  // The entity list and the input the round starts with.
  bool StartLine(const std::vector<std::string_view>& words);

  RecordingHeader header_;
  unsigned seen_ = 0;  // which of the required lines were read
  // The round's length so far: passes while it ran (not paused), and how far its clock went forward.
  std::int64_t lastPass_ = 0, runningPasses_ = 0, secondsForward_ = 0;
  std::optional<std::int64_t> time_;
  bool running_ = true, focused_ = true, paused_ = false;
};

}  // namespace pellaris::play
