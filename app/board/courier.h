// The rounds' way to the score board. A thread of its own copies each finished round into the outbox
// and sends what waits there, when the program starts and after every round (a busy board's wait
// respected), and asks after the rounds the board has not verified yet; the game's thread only hands
// over a recording's name and asks for ranks, so play never waits for the network.
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "app/board/board_api.h"
#include "app/board/http.h"
#include "app/board/outbox.h"
#include "play/daily.h"
#include "play/session/session.h"

namespace pellaris::app {

struct BoardSetup {
  std::string url;        // the board's address
  std::string name;       // the player's name; "" keeps the rounds in the outbox
  std::string installId;  // 32 hexadecimal digits
  std::filesystem::path replaysFolder, outboxFolder;
  std::optional<play::UtcDate> daily;  // the rounds of this run are this day's daily challenge
  HttpLimits limits;
};

class BoardCourier {
 public:
  // How often, and how many times, a round the board has not verified yet is asked after.
  static constexpr std::chrono::milliseconds kAskEvery{1000};
  static constexpr int kMostAsks = 120;

  // Starts the thread, which first sends what waits in the outbox. `report` takes what the player is
  // told, written from that thread alone.
  BoardCourier(BoardSetup setup, std::ostream& report);
  // Ends at once: a request under way is abandoned, and its round stays in the outbox for the next
  // start; rounds handed over are copied into the outbox first.
  ~BoardCourier();
  BoardCourier(const BoardCourier&) = delete;
  BoardCourier& operator=(const BoardCourier&) = delete;

  // A round ended, recorded in the replays folder under this file name.
  void RoundEnded(const std::string& recording);
  // The rank the board gave the round recorded under this name, once it has answered.
  std::optional<play::BoardRank> RankOf(const std::string& recording);
  // Waits, at most `limit`, until nothing is left to do until the next round or the end of a busy
  // board's wait; false if something still is.
  bool WaitUntilIdle(std::chrono::milliseconds limit);

 private:
  using Clock = std::chrono::steady_clock;
  struct Unverified {
    std::int64_t id;
    std::string recording;
    bool daily;
    int asks;
  };
  struct Work {
    std::vector<std::string> arrived;
    bool send = false, ask = false, stop = false;
  };

  void Run();
  Work NextWork();
  bool HasWorkNow(Clock::time_point now) const;
  void FileArrived(const std::vector<std::string>& recordings);
  void SendWaiting();
  void AskAfterUnverified();
  // False when the round waits on: the board did not take it, or asks to wait.
  bool Settle(const RoundAnswer& answer, const std::string& recording, bool daily);
  void KeepRank(const RoundAnswer& answer, const std::string& recording, bool daily);
  void Tell(const std::string& text);
  void TellOnce(const std::string& problem);

  const BoardSetup setup_;
  std::ostream& report_;
  Outbox outbox_;
  HttpClient http_;
  std::string lastProblem_;  // what was said of the board's last failure, said once

  std::mutex mutex_;
  std::condition_variable wake_, idle_;
  std::vector<std::string> arrived_;
  std::vector<Unverified> unverified_;
  std::map<std::string, play::BoardRank> ranks_;
  bool sendWanted_ = true, stopping_ = false, working_ = false;
  Clock::time_point sendNotBefore_{}, nextAsk_{};
  std::thread thread_;  // last: started once all above is ready
};

}  // namespace pellaris::app
