#include "formats.h"

#include "tools/writers/png_writer.h"
#include "tools/writers/wav_writer.h"

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

constexpr std::uint32_t kBmpHeaderBytes = 14 + 40 + 4 * kPaletteSize;

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
  writers::PngImage png;
  png.width = picture.width;
  png.height = picture.height;
  png.colour = writers::PngColour::Palette;
  for (const Color& c : picture.palette) png.palette.push_back(std::uint32_t{c.r} << 16 | c.g << 8 | c.b);
  png.samples.assign(picture.indices.begin(), picture.indices.end());
  return writers::EncodePng(png);
}

Bytes EncodePngTruecolor(const Picture& picture, bool srgb) {
  writers::PngImage png;
  png.width = picture.width;
  png.height = picture.height;
  png.colourSpace = srgb ? writers::PngColourSpace::SrgbWithFallbacks : writers::PngColourSpace::Unmarked;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const Color& c = picture.At(x, y);
      png.samples.insert(png.samples.end(), {c.r, c.g, c.b});
    }
  }
  return writers::EncodePng(png);
}

Bytes EncodeWav(const std::vector<std::int16_t>& samples) {
  return writers::EncodeWav(kSampleRate, 1, samples);
}

}  // namespace assetgen
