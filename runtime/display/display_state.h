// The display library's part of the runtime's state: the screen with its back buffer, the frame
// timer, and where a windowed screen shows the back buffer. Only the display's own files see it.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/core/runtime_state.h"
#include "runtime/display/drawing_target.h"
#include "runtime/display/frame_timer.h"
#include "runtime/display/surface.h"

namespace rt {


// Where a windowed screen goes in its window's client area: 1:1 at (x, y), or stretched over the
// client area less (x, y) at the top left and the offsets at the bottom right.
struct WindowedGeometry {
  int x = 0, y = 0;
  int width = 0, height = 0;
  int rightOffset = 0, bottomOffset = 0;
  bool autoStretch = false;
};

struct DisplayState : LibraryState {
  bool initialised = false;
  std::uint32_t window = 0;
  int width = 0;  // 0: no screen
  int height = 0;
  int depth = 0;
  int pixelFormat = 0;
  bool windowed = false;
  bool active = false;
  bool pixelsSaved = false;
  bool held = false;  // paused by the player
  bool pixelWritesSkipped = false;
  Surface backBuffer;
  std::vector<std::uint32_t> converted;  // 0x00RRGGBB copy of a 16-bit back buffer
  bool drawingPending = false;
  DrawingTarget target;
  FrameTimer timer;
  int frameRate = 0;            // what SetFrameRate was given; 0: no rate
  bool automaticRate = false;   // set by a windowed screen, forgotten when it closes
  bool pacedFullScreen = false; // a full-screen display whose refresh is not the game's 60 Hz
  WindowedGeometry geometry;
};

inline DisplayState& Display() {
  return PartOf<DisplayState>(Runtime().display);
}

}  // namespace rt
