// The replay tool's input script: one event per line, "FRAME WHAT ARGS", '#' starting a comment.
//   F key down CODE | F key up CODE | F button down N | F button up N | F move DX DY
//   F focus lost | F focus gained | F close | F clock SECONDS
//   F pad down BUTTON | F pad up BUTTON | F pad axis AXIS VALUE | F pad connect | F pad disconnect
// (a pad's buttons and axes by SDL's names, VALUE from -32768 to 32767; one pad, plugged in by its
// first button or axis line)
//
// A recording of a round played is the same format under a header, and says what the game read
// rather than what the devices did (keys after the player's bindings, so no pad lines and no clock
// jumps), with three lines of its own:
//   pellaris-recording FORMAT       the first line
//   program VERSION | seed N | display window|fullscreen | round FRAME
//   F time DATE      the wall clock the game reads, in seconds since 1970 on the local clock
//   F pause on|off   the player paused or resumed the round
//   F end SCORE      the round was over, with this score, when pass F began
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellaris::replay {

// Frame numbers run from 1 to this; the headless machine counts frames in an int.
inline constexpr std::int64_t kLastScriptFrame = 2147483647;

struct ScriptEvent {
  enum class Type {
    KeyDown,
    KeyUp,
    ButtonDown,
    ButtonUp,
    Move,
    FocusLost,
    FocusGained,
    Close,
    Clock,
    PadDown,
    PadUp,
    PadAxis,
    PadConnect,
    PadDisconnect,
    Time,
    Pause,
    End,
  };
  std::int64_t frame = 0;
  Type type = Type::Close;
  int a = 0, b = 0;  // key code, button, motion dx and dy, pad button, pad axis and value, pause on (1)
                     // or off (0), or the score at the end
  std::int64_t seconds = 0;  // clock jump or time
};

// The recordings this program writes, and the newest it reads.
inline constexpr int kRecordingFormat = 1;

struct RecordingHeader {
  int format = kRecordingFormat;
  std::string program;          // the version that recorded it
  std::uint32_t seed = 0;       // the random seed
  bool fullScreen = false;      // the answer to the display question
  std::int64_t roundStart = 1;  // the pass the recorded round starts in (earlier ones lead up to it)

  bool operator==(const RecordingHeader&) const = default;
};

struct ParseResult {
  std::vector<ScriptEvent> events;
  std::optional<RecordingHeader> recording;  // for a recording
  std::string error;  // empty on success, else "line N: what is wrong", printable whatever the input
};

ParseResult ParseScript(std::string_view text);

// The text that reads back as the header, or the event, each line ending in a newline.
std::string FormatHeader(const RecordingHeader& header);
std::string FormatEvent(const ScriptEvent& event);

// Text as it can be shown on a terminal: bytes outside printable ASCII become \xNN escapes, so that
// hostile input cannot send control sequences, and a long text is cut.
std::string Printable(std::string_view text);

}  // namespace pellaris::replay
