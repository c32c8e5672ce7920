// The backend of the real game: SDL2 windows, full-screen presentation, events, cursor, game
// controllers, audio and message boxes. SDL starts lazily, one part at a time, when first needed; every
// failure is a false or 0 result, never a crash.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "runtime/platform/platform.h"

#include "runtime/platform/sdl/sdl_mapping.h"

namespace rt::platform {

// How the program's windows appear; the defaults are a window exactly the size the runtime asks for.
struct SdlOptions {
  int windowScale = 1;  // windows open this many times the size asked; 0: the largest that fits comfortably
  bool resizable = false;
  Scaling scaling = Scaling::WholeNumber;  // how a picture fills a larger window or the full screen
  // Where the backend tells the player of a choice it made for them, one line at a time (a window
  // scale too large for the desktop, a file of pad mappings cut short); without it they are not told.
  // A line may end in a file's name as it was given, which the receiver makes safe to show.
  std::function<void(const std::string&)> report;
};

class SdlBackend {
 public:
  virtual ~SdlBackend() = default;
  // Every facet of the real machine, to install.
  virtual Backend Facets() = 0;
  // Adds the game controller mappings in a file of SDL's format (one controller a line, as in
  // SDL_GAMECONTROLLERCONFIG), if the file exists: for the same controller they replace SDL's built-in
  // ones but not the variable's. Returns how many controllers it maps that had no mapping, 0 without
  // the file, -1 when it is no file or cannot be read. A pad plugged in already and mapped only now is
  // reported as added. Only this platform's lines count, the last for each controller; of a huge file
  // only the start is used, and the report says so.
  virtual int LoadPadMappings(const std::string& path) = 0;
  // Switches the program's focused window between full screen and a window, keeping everything in it.
  virtual void ToggleFullScreen() = 0;
};

std::unique_ptr<SdlBackend> CreateSdlBackend(const SdlOptions& options = SdlOptions{});

}  // namespace rt::platform
