// pellaris-replay: runs the game on the headless backend from a script, for reproducing what a player
// saw. See the README for the options and the script format.
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "tools/replay/replay.h"

namespace {

using pellaris::replay::ReplayOptions;

constexpr const char* kUsage =
    "usage: pellaris-replay [--seed N] [--answer yes|no] [--frames N] [--fps N] [--script FILE]\n"
    "                       [--dump DIR --dump-at F1,F2,...] [--log FILE]\n";

template <typename Number>
bool ReadNumber(std::string_view text, Number low, Number& out) {
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, out);
  return error == std::errc() && stop == end && out >= low;
}

bool ReadFrameList(std::string_view text, ReplayOptions& options) {
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    std::int64_t frame = 0;
    if (!ReadNumber(text.substr(0, comma), std::int64_t{1}, frame)) return false;
    options.dumpAt.insert(frame);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  return true;
}

bool ReadScript(const std::string& path, ReplayOptions& options) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::cerr << "pellaris-replay: cannot read " << path << "\n";
    return false;
  }
  std::stringstream text;
  text << file.rdbuf();
  auto parsed = pellaris::replay::ParseScript(text.str());
  if (!parsed.error.empty()) {
    std::cerr << "pellaris-replay: " << path << ": " << parsed.error << "\n";
    return false;
  }
  options.events = std::move(parsed.events);
  return true;
}

// Reads the options; false (after saying why) when they are wrong.
bool ReadOptions(int argc, char** argv, ReplayOptions& options, std::string& logPath) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view name = argv[i];
    if (i + 1 >= argc) {
      std::cerr << "pellaris-replay: " << name << " needs a value\n" << kUsage;
      return false;
    }
    const std::string_view value = argv[++i];
    bool ok = true;
    if (name == "--seed") {
      ok = ReadNumber(value, std::uint32_t{0}, options.seed);
    } else if (name == "--answer") {
      ok = value == "yes" || value == "no";
      options.answerYes = value == "yes";
    } else if (name == "--frames") {
      ok = ReadNumber(value, std::int64_t{1}, options.frames);
    } else if (name == "--fps") {
      ok = ReadNumber(value, 1, options.fps) && options.fps <= 100000;
    } else if (name == "--script") {
      if (!ReadScript(std::string(value), options)) return false;
    } else if (name == "--dump") {
      options.dumpDir = value;
    } else if (name == "--dump-at") {
      ok = ReadFrameList(value, options);
    } else if (name == "--log") {
      logPath = value;
    } else {
      ok = false;
    }
    if (!ok) {
      std::cerr << "pellaris-replay: bad option " << name << " " << value << "\n" << kUsage;
      return false;
    }
  }
  if (!options.dumpAt.empty() && options.dumpDir.empty()) {
    std::cerr << "pellaris-replay: --dump-at needs --dump DIR\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  ReplayOptions options;
  std::string logPath;
  if (!ReadOptions(argc, argv, options, logPath)) return 2;
  std::ofstream log;
  if (!logPath.empty()) {
    log.open(logPath, std::ios::binary);
    if (!log) {
      std::cerr << "pellaris-replay: cannot write " << logPath << "\n";
      return 2;
    }
  }
  if (!pellaris::replay::RunReplay(options, logPath.empty() ? nullptr : &log)) {
    std::cerr << "pellaris-replay: could not write every dump into " << options.dumpDir << "\n";
    return 1;
  }
  return 0;
}
