#include "formats.h"

#include <png.h>

#include <algorithm>

namespace assetgen {

namespace {

void PutU16(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void PutU32(Bytes& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

void PutTag(Bytes& out, const char (&tag)[5]) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

constexpr std::uint32_t kBmpHeaderBytes = 14 + 40 + 4 * kPaletteSize;

void AppendPngBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

// Writes rows of `bytesPerRow` bytes each, prepared by `fillRow`, with the header set up by `setUp`.
// libpng's own error handling aborts the tool: the inputs are ours, so an error is a bug here.
template <typename SetUp, typename FillRow>
Bytes WritePng(int height, std::size_t bytesPerRow, SetUp setUp, FillRow fillRow) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, AppendPngBytes, nullptr);
  setUp(png, info);
  png_write_info(png, info);
  std::vector<png_byte> row(bytesPerRow);
  for (int y = 0; y < height; ++y) {
    fillRow(y, row.data());
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace

Bytes EncodeBmp8(const IndexedPicture& picture) {
  const std::uint32_t stride = (static_cast<std::uint32_t>(picture.width) + 3u) & ~3u;
  const std::uint32_t fileSize = kBmpHeaderBytes + stride * static_cast<std::uint32_t>(picture.height);
  Bytes out;
  out.push_back('B');
  out.push_back('M');
  PutU32(out, fileSize);
  PutU16(out, 0);
  PutU16(out, 0);
  PutU32(out, kBmpHeaderBytes);
  PutU32(out, 40);
  PutU32(out, static_cast<std::uint32_t>(picture.width));
  PutU32(out, static_cast<std::uint32_t>(picture.height));  // positive: bottom-up rows
  PutU16(out, 1);                                           // planes
  PutU16(out, 8);                                           // bits per pixel
  PutU32(out, 0);                                           // uncompressed
  PutU32(out, 0);                                           // image size: may be 0 when uncompressed
  PutU32(out, 2835);                                        // 72 dots per inch, both ways
  PutU32(out, 2835);
  PutU32(out, 0);  // colours used: 0 means all 256
  PutU32(out, 0);  // important colours: all
  for (const Color& c : picture.palette) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  for (int y = picture.height - 1; y >= 0; --y) {
    const auto row = picture.indices.begin() + static_cast<long>(y) * picture.width;
    out.insert(out.end(), row, row + picture.width);
    out.resize(out.size() + (stride - static_cast<std::uint32_t>(picture.width)), 0);
  }
  return out;
}

Bytes EncodePngIndexed(const IndexedPicture& picture) {
  auto setUp = [&](png_structp png, png_infop info) {
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height),
                 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (const Color& c : picture.palette) palette.push_back({c.r, c.g, c.b});
    png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  };
  auto fillRow = [&](int y, png_bytep row) {
    const auto first = picture.indices.begin() + static_cast<long>(y) * picture.width;
    std::copy(first, first + picture.width, row);
  };
  return WritePng(picture.height, static_cast<std::size_t>(picture.width), setUp, fillRow);
}

Bytes EncodePngTruecolor(const Picture& picture, bool srgb) {
  auto setUp = [&](png_structp png, png_infop info) {
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height),
                 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (srgb) png_set_sRGB_gAMA_and_cHRM(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
  };
  auto fillRow = [&](int y, png_bytep row) {
    for (int x = 0; x < picture.width; ++x) {
      const Color& c = picture.At(x, y);
      row[3 * x] = c.r;
      row[3 * x + 1] = c.g;
      row[3 * x + 2] = c.b;
    }
  };
  return WritePng(picture.height, static_cast<std::size_t>(picture.width) * 3, setUp, fillRow);
}

Bytes EncodeWav(const std::vector<std::int16_t>& samples) {
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  Bytes out;
  PutTag(out, "RIFF");
  PutU32(out, 36 + dataBytes);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutU32(out, 16);
  PutU16(out, 1);  // PCM
  PutU16(out, 1);  // mono
  PutU32(out, kSampleRate);
  PutU32(out, kSampleRate * 2);  // bytes per second
  PutU16(out, 2);                // block align
  PutU16(out, 16);               // bits per sample
  PutTag(out, "data");
  PutU32(out, dataBytes);
  for (std::int16_t s : samples) PutU16(out, static_cast<std::uint16_t>(s));
  return out;
}

}  // namespace assetgen
