// PNG files through libpng, for the tools and the tests: every colour type and bit depth the format
// allows, interlaced or not, with a palette's transparency and the sRGB mark when asked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace writers {

using Bytes = std::vector<std::uint8_t>;

enum class PngColour { Palette, Grey, GreyAlpha, Rgb, Rgba };

// What the file says of its colours: nothing, the sRGB chunk, or the sRGB chunk with the gAMA and
// cHRM chunks that readers without sRGB take instead.
enum class PngColourSpace { Unmarked, Srgb, SrgbWithFallbacks };

struct PngImage {
  int width = 0;
  int height = 0;
  PngColour colour = PngColour::Rgb;
  int bitDepth = 8;
  bool interlaced = false;
  PngColourSpace colourSpace = PngColourSpace::Unmarked;
  std::vector<std::uint32_t> palette;      // 0x00RRGGBB entries for PngColour::Palette
  std::vector<std::uint8_t> paletteAlpha;  // tRNS entries, if any
  // Top row first, one per channel (grey; grey, alpha; red, green, blue; red, green, blue, alpha), or
  // one palette index per pixel; each within the bit depth.
  std::vector<std::uint16_t> samples;
};

int PngChannels(PngColour colour);

// The file's bytes; empty when libpng refuses the image (a bit depth its colour type does not have).
Bytes EncodePng(const PngImage& image);
// False when the image is refused or the file cannot be written.
bool WritePngFile(const std::string& path, const PngImage& image);

}  // namespace writers
