#include "icon_layout.h"

#include <algorithm>

namespace iconmaker {

Scale ChooseScale(int art_width, int art_height, int icon_size) {
  const int longest = std::max(art_width, art_height);
  if (longest <= icon_size) return {icon_size / longest, 1};
  return {1, (longest + icon_size - 1) / icon_size};
}

Image BlackToTransparent(Image art) {
  for (Rgba& pixel : art.pixels) {
    if (pixel.r == 0 && pixel.g == 0 && pixel.b == 0) pixel = Rgba{};
  }
  return art;
}

namespace {

// Keeps pixels 0, d, 2d, ... of each row and column, so both ends of an odd-sized, symmetric
// picture survive and it stays symmetric.
Image Shrink(const Image& art, int divisor) {
  Image small((art.width - 1) / divisor + 1, (art.height - 1) / divisor + 1);
  for (int y = 0; y < small.height; ++y) {
    for (int x = 0; x < small.width; ++x) small.At(x, y) = art.At(x * divisor, y * divisor);
  }
  return small;
}

Image Enlarge(const Image& art, int factor) {
  Image large(art.width * factor, art.height * factor);
  for (int y = 0; y < large.height; ++y) {
    for (int x = 0; x < large.width; ++x) large.At(x, y) = art.At(x / factor, y / factor);
  }
  return large;
}

}  // namespace

Image MakeIcon(const Image& art, int icon_size) {
  const Scale scale = ChooseScale(art.width, art.height, icon_size);
  const Image scaled = Enlarge(Shrink(art, scale.divisor), scale.factor);
  Image icon(icon_size, icon_size);
  const int left = (icon_size - scaled.width) / 2;
  const int top = (icon_size - scaled.height) / 2;
  for (int y = 0; y < scaled.height; ++y) {
    std::copy_n(&scaled.At(0, y), scaled.width, &icon.At(left, top + y));
  }
  return icon;
}

}  // namespace iconmaker
