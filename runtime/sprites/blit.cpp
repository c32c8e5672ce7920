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

// ---- Opaque runs ----

// A pixel of bpp bytes is transparent when all its bytes are 0 (the value of the colour key).
bool PixelIsOpaque(const std::uint8_t* pixel, int bytesPerPixel) {
  for (int i = 0; i < bytesPerPixel; ++i) {
    if (pixel[i] != 0) return true;
  }
  return false;
}

void AppendRowRuns(const std::uint8_t* row, int y, int width, int bytesPerPixel,
                   std::vector<OpaqueRun>& runs) {
  int x = 0;
  while (x < width) {
    while (x < width && !PixelIsOpaque(row + x * bytesPerPixel, bytesPerPixel)) ++x;
    const int start = x;
    while (x < width && PixelIsOpaque(row + x * bytesPerPixel, bytesPerPixel)) ++x;
    if (x > start) runs.push_back({y, start, x});
  }
}

// Walking runs costs a little per run plus the copy, and never reads the target; scanning reads and
// writes every pixel in vector steps, so it pays only for many short runs. Only 16- and 32-bit pixels
// have a vector scan.
bool RunsAreCheaper(const OpaqueRuns& built, const Surface& surface) {
  if (surface.Depth() != 16 && surface.Depth() != 32) return true;
  const std::int64_t lanes = 16 / surface.BytesPerPixel();
  std::int64_t opaque = 0;
  for (const OpaqueRun& run : built.runs) opaque += run.end - run.start;
  const std::int64_t runCost = 2 * static_cast<std::int64_t>(built.runs.size()) + opaque / lanes;
  const std::int64_t scanCost =
      2 * static_cast<std::int64_t>(surface.Height()) * ((surface.Width() + lanes - 1) / lanes);
  return runCost < scanCost;
}

