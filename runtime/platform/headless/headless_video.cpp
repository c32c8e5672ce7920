#include "runtime/platform/headless/headless_video.h"

#include <algorithm>
#include <utility>

#include "runtime/platform/headless/headless_platform.h"

namespace rt::platform {

namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

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

}  // namespace

std::uint64_t HashPixels(const std::uint32_t* pixels, int width, int height, int pitchBytes) {
  std::uint64_t hash = kFnvOffset;
  for (int y = 0; y < height; ++y) hash = HashRow(hash, Row(pixels, pitchBytes, y), width);
  return hash;
}

// ---- The desktop.

void HeadlessVideo::SetDesktop(int width, int height, int depth) {
  desktopWidth_ = width;
  desktopHeight_ = height;
  desktopDepth_ = depth;
}

bool HeadlessVideo::DesktopMode(int& width, int& height, int& depth) {
  if (!display_) return false;
  width = desktopWidth_;
  height = desktopHeight_;
  depth = desktopDepth_;
  return true;
}

// ---- Windows.

HeadlessWindow* HeadlessVideo::Find(WindowId id) {
  const auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : &it->second;
}

const HeadlessWindow* HeadlessVideo::Window(WindowId id) const {
  const auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : &it->second;
}

std::vector<WindowId> HeadlessVideo::Windows() const {
  std::vector<WindowId> ids;
  for (const auto& [id, window] : windows_) ids.push_back(id);
  return ids;
}

WindowId HeadlessVideo::TargetWindow() const {
  if (focused_ != 0) return focused_;
  return windows_.empty() ? 0 : windows_.rbegin()->first;
}

// A new visible window comes up in front with the focus and asks to be painted.
WindowId HeadlessVideo::AddWindow(HeadlessWindow window) {
  window.id = nextId_++;
  ++windowsCreated_;
  const WindowId id = window.id;
  const bool visible = window.visible;
  windows_.emplace(id, std::move(window));
  if (visible) {
    Focus(id);
    machine_.Input().Send(EventType::Exposed, id);
  }
  return id;
}

WindowId HeadlessVideo::CreateWindow(const WindowDesc& desc) {
  if (!display_ || windowsFail_ || desc.clientWidth <= 0 || desc.clientHeight <= 0) return 0;
  HeadlessWindow window;
  window.title = desc.title;
  window.decorated = desc.decorated;
  window.visible = desc.visible;
  const Rect insets = desc.decorated ? kFrame : Rect{};
  window.outer.width = desc.clientWidth + insets.x + insets.width;
  window.outer.height = desc.clientHeight + insets.y + insets.height;
  window.outer.x = desc.centred ? (desktopWidth_ - window.outer.width) / 2 : desc.x;
  window.outer.y = desc.centred ? (desktopHeight_ - window.outer.height) / 2 : desc.y;
  window.client =
      Rect{window.outer.x + insets.x, window.outer.y + insets.y, desc.clientWidth, desc.clientHeight};
  return AddWindow(std::move(window));
}

WindowId HeadlessVideo::CreateFullScreenWindow(const std::string& title) {
  if (!display_ || windowsFail_) return 0;
  HeadlessWindow window;
  window.title = title;
  window.decorated = false;
  window.fullScreen = true;
  window.outer = window.client = Rect{0, 0, desktopWidth_, desktopHeight_};
  return AddWindow(std::move(window));
}

void HeadlessVideo::DestroyWindow(WindowId window) {
  if (!Find(window)) return;
  windows_.erase(window);
  if (focused_ == window) focused_ = 0;
  if (lastFocused_ == window) lastFocused_ = 0;
  machine_.Input().ForgetWindow(window);
}

void HeadlessVideo::ShowWindow(WindowId window, bool visible) {
  HeadlessWindow* found = Find(window);
  if (!found || found->visible == visible) return;
  found->visible = visible;
  if (visible) {
    Focus(window);
    machine_.Input().Send(EventType::Exposed, window);
  } else if (focused_ == window) {
    Focus(0);
  }
}

void HeadlessVideo::SetWindowTitle(WindowId window, const std::string& title) {
  if (HeadlessWindow* found = Find(window)) found->title = title;
}

void HeadlessVideo::SetWindowIcon(WindowId window, const std::uint32_t* pixels, int width, int height) {
  HeadlessWindow* found = Find(window);
  if (!found || !pixels || width <= 0 || height <= 0) return;
  found->iconWidth = width;
  found->iconHeight = height;
}

bool HeadlessVideo::WindowGeometry(WindowId window, Rect& outer, Rect& client) {
  const HeadlessWindow* found = Find(window);
  if (!found) return false;
  outer = found->outer;
  client = found->client;
  return true;
}

// ---- What the player does to the windows.

void HeadlessVideo::Focus(WindowId window) {
  if (window == focused_) return;
  if (focused_ != 0) machine_.Input().Send(EventType::FocusLost, focused_);
  focused_ = window;
  if (window == 0) return;
  lastFocused_ = window;
  machine_.Input().Send(EventType::FocusGained, window);
}

void HeadlessVideo::RestoreFocus() {
  Focus(lastFocused_ != 0 && Find(lastFocused_) ? lastFocused_ : TargetWindow());
}

void HeadlessVideo::Close() {
  machine_.Input().Send(EventType::CloseRequest, TargetWindow());
}

void HeadlessVideo::Move(int x, int y) {
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
  machine_.Input().Push(event);
}

// ---- Presenting.

void HeadlessVideo::SetKeptFrames(int count) {
  keptLimit_ = static_cast<std::size_t>(std::max(count, 0));
  while (kept_.size() > keptLimit_) kept_.pop_front();
}

void HeadlessVideo::SetPresentCallback(std::function<void(const PresentedFrame&)> callback) {
  presentCallback_ = std::move(callback);
}

void HeadlessVideo::Present(WindowId window, const std::uint32_t* pixels, int width, int height,
                            int pitchBytes, const Rect& dest) {
  HeadlessWindow* found = Find(window);
  if (!found || !pixels || width <= 0 || height <= 0) return;
  ++found->presents;
  ++presentCount_;
  // A frame nobody keeps or watches is only counted: long replays neither copy nor hash.
  if (keptLimit_ == 0 && !presentCallback_) return;
  PresentedFrame frame;
  frame.window = window;
  frame.width = width;
  frame.height = height;
  frame.dest = dest;
  frame.frame = machine_.FrameCount();
  frame.hash = HashPixels(pixels, width, height, pitchBytes);
  frame.pixels.reserve(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = Row(pixels, pitchBytes, y);
    frame.pixels.insert(frame.pixels.end(), row, row + width);
  }
  Record(std::move(frame));
}

void HeadlessVideo::Record(PresentedFrame frame) {
  if (presentCallback_) presentCallback_(frame);
  if (keptLimit_ == 0) return;
  if (kept_.size() == keptLimit_) kept_.pop_front();
  kept_.push_back(std::move(frame));
}

}  // namespace rt::platform
