// Feeds arbitrary text to the replay script reader. Whatever it accepts must hold only events the
// replay can apply, and must read back the same from the text the writer makes of it (scripts and
// recordings alike).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "play/format/script.h"
#include "runtime/platform/pad.h"

namespace {

using pellaris::play::ScriptEvent;

bool InRange(const ScriptEvent& event) {
  using Type = ScriptEvent::Type;
  if (event.frame < 1 || event.frame > pellaris::play::kLastScriptFrame) return false;
  switch (event.type) {
    case Type::KeyDown:
    case Type::KeyUp:
      return event.a >= 0 && event.a <= 255;
    case Type::ButtonDown:
    case Type::ButtonUp:
      return event.a >= 1 && event.a <= 8;
    case Type::Move:
      return event.a >= -100000 && event.a <= 100000 && event.b >= -100000 && event.b <= 100000;
    case Type::Clock:
      return event.seconds >= -2147483647 && event.seconds <= 2147483647;
    case Type::Time:
      return event.seconds >= 0 && event.seconds <= 2147483647;
    case Type::Pause:
      return event.a == 0 || event.a == 1;
    case Type::End:  // any score
      return true;
    case Type::PadDown:
    case Type::PadUp:
      return rt::platform::ValidPadButton(event.a);
    case Type::PadAxis:
      return rt::platform::ValidPadAxis(event.a) && event.b >= rt::platform::kPadAxisMin &&
             event.b <= rt::platform::kPadAxisMax;
    case Type::FocusLost:
    case Type::FocusGained:
    case Type::Close:
    case Type::PadConnect:
    case Type::PadDisconnect:
      return true;
  }
  return false;
}

bool Same(const ScriptEvent& a, const ScriptEvent& b) {
  return a.frame == b.frame && a.type == b.type && a.a == b.a && a.b == b.b && a.seconds == b.seconds;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto result = pellaris::play::ParseScript(text);
  if (!result.error.empty()) {
    if (!result.events.empty()) std::abort();  // a refused script yields no events
    return 0;
  }
  std::string again = result.recording ? pellaris::play::FormatHeader(*result.recording) : "";
  for (const ScriptEvent& event : result.events) {
    if (!InRange(event)) std::abort();
    again += pellaris::play::FormatEvent(event);
  }
  const auto reread = pellaris::play::ParseScript(again);
  if (!reread.error.empty() || reread.events.size() != result.events.size()) std::abort();
  if (reread.recording != result.recording) std::abort();
  for (std::size_t i = 0; i < reread.events.size(); ++i) {
    if (!Same(reread.events[i], result.events[i])) std::abort();
  }
  return 0;
}
