#include "server/verifier.h"

namespace pellaris::board {

namespace {

constexpr std::chrono::seconds kAfterAFailure{2};

// A worker waits its turn on a busy machine, at a low priority: its CPU limit stops it first, this
// only if it hangs.
std::chrono::milliseconds WallLimit(const WorkerLimits& limits) {
  return std::chrono::seconds(10 * limits.cpuSeconds + 10);
}

}  // namespace

Verifier::Verifier(Store& store, VerifierSettings settings, Log log)
    : store_(store), settings_(std::move(settings)), log_(std::move(log)) {
  running_.assign(static_cast<std::size_t>(settings_.workers), nullptr);
  for (std::size_t slot = 0; slot < running_.size(); ++slot)
    threads_.emplace_back([this, slot] { Verify(slot); });
  threads_.emplace_back([this] { WatchDeadlines(); });
}

Verifier::~Verifier() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    for (WorkerProcess* worker : running_) {
      if (worker) worker->Kill();
    }
  }
  wake_.notify_all();
  deadlineChanged_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void Verifier::Wake() {
  {
    std::lock_guard lock(mutex_);
    ++wakes_;
  }
  wake_.notify_all();
}

void Verifier::AwaitSettled(std::int64_t id, std::chrono::milliseconds within, std::function<void()> then) {
  {
    std::lock_guard lock(mutex_);
    waiters_.emplace(std::chrono::steady_clock::now() + within, Waiter{id, std::move(then)});
  }
  deadlineChanged_.notify_one();
}

void Verifier::Verify(std::size_t slot) {
  std::unique_ptr<WorkerProcess> worker;
  // The worker is in running_ while it lives, so that stopping can kill it.
  const auto keep = [&](std::unique_ptr<WorkerProcess> replacement) {
    {
      std::lock_guard lock(mutex_);
      running_[slot] = replacement.get();
      if (stopping_ && replacement) replacement->Kill();
    }
    worker = std::move(replacement);
  };
  while (!stopping_) {
    std::uint64_t wakesSeen = 0;
    {
      std::lock_guard lock(mutex_);
      wakesSeen = wakes_;
    }
    std::unique_ptr<Claim> claim;
    bool failed = false;
    try {
      if (!worker) keep(std::make_unique<WorkerProcess>(settings_.program, settings_.limits));
      claim = store_.ClaimPending();
      if (claim) {
        const std::optional<WorkerAnswer> answer =
            worker->Check(claim->Recording(), WallLimit(settings_.limits));
        if (!answer) {
          const std::string death = worker->Death();
          keep(nullptr);
          if (!stopping_) Settle(*claim, death);
        } else {
          Settle(*claim, *answer);
        }
      }
    } catch (const std::exception& error) {
      log_(error.what());
      failed = true;
    }
    if (claim && !failed) {
      const std::int64_t id = claim->Id();
      claim.reset();
      Settled(id);
      continue;
    }
    claim.reset();  // held when something failed: back to waiting
    // A store or a machine in trouble (no database, no processes) is asked again after a while.
    std::unique_lock lock(mutex_);
    if (failed) {
      wake_.wait_for(lock, kAfterAFailure, [&] { return stopping_.load(); });
    } else {
      wake_.wait_for(lock, settings_.poll, [&] { return stopping_ || wakes_ != wakesSeen; });
    }
  }
  keep(nullptr);
}

void Verifier::Settle(Claim& claim, const WorkerAnswer& answer) {
  const std::string round = "round " + std::to_string(claim.Id());
  if (answer.readable && answer.verified) {
    claim.Rank(answer.replayedScore, answer.startsAsTheSeed);
    log_(round + " ranked at " + std::to_string(answer.replayedScore));
    return;
  }
  const std::string reason =
      (answer.readable ? "it does not verify: " : "it cannot be read: ") + answer.problem;
  claim.Refuse(reason, answer.readable ? std::optional(answer.replayedScore) : std::nullopt);
  log_(round + " refused: " + reason);
}

void Verifier::Settle(Claim& claim, const std::string& death) {
  log_("round " + std::to_string(claim.Id()) + ": " + death);
  if (claim.Failures() + 1 >= kWorkerDeathsARoundMayCause) {
    const std::string reason = "re-playing it stopped the verifier " +
                               std::to_string(kWorkerDeathsARoundMayCause) + " times; the last time " + death;
    claim.Refuse(reason, std::nullopt);
    log_("round " + std::to_string(claim.Id()) + " refused: " + reason);
  } else {
    claim.Retry();
  }
}

void Verifier::Settled(std::int64_t id) {
  std::vector<std::function<void()>> due;
  {
    std::lock_guard lock(mutex_);
    for (auto waiter = waiters_.begin(); waiter != waiters_.end();) {
      if (waiter->second.id == id) {
        due.push_back(std::move(waiter->second.then));
        waiter = waiters_.erase(waiter);
      } else {
        ++waiter;
      }
    }
  }
  for (const auto& then : due) then();
}

void Verifier::WatchDeadlines() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (waiters_.empty()) {
      deadlineChanged_.wait(lock);
    } else {
      const Deadline next = waiters_.begin()->first;  // a copy: the waiter may go while this waits
      deadlineChanged_.wait_until(lock, next);
    }
    std::vector<std::function<void()>> due;
    const Deadline now = std::chrono::steady_clock::now();
    while (!waiters_.empty() && waiters_.begin()->first <= now) {
      due.push_back(std::move(waiters_.begin()->second.then));
      waiters_.erase(waiters_.begin());
    }
    lock.unlock();
    for (const auto& then : due) then();
    lock.lock();
  }
}

}  // namespace pellaris::board
