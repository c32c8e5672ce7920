#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "play/controls/controls.h"
#include "play/controls/key_names.h"
#include "play/controls/pad_names.h"
#include "runtime/platform/key_codes.h"

namespace pellaris::play {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST(KeyNames, EachNameAndCodeOnceAndBothWays) {
  std::set<int> codes;
  std::set<std::string> names;
  for (const KeyName& key : KeyNames()) {
    EXPECT_TRUE(codes.insert(key.code).second) << key.name;
    EXPECT_TRUE(names.insert(Lower(key.name)).second) << key.name;
    EXPECT_STREQ(NameOfKey(key.code), key.name);
    EXPECT_EQ(KeyCodeOfName(key.name), key.code);
    EXPECT_EQ(KeyCodeOfName(Lower(key.name)), key.code) << "any letter case";
  }
  EXPECT_EQ(NameOfKey(0), nullptr);
  EXPECT_EQ(KeyCodeOfName(""), 0);
  EXPECT_EQ(KeyCodeOfName("Escape "), 0);
}

// Every key the SDL backend can report has a name, so every key can be bound.
TEST(KeyNames, CoverTheDesktopBackendsKeys) {
  std::ifstream source(PELLARIS_SOURCE_DIR "/runtime/platform/sdl/sdl_mapping.cpp");
  std::stringstream text;
  text << source.rdbuf();
  const std::string table = text.str();
  const std::regex pair(R"(\{SDL_SCANCODE_(\w+), (kExtended \+ )?0x([0-9A-F]+)\})");
  int pairs = 0;
  for (std::sregex_iterator it(table.begin(), table.end(), pair), end; it != end; ++it, ++pairs) {
    const int code = std::stoi((*it)[3].str(), nullptr, 16) + ((*it)[2].matched ? rt::kExtendedKey : 0);
    EXPECT_NE(NameOfKey(code), nullptr) << (*it)[1].str() << " (" << code << ")";
  }
  EXPECT_GT(pairs, 100) << "the backend's table was not found";
}

TEST(PadNames, ButtonsTriggersAndStickDirections) {
  struct Case {
    const char* input;
    const char* canonical;  // "" when refused
  };
  const Case cases[] = {
      {"a", "a"},
      {"DPUp", "dpup"},
      {"rightshoulder", "rightshoulder"},
      {"righttrigger", "righttrigger"},
      {"lefty-", "lefty-"},
      {"RightX+", "rightx+"},
      {"lefty", ""},
      {"lefttrigger+", ""},
      {"a+", ""},
      {"dpup-", ""},
      {"", ""},
      {"-", ""},
      {"z", ""},
      {"leftstick ", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(CanonicalPadInput(c.input), c.canonical) << c.input;
  for (auto names : {PadButtonNames(), PadTriggerNames()}) {
    for (const char* name : names) EXPECT_EQ(CanonicalPadInput(name), name);
  }
}

// The defaults are the keys the game has always had.
TEST(Controls, DefaultsAreTheGamesKeys) {
  const Bindings bindings = DefaultBindings();
  EXPECT_EQ(bindings.Keys(Control::Fire), std::vector<int>{rt::kKeyLeftCtrl});
  EXPECT_EQ(bindings.Keys(Control::FireLimited), (std::vector<int>{rt::kKeyRightCtrl, rt::kKeyRightShift}));
  EXPECT_EQ(bindings.Keys(Control::Thrust), std::vector<int>{rt::kKeySpace});
  EXPECT_EQ(bindings.Keys(Control::Start), std::vector<int>{rt::kKeyEnter});
  EXPECT_EQ(bindings.Keys(Control::Quit), std::vector<int>{rt::kKeyEscape});
  std::set<std::string> controlNames;
  for (Control control : kControls) {
    EXPECT_TRUE(controlNames.insert(ControlName(control)).second) << ControlName(control);
    for (int code : bindings.Keys(control)) EXPECT_NE(NameOfKey(code), nullptr) << ControlName(control);
    for (const std::string& input : bindings.Pad(control)) EXPECT_EQ(CanonicalPadInput(input), input);
  }
  EXPECT_EQ(KeyList(bindings.Keys(Control::FireLimited)), "RightCtrl, RightShift");
  EXPECT_EQ(PadList(bindings.Pad(Control::Thrust)), "a, dpup, lefty-");
}

}  // namespace
}  // namespace pellaris::play
