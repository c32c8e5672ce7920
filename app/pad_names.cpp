#include "app/pad_names.h"

#include <algorithm>

namespace pellaris::app {

namespace {

constexpr const char* kButtons[] = {"a",
                                    "b",
                                    "x",
                                    "y",
                                    "back",
                                    "guide",
                                    "start",
                                    "leftstick",
                                    "rightstick",
                                    "leftshoulder",
                                    "rightshoulder",
                                    "dpup",
                                    "dpdown",
                                    "dpleft",
                                    "dpright"};
constexpr const char* kTriggers[] = {"lefttrigger", "righttrigger"};
constexpr const char* kStickAxes[] = {"leftx", "lefty", "rightx", "righty"};

bool Contains(std::span<const char* const> names, std::string_view name) {
  return std::any_of(names.begin(), names.end(), [&](const char* known) { return name == known; });
}

}  // namespace

std::span<const char* const> PadButtonNames() {
  return kButtons;
}

std::span<const char* const> PadTriggerNames() {
  return kTriggers;
}

std::span<const char* const> PadStickAxisNames() {
  return kStickAxes;
}

std::string CanonicalPadInput(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (Contains(kButtons, lower) || Contains(kTriggers, lower)) return lower;
  const bool directed = !lower.empty() && (lower.back() == '+' || lower.back() == '-');
  if (directed && Contains(kStickAxes, std::string_view(lower).substr(0, lower.size() - 1))) return lower;
  return {};
}

}  // namespace pellaris::app
