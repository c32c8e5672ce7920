// Writes the settings files the program itself writes, with the defaults and with every setting
// changed, as seeds: make_settings_seeds DIRECTORY
#include <cstdio>
#include <fstream>
#include <string>

#include "play/controls/key_names.h"
#include "play/store/settings.h"

namespace {

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  return static_cast<bool>(file << text);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace pellaris::play;
  if (argc != 2) {
    std::fputs("usage: make_settings_seeds DIRECTORY\n", stderr);
    return 2;
  }
  const std::string dir = argv[1];
  Settings changed;
  changed.display = DisplayMode::Window, changed.windowScale = 3, changed.scaling = Scaling::Fit;
  changed.volume = 40, changed.mute = true, changed.record = false, changed.ghost = true;
  changed.bindings.Keys(Control::Fire) = {KeyCodeOfName("Space")};
  changed.bindings.Keys(Control::Thrust) = {KeyCodeOfName("LeftCtrl"), KeyCodeOfName("Up")};
  changed.bindings.Pad(Control::Pause).clear();
  const bool ok = WriteFile(dir + "/defaults.ini", SettingsFileText(Settings{})) &&
                  WriteFile(dir + "/changed.ini", SettingsFileText(changed));
  return ok ? 0 : 1;
}
