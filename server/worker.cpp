#include "server/worker.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "server/round_check.h"

extern char** environ;

// AddressSanitizer reserves terabytes of address space: no address-space limit under it.
#if defined(__SANITIZE_ADDRESS__)
#define PELLARIS_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELLARIS_ADDRESS_SANITIZER 1
#endif
#endif

namespace pellaris::board {

namespace {

constexpr int kAnswerDescriptor = 3;
constexpr int kWorkerNiceness = 10;
constexpr std::size_t kLongestAnswer = 4096;

using Clock = std::chrono::steady_clock;

// Waits until `descriptor` is ready for `events` or the deadline passes.
bool WaitFor(int descriptor, short events, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd watched{descriptor, events, 0};
    const int ready = poll(&watched, 1, static_cast<int>(std::min<long long>(left, 60000)));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

bool WriteAll(int descriptor, std::string_view bytes, Clock::time_point deadline) {
  while (!bytes.empty()) {
    if (!WaitFor(descriptor, POLLOUT, deadline)) return false;
    const ssize_t written = write(descriptor, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Reads up to and including the next newline; false at the end of the input or beyond `most` bytes.
bool ReadLine(int descriptor, std::string& line, std::size_t most, Clock::time_point deadline) {
  line.clear();
  char c = 0;
  while (line.size() < most) {
    if (!WaitFor(descriptor, POLLIN, deadline)) return false;
    const ssize_t got = read(descriptor, &c, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    if (c == '\n') return true;
    line += c;
  }
  return false;
}

bool ReadExactly(int descriptor, std::string& bytes, std::size_t size) {
  bytes.resize(size);
  std::size_t have = 0;
  while (have < size) {
    const ssize_t got = read(descriptor, bytes.data() + have, size - have);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    have += static_cast<std::size_t>(got);
  }
  return true;
}

void SetLimit(int resource, rlim_t soft) {
  rlimit limit{};
  getrlimit(resource, &limit);
  limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? soft : std::min(soft, limit.rlim_max);
  setrlimit(resource, &limit);
}

// The CPU seconds used so far, rounded up: the next round's limit counts from there.
rlim_t CpuSecondsUsed() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const long micros = usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
  return static_cast<rlim_t>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + micros / 1000000 + 1);
}

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

std::string SignalName(int number) {
  const char* name = sigabbrev_np(number);
  return name ? "SIG" + std::string(name) : "signal " + std::to_string(number);
}

}  // namespace

int RunWorker(const WorkerLimits& limits) {
  // Nothing the board had open is the worker's business but its two pipes and the standard streams.
  close_range(kAnswerDescriptor + 1, ~0U, 0);
  SetLimit(RLIMIT_CORE, 0);  // a worker stopped by its limits leaves no core file behind
#ifndef PELLARIS_ADDRESS_SANITIZER
  SetLimit(RLIMIT_AS, static_cast<rlim_t>(limits.memoryMiB) << 20);
#endif
  // Re-playing is batch work: on a busy machine the board's answers to people come first.
  setpriority(PRIO_PROCESS, 0, kWorkerNiceness);
  const auto forever = Clock::time_point::max();
  std::string header, recording;
  while (ReadLine(STDIN_FILENO, header, 16, forever)) {
    std::size_t size = 0;
    for (char c : header) {
      if (c < '0' || c > '9') return 2;
      size = size * 10 + static_cast<std::size_t>(c - '0');
      if (size > kLargestRecording) return 2;
    }
    if (!ReadExactly(STDIN_FILENO, recording, size)) return 2;
    SetLimit(RLIMIT_CPU, CpuSecondsUsed() + static_cast<rlim_t>(limits.cpuSeconds));
    const RoundCheck check = CheckRound(recording);
    const std::string answer = check.readable ? "checked " + std::to_string(check.verified ? 1 : 0) + " " +
                                                    std::to_string(check.replayedScore) + " " +
                                                    std::to_string(check.startsAsTheSeed ? 1 : 0) + " " +
                                                    OneLine(check.unverified) + "\n"
                                              : "unreadable " + OneLine(check.problem) + "\n";
    if (!WriteAll(kAnswerDescriptor, answer, forever)) return 2;
  }
  return 0;
}

WorkerProcess::WorkerProcess(const std::string& program, const WorkerLimits& limits)
    : cpuSeconds_(limits.cpuSeconds) {
  int requests[2], answers[2];
  if (pipe2(requests, O_CLOEXEC) != 0)
    throw std::runtime_error(std::string("no pipe: ") + std::strerror(errno));
  if (pipe2(answers, O_CLOEXEC) != 0) {
    close(requests[0]);
    close(requests[1]);
    throw std::runtime_error(std::string("no pipe: ") + std::strerror(errno));
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, requests[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, answers[1], kAnswerDescriptor);
  // Named as the board is, wherever the program file is.
  std::vector<std::string> words = {"pellaris-board",  "--worker",
                                    "--worker-cpu",    std::to_string(limits.cpuSeconds),
                                    "--worker-memory", std::to_string(limits.memoryMiB)};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(requests[0]);
  close(answers[1]);
  if (spawned != 0) {
    close(requests[1]);
    close(answers[0]);
    throw std::runtime_error("cannot start a worker (" + program + "): " + std::strerror(spawned));
  }
  pid_ = pid;
  requests_ = requests[1];
  answers_ = answers[0];
}

WorkerProcess::~WorkerProcess() {
  Reap("");
  close(requests_);
  close(answers_);
}

std::optional<WorkerAnswer> WorkerProcess::Check(std::string_view recording,
                                                 std::chrono::milliseconds wallLimit) {
  if (pid_ < 0) return std::nullopt;
  const Clock::time_point deadline = Clock::now() + wallLimit;
  std::string line;
  if (!WriteAll(requests_, std::to_string(recording.size()) + "\n", deadline) ||
      !WriteAll(requests_, recording, deadline) || !ReadLine(answers_, line, kLongestAnswer, deadline)) {
    Reap(Clock::now() >= deadline
             ? "it ran longer than " + std::to_string(wallLimit.count() / 1000) + " seconds"
             : "");
    return std::nullopt;
  }
  WorkerAnswer answer;
  if (line.starts_with("unreadable ")) {
    answer.problem = line.substr(11);
    return answer;
  }
  int verified = 0, startsAsTheSeed = 0, reasonAt = 0;
  if (std::sscanf(line.c_str(), "checked %d %d %d %n", &verified, &answer.replayedScore, &startsAsTheSeed,
                  &reasonAt) != 3 ||
      reasonAt == 0) {
    Reap("it answered something else than a check");
    return std::nullopt;
  }
  answer.readable = true;
  answer.verified = verified == 1;
  answer.startsAsTheSeed = startsAsTheSeed == 1;
  answer.problem = line.substr(static_cast<std::size_t>(reasonAt));
  return answer;
}

void WorkerProcess::Kill() {
  std::lock_guard lock(pidMutex_);
  if (pid_ > 0) kill(pid_, SIGKILL);
}

void WorkerProcess::Reap(std::string_view overran) {
  std::lock_guard lock(pidMutex_);
  if (pid_ < 0) return;
  kill(pid_, SIGKILL);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  if (!overran.empty()) {
    death_ = std::string(overran);
  } else if (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU) {
    death_ = "it ran out of its " + std::to_string(cpuSeconds_) + " CPU seconds";
  } else if (WIFSIGNALED(status)) {
    death_ = "the worker re-playing it stopped with " + SignalName(WTERMSIG(status));
  } else {
    death_ = "the worker re-playing it ended with status " + std::to_string(WEXITSTATUS(status));
  }
}

}  // namespace pellaris::board
