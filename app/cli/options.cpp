#include "app/cli/options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <string_view>

#include "play/format/printable.h"

namespace pellaris::app {

using namespace pellaris::play;

namespace {

constexpr const char* kProgram = "pellaris";
constexpr int kUsageError = 2;

enum class Id {
  Help,
  Version,
  Fullscreen,
  Windowed,
  Scale,
  Fit,
  Mute,
  Volume,
  NoSound,
  Seed,
  Daily,
  Config,
  Scores,
  Board,
  Replay
};

struct Option {
  Id id;
  OptionInfo info;
};

constexpr Option kOptions[] = {
    {Id::Help, {'h', "help", nullptr, "show this help and exit"}},
    {Id::Version, {'V', "version", nullptr, "show the version and exit"}},
    {Id::Fullscreen, {'\0', "fullscreen", nullptr, "start full screen without asking"}},
    {Id::Windowed, {'\0', "windowed", nullptr, "start in a window without asking"}},
    {Id::Scale, {'\0', "scale", "N", "make the window N times 640 x 400 (1 to 16)"}},
    {Id::Fit, {'\0', "fit", nullptr, "fill the window or screen, not by whole multiples"}},
    {Id::Mute, {'\0', "mute", nullptr, "start with the sound off"}},
    {Id::Volume, {'\0', "volume", "N", "set the volume (0 to 100)"}},
    {Id::NoSound, {'\0', "no-sound", nullptr, "play silently if there is no sound device, not stop"}},
    {Id::Seed, {'\0', "seed", "N", "the random seed (0 to 4294967295): every round starts with its rocks"}},
    {Id::Daily, {'\0', "daily", nullptr, "play today's daily challenge: the same rocks for everyone"}},
    {Id::Config, {'\0', "config", "FILE", "read the settings from FILE instead of settings.ini"}},
    {Id::Scores, {'\0', "scores", nullptr, "print the high scores and exit"}},
    {Id::Board, {'\0', "board", nullptr, "print the score board's daily and all-time best and exit"}},
    {Id::Replay, {'\0', "replay", "FILE", "play the recording in FILE back"}},
};

constexpr std::size_t kOptionCount = std::size(kOptions);

// OptionTable() is a span over these, so it needs its own array of the plain facts.
constexpr auto kOptionInfo = [] {
  std::array<OptionInfo, kOptionCount> table{};
  for (std::size_t i = 0; i < kOptionCount; ++i) table[i] = kOptions[i].info;
  return table;
}();

std::string Quoted(std::string_view text) {
  return "'" + Printable(text) + "'";
}

std::string UsageLine() {
  return std::string("Usage: ") + kProgram + " [OPTION]...\n";
}

std::optional<std::uint64_t> WholeNumber(std::string_view text, std::uint64_t largest) {
  std::uint64_t value = 0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || failure != std::errc{} || end != text.data() + text.size() || value > largest)
    return {};
  return value;
}

// The parse in progress: flags seen so far, then the checks that need all of them.
class Parser {
 public:
  Options Run(int argc, const char* const* argv) {
    bool optionsEnded = false;
    for (int i = 1; i < argc && failure_.empty(); ++i) {
      const std::string_view argument = argv[i];
      const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
      if (optionsEnded || argument == "-" || !argument.starts_with('-')) {
        Fail("unexpected argument " + Quoted(argument));
      } else if (argument == "--") {
        optionsEnded = true;
      } else if (argument.starts_with("--")) {
        i += LongOption(argument.substr(2), next);
      } else {
        i += ShortOptions(argument.substr(1), next);
      }
    }
    return Finish();
  }

 private:
  // Each returns how many of the following arguments it took as a value.
  int LongOption(std::string_view text, const char* next) {
    const std::size_t equals = text.find('=');
    const std::string_view name = text.substr(0, equals);
    const auto found = std::find_if(std::begin(kOptions), std::end(kOptions),
                                    [&](const Option& option) { return name == option.info.name; });
    if (found == std::end(kOptions)) {
      Fail("unknown option " + Quoted(std::string("--") + std::string(name)));
      return 0;
    }
    if (equals != std::string_view::npos) {
      if (found->info.argument == nullptr) {
        Fail("option '--" + std::string(name) + "' takes no value");
      } else {
        Apply(*found, text.substr(equals + 1));
      }
      return 0;
    }
    return TakeValue(*found, next);
  }

  int ShortOptions(std::string_view letters, const char* next) {
    for (std::size_t i = 0; i < letters.size(); ++i) {
      const auto found = std::find_if(std::begin(kOptions), std::end(kOptions), [&](const Option& option) {
        return option.info.shortName == letters[i];
      });
      if (found == std::end(kOptions)) {
        Fail("unknown option " + Quoted(std::string("-") + letters[i]));
        return 0;
      }
      if (found->info.argument == nullptr) {
        Apply(*found, {});
      } else if (i + 1 < letters.size()) {
        Apply(*found, letters.substr(i + 1));  // "-xVALUE"
        return 0;
      } else {
        return TakeValue(*found, next);
      }
    }
    return 0;
  }

  int TakeValue(const Option& option, const char* next) {
    if (option.info.argument == nullptr) {
      Apply(option, {});
      return 0;
    }
    if (next == nullptr) {
      Fail("option '--" + std::string(option.info.name) + "' needs a value " + option.info.argument);
      return 0;
    }
    Apply(option, next);
    return 1;
  }

  // An empty file name is never what the player meant.
  std::optional<std::string> FileName(const Option& option, std::string_view value) {
    if (!value.empty()) return std::string(value);
    Fail("option '--" + std::string(option.info.name) + "' needs a value " + option.info.argument);
    return {};
  }