void BuildRuns(const Surface& surface, OpaqueRuns& built) {
  built.rowFirstRun.clear();
  built.runs.clear();
  for (int y = 0; y < surface.Height(); ++y) {
    built.rowFirstRun.push_back(static_cast<std::int32_t>(built.runs.size()));
    AppendRowRuns(surface.Row(y), y, surface.Width(), surface.BytesPerPixel(), built.runs);
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

// Runs are short: copied inline in a few moves that may overlap, rather than through a call.
template <std::size_t kChunk>
void CopyChunk(std::uint8_t* target, const std::uint8_t* source) {
  std::memcpy(target, source, kChunk);
}

void CopyPixels(std::uint8_t* target, const std::uint8_t* source, std::size_t bytes) {
  if (bytes >= 16) {
    for (std::size_t i = 0; i + 16 < bytes; i += 16) CopyChunk<16>(target + i, source + i);
    CopyChunk<16>(target + bytes - 16, source + bytes - 16);
  } else if (bytes >= 8) {
    CopyChunk<8>(target, source);
    CopyChunk<8>(target + bytes - 8, source + bytes - 8);
  } else if (bytes >= 4) {
    CopyChunk<4>(target, source);
    CopyChunk<4>(target + bytes - 4, source + bytes - 4);
  } else {
    for (std::size_t i = 0; i < bytes; ++i) target[i] = source[i];
  }
}

void CopyRuns(const Surface& sprite, const OpaqueRuns& runs, Surface& target, const ClippedRect& r) {
  const int bytesPerPixel = target.BytesPerPixel();
  const int clipEnd = r.spriteX + r.width;
  const OpaqueRun* last = runs.runs.data() + runs.rowFirstRun[r.spriteY + r.height];
  for (const OpaqueRun* run = runs.runs.data() + runs.rowFirstRun[r.spriteY]; run != last; ++run) {
    const int start = std::max(run->start, r.spriteX);
    const int end = std::min(run->end, clipEnd);
    if (start >= end) continue;
    std::uint8_t* to = target.Row(r.targetY + run->y - r.spriteY) +
                       static_cast<std::size_t>(r.targetX + start - r.spriteX) * bytesPerPixel;
    CopyPixels(to, sprite.Row(run->y) + static_cast<std::size_t>(start) * bytesPerPixel,
               static_cast<std::size_t>(end - start) * bytesPerPixel);
  }
}

// ---- Row kernels ----

// A kernel maps one sprite pixel and the target pixel under it to the new target pixel; the vector
// form does the same for 16 bytes of pixels at once.
#if defined(__SSE2__)
__m128i Load(const void* pixels) {
  return _mm_loadu_si128(static_cast<const __m128i*>(pixels));
}
void Store(void* pixels, __m128i value) {
  _mm_storeu_si128(static_cast<__m128i*>(pixels), value);
}

// The last vector step may overlap the one before it. It is computed first, from the target as it
// was, and stored last: the overlapped pixels get the same value twice and no load waits on a store.
template <typename Pixel, typename Kernel>
void ApplyToRow(const Pixel* source, Pixel* target, int count, const Kernel& kernel) {
  constexpr int kLanes = 16 / sizeof(Pixel);
  if (count < kLanes) {
    for (int i = 0; i < count; ++i) target[i] = kernel.Pixel(source[i], target[i]);
    return;
  }
  const int last = count - kLanes;
  const __m128i tail = kernel.Vector(Load(source + last), Load(target + last));
  for (int i = 0; i < last; i += kLanes) Store(target + i, kernel.Vector(Load(source + i), Load(target + i)));
  Store(target + last, tail);
}

template <typename Pixel>
__m128i IsZero(__m128i pixels) {
  return sizeof(Pixel) == 4 ? _mm_cmpeq_epi32(pixels, _mm_setzero_si128())
                            : _mm_cmpeq_epi16(pixels, _mm_setzero_si128());
}
#else
template <typename Pixel, typename Kernel>
void ApplyToRow(const Pixel* source, Pixel* target, int count, const Kernel& kernel) {
  for (int i = 0; i < count; ++i) target[i] = kernel.Pixel(source[i], target[i]);
}
#endif

// Calls rowWork(sprite row, target row) for each row of the clipped rectangle.
template <typename Pixel, typename RowWork>
void ForEachRow(const Surface& sprite, Surface& target, const ClippedRect& r, const RowWork& rowWork) {
  const std::uint8_t* source = SpriteBytes(sprite, r, 0);
  std::uint8_t* destination = TargetBytes(target, r, 0);
  const std::ptrdiff_t sourcePitch = sprite.Pitch(), targetPitch = target.Pitch();
  for (int row = 0; row < r.height; ++row, source += sourcePitch, destination += targetPitch) {
    rowWork(reinterpret_cast<const Pixel*>(source), reinterpret_cast<Pixel*>(destination));
  }
}

template <typename Pixel, typename Kernel>
void ApplyToRect(const Surface& sprite, Surface& target, const ClippedRect& r, const Kernel& kernel) {
  ForEachRow<Pixel>(sprite, target, r, [&](const Pixel* source, Pixel* destination) {
    ApplyToRow(source, destination, r.width, kernel);
  });
}

// Colour key 0: every non-zero sprite pixel replaces the target pixel.
template <typename PixelType>
struct KeyedCopy {
  PixelType Pixel(PixelType s, PixelType d) const { return s != 0 ? s : d; }
#if defined(__SSE2__)
  // Where the sprite pixel is 0 the OR adds nothing to the kept target pixel.
  __m128i Vector(__m128i s, __m128i d) const {
    return _mm_or_si128(_mm_and_si128(IsZero<PixelType>(s), d), s);
  }
#endif
};

// ---- Translucent mixes ----

// 32-bit even mix: each channel halved with truncation, then added; the fourth byte ends up 0.
struct EvenMix32 {
  std::uint32_t Pixel(std::uint32_t s, std::uint32_t d) const {
    return s != 0 ? ((s >> 1) & 0x7F7F7F) + ((d >> 1) & 0x7F7F7F) : d;
  }
#if defined(__SSE2__)
  __m128i Vector(__m128i s, __m128i d) const {
    const __m128i halves = _mm_set1_epi32(0x7F7F7F);
    const __m128i mixed = _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(s, 1), halves),
                                        _mm_and_si128(_mm_srli_epi32(d, 1), halves));
    const __m128i keep = IsZero<std::uint32_t>(s);
    return _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, mixed));
  }
