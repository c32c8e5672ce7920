// pellaris-replay: runs the game on the headless backend from a script, for reproducing what a player
// saw. Exit codes: 0 done, 1 a file could not be read or written, 2 the command line or the script is
// wrong.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <new>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "game/game.h"
#include "play/format/printable.h"
#include "play/playback.h"
#include "play/replay.h"
#include "runtime/display/screen.h"
#include "tools/replay/png_file.h"
#include "tools/writers/wav_writer.h"

namespace {

using pellaris::play::Printable;
using pellaris::play::ReplayOptions;
using writers::WavFileWriter;

constexpr int kExitIoFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNotVerified = 3;
// Ten minutes of play: a run without --frames and without an Escape in its script still ends.
constexpr std::int64_t kDefaultFrames = 36000;
// A script is a few kilobytes, a recording at most this: refusing giant files keeps a mistake from
// exhausting memory.
constexpr std::uintmax_t kLargestScript = pellaris::play::kLargestRecording;

constexpr const char* kHelp =
    "usage: pellaris-replay [OPTION]...\n"
    "Runs the game on an in-memory machine, deterministically, from a script of the player's actions.\n"
    "\n"
    "  --seed N           the random generator's seed (default 1)\n"
    "  --answer yes|no    the answer to the full-screen question (default no: a window)\n"
    "  --frames N         stop after pass N (default 36000, ten minutes); Escape or close in the\n"
    "                     script ends the run earlier\n"
    "  --fps N            frames per virtual second (default 60)\n"
    "  --script FILE      the actions: lines of 'FRAME WHAT ARGS' (see the README); a game\n"
    "                     controller by 'F pad down|up BUTTON', 'F pad axis AXIS VALUE' and\n"
    "                     'F pad connect|disconnect' (SDL's names: a, b, x, y, start, dpup, leftx,\n"
    "                     righttrigger, ...; VALUE -32768..32767)\n"
    "  --log FILE         one JSON line per pass with the game's state\n"
    "  --hashes FILE      one line per pass that showed a picture: the pass and the FNV-1a hash\n"
    "                     (16 hex digits) of the 0x00RRGGBB pixels it showed last\n"
    "  --dump DIR         where --dump-at writes frame-NNNNNN.png (made if missing)\n"
    "  --dump-at F1,F2,.. the passes whose picture to write\n"
    "  --audio FILE       what the game played, as a 44.1 kHz stereo 16-bit WAV file\n"
    "  --no-pictures      run without drawing: the same log, several times faster (no --dump or\n"
    "                     --hashes then)\n"
    "  --verify FILE      play a recording of the game's (pellaris keeps them in\n"
    "                     ~/.local/state/pellaris/replays) to its end and check the score it\n"
    "                     claims; alone, without other options\n"
    "  --help             this text\n"
    "\n"
    "A recording (a script starting 'pellaris-recording') brings its own seed and answer, and says\n"
    "what the game read rather than what the devices did.\n"
    "\n"
    "The log's line for pass F is the game's state after pass F: an action at frame F happens as pass F\n"
    "begins, so line F is the first to show it. \"remaining\" is the round's time as pass F saw it (0 on\n"
    "the title, before any round). The pass in which Enter starts the next round shows the game-over\n"
    "screen but ends with the new round set up: its line says \"gameover\" with the new round's state.\n"
    "\n"
    "Exit status: 0 done (with --verify: verified), 1 a file could not be read or written, 2 a wrong\n"
    "option, script or recording, 3 (with --verify) the recording does not reach the score it claims.\n";

// A wrong command line or script (exit 2), or a file that could not be read or written (exit 1).
struct UsageError {
  std::string message;
};
struct IoError {
  std::string message;
};

template <typename Number>
bool ReadNumber(std::string_view text, Number low, Number high, Number& out) {
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, out);
  return error == std::errc() && stop == end && out >= low && out <= high;
}

struct Command {
  ReplayOptions options;
  std::string logPath, hashesPath, audioPath, verifyPath, dumpDir;
  std::set<std::int64_t> dumpAt;
  bool help = false;
  int optionsGiven = 0;
};

bool ReadFrameList(std::string_view text, Command& command) {
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    std::int64_t frame = 0;
    if (!ReadNumber(text.substr(0, comma), std::int64_t{1}, pellaris::play::kLastScriptFrame, frame)) {
      return false;
    }
    command.dumpAt.insert(frame);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  return true;
}

