// Pictures as plain RGB grids, and the renderer that paints them from layered shapes. Each pixel is
// sampled on a fine grid: the samples a shape covers give the pixel its averaged colour (soft shading
// inside a picture), while a pixel is part of the shape only when enough of it is covered, so edges
// stay hard against the transparent background instead of fading into near-black.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace assetgen {

struct Color {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Color&, const Color&) = default;
};

inline constexpr Color kBlack{0, 0, 0};

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<Color> pixels;  // row-major, top row first

  Picture() = default;
  Picture(int w, int h, Color fill) : width(w), height(h), pixels(static_cast<std::size_t>(w * h), fill) {}
  Color& At(int x, int y) { return pixels[static_cast<std::size_t>(y * width + x)]; }
  const Color& At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// A colour while it is being computed: components 0..255, unclamped.
struct Shade {
  float r = 0, g = 0, b = 0;
};

Shade operator+(Shade a, Shade b);
Shade operator*(Shade a, float k);
Shade Mix(Shade a, Shade b, float t);  // t = 0 gives a, 1 gives b

// Every shape pixel stays at least this bright in its brightest component, so no shape pixel can
// collapse to the transparent colour when sprites are converted to 16-bit pixels.
inline constexpr int kMinShapeLevel = 40;

// Clamps to 0..255 and lifts a colour that is too dark to kMinShapeLevel, keeping its hue.
Color ToVisibleColor(Shade shade);

// One shape of a picture: where it is (coordinates in pixels, pixel centres at +0.5) and its colour
// at a point.
struct Layer {
  std::function<bool(float x, float y)> inside;
  std::function<Shade(float x, float y)> paint;
};

struct RenderOptions {
  int samplesPerAxis = 6;
  float minCoverage = 0.5f;  // share of a pixel's samples that must be covered for it to be opaque
};

// A layer from hand-placed pixels: '#' cells of `rows` (top row first) placed at (left, top).
Layer PixelArt(const std::vector<std::string>& rows, int left, int top,
               std::function<Shade(float, float)> paint);

// Paints the layers, later ones on top, over `background`.
Picture Render(int width, int height, const std::vector<Layer>& layers, Color background,
               RenderOptions options = {});

}  // namespace assetgen