#endif
};

// 32-bit mix at an intensity: channel = entry(s, a) + entry(d, 256 - a), 255 when the sum exceeds it.
struct WeightedMix32 {
  const std::int32_t* spriteEntries = nullptr;
  const std::int32_t* targetEntries = nullptr;

  std::uint32_t Channel(std::uint32_t s, std::uint32_t d, int shift) const {
    const std::int32_t sum = spriteEntries[(s >> shift) & 0xFF] + targetEntries[(d >> shift) & 0xFF];
    return static_cast<std::uint32_t>(std::min(sum, 255)) << shift;
  }
  std::uint32_t Pixel(std::uint32_t s, std::uint32_t d) const {
    return s != 0 ? Channel(s, d, 0) | Channel(s, d, 8) | Channel(s, d, 16) : d;
  }

#if defined(__SSE2__)
  // The table columns as multiplies: each byte is widened to a 16-bit lane holding 256 v, scaled,
  // and the sums packed back with unsigned saturation, which is the clamp at 255.
  __m128i spriteMultiplier{}, targetMultiplier{}, spriteShift{}, targetShift{};

  __m128i Scaled(__m128i wideChannels, __m128i multiplier, __m128i shift) const {
    return _mm_srl_epi16(_mm_mulhi_epu16(wideChannels, multiplier), shift);
  }
  __m128i Sums(__m128i sWide, __m128i dWide) const {
    return _mm_add_epi16(Scaled(sWide, spriteMultiplier, spriteShift),
                         Scaled(dWide, targetMultiplier, targetShift));
  }
  __m128i Vector(__m128i s, __m128i d) const {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = Sums(_mm_unpacklo_epi8(zero, s), _mm_unpacklo_epi8(zero, d));
    const __m128i high = Sums(_mm_unpackhi_epi8(zero, s), _mm_unpackhi_epi8(zero, d));
    const __m128i mixed = _mm_and_si128(_mm_packus_epi16(low, high), _mm_set1_epi32(0xFFFFFF));
    const __m128i keep = IsZero<std::uint32_t>(s);
    return _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, mixed));
  }
#endif
};

WeightedMix32 MakeWeightedMix32(const BlendTable& table, int a) {
  WeightedMix32 mix;
  mix.spriteEntries = table.Row(a);
  mix.targetEntries = table.Row(256 - a);
#if defined(__SSE2__)
  const BlendTable::Scale sprite = table.ScaleOf(a), target = table.ScaleOf(256 - a);
  mix.spriteMultiplier = _mm_set1_epi16(static_cast<short>(sprite.multiplier));
  mix.targetMultiplier = _mm_set1_epi16(static_cast<short>(target.multiplier));
  mix.spriteShift = _mm_cvtsi32_si128(sprite.shift);
  mix.targetShift = _mm_cvtsi32_si128(target.shift);
#endif
  return mix;
}

// 16-bit mixes, always in the 5-6-5 layout.
struct EvenMix16 {
  std::uint16_t Pixel(std::uint16_t s, std::uint16_t d) const {
    return s != 0 ? static_cast<std::uint16_t>(((s >> 1) & 0x7BEF) + ((d >> 1) & 0x7BEF)) : d;
  }
};

// Each field is widened to 7 bits (x4, or x2 for green) for the table and narrowed back; a sum above
// 255, which this table never reaches, would give the field's maximum.
struct WeightedMix16 {
  const std::int32_t* spriteEntries;
  const std::int32_t* targetEntries;

  std::uint32_t Field(std::uint32_t s, std::uint32_t d, int shift, int bits) const {
    const std::uint32_t fieldMax = (1u << bits) - 1;
    const int widen = 7 - bits;
    const std::int32_t sum =
        spriteEntries[((s >> shift) & fieldMax) << widen] + targetEntries[((d >> shift) & fieldMax) << widen];
    const std::uint32_t field = sum > 255 ? fieldMax : static_cast<std::uint32_t>(sum) >> widen;
    return field << shift;
  }
  std::uint16_t Pixel(std::uint16_t s, std::uint16_t d) const {
    return s != 0 ? static_cast<std::uint16_t>(Field(s, d, 0, 5) | Field(s, d, 5, 6) | Field(s, d, 11, 5))
                  : d;
  }
};

