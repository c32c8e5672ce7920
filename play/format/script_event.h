// One line of a script or a recording: what happened as a pass began.
#pragma once

#include <cstdint>
#include <string>

namespace pellaris::play {

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

// The text that reads back as the event, ending in a newline.
std::string FormatEvent(const ScriptEvent& event);

}  // namespace pellaris::play
