#include "png_file.h"

#include <png.h>

#include "tools/writers/png_writer.h"

namespace iconmaker {

std::optional<Image> ReadPng(const std::string& path) {
  png_image header{};
  header.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&header, path.c_str())) return std::nullopt;
  header.format = PNG_FORMAT_RGBA;
  Image image(static_cast<int>(header.width), static_cast<int>(header.height));
  if (!png_image_finish_read(&header, nullptr, image.pixels.data(), 0, nullptr)) {
    png_image_free(&header);
    return std::nullopt;
  }
  return image;
}

bool WritePng(const std::string& path, const Image& image) {
  writers::PngImage png;
  png.width = image.width;
  png.height = image.height;
  png.colour = writers::PngColour::Rgba;
  png.colourSpace = writers::PngColourSpace::Srgb;
  for (const Rgba& pixel : image.pixels)
    png.samples.insert(png.samples.end(), {pixel.r, pixel.g, pixel.b, pixel.a});
  return writers::WritePngFile(path, png);
}

}  // namespace iconmaker
