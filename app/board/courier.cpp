#include "app/board/courier.h"

#include <algorithm>

#include "play/format/printable.h"
#include "play/format/recording.h"
#include "play/store/files.h"

namespace pellaris::app {

using play::Printable;

BoardCourier::BoardCourier(BoardSetup setup, std::ostream& report)
    : setup_(std::move(setup)), report_(report), outbox_(setup_.outboxFolder), http_(setup_.limits) {
  thread_ = std::thread([this] { Run(); });
}

BoardCourier::~BoardCourier() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  http_.Stop();
  thread_.join();
}

void BoardCourier::RoundEnded(const std::string& recording) {
  {
    const std::lock_guard lock(mutex_);
    arrived_.push_back(recording);
  }
  wake_.notify_all();
}

std::optional<play::BoardRank> BoardCourier::RankOf(const std::string& recording) {
  const std::lock_guard lock(mutex_);
  const auto found = ranks_.find(recording);
  if (found == ranks_.end()) return std::nullopt;
  return found->second;
}

bool BoardCourier::WaitUntilIdle(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return idle_.wait_for(lock, limit, [&] {
    const bool waitingForTheBoard = sendWanted_ && Clock::now() < sendNotBefore_;
    return !working_ && (!sendWanted_ || waitingForTheBoard) && arrived_.empty() && unverified_.empty();
  });
}

// Rounds handed over are copied into the outbox even when the program ends, so that none is lost.
void BoardCourier::Run() {
  for (;;) {
    const Work work = NextWork();
    FileArrived(work.arrived);
    if (work.stop) return;
    if (work.send) SendWaiting();
    if (work.ask) AskAfterUnverified();
  }
}

BoardCourier::Work BoardCourier::NextWork() {
  std::unique_lock lock(mutex_);
  working_ = false;
  idle_.notify_all();
  while (!stopping_ && !HasWorkNow(Clock::now())) {
    Clock::time_point until = Clock::time_point::max();
    if (sendWanted_) until = sendNotBefore_;
    if (!unverified_.empty()) until = std::min(until, nextAsk_);
    if (until == Clock::time_point::max()) {
      wake_.wait(lock);
    } else {
      wake_.wait_until(lock, until);
    }
  }
  const Clock::time_point now = Clock::now();
  // A round that arrives is sent once it is in the outbox: asked here, where a send under way when
  // it arrived cannot have taken the asking back before the round was there to send.
  if (!arrived_.empty()) sendWanted_ = true;
  Work work;
  work.arrived.swap(arrived_);
  work.stop = stopping_;
  work.send = sendWanted_ && now >= sendNotBefore_;
  work.ask = !unverified_.empty() && now >= nextAsk_;
  working_ = true;
  return work;
}

bool BoardCourier::HasWorkNow(Clock::time_point now) const {
  return !arrived_.empty() || (sendWanted_ && now >= sendNotBefore_) ||
         (!unverified_.empty() && now >= nextAsk_);
}

void BoardCourier::FileArrived(const std::vector<std::string>& recordings) {
  for (const std::string& recording : recordings) {
    std::vector<std::string> dropped;
    std::string error;
    if (!outbox_.Add(setup_.replaysFolder / recording, setup_.daily, dropped, error))
      Tell("the round " + Printable(recording) + " cannot wait for the score board: " + error);
    for (const std::string& old : dropped)
      Tell("the round " + Printable(old) + " waited too long for the score board; it is no longer sent");
  }
}

// Oldest first, until the board stops taking them.
void BoardCourier::SendWaiting() {
  {
    const std::lock_guard lock(mutex_);
    sendWanted_ = false;
  }
  const std::vector<OutboxEntry> waiting = outbox_.Entries();
  if (setup_.name.empty() && !waiting.empty()) {
    return TellOnce("no name is set for the score board ([board] name in the settings); " +
                    std::to_string(waiting.size()) + " rounds wait in " +
                    Printable(setup_.outboxFolder.string()) + " until one is");
  }
  for (const OutboxEntry& entry : waiting) {
    const play::FileContents recording = play::ReadSmallFile(entry.file, play::kLargestRecording);
    // Sent by another game meanwhile, or unreadable: left as it is.
    if (recording.status != play::ReadStatus::Read) continue;
    const HttpReply reply =
        http_.Post(SubmitUrl(setup_.url, setup_.name, setup_.installId, entry.daily), recording.text);
    const RoundAnswer answer = ReadRoundAnswer(reply);
    if (http_.Stopped() || !Settle(answer, entry.recording, entry.daily.has_value())) return;
    outbox_.Remove(entry);
  }
}

