// The web backend's facets, each working on the shared page.
#pragma once

#include "runtime/platform/platform.h"
#include "runtime/platform/web/web_page.h"

namespace rt::platform {

class WebVideo : public VideoFacet {
 public:
  explicit WebVideo(WebPage& page) : page_(page) {}
  bool DesktopMode(int& width, int& height, int& depth) override;
  WindowId CreateWindow(const WindowDesc& desc) override;
  WindowId CreateFullScreenWindow(const std::string& title) override;
  void DestroyWindow(WindowId window) override;
  void ShowWindow(WindowId window, bool visible) override;
  void SetWindowTitle(WindowId window, const std::string& title) override;
  void SetWindowIcon(WindowId window, const std::uint32_t* pixels, int width, int height) override;
  bool WindowGeometry(WindowId window, Rect& outer, Rect& client) override;
  WindowId FocusedWindow() override { return page_.FocusedWindow(); }
  // The browser, not a present, keeps time with the display.
  int PresentRate(WindowId) override { return 0; }
  void Present(WindowId window, const std::uint32_t* pixels, int width, int height, int pitchBytes,
               const Rect& dest) override;

 private:
  WebPage& page_;
};

class WebInput : public InputFacet {
 public:
  explicit WebInput(WebPage& page) : page_(page) {}
  bool NextEvent(Event& event, int timeoutMs) override;
  void ReadKeyState(std::uint8_t state[256]) override { page_.Queue().ReadKeyState(state); }
  int TakeMouseEvents(MouseEvent* out, int max) override { return page_.Queue().TakeMouseEvents(out, max); }
  // The controllers as the browser has them now.
  void ReadPadState(PadState& state) override {
    page_.PollPads();
    page_.Queue().ReadPadState(state);
  }
  bool HasKeyboard() override { return true; }
  bool HasMouse() override { return true; }
  void ShowCursor(bool visible) override;
  // A page cannot hold or move the pointer; the game reads only the buttons.
  void ConfineCursor(WindowId, const Rect*) override {}
  void WarpCursor(WindowId, int, int) override {}
  void SetRelativeMouse(bool on) override;

 private:
  WebPage& page_;
  bool cursorShown_ = true, relative_ = false;
};

class WebAudio : public AudioFacet {
 public:
  WebAudio() = default;
  ~WebAudio() override { CloseAudio(); }
  WebAudio(const WebAudio&) = delete;
  WebAudio& operator=(const WebAudio&) = delete;
  bool OpenAudio(AudioCallback callback, void* user, AudioFormat& obtained) override;
  void CloseAudio() override;
  // The page's audio runs on the game's own thread, between its frames: there is nothing to exclude.
  void LockAudio() override {}
  void UnlockAudio() override {}
  // The page's audio node asks for `frames` interleaved stereo frames.
  void Fill(float* out, int frames);

 private:
  AudioCallback callback_ = nullptr;
  void* user_ = nullptr;
};

class WebClock : public ClockFacet {
 public:
  std::uint64_t Counter() override;
  std::uint64_t CounterFrequency() override { return 1'000'000; }  // microseconds
  void SleepMs(int milliseconds) override;
  void SleepUntil(std::uint64_t counter) override;
  std::uint32_t TickMs() override;
  LocalDateTime LocalTime() override;
  // The page draws what was presented when the browser next paints; the game goes on from there.
  void FrameBoundary() override;
  bool PacesFrames() override { return true; }
};

class WebDialogs : public DialogFacet {
 public:
  explicit WebDialogs(WebPage& page) : page_(page) {}
  MessageAnswer ShowMessageBox(const std::string& title, const std::string& text,
                               MessageButtons buttons) override;

 private:
  WebPage& page_;
};

class WebProcess : public ProcessFacet {
 public:
  std::string ProgramPath() override;
};

}  // namespace rt::platform
