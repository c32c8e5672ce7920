// Turns a small piece of pixel art into a square application icon: black becomes transparent, the
// art is scaled by a whole factor with nearest-neighbour sampling (so its pixels stay crisp) and
// centred on a transparent canvas.
#pragma once

#include <cstdint>
#include <vector>

namespace iconmaker {

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 0;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Rgba> pixels;  // rows top to bottom

  Image() = default;
  Image(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}
  Rgba& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  const Rgba& At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Art larger than the icon is shrunk by keeping every n-th pixel; art that fits is enlarged by the
// largest whole factor that still fits.
struct Scale {
  int factor = 1;   // each art pixel becomes factor x factor icon pixels
  int divisor = 1;  // one art pixel of every divisor is kept, in each direction
};

Scale ChooseScale(int art_width, int art_height, int icon_size);

// Opaque black pixels become fully transparent; every other pixel is kept as it is.
Image BlackToTransparent(Image art);

// The icon_size x icon_size icon of the art, transparent around it.
Image MakeIcon(const Image& art, int icon_size);

}  // namespace iconmaker
