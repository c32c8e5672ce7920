// Sprite records and target surfaces made directly, without the sprite table or a screen.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>

#include "runtime/display/surface.h"
#include "runtime/sprites/sprite.h"
#include "tests/support/pixels.h"

namespace rt::test {

inline std::uint32_t DepthMask(int depth) {
  return depth == 32 ? 0xFFFFFFFFu : (1u << depth) - 1;
}

inline Sprite MakeSprite(int width, int height, int depth) {
  Sprite sprite;
  sprite.surface = Surface(width, height, depth);
  sprite.width = width;
  sprite.height = height;
  return sprite;
}

// Every pixel opaque with probability `density`, with values that use every colour bit of the depth.
inline void FillRandom(Surface& surface, double density, std::mt19937& random) {
  std::bernoulli_distribution opaque(density);
  const std::uint32_t mask = surface.Depth() == 32 ? 0xFFFFFF : DepthMask(surface.Depth());
  std::uniform_int_distribution<std::uint32_t> value(1, mask);
  for (int y = 0; y < surface.Height(); ++y) {
    for (int x = 0; x < surface.Width(); ++x) SetPixelAt(surface, x, y, opaque(random) ? value(random) : 0);
  }
  surface.Touch();
}

inline bool SameSurfacePixels(const Surface& a, const Surface& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.Depth() != b.Depth()) return false;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      if (PixelAt(a, x, y) != PixelAt(b, x, y)) return false;
    }
  }
  return true;
}

}  // namespace rt::test
