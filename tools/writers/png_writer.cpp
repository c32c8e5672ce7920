#include "tools/writers/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <fstream>

namespace writers {

namespace {

int ColourType(PngColour colour) {
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

// Rows packed as PNG stores them: big-endian 16-bit samples, sub-byte samples leftmost in the high bits.
std::vector<Bytes> PackRows(const PngImage& image) {
  const int perRow = image.width * PngChannels(image.colour);
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

void MarkColourSpace(png_structp png, png_infop info, PngColourSpace space) {
  switch (space) {
    case PngColourSpace::Unmarked:
      return;
    case PngColourSpace::Srgb:
      return png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    case PngColourSpace::SrgbWithFallbacks:
      return png_set_sRGB_gAMA_and_cHRM(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
  }
}

// Holds only trivially destructible objects: libpng leaves by longjmp on an error.
bool Write(png_structp png, png_infop info, const PngImage* image, Bytes* out, png_bytepp rows,
           png_colorp palette, int paletteSize) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, AppendToBytes, Flush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image->width), static_cast<png_uint_32>(image->height),
               image->bitDepth, ColourType(image->colour),
               image->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (paletteSize) png_set_PLTE(png, info, palette, paletteSize);
  if (!image->paletteAlpha.empty()) {
    png_set_tRNS(png, info, image->paletteAlpha.data(), static_cast<int>(image->paletteAlpha.size()),
                 nullptr);
  }
  MarkColourSpace(png, info, image->colourSpace);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, info);
  return true;
}

}  // namespace

int PngChannels(PngColour colour) {
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

Bytes EncodePng(const PngImage& image) {
  std::vector<Bytes> packed = PackRows(image);
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
      Write(png, info, &image, &out, rows.data(), palette.data(), static_cast<int>(palette.size()));
  png_destroy_write_struct(&png, &info);
  if (!written) out.clear();
  return out;
}

bool WritePngFile(const std::string& path, const PngImage& image) {
  const Bytes bytes = EncodePng(image);
  if (bytes.empty()) return false;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

}  // namespace writers
