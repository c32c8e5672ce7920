#include "runtime/sprites/drawing.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "runtime/core/runtime_state.h"
#include "runtime/display/pixel_format.h"
#include "runtime/display/screen.h"
#include "runtime/display/surface.h"
#include "runtime/sprites/font.h"

namespace rt {

namespace {

struct DrawingState : LibraryState {
  DrawingTarget* target = nullptr;  // nullptr: no drawing in progress
  int mode = 0;
};

DrawingState& State() {
  return PartOf<DrawingState>(Runtime().drawing);
}

// What a box or line does to the pixels it covers.
struct Paint {
  bool invert = false;
  std::uint32_t pixel = 0;
};

Surface* DrawableSurface(const DrawingTarget& target) {
  Surface* surface = target.surface;
  if (!surface || surface->Empty()) return nullptr;
  const int depth = surface->Depth();
  return depth == 8 || depth == 16 || depth == 24 || depth == 32 ? surface : nullptr;
}

// The surface to draw on, read afresh each time: its owner may have dropped it (a sprite freed, a
// screen closed) while the drawing was still open.
// Where shapes and text go: none while pixel writes are skipped, when they only report their sizes.
Surface* Canvas() {
  return State().target && !PixelWritesSkipped() ? DrawableSurface(*State().target) : nullptr;
}

// Boxes, lines and text store the colour in the surface's own layout; at 8 bits it is a palette index.
std::uint32_t ShapePixel(const Surface& surface, std::uint32_t color) {
  if (surface.Depth() == 8) return color & 0xFF;
  return PackColor(surface.Depth(), State().target->pixelFormat, color);
}

// Points write memory directly: 0x00RRGGBB at 32 bits whatever the pixel format.
std::uint32_t PointPixel(const Surface& surface, std::uint32_t color) {
  if (surface.Depth() == 32) return PackColor(32, PixelFormat32RedHigh, color);
  return ShapePixel(surface, color);
}

Paint ShapePaint(const Surface& surface, std::uint32_t color) {
  return Paint{(State().mode & DrawingModeInvert) != 0, ShapePixel(surface, color)};
}

// std::fill stores one pixel at a time at -O2; the status bar's box is worth four at a time.
void FillPixels(std::uint32_t* out, std::size_t count, std::uint32_t pixel) {
  using FourPixels = std::uint32_t __attribute__((vector_size(16)));
  const FourPixels four = {pixel, pixel, pixel, pixel};
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) std::memcpy(out + i, &four, sizeof four);
  for (; i < count; ++i) out[i] = pixel;
}

// Spans are clipped by the caller: 0 <= x0 <= x1 <= width, 0 <= y < height.
void FillSpan(Surface& surface, int y, int x0, int x1, std::uint32_t pixel) {
  switch (surface.BytesPerPixel()) {
    case 4:
      FillPixels(surface.RowAs<std::uint32_t>(y) + x0, static_cast<std::size_t>(x1 - x0), pixel);
      break;
    case 2:
      std::fill(surface.RowAs<std::uint16_t>(y) + x0, surface.RowAs<std::uint16_t>(y) + x1,
                static_cast<std::uint16_t>(pixel));
      break;
    case 1:
      std::memset(surface.Row(y) + x0, static_cast<int>(pixel & 0xFF), static_cast<std::size_t>(x1 - x0));
      break;
    default: {
      std::uint8_t* const end = surface.Row(y) + 3 * x1;
      for (std::uint8_t* p = surface.Row(y) + 3 * x0; p < end; p += 3) {
        p[0] = static_cast<std::uint8_t>(pixel);
        p[1] = static_cast<std::uint8_t>(pixel >> 8);
        p[2] = static_cast<std::uint8_t>(pixel >> 16);
      }
    }
  }
}

void InvertSpan(Surface& surface, int y, int x0, int x1) {
  if (surface.BytesPerPixel() == 4) {
    // Only the colour bits flip: the unused top byte of a 32-bit pixel stays 0.
    std::uint32_t* const row = surface.RowAs<std::uint32_t>(y);
    for (int x = x0; x < x1; ++x) row[x] ^= 0x00FFFFFF;
    return;
  }
  const int bytes = surface.BytesPerPixel();
  std::uint8_t* const row = surface.Row(y);
  for (int i = x0 * bytes; i < x1 * bytes; ++i) row[i] = static_cast<std::uint8_t>(~row[i]);
}

void PaintSpan(Surface& surface, int y, int x0, int x1, const Paint& paint) {
  if (paint.invert) {
    InvertSpan(surface, y, x0, x1);
  } else {
    FillSpan(surface, y, x0, x1, paint.pixel);
  }
}

// Columns left..right-1 of rows top..bottom-1, clipped to the surface. 64-bit corners: x + width
// must not overflow.
void PaintRect(Surface& surface, std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
               const Paint& paint) {
  const int x0 = static_cast<int>(std::max<std::int64_t>(left, 0));
  const int x1 = static_cast<int>(std::min<std::int64_t>(right, surface.Width()));
  const int y0 = static_cast<int>(std::max<std::int64_t>(top, 0));
  const int y1 = static_cast<int>(std::min<std::int64_t>(bottom, surface.Height()));
  if (x0 >= x1) return;
  for (int y = y0; y < y1; ++y) PaintSpan(surface, y, x0, x1, paint);
}

// The border of a box, each pixel once so that inverting outlines stays exact.
void PaintOutline(Surface& surface, std::int64_t left, std::int64_t top, std::int64_t right,
                  std::int64_t bottom, const Paint& paint) {
  PaintRect(surface, left, top, right, top + 1, paint);
  if (bottom - top > 1) PaintRect(surface, left, bottom - 1, right, bottom, paint);
  PaintRect(surface, left, top + 1, left + 1, bottom - 1, paint);
  if (right - left > 1) PaintRect(surface, right - 1, top + 1, right, bottom - 1, paint);
}

// One axis of a sloped line: `major` steps from `start` in direction `step`; its other coordinate
// moves `minor` pixels over the same steps, rounded to the nearest pixel.
struct LineAxis {
  std::int64_t start;
  int step;
  int limit;  // the surface's size along the axis
};

// The first and the past-the-end step whose coordinate on `axis` lies inside the surface.
void StepsInside(const LineAxis& axis, std::int64_t steps, std::int64_t& first, std::int64_t& end) {
  if (axis.step > 0) {
    first = -axis.start;
    end = axis.limit - axis.start;
  } else {
    first = axis.start - axis.limit + 1;
    end = axis.start + 1;
  }
  first = std::max<std::int64_t>(first, 0);
  end = std::min(end, steps);
}

void PaintSlopedLine(Surface& surface, int x, int y, int width, int height, const Paint& paint) {
  const std::uint64_t absWidth = static_cast<std::uint64_t>(std::llabs(width));
  const std::uint64_t absHeight = static_cast<std::uint64_t>(std::llabs(height));
  const bool alongX = absWidth >= absHeight;
  const LineAxis xAxis{x, width < 0 ? -1 : 1, surface.Width()};
  const LineAxis yAxis{y, height < 0 ? -1 : 1, surface.Height()};
  const LineAxis& majorAxis = alongX ? xAxis : yAxis;
  const LineAxis& minorAxis = alongX ? yAxis : xAxis;
  const std::uint64_t major = alongX ? absWidth : absHeight;
  const std::uint64_t minor = alongX ? absHeight : absWidth;

  std::int64_t first = 0, end = 0;
  StepsInside(majorAxis, static_cast<std::int64_t>(major), first, end);
  if (first >= end) return;
  // Offset along the minor axis at step i: floor((2 i minor + major) / (2 major)), kept as a quotient
  // and a remainder so that clipped steps cost nothing.
  const std::uint64_t denominator = 2 * major;
  const std::uint64_t numerator = 2 * static_cast<std::uint64_t>(first) * minor + major;
  std::int64_t offset = static_cast<std::int64_t>(numerator / denominator);
  std::uint64_t remainder = numerator % denominator;
  for (std::int64_t i = first; i < end; ++i) {
    const std::int64_t majorAt = majorAxis.start + i * majorAxis.step;
    const std::int64_t minorAt = minorAxis.start + offset * minorAxis.step;
    if (minorAt >= 0 && minorAt < minorAxis.limit) {
      const int px = static_cast<int>(alongX ? majorAt : minorAt);
      const int py = static_cast<int>(alongX ? minorAt : majorAt);
      PaintSpan(surface, py, px, px + 1, paint);
    }
    remainder += 2 * minor;
    if (remainder >= denominator) {
      remainder -= denominator;
      ++offset;
    }
  }
}

// Bits first..end-1 set (end at most 32).
std::uint32_t BitRange(int first, int end) {
  return static_cast<std::uint32_t>(((std::uint64_t{1} << end) - 1) & ~((std::uint64_t{1} << first) - 1));
}

// The rows of one glyph cell at (cellX, y), clipped to the surface, as runs of set bits.
void DrawGlyph(Surface& surface, std::int64_t cellX, int y, const FontGlyph& glyph, std::uint32_t pixel) {
  const int columnFirst = static_cast<int>(std::max<std::int64_t>(0, -cellX));
  const int columnEnd = static_cast<int>(std::min<std::int64_t>(glyph.advance, surface.Width() - cellX));
  if (columnFirst >= columnEnd) return;
  const std::uint32_t visible = BitRange(columnFirst, columnEnd);
  const int rowFirst = static_cast<int>(std::clamp<std::int64_t>(-std::int64_t{y}, 0, FontHeight()));
  const int rowEnd =
      static_cast<int>(std::min<std::int64_t>(FontHeight(), std::int64_t{surface.Height()} - y));
  const int left = static_cast<int>(cellX);  // fits: some column of the cell is on the surface
  for (int row = rowFirst; row < rowEnd; ++row) {
    std::uint32_t bits = glyph.rows[row] & visible;
    while (bits) {
      const int runStart = std::countr_zero(bits);
      const int runLength = std::countr_one(bits >> runStart);
      FillSpan(surface, y + row, left + runStart, left + runStart + runLength, pixel);
      bits &= bits + (bits & (~bits + 1));  // clears the lowest run of ones
    }
  }
}

void DrawGlyphs(Surface& surface, int x, int y, const char* text, std::uint32_t pixel) {
  std::int64_t cellX = x;
  for (const char* c = text; *c && cellX < surface.Width(); ++c) {
    const FontGlyph glyph = GlyphOf(static_cast<unsigned char>(*c));
    if (cellX + glyph.advance > 0) DrawGlyph(surface, cellX, y, glyph, pixel);
    cellX += glyph.advance;
  }
}

int ClampToInt(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

}  // namespace

void InitDrawing() {
  Runtime().drawing.reset();
}

int BeginDrawing(DrawingTarget* target) {
  EndDrawing();
  if (!target) return 0;
  if (!DrawableSurface(*target)) {
    if (target->endDrawing) target->endDrawing();
    return 0;
  }
  State().target = target;
  State().mode = 0;
  return 1;
}

void EndDrawing() {
  DrawingTarget* target = State().target;
  if (!target) return;
  State().target = nullptr;
  State().mode = 0;
  if (target->endDrawing) target->endDrawing();
}

void DrawPoint(int x, int y, std::uint32_t color) {
  Surface* surface = Canvas();
  if (!surface || x < 0 || y < 0 || x >= surface->Width() || y >= surface->Height()) return;
  FillSpan(*surface, y, x, x + 1, PointPixel(*surface, color));
  surface->Touch();
}

void SetFrontColor(std::uint32_t) {}

int TextWidth(const char* text) {
  return State().target ? MeasureText(text) : 0;
}

int DrawTextAt(int x, int y, const char* text, std::uint32_t textColor, std::uint32_t backColor) {
  if (!State().target) return 0;
  const int width = MeasureText(text);
  Surface* surface = Canvas();
  if (surface && width > 0) {
    if (!(State().mode & DrawingModeTransparentText)) {
      const Paint back{false, ShapePixel(*surface, backColor)};
      PaintRect(*surface, x, y, std::int64_t{x} + width, std::int64_t{y} + FontHeight(), back);
    }
    DrawGlyphs(*surface, x, y, text, ShapePixel(*surface, textColor));
    surface->Touch();
  }
  return ClampToInt(std::int64_t{x} + width);
}

void DrawBox(int x, int y, int width, int height, std::uint32_t color) {
  Surface* surface = Canvas();
  if (!surface || width <= 0 || height <= 0) return;
  const std::int64_t right = std::int64_t{x} + width, bottom = std::int64_t{y} + height;
  if (width == 1 && height == 1) {
    PaintRect(*surface, x, y, right, bottom, Paint{false, ShapePixel(*surface, color)});
  } else if (State().mode & DrawingModeOutline) {
    PaintOutline(*surface, x, y, right, bottom, ShapePaint(*surface, color));
  } else {
    PaintRect(*surface, x, y, right, bottom, ShapePaint(*surface, color));
  }
  surface->Touch();
}

void DrawLine(int x, int y, int width, int height, std::uint32_t color) {
  Surface* surface = Canvas();
  if (!surface || (width == 0 && height == 0)) return;
  const Paint paint = ShapePaint(*surface, color);
  if (height == 0) {
    // The end point is excluded on whichever side it lies.
    const std::int64_t left = width > 0 ? std::int64_t{x} : std::int64_t{x} + width + 1;
    PaintRect(*surface, left, y, left + std::llabs(width), std::int64_t{y} + 1, paint);
  } else if (width == 0) {
    const std::int64_t top = height > 0 ? std::int64_t{y} : std::int64_t{y} + height + 1;
    PaintRect(*surface, x, top, std::int64_t{x} + 1, top + std::llabs(height), paint);
  } else {
    PaintSlopedLine(*surface, x, y, width, height, paint);
  }
  surface->Touch();
}

void SetDrawingMode(int mode) {
  if (State().target) State().mode = mode;
}

}  // namespace rt
