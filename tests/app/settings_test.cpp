#include "app/settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/key_names.h"
#include "tests/app/temporary_folder.h"

namespace pellaris::app {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class SettingsFile : public testing::Test {
 protected:
  Settings Load() {
    report_.str("");
    return LoadSettings(file_, report_);
  }
  std::vector<std::string> Reported() const { return Lines(report_.str()); }

  TemporaryFolder folder_;
  std::filesystem::path file_ = folder_.Path() / "settings.ini";
  std::ostringstream report_;
};

TEST_F(SettingsFile, EachLineReadOrReportedWithItsNumber) {
  struct Case {
    std::string text;
    std::function<void(Settings&)> expected;  // applied to the defaults
    std::vector<std::string> messages;        // each starts "FILE:LINE: " and contains the rest
  };
  const auto keys = [](std::initializer_list<const char*> names) {
    std::vector<int> codes;
    for (const char* name : names) codes.push_back(KeyCodeOfName(name));
    return codes;
  };
  const Case cases[] = {
      {"[sound]\nvolume = 40\nmute = YES\n", [](Settings& s) { s.volume = 40, s.mute = true; }, {}},
      {"[display]\nmode = window\nwindow-scale = 3\nscaling = fit",
       [](Settings& s) { s.display = DisplayMode::Window, s.windowScale = 3, s.scaling = Scaling::Fit; },
       {}},
      {"[display]\nwindow-scale = 2\nwindow-scale = auto\n",
       [](Settings& s) { s.windowScale = 2; },
       {"3: 'window-scale' is already set on line 2"}},
      {"[keys]\nthrust = Up, w\nfire =\npause = P P\n",
       [&](Settings& s) {
         s.bindings.Keys(Control::Thrust) = keys({"Up", "W"}), s.bindings.Keys(Control::Fire).clear();
       },
       {}},
      {"[controller]\npause = LeftShoulder\nmute = rightx+ dpdown\n",
       [](Settings& s) {
         s.bindings.Pad(Control::Pause) = {"leftshoulder"},
         s.bindings.Pad(Control::Mute) = {"rightx+", "dpdown"};
       },
       {}},
      {"\xEF\xBB\xBF  # mine\n\n[Sound] # loud\r\n  Volume=7  # quiet\r\n",
       [](Settings& s) { s.volume = 7; },
       {}},
      {"volume = 5\n[sound]\n", nullptr, {"1: 'volume' is outside a section"}},
      {"[sound]\nvolume = 101\nvolume = 5\n",
       [](Settings& s) { s.volume = 5; },
       {"2: volume: '101' is not a whole number from 0 to 100"}},
      {"[sound]\nmute = maybe\nloudness = 5\n",
       nullptr,
       {"2: mute: 'maybe' is not one of no, yes", "3: unknown setting 'loudness' in [sound]"}},
      {"[display]\nwindow-scale = 0\nmode = big\n",
       nullptr,
       {"2: window-scale: '0' is neither auto nor a whole number from 1 to 16",
        "3: mode: 'big' is not one of ask, fullscreen, window"}},
      {"[extras]\nanything = 1\nmore = 2\n[sound]\nvolume = 3\n",
       [](Settings& s) { s.volume = 3; },
       {"1: unknown section [extras]; its lines are ignored"}},
      {"[sound\nvolume\n[sound]\nvolume # = 4\n",
       nullptr,
       {"1: a section's name ends with ']'", "2: not \"name = value\": 'volume'", "4: not \"name = value\""}},
      {"[keys]\nthrust = Space, Banana\n", nullptr, {"2: thrust: unknown key 'Banana'"}},
      {"[controller]\nfire = b, lefty\n", nullptr, {"2: fire: unknown controller input 'lefty'"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    WriteWhole(file_, c.text);
    Settings expected;
    if (c.expected) c.expected(expected);
    EXPECT_EQ(Load(), expected);
    const std::vector<std::string> reported = Reported();
    ASSERT_EQ(reported.size(), c.messages.size()) << report_.str();
    for (std::size_t i = 0; i < reported.size(); ++i) {
      EXPECT_EQ(reported[i].rfind(file_.string() + ":" + c.messages[i], 0), 0u) << reported[i];
    }
    EXPECT_EQ(ReadWhole(file_), c.text) << "reading never writes";
  }
}

TEST_F(SettingsFile, AMissingFileIsWrittenWithTheDefaultsAndReadsBackTheSame) {
  const ScopedVariable config("XDG_CONFIG_HOME", (folder_.Path() / "config").c_str());
  file_ = DefaultSettingsFile();
  EXPECT_EQ(Load(), Settings{});
  EXPECT_EQ(report_.str(), "");
  EXPECT_EQ(ReadWhole(folder_.Path() / "config/pellaris/settings.ini"), SettingsFileText(Settings{}));
  EXPECT_EQ(Load(), Settings{});
  EXPECT_EQ(report_.str(), "");

  Settings changed;
  changed.display = DisplayMode::Fullscreen, changed.windowScale = 16, changed.scaling = Scaling::Fit;
  changed.volume = 0, changed.mute = true;
  changed.bindings.Keys(Control::Pause) = {KeyCodeOfName("Pause"), KeyCodeOfName("KeypadEnter")};
  changed.bindings.Pad(Control::Quit).clear();
  WriteWhole(file_, SettingsFileText(changed));
  EXPECT_EQ(Load(), changed);
  EXPECT_EQ(report_.str(), "");
}

TEST_F(SettingsFile, AnUnusableFileGivesTheDefaultsAndIsKeptWhenAValueIsStored) {
  const std::string binary(
      "\x7f"
      "ELF\0\1\2",
      7),
      huge(70000, '#');
  for (const std::string& contents : {binary, huge}) {
    WriteWhole(file_, contents);
    EXPECT_EQ(Load(), Settings{});
    EXPECT_EQ(Reported().size(), 1u) << report_.str();
    EXPECT_EQ(ReadWhole(file_), contents);

    Settings muted;
    muted.mute = true;
    muted.volume = 30;  // not stored: only the one setting is
    std::ostringstream storeReport;
    ASSERT_TRUE(StoreSetting(file_, muted, kMuteSetting, storeReport));
    EXPECT_NE(storeReport.str().find("settings.ini.broken-1"), std::string::npos) << storeReport.str();
    EXPECT_EQ(ReadWhole(folder_.Path() / "settings.ini.broken-1"), contents);
    Settings expected;
    expected.mute = true;
    EXPECT_EQ(Load(), expected);
    std::filesystem::remove(folder_.Path() / "settings.ini.broken-1");
  }
}

TEST_F(SettingsFile, StoringAValueRewritesItsLineOnly) {
  const std::string before =
      "# my own notes\r\n"
      "[sound]\r\n"
      "mute=no   # keep it down\r\n"
      "volume = loud\r\n"
      "\r\n"
      "[keys]\r\n"
      "thrust = Space, Up\r\n"
      "pause =  # none for me\r\n"
      "[strange]\r\n"
      "[controller]\r\n"
      "fire = b\r\n"
      "# the end";
  WriteWhole(file_, before);
  Settings settings;
  settings.mute = true, settings.volume = 25;
  settings.bindings.Keys(Control::Thrust) = {KeyCodeOfName("W")};
  settings.bindings.Keys(Control::Pause) = {KeyCodeOfName("P"), KeyCodeOfName("Pause")};
  settings.bindings.Pad(Control::Mute) = {"rightstick"};
  settings.display = DisplayMode::Window;
  for (SettingName name : {kMuteSetting, kVolumeSetting, KeySetting(Control::Thrust),
                           KeySetting(Control::Pause), ControllerSetting(Control::Mute), kDisplaySetting}) {
    EXPECT_TRUE(StoreSetting(file_, settings, name, report_)) << name.name;
  }
  EXPECT_EQ(report_.str(), "");
  EXPECT_EQ(ReadWhole(file_),
            "# my own notes\r\n"
            "[sound]\r\n"
            "mute= yes   # keep it down\r\n"
            "volume = 25\r\n"
            "\r\n"
            "[keys]\r\n"
            "thrust = W\r\n"
            "pause =  P, Pause # none for me\r\n"
            "[strange]\r\n"
            "[controller]\r\n"
            "fire = b\r\n"
            "mute = rightstick\r\n"
            "# the end\r\n"
            "\r\n"
            "[display]\r\n"
            "mode = window\r\n");
  EXPECT_EQ(FolderEntries(folder_.Path()), std::vector<std::string>{"settings.ini"});
}

}  // namespace
}  // namespace pellaris::app
