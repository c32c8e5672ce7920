// Drawing sprites onto the current blit target: colour-keyed copies (pixel value 0 is transparent)
// and translucent mixes. Both clip the sprite to the target's edges.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/core/object_table.h"
#include "runtime/display/surface.h"
#include "runtime/sprites/sprite.h"

namespace rt {

// Copies the sprite's opaque pixels to (x, y) of the blit target. Nothing is drawn for an absent
// number or while the full-screen display is inactive.
void DrawSprite(ObjectNumber number, int x, int y);

// Mixes the sprite's non-zero pixels with the target at an intensity of 1..255 (clamped into that
// range), or kEvenMix for half of each. Only 32-bit and 16-bit (5-6-5) targets change.
inline constexpr int kEvenMix = -1;
void DrawSpriteTranslucent(ObjectNumber number, int x, int y, int intensity);

// entry(v, k) = (256 v) / (65280 / (k + 1)) with truncating divisions: close to v (k + 1) / 255, so a
// mix costs two table reads and an addition per channel.
class BlendTable {
 public:
  BlendTable();
  // The entries for v = 0..255 at one k.
  const std::int32_t* Row(int k) const { return entries_[k]; }
  std::int32_t Entry(int v, int k) const { return entries_[k][v]; }

  // The same column as a multiply and shifts, for mixing many channels at once:
  // entry(v, k) = ((256 v * multiplier) >> 16) >> shift for every v.
  struct Scale {
    std::uint16_t multiplier = 0;
    int shift = 0;
  };
  Scale ScaleOf(int k) const { return scales_[k]; }

 private:
  std::int32_t entries_[256][256];
  Scale scales_[256];
};

// Built on first use; starting the sprite system asks for it so that no blend pays for it.
const BlendTable& ComputeBlendTable();

// The same operations on a given sprite record and target surface (what the two above do once they
// have found both). The sprite's depth must match the target's, else nothing is drawn.
void BlitSprite(Sprite& sprite, Surface& target, int x, int y);
void BlendSprite(Sprite& sprite, Surface& target, int x, int y, int intensity);

// Data derived from a sprite's pixels, kept in Sprite::blitCache and rebuilt when the surface's pixels
// or generation change. Each part is built on first use. An opaque pixel is one a blit draws: its
// value, every byte of it, differs from the key 0. A solid pixel is one collision counts: its colour
// differs from the key, the fourth byte of a 32-bit pixel left out (see collision.h).
struct OpaqueRun {
  std::int32_t y, start, end;  // row and columns, end excluded
};
struct OpaqueRuns {
  std::vector<OpaqueRun> runs;            // row by row, left to right
  std::vector<std::int32_t> rowFirstRun;  // runs of row y: rowFirstRun[y] .. rowFirstRun[y + 1]
  bool preferRuns = false;                // sparse enough that walking the runs beats scanning every pixel
};
// One bit per pixel that collision counts as solid; every row ends with at least one zero word so
// that a 64-bit window may start anywhere inside the row.
struct SolidMask {
  int wordsPerRow = 0;
  std::vector<std::uint64_t> bits;
};
struct SpritePixelCache {
  const std::uint8_t* pixels = nullptr;
  bool runsBuilt = false;
  OpaqueRuns runs;
  bool maskBuilt = false;
  SolidMask mask;
};
// The sprite's cache, emptied first when its pixels have changed since it was filled.
SpritePixelCache& PixelCacheOf(Sprite& sprite);

}  // namespace rt
