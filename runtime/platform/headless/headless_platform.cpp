#include "runtime/platform/headless/headless_platform.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace rt::platform {

namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;
constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::uint64_t kNanosecondsPerMs = 1'000'000;

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar (years counted from March, so
// the leap day ends a year).
std::int64_t DaysFromDate(int year, int month, int day) {
  const std::int64_t y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

LocalDateTime DateFromSeconds(std::int64_t seconds) {
  std::int64_t days = seconds / kSecondsPerDay;
  std::int64_t rest = seconds % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  const std::int64_t shifted = days + 719468;
  const std::int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
  const std::int64_t dayOfEra = shifted - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  LocalDateTime date;
  date.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  date.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
  date.hour = static_cast<int>(rest / 3600);
  date.minute = static_cast<int>(rest / 60 % 60);
  date.second = static_cast<int>(rest % 60);
  return date;
}

std::int64_t SecondsFromDate(const LocalDateTime& date) {
  return DaysFromDate(date.year, date.month, date.day) * kSecondsPerDay + date.hour * 3600 +
         date.minute * 60 + date.second;
}

const std::uint32_t* Row(const std::uint32_t* pixels, int pitchBytes, int y) {
  return reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const std::uint8_t*>(pixels) +
                                                static_cast<std::ptrdiff_t>(pitchBytes) * y);
}

std::uint64_t HashRow(std::uint64_t hash, const std::uint32_t* row, int width) {
  for (int x = 0; x < width; ++x) {
    hash ^= row[x];
    hash *= kFnvPrime;
  }
  return hash;
}

int SampleBytes(SampleFormat sample) {
  return sample == SampleFormat::S16 ? 2 : 4;
}

}  // namespace

std::uint64_t HashPixels(const std::uint32_t* pixels, int width, int height, int pitchBytes) {
  std::uint64_t hash = kFnvOffset;
  for (int y = 0; y < height; ++y) hash = HashRow(hash, Row(pixels, pitchBytes, y), width);
  return hash;
}

HeadlessPlatform::HeadlessPlatform() = default;

// ---- The machine.

void HeadlessPlatform::SetDesktop(int width, int height, int depth) {
  desktopWidth_ = width;
  desktopHeight_ = height;
  desktopDepth_ = depth;
}

void HeadlessPlatform::SetDisplayAvailable(bool available) {
  display_ = available;
}
void HeadlessPlatform::SetWindowsFail(bool fail) {
  windowsFail_ = fail;
}
void HeadlessPlatform::SetKeyboardPresent(bool present) {
  keyboard_ = present;
}
void HeadlessPlatform::SetMousePresent(bool present) {
  mouse_ = present;
}
void HeadlessPlatform::SetAudioFormat(const AudioFormat& format) {
  audioFormat_ = format;
}
void HeadlessPlatform::SetAudioAvailable(bool available) {
  audioAvailable_ = available;
}
void HeadlessPlatform::SetWindowFrame(int left, int top, int right, int bottom) {
  frame_ = Rect{left, top, right, bottom};
}
void HeadlessPlatform::SetProgramPath(const std::string& path) {
  programPath_ = path;
}

// ---- Time.

void HeadlessPlatform::SetFramesPerSecond(int framesPerSecond) {
  if (framesPerSecond <= 0) return;
  stepNumerator_ = kCounterFrequency;
  stepDivisor_ = static_cast<std::uint64_t>(framesPerSecond);
  stepCarry_ = 0;
}

void HeadlessPlatform::SetFrameStepNanoseconds(std::uint64_t nanoseconds) {
  stepNumerator_ = nanoseconds;
  stepDivisor_ = 1;
  stepCarry_ = 0;
}

void HeadlessPlatform::SetStartTime(const LocalDateTime& start) {
  start_ = start;
}
void HeadlessPlatform::SetStartTick(std::uint32_t tick) {
  startTick_ = tick;
}
void HeadlessPlatform::AdvanceTime(std::uint64_t nanoseconds) {
  nanoseconds_ += nanoseconds;
}

void HeadlessPlatform::SleepMs(int milliseconds) {
  if (milliseconds <= 0) return;
  sleptMs_ += static_cast<std::uint64_t>(milliseconds);
  AdvanceTime(static_cast<std::uint64_t>(milliseconds) * kNanosecondsPerMs);
}

