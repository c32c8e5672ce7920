// Game controller inputs as the bindings name them, by the platform's pad names (SDL's): buttons
// ("a", "start", "dpup"), triggers ("righttrigger") and stick directions ("lefty-" is the left stick
// pushed up).
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace pellaris::play {

std::span<const char* const> PadButtonNames();
// Triggers, used by their name alone.
std::span<const char* const> PadTriggerNames();
// Sticks' axes, used with a direction: "+" or "-".
std::span<const char* const> PadStickAxisNames();

// The input's name in lower case if it is a known button, trigger or stick direction, else "".
std::string CanonicalPadInput(std::string_view name);

}  // namespace pellaris::play