std::string ReadScriptText(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    throw IoError{"cannot read " + Printable(path) + ": not a file"};
  if (std::filesystem::file_size(path, error) > kLargestScript) {
    throw IoError{"cannot read " + Printable(path) + ": larger than a script can be"};
  }
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) throw IoError{"cannot read " + Printable(path) + ": " + std::strerror(errno)};
  return std::string(std::istreambuf_iterator<char>(file), {});
}

void ReadScript(const std::string& path, ReplayOptions& options) {
  auto parsed = pellaris::play::ParseScript(ReadScriptText(path));
  if (!parsed.error.empty()) throw UsageError{Printable(path) + ": " + parsed.error};
  options.Take(std::move(parsed));
}

// The options that take a value, each with what it does with it; false for a value it does not take.
struct Option {
  const char* name;
  bool (*apply)(std::string_view value, Command& command);
};

constexpr Option kOptions[] = {
    {"--seed", [](std::string_view v, Command& c) { return ReadNumber(v, 0u, UINT32_MAX, c.options.seed); }},
    {"--answer",
     [](std::string_view v, Command& c) {
       c.options.answerYes = v == "yes";
       return v == "yes" || v == "no";
     }},
    {"--frames",
     [](std::string_view v, Command& c) {
       return ReadNumber(v, std::int64_t{1}, pellaris::play::kLastScriptFrame - 1, c.options.frames);
     }},
    {"--fps", [](std::string_view v, Command& c) { return ReadNumber(v, 1, 100000, c.options.fps); }},
    {"--script",
     [](std::string_view v, Command& c) {
       ReadScript(std::string(v), c.options);
       return true;
     }},
    {"--dump",
     [](std::string_view v, Command& c) {
       c.dumpDir = v;
       return true;
     }},
    {"--dump-at", [](std::string_view v, Command& c) { return ReadFrameList(v, c); }},
    {"--log",
     [](std::string_view v, Command& c) {
       c.logPath = v;
       return true;
     }},
    {"--hashes",
     [](std::string_view v, Command& c) {
       c.hashesPath = v;
       return true;
     }},
    {"--audio",
     [](std::string_view v, Command& c) {
       c.audioPath = v;
       return true;
     }},
    {"--verify",
     [](std::string_view v, Command& c) {
       c.verifyPath = v;
       return true;
     }},
};

const Option* FindOption(std::string_view name) {
  for (const Option& option : kOptions)
    if (name == option.name) return &option;
  return nullptr;
}

Command ReadCommand(int argc, char** argv) {
  Command command;
  command.options.frames = kDefaultFrames;
  for (int i = 1; i < argc; ++i) {
    const std::string_view name = argv[i];
    if (name == "--help" || name == "-h") {
      command.help = true;
      return command;
    }
    if (name == "--no-pictures") {
      command.options.pixelWritesSkipped = true;
      ++command.optionsGiven;
      continue;
    }
    const Option* option = FindOption(name);
    if (!option) {
      throw UsageError{name.starts_with("-") ? "unknown option " + Printable(name)
                                             : "unexpected argument " + Printable(name)};
    }
    if (i + 1 >= argc || argv[i + 1][0] == '\0') throw UsageError{Printable(name) + " needs a value"};
    const std::string_view value = argv[++i];
    if (!option->apply(value, command)) {
      throw UsageError{"bad value for " + Printable(name) + ": " + Printable(value)};
    }
    ++command.optionsGiven;
  }
  if (!command.verifyPath.empty() && command.optionsGiven > 1)
    throw UsageError{"--verify takes no other option"};
  if (command.options.pixelWritesSkipped && (!command.dumpAt.empty() || !command.hashesPath.empty())) {
    throw UsageError{"--no-pictures draws nothing to dump or hash"};
  }
  if (!command.dumpAt.empty() && command.dumpDir.empty()) {
    throw UsageError{"--dump-at needs --dump DIR"};
  }
  return command;
}

void PrepareDumpFolder(const std::string& dir) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error || !std::filesystem::is_directory(dir)) throw IoError{"cannot make the folder " + Printable(dir)};
}

