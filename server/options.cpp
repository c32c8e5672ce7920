#include "server/options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>

namespace pellaris::board {

namespace {

struct Option {
  const char* name;      // without "--"
  const char* argument;  // the value's name, or nullptr for a switch
  const char* help;      // nullptr: not listed
  std::function<bool(BoardOptions&, std::string_view)> apply;  // false: the value is out of range
};

// A setter for a whole number from `low` to `high`.
template <typename Field>
std::function<bool(BoardOptions&, std::string_view)> Number(Field field, long low, long high) {
  return [=](BoardOptions& options, std::string_view text) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return false;
    field(options, value);
    return true;
  };
}

std::function<bool(BoardOptions&, std::string_view)> Text(std::function<void(BoardOptions&, std::string_view)> set) {
  return [set](BoardOptions& options, std::string_view text) {
    if (text.empty()) return false;
    set(options, text);
    return true;
  };
}

const std::array<Option, 22> kOptions = {{
    {"listen", "ADDRESS:PORT", "where to listen (default 127.0.0.1:8080; port 0 takes a free one)",
     Text([](BoardOptions& o, std::string_view v) { o.listen = v; })},
    {"data", "DIR", "keep the board in an SQLite database in DIR (made if missing)",
     Text([](BoardOptions& o, std::string_view v) { o.data = std::filesystem::path(v); })},
    {"database", "URL", "keep the board in PostgreSQL (postgresql://...), shared by every board using it",
     Text([](BoardOptions& o, std::string_view v) { o.database = std::string(v); })},
    {"page", "DIR", "also serve the game's page from DIR (build-web/) at /play/",
     Text([](BoardOptions& o, std::string_view v) { o.api.page = std::filesystem::path(v); })},
    {"workers", "N", "verify in N worker processes (default: one a core)",
     Number([](BoardOptions& o, long v) { o.workers = static_cast<int>(v); }, 1, 256)},
    {"worker-cpu", "SECONDS", "CPU seconds a worker may spend on a round (default 10)",
     Number([](BoardOptions& o, long v) { o.limits.cpuSeconds = static_cast<int>(v); }, 1, 3600)},
    {"worker-memory", "MIB", "address space of a worker, in MiB (default 512)",
     Number([](BoardOptions& o, long v) { o.limits.memoryMiB = static_cast<int>(v); }, 64, 65536)},
    {"queue", "N", "rounds that may wait for verification; beyond, submissions get 503 (default 1000)",
     Number([](BoardOptions& o, long v) { o.api.pendingLimit = static_cast<int>(v); }, 1, 10000000)},
    {"threads", "N", "threads answering requests (default 2)",
     Number([](BoardOptions& o, long v) { o.http.threads = static_cast<int>(v); }, 1, 256)},
    {"max-connections", "N", "open connections at most (default 1000)",
     Number([](BoardOptions& o, long v) { o.http.connections = static_cast<int>(v); }, 1, 1000000)},
    {"max-connections-per-address", "N", "open connections from one address at most (default 50)",
     Number([](BoardOptions& o, long v) { o.http.connectionsPerAddress = static_cast<int>(v); }, 1, 1000000)},
    {"header-limit", "BYTES", "a request's headers at most (default 8192)",
     Number([](BoardOptions& o, long v) { o.http.headerBytes = static_cast<std::size_t>(v); }, 512, 1 << 20)},
    {"read-timeout", "MS", "milliseconds to read a whole request in, and to write an answer (default 10000)",
     Number([](BoardOptions& o, long v) { o.http.readTimeout = std::chrono::milliseconds(v); }, 100, 3600000)},
    {"idle-timeout", "MS", "milliseconds a connection may wait for its next request (default 30000)",
     Number([](BoardOptions& o, long v) { o.http.idleTimeout = std::chrono::milliseconds(v); }, 100, 3600000)},
    {"submissions-per-minute", "N", "rounds an address may send a minute, on average (default 10)",
     Number([](BoardOptions& o, long v) { o.api.submissionsPerMinute = static_cast<double>(v); }, 1, 10000000)},
    {"submission-burst", "N", "rounds an address may send at once (default 5)",
     Number([](BoardOptions& o, long v) { o.api.submissionBurst = static_cast<double>(v); }, 1, 10000000)},
    {"requests-per-second", "N", "requests of any kind an address may send a second, on average (default 20)",
     Number([](BoardOptions& o, long v) { o.api.requestsPerSecond = static_cast<double>(v); }, 1, 10000000)},
    {"request-burst", "N", "requests an address may send at once (default 100)",
     Number([](BoardOptions& o, long v) { o.api.requestBurst = static_cast<double>(v); }, 1, 10000000)},
    {"proxy-header", "NAME", "behind a proxy on this machine: the header in which it names the client",
     Text([](BoardOptions& o, std::string_view v) { o.http.proxyHeader = v; })},
    {"help", nullptr, "show this and exit", [](BoardOptions& o, std::string_view) { return o.help = true; }},
    {"version", nullptr, "show the version and exit", [](BoardOptions& o, std::string_view) { return o.version = true; }},
    // How the board starts its workers, with --worker-cpu and --worker-memory.
    {"worker", nullptr, nullptr, [](BoardOptions& o, std::string_view) { return o.worker = true; }},
}};

constexpr const char* kUsage = "usage: pellaris-board (--data DIR | --database URL) [OPTION...]\n";

}  // namespace

std::optional<BoardOptions> ParseBoardOptions(int argc, const char* const* argv, std::string& error) {
  BoardOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string_view word = argv[i];
    if (!word.starts_with("--")) {
      error = std::string("pellaris-board: unexpected '") + argv[i] + "'\n" + kUsage;
      return std::nullopt;
    }
    word.remove_prefix(2);
    const std::size_t equals = word.find('=');
    const std::string_view name = word.substr(0, equals);
    const auto option = std::find_if(kOptions.begin(), kOptions.end(), [&](const Option& o) { return name == o.name; });
    if (option == kOptions.end()) {
      error = "pellaris-board: unknown option --" + std::string(name) + "\n" + kUsage;
      return std::nullopt;
    }
    std::string_view value;
    if (option->argument && equals != std::string_view::npos) {
      value = word.substr(equals + 1);
    } else if (option->argument) {
      if (i + 1 >= argc) {
        error = "pellaris-board: --" + std::string(name) + " needs " + option->argument + "\n" + kUsage;
        return std::nullopt;
      }
      value = argv[++i];
    } else if (equals != std::string_view::npos) {
      error = "pellaris-board: --" + std::string(name) + " takes no value\n" + kUsage;
      return std::nullopt;
    }
    if (!option->apply(options, value)) {
      error = "pellaris-board: --" + std::string(name) + ": '" + std::string(value) + "' is out of range\n" + kUsage;
      return std::nullopt;
    }
  }
  if (!options.help && !options.version && !options.worker && options.data.has_value() == options.database.has_value()) {
    error = std::string("pellaris-board: give either --data DIR or --database URL\n") + kUsage;
    return std::nullopt;
  }
  return options;
}

std::string BoardHelp() {
  std::string help = std::string(kUsage) +
                     "Keeps a score board of Pellaris rounds, ranking each only once it has re-played its recording.\n\n"
                     "Options:\n";
  for (const Option& option : kOptions) {
    if (!option.help) continue;
    std::string label = std::string("  --") + option.name + (option.argument ? std::string(" ") + option.argument : "");
    label.resize(std::max<std::size_t>(label.size() + 2, 38), ' ');
    help += label + option.help + "\n";
  }
  return help;
}

}  // namespace pellaris::board
