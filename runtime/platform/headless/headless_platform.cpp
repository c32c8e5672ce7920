#include "runtime/platform/headless/headless_platform.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

namespace rt::platform {

namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;
constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::uint64_t kNanosecondsPerMs = 1'000'000;

// The wall clock counts seconds since 1970-01-01 on the proleptic Gregorian calendar.
std::int64_t SecondsFromDate(const LocalDateTime& date) {
  using namespace std::chrono;
  const sys_days day{year{date.year} / month{static_cast<unsigned>(date.month)} /
                     static_cast<unsigned>(date.day)};
  return day.time_since_epoch().count() * kSecondsPerDay + date.hour * 3600 + date.minute * 60 + date.second;
}

LocalDateTime DateFromSeconds(std::int64_t seconds) {
  using namespace std::chrono;
  const sys_days day = floor<days>(sys_seconds{std::chrono::seconds{seconds}});
  const year_month_day calendar{day};
  const std::int64_t secondOfDay = seconds - day.time_since_epoch().count() * kSecondsPerDay;
  return LocalDateTime{static_cast<int>(calendar.year()),
                       static_cast<int>(static_cast<unsigned>(calendar.month())),
                       static_cast<int>(static_cast<unsigned>(calendar.day())),
                       static_cast<int>(secondOfDay / 3600),
                       static_cast<int>(secondOfDay / 60 % 60),
                       static_cast<int>(secondOfDay % 60)};
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

Backend HeadlessPlatform::Facets() {
  return Backend{&video_, &input_, &audio_, &clock_, &dialogs_, &process_};
}

std::string HeadlessProcess::ProgramPath() {
  return machine_.programPath_;
}

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
void HeadlessPlatform::SetPresentRate(int hertz) {
  presentRate_ = hertz;
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

std::uint64_t HeadlessClock::Counter() {
  return machine_.nanoseconds_;
}

std::uint64_t HeadlessClock::CounterFrequency() {
  return HeadlessPlatform::kCounterFrequency;
}

void HeadlessClock::SleepMs(int milliseconds) {
  if (milliseconds <= 0) return;
  machine_.sleptNanoseconds_ += static_cast<std::uint64_t>(milliseconds) * kNanosecondsPerMs;
  machine_.AdvanceTime(static_cast<std::uint64_t>(milliseconds) * kNanosecondsPerMs);
}

// The machine sleeps in whole milliseconds, as a millisecond timer does: a sleep until a counter value
// ends at the first whole millisecond past it.
void HeadlessClock::SleepUntil(std::uint64_t counter) {
  if (counter <= machine_.nanoseconds_) return;
  const std::uint64_t slept = ((counter - machine_.nanoseconds_) / kNanosecondsPerMs + 1) * kNanosecondsPerMs;
  machine_.sleptNanoseconds_ += slept;
  machine_.AdvanceTime(slept);
}

std::uint32_t HeadlessClock::TickMs() {
  return machine_.startTick_ + static_cast<std::uint32_t>(machine_.nanoseconds_ / kNanosecondsPerMs);
}

LocalDateTime HeadlessClock::LocalTime() {
  const auto elapsed = static_cast<std::int64_t>(machine_.nanoseconds_ / HeadlessPlatform::kCounterFrequency);
  return DateFromSeconds(SecondsFromDate(machine_.start_) + elapsed + machine_.wallJump_);
}

void HeadlessClock::FrameBoundary() {
  ++machine_.frames_;
  machine_.stepCarry_ += machine_.stepNumerator_;
  machine_.AdvanceTime(machine_.stepCarry_ / machine_.stepDivisor_);
  machine_.stepCarry_ %= machine_.stepDivisor_;
  const auto [first, last] = machine_.script_.equal_range(machine_.frames_);
  for (auto it = first; it != last; ++it) machine_.Apply(it->second);
  machine_.script_.erase(first, last);
  if (machine_.frameCallback_) machine_.frameCallback_(machine_.frames_);
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
    case Action::Kind::PadConnect:
    case Action::Kind::PadDisconnect:
    case Action::Kind::PadButtonDown:
    case Action::Kind::PadButtonUp:
    case Action::Kind::PadAxis:
      return ApplyPad(action);
  }
}

int HeadlessPlatform::PlugPad(int pad) {
  const auto [it, plugged] = pads_.try_emplace(pad, nextPadId_);
  if (plugged) {
    ++nextPadId_;
    Event event;
    event.type = EventType::PadAdded;
    event.pad = it->second;
    queue_.Push(event);
  }
  return it->second;
}

void HeadlessPlatform::ApplyPad(const Action& action) {
  Event event;
  switch (action.kind) {
    case Action::Kind::PadConnect:
      PlugPad(action.pad);
      return;
    case Action::Kind::PadDisconnect: {
      const auto it = pads_.find(action.pad);
      if (it == pads_.end()) return;
      event.type = EventType::PadRemoved;
      event.pad = it->second;
      pads_.erase(it);
      break;
    }
    case Action::Kind::PadButtonDown:
    case Action::Kind::PadButtonUp:
      if (!ValidPadButton(action.code)) return;
      event.type =
          action.kind == Action::Kind::PadButtonDown ? EventType::PadButtonDown : EventType::PadButtonUp;
      event.padButton = static_cast<PadButton>(action.code);
      event.pad = PlugPad(action.pad);
      break;
    default:
      if (!ValidPadAxis(action.code)) return;
      event.type = EventType::PadAxisMotion;
      event.padAxis = static_cast<PadAxis>(action.code);
      event.axisValue = action.x;
      event.pad = PlugPad(action.pad);
      break;
  }
  queue_.Push(event);
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

bool HeadlessVideo::DesktopMode(int& width, int& height, int& depth) {
  if (!machine_.display_) return false;
  width = machine_.desktopWidth_;
  height = machine_.desktopHeight_;
  depth = machine_.desktopDepth_;
  return true;
}

WindowId HeadlessVideo::CreateWindow(const WindowDesc& desc) {
  if (!machine_.display_ || machine_.windowsFail_ || desc.clientWidth <= 0 || desc.clientHeight <= 0)
    return 0;
  HeadlessWindow window;
  window.title = desc.title;
  window.decorated = desc.decorated;
  window.visible = desc.visible;
  const Rect insets = desc.decorated ? machine_.frame_ : Rect{};
  window.outer.width = desc.clientWidth + insets.x + insets.width;
  window.outer.height = desc.clientHeight + insets.y + insets.height;
  window.outer.x = desc.centred ? (machine_.desktopWidth_ - window.outer.width) / 2 : desc.x;
  window.outer.y = desc.centred ? (machine_.desktopHeight_ - window.outer.height) / 2 : desc.y;
  window.client =
      Rect{window.outer.x + insets.x, window.outer.y + insets.y, desc.clientWidth, desc.clientHeight};
  return machine_.AddWindow(std::move(window));
}

WindowId HeadlessVideo::CreateFullScreenWindow(const std::string& title) {
  if (!machine_.display_ || machine_.windowsFail_) return 0;
  HeadlessWindow window;
  window.title = title;
  window.decorated = false;
  window.fullScreen = true;
  window.outer = window.client = Rect{0, 0, machine_.desktopWidth_, machine_.desktopHeight_};
  return machine_.AddWindow(std::move(window));
}

void HeadlessVideo::DestroyWindow(WindowId window) {
  if (!machine_.Find(window)) return;
  machine_.windows_.erase(window);
  if (machine_.focused_ == window) machine_.focused_ = 0;
  if (machine_.lastFocused_ == window) machine_.lastFocused_ = 0;
  if (machine_.cursor_.confineWindow == window) {
    machine_.cursor_.confined = false;
    machine_.cursor_.confineWindow = 0;
  }
}

void HeadlessVideo::ShowWindow(WindowId window, bool visible) {
  HeadlessWindow* found = machine_.Find(window);
  if (!found || found->visible == visible) return;
  found->visible = visible;
  if (visible) {
    machine_.Focus(window);
    machine_.Send(EventType::Exposed, window);
  } else if (machine_.focused_ == window) {
    machine_.Focus(0);
  }
}

void HeadlessVideo::SetWindowTitle(WindowId window, const std::string& title) {
  if (HeadlessWindow* found = machine_.Find(window)) found->title = title;
}

void HeadlessVideo::SetWindowIcon(WindowId window, const std::uint32_t* pixels, int width, int height) {
  HeadlessWindow* found = machine_.Find(window);
  if (!found || !pixels || width <= 0 || height <= 0) return;
  found->iconWidth = width;
  found->iconHeight = height;
}

WindowId HeadlessVideo::FocusedWindow() {
  return machine_.focused_;
}

int HeadlessVideo::PresentRate(WindowId) {
  return machine_.presentRate_;
}

bool HeadlessVideo::WindowGeometry(WindowId window, Rect& outer, Rect& client) {
  const HeadlessWindow* found = machine_.Find(window);
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

void HeadlessVideo::Present(WindowId window, const std::uint32_t* pixels, int width, int height,
                            int pitchBytes, const Rect& dest) {
  HeadlessWindow* found = machine_.Find(window);
  if (!found || !pixels || width <= 0 || height <= 0) return;
  ++found->presents;
  ++machine_.presentCount_;
  // A frame nobody keeps or watches is only counted: long replays neither copy nor hash.
  if (machine_.keptLimit_ == 0 && !machine_.presentCallback_) return;
  PresentedFrame frame;
  frame.window = window;
  frame.width = width;
  frame.height = height;
  frame.dest = dest;
  frame.frame = machine_.frames_;
  frame.hash = HashPixels(pixels, width, height, pitchBytes);
  frame.pixels.reserve(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = Row(pixels, pitchBytes, y);
    frame.pixels.insert(frame.pixels.end(), row, row + width);
  }
  machine_.Record(std::move(frame));
}

void HeadlessPlatform::Record(PresentedFrame frame) {
  if (presentCallback_) presentCallback_(frame);
  if (keptLimit_ == 0) return;
  if (kept_.size() == keptLimit_) kept_.pop_front();
  kept_.push_back(std::move(frame));
}

// ---- Events and the cursor.

// Nothing arrives while the program waits: the script moves only with frames. A wait with a timeout
// lets that much time pass; a wait without one returns at once rather than hang.
bool HeadlessInput::NextEvent(Event& event, int timeoutMs) {
  if (machine_.queue_.Pop(event)) return true;
  if (timeoutMs > 0) machine_.AdvanceTime(static_cast<std::uint64_t>(timeoutMs) * kNanosecondsPerMs);
  return false;
}

void HeadlessInput::ReadKeyState(std::uint8_t state[256]) {
  machine_.queue_.ReadKeyState(state);
}

int HeadlessInput::TakeMouseEvents(MouseEvent* out, int max) {
  return machine_.queue_.TakeMouseEvents(out, max);
}

void HeadlessInput::ReadPadState(PadState& state) {
  machine_.queue_.ReadPadState(state);
}

bool HeadlessInput::HasKeyboard() {
  return machine_.keyboard_;
}

bool HeadlessInput::HasMouse() {
  return machine_.mouse_;
}

void HeadlessInput::ShowCursor(bool visible) {
  machine_.cursor_.visible = visible;
}

void HeadlessInput::SetRelativeMouse(bool on) {
  machine_.cursor_.relative = on;
}

void HeadlessInput::ConfineCursor(WindowId window, const Rect* clientArea) {
  ++machine_.cursor_.confineCalls;
  machine_.cursor_.confined = clientArea != nullptr && machine_.Find(window) != nullptr;
  machine_.cursor_.confineWindow = machine_.cursor_.confined ? window : 0;
  machine_.cursor_.confineArea = machine_.cursor_.confined ? *clientArea : Rect{};
}

void HeadlessInput::WarpCursor(WindowId window, int x, int y) {
  if (!machine_.Find(window)) return;
  ++machine_.cursor_.warps;
  machine_.cursor_.warpWindow = window;
  machine_.cursor_.warpX = x;
  machine_.cursor_.warpY = y;
}

// ---- Message boxes.

void HeadlessPlatform::QueueAnswer(MessageAnswer answer) {
  answers_.push_back(answer);
}
void HeadlessPlatform::SetDefaultYesNoAnswer(MessageAnswer answer) {
  yesNoDefault_ = answer;
}

MessageAnswer HeadlessDialogs::ShowMessageBox(const std::string& title, const std::string& text,
                                              MessageButtons buttons) {
  MessageAnswer answer = buttons == MessageButtons::YesNo ? machine_.yesNoDefault_ : MessageAnswer::Ok;
  if (!machine_.answers_.empty()) {
    answer = machine_.answers_.front();
    machine_.answers_.pop_front();
  }
  machine_.messages_.push_back(ShownMessage{title, text, buttons, machine_.focused_, answer});
  return answer;
}

// ---- Audio.

bool HeadlessAudio::OpenAudio(AudioCallback callback, void* user, AudioFormat& obtained) {
  if (!machine_.audioAvailable_ || !callback || machine_.AudioOpen()) return false;
  machine_.audioStream_ = HeadlessPlatform::AudioStream{callback, user};
  obtained = machine_.audioFormat_;
  return true;
}

void HeadlessAudio::CloseAudio() {
  machine_.audioStream_ = HeadlessPlatform::AudioStream{};
}

void HeadlessAudio::LockAudio() {
  ++machine_.audioLocks_;
}

void HeadlessAudio::UnlockAudio() {
  --machine_.audioLocks_;
}

std::vector<std::uint8_t> HeadlessPlatform::RenderBytes(int frames, SampleFormat sample) {
  if (!AudioOpen() || audioFormat_.sample != sample || frames <= 0) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(frames) * audioFormat_.BytesPerFrame());
  audioStream_.callback(audioStream_.user, bytes.data(), frames);
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