int Run(const Command& command) {
  ReplayOptions options = command.options;
  if (!command.dumpDir.empty()) PrepareDumpFolder(command.dumpDir);
  std::ofstream log, hashes;
  for (auto [file, path] : {std::pair{&log, &command.logPath}, std::pair{&hashes, &command.hashesPath}}) {
    if (path->empty()) continue;
    file->open(*path, std::ios::binary);
    if (!*file) throw IoError{"cannot write " + Printable(*path) + ": " + std::strerror(errno)};
  }
  WavFileWriter audio(pellaris::play::kAudioRate, pellaris::play::kAudioChannels);
  if (!command.audioPath.empty()) {
    if (!audio.Open(command.audioPath)) {
      throw IoError{"cannot write " + Printable(command.audioPath) + ": " + std::strerror(errno)};
    }
    options.audio = [&audio](const std::int16_t* samples, std::size_t count) { audio.Write(samples, count); };
  }
  bool dumped = true;
  const auto dump = [&](const pellaris::play::FrameRecord& record) {
    if (command.dumpAt.contains(record.frame) && rt::BlitTarget()) {
      dumped = pellaris::replay::WritePng(pellaris::replay::DumpName(command.dumpDir, record.frame),
                                          *rt::BlitTarget()) &&
               dumped;
    }
  };
  pellaris::play::RunReplay(options, command.logPath.empty() ? nullptr : &log, dump,
                            command.hashesPath.empty() ? nullptr : &hashes);
  if (!command.logPath.empty() && !log.flush()) throw IoError{"cannot write " + Printable(command.logPath)};
  if (!command.hashesPath.empty() && !hashes.flush())
    throw IoError{"cannot write " + Printable(command.hashesPath)};
  if (!command.audioPath.empty() && !audio.Finish())
    throw IoError{"cannot write " + Printable(command.audioPath)};
  if (!dumped) throw IoError{"could not write every picture into " + Printable(command.dumpDir)};
  return 0;
}

// Plays the recording to its end and says whether it reaches the score it claims.
int Verify(const std::string& path) {
  std::string error;
  const std::optional<pellaris::play::Recording> recording =
      pellaris::play::ReadRecording(ReadScriptText(path), error);
  if (!recording) throw UsageError{Printable(path) + ": " + error};
  const pellaris::play::Verdict verdict = pellaris::play::VerifyRecording(*recording);
  const std::string reached =
      "the round reaches " + std::to_string(verdict.score) + " at pass " + std::to_string(verdict.pass);
  if (verdict.Verified()) {
    std::cout << Printable(path) << ": verified: " << reached << ", as recorded"
              << (verdict.startsAsTheSeed ? ", from the seed's first round" : "") << "\n";
  } else if (!verdict.sameRules) {
    std::cout << Printable(path) << ": not verified: it was played by rules " << recording->header.rules
              << ", and this Pellaris plays rules " << pellaris::kRulesVersion << "\n";
  } else if (!verdict.startPlausible) {
    std::cout << Printable(path) << ": not verified: no game of seed " << recording->header.seed
              << " starts a round as this recording does\n";
  } else if (!verdict.claimedScore) {
    std::cout << Printable(path) << ": not verified: the recording was cut short, so it claims no score; "
              << reached << "\n";
  } else if (!verdict.roundOver) {
    std::cout << Printable(path) << ": not verified: the round is not over at pass " << verdict.pass
              << ", where the recording says it ended with " << *verdict.claimedScore << "\n";
  } else {
    std::cout << Printable(path) << ": not verified: " << reached << ", the recording says "
              << *verdict.claimedScore << "\n";
  }
  if (!std::cout.flush()) throw IoError{"cannot write the verdict"};
  return verdict.Verified() ? 0 : kExitNotVerified;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Command command = ReadCommand(argc, argv);
    if (command.help) {
      std::cout << kHelp;
      return std::cout.flush() ? 0 : kExitIoFailure;
    }
    return command.verifyPath.empty() ? Run(command) : Verify(command.verifyPath);
  } catch (const UsageError& error) {
    std::cerr << "pellaris-replay: " << error.message << "\nTry 'pellaris-replay --help'.\n";
    return kExitUsage;
  } catch (const IoError& error) {
    std::cerr << "pellaris-replay: " << error.message << "\n";
    return kExitIoFailure;
  } catch (const std::bad_alloc&) {
    std::cerr << "pellaris-replay: out of memory\n";
    return kExitIoFailure;
  }
}
