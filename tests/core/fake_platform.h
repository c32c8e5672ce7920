// A minimal backend for tests that only need the clock and the program path.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/platform/platform.h"

namespace rt::test {

class FakePlatform : public platform::Platform {
 public:
  std::uint32_t tick = 0;
  platform::LocalDateTime localTime;
  std::string programPath = "/opt/pellaris/bin/pellaris";

  bool DesktopMode(int&, int&, int&) override { return false; }
  platform::WindowId CreateWindow(const platform::WindowDesc&) override { return 0; }
  platform::WindowId CreateFullScreenWindow(const std::string&) override { return 0; }
  void DestroyWindow(platform::WindowId) override {}
  void ShowWindow(platform::WindowId, bool) override {}
  void SetWindowTitle(platform::WindowId, const std::string&) override {}
  void SetWindowIcon(platform::WindowId, const std::uint32_t*, int, int) override {}
  bool WindowGeometry(platform::WindowId, platform::Rect&, platform::Rect&) override { return false; }
  platform::WindowId FocusedWindow() override { return 0; }
  void Present(platform::WindowId, const std::uint32_t*, int, int, int, const platform::Rect&) override {}
  bool NextEvent(platform::Event&, int) override { return false; }
  void ShowCursor(bool) override {}
  void ConfineCursor(platform::WindowId, const platform::Rect*) override {}
  void WarpCursor(platform::WindowId, int, int) override {}
  void SetRelativeMouse(bool) override {}
  bool HasKeyboard() override { return false; }
  bool HasMouse() override { return false; }
  bool OpenAudio(platform::AudioCallback, void*, platform::AudioFormat&) override { return false; }
  void CloseAudio() override {}
  void LockAudio() override {}
  void UnlockAudio() override {}
  platform::MessageAnswer ShowMessageBox(const std::string&, const std::string&,
                                         platform::MessageButtons) override {
    return platform::MessageAnswer::Ok;
  }
  std::uint64_t Counter() override { return 0; }
  std::uint64_t CounterFrequency() override { return 1000; }
  void SleepMs(int) override {}
  std::uint32_t TickMs() override { return tick; }
  platform::LocalDateTime LocalTime() override { return localTime; }
  std::string ProgramPath() override { return programPath; }
};

// Installs a fake backend for the lifetime of the object.
class ScopedFakePlatform {
 public:
  ScopedFakePlatform() { platform::Install(&fake); }
  ~ScopedFakePlatform() { platform::Install(nullptr); }
  FakePlatform fake;
};

}  // namespace rt::test
