// Reduces a picture to 256 palette entries for the 8-bit formats. The background keeps index 0 and
// its exact colour; the other colours are shared out among the remaining 255 entries by median cut,
// so no shape pixel can ever be mapped onto the background colour.
#pragma once

#include <cstdint>
#include <vector>

#include "raster.h"

namespace assetgen {

inline constexpr int kPaletteSize = 256;

struct IndexedPicture {
  int width = 0;
  int height = 0;
  std::vector<Color> palette;         // always kPaletteSize entries; unused ones are black
  std::vector<std::uint8_t> indices;  // row-major, top row first
};

IndexedPicture Quantize(const Picture& picture, Color background);

}  // namespace assetgen