  void Apply(const Option& option, std::string_view value) {
    const auto number = [&](std::uint64_t smallest, std::uint64_t largest) -> std::optional<std::uint64_t> {
      const std::optional<std::uint64_t> parsed = WholeNumber(value, largest);
      if (parsed && *parsed >= smallest) return parsed;
      Fail("option '--" + std::string(option.info.name) + "': " + Quoted(value) +
           " is not a whole number from " + std::to_string(smallest) + " to " + std::to_string(largest));
      return {};
    };
    switch (option.id) {
      case Id::Help:
        help_ = true;
        break;
      case Id::Version:
        version_ = true;
        break;
      case Id::Fullscreen:
        fullscreen_ = true;
        break;
      case Id::Windowed:
        windowed_ = true;
        break;
      case Id::Scale:
        if (const auto scale = number(kSmallestWindowScale, kLargestWindowScale)) {
          options_.windowScale = static_cast<int>(*scale);
        }
        break;
      case Id::Fit:
        options_.fit = true;
        break;
      case Id::Mute:
        options_.mute = true;
        break;
      case Id::Volume:
        if (const auto volume = number(0, kLargestVolume)) options_.volume = static_cast<int>(*volume);
        break;
      case Id::NoSound:
        options_.noSound = true;
        break;
      case Id::Seed:
        if (const auto seed = number(0, std::numeric_limits<std::uint32_t>::max())) {
          options_.seed = static_cast<std::uint32_t>(*seed);
        }
        break;
      case Id::Daily:
        options_.daily = true;
        break;
      case Id::Config:
        if (auto file = FileName(option, value)) options_.configFile = std::move(file);
        break;
      case Id::Scores:
        scores_ = true;
        break;
      case Id::Board:
        board_ = true;
        break;
      case Id::Replay:
        if (auto file = FileName(option, value)) options_.replayFile = std::move(file);
        break;
    }
  }

  void Fail(const std::string& message) {
    if (failure_.empty()) failure_ = message;
  }

  // Conflicts are checked once everything is known, so their order on the line does not matter.
  Options Finish() {
    if (failure_.empty() && !help_ && !version_) {
      if (fullscreen_ && windowed_) Fail("--fullscreen and --windowed cannot be used together");
      if ((options_.seed || options_.daily) && options_.replayFile)
        Fail(std::string(options_.seed ? "--seed" : "--daily") +
             " cannot be used with --replay: a recording keeps its own seed");
      if (options_.seed && options_.daily)
        Fail("--seed and --daily cannot be used together: the daily has its own seed");
    }
    if (!failure_.empty()) {
      options_.request = Request::Fail;
      options_.exitCode = kUsageError;
      options_.error = std::string(kProgram) + ": " + failure_ + "\n" + UsageLine() + "Try '" + kProgram +
                       " --help' for more information.\n";
      return options_;
    }
    if (fullscreen_) options_.display = DisplayMode::Fullscreen;
    if (windowed_) options_.display = DisplayMode::Window;
    options_.request = help_      ? Request::Help
                       : version_ ? Request::Version
                       : scores_  ? Request::Scores
                       : board_   ? Request::Board
                                  : Request::Play;
    return options_;
  }

  Options options_;
  std::string failure_;
  bool help_ = false, version_ = false, scores_ = false, board_ = false, fullscreen_ = false,
       windowed_ = false;
};

// "  -h, --help" or "      --scale=N", as GNU programs list them.
std::string OptionLabel(const OptionInfo& option) {
  std::string label = option.shortName ? std::string("  -") + option.shortName + ", " : "      ";
  label += std::string("--") + option.name;
  if (option.argument) label += std::string("=") + option.argument;
  return label;
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

}  // namespace

std::span<const OptionInfo> OptionTable() {
  return kOptionInfo;
}

Options ParseCommandLine(int argc, const char* const* argv) {
  return Parser().Run(argc, argv);
}

std::string HelpText(const Bindings& bindings) {
  std::string text =
      UsageLine() + "Fly a small craft through drifting rocks and shoot them down.\n\nOptions:\n";
  std::size_t labelWidth = 0;
  for (const OptionInfo& option : kOptionInfo) labelWidth = std::max(labelWidth, OptionLabel(option).size());
  for (const OptionInfo& option : kOptionInfo) {
    text += Padded(OptionLabel(option), labelWidth + 2) + option.help + "\n";
  }

  text += "\nControls: keys, then game controller inputs (set them in settings.ini):\n";
  std::size_t nameWidth = 0, keysWidth = 0, padWidth = 0;
  for (Control control : kControls) {
    nameWidth = std::max(nameWidth, std::string_view(ControlName(control)).size());
    keysWidth = std::max(keysWidth, KeyList(bindings.Keys(control)).size());
    padWidth = std::max(padWidth, PadList(bindings.Pad(control)).size());
  }
  for (Control control : kControls) {
    const std::string keys = KeyList(bindings.Keys(control)), pad = PadList(bindings.Pad(control));
    text += "  " + Padded(ControlName(control), nameWidth + 2) +
            Padded(keys.empty() ? "-" : keys, keysWidth + 2) + Padded(pad.empty() ? "-" : pad, padWidth + 2) +
            ControlDescription(control) + "\n";
  }
  text +=
      "The mouse's right button thrusts; its left button fires (limited) and starts.\n"
      "Alt+Enter always toggles full screen. Key names: see pellaris(6).\n";
  return text;
}

const char* ProgramVersion() {
  return PELLARIS_VERSION;
}

std::string VersionText() {
  return std::string(kProgram) + " " + ProgramVersion() + "\n";
}

}  // namespace pellaris::app
