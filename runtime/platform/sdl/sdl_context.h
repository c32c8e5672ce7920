// What the SDL facets share: SDL's subsystems, started lazily one at a time, the program's windows and
// game controllers, and the events taken from SDL with the keyboard, mouse and pad state they leave
// behind.
#pragma once

#include <SDL.h>

#include <map>
#include <memory>
#include <string>

#include "runtime/platform/event_queue.h"
#include "runtime/platform/platform.h"
#include "runtime/platform/sdl/sdl_presenter.h"

namespace rt::platform {

// A window with what shows its pictures.
class SdlWindow {
 public:
  SdlWindow(SDL_Window* window, std::unique_ptr<Presenter> presenter, bool fullScreen)
      : window_(window), presenter_(std::move(presenter)), fullScreen_(fullScreen) {}
  ~SdlWindow();
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  SDL_Window* Window() const { return window_; }
  Presenter& Shows() const { return *presenter_; }
  bool FullScreen() const { return fullScreen_; }

 private:
  SDL_Window* window_;
  std::unique_ptr<Presenter> presenter_;
  bool fullScreen_;
};

class SdlContext {
 public:
  SdlContext();
  ~SdlContext();
  SdlContext(const SdlContext&) = delete;
  SdlContext& operator=(const SdlContext&) = delete;

  bool EnsureVideo();
  bool EnsureAudio();
  // Game controllers: those present now are reported as added among the next events.
  bool EnsurePads();
  // Adds the mappings in a file of SDL's format, if the file exists, and opens the pads they map: how
  // many mappings are new, 0 without the file, -1 when SDL cannot read it.
  int LoadPadMappings(const std::string& path);
  bool VideoReady() const { return videoReady_; }
  bool EventsRunning() const { return SDL_WasInit(SDL_INIT_EVENTS) != 0; }

  // The program's windows by id.
  SdlWindow* Find(WindowId window);
  WindowId Adopt(SDL_Window* window, bool fullScreen);
  // The refresh rate of the display the window is on; 0 when it is not known.
  static int DisplayRefresh(SDL_Window* window);
  static constexpr int kSlowestRetracedRefresh = 59;
  void Forget(WindowId window);
  WindowId FocusedWindow();

  // Events: everything SDL has is taken into the queue, translated.
  EventQueue& Queue() { return queue_; }
  void Pump();
  // Waits for one event of SDL's: false when none came in time (or waiting failed).
  bool WaitForEvent(int timeoutMs);
  // Takes what SDL has, dropping the input that reached the program's windows while a message box
  // was up: it was meant for the box.
  void DropInputMeantForMessageBox();

  // Where the last warp put the cursor: the motion it causes is not the player's.
  void NoteWarp(WindowId window, int x, int y);
  // The audio device the program plays on, whose removal is reported.
  void SetAudioDevice(SDL_AudioDeviceID device) { audioDevice_ = device; }

 private:
  struct Warp {
    bool pending = false;
    WindowId window = 0;
    int x = 0, y = 0;
  };

  void Take(const SDL_Event& event);
  void OpenPad(int deviceIndex);
  void ClosePad(SDL_JoystickID id);
  void PushPadEvent(EventType type, SDL_JoystickID id);
  bool Translate(const SDL_Event& sdl, Event& event);
  bool IsWarpLanding(const SDL_MouseMotionEvent& motion);

  bool videoTried_ = false, videoReady_ = false;
  bool pathChosen_ = false;
  PresentPath path_ = PresentPath::Surface;
  bool audioTried_ = false, audioReady_ = false;
  bool catchingHangUp_ = false;
  bool padsTried_ = false, padsReady_ = false;
  std::map<WindowId, std::unique_ptr<SdlWindow>> windows_;
  std::map<SDL_JoystickID, SDL_GameController*> pads_;  // the open controllers by instance id
  EventQueue queue_;
  Warp warp_;
  SDL_AudioDeviceID audioDevice_ = 0;
};

}  // namespace rt::platform
