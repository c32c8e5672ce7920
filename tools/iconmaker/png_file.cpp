#include "png_file.h"

#include <png.h>

namespace iconmaker {

namespace {

png_image RgbaHeader(int width, int height) {
  png_image header{};
  header.version = PNG_IMAGE_VERSION;
  header.width = static_cast<png_uint_32>(width);
  header.height = static_cast<png_uint_32>(height);
  header.format = PNG_FORMAT_RGBA;
  return header;
}

}  // namespace

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
  png_image header = RgbaHeader(image.width, image.height);
  return png_image_write_to_file(&header, path.c_str(), 0, image.pixels.data(), 0, nullptr) != 0;
}

}  // namespace iconmaker
