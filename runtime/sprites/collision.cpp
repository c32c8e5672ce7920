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
bool CountsAsSolid(const Sprite& sprite, std::uint32_t pixel, std::uint32_t comparedBits) {
  constexpr std::uint32_t kColorKey = 0;
  return !sprite.colorKeyed || (pixel & comparedBits) != kColorKey;
}

void BuildMask(const Sprite& sprite, SolidMask& mask) {
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
      if (CountsAsSolid(sprite, ReadPixel(row + x * bytesPerPixel, bytesPerPixel), comparedBits)) {
        bits[x / 64] |= std::uint64_t{1} << (x % 64);
      }
    }
  }
}

const SolidMask& MaskOf(Sprite& sprite) {
  SpritePixelCache& cache = PixelCacheOf(sprite);
  if (!cache.maskBuilt) {
    BuildMask(sprite, cache.mask);
    cache.maskBuilt = true;
  }
  return cache.mask;
}

// 64 mask bits of a row from bit `shift` of its first word on. (next << 1) << (63 - shift) is
// next << (64 - shift) without the undefined shift by 64 when shift is 0.
std::uint64_t Window(const std::uint64_t* words, unsigned shift) {
  return (words[0] >> shift) | ((words[1] << 1) << (63 - shift));
}

// A sprite's box at its position. 64-bit edges: positions are unbounded.
struct Box {
  std::int64_t left, top;
  int width, height;
};

// Strict: boxes that only touch along an edge do not overlap.
bool BoxesOverlap(const Box& a, const Box& b) {
  return b.left < a.left + a.width && a.left < b.left + b.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

// Where two overlapping boxes meet along one axis, in each sprite's own columns or rows.
struct Span {
  int start1, start2, length;
};

Span OverlapOnAxis(std::int64_t p1, int size1, std::int64_t p2, int size2) {
  if (p1 < p2) {
    const int start1 = static_cast<int>(p2 - p1);
    return {start1, 0, std::min(size1 - start1, size2)};
  }
  const int start2 = static_cast<int>(p1 - p2);
  return {0, start2, std::min(size2 - start2, size1)};
}

// Where a sprite's part of the overlap starts in each of its mask rows.
struct MaskColumn {
  std::size_t word;
  unsigned shift;
};

MaskColumn ColumnOf(int x) {
  const auto column = static_cast<unsigned>(x);
  return {column / 64, column % 64};
}

// Compares the overlap of two mask rows 64 columns at a time; `lastWindow` keeps the columns of the
// final window that lie inside the overlap.
bool RowsShareSolidPixel(const std::uint64_t* row1, MaskColumn at1, const std::uint64_t* row2, MaskColumn at2,
                         std::size_t windows, std::uint64_t lastWindow) {
  row1 += at1.word;
  row2 += at2.word;
  for (std::size_t w = 0; w + 1 < windows; ++w) {
    if ((Window(row1 + w, at1.shift) & Window(row2 + w, at2.shift)) != 0) return true;
  }
  const std::size_t last = windows - 1;
  return (Window(row1 + last, at1.shift) & Window(row2 + last, at2.shift) & lastWindow) != 0;
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

// The scan of the overlap of two boxes known to overlap, row by row from the top.
int SolidPixelsMeet(Sprite& first, const Box& a, Sprite& second, const Box& b) {
  const Span across = OverlapOnAxis(a.left, a.width, b.left, b.width);
  const Span down = OverlapOnAxis(a.top, a.height, b.top, b.height);
  const SolidMask& mask1 = MaskOf(first);
  const SolidMask& mask2 = MaskOf(second);
  const MaskColumn at1 = ColumnOf(across.start1), at2 = ColumnOf(across.start2);
  const auto length = static_cast<unsigned>(across.length);
  const std::size_t windows = (length + 63) / 64;
  const std::uint64_t lastWindow =
      length % 64 == 0 ? ~std::uint64_t{0} : (std::uint64_t{1} << (length % 64)) - 1;
  const std::size_t stride1 = static_cast<std::size_t>(mask1.wordsPerRow);
  const std::size_t stride2 = static_cast<std::size_t>(mask2.wordsPerRow);
  const std::uint64_t* row1 = mask1.bits.data() + static_cast<std::size_t>(down.start1) * stride1;
  const std::uint64_t* row2 = mask2.bits.data() + static_cast<std::size_t>(down.start2) * stride2;
  for (int r = 0; r < down.length; ++r, row1 += stride1, row2 += stride2) {
    if (RowsShareSolidPixel(row1, at1, row2, at2, windows, lastWindow)) return 1;
  }
  return 0;
}

}  // namespace

int SpriteRecordsCollide(Sprite& first, int x1, int y1, Sprite& second, int x2, int y2) {
  const Box a{x1, y1, VisibleWidth(first), VisibleHeight(first)};
  const Box b{x2, y2, VisibleWidth(second), VisibleHeight(second)};
  // Most pairs end at the boxes, so they are tested first.
  if (!BoxesOverlap(a, b) || !Collidable(first) || !Collidable(second)) return 0;
  return SolidPixelsMeet(first, a, second, b);
}

int SpritesCollide(ObjectNumber sprite1, int x1, int y1, ObjectNumber sprite2, int x2, int y2) {
  Sprite* first = FindSprite(sprite1);
  Sprite* second = FindSprite(sprite2);
  if (!first || !second) return 0;
  return SpriteRecordsCollide(*first, x1, y1, *second, x2, y2);
}

}  // namespace rt
