// The player's settings: how the game shows itself, the sound, the recordings, the controls' keys and
// controller buttons, and the score board rounds go to, kept in an INI file ("[section]",
// "name = value", '#' comments) that the player may edit and that the game updates a line at a time.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "play/controls/controls.h"

namespace pellaris::play {

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
  std::string boardUrl;    // the score board rounds are sent to, http:// or https://; "" for none
  std::string playerName;  // the name rounds are sent with, as ValidPlayerName takes it; "" for none
  std::string installId;   // 32 lowercase hexadecimal digits, made when first needed; "" for none yet

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
inline constexpr SettingName kBoardUrlSetting{"board", "url"};
inline constexpr SettingName kPlayerNameSetting{"board", "name"};
inline constexpr SettingName kInstallIdSetting{"board", "install-id"};
SettingName KeySetting(Control control);         // [keys]
SettingName ControllerSetting(Control control);  // [controller]

// The settings in a settings file's text. A line that cannot be used is reported on `report` as
// "FILE:LINE: why" (in the order of the lines) and ignored, its setting keeping the default: also a
// line with bytes that are not text (a NUL, an escape, a byte that is not UTF-8), and a line of [keys]
// or [controller] that would bind a key or controller input that another control has (by default or
// on an earlier line), or that would leave quit with neither. Nothing here stops the game.
Settings ParseSettings(std::string_view text, std::string_view fileName, std::ostream& report);

// The settings in the file, as ParseSettings reads them. A missing file is written with the defaults,
// every setting explained in a comment, and said so on `report` when asked. A file that is
// unreadable (a folder, a device) or over 64 KiB gives the defaults with one message, and is left as
// it is.
enum class MissingFile { Create, CreateAndSay };
Settings LoadSettings(const std::filesystem::path& file, std::ostream& report,
                      MissingFile missing = MissingFile::Create);

// The whole file for these settings, with the comments: what a missing file becomes.
std::string SettingsFileText(const Settings& settings);

// Writes one setting's value from `settings` into the file, atomically and under the file's lock
// (FileLock): its line is rewritten in place (the player's comments, order and other lines, even those
// that are not text, stay as they are), or added to its section when missing. Only a missing file, or
// one that reads as settings, is written: it starts with the program's own first line ("# Pellaris
// settings."), or every line that is not blank, a comment or a "[section]" names a known setting in
// its section, whatever its value. Anything else (a folder, a device, a picture, another program's
// file) is left alone, and so is a file that would grow past 64 KiB, the most that is read. Problems
// are reported; false if the value was not stored.
bool StoreSetting(const std::filesystem::path& file, const Settings& settings, SettingName setting,
                  std::ostream& report);
// The same on a settings file's text: the text StoreSetting writes.
std::string WithSetting(std::string_view text, const Settings& settings, SettingName setting);

// The settings with one setting's value read from `value` as the file would read it, by every rule
// above (a settings panel's check before StoreSetting); nothing, with why in `error`, when the file
// would refuse that line, or when the value is not a line's (a line break, '#').
std::optional<Settings> ChangeSetting(const Settings& settings, SettingName setting, std::string_view value,
                                      std::string& error);

}  // namespace pellaris::play
