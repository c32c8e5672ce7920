// Re-playing a round runs the game, which holds one state a process and may be fed anything: so rounds
// are re-played in worker processes of their own, fresh programs (the board's own, started with
// --worker) under resource limits. A worker reads rounds on its standard input and answers each on
// descriptor 3:
//   request: the recording's length in decimal, a newline, the recording's bytes
//   answer:  "checked VERIFIED REPLAYED_SCORE" or "unreadable PROBLEM", one line
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace pellaris::board {

struct WorkerLimits {
  int cpuSeconds = 10;  // a round, always
  int memoryMiB = 512;  // address space, where the build allows it (not under AddressSanitizer)
};

// The worker's side: answers rounds until its input ends. Returns the process's exit status.
int RunWorker(const WorkerLimits& limits);

struct WorkerAnswer {
  bool readable = false;
  std::string problem;  // why it cannot be read, or does not verify
  bool verified = false;
  std::int32_t replayedScore = 0;
  bool startsAsTheSeed = false;  // it counts for its seed's and its day's boards
};

// The board's side: one worker process, started at construction and killed at destruction.
class WorkerProcess {
 public:
  // Starts `program --worker ...`. Throws std::runtime_error when it cannot.
  WorkerProcess(const std::string& program, const WorkerLimits& limits);
  WorkerProcess(const WorkerProcess&) = delete;
  WorkerProcess& operator=(const WorkerProcess&) = delete;
  ~WorkerProcess();

  // The worker's answer; nothing when it died on the round or took longer than `wallLimit`, killed then,
  // with the reason in Death(). A worker that gave no answer takes no more rounds.
  std::optional<WorkerAnswer> Check(std::string_view recording, std::chrono::milliseconds wallLimit);
  const std::string& Death() const { return death_; }
  // Kills it now, from any thread: a Check under way returns nothing.
  void Kill();

 private:
  void Reap(std::string_view overran);

  std::mutex pidMutex_;  // Kill comes from other threads
  pid_t pid_ = -1;
  int requests_ = -1, answers_ = -1;
  int cpuSeconds_;
  std::string death_;
};

}  // namespace pellaris::board
