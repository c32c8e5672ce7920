#include "app/cli/options.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "play/controls/key_names.h"

namespace pellaris::app {

using namespace pellaris::play;
namespace {

Options Parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "pellaris");
  return ParseCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

std::string Joined(const std::vector<const char*>& arguments) {
  std::string line;
  for (const char* argument : arguments) line += std::string(" ") + argument;
  return line;
}

TEST(CommandLine, Accepted) {
  struct Case {
    std::vector<const char*> arguments;
    Request request;
    std::function<void(Options&)> expected;  // applied to an untouched Options
  };
  const Case cases[] = {
      {{}, Request::Play, nullptr},
      {{"--fullscreen"}, Request::Play, [](Options& o) { o.display = DisplayMode::Fullscreen; }},
      {{"--windowed", "--scale", "3", "--fit"},
       Request::Play,
       [](Options& o) { o.display = DisplayMode::Window, o.windowScale = 3, o.fit = true; }},
      {{"--scale=16", "--fullscreen"},
       Request::Play,
       [](Options& o) { o.windowScale = 16, o.display = DisplayMode::Fullscreen; }},
      {{"--volume", "0", "--mute", "--no-sound"},
       Request::Play,
       [](Options& o) { o.volume = 0, o.mute = true, o.noSound = true; }},
      {{"--volume=5", "--volume=100"}, Request::Play, [](Options& o) { o.volume = 100; }},
      {{"--seed", "4294967295"}, Request::Play, [](Options& o) { o.seed = 4294967295u; }},
      {{"--seed=007"}, Request::Play, [](Options& o) { o.seed = 7; }},
      {{"--config", "--mute"}, Request::Play, [](Options& o) { o.configFile = "--mute"; }},
      {{"--config=my settings.ini", "--replay", "round.rec"},
       Request::Play,
       [](Options& o) { o.configFile = "my settings.ini", o.replayFile = "round.rec"; }},
      {{
           "--",
       },
       Request::Play,
       nullptr},
      {{"--scores", "--fullscreen"},
       Request::Scores,
       [](Options& o) { o.display = DisplayMode::Fullscreen; }},
      {{"--version", "--scores"}, Request::Version, nullptr},
      {{"-V"}, Request::Version, nullptr},
      {{"-Vh"}, Request::Help, nullptr},
      {{"--fullscreen", "--windowed", "--help"}, Request::Help, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Joined(c.arguments));
    const Options options = Parse(c.arguments);
    Options expected;
    expected.request = c.request;
    if (c.expected) c.expected(expected);
    EXPECT_EQ(options.request, expected.request);
    EXPECT_EQ(options.exitCode, 0);
    EXPECT_EQ(options.error, "");
    if (c.request == Request::Help || c.request == Request::Version) continue;  // the values go unused
    EXPECT_EQ(options.display, expected.display);
    EXPECT_EQ(options.windowScale, expected.windowScale);
    EXPECT_EQ(options.fit, expected.fit);
    EXPECT_EQ(options.mute, expected.mute);
    EXPECT_EQ(options.volume, expected.volume);
    EXPECT_EQ(options.noSound, expected.noSound);
    EXPECT_EQ(options.seed, expected.seed);
    EXPECT_EQ(options.configFile, expected.configFile);
    EXPECT_EQ(options.replayFile, expected.replayFile);
  }
}

TEST(CommandLine, RefusedWithAMessageAndTheUsage) {
  struct Case {
    std::vector<const char*> arguments;
    const char* message;
  };
  const Case cases[] = {
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"--Fullscreen"}, "unknown option '--Fullscreen'"},
      {{"--full"}, "unknown option '--full'"},
      {{"-x"}, "unknown option '-x'"},
      {{"-hx"}, "unknown option '-x'"},
      {{"--help", "--bogus"}, "unknown option '--bogus'"},
      {{"game.ini"}, "unexpected argument 'game.ini'"},
      {{"-"}, "unexpected argument '-'"},
      {{"--", "--fullscreen"}, "unexpected argument '--fullscreen'"},
      {{"--scale"}, "option '--scale' needs a value N"},
      {{"--scale", "0"}, "option '--scale': '0' is not a whole number from 1 to 16"},
      {{"--scale=17"}, "'17' is not a whole number from 1 to 16"},
      {{"--scale", "2.5"}, "'2.5' is not"},
      {{"--scale", "+3"}, "'+3' is not"},
      {{"--scale", " 3"}, "' 3' is not"},
      {{"--scale="}, "'' is not"},
      {{"--volume=101"}, "option '--volume': '101' is not a whole number from 0 to 100"},
      {{"--volume", "-1"}, "'-1' is not"},
      {{"--seed", "4294967296"}, "'4294967296' is not a whole number from 0 to 4294967295"},
      {{"--seed", "99999999999999999999999"}, "is not a whole number"},
      {{"--config="}, "option '--config' needs a value FILE"},
      {{"--replay"}, "option '--replay' needs a value FILE"},
      {{"--fit=yes"}, "option '--fit' takes no value"},
      {{"--windowed", "--fullscreen"}, "--fullscreen and --windowed cannot be used together"},
      {{"--replay", "r.rec", "--seed", "3"}, "--seed cannot be used with --replay"},
      {{"--bogus\x1b[2J\xff"}, "unknown option '--bogus\\x1b[2J\\xff'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Joined(c.arguments));
    const Options options = Parse(c.arguments);
    EXPECT_EQ(options.request, Request::Fail);
    EXPECT_EQ(options.exitCode, 2);
    EXPECT_EQ(options.error.rfind("pellaris: ", 0), 0u) << options.error;
    EXPECT_NE(options.error.find(c.message), std::string::npos) << options.error;
    EXPECT_NE(options.error.find("\nUsage: pellaris [OPTION]...\n"), std::string::npos) << options.error;
    EXPECT_EQ(options.error.find('\x1b'), std::string::npos);
  }
}

TEST(CommandLine, HelpListsEveryOptionOnALineAndTheBindingsInForce) {
  Bindings bindings = DefaultBindings();
  bindings.Keys(Control::Thrust) = {KeyCodeOfName("W"), KeyCodeOfName("Up")};
  bindings.Pad(Control::Mute) = {"rightshoulder"};
  const std::string help = HelpText(bindings);
  EXPECT_EQ(help.rfind("Usage: pellaris [OPTION]...\n", 0), 0u);
  for (const OptionInfo& option : OptionTable()) {
    const std::regex line("\n +(-" + std::string(1, option.shortName ? option.shortName : '-') + ".*)?--" +
                          option.name + (option.argument ? std::string("=") + option.argument : "") + " +" +
                          std::regex_replace(option.help, std::regex(R"([()+.])"), R"(\$&)") + "\n");
    EXPECT_TRUE(std::regex_search(help, line)) << option.name;
  }
  EXPECT_TRUE(std::regex_search(help, std::regex("\n  thrust +W, Up +a, dpup, lefty- +lift the craft\n")));
  EXPECT_TRUE(std::regex_search(help, std::regex("\n  mute +M +rightshoulder +")));
  EXPECT_TRUE(std::regex_search(help, std::regex("\n  fullscreen +F11 +- +")));
  EXPECT_TRUE(std::regex_match(VersionText(), std::regex("pellaris [0-9]+\\.[0-9]+\\.[0-9]+\n")));
}

}  // namespace
}  // namespace pellaris::app
