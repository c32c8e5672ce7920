#include "raster.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

Shade operator+(Shade a, Shade b) {
  return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Shade operator*(Shade a, float k) {
  return {a.r * k, a.g * k, a.b * k};
}
Shade Mix(Shade a, Shade b, float t) {
  return a * (1.0f - t) + b * t;
}

namespace {

std::uint8_t ClampLevel(float v) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// The colour of one sample: the topmost layer that covers it, if any.
bool SampleLayers(const std::vector<Layer>& layers, float x, float y, Shade& out) {
  for (auto layer = layers.rbegin(); layer != layers.rend(); ++layer) {
    if (layer->inside(x, y)) {
      out = layer->paint(x, y);
      return true;
    }
  }
  return false;
}

}  // namespace

Color ToVisibleColor(Shade shade) {
  const float brightest = std::max({shade.r, shade.g, shade.b});
  if (brightest < kMinShapeLevel) {
    const float lift = kMinShapeLevel - std::max(brightest, 0.0f);
    shade = shade + Shade{lift, lift, lift};
  }
  return {ClampLevel(shade.r), ClampLevel(shade.g), ClampLevel(shade.b)};
}

Layer PixelArt(const std::vector<std::string>& rows, int left, int top,
               std::function<Shade(float, float)> paint) {
  auto inside = [rows, left, top](float x, float y) {
    const int column = static_cast<int>(std::floor(x)) - left;
    const int row = static_cast<int>(std::floor(y)) - top;
    if (row < 0 || row >= static_cast<int>(rows.size())) return false;
    const std::string& line = rows[static_cast<std::size_t>(row)];
    return column >= 0 && column < static_cast<int>(line.size()) &&
           line[static_cast<std::size_t>(column)] == '#';
  };
  return {inside, std::move(paint)};
}

Picture Render(int width, int height, const std::vector<Layer>& layers, Color background,
               RenderOptions options) {
  Picture picture(width, height, background);
  const int n = options.samplesPerAxis;
  const float step = 1.0f / static_cast<float>(n);
  for (int py = 0; py < height; ++py) {
    for (int px = 0; px < width; ++px) {
      Shade sum;
      int covered = 0;
      for (int sy = 0; sy < n; ++sy) {
        for (int sx = 0; sx < n; ++sx) {
          Shade sample;
          const float x = static_cast<float>(px) + (static_cast<float>(sx) + 0.5f) * step;
          const float y = static_cast<float>(py) + (static_cast<float>(sy) + 0.5f) * step;
          if (SampleLayers(layers, x, y, sample)) {
            sum = sum + sample;
            ++covered;
          }
        }
      }
      if (covered > 0 && static_cast<float>(covered) >= options.minCoverage * static_cast<float>(n * n)) {
        picture.At(px, py) = ToVisibleColor(sum * (1.0f / static_cast<float>(covered)));
      }
    }
  }
  return picture;
}

}  // namespace assetgen