bool BoardCourier::Settle(const RoundAnswer& answer, const std::string& recording, bool daily) {
  switch (answer.kind) {
    case RoundAnswer::Kind::Ranked:
      KeepRank(answer, recording, daily);
      break;
    case RoundAnswer::Kind::Pending: {
      const std::lock_guard lock(mutex_);
      if (unverified_.empty()) nextAsk_ = Clock::now() + kAskEvery;
      unverified_.push_back({answer.id, recording, daily, 0});
      break;
    }
    case RoundAnswer::Kind::Refused:
      Tell("the score board refused the round " + Printable(recording) + ": " + Printable(answer.reason));
      break;
    case RoundAnswer::Kind::Later: {
      {
        const std::lock_guard lock(mutex_);
        sendWanted_ = true;
        sendNotBefore_ = Clock::now() + std::chrono::seconds(answer.waitSeconds);
      }
      TellOnce("the score board is busy; rounds are sent again in " + std::to_string(answer.waitSeconds) +
               " s");
      return false;
    }
    case RoundAnswer::Kind::Unanswered:
      TellOnce("the score board at " + Printable(setup_.url) + " did not answer (" +
               Printable(answer.reason) + "); rounds wait in " + Printable(setup_.outboxFolder.string()) +
               " and go after the next round or at the next start");
      return false;
  }
  lastProblem_.clear();
  return true;
}

// A busy board's wait holds back every question, and the rounds not asked after keep their tries.
void BoardCourier::AskAfterUnverified() {
  std::vector<Unverified> asking;
  {
    const std::lock_guard lock(mutex_);
    asking.swap(unverified_);
  }
  std::vector<Unverified> still;
  std::chrono::milliseconds wait = kAskEvery;
  bool busy = false;
  for (Unverified& round : asking) {
    if (busy) {
      still.push_back(round);
      continue;
    }
    const RoundAnswer answer = ReadRoundAnswer(http_.Get(RoundUrl(setup_.url, round.id)));
    if (answer.kind == RoundAnswer::Kind::Ranked) {
      KeepRank(answer, round.recording, round.daily);
    } else if (answer.kind == RoundAnswer::Kind::Refused) {
      Tell("the score board refused the round " + Printable(round.recording) + ": " +
           Printable(answer.reason));
    } else if (answer.kind == RoundAnswer::Kind::Later) {
      busy = true;
      wait = std::max<std::chrono::milliseconds>(wait, std::chrono::seconds(answer.waitSeconds));
      still.push_back(round);
    } else if (++round.asks < kMostAsks) {
      still.push_back(round);
    } else if (!http_.Stopped()) {
      Tell("the score board has not verified the round " + Printable(round.recording) +
           " yet; it ranks it once it does");
    }
  }
  const std::lock_guard lock(mutex_);
  unverified_.insert(unverified_.end(), still.begin(), still.end());
  nextAsk_ = Clock::now() + wait;
}

// A round of the daily challenge shows its place on the day's board; any other, on the board of all.
void BoardCourier::KeepRank(const RoundAnswer& answer, const std::string& recording, bool daily) {
  std::optional<play::BoardRank> rank;
  if (daily && answer.dailyRank) rank = play::BoardRank{*answer.dailyRank, true};
  if (!rank && answer.allRank) rank = play::BoardRank{*answer.allRank, false};
  if (!rank) return;
  const std::lock_guard lock(mutex_);
  ranks_[recording] = *rank;
}

void BoardCourier::Tell(const std::string& text) {
  report_ << "pellaris: " + text + "\n" << std::flush;
}

// A board that stays away is said once, not at every round.
void BoardCourier::TellOnce(const std::string& problem) {
  if (problem == lastProblem_) return;
  lastProblem_ = problem;
  Tell(problem);
}

}  // namespace pellaris::app
