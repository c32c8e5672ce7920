#include "fake_platform.h"

namespace rt::testing {

bool FakePlatform::DesktopMode(int& width, int& height, int& depth) {
  if (!hasDisplay) return false;
  width = desktopWidth;
  height = desktopHeight;
  depth = desktopDepth;
  return true;
}

platform::WindowId FakePlatform::CreateWindow(const platform::WindowDesc& desc) {
  if (failWindows) return 0;
  FakeWindow window;
  window.desc = desc;
  window.visible = desc.visible;
  const int left = desc.decorated ? frameLeft : 0, top = desc.decorated ? frameTop : 0;
  const int right = desc.decorated ? frameRight : 0, bottom = desc.decorated ? frameBottom : 0;
  const int outerWidth = desc.clientWidth + left + right, outerHeight = desc.clientHeight + top + bottom;
  int x = desc.x, y = desc.y;
  if (desc.centred) {
    x = (desktopWidth - outerWidth) / 2;
    y = (desktopHeight - outerHeight) / 2;
  }
  window.outer = {x, y, outerWidth, outerHeight};
  window.client = {x + left, y + top, desc.clientWidth, desc.clientHeight};
  windows[nextId_] = window;
  return nextId_++;
}

platform::WindowId FakePlatform::CreateFullScreenWindow(const std::string& title) {
  if (failWindows) return 0;
  FakeWindow window;
  window.desc.title = title;
  window.fullScreen = true;
  window.outer = window.client = {0, 0, desktopWidth, desktopHeight};
  windows[nextId_] = window;
  return nextId_++;
}

void FakePlatform::DestroyWindow(platform::WindowId window) {
  windows.erase(window);
  destroyed.push_back(window);
}

void FakePlatform::ShowWindow(platform::WindowId window, bool visible) {
  if (auto found = windows.find(window); found != windows.end()) found->second.visible = visible;
}

void FakePlatform::SetWindowTitle(platform::WindowId window, const std::string& title) {
  if (auto found = windows.find(window); found != windows.end()) found->second.desc.title = title;
}

void FakePlatform::SetWindowIcon(platform::WindowId, const std::uint32_t*, int width, int height) {
  iconSizes.push_back(width * height);
}

bool FakePlatform::WindowGeometry(platform::WindowId window, platform::Rect& outer, platform::Rect& client) {
  auto found = windows.find(window);
  if (found == windows.end()) return false;
  outer = found->second.outer;
  client = found->second.client;
  return true;
}

void FakePlatform::Present(platform::WindowId window, const std::uint32_t* pixels, int width, int height,
                           int pitchBytes, const platform::Rect& dest) {
  Presented frame{window, width, height, dest, {}};
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const std::uint8_t*>(pixels) +
                                                             static_cast<std::ptrdiff_t>(y) * pitchBytes);
    frame.pixels.insert(frame.pixels.end(), row, row + width);
  }
  presents.push_back(std::move(frame));
}

bool FakePlatform::NextEvent(platform::Event& event, int) {
  if (events.empty()) return false;
  event = events.front();
  events.pop_front();
  return true;
}

platform::MessageAnswer FakePlatform::ShowMessageBox(const std::string& title, const std::string& text,
                                                     platform::MessageButtons buttons) {
  messages.push_back(title + "|" + text);
  if (answers.empty()) {
    return buttons == platform::MessageButtons::YesNo ? platform::MessageAnswer::Yes
                                                      : platform::MessageAnswer::Ok;
  }
  const platform::MessageAnswer answer = answers.front();
  answers.pop_front();
  return answer;
}

void FakePlatform::SleepMs(int milliseconds) {
  sleptMs += milliseconds;
  now += static_cast<std::uint64_t>(milliseconds) * 1000;
}

void FakePlatform::FrameBoundary() {
  ++frames;
  now += microsecondsPerFrame;
}

void FakePlatform::Push(platform::EventType type, platform::WindowId window, int scanCode) {
  platform::Event event;
  event.type = type;
  event.window = window;
  event.scanCode = scanCode;
  if (type == platform::EventType::Resized) {
    event.width = 100;
    event.height = 100;
  }
  events.push_back(event);
}

}  // namespace rt::testing
