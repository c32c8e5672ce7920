#include "runtime/sprites/blit.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "runtime/display/screen.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rt {

namespace {

// ---- Clipping ----

// The part of a w x h sprite placed at (x, y) that falls on a targetWidth x targetHeight target.
struct ClippedRect {
  int targetX, targetY;  // where the first drawn pixel lands
  int spriteX, spriteY;  // the first drawn sprite pixel
  int width, height;
};

std::optional<ClippedRect> Clip(int x, int y, int w, int h, int targetWidth, int targetHeight) {
  // 64-bit sums: positions may lie anywhere in the int range.
  const std::int64_t left = x, top = y;
  if (w <= 0 || h <= 0 || left >= targetWidth || top >= targetHeight || left <= -w || top <= -h) {
    return std::nullopt;
  }
  const std::int64_t right = std::min<std::int64_t>(left + w, targetWidth);
  const std::int64_t bottom = std::min<std::int64_t>(top + h, targetHeight);
  const std::int64_t spriteX = left < 0 ? -left : 0;
  const std::int64_t spriteY = top < 0 ? -top : 0;
  return ClippedRect{static_cast<int>(left + spriteX),
                     static_cast<int>(top + spriteY),
                     static_cast<int>(spriteX),
                     static_cast<int>(spriteY),
                     static_cast<int>(right - left - spriteX),
                     static_cast<int>(bottom - top - spriteY)};
}

// The sprite's drawable size: its visible area, never more than the surface holds.
std::optional<ClippedRect> ClipSprite(const Sprite& sprite, const Surface& target, int x, int y) {
  if (sprite.depth == -2 || sprite.surface.Empty() || target.Empty()) return std::nullopt;
  if (sprite.surface.Depth() != target.Depth()) return std::nullopt;
  const int w = std::min(sprite.width, sprite.surface.Width());
  const int h = std::min(sprite.height, sprite.surface.Height());
  return Clip(x, y, w, h, target.Width(), target.Height());
}

const std::uint8_t* SpriteBytes(const Surface& sprite, const ClippedRect& r, int row) {
  return sprite.Row(r.spriteY + row) + static_cast<std::size_t>(r.spriteX) * sprite.BytesPerPixel();
}
std::uint8_t* TargetBytes(Surface& target, const ClippedRect& r, int row) {
  return target.Row(r.targetY + row) + static_cast<std::size_t>(r.targetX) * target.BytesPerPixel();
}
template <typename Pixel>
const Pixel* SpriteRow(const Surface& sprite, const ClippedRect& r, int row) {
  return reinterpret_cast<const Pixel*>(SpriteBytes(sprite, r, row));
}
template <typename Pixel>
Pixel* TargetRow(Surface& target, const ClippedRect& r, int row) {
  return reinterpret_cast<Pixel*>(TargetBytes(target, r, row));
}

// ---- Opaque runs ----

// A pixel of bpp bytes is transparent when all its bytes are 0 (the value of the colour key).
bool PixelIsOpaque(const std::uint8_t* pixel, int bytesPerPixel) {
  for (int i = 0; i < bytesPerPixel; ++i) {
    if (pixel[i] != 0) return true;
  }
  return false;
}

void AppendRowRuns(const std::uint8_t* row, int width, int bytesPerPixel, std::vector<OpaqueRun>& runs) {
  int x = 0;
  while (x < width) {
    while (x < width && !PixelIsOpaque(row + x * bytesPerPixel, bytesPerPixel)) ++x;
    const int start = x;
    while (x < width && PixelIsOpaque(row + x * bytesPerPixel, bytesPerPixel)) ++x;
    if (x > start) runs.push_back({start, x});
  }
}

// Walking runs costs a little per run plus the copy; scanning costs every pixel in vector steps. Only
// 16- and 32-bit pixels have a vector scan.
bool RunsAreCheaper(const OpaqueRuns& built, const Surface& surface) {
  if (surface.Depth() != 16 && surface.Depth() != 32) return true;
  const std::int64_t lanes = 16 / surface.BytesPerPixel();
  std::int64_t opaque = 0;
  for (const OpaqueRun& run : built.runs) opaque += run.end - run.start;
  const std::int64_t runCost = 4 * static_cast<std::int64_t>(built.runs.size()) + opaque / lanes;
  const std::int64_t scanCost =
      static_cast<std::int64_t>(surface.Height()) * ((surface.Width() + lanes - 1) / lanes);
  return runCost < scanCost;
}

void BuildRuns(const Surface& surface, OpaqueRuns& built) {
  built.rowFirstRun.clear();
  built.runs.clear();
  for (int y = 0; y < surface.Height(); ++y) {
    built.rowFirstRun.push_back(static_cast<std::int32_t>(built.runs.size()));
    AppendRowRuns(surface.Row(y), surface.Width(), surface.BytesPerPixel(), built.runs);
  }
  built.rowFirstRun.push_back(static_cast<std::int32_t>(built.runs.size()));
  built.preferRuns = RunsAreCheaper(built, surface);
}

const OpaqueRuns& RunsOf(Sprite& sprite) {
  SpritePixelCache& cache = PixelCacheOf(sprite);
  if (!cache.runsBuilt) {
    BuildRuns(sprite.surface, cache.runs);
    cache.runsBuilt = true;
  }
  return cache.runs;
}

// ---- Colour-keyed copies ----

void CopyRect(const Surface& sprite, Surface& target, const ClippedRect& r) {
  const std::size_t rowBytes = static_cast<std::size_t>(r.width) * target.BytesPerPixel();
  for (int row = 0; row < r.height; ++row) {
    std::memcpy(TargetBytes(target, r, row), SpriteBytes(sprite, r, row), rowBytes);
  }
}

void CopyRunsOfRow(const std::uint8_t* spriteRow, std::uint8_t* targetRow, const OpaqueRun* first,
                   const OpaqueRun* last, int spriteX, int width, int bytesPerPixel) {
  const int clipEnd = spriteX + width;
  for (const OpaqueRun* run = first; run != last; ++run) {
    const int start = std::max(run->start, spriteX);
    const int end = std::min(run->end, clipEnd);
    if (start >= end) continue;
    const std::size_t offset = static_cast<std::size_t>(start) * bytesPerPixel;
    std::memcpy(targetRow + offset - static_cast<std::size_t>(spriteX) * bytesPerPixel, spriteRow + offset,
                static_cast<std::size_t>(end - start) * bytesPerPixel);
  }
}

void CopyRuns(const Surface& sprite, const OpaqueRuns& runs, Surface& target, const ClippedRect& r) {
  const int bytesPerPixel = target.BytesPerPixel();
  for (int row = 0; row < r.height; ++row) {
    const int y = r.spriteY + row;
    const OpaqueRun* first = runs.runs.data() + runs.rowFirstRun[y];
    const OpaqueRun* last = runs.runs.data() + runs.rowFirstRun[y + 1];
    if (first == last) continue;
    CopyRunsOfRow(sprite.Row(y), TargetBytes(target, r, row), first, last, r.spriteX, r.width, bytesPerPixel);
  }
}

// One row of a keyed copy: each target pixel becomes the sprite pixel unless that is 0. The last
// vector step may overlap the one before; repeating the copy on a pixel gives the same result.
template <typename Pixel>
void KeyedRowScalar(const Pixel* source, Pixel* target, int count) {
  for (int i = 0; i < count; ++i) target[i] = source[i] != 0 ? source[i] : target[i];
}

#if defined(__SSE2__)
template <typename Pixel>
void KeyedVector(const Pixel* source, Pixel* target) {
  const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
  const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(target));
  const __m128i zero = _mm_setzero_si128();
  const __m128i keep = sizeof(Pixel) == 4 ? _mm_cmpeq_epi32(s, zero) : _mm_cmpeq_epi16(s, zero);
  // Where the sprite pixel is 0 the OR adds nothing to the kept target pixel.
  _mm_storeu_si128(reinterpret_cast<__m128i*>(target), _mm_or_si128(_mm_and_si128(keep, d), s));
}

