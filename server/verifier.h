// Verification: as many verifiers as the machine has cores, each a thread with a worker process of its
// own, take pending rounds from the store (the queue, bounded where rounds are added) and settle them:
// ranked when the re-played score is the claimed one, refused with the reason otherwise. A worker that
// dies is replaced; a round that stopped workers twice is refused, never left half done.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/store.h"
#include "server/worker.h"

namespace pellaris::board {

struct VerifierSettings {
  std::string program;  // the board's executable, started with --worker
  int workers = 1;
  WorkerLimits limits;
  // How often an idle verifier looks for rounds other board processes stored.
  std::chrono::milliseconds poll{250};
};

// Rounds that stopped this many workers are refused.
inline constexpr int kWorkerDeathsARoundMayCause = 2;

class Verifier {
 public:
  using Log = std::function<void(const std::string&)>;
  Verifier(Store& store, VerifierSettings settings, Log log);
  Verifier(const Verifier&) = delete;
  Verifier& operator=(const Verifier&) = delete;
  ~Verifier();  // stops: rounds under way go back to waiting

  // A round was stored: look now rather than at the next poll.
  void Wake();
  // Calls `then` once: as soon as this process settled round `id`, or when `within` has passed.
  void AwaitSettled(std::int64_t id, std::chrono::milliseconds within, std::function<void()> then);

 private:
  struct Waiter {
    std::int64_t id;
    std::function<void()> then;
  };
  using Deadline = std::chrono::steady_clock::time_point;

  void Verify(std::size_t slot);
  void Settle(Claim& claim, const WorkerAnswer& answer);
  void Settle(Claim& claim, const std::string& workerDeath);  // the worker died on it
  void Settled(std::int64_t id);
  void WatchDeadlines();

  Store& store_;
  const VerifierSettings settings_;
  const Log log_;
  std::atomic<bool> stopping_{false};

  std::mutex mutex_;  // guards what follows
  std::condition_variable wake_, deadlineChanged_;
  std::uint64_t wakes_ = 0;
  std::multimap<Deadline, Waiter> waiters_;
  std::vector<WorkerProcess*> running_;  // each verifier's worker, to kill when stopping

  std::vector<std::thread> threads_;
};

}  // namespace pellaris::board
