// The score board under load on loopback, with real recordings (two-minute rounds the game recorded):
//   floor       the CPU time of verifying a round alone, in this process: rounds a second a core;
//   saturation  clients sending rounds as fast as the board takes them, for --seconds: rounds ranked
//               a second a worker (a core), against the floor;
//   open loop   rounds arriving at 80 % of the saturation rate: time from arrival to rank, p50 and p99;
//   reads       GET /api/boards/daily/TODAY at 1,000 a second for --read-seconds, idle and while
//               rounds arrive at 80 %: p50 and p99.
// Rate limits are raised for it; nothing leaves loopback. Usage: bench_board [--seconds 60] [--read-seconds
// 20]
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <boost/json.hpp>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "board_process.h"
#include "http_client.h"
#include "recorded_round.h"
#include "server/daily.h"
#include "server/round_check.h"

namespace {

using namespace pellaris::board;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The CPU seconds the board has used itself, and those of its workers: the children it has reaped
// and those still running.
struct BoardCpu {
  double board = 0, workers = 0;
  BoardCpu operator-(const BoardCpu& before) const {
    return {board - before.board, workers - before.workers};
  }
};

BoardCpu ProcessTreeCpuSeconds(pid_t pid) {
  const auto ticks = [](const std::string& stat, int first, int count) {
    // The fields after the command's closing parenthesis, numbered from 3 as proc(5) does.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    double sum = 0;
    for (int number = 3; fields >> field; ++number) {
      if (number >= first && number < first + count) sum += std::stod(field);
    }
    return sum / static_cast<double>(sysconf(_SC_CLK_TCK));
  };
  const auto read = [](const std::filesystem::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::filesystem::path proc = "/proc/" + std::to_string(pid);
  const std::string stat = read(proc / "stat");
  BoardCpu cpu{ticks(stat, 14, 2), ticks(stat, 16, 2)};  // utime and stime; cutime and cstime
  std::error_code error;
  for (const auto& task : std::filesystem::directory_iterator(proc / "task", error)) {
    std::istringstream children(read(task.path() / "children"));
    for (pid_t child = 0; children >> child;)
      cpu.workers += ticks(read("/proc/" + std::to_string(child) + "/stat"), 14, 2);
  }
  return cpu;
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto index = static_cast<std::size_t>(std::ceil(p * static_cast<double>(values.size()))) - 1;
  return values[std::min(index, values.size() - 1)];
}

std::int64_t Field(const std::string& json, const char* key) {
  boost::system::error_code error;
  const boost::json::value value = boost::json::parse(json, error);
  if (error || !value.is_object()) return -1;
  const boost::json::value* field = value.as_object().if_contains(key);
  return field && field->is_int64() ? field->as_int64() : -1;
}

// Rounds sent so far: each made distinct bytes, from its own player.
class Rounds {
 public:
  explicit Rounds(std::vector<std::string> recordings) : recordings_(std::move(recordings)) {}
  // A new submission: its target and body.
  std::pair<std::string, std::string> Next() {
    const int n = next_++;
    char install[33];
    std::snprintf(install, sizeof install, "%032x", n);
    return {"/api/rounds?name=bench+" + std::to_string(n) + "&install=" + install,
            recordings_[static_cast<std::size_t>(n) % recordings_.size()] + "# " + std::to_string(n) + "\n"};
  }

 private:
  std::vector<std::string> recordings_;
  std::atomic<int> next_ = 0;
};

struct Ranked {
  std::int64_t received = 0, settled = 0;  // the board's clock, milliseconds
};

// Sends one round and waits until it is settled; the board's times of it, or nothing.
std::optional<Ranked> SendAndWait(HttpConnection& connection, Rounds& rounds) {
  const auto [target, body] = rounds.Next();
  HttpAnswer answer = connection.Request("POST", target, body);
  const std::int64_t id = Field(answer.body, "id");
  while (answer.status == 202 || (answer.status == 200 && Field(answer.body, "settled") < 0)) {
    std::this_thread::sleep_for(20ms);
    answer = connection.Request("GET", "/api/rounds/" + std::to_string(id));
  }
  if (answer.status != 201 && answer.status != 200) {
    std::fprintf(stderr, "a round was answered %d: %s\n", answer.status, answer.body.c_str());
    return std::nullopt;
  }
  return Ranked{Field(answer.body, "received"), Field(answer.body, "settled")};
}

double Floor(const std::vector<std::string>& recordings) {
  const double start = CpuSeconds();
  int verified = 0;
  for (int pass = 0; pass < 2; ++pass) {
    for (const std::string& recording : recordings) verified += CheckRound(recording).verified;
  }
  const double perRound = (CpuSeconds() - start) / (2.0 * static_cast<double>(recordings.size()));
  std::printf("floor: %d of %zu verified, %.3f s CPU a round: %.2f rounds a second a core\n", verified,
              2 * recordings.size(), perRound, 1 / perRound);
  return 1 / perRound;
}

struct Saturation {
  double perSecond = 0;     // rounds ranked a second of the clock
  double perCpuSecond = 0;  // rounds ranked a CPU second of the board and its workers
  double boardCpu = 0;      // the board's own CPU seconds a round (HTTP, the store, JSON)
};

// Clients sending rounds as fast as they are ranked, for `seconds`.
Saturation Saturate(const BoardProcess& board, Rounds& rounds, int clients, int seconds) {
  const std::string& address = board.Address();
  const BoardCpu cpuBefore = ProcessTreeCpuSeconds(board.Pid());
  std::mutex mutex;
  std::vector<Ranked> ranked;
  const auto end = Clock::now() + std::chrono::seconds(seconds);
  std::vector<std::thread> threads;
  for (int i = 0; i < clients; ++i) {
    threads.emplace_back([&] {
      HttpConnection connection(address);
      while (Clock::now() < end) {
        if (const std::optional<Ranked> round = SendAndWait(connection, rounds)) {
          std::lock_guard lock(mutex);
          ranked.push_back(*round);
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  const BoardCpu cpu = ProcessTreeCpuSeconds(board.Pid()) - cpuBefore;
  const double count = static_cast<double>(ranked.size());
  // Count the rounds ranked in the window after the first tenth, once the queue is full.
  std::int64_t first = INT64_MAX, last = 0;
  for (const Ranked& round : ranked)
    first = std::min(first, round.settled), last = std::max(last, round.settled);
  const std::int64_t from = first + (last - first) / 10;
  const auto counted =
      std::count_if(ranked.begin(), ranked.end(), [&](const Ranked& r) { return r.settled > from; });
  return {static_cast<double>(counted) * 1000.0 / static_cast<double>(std::max<std::int64_t>(1, last - from)),
          count / (cpu.board + cpu.workers), cpu.board / count};
}

// Rounds arriving at `rate` a second for `seconds`, each from a sender of its own: arrival to rank,
// in seconds, of each.
std::vector<double> OpenLoop(const std::string& address, Rounds& rounds, double rate, int seconds) {
  std::mutex mutex;
  std::vector<double> times;
  std::vector<std::thread> senders;
  const auto start = Clock::now();
  const int count = static_cast<int>(rate * seconds);
  for (int i = 0; i < count; ++i) {
    std::this_thread::sleep_until(start + std::chrono::duration<double>(i / rate));
    senders.emplace_back([&] {
      HttpConnection connection(address);
      if (const std::optional<Ranked> round = SendAndWait(connection, rounds)) {
        std::lock_guard lock(mutex);
        times.push_back(static_cast<double>(round->settled - round->received) / 1000.0);
      }
    });
  }
  for (std::thread& sender : senders) sender.join();
  return times;
}

// GET `target` at 1,000 a second over four kept connections for `seconds`: the latency of each in
// milliseconds, counted from when it was due, so that a late answer delays the next in the count.
std::vector<double> Reads(const std::string& address, const std::string& target, int seconds) {
  constexpr int kConnections = 4;
  constexpr double kEach = 1000.0 / kConnections;
  std::mutex mutex;
  std::vector<double> latencies;
  std::vector<std::thread> threads;
  const auto start = Clock::now() + 50ms;
  for (int c = 0; c < kConnections; ++c) {
    threads.emplace_back([&, c] {
      HttpConnection connection(address);
      std::vector<double> mine;
      for (int i = 0; i < static_cast<int>(kEach * seconds); ++i) {
        const auto due = start + std::chrono::duration<double>((i + c / double(kConnections)) / kEach);
        std::this_thread::sleep_until(due);
        if (connection.Request("GET", target).status != 200) std::fprintf(stderr, "a read failed\n");
        mine.push_back(std::chrono::duration<double, std::milli>(Clock::now() - due).count());
      }
      std::lock_guard lock(mutex);
      latencies.insert(latencies.end(), mine.begin(), mine.end());
    });
  }
  for (std::thread& thread : threads) thread.join();
  return latencies;
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 60, readSeconds = 20;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--read-seconds") == 0) readSeconds = std::atoi(argv[i + 1]);
  }
  const Date today = pellaris::play::UtcDateOf(NowMilliseconds() / 1000);
  std::vector<std::string> recordings;
  for (std::uint32_t seed : {DailySeedOf(today, kRulesVersion), 1u, 2u, 3u}) {
    recordings.push_back(RecordRound(seed, RoundLength::Full));
    if (recordings.back().empty()) {
      std::fprintf(stderr, "the round of seed %u did not end\n", seed);
      return 1;
    }
  }
  std::printf("recordings: %zu two-minute rounds, %zu bytes each on average\n", recordings.size(), [&] {
    std::size_t n = 0;
    for (auto& r : recordings) n += r.size();
    return n / recordings.size();
  }());
  const double floor = Floor(recordings);

  const int workers = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const std::filesystem::path data =
      std::filesystem::temp_directory_path() / ("bench-board-" + std::to_string(getpid()));
  BoardProcess board({"--data", data.string(), "--workers", std::to_string(workers), "--queue", "1000000",
                      "--submissions-per-minute", "10000000", "--submission-burst", "1000000",
                      "--requests-per-second", "10000000", "--request-burst", "1000000",
                      // the open loop's senders each hold a connection until their round is ranked
                      "--max-connections-per-address", "1000"});
  if (!board.Listening()) {
    std::fprintf(stderr, "the board did not start:\n%s", board.Log().c_str());
    return 1;
  }
  Rounds rounds(recordings);
  const Saturation saturation = Saturate(board, rounds, 3 * workers, seconds);
  const double saturated = saturation.perSecond;
  std::printf(
      "saturation: %.2f rounds ranked a second with %d workers: %.2f a core, %.0f %% of the floor; "
      "%.2f rounds a CPU second of the board and its workers, %.0f %% of the floor (the board's own "
      "share %.1f ms a round)\n",
      saturated, workers, saturated / workers, 100 * saturated / workers / floor, saturation.perCpuSecond,
      100 * saturation.perCpuSecond / floor, 1000 * saturation.boardCpu);

  const double rate = 0.8 * saturated;
  const std::vector<double> times = OpenLoop(board.Address(), rounds, rate, seconds);
  std::printf("open loop at %.2f rounds a second: %zu ranked, arrival to rank p50 %.3f s, p99 %.3f s\n", rate,
              times.size(), Percentile(times, 0.5), Percentile(times, 0.99));

  const std::string daily = "/api/boards/daily/" + pellaris::play::DateText(today);
  const std::vector<double> idle = Reads(board.Address(), daily, readSeconds);
  std::printf("reads idle: %zu, p50 %.2f ms, p99 %.2f ms\n", idle.size(), Percentile(idle, 0.5),
              Percentile(idle, 0.99));
  std::vector<double> busy;
  std::thread load([&] { OpenLoop(board.Address(), rounds, rate, readSeconds + 2); });
  std::this_thread::sleep_for(1s);
  busy = Reads(board.Address(), daily, readSeconds);
  load.join();
  std::printf("reads while verifying: %zu, p50 %.2f ms, p99 %.2f ms\n", busy.size(), Percentile(busy, 0.5),
              Percentile(busy, 0.99));
  board.Stop();
  std::filesystem::remove_all(data);
  return 0;
}
