#include "tests/runtime/sprites/test_images.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
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

namespace {

int PngColourType(PngColour colour) {
  switch (colour) {
    case PngColour::Palette:
      return PNG_COLOR_TYPE_PALETTE;
    case PngColour::Grey:
      return PNG_COLOR_TYPE_GRAY;
    case PngColour::GreyAlpha:
      return PNG_COLOR_TYPE_GRAY_ALPHA;
    case PngColour::Rgb:
      return PNG_COLOR_TYPE_RGB;
    case PngColour::Rgba:
      return PNG_COLOR_TYPE_RGBA;
  }
  return PNG_COLOR_TYPE_RGB;
}

int Channels(PngColour colour) {
  switch (colour) {
    case PngColour::GreyAlpha:
      return 2;
    case PngColour::Rgb:
      return 3;
    case PngColour::Rgba:
      return 4;
    default:
      return 1;
  }
}

// Rows packed as PNG stores them: big-endian 16-bit samples, sub-byte samples leftmost in the high bits.
std::vector<Bytes> PackPngRows(const PngImage& image) {
  const int perRow = image.width * Channels(image.colour);
  std::vector<Bytes> rows(static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    Bytes& row = rows[static_cast<std::size_t>(y)];
    unsigned bits = 0, used = 0;
    for (int i = 0; i < perRow; ++i) {
      const unsigned sample = image.samples[static_cast<std::size_t>(y) * perRow + i];
      if (image.bitDepth == 16) {
        row.push_back(static_cast<std::uint8_t>(sample >> 8));
        row.push_back(static_cast<std::uint8_t>(sample));
      } else if (image.bitDepth == 8) {
        row.push_back(static_cast<std::uint8_t>(sample));
      } else {
        bits = bits << image.bitDepth | sample;
        used += static_cast<unsigned>(image.bitDepth);
        if (used == 8) {
          row.push_back(static_cast<std::uint8_t>(bits));
          bits = used = 0;
        }
      }
    }
    if (used) row.push_back(static_cast<std::uint8_t>(bits << (8 - used)));
  }
  return rows;
}

void AppendToBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

// Holds only trivially destructible objects: libpng leaves by longjmp on an error.
bool WritePng(png_structp png, png_infop info, const PngImage* image, Bytes* out, png_bytepp rows,
              png_colorp palette, int paletteSize, const std::uint8_t* alpha, int alphaSize) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, AppendToBytes, Flush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image->width), static_cast<png_uint_32>(image->height),
               image->bitDepth, PngColourType(image->colour),
               image->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (paletteSize) png_set_PLTE(png, info, palette, paletteSize);
  if (alphaSize) png_set_tRNS(png, info, alpha, alphaSize, nullptr);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, info);
  return true;
}

}  // namespace

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
  std::vector<Bytes> packed = PackPngRows(image);
  std::vector<png_bytep> rows;
  for (Bytes& row : packed) rows.push_back(row.data());
  std::vector<png_color> palette;
  for (std::uint32_t colour : image.palette) {
    palette.push_back(png_color{static_cast<png_byte>(colour >> 16), static_cast<png_byte>(colour >> 8),
                                static_cast<png_byte>(colour)});
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Bytes out;
  const bool written =
      WritePng(png, info, &image, &out, rows.data(), palette.data(), static_cast<int>(palette.size()),
               image.paletteAlpha.data(), static_cast<int>(image.paletteAlpha.size()));
  png_destroy_write_struct(&png, &info);
  if (!written) throw std::runtime_error("test PNG could not be written");
  return out;
}

}  // namespace rt::test
