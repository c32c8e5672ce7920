// Feeds arbitrary text to the settings reader. What it reads must keep the bindings' rules (a key or
// controller input drives one control only, quit keeps one), must read back the same and without a
// word from the file the program writes for it, and a setting stored into the text (as M stores the
// sound's) must read back as stored, every other setting as it was.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string_view>

#include "play/store/settings.h"

namespace {

using namespace pellaris::play;

template <typename List>
bool Shared(const List& lists) {
  for (std::size_t a = 0; a < lists.size(); ++a) {
    for (std::size_t b = a + 1; b < lists.size(); ++b) {
      for (const auto& input : lists[a]) {
        if (std::find(lists[b].begin(), lists[b].end(), input) != lists[b].end()) return true;
      }
    }
  }
  return false;
}

bool KeepsTheRules(const Bindings& bindings) {
  const bool canQuit = !bindings.Keys(Control::Quit).empty() || !bindings.Pad(Control::Quit).empty();
  return canQuit && !Shared(bindings.keys) && !Shared(bindings.pad);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::ostringstream report;
  const Settings settings = ParseSettings(text, "settings.ini", report);
  if (!KeepsTheRules(settings.bindings)) std::abort();

  std::ostringstream again;
  if (ParseSettings(SettingsFileText(settings), "settings.ini", again) != settings || !again.str().empty())
    std::abort();

  Settings toggled = settings;
  toggled.mute = !settings.mute;
  std::ostringstream stored;
  if (ParseSettings(WithSetting(text, toggled, kMuteSetting), "settings.ini", stored) != toggled) std::abort();
  return 0;
}