template <typename Pixel>
void KeyedRow(const Pixel* source, Pixel* target, int count) {
  constexpr int kLanes = 16 / sizeof(Pixel);
  if (count < kLanes) return KeyedRowScalar(source, target, count);
  int i = 0;
  for (; i + kLanes <= count; i += kLanes) KeyedVector(source + i, target + i);
  if (i < count) KeyedVector(source + count - kLanes, target + count - kLanes);
}
#else
template <typename Pixel>
void KeyedRow(const Pixel* source, Pixel* target, int count) {
  KeyedRowScalar(source, target, count);
}
#endif

template <typename Pixel>
void KeyedRect(const Surface& sprite, Surface& target, const ClippedRect& r) {
  for (int row = 0; row < r.height; ++row) {
    KeyedRow(SpriteRow<Pixel>(sprite, r, row), TargetRow<Pixel>(target, r, row), r.width);
  }
}

// ---- Translucent mixes ----

struct BlendWeights {
  bool evenMix;
  const std::int32_t* sprite;  // BlendTable row for the sprite's weight a
  const std::int32_t* target;  // and for the target's weight 256 - a
};

BlendWeights WeightsFor(int intensity) {
  const int a = std::clamp(intensity, 1, 255);
  const BlendTable& table = ComputeBlendTable();
  return {intensity == kEvenMix, table.Row(a), table.Row(256 - a)};
}

std::uint32_t Channel32(const BlendWeights& w, std::uint32_t s, std::uint32_t d, int shift) {
  const std::int32_t sum = w.sprite[(s >> shift) & 0xFF] + w.target[(d >> shift) & 0xFF];
  return static_cast<std::uint32_t>(std::min(sum, 255)) << shift;
}

