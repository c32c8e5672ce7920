#include "runtime/display/pixel_format.h"

#include "runtime/display/screen.h"

namespace rt {

// Components arrive as 0..255; unsigned arithmetic keeps stray values from shifting into UB.
std::uint32_t PackPixel(int depth, int format, int red, int green, int blue) {
  const auto r = static_cast<std::uint32_t>(red);
  const auto g = static_cast<std::uint32_t>(green);
  const auto b = static_cast<std::uint32_t>(blue);
  switch (depth) {
    case 15:
      return (b >> 3) + ((g >> 3) << 5) + ((r >> 3) << 10);
    case 16:
      // Every 16-bit screen gets the 5-6-5 layout; the 5-5-5 case never occurs on our backends.
      return (b >> 3) + ((g >> 2) << 5) + ((r >> 3) << 11);
    case 24:
    case 32:
      if (format == PixelFormat24RedLow || format == PixelFormat32RedLow) return r + (g << 8) + (b << 16);
      return b + (g << 8) + (r << 16);
    default:
      return 0;
  }
}

std::uint32_t PackColor(int depth, int format, std::uint32_t color) {
  return PackPixel(depth, format, static_cast<int>(color & 0xFF), static_cast<int>(color >> 8 & 0xFF),
                   static_cast<int>(color >> 16 & 0xFF));
}

std::uint32_t ColorToPixel(int red, int green, int blue) {
  return PackPixel(ScreenDepth(), ScreenPixelFormat(), red, green, blue);
}

std::uint32_t ColorToPixelAtDepth(int depth, int red, int green, int blue) {
  // Without a screen the 24- and 32-bit layouts are the usual red-high ones.
  return PackPixel(depth, PixelFormat32RedHigh, red, green, blue);
}

}  // namespace rt
