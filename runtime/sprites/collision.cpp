#include "runtime/sprites/collision.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "runtime/sprites/blit.h"

namespace rt {

namespace {

// Pixels are compared with the key in the width of their depth; the fourth byte of a 32-bit pixel is
// not part of its colour.
std::uint32_t ComparedBits(int depth) {
  switch (depth) {
    case 8:
      return 0xFF;
    case 16:
      return 0xFFFF;
    case 24:
    case 32:
      return 0xFFFFFF;
    default:
      return 0;
  }
}

std::uint32_t ReadPixel(const std::uint8_t* pixel, int bytesPerPixel) {
  std::uint32_t value = 0;
  std::memcpy(&value, pixel, static_cast<std::size_t>(bytesPerPixel));  // little-endian pixels
  return value;
}

// Every sprite the system makes has the key 0; one made without a key has no transparent pixel.
bool CountsAsOpaque(const Sprite& sprite, std::uint32_t pixel, std::uint32_t comparedBits) {
  constexpr std::uint32_t kColorKey = 0;
  return !sprite.colorKeyed || (pixel & comparedBits) != kColorKey;
}

void BuildMask(const Sprite& sprite, OpaqueMask& mask) {
  const Surface& surface = sprite.surface;
  const int bytesPerPixel = surface.BytesPerPixel();
  const std::uint32_t comparedBits = ComparedBits(surface.Depth());
  mask.wordsPerRow = (surface.Width() + 63) / 64 + 1;
  mask.bits.assign(static_cast<std::size_t>(mask.wordsPerRow) * surface.Height(), 0);
  if (comparedBits == 0) return;
  for (int y = 0; y < surface.Height(); ++y) {
    const std::uint8_t* row = surface.Row(y);
    std::uint64_t* bits = mask.bits.data() + static_cast<std::size_t>(y) * mask.wordsPerRow;
    for (int x = 0; x < surface.Width(); ++x) {
      if (CountsAsOpaque(sprite, ReadPixel(row + x * bytesPerPixel, bytesPerPixel), comparedBits)) {
        bits[x / 64] |= std::uint64_t{1} << (x % 64);
      }
    }
  }
}

const OpaqueMask& MaskOf(Sprite& sprite) {
  SpritePixelCache& cache = PixelCacheOf(sprite);
  if (!cache.maskBuilt) {
    BuildMask(sprite, cache.mask);
    cache.maskBuilt = true;
  }
  return cache.mask;
}

// 64 mask bits starting at column x of a row.
std::uint64_t Window(const std::uint64_t* row, int x) {
  const int word = x / 64, shift = x % 64;
  if (shift == 0) return row[word];
  return (row[word] >> shift) | (row[word + 1] << (64 - shift));
}

// Where two boxes overlap, in each sprite's own columns or rows.
struct Overlap {
  int start1, start2, length;
};

// Along one axis; length <= 0 when the strict test fails. 64-bit sums: positions are unbounded.
Overlap OverlapOnAxis(std::int64_t p1, int size1, std::int64_t p2, int size2) {
  if (!(p2 < p1 + size1 && p1 < p2 + size2)) return {0, 0, 0};
  if (p1 < p2) {
    const int start1 = static_cast<int>(p2 - p1);
    return {start1, 0, std::min(size1 - start1, size2)};
  }
  const int start2 = static_cast<int>(p1 - p2);
  return {0, start2, std::min(size2 - start2, size1)};
}

bool RowsShareOpaquePixel(const std::uint64_t* row1, int x1, const std::uint64_t* row2, int x2, int width) {
  for (int c = 0; c < width; c += 64) {
    std::uint64_t both = Window(row1, x1 + c) & Window(row2, x2 + c);
    if (width - c < 64) both &= (std::uint64_t{1} << (width - c)) - 1;
    if (both != 0) return true;
  }
  return false;
}

int VisibleWidth(const Sprite& sprite) {
  return std::min(sprite.width, sprite.surface.Width());
}
int VisibleHeight(const Sprite& sprite) {
  return std::min(sprite.height, sprite.surface.Height());
}

bool Collidable(const Sprite& sprite) {
  return sprite.depth != -2 && !sprite.surface.Empty();
}

}  // namespace

int SpriteRecordsCollide(Sprite& first, int x1, int y1, Sprite& second, int x2, int y2) {
  if (!Collidable(first) || !Collidable(second)) return 0;
  const Overlap across = OverlapOnAxis(x1, VisibleWidth(first), x2, VisibleWidth(second));
  const Overlap down = OverlapOnAxis(y1, VisibleHeight(first), y2, VisibleHeight(second));
  if (across.length <= 0 || down.length <= 0) return 0;
  const OpaqueMask& mask1 = MaskOf(first);
  const OpaqueMask& mask2 = MaskOf(second);
  for (int r = 0; r < down.length; ++r) {
    const std::uint64_t* row1 =
        mask1.bits.data() + static_cast<std::size_t>(down.start1 + r) * mask1.wordsPerRow;
    const std::uint64_t* row2 =
        mask2.bits.data() + static_cast<std::size_t>(down.start2 + r) * mask2.wordsPerRow;
    if (RowsShareOpaquePixel(row1, across.start1, row2, across.start2, across.length)) return 1;
  }
  return 0;
}

int SpritesCollide(ObjectNumber sprite1, int x1, int y1, ObjectNumber sprite2, int x2, int y2) {
  Sprite* first = FindSprite(sprite1);
  Sprite* second = FindSprite(sprite2);
  if (!first || !second) return 0;
  return SpriteRecordsCollide(*first, x1, y1, *second, x2, y2);
}

}  // namespace rt
