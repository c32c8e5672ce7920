#include "board_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

extern char** environ;

namespace pellaris::board {

BoardProcess::BoardProcess(const std::vector<std::string>& options) {
  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) return;
  std::vector<std::string> words = {PELLARIS_BOARD_PROGRAM, "--listen", "127.0.0.1:0"};
  words.insert(words.end(), options.begin(), options.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);
  const int spawned = posix_spawn(&pid_, words[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  if (spawned != 0) {
    pid_ = -1;
    close(output[0]);
    return;
  }
  reader_ = std::thread([this, input = output[0]] { Collect(input); });
  // Started under the sanitizers on a busy machine, it may take a while.
  const std::string mark = "listening on http://";
  std::unique_lock lock(mutex_);
  said_.wait_for(lock, std::chrono::seconds(60),
                 [&] { return ended_ || log_.find(mark) != std::string::npos; });
  const std::size_t at = log_.find(mark);
  if (at != std::string::npos)
    address_ = log_.substr(at + mark.size(), log_.find('/', at + mark.size()) - at - mark.size());
}

BoardProcess::~BoardProcess() {
  if (pid_ > 0) Stop();
  if (reader_.joinable()) reader_.join();
}

void BoardProcess::Collect(int output) {
  char chunk[4096];
  for (;;) {
    const ssize_t got = read(output, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    std::lock_guard lock(mutex_);
    if (got <= 0) {
      ended_ = true;
      said_.notify_all();
      break;
    }
    log_.append(chunk, static_cast<std::size_t>(got));
    said_.notify_all();
  }
  close(output);
}

void BoardProcess::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  Wait();
}

int BoardProcess::Stop() {
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  return Wait();
}

int BoardProcess::Wait() {
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  // Its workers hold the log's pipe a moment longer: they end when their input does.
  if (reader_.joinable()) reader_.join();
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string BoardProcess::Log() {
  std::lock_guard lock(mutex_);
  return log_;
}

}  // namespace pellaris::board