std::uint32_t Blend32(const BlendWeights& w, std::uint32_t s, std::uint32_t d) {
  if (w.evenMix) return ((s >> 1) & 0x7F7F7F) + ((d >> 1) & 0x7F7F7F);
  return Channel32(w, s, d, 0) | Channel32(w, s, d, 8) | Channel32(w, s, d, 16);
}

// A 5-6-5 field is widened to 7 bits (x4 or x2) for the table and narrowed back; a sum above 255,
// which this table never reaches, would give the field's maximum.
std::uint32_t Channel16(const BlendWeights& w, std::uint32_t s, std::uint32_t d, int shift, int bits) {
  const std::uint32_t fieldMax = (1u << bits) - 1;
  const int widen = 7 - bits;
  const std::int32_t sum =
      w.sprite[((s >> shift) & fieldMax) << widen] + w.target[((d >> shift) & fieldMax) << widen];
  const std::uint32_t field = sum > 255 ? fieldMax : static_cast<std::uint32_t>(sum) >> widen;
  return field << shift;
}

std::uint16_t Blend16(const BlendWeights& w, std::uint32_t s, std::uint32_t d) {
  if (w.evenMix) return static_cast<std::uint16_t>(((s >> 1) & 0x7BEF) + ((d >> 1) & 0x7BEF));
  return static_cast<std::uint16_t>(Channel16(w, s, d, 0, 5) | Channel16(w, s, d, 5, 6) |
                                    Channel16(w, s, d, 11, 5));
}

template <typename Pixel, Pixel (*Blend)(const BlendWeights&, std::uint32_t, std::uint32_t)>
void BlendRect(const Surface& sprite, Surface& target, const ClippedRect& r, const BlendWeights& weights) {
  for (int row = 0; row < r.height; ++row) {
    const Pixel* source = SpriteRow<Pixel>(sprite, r, row);
    Pixel* destination = TargetRow<Pixel>(target, r, row);
    for (int i = 0; i < r.width; ++i) {
      if (source[i] != 0) destination[i] = Blend(weights, source[i], destination[i]);
    }
  }
}

}  // namespace

BlendTable::BlendTable() {
  for (int k = 0; k < 256; ++k) {
    const std::int32_t divisor = 65280 / (k + 1);
    for (int v = 0; v < 256; ++v) entries_[k][v] = (256 * v) / divisor;
  }
}

const BlendTable& ComputeBlendTable() {
  static const BlendTable table;
  return table;
}

SpritePixelCache& PixelCacheOf(Sprite& sprite) {
  auto* cache = static_cast<SpritePixelCache*>(sprite.blitCache.get());
  const Surface& surface = sprite.surface;
  if (!cache || cache->pixels != surface.Pixels() || sprite.blitCacheGeneration != surface.Generation()) {
    // A fresh object rather than a reset one: a copied record may share the old cache.
    auto fresh = std::make_shared<SpritePixelCache>();
    fresh->pixels = surface.Pixels();
    cache = fresh.get();
    sprite.blitCache = std::move(fresh);
    sprite.blitCacheGeneration = surface.Generation();
  }
  return *cache;
}

void BlitSprite(Sprite& sprite, Surface& target, int x, int y) {
  const std::optional<ClippedRect> r = ClipSprite(sprite, target, x, y);
  if (!r) return;
  const Surface& pixels = sprite.surface;
  if (!sprite.colorKeyed) return CopyRect(pixels, target, *r);
  const OpaqueRuns& runs = RunsOf(sprite);
  if (runs.preferRuns) return CopyRuns(pixels, runs, target, *r);
  if (target.Depth() == 32) return KeyedRect<std::uint32_t>(pixels, target, *r);
  KeyedRect<std::uint16_t>(pixels, target, *r);
}

void BlendSprite(Sprite& sprite, Surface& target, int x, int y, int intensity) {
  const std::optional<ClippedRect> r = ClipSprite(sprite, target, x, y);
  if (!r) return;
  const BlendWeights weights = WeightsFor(intensity);
  if (target.Depth() == 32) return BlendRect<std::uint32_t, Blend32>(sprite.surface, target, *r, weights);
  if (target.Depth() == 16) BlendRect<std::uint16_t, Blend16>(sprite.surface, target, *r, weights);
}

void DrawSprite(ObjectNumber number, int x, int y) {
  Sprite* sprite = FindSprite(number);
  Surface* target = BlitTarget();
  if (!sprite || !target || FullScreenInactive()) return;
  BlitSprite(*sprite, *target, x, y);
}

void DrawSpriteTranslucent(ObjectNumber number, int x, int y, int intensity) {
  Sprite* sprite = FindSprite(number);
  Surface* target = BlitTarget();
  // An inactive full-screen display has no surfaces to lock.
  if (!sprite || !target || FullScreenInactive()) return;
  BlendSprite(*sprite, *target, x, y, intensity);
}

}  // namespace rt
