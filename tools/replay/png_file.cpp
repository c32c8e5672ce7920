#include "tools/replay/png_file.h"

#include <cstdio>

#include "tools/writers/png_writer.h"

namespace pellaris::replay {

bool WritePng(const std::string& path, const rt::Surface& surface) {
  writers::PngImage image;
  image.width = surface.Width();
  image.height = surface.Height();
  image.colourSpace = writers::PngColourSpace::Srgb;
  image.samples.reserve(static_cast<std::size_t>(surface.Width()) * surface.Height() * 3);
  for (int y = 0; y < surface.Height(); ++y) {
    const std::uint32_t* pixels = surface.RowAs<std::uint32_t>(y);
    for (int x = 0; x < surface.Width(); ++x) {
      image.samples.insert(image.samples.end(), {static_cast<std::uint16_t>(pixels[x] >> 16 & 0xFF),
                                                 static_cast<std::uint16_t>(pixels[x] >> 8 & 0xFF),
                                                 static_cast<std::uint16_t>(pixels[x] & 0xFF)});
    }
  }
  return writers::WritePngFile(path, image);
}

std::string DumpName(const std::string& dir, std::int64_t pass) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%06lld.png", static_cast<long long>(pass));
  return dir + name;
}

}  // namespace pellaris::replay
