// Image files made byte by byte (BMP) or by the PNG writer the tools use, for the loader's tests.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/writers/png_writer.h"

namespace rt::test {

using Bytes = std::vector<std::uint8_t>;

// A BMP pixel for the builder: a palette index (1, 4, 8 bits), a 5-5-5 value (16 bits) or 0xAARRGGBB
// (24 and 32 bits; alpha is stored for 32 bits only).
struct BmpImage {
  int width = 0;
  int height = 0;  // stored as given; rows are written bottom row first
  int bitsPerPixel = 24;
  std::uint32_t compression = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB per entry
  std::vector<std::uint32_t> pixels;   // width x |height|, top row first
  Bytes rle;                           // replaces the packed rows when not empty
};

BmpImage Bmp(int width, int height, int bitsPerPixel, std::vector<std::uint32_t> pixels = {},
             std::vector<std::uint32_t> palette = {});
Bytes MakeBmp(const BmpImage& image);

using writers::PngColour;
using writers::PngImage;

PngImage Png(int width, int height, PngColour colour, int bitDepth, std::vector<std::uint16_t> samples = {});
// Throws when libpng refuses the image: a test asked for a PNG that cannot be.
Bytes MakePng(const PngImage& image);

}  // namespace rt::test
