// The command line, GNU style: one table of options from which the parser, --help and the manual
// page all come.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "play/controls/controls.h"
#include "play/store/settings.h"

namespace pellaris::app {

struct OptionInfo {
  char shortName;        // '\0' for none
  const char* name;      // without the leading "--"
  const char* argument;  // the value's name ("N", "FILE"), or nullptr for a switch
  const char* help;      // one line
};

// Every option, in the order --help lists them.
std::span<const OptionInfo> OptionTable();

enum class Request { Play, Help, Version, Scores, Board, Fail };

struct Options {
  Request request = Request::Play;
  std::optional<play::DisplayMode> display;  // Fullscreen or Window: skip the question at start
  std::optional<int> windowScale;            // 1 to 16
  bool fit = false;                          // Scaling::Fit for this run
  bool mute = false;
  std::optional<int> volume;  // 0 to 100
  bool noSound = false;       // a silent output when there is no sound device
  std::optional<std::uint32_t> seed;
  bool daily = false;  // today's daily seed
  std::optional<std::string> configFile, replayFile;
  std::string error;  // when Fail: the message and the usage, ready for stderr, user input escaped
  int exitCode = 0;   // 2 when Fail, else 0
};

// Reads the command line. --help and --version win over the other options, which are still
// checked; a later value of the same option replaces an earlier one.
Options ParseCommandLine(int argc, const char* const* argv);

// The usage line, every option on a line, then the controls with the given keys and controller
// inputs: pass the bindings in force, so the help shows what the player set.
std::string HelpText(const play::Bindings& bindings);
// "0.1.0".
const char* ProgramVersion();
// "pellaris 0.1.0" and a line end.
std::string VersionText();

}  // namespace pellaris::app
