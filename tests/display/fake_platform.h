// A platform for the display tests: every answer of the machine is a field the test sets, and every
// window, present and cursor change is recorded. The clock moves only when slept on or at a frame.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "runtime/platform/platform.h"

namespace rt::testing {

struct FakeWindow {
  platform::WindowDesc desc;
  bool fullScreen = false;
  bool visible = true;
  platform::Rect outer, client;
};

struct Presented {
  platform::WindowId window = 0;
  int width = 0, height = 0;
  platform::Rect dest;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, row after row
};

class FakePlatform : public platform::Platform {
 public:
  // What the machine answers.
  bool hasDisplay = true;
  int desktopWidth = 1024, desktopHeight = 768, desktopDepth = 32;
  int frameLeft = 4, frameTop = 24, frameRight = 4, frameBottom = 4;  // decoration of titled windows
  bool failWindows = false;
  platform::WindowId focused = 0;
  std::deque<platform::MessageAnswer> answers;
  std::uint64_t frequency = 1000000;  // counter ticks per second
  std::uint64_t microsecondsPerFrame = 0;

  // What happened.
  std::map<platform::WindowId, FakeWindow> windows;
  std::vector<platform::WindowId> destroyed;
  std::vector<Presented> presents;
  std::vector<std::string> messages;  // "title|text"
  std::deque<platform::Event> events;
  bool cursorVisible = true;
  int frames = 0;
  std::uint64_t now = 1;  // microseconds
  int sleptMs = 0;
  std::vector<int> iconSizes;

  bool DesktopMode(int& width, int& height, int& depth) override;
  platform::WindowId CreateWindow(const platform::WindowDesc& desc) override;
  platform::WindowId CreateFullScreenWindow(const std::string& title) override;
  void DestroyWindow(platform::WindowId window) override;
  void ShowWindow(platform::WindowId window, bool visible) override;
  void SetWindowTitle(platform::WindowId window, const std::string& title) override;
  void SetWindowIcon(platform::WindowId window, const std::uint32_t* pixels, int width, int height) override;
  bool WindowGeometry(platform::WindowId window, platform::Rect& outer, platform::Rect& client) override;
  platform::WindowId FocusedWindow() override { return focused; }
  void Present(platform::WindowId window, const std::uint32_t* pixels, int width, int height, int pitchBytes,
               const platform::Rect& dest) override;
  bool NextEvent(platform::Event& event, int timeoutMs) override;
  void ShowCursor(bool visible) override { cursorVisible = visible; }
  void ConfineCursor(platform::WindowId, const platform::Rect*) override {}
  void WarpCursor(platform::WindowId, int, int) override {}
  void SetRelativeMouse(bool) override {}
  bool HasKeyboard() override { return true; }
  bool HasMouse() override { return true; }
  bool OpenAudio(platform::AudioCallback, void*, platform::AudioFormat&) override { return false; }
  void CloseAudio() override {}
  void LockAudio() override {}
  void UnlockAudio() override {}
  platform::MessageAnswer ShowMessageBox(const std::string& title, const std::string& text,
                                         platform::MessageButtons buttons) override;
  std::uint64_t Counter() override { return now * frequency / 1000000; }
  std::uint64_t CounterFrequency() override { return frequency; }
  void SleepMs(int milliseconds) override;
  std::uint32_t TickMs() override { return static_cast<std::uint32_t>(now / 1000); }
  platform::LocalDateTime LocalTime() override { return {}; }
  void FrameBoundary() override;
  std::string ProgramPath() override { return "/usr/games/pellaris"; }

  // Helpers for the tests.
  void Push(platform::EventType type, platform::WindowId window, int scanCode = 0);
  int LiveWindows() const { return static_cast<int>(windows.size()); }

 private:
  platform::WindowId nextId_ = 7;
};

// Installs a fresh fake for one test and takes it away afterwards.
class FakePlatformScope {
 public:
  FakePlatformScope() { platform::Install(&fake); }
  ~FakePlatformScope() { platform::Install(nullptr); }
  FakePlatform fake;
};

}  // namespace rt::testing
