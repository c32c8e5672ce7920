// Facets that pass every call on to another facet: a layer over a backend derives from one and
// overrides only what it changes.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/platform/platform.h"

namespace rt::platform {

class ForwardingVideo : public VideoFacet {
 public:
  explicit ForwardingVideo(VideoFacet& next) : next_(next) {}
  bool DesktopMode(int& width, int& height, int& depth) override {
    return next_.DesktopMode(width, height, depth);
  }
  WindowId CreateWindow(const WindowDesc& desc) override { return next_.CreateWindow(desc); }
  WindowId CreateFullScreenWindow(const std::string& title) override {
    return next_.CreateFullScreenWindow(title);
  }
  void DestroyWindow(WindowId window) override { next_.DestroyWindow(window); }
  void ShowWindow(WindowId window, bool visible) override { next_.ShowWindow(window, visible); }
  void SetWindowTitle(WindowId window, const std::string& title) override {
    next_.SetWindowTitle(window, title);
  }
  void SetWindowIcon(WindowId window, const std::uint32_t* pixels, int width, int height) override {
    next_.SetWindowIcon(window, pixels, width, height);
  }
  bool WindowGeometry(WindowId window, Rect& outer, Rect& client) override {
    return next_.WindowGeometry(window, outer, client);
  }
  WindowId FocusedWindow() override { return next_.FocusedWindow(); }
  int PresentRate(WindowId window) override { return next_.PresentRate(window); }
  void Present(WindowId window, const std::uint32_t* pixels, int width, int height, int pitchBytes,
               const Rect& dest) override {
    next_.Present(window, pixels, width, height, pitchBytes, dest);
  }

 protected:
  VideoFacet& next_;
};

class ForwardingInput : public InputFacet {
 public:
  explicit ForwardingInput(InputFacet& next) : next_(next) {}
  bool NextEvent(Event& event, int timeoutMs) override { return next_.NextEvent(event, timeoutMs); }
  void ReadKeyState(std::uint8_t state[256]) override { next_.ReadKeyState(state); }
  int TakeMouseEvents(MouseEvent* out, int max) override { return next_.TakeMouseEvents(out, max); }
  void ReadPadState(PadState& state) override { next_.ReadPadState(state); }
  bool HasKeyboard() override { return next_.HasKeyboard(); }
  bool HasMouse() override { return next_.HasMouse(); }
  void ShowCursor(bool visible) override { next_.ShowCursor(visible); }
  void ConfineCursor(WindowId window, const Rect* clientArea) override {
    next_.ConfineCursor(window, clientArea);
  }
  void WarpCursor(WindowId window, int x, int y) override { next_.WarpCursor(window, x, y); }
  void SetRelativeMouse(bool on) override { next_.SetRelativeMouse(on); }

 protected:
  InputFacet& next_;
};

class ForwardingAudio : public AudioFacet {
 public:
  explicit ForwardingAudio(AudioFacet& next) : next_(next) {}
  bool OpenAudio(AudioCallback callback, void* user, AudioFormat& obtained) override {
    return next_.OpenAudio(callback, user, obtained);
  }
  void CloseAudio() override { next_.CloseAudio(); }
  void LockAudio() override { next_.LockAudio(); }
  void UnlockAudio() override { next_.UnlockAudio(); }

 protected:
  AudioFacet& next_;
};

class ForwardingClock : public ClockFacet {
 public:
  explicit ForwardingClock(ClockFacet& next) : next_(next) {}
  std::uint64_t Counter() override { return next_.Counter(); }
  std::uint64_t CounterFrequency() override { return next_.CounterFrequency(); }
  void SleepMs(int milliseconds) override { next_.SleepMs(milliseconds); }
  void SleepUntil(std::uint64_t counter) override { next_.SleepUntil(counter); }
  std::uint32_t TickMs() override { return next_.TickMs(); }
  LocalDateTime LocalTime() override { return next_.LocalTime(); }
  void FrameBoundary() override { next_.FrameBoundary(); }
  bool PacesFrames() override { return next_.PacesFrames(); }

 protected:
  ClockFacet& next_;
};

}  // namespace rt::platform
