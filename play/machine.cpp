#include "play/machine.h"

#include <cstdio>
#include <optional>

namespace pellaris::play {

namespace {

using rt::platform::Action;

// The machine's action for a script's event; nothing for a recording's own lines, which say what the
// game read rather than what a device did.
std::optional<Action> ToAction(const ScriptEvent& event) {
  using Type = ScriptEvent::Type;
  switch (event.type) {
    case Type::KeyDown:
      return Action::KeyDown(event.a);
    case Type::KeyUp:
      return Action::KeyUp(event.a);
    case Type::ButtonDown:
      return Action::ButtonDown(event.a);
    case Type::ButtonUp:
      return Action::ButtonUp(event.a);
    case Type::Move:
      return Action::Motion(event.a, event.b);
    case Type::FocusLost:
      return Action::LoseFocus();
    case Type::FocusGained:
      return Action::GainFocus();
    case Type::Close:
      return Action::Close();
    case Type::Clock:
      return Action::JumpClock(event.seconds);
    case Type::PadDown:
      return Action::PadDown(static_cast<rt::platform::PadButton>(event.a));
    case Type::PadUp:
      return Action::PadUp(static_cast<rt::platform::PadButton>(event.a));
    case Type::PadAxis:
      return Action::MovePadAxis(static_cast<rt::platform::PadAxis>(event.a), event.b);
    case Type::PadConnect:
      return Action::ConnectPad();
    case Type::PadDisconnect:
      return Action::DisconnectPad();
    case Type::Time:
    case Type::Pause:
    case Type::End:
      break;
  }
  return std::nullopt;
}

}  // namespace

void ScheduleScript(rt::platform::HeadlessPlatform& machine, const std::vector<ScriptEvent>& events) {
  for (const ScriptEvent& event : events) {
    if (const std::optional<Action> action = ToAction(event))
      machine.At(static_cast<int>(event.frame), *action);
  }
}

void PassHashes::Shown(int pass, std::uint64_t hash) {
  if (pass != pass_) Finish();
  pass_ = pass;
  hash_ = hash;
}

void PassHashes::Finish() {
  if (pass_ < 0) return;
  char line[48];
  std::snprintf(line, sizeof line, "%d %016llx", pass_, static_cast<unsigned long long>(hash_));
  pass_ = -1;
  write_(line);
}

}  // namespace pellaris::play
