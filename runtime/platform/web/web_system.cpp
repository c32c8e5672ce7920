// The web backend's clock, message boxes and the page's address.
#include <emscripten.h>

#include <ctime>

#include "runtime/platform/web/web_facets.h"
#include "runtime/platform/web/web_library.h"

namespace rt::platform {

std::uint64_t WebClock::Counter() {
  return static_cast<std::uint64_t>(emscripten_get_now() * 1000.0);
}

// The page goes on while the game sleeps: a sleep is a pause of the program, not of the browser.
void WebClock::SleepMs(int milliseconds) {
  if (milliseconds > 0) emscripten_sleep(static_cast<unsigned>(milliseconds));
}

void WebClock::SleepUntil(std::uint64_t counter) {
  const std::uint64_t now = Counter();
  if (counter > now) SleepMs(static_cast<int>((counter - now + 999) / 1000));
}

std::uint32_t WebClock::TickMs() {
  return pellaris_web_tick_ms();
}

LocalDateTime WebClock::LocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  if (!localtime_r(&now, &parts)) return LocalDateTime{};
  return LocalDateTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                       parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

void WebClock::FrameBoundary() {
  pellaris_web_wait_frame();
}

// Enter answers OK or Yes, Escape OK or No.
MessageAnswer WebDialogs::ShowMessageBox(const std::string& title, const std::string& text,
                                         MessageButtons buttons) {
  const bool yesNo = buttons == MessageButtons::YesNo;
  page_.SetDialogOpen(true);
  const int answer = pellaris_web_message(title.c_str(), text.c_str(), yesNo ? 1 : 0);
  page_.SetDialogOpen(false);
  if (!yesNo) return MessageAnswer::Ok;
  return answer == 1 ? MessageAnswer::Yes : MessageAnswer::No;
}

std::string WebProcess::ProgramPath() {
  char location[2048];
  return pellaris_web_location(location, sizeof location) > 0 ? std::string(location) : std::string();
}

}  // namespace rt::platform
