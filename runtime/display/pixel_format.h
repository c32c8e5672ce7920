// Screen pixel layouts and the conversion of a red, green, blue triple to a pixel of the open screen.
#pragma once

#include <cstdint>

namespace rt {

// ScreenPixelFormat codes.
enum PixelFormatCode : int {
  PixelFormatPalette = 1,    // 8 bits or unknown
  PixelFormat555 = 2,        // 16 bits
  PixelFormat565 = 3,        // 16 bits
  PixelFormat24RedLow = 4,   // 24 bits, red in the low byte
  PixelFormat24RedHigh = 5,  // 24 bits, red in the high byte
  PixelFormat32RedLow = 6,   // 32 bits, red in the low byte
  PixelFormat32RedHigh = 7,  // 32 bits, 0x00RRGGBB
};

// The one packing of a red, green, blue triple (components 0..255) into a pixel: 8 bits take no
// colour (0), 15 bits are 5-5-5, 16 bits 5-6-5, and 24 and 32 bits put red in the low or the high
// byte as the pixel format code says.
std::uint32_t PackPixel(int depth, int pixelFormat, int red, int green, int blue);
// The same from a 0x00BBGGRR colour value.
std::uint32_t PackColor(int depth, int pixelFormat, std::uint32_t color);

// The pixel value for the open screen's depth (components 0..255).
std::uint32_t ColorToPixel(int red, int green, int blue);
// The same for a given depth, without a screen.
std::uint32_t ColorToPixelAtDepth(int depth, int red, int green, int blue);

}  // namespace rt