std::uint32_t HeadlessPlatform::TickMs() {
  return startTick_ + static_cast<std::uint32_t>(nanoseconds_ / kNanosecondsPerMs);
}

LocalDateTime HeadlessPlatform::LocalTime() {
  const auto elapsed = static_cast<std::int64_t>(nanoseconds_ / kCounterFrequency);
  return DateFromSeconds(SecondsFromDate(start_) + elapsed + wallJump_);
}

void HeadlessPlatform::FrameBoundary() {
  ++frames_;
  stepCarry_ += stepNumerator_;
  AdvanceTime(stepCarry_ / stepDivisor_);
  stepCarry_ %= stepDivisor_;
  const auto [first, last] = script_.equal_range(frames_);
  for (auto it = first; it != last; ++it) Apply(it->second);
  script_.erase(first, last);
  if (frameCallback_) frameCallback_(frames_);
}

// ---- The script.

void HeadlessPlatform::At(int frame, const Action& action) {
  if (frame <= frames_) {
    Apply(action);
  } else {
    script_.emplace(frame, action);
  }
}

void HeadlessPlatform::SetFrameCallback(std::function<void(int frame)> callback) {
  frameCallback_ = std::move(callback);
}

void HeadlessPlatform::Apply(const Action& action) {
  Event event;
  switch (action.kind) {
    case Action::Kind::KeyDown:
    case Action::Kind::KeyUp:
      event.type = action.kind == Action::Kind::KeyDown ? EventType::KeyDown : EventType::KeyUp;
      event.scanCode = action.code;
      return SendInput(event);
    case Action::Kind::ButtonDown:
    case Action::Kind::ButtonUp:
      event.type =
          action.kind == Action::Kind::ButtonDown ? EventType::MouseButtonDown : EventType::MouseButtonUp;
      event.button = action.code;
      return SendInput(event);
    case Action::Kind::MouseMotion:
      event.type = EventType::MouseMotion;
      event.dx = action.x;
      event.dy = action.y;
      return SendInput(event);
    case Action::Kind::MouseWheel:
      event.type = EventType::MouseWheel;
      event.wheel = action.x;
      return SendInput(event);
    case Action::Kind::FocusLost:
      return Focus(0);
    case Action::Kind::FocusGained:
      return Focus(lastFocused_ != 0 && Find(lastFocused_) ? lastFocused_ : TargetWindow());
    case Action::Kind::CloseRequest:
      return Send(EventType::CloseRequest, TargetWindow());
    case Action::Kind::ClockJump:
      wallJump_ += action.seconds;
      return;
    case Action::Kind::MoveWindow:
      return ApplyMove(action.x, action.y);
    case Action::Kind::AudioDeviceLost:
      return Send(EventType::AudioDeviceLost, 0);
    case Action::Kind::DisplayChanged:
      return Send(EventType::DisplayChanged, 0);
    case Action::Kind::QuitRequest:
      return Send(EventType::QuitRequest, 0);
  }
}

void HeadlessPlatform::Send(EventType type, WindowId window) {
  Event event;
  event.type = type;
  event.window = window;
  queue_.Push(event);
}

// Keys and buttons go to the focused window, as they would on a desktop.
void HeadlessPlatform::SendInput(const Event& event) {
  Event addressed = event;
  addressed.window = focused_;
  queue_.Push(addressed);
}

void HeadlessPlatform::ApplyMove(int x, int y) {
  HeadlessWindow* window = Find(TargetWindow());
  if (!window || window->fullScreen) return;
  window->client.x += x - window->outer.x;
  window->client.y += y - window->outer.y;
  window->outer.x = x;
  window->outer.y = y;
  Event event;
  event.type = EventType::Moved;
  event.window = window->id;
  event.x = x;
  event.y = y;
  queue_.Push(event);
}

// ---- Windows.

HeadlessWindow* HeadlessPlatform::Find(WindowId id) {
  const auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : &it->second;
}

const HeadlessWindow* HeadlessPlatform::Window(WindowId id) const {
  const auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : &it->second;
}

std::vector<WindowId> HeadlessPlatform::Windows() const {
  std::vector<WindowId> ids;
  for (const auto& [id, window] : windows_) ids.push_back(id);
  return ids;
}

