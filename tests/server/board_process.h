// A pellaris-board process for a test: started on a free loopback port, its log collected, and
// stopped (or killed) when the test is done with it.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pellaris::board {

class BoardProcess {
 public:
  // Starts the board with these options besides --listen, and waits until it listens.
  explicit BoardProcess(const std::vector<std::string>& options);
  BoardProcess(const BoardProcess&) = delete;
  BoardProcess& operator=(const BoardProcess&) = delete;
  ~BoardProcess();  // stops it, if it still runs

  bool Listening() const { return !address_.empty(); }
  const std::string& Address() const { return address_; }  // "127.0.0.1:PORT"
  pid_t Pid() const { return pid_; }
  void Kill();         // SIGKILL, at once
  int Stop();          // SIGTERM; its exit status
  std::string Log();   // what it said so far

 private:
  int Wait();
  void Collect(int output);

  pid_t pid_ = -1;
  std::string address_;
  std::mutex mutex_;
  std::condition_variable said_;
  std::string log_;
  bool ended_ = false;
  std::thread reader_;
};

}  // namespace pellaris::board
