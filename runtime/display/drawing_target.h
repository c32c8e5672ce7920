// What ScreenTarget and SpriteTarget hand to BeginDrawing: a surface to draw into and the routine
// that frees the target for the next request. There is no device context on memory surfaces, so
// device-context and pixel access are one and the same.
#pragma once

#include "runtime/display/surface.h"

namespace rt {

struct DrawingTarget {
  Surface* surface = nullptr;
  int depth = 0;        // the screen depth
  int pixelFormat = 0;  // the ScreenPixelFormat code
  void (*endDrawing)() = nullptr;
};

}  // namespace rt
