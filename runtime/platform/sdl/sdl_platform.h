// The backend of the real game: SDL2 windows, full-screen presentation, events, cursor, audio and
// message boxes. SDL starts lazily, one part at a time, when first needed; every failure is a false or
// 0 result, never a crash.
#pragma once

#include <memory>

#include "runtime/platform/platform.h"

#include "runtime/platform/sdl/sdl_mapping.h"

namespace rt::platform {

// How the program's windows appear; the defaults are a window exactly the size the runtime asks for.
struct SdlOptions {
  int windowScale = 1;  // windows open this many times the size asked; 0: the largest that fits comfortably
  bool resizable = false;
  Scaling scaling = Scaling::WholeNumber;  // how a picture fills a larger window or the full screen
};

class SdlBackend {
 public:
  virtual ~SdlBackend() = default;
  // Every facet of the real machine, to install.
  virtual Backend Facets() = 0;
  // Switches the program's focused window between full screen and a window, keeping everything in it.
  virtual void ToggleFullScreen() = 0;
};

std::unique_ptr<SdlBackend> CreateSdlBackend(const SdlOptions& options = SdlOptions{});

}  // namespace rt::platform
