#include "tools/replay/png_file.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace pellaris::replay {

bool WritePng(const std::string& path, const rt::Surface& surface) {
  std::vector<png_byte> rgb;
  rgb.reserve(static_cast<std::size_t>(surface.Width()) * surface.Height() * 3);
  for (int y = 0; y < surface.Height(); ++y) {
    const std::uint32_t* pixels = surface.RowAs<std::uint32_t>(y);
    for (int x = 0; x < surface.Width(); ++x) {
      rgb.insert(rgb.end(), {static_cast<png_byte>(pixels[x] >> 16), static_cast<png_byte>(pixels[x] >> 8),
                             static_cast<png_byte>(pixels[x])});
    }
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(surface.Width());
  image.height = static_cast<png_uint_32>(surface.Height());
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

std::string DumpName(const std::string& dir, std::int64_t pass) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%06lld.png", static_cast<long long>(pass));
  return dir + name;
}

}  // namespace pellaris::replay
