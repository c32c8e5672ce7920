// The SDL backend's facets, each working on the shared context.
#pragma once

#include <optional>

#include "runtime/platform/platform.h"
#include "runtime/platform/sdl/sdl_context.h"

namespace rt::platform {

class SdlVideo : public VideoFacet {
 public:
  explicit SdlVideo(SdlContext& sdl) : sdl_(sdl) {}
  bool DesktopMode(int& width, int& height, int& depth) override;
  WindowId CreateWindow(const WindowDesc& desc) override;
  WindowId CreateFullScreenWindow(const std::string& title) override;
  void DestroyWindow(WindowId window) override;
  void ShowWindow(WindowId window, bool visible) override;
  void SetWindowTitle(WindowId window, const std::string& title) override;
  void SetWindowIcon(WindowId window, const std::uint32_t* pixels, int width, int height) override;
  bool WindowGeometry(WindowId window, Rect& outer, Rect& client) override;
  WindowId FocusedWindow() override { return sdl_.FocusedWindow(); }
  int PresentRate(WindowId window) override;
  void Present(WindowId window, const std::uint32_t* pixels, int width, int height, int pitchBytes,
               const Rect& dest) override;

 private:
  void Reveal(SdlWindow& window);

  SdlContext& sdl_;
};

class SdlInput : public InputFacet {
 public:
  explicit SdlInput(SdlContext& sdl) : sdl_(sdl) {}
  bool NextEvent(Event& event, int timeoutMs) override;
  void ReadKeyState(std::uint8_t state[256]) override;
  int TakeMouseEvents(MouseEvent* out, int max) override;
  void ReadPadState(PadState& state) override;
  bool HasKeyboard() override { return sdl_.EnsureVideo(); }
  bool HasMouse() override { return sdl_.EnsureVideo(); }
  void ShowCursor(bool visible) override;
  void ConfineCursor(WindowId window, const Rect* clientArea) override;
  void WarpCursor(WindowId window, int x, int y) override;
  void SetRelativeMouse(bool on) override;

 private:
  void ReleaseConfinement();
  void HoldIn(SDL_Window* window, const std::optional<SDL_Rect>& area);

  SdlContext& sdl_;
  WindowId confined_ = 0;
  std::optional<SDL_Rect> confineArea_;  // none: held in the window alone
  bool warpDue_ = false;
};

class SdlAudio : public AudioFacet {
 public:
  explicit SdlAudio(SdlContext& sdl) : sdl_(sdl) {}
  ~SdlAudio() override { CloseAudio(); }
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;
  bool OpenAudio(AudioCallback callback, void* user, AudioFormat& obtained) override;
  void CloseAudio() override;
  void LockAudio() override;
  void UnlockAudio() override;

 private:
  static void FillAudio(void* user, Uint8* stream, int length);

  SdlContext& sdl_;
  SDL_AudioDeviceID device_ = 0;
  AudioCallback callback_ = nullptr;
  void* user_ = nullptr;
  int frameBytes_ = 1;
};

// The system's monotonic clock in nanoseconds, so that a sleep can end at an exact counter value.
class SdlClock : public ClockFacet {
 public:
  std::uint64_t Counter() override;
  std::uint64_t CounterFrequency() override { return 1'000'000'000; }
  void SleepMs(int milliseconds) override;
  void SleepUntil(std::uint64_t counter) override;
  // Milliseconds since the machine started: SDL's own tick counts from SDL's start, nearly 0 when the
  // game seeds from it, and would give every launch the same rocks.
  std::uint32_t TickMs() override;
  LocalDateTime LocalTime() override;
};

class SdlDialogs : public DialogFacet {
 public:
  explicit SdlDialogs(SdlContext& sdl) : sdl_(sdl) {}
  MessageAnswer ShowMessageBox(const std::string& title, const std::string& text,
                               MessageButtons buttons) override;

 private:
  SdlContext& sdl_;
};

class SdlProcess : public ProcessFacet {
 public:
  std::string ProgramPath() override;
};

}  // namespace rt::platform
