// The replay tool's input script: one event per line, "FRAME WHAT ARGS", '#' starting a comment.
//   F key down CODE | F key up CODE | F button down N | F button up N | F move DX DY
//   F focus lost | F focus gained | F close | F clock SECONDS
//   F pad down BUTTON | F pad up BUTTON | F pad axis AXIS VALUE | F pad connect | F pad disconnect
// (a pad's buttons and axes by SDL's names, VALUE from -32768 to 32767; one pad, plugged in by its
// first button or axis line)
#pragma once

#include <cstdint>
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
  };
  std::int64_t frame = 0;
  Type type = Type::Close;
  int a = 0, b = 0;          // key code, button, motion dx and dy, pad button, or pad axis and value
  std::int64_t seconds = 0;  // clock
};

struct ParseResult {
  std::vector<ScriptEvent> events;
  std::string error;  // empty on success, else "line N: what is wrong", printable whatever the input
};

ParseResult ParseScript(std::string_view text);

// Text as it can be shown on a terminal: bytes outside printable ASCII become \xNN escapes, so that
// hostile input cannot send control sequences, and a long text is cut.
std::string Printable(std::string_view text);

}  // namespace pellaris::replay