WindowId HeadlessPlatform::TargetWindow() const {
  if (focused_ != 0) return focused_;
  return windows_.empty() ? 0 : windows_.rbegin()->first;
}

// Moves the focus, telling the window that loses it and the one that gains it.
void HeadlessPlatform::Focus(WindowId window) {
  if (window == focused_) return;
  if (focused_ != 0) Send(EventType::FocusLost, focused_);
  focused_ = window;
  if (window == 0) return;
  lastFocused_ = window;
  Send(EventType::FocusGained, window);
}

// A new visible window comes up in front with the focus and asks to be painted.
WindowId HeadlessPlatform::AddWindow(HeadlessWindow window) {
  window.id = nextId_++;
  ++windowsCreated_;
  const WindowId id = window.id;
  const bool visible = window.visible;
  windows_.emplace(id, std::move(window));
  if (visible) {
    Focus(id);
    Send(EventType::Exposed, id);
  }
  return id;
}

bool HeadlessPlatform::DesktopMode(int& width, int& height, int& depth) {
  if (!display_) return false;
  width = desktopWidth_;
  height = desktopHeight_;
  depth = desktopDepth_;
  return true;
}

WindowId HeadlessPlatform::CreateWindow(const WindowDesc& desc) {
  if (!display_ || windowsFail_ || desc.clientWidth <= 0 || desc.clientHeight <= 0) return 0;
  HeadlessWindow window;
  window.title = desc.title;
  window.decorated = desc.decorated;
  window.visible = desc.visible;
  const Rect insets = desc.decorated ? frame_ : Rect{};
  window.outer.width = desc.clientWidth + insets.x + insets.width;
  window.outer.height = desc.clientHeight + insets.y + insets.height;
  window.outer.x = desc.centred ? (desktopWidth_ - window.outer.width) / 2 : desc.x;
  window.outer.y = desc.centred ? (desktopHeight_ - window.outer.height) / 2 : desc.y;
  window.client =
      Rect{window.outer.x + insets.x, window.outer.y + insets.y, desc.clientWidth, desc.clientHeight};
  return AddWindow(std::move(window));
}

WindowId HeadlessPlatform::CreateFullScreenWindow(const std::string& title) {
  if (!display_ || windowsFail_) return 0;
  HeadlessWindow window;
  window.title = title;
  window.decorated = false;
  window.fullScreen = true;
  window.outer = window.client = Rect{0, 0, desktopWidth_, desktopHeight_};
  return AddWindow(std::move(window));
}

void HeadlessPlatform::DestroyWindow(WindowId window) {
  if (!Find(window)) return;
  windows_.erase(window);
  if (focused_ == window) focused_ = 0;
  if (lastFocused_ == window) lastFocused_ = 0;
  if (cursor_.confineWindow == window) {
    cursor_.confined = false;
    cursor_.confineWindow = 0;
  }
}

void HeadlessPlatform::ShowWindow(WindowId window, bool visible) {
  HeadlessWindow* found = Find(window);
  if (!found || found->visible == visible) return;
  found->visible = visible;
  if (visible) {
    Focus(window);
    Send(EventType::Exposed, window);
  } else if (focused_ == window) {
    Focus(0);
  }
}

void HeadlessPlatform::SetWindowTitle(WindowId window, const std::string& title) {
  if (HeadlessWindow* found = Find(window)) found->title = title;
}

void HeadlessPlatform::SetWindowIcon(WindowId window, const std::uint32_t* pixels, int width, int height) {
  HeadlessWindow* found = Find(window);
  if (!found || !pixels || width <= 0 || height <= 0) return;
  found->iconWidth = width;
  found->iconHeight = height;
}

bool HeadlessPlatform::WindowGeometry(WindowId window, Rect& outer, Rect& client) {
  const HeadlessWindow* found = Find(window);
  if (!found) return false;
  outer = found->outer;
  client = found->client;
  return true;
}

// ---- Presenting.

void HeadlessPlatform::SetKeptFrames(int count) {
  keptLimit_ = static_cast<std::size_t>(std::max(count, 0));
  while (kept_.size() > keptLimit_) kept_.pop_front();
}

void HeadlessPlatform::SetPresentCallback(std::function<void(const PresentedFrame&)> callback) {
  presentCallback_ = std::move(callback);
}

