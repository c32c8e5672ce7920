#include "play/controls/controls.h"

#include <initializer_list>

#include "play/controls/key_names.h"

namespace pellaris::play {

namespace {

struct ControlInfo {
  const char* name;
  const char* description;
  std::initializer_list<const char*> keys;
  std::initializer_list<const char*> pad;
};

// In the order of Control. Fire is on the B button and the right trigger, thrust on A, the d-pad's up
// and the left stick pushed up, so either thumb can fly. Pause is on Y: all four face buttons are
// under the right thumb anyway, and the guide button is often taken by the system.
const ControlInfo kControlInfo[kControlCount] = {
    {"fire", "fire in every frame", {"LeftCtrl"}, {"b", "righttrigger"}},
    {"fire-limited", "fire every 12th frame", {"RightCtrl", "RightShift"}, {"x"}},
    {"thrust", "lift the craft", {"Space"}, {"a", "dpup", "lefty-"}},
    {"start", "start a round", {"Enter"}, {"start"}},
    {"quit", "quit", {"Escape"}, {"back"}},
    {"pause", "pause and resume", {"P"}, {"y"}},
    {"mute", "sound off and on", {"M"}, {}},
    {"fullscreen", "full screen or window", {"F11"}, {}},
};

const ControlInfo& Info(Control control) {
  return kControlInfo[static_cast<std::size_t>(control)];
}

template <typename Item, typename Name>
std::string JoinNames(const std::vector<Item>& items, Name name) {
  std::string list;
  for (const Item& item : items) {
    if (!list.empty()) list += ", ";
    list += name(item);
  }
  return list;
}

}  // namespace

const char* ControlName(Control control) {
  return Info(control).name;
}

const char* ControlDescription(Control control) {
  return Info(control).description;
}

Bindings DefaultBindings() {
  Bindings bindings;
  for (Control control : kControls) {
    for (const char* key : Info(control).keys) bindings.Keys(control).push_back(KeyCodeOfName(key));
    for (const char* input : Info(control).pad) bindings.Pad(control).emplace_back(input);
  }
  return bindings;
}

std::string KeyList(const std::vector<int>& codes) {
  return JoinNames(codes, [](int code) {
    const char* name = NameOfKey(code);
    return name ? std::string(name) : "key" + std::to_string(code);
  });
}

std::string PadList(const std::vector<std::string>& inputs) {
  return JoinNames(inputs, [](const std::string& input) { return input; });
}

}  // namespace pellaris::play
