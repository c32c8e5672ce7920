// A drawing target over a surface of the test's own, with padding bytes around the visible pixels
// that must never change, and helpers to read pixels back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/display/drawing_target.h"
#include "runtime/display/pixel_format.h"
#include "runtime/display/surface.h"
#include "runtime/sprites/drawing.h"
#include "tests/support/pixels.h"

namespace rt::test {

constexpr std::uint8_t kPaddingByte = 0xA5;

inline void FillSurface(Surface& surface, std::uint32_t value) {
  for (int y = 0; y < surface.Height(); ++y) {
    for (int x = 0; x < surface.Width(); ++x) SetPixelAt(surface, x, y, value);
  }
}

// Every pixel of `window` equals the pixel of `whole` at the same place shifted by (dx, dy).
inline bool SameAsWindowOf(const Surface& window, const Surface& whole, int dx, int dy) {
  for (int y = 0; y < window.Height(); ++y) {
    for (int x = 0; x < window.Width(); ++x) {
      if (PixelAt(window, x, y) != PixelAt(whole, x + dx, y + dy)) return false;
    }
  }
  return true;
}

inline int CountPixels(const Surface& surface, std::uint32_t value) {
  int count = 0;
  for (int y = 0; y < surface.Height(); ++y) {
    for (int x = 0; x < surface.Width(); ++x) count += PixelAt(surface, x, y) == value;
  }
  return count;
}

// A surface and a target for it; counts the target's hand-backs.
class DrawingCanvas {
 public:
  DrawingCanvas(int width, int height, int depth, int format = PixelFormat32RedHigh)
      : surface_(width, height, depth), target_{&surface_, depth, format, &CountEnd} {
    endCount = 0;
    // The bytes past each row's last pixel belong to nobody: drawing must leave them alone.
    std::memset(surface_.Pixels(), kPaddingByte, static_cast<std::size_t>(surface_.Pitch()) * height);
    FillSurface(surface_, 0);
  }
  ~DrawingCanvas() { EndDrawing(); }
  DrawingCanvas(const DrawingCanvas&) = delete;
  DrawingCanvas& operator=(const DrawingCanvas&) = delete;

  Surface& surface() { return surface_; }
  DrawingTarget* target() { return &target_; }

  bool PaddingIntact() const {
    const int used = surface_.Width() * surface_.BytesPerPixel();
    for (int y = 0; y < surface_.Height(); ++y) {
      for (int i = used; i < surface_.Pitch(); ++i) {
        if (surface_.Row(y)[i] != kPaddingByte) return false;
      }
    }
    return true;
  }

  static inline int endCount = 0;

 private:
  static void CountEnd() { ++endCount; }

  Surface surface_;
  DrawingTarget target_;
};

// Every test starts with no drawing in progress; a canvas ends its drawing when it goes.
class DrawingTest : public ::testing::Test {
 protected:
  void SetUp() override { InitDrawing(); }
};

}  // namespace rt::test