void HeadlessPlatform::Present(WindowId window, const std::uint32_t* pixels, int width, int height,
                               int pitchBytes, const Rect& dest) {
  HeadlessWindow* found = Find(window);
  if (!found || !pixels || width <= 0 || height <= 0) return;
  ++found->presents;
  PresentedFrame frame;
  frame.window = window;
  frame.width = width;
  frame.height = height;
  frame.dest = dest;
  frame.frame = frames_;
  frame.hash = HashPixels(pixels, width, height, pitchBytes);
  if (keptLimit_ > 0 || presentCallback_) {  // a long replay that keeps nothing copies nothing
    frame.pixels.reserve(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      const std::uint32_t* row = Row(pixels, pitchBytes, y);
      frame.pixels.insert(frame.pixels.end(), row, row + width);
    }
  }
  Record(std::move(frame));
}

void HeadlessPlatform::Record(PresentedFrame frame) {
  ++presentCount_;
  if (presentCallback_) presentCallback_(frame);
  if (keptLimit_ == 0) return;
  if (kept_.size() == keptLimit_) kept_.pop_front();
  kept_.push_back(std::move(frame));
}

// ---- Events and the cursor.

// Nothing arrives while the program waits: the script moves only with frames. A wait with a timeout
// lets that much time pass; a wait without one returns at once rather than hang.
bool HeadlessPlatform::NextEvent(Event& event, int timeoutMs) {
  if (queue_.Pop(event)) return true;
  if (timeoutMs > 0) AdvanceTime(static_cast<std::uint64_t>(timeoutMs) * kNanosecondsPerMs);
  return false;
}

void HeadlessPlatform::ConfineCursor(WindowId window, const Rect* clientArea) {
  ++cursor_.confineCalls;
  cursor_.confined = clientArea != nullptr && Find(window) != nullptr;
  cursor_.confineWindow = cursor_.confined ? window : 0;
  cursor_.confineArea = cursor_.confined ? *clientArea : Rect{};
}

void HeadlessPlatform::WarpCursor(WindowId window, int x, int y) {
  if (!Find(window)) return;
  ++cursor_.warps;
  cursor_.warpWindow = window;
  cursor_.warpX = x;
  cursor_.warpY = y;
}

// ---- Message boxes.

void HeadlessPlatform::QueueAnswer(MessageAnswer answer) {
  answers_.push_back(answer);
}
void HeadlessPlatform::SetDefaultYesNoAnswer(MessageAnswer answer) {
  yesNoDefault_ = answer;
}

MessageAnswer HeadlessPlatform::ShowMessageBox(const std::string& title, const std::string& text,
                                               MessageButtons buttons) {
  MessageAnswer answer = buttons == MessageButtons::YesNo ? yesNoDefault_ : MessageAnswer::Ok;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  messages_.push_back(ShownMessage{title, text, buttons, focused_, answer});
  return answer;
}

// ---- Audio.

bool HeadlessPlatform::OpenAudio(AudioCallback callback, void* user, AudioFormat& obtained) {
  if (!audioAvailable_ || !callback || AudioOpen()) return false;
  audio_ = Audio{callback, user};
  obtained = audioFormat_;
  return true;
}

void HeadlessPlatform::CloseAudio() {
  audio_ = Audio{};
}

std::vector<std::uint8_t> HeadlessPlatform::RenderBytes(int frames, SampleFormat sample) {
  if (!AudioOpen() || audioFormat_.sample != sample || frames <= 0) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(frames) * audioFormat_.BytesPerFrame());
  audio_.callback(audio_.user, bytes.data(), frames);
  return bytes;
}

std::vector<std::int16_t> HeadlessPlatform::RenderAudio(int frames) {
  const std::vector<std::uint8_t> bytes = RenderBytes(frames, SampleFormat::S16);
  std::vector<std::int16_t> samples(bytes.size() / SampleBytes(SampleFormat::S16));
  if (!bytes.empty()) std::memcpy(samples.data(), bytes.data(), bytes.size());
  return samples;
}

std::vector<float> HeadlessPlatform::RenderAudioFloat(int frames) {
  const std::vector<std::uint8_t> bytes = RenderBytes(frames, SampleFormat::F32);
  std::vector<float> samples(bytes.size() / SampleBytes(SampleFormat::F32));
  if (!bytes.empty()) std::memcpy(samples.data(), bytes.data(), bytes.size());
  return samples;
}

}  // namespace rt::platform
