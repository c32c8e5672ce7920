#include "tests/runtime/sprites/test_images.h"

#include <stdexcept>
#include <utility>

namespace rt::test {

namespace {

void Put16(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// One stored row: pixels packed at the image's depth, padded to a multiple of 4 bytes.
Bytes PackRow(const BmpImage& image, const std::uint32_t* row) {
  Bytes out;
  unsigned bits = 0, used = 0;
  for (int x = 0; x < image.width; ++x) {
    const std::uint32_t pixel = row[x];
    switch (image.bitsPerPixel) {
      case 1:
      case 4:
        bits = bits << image.bitsPerPixel | pixel;
        used += static_cast<unsigned>(image.bitsPerPixel);
        if (used == 8) {
          out.push_back(static_cast<std::uint8_t>(bits));
          bits = used = 0;
        }
        break;
      case 8:
        out.push_back(static_cast<std::uint8_t>(pixel));
        break;
      case 16:
        Put16(out, pixel);
        break;
      default:
        out.push_back(static_cast<std::uint8_t>(pixel));
        out.push_back(static_cast<std::uint8_t>(pixel >> 8));
        out.push_back(static_cast<std::uint8_t>(pixel >> 16));
        if (image.bitsPerPixel == 32) out.push_back(static_cast<std::uint8_t>(pixel >> 24));
    }
  }
  if (used) out.push_back(static_cast<std::uint8_t>(bits << (8 - used)));
  while (out.size() % 4) out.push_back(0);
  return out;
}

}  // namespace

BmpImage Bmp(int width, int height, int bitsPerPixel, std::vector<std::uint32_t> pixels,
             std::vector<std::uint32_t> palette) {
  BmpImage image;
  image.width = width;
  image.height = height;
  image.bitsPerPixel = bitsPerPixel;
  image.pixels = std::move(pixels);
  image.palette = std::move(palette);
  return image;
}

Bytes MakeBmp(const BmpImage& image) {
  const int rows = image.height < 0 ? -image.height : image.height;
  Bytes data = image.rle;
  if (data.empty()) {
    for (int y = rows - 1; y >= 0; --y) {
      const Bytes row = PackRow(image, image.pixels.data() + static_cast<std::size_t>(y) * image.width);
      data.insert(data.end(), row.begin(), row.end());
    }
  }
  const std::uint32_t pixelOffset = 14 + 40 + 4 * static_cast<std::uint32_t>(image.palette.size());
  Bytes out{'B', 'M'};
  Put32(out, pixelOffset + static_cast<std::uint32_t>(data.size()));
  Put32(out, 0);
  Put32(out, pixelOffset);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(image.width));
  Put32(out, static_cast<std::uint32_t>(image.height));
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(image.bitsPerPixel));
  Put32(out, image.compression);
  Put32(out, static_cast<std::uint32_t>(data.size()));
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, static_cast<std::uint32_t>(image.palette.size()));
  Put32(out, 0);
  for (std::uint32_t colour : image.palette) Put32(out, colour);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

PngImage Png(int width, int height, PngColour colour, int bitDepth, std::vector<std::uint16_t> samples) {
  PngImage image;
  image.width = width;
  image.height = height;
  image.colour = colour;
  image.bitDepth = bitDepth;
  image.samples = std::move(samples);
  return image;
}

Bytes MakePng(const PngImage& image) {
  Bytes out = writers::EncodePng(image);
  if (out.empty()) throw std::runtime_error("test PNG could not be written");
  return out;
}

}  // namespace rt::test
