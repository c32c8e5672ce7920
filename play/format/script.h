// The replay tool's input script: one event per line, "FRAME WHAT ARGS", '#' starting a comment.
//   F key down CODE | F key up CODE | F button down N | F button up N | F move DX DY
//   F focus lost | F focus gained | F close | F clock SECONDS
//   F pad down BUTTON | F pad up BUTTON | F pad axis AXIS VALUE | F pad connect | F pad disconnect
// (a pad's buttons and axes by SDL's names, VALUE from -32768 to 32767; one pad, plugged in by its
// first button or axis line)
//
// A recording of a round played (recording.h) is the same format under a header, and says what the
// game read rather than what the devices did (keys after the player's bindings, so no pad lines and no
// clock jumps), with three lines of its own:
//   F time DATE      the wall clock the game reads, in seconds since 1970 on the local clock
//   F pause on|off   the player paused or resumed the round
//   F end SCORE      the round was over, with this score, when pass F began
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "play/format/recording.h"
#include "play/format/script_event.h"

namespace pellaris::play {

struct ParseResult {
  std::vector<ScriptEvent> events;
  std::optional<RecordingHeader> recording;  // for a recording
  std::string error;  // empty on success, else "line N: what is wrong", printable whatever the input
};

// A script, or a recording when its first line says so; the events in frame order as written. A
// recording's last line without its line end is left out: it was cut short as it was written.
ParseResult ParseScript(std::string_view text);

}  // namespace pellaris::play
