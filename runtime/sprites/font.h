// The program's one font: a bold proportional bitmap face about as high as a classic desktop system
// font, compiled in. Every character is a cell of its own advance, so text is a plain row of cells and
// measuring and drawing agree by construction.
#pragma once

#include <cstdint>

namespace rt {

struct FontGlyph {
  int advance = 0;                      // cell width in pixels
  const std::uint32_t* rows = nullptr;  // FontHeight() words from the top; bit 0 is the leftmost column
};

int FontHeight();
// Characters outside printable ASCII share one box-shaped cell.
FontGlyph GlyphOf(unsigned char character);
// The sum of the advances of the text's bytes, at most INT_MAX; 0 for a null or empty text.
int MeasureText(const char* text);

}  // namespace rt
