#include "play/store/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "play/controls/key_names.h"
#include "tests/support/temporary_folder.h"

namespace pellaris::play {
namespace {

using namespace std::string_literals;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string WithoutMuteLines(const std::string& text) {
  std::string kept;
  for (const std::string& line : Lines(text)) {
    if (!line.starts_with("mute")) kept += line + "\n";
  }
  return kept;
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
      // A line that is not text is skipped alone, shown escaped.
      {"[sound]\nvolume = 4\x1b[2J\nmute = yes\n",
       [](Settings& s) { s.mute = true; },
       {"2: not text: 'volume = 4\\x1b[2J'"}},
      {"[sound]\n\0\nvolume = 9\xff\nvolume = 8\n"s,
       [](Settings& s) { s.volume = 8; },
       {"2: not text: '\\x00'", "3: not text: 'volume = 9\\xff'"}},
      // Quit keeps a key or a controller input: the later of two lines that take all away is refused.
      {"[keys]\nquit =\n[controller]\nquit =\n",
       [](Settings& s) { s.bindings.Keys(Control::Quit).clear(); },
       {"4: quit: this leaves no key or controller input to quit with; the default is kept"}},
      {"[controller]\nquit =\n[keys]\nquit = \n",
       [](Settings& s) { s.bindings.Pad(Control::Quit).clear(); },
       {"4: quit: this leaves no key"}},
      // A key or controller input drives one control: a later line, or one that takes another control's
      // default, is refused; swapping two controls' keys is fine.
      {"[keys]\nthrust = Up\nfire = Up, W\n",
       [&](Settings& s) { s.bindings.Keys(Control::Thrust) = keys({"Up"}); },
       {"3: fire: Up also drives thrust (line 2); the default is kept"}},
      {"[keys]\nfire = Space\n",
       nullptr,
       {"2: fire: Space also drives thrust by default; the default is kept"}},
      {"[keys]\nfire = Space\nthrust = LeftCtrl\n",
       [&](Settings& s) {
         s.bindings.Keys(Control::Fire) = keys({"Space"}),
         s.bindings.Keys(Control::Thrust) = keys({"LeftCtrl"});
       },
       {}},
      {"[keys]\nthrust = LeftCtrl\nfire = LeftCtrl\n",
       nullptr,
       {"2: thrust: LeftCtrl also drives fire by default", "3: fire: LeftCtrl also drives thrust (line 2)"}},
      {"[controller]\nmute = a\npause = x, y\n",
       nullptr,
       {"2: mute: a also drives thrust by default", "3: pause: x also drives fire-limited by default"}},
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

// The board's address is one its paths can be added to; the name and install id are what the board
// takes, so that no round is sent only to be refused for them.
TEST_F(SettingsFile, TheBoardsAddressNameAndInstallIdAreCheckedBeforeAnythingIsSent) {
  struct Case {
    std::string line;  // in [board]
    std::function<void(Settings&)> expected;
    std::string message;  // after "FILE:2: "; "" for none
  };
  const std::string nameOf24 = "\xC3\xA9" + std::string(23, 'x');  // 24 characters, 25 bytes
  const Case cases[] = {
      {"url = https://board.example.org/", [](Settings& s) { s.boardUrl = "https://board.example.org/"; },
       ""},
      {"url = HTTP://127.0.0.1:8080", [](Settings& s) { s.boardUrl = "HTTP://127.0.0.1:8080"; }, ""},
      {"url =", nullptr, ""},
      {"url = ftp://board.example.org", nullptr,
       "url: 'ftp://board.example.org' is not an http:// or https://"},
      {"url = board.example.org", nullptr, "url: 'board.example.org' is not an http:// or https://"},
      {"url = https:///rounds", nullptr, "url: 'https:///rounds' is not an http:// or https://"},
      {"url = https://board example", nullptr, "url: 'https://board example' is not an address the board"},
      {"url = https://b\u00FCcher.example", nullptr, "url: 'https://b\u00FCcher.example' is not an address"},
      {"url = https://x/?page=2", nullptr, "url: 'https://x/?page=2' is not an address"},
      {"url = https://" + std::string(1000, 'x'), nullptr, "url: 'https://xxx"},
      {"name =  Ann Lee ", [](Settings& s) { s.playerName = "Ann Lee"; }, ""},
      {"name = " + nameOf24, [&](Settings& s) { s.playerName = nameOf24; }, ""},
      {"name = " + nameOf24 + "x", nullptr, "name: a name has 1 to 24 characters"},
      {"name = Ann\u2028Lee", nullptr, "name: a name holds no control characters"},
      {"name = Ann\u202ELee", nullptr, "not text"},
      {"install-id = 0123456789ABCDEF0123456789abcdef",
       [](Settings& s) { s.installId = "0123456789abcdef0123456789abcdef"; }, ""},
      {"install-id = 0123456789abcdef0123456789abcde", nullptr,
       "install-id: '0123456789abcdef0123456789abcde' is not 32"},
      {"install-id = 0123456789abcdef0123456789abcdeg", nullptr,
       "install-id: '0123456789abcdef0123456789abcdeg' is not 32"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    WriteWhole(file_, "[board]\n" + c.line + "\n");
    Settings expected;
    if (c.expected) c.expected(expected);
    EXPECT_EQ(Load(), expected);
    if (c.message.empty()) {
      EXPECT_EQ(report_.str(), "");
    } else {
      EXPECT_EQ(report_.str().rfind(file_.string() + ":2: " + c.message, 0), 0u) << report_.str();
    }
  }
}

TEST_F(SettingsFile, AMissingFileIsWrittenWithTheDefaultsAndReadsBackTheSame) {
  file_ = folder_.Path() / "config/pellaris/settings.ini";  // in folders that do not exist yet
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
  changed.boardUrl = "https://board.example.org/pellaris", changed.playerName = "Ann \xC3\xA9";
  changed.installId = std::string(32, 'f');
  WriteWhole(file_, SettingsFileText(changed));
  EXPECT_EQ(Load(), changed);
  EXPECT_EQ(report_.str(), "");
}

TEST_F(SettingsFile, ANamedFileThatIsMissingIsWrittenAndSaidSo) {
  file_ = folder_.Path() / "mine.ini";
  EXPECT_EQ(LoadSettings(file_, report_, MissingFile::CreateAndSay), Settings{});
  EXPECT_EQ(Reported(), std::vector<std::string>{file_.string() +
                                                 " did not exist; it is written with the default settings"});
  EXPECT_EQ(ReadWhole(file_), SettingsFileText(Settings{}));
}

TEST_F(SettingsFile, ANamedFolderThatIsMissingIsNotMadeAndSaidSo) {
  for (const char* name : {"absent/", "absent/."}) {
    report_.str("");
    file_ = folder_.Path() / name;
    EXPECT_EQ(LoadSettings(file_, report_, MissingFile::CreateAndSay), Settings{});
    EXPECT_EQ(Reported(),
              std::vector<std::string>{file_.string() + " is the name of a folder, not of a file; "
                                                        "the default settings are used"});
    EXPECT_FALSE(StoreSetting(file_, Settings{}, kMuteSetting, report_));
    EXPECT_EQ(FolderEntries(folder_.Path()), std::vector<std::string>{}) << name;
  }
}

// A file written past the size that is read would lose every setting in it at the next start.
TEST_F(SettingsFile, AValueIsStoredOnlyWhereTheFileStaysSmallEnoughToRead) {
  constexpr std::size_t kMostRead = 64 * 1024;
  const std::string start = "[sound]\nmute = no\n";
  Settings muted;
  muted.mute = true;
  for (const std::size_t size : {kMostRead - 1, kMostRead}) {  // "no" becomes "yes": one byte more
    const std::string before = start + std::string(size - start.size() - 1, '#') + "\n";
    WriteWhole(file_, before);
    report_.str("");
    const bool fits = size < kMostRead;
    EXPECT_EQ(StoreSetting(file_, muted, kMuteSetting, report_), fits) << size;
    EXPECT_EQ(ReadWhole(file_).size(), fits ? size + 1 : size);
    EXPECT_EQ(report_.str().find("would grow larger than 65536 bytes") != std::string::npos, !fits)
        << report_.str();
    EXPECT_EQ(Load().mute, fits) << size;
    EXPECT_EQ(report_.str(), "") << "the file is read";
  }
}

TEST_F(SettingsFile, AValueIsStoredOnlyIntoAFileThatReadsAsSettings) {
  const std::string own = SettingsFileText(Settings{});
  struct Case {
    const char* what;
    std::function<void(const std::filesystem::path&)> make;
    bool stored;
  };
  const auto text = [](std::string contents) {
    return [contents](const std::filesystem::path& file) { WriteWhole(file, contents); };
  };
  const Case cases[] = {
      {"a folder", [](const std::filesystem::path& file) { std::filesystem::create_directory(file); }, false},
      {"a link to a device",
       [](const std::filesystem::path& file) { std::filesystem::create_symlink("/dev/null", file); }, false},
      {"a FIFO, without waiting",
       [](const std::filesystem::path& file) { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }, false},
      {"a picture", text("\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s), false},
      {"a text that is no settings", text("Shopping list\nmilk\n"), false},
      {"another program's settings", text("[user]\nname = me\n"), false},
      {"settings over 64 KiB", text(own + std::string(64 * 1024 + 1 - own.size(), '#')), false},
      {"an empty file", text(""), true},
      {"the player's own, without the first line", text("# mine\n[sound]\nvolume = loud\n[strange]\n"), true},
      {"the program's, with lines that are not text", text(own + "\0\x1b\xff\n[sound]\nmute = \x1b\n"s),
       true},
  };
  Settings muted;
  muted.mute = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.make(file_);
    const bool regular = std::filesystem::is_regular_file(std::filesystem::symlink_status(file_));
    const std::string before = regular ? ReadWhole(file_) : "";  // opening a FIFO would wait
    report_.str("");
    EXPECT_EQ(StoreSetting(file_, muted, kMuteSetting, report_), c.stored);
    if (c.stored) {
      EXPECT_EQ(report_.str(), "");
      EXPECT_NE(WithoutMuteLines(ReadWhole(file_)).find(WithoutMuteLines(before)), std::string::npos)
          << "the other lines stay";
      EXPECT_TRUE(Load().mute);
    } else {
      EXPECT_EQ(Reported().size(), 1u) << report_.str();
      if (regular) {
        EXPECT_EQ(ReadWhole(file_), before);
      }
      EXPECT_EQ(FolderEntries(folder_.Path()), std::vector<std::string>{"settings.ini"})
          << "no lock beside it";
    }
    std::filesystem::remove_all(file_);
    std::filesystem::remove(folder_.Path() / "settings.ini.lock");
  }
}

// Two games, each with a descriptor of its own on the lock, store settings at the same moments: one
// the volume, the other the window's scale. Each must find its own last value in the file every time.
TEST_F(SettingsFile, TwoGamesStoringAtOnceLoseNothing) {
  struct Game {
    SettingName setting;
    void (*set)(Settings&, int);
    std::optional<int> (*get)(const Settings&);
    int lost = 0;
  };
  Game games[] = {
      {kVolumeSetting, [](Settings& s, int value) { s.volume = value; },
       [](const Settings& s) { return std::optional<int>(s.volume); }},
      {kWindowScaleSetting, [](Settings& s, int value) { s.windowScale = value; },
       [](const Settings& s) { return s.windowScale; }},
  };
  const auto play = [&](Game& game) {
    std::ostringstream report;
    for (int value = 1; value <= kLargestWindowScale; ++value) {
      Settings settings = ParseSettings(ReadWhole(file_), "settings.ini", report);
      if (value > 1 && game.get(settings) != value - 1) ++game.lost;
      game.set(settings, value);
      StoreSetting(file_, settings, game.setting, report);
    }
    if (!report.str().empty()) ++game.lost;
  };
  WriteWhole(file_, SettingsFileText(Settings{}));
  std::thread first(play, std::ref(games[0])), second(play, std::ref(games[1]));
  first.join();
  second.join();
  EXPECT_EQ(games[0].lost + games[1].lost, 0);
  const Settings stored = Load();
  EXPECT_EQ(stored.volume, kLargestWindowScale);
  EXPECT_EQ(stored.windowScale, kLargestWindowScale);
}

TEST_F(SettingsFile, LinesThatAreNotTextAreKeptWhenAValueIsStored) {
  const std::string before = "# Pellaris settings.\n[sound]\n\0 \x1b\xff\nmute = no\n"s;
  WriteWhole(file_, before);
  Settings muted;
  muted.mute = true;
  ASSERT_TRUE(StoreSetting(file_, muted, kMuteSetting, report_)) << report_.str();
  EXPECT_EQ(ReadWhole(file_), "# Pellaris settings.\n[sound]\n\0 \x1b\xff\nmute = yes\n"s);
}

TEST_F(SettingsFile, AByteOrderMarkIsKeptAndTheSectionAfterItFound) {
  WriteWhole(file_, "\xEF\xBB\xBF[sound]\nmute = no\n");
  Settings muted;
  muted.mute = true;
  ASSERT_TRUE(StoreSetting(file_, muted, kMuteSetting, report_)) << report_.str();
  EXPECT_EQ(ReadWhole(file_), "\xEF\xBB\xBF[sound]\nmute = yes\n");
  EXPECT_TRUE(Load().mute);
}

// Whatever the text, the value stored into it is the one read back from it, and every other setting
// reads as before: the writer finds lines and sections exactly as the reader does.
TEST(WithSetting, StoresAValueThatReadsBackAsStoredAndLeavesTheRest) {
  const std::vector<std::string> texts = {
      "",
      "\xEF\xBB\xBF[sound]\nmute = no\n",
      // Only one mark is skipped: after a second, the first line is no section to either of them.
      "\xEF\xBB\xBF\xEF\xBB\xBF[sound]\nm\xEF\xBB\xBF[sound]\nmute = ye-\x14",
      "\xEF\xBB\xBF\xEF\xBB\xBF[sound]\nmute = no\n",
      "[sound]\r\nmute=no # quiet\r\n[sound]\r\nmute = no\r\n",
      "[Sound]\n\0\nvolume = 4"s,
      // A last line ended by a CR alone, in a file of CR LF: a line added after it must not make it
      // end in two.
      "[display]\r\nmode = window\r\n[sound]\r",
      "[display]\r\nmode = window\r",
      "[display]\nmode = window\r",
  };
  for (const std::string& text : texts) {
    for (const bool mute : {false, true}) {
      std::ostringstream report;
      Settings expected = ParseSettings(text, "", report);
      expected.mute = mute;
      EXPECT_EQ(ParseSettings(WithSetting(text, expected, kMuteSetting), "", report), expected)
          << testing::PrintToString(text) << " muted " << mute;
    }
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
  EXPECT_EQ(FolderEntries(folder_.Path()), (std::vector<std::string>{"settings.ini", "settings.ini.lock"}));
}

}  // namespace
}  // namespace pellaris::play

namespace pellaris::play {
namespace {

// A settings panel's values, checked by the file's own rules before they are stored.
TEST(ChangeSetting, TakesWhatTheFileWouldAndRefusesTheRestWithTheReason) {
  struct Case {
    SettingName setting;
    const char* value;
    const char* error;  // "" when taken
  } cases[] = {
      {kVolumeSetting, "40", ""},
      {kVolumeSetting, " 7 ", ""},
      {kVolumeSetting, "101", "is not a whole number from 0 to 100"},
      {kMuteSetting, "yes", ""},
      {kScalingSetting, "fit", ""},
      {kGhostSetting, "perhaps", "is not one of no, yes"},
      {KeySetting(Control::Fire), "LeftCtrl, Q", ""},
      {KeySetting(Control::Fire), "Sapce", "unknown key"},
      {KeySetting(Control::Fire), "Space", "Space"},  // thrust's key already
      {ControllerSetting(Control::Thrust), "a, lefty-", ""},
      {KeySetting(Control::Quit), "", ""},  // Back on the controller still quits
      {KeySetting(Control::Fire), "Q # comment", "no '#'"},
      {KeySetting(Control::Fire), "Q\n[sound]\nvolume = 0", "line break"},
      {SettingName{"sound", "loudness"}, "3", "no setting"},
  };
  for (const Case& c : cases) {
    std::string error;
    const std::optional<Settings> changed = ChangeSetting(Settings{}, c.setting, c.value, error);
    const std::string what = std::string(c.setting.name) + " = " + c.value;
    if (*c.error == '\0') {
      EXPECT_TRUE(changed) << what << ": " << error;
    } else {
      EXPECT_FALSE(changed) << what;
      EXPECT_NE(error.find(c.error), std::string::npos) << what << ": " << error;
      EXPECT_EQ(error.find(':'), error.find(": ")) << "no line number: " << error;
    }
  }
  std::string error;
  const std::optional<Settings> quiet = ChangeSetting(Settings{}, kVolumeSetting, "40", error);
  ASSERT_TRUE(quiet);
  EXPECT_EQ(quiet->volume, 40);
  const std::optional<Settings> keys = ChangeSetting(*quiet, KeySetting(Control::Fire), "LeftCtrl, Q", error);
  ASSERT_TRUE(keys);
  EXPECT_EQ(keys->volume, 40);
  EXPECT_EQ(KeyList(keys->bindings.Keys(Control::Fire)), "LeftCtrl, Q");
  // With Back unbound too, quit would have no key at all.
  Settings noBack = Settings{};
  noBack.bindings.Pad(Control::Quit).clear();
  EXPECT_FALSE(ChangeSetting(noBack, KeySetting(Control::Quit), "", error));
  EXPECT_NE(error.find("quit"), std::string::npos) << error;
}

}  // namespace
}  // namespace pellaris::play
