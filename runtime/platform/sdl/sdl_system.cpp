// The SDL backend's clock, message boxes and the program's own path.
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <ctime>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "runtime/platform/sdl/sdl_facets.h"

namespace rt::platform {

namespace {

constexpr int kButtonOk = 1, kButtonYes = 6, kButtonNo = 7;

std::atomic<int> signalDuringBox{0};

void NoteSignalDuringBox(int signal) {
  signalDuringBox = signal;
}

// SDL shows a message box from a process of its own and waits for it, taking no signal meanwhile: a
// request to end the program (SIGTERM, SIGINT, SIGHUP) would wait for the box to be answered. While a
// box is up those signals are noted here instead, and a watcher ends the box's process, so that the
// box is gone at once and the program can end. Signals ignored by whoever started us stay ignored.
class EndBoxOnSignal {
 public:
  EndBoxOnSignal() : children_("/proc/self/task/" + std::to_string(gettid()) + "/children") {
    signalDuringBox = 0;
    struct sigaction noting {};
    noting.sa_handler = NoteSignalDuringBox;
    sigemptyset(&noting.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
      taken_[i] = sigaction(kSignals[i], nullptr, &saved_[i]) == 0 && saved_[i].sa_handler != SIG_IGN &&
                  sigaction(kSignals[i], &noting, nullptr) == 0;
    }
    watcher_ = std::thread([this] { Watch(); });
  }

  ~EndBoxOnSignal() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    wake_.notify_one();
    watcher_.join();
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
      if (taken_[i]) sigaction(kSignals[i], &saved_[i], nullptr);
    }
  }

  EndBoxOnSignal(const EndBoxOnSignal&) = delete;
  EndBoxOnSignal& operator=(const EndBoxOnSignal&) = delete;

  bool Interrupted() const { return signalDuringBox != 0; }

 private:
  static constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};
  static constexpr auto kLookEvery = std::chrono::milliseconds(20);

  // Looks until the box is answered: a signal may come before SDL has started the box's process.
  void Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, kLookEvery, [this] { return done_; })) {
      if (Interrupted()) EndChildren();
    }
  }

  // The box's process is the only one this thread (the game's) has started.
  void EndChildren() const {
    std::ifstream list(children_);
    pid_t child = 0;
    while (list >> child) {
      if (child > 0) kill(child, SIGKILL);
    }
  }

  const std::string children_;  // where the kernel lists the processes the calling thread started
  std::array<struct sigaction, kSignals.size()> saved_{};
  std::array<bool, kSignals.size()> taken_{};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::thread watcher_;
};

}  // namespace

std::uint64_t SdlClock::Counter() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<std::uint64_t>(now.tv_nsec);
}

std::uint32_t SdlClock::TickMs() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                    static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u);
}

void SdlClock::SleepMs(int milliseconds) {
  if (milliseconds > 0) SDL_Delay(static_cast<Uint32>(milliseconds));
}

// Measured on a loaded two-core machine, the sleep ends 0.1-0.2 ms after the moment asked for in nine
// cases out of ten: close enough for frames 16 ms apart that nothing is spun on the counter.
void SdlClock::SleepUntil(std::uint64_t counter) {
  const timespec until{static_cast<time_t>(counter / 1'000'000'000u),
                       static_cast<long>(counter % 1'000'000'000u)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

LocalDateTime SdlClock::LocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  if (!localtime_r(&now, &parts)) return LocalDateTime{};
  return LocalDateTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                       parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

// Return answers OK or Yes, Escape OK or No; a box that cannot be shown answers as Escape would.
MessageAnswer SdlDialogs::ShowMessageBox(const std::string& title, const std::string& text,
                                         MessageButtons buttons) {
  static const SDL_MessageBoxButtonData kOk[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kButtonOk, "OK"}};
  static const SDL_MessageBoxButtonData kYesNo[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kButtonYes, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kButtonNo, "No"}};
  const bool yesNo = buttons == MessageButtons::YesNo;
  sdl_.PumpNow();  // what happened before the box still counts
  SDL_MessageBoxData box{};
  box.flags = SDL_MESSAGEBOX_INFORMATION | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  const WindowId owner = sdl_.FocusedWindow();
  box.window = owner != 0 ? sdl_.Find(owner)->Window() : nullptr;
  box.title = title.c_str();
  box.message = text.c_str();
  box.numbuttons = yesNo ? 2 : 1;
  box.buttons = yesNo ? kYesNo : kOk;
  int pressed = -1;
  bool shown = false, interrupted = false;
  {
    const EndBoxOnSignal ending;
    shown = SDL_ShowMessageBox(&box, &pressed) == 0;
    interrupted = ending.Interrupted();
  }
  sdl_.DropInputMeantForMessageBox();
  if (interrupted) {
    sdl_.RequestQuit();
    return MessageAnswer::Interrupted;
  }
  if (!yesNo) return MessageAnswer::Ok;
  return shown && pressed == kButtonYes ? MessageAnswer::Yes : MessageAnswer::No;
}

std::string SdlProcess::ProgramPath() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0) return std::string();
  return std::string(path, static_cast<std::size_t>(length));
}

}  // namespace rt::platform
