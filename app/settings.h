// The player's settings: how the game shows itself, the sound, and the controls' keys and
// controller buttons, kept in an INI file ("[section]", "name = value", '#' comments) that the
// player may edit and that the game updates a line at a time.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "app/controls.h"

namespace pellaris::app {

enum class DisplayMode { Ask, Fullscreen, Window };
enum class Scaling { Integer, Fit };

inline constexpr int kSmallestWindowScale = 1;
inline constexpr int kLargestWindowScale = 16;
inline constexpr int kLargestVolume = 100;

struct Settings {
  DisplayMode display = DisplayMode::Ask;
  std::optional<int> windowScale;  // times 640 x 400; none: the largest that fits the desktop
  Scaling scaling = Scaling::Integer;
  int volume = kLargestVolume;  // 0 to 100
  bool mute = false;
  bool record = true;  // every round recorded
  bool ghost = false;  // the best recorded round's craft shown alongside
  Bindings bindings = DefaultBindings();

  bool operator==(const Settings&) const = default;
};

// Where a setting lives in the file.
struct SettingName {
  std::string_view section, name;
};
inline constexpr SettingName kDisplaySetting{"display", "mode"};
inline constexpr SettingName kWindowScaleSetting{"display", "window-scale"};
inline constexpr SettingName kScalingSetting{"display", "scaling"};
inline constexpr SettingName kVolumeSetting{"sound", "volume"};
inline constexpr SettingName kMuteSetting{"sound", "mute"};
inline constexpr SettingName kRecordSetting{"replays", "record"};
inline constexpr SettingName kGhostSetting{"replays", "ghost"};
SettingName KeySetting(Control control);         // [keys]
SettingName ControllerSetting(Control control);  // [controller]

// settings.ini in the config folder; empty when there is no home to keep it in.
std::filesystem::path DefaultSettingsFile();

// The settings in the file. A missing file is written with the defaults, every setting explained in
// a comment. A line that cannot be used is reported on `report` as "FILE:LINE: why" and ignored, its
// setting keeping the default. A file that is unreadable, over 64 KiB or not text gives the defaults
// with one message, and is left as it is. Nothing here stops the game.
Settings LoadSettings(const std::filesystem::path& file, std::ostream& report);

// The whole file for these settings, with the comments: what a missing file becomes.
std::string SettingsFileText(const Settings& settings);

// Writes one setting's value from `settings` into the file, atomically: its line is rewritten in
// place (the player's comments, order and other lines stay as they are), or added to its section
// when missing. A file that could not be read is first renamed to settings.ini.broken-N and a fresh
// one written; if it cannot be set aside it is left alone. Problems are reported; false if the
// value was not stored.
bool StoreSetting(const std::filesystem::path& file, const Settings& settings, SettingName setting,
                  std::ostream& report);

}  // namespace pellaris::app
