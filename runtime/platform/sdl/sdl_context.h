// What the SDL facets share: SDL's subsystems, started lazily one at a time, the program's windows and
// game controllers, and the events taken from SDL with the keyboard, mouse and pad state they leave
// behind.
#pragma once

#include <SDL.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "runtime/platform/event_queue.h"
#include "runtime/platform/platform.h"
#include "runtime/platform/sdl/sdl_platform.h"
#include "runtime/platform/sdl/sdl_window.h"

namespace rt::platform {

class SdlContext {
 public:
  explicit SdlContext(const SdlOptions& options);
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
  // Takes a new window in at the logical client size the runtime asked for (a full-screen one at the
  // desktop's size).
  WindowId Adopt(SDL_Window* window, bool fullScreen, int logicalWidth, int logicalHeight);
  const SdlOptions& Options() const { return options_; }
  // The scale at which a window of this client size opens on the display: the options', or the largest
  // that fits there; a scale asked for that does not fit is reported.
  int OpeningScale(int width, int height, int display);
  // The refresh rate of the display the window is on; 0 when it is not known.
  static int DisplayRefresh(SDL_Window* window);
  static constexpr int kSlowestRetracedRefresh = 59;
  void Forget(WindowId window);
  // Switches a window between full screen and a window; one opened full screen becomes a window of
  // its picture's size, at the scale a window of that size opens at.
  void ToggleFullScreen(WindowId window);
  WindowId FocusedWindow();

  // Events: everything SDL has is taken into the queue, translated.
  EventQueue& Queue() { return queue_; }
  // Takes what SDL has. The devices (the display server first of all) are asked for news at most once
  // a millisecond: a frame reads them several times over, and each asking takes a round of system
  // calls; SDL's own queue is read every time.
  void Pump();
  // The same, asking the devices whatever the time.
  void PumpNow();
  // Waits for one event of SDL's: false when none came in time (or waiting failed).
  bool WaitForEvent(int timeoutMs);
  // Takes what SDL has, dropping the input that reached the program's windows while a message box
  // was up: it was meant for the box.
  void DropInputMeantForMessageBox();

  // Reports a request to end the program among the next events.
  void RequestQuit();

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

  void Report(const std::string& line);
  void Pump(bool askDevices);
  void AskDevices();
  void Take(const SDL_Event& event);
  void OpenPad(int deviceIndex);
  void ClosePad(SDL_JoystickID id);
  void PushPadEvent(EventType type, SDL_JoystickID id);
  bool Translate(const SDL_Event& sdl, Event& event);
  bool IsWarpLanding(const SDL_MouseMotionEvent& motion);

  SdlOptions options_;
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
  std::chrono::steady_clock::time_point askedDevices_;  // the last time the display server was asked
};

}  // namespace rt::platform