template <typename Kernel>
void ApplyScalarToRect(const Surface& sprite, Surface& target, const ClippedRect& r, const Kernel& kernel) {
  ForEachRow<std::uint16_t>(sprite, target, r, [&](const std::uint16_t* source, std::uint16_t* destination) {
    for (int i = 0; i < r.width; ++i) destination[i] = kernel.Pixel(source[i], destination[i]);
  });
}

void Blend32(const Surface& sprite, Surface& target, const ClippedRect& r, int intensity) {
  if (intensity == kEvenMix) return ApplyToRect<std::uint32_t>(sprite, target, r, EvenMix32{});
  ApplyToRect<std::uint32_t>(sprite, target, r,
                             MakeWeightedMix32(ComputeBlendTable(), std::clamp(intensity, 1, 255)));
}

void Blend16(const Surface& sprite, Surface& target, const ClippedRect& r, int intensity) {
  if (intensity == kEvenMix) return ApplyScalarToRect(sprite, target, r, EvenMix16{});
  const BlendTable& table = ComputeBlendTable();
  const int a = std::clamp(intensity, 1, 255);
  ApplyScalarToRect(sprite, target, r, WeightedMix16{table.Row(a), table.Row(256 - a)});
}

// The multiplier and shift that reproduce a table column: each v >= 1 confines the multiplier to
// [entry 2^s / v, (entry + 1) 2^s / v) with s = 8 + shift; the smallest workable shift is taken.
BlendTable::Scale FindScale(const BlendTable& table, int k) {
  for (int shift = 0; shift <= 8; ++shift) {
    const std::int64_t unit = std::int64_t{1} << (8 + shift);
    std::int64_t low = 0, high = 0xFFFF;
    for (int v = 1; v < 256; ++v) {
      const std::int64_t entry = table.Entry(v, k);
      low = std::max(low, (entry * unit + v - 1) / v);
      high = std::min(high, ((entry + 1) * unit - 1) / v);
      if (low > high) break;
    }
    if (low <= high) return {static_cast<std::uint16_t>(low), shift};
  }
  return {};
}

}  // namespace

BlendTable::BlendTable() {
  for (int k = 0; k < 256; ++k) {
    const std::int32_t divisor = 65280 / (k + 1);
    for (int v = 0; v < 256; ++v) entries_[k][v] = (256 * v) / divisor;
    scales_[k] = FindScale(*this, k);
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
  if (target.Depth() == 32) return ApplyToRect<std::uint32_t>(pixels, target, *r, KeyedCopy<std::uint32_t>{});
  ApplyToRect<std::uint16_t>(pixels, target, *r, KeyedCopy<std::uint16_t>{});
}

void BlendSprite(Sprite& sprite, Surface& target, int x, int y, int intensity) {
  const std::optional<ClippedRect> r = ClipSprite(sprite, target, x, y);
  if (!r) return;
  if (target.Depth() == 32) return Blend32(sprite.surface, target, *r, intensity);
  if (target.Depth() == 16) Blend16(sprite.surface, target, *r, intensity);
}

void DrawSprite(ObjectNumber number, int x, int y) {
  Sprite* sprite = FindSprite(number);
  Surface* target = BlitTarget();
  if (!sprite || !target || FullScreenInactive() || PixelWritesSkipped()) return;
  BlitSprite(*sprite, *target, x, y);
}

void DrawSpriteTranslucent(ObjectNumber number, int x, int y, int intensity) {
  Sprite* sprite = FindSprite(number);
  Surface* target = BlitTarget();
  // An inactive full-screen display has no surfaces to lock.
  if (!sprite || !target || FullScreenInactive() || PixelWritesSkipped()) return;
  BlendSprite(*sprite, *target, x, y, intensity);
}

}  // namespace rt
