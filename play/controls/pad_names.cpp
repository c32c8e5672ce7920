#include "play/controls/pad_names.h"

#include <algorithm>
#include <vector>

#include "runtime/platform/pad.h"

namespace pellaris::play {

namespace {

using rt::platform::PadAxis;

// The names as the platform's pad vocabulary has them, split the way the bindings use them.
struct Names {
  std::vector<const char*> buttons, triggers, stickAxes;
};

const Names& AllNames() {
  static const Names names = [] {
    Names all;
    for (int button = 0; button < rt::platform::kPadButtonCount; ++button) {
      all.buttons.push_back(rt::platform::PadButtonName(static_cast<rt::platform::PadButton>(button)));
    }
    for (int axis = 0; axis < rt::platform::kPadAxisCount; ++axis) {
      const auto padAxis = static_cast<PadAxis>(axis);
      const bool trigger = padAxis == PadAxis::LeftTrigger || padAxis == PadAxis::RightTrigger;
      (trigger ? all.triggers : all.stickAxes).push_back(rt::platform::PadAxisName(padAxis));
    }
    return all;
  }();
  return names;
}

bool Contains(std::span<const char* const> names, std::string_view name) {
  return std::any_of(names.begin(), names.end(), [&](const char* known) { return name == known; });
}

}  // namespace

std::span<const char* const> PadButtonNames() {
  return AllNames().buttons;
}

std::span<const char* const> PadTriggerNames() {
  return AllNames().triggers;
}

std::span<const char* const> PadStickAxisNames() {
  return AllNames().stickAxes;
}

std::string CanonicalPadInput(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (Contains(PadButtonNames(), lower) || Contains(PadTriggerNames(), lower)) return lower;
  const bool directed = !lower.empty() && (lower.back() == '+' || lower.back() == '-');
  if (directed && Contains(PadStickAxisNames(), std::string_view(lower).substr(0, lower.size() - 1)))
    return lower;
  return {};
}

}  // namespace pellaris::play
