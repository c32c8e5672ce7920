#include "runtime/sprites/font.h"

#include <climits>
#include <cstdint>

namespace rt {

namespace {

#include "runtime/sprites/font_glyphs.inc"

constexpr unsigned char kFirstPrintable = ' ';
constexpr unsigned char kLastPrintable = '~';
static_assert(sizeof kGlyphTable / sizeof kGlyphTable[0] == 1 + kLastPrintable - kFirstPrintable + 1);

const GlyphCell& CellOf(unsigned char character) {
  if (character < kFirstPrintable || character > kLastPrintable) return kGlyphTable[0];
  return kGlyphTable[1 + character - kFirstPrintable];
}

}  // namespace

int FontHeight() {
  return kGlyphHeight;
}

FontGlyph GlyphOf(unsigned char character) {
  const GlyphCell& cell = CellOf(character);
  return FontGlyph{cell.advance, cell.rows};
}

int MeasureText(const char* text) {
  if (!text) return 0;
  long long width = 0;
  for (const char* c = text; *c && width < INT_MAX; ++c)
    width += CellOf(static_cast<unsigned char>(*c)).advance;
  return width < INT_MAX ? static_cast<int>(width) : INT_MAX;
}

}  // namespace rt
