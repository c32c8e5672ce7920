#include "tests/assets/asset_reader.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace pellaris::assets::test {

namespace {

constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

const AssetImage& Numbered(std::span<const AssetImage> images, int number) {
  const auto found =
      std::find_if(images.begin(), images.end(), [&](const AssetImage& i) { return i.number == number; });
  if (found == images.end()) throw std::out_of_range("no asset numbered " + std::to_string(number));
  return *found;
}

void CheckRange(const AssetImage& image, std::size_t offset, std::size_t size) {
  if (offset > image.length || size > image.length - offset) throw std::out_of_range("read past the image");
}

std::optional<Pixels> DecodeBmp(const AssetImage& image) {
  if (image.length < 1078 || U16At(image, 28) != 8) return std::nullopt;
  Pixels pixels;
  pixels.width = static_cast<int>(U32At(image, 18));
  pixels.height = static_cast<int>(U32At(image, 22));
  const std::size_t stride = (static_cast<std::size_t>(pixels.width) + 3) & ~std::size_t{3};
  const std::size_t offset = U32At(image, 10);
  CheckRange(image, offset, stride * static_cast<std::size_t>(pixels.height));
  for (int y = 0; y < pixels.height; ++y) {
    const std::size_t row = offset + stride * static_cast<std::size_t>(pixels.height - 1 - y);  // bottom-up
    for (int x = 0; x < pixels.width; ++x) {
      const unsigned char* entry = image.data + 54 + 4 * image.data[row + static_cast<std::size_t>(x)];
      pixels.rgb.push_back({entry[2], entry[1], entry[0]});
    }
  }
  return pixels;
}

std::optional<Pixels> DecodePng(const AssetImage& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, image.data, image.length)) return std::nullopt;
  png.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> bytes(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, bytes.data(), 0, nullptr)) {
    png_image_free(&png);
    return std::nullopt;
  }
  Pixels pixels{static_cast<int>(png.width), static_cast<int>(png.height), {}};
  for (std::size_t i = 0; i + 2 < bytes.size(); i += 3)
    pixels.rgb.push_back({bytes[i], bytes[i + 1], bytes[i + 2]});
  return pixels;
}

}  // namespace

std::uint16_t U16At(const AssetImage& image, std::size_t offset) {
  CheckRange(image, offset, 2);
  return static_cast<std::uint16_t>(image.data[offset] | image.data[offset + 1] << 8);
}

std::uint32_t U32At(const AssetImage& image, std::size_t offset) {
  return U16At(image, offset) | static_cast<std::uint32_t>(U16At(image, offset + 2)) << 16;
}

std::uint32_t BigU32At(const AssetImage& image, std::size_t offset) {
  CheckRange(image, offset, 4);
  const unsigned char* p = image.data + offset;
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

std::string TagAt(const AssetImage& image, std::size_t offset) {
  CheckRange(image, offset, 4);
  return std::string(reinterpret_cast<const char*>(image.data + offset), 4);
}

const AssetImage& Picture(int number) {
  return Numbered(PictureImages(), number);
}
const AssetImage& Sound(int number) {
  return Numbered(SoundImages(), number);
}

std::vector<PngChunk> ReadPngChunks(const AssetImage& image) {
  if (image.length < 8 || std::memcmp(image.data, kPngSignature, 8) != 0) return {};
  std::vector<PngChunk> chunks;
  for (std::size_t at = 8; at < image.length;) {
    if (image.length - at < 12) return {};
    PngChunk chunk{TagAt(image, at + 4), at + 8, BigU32At(image, at), false};
    if (chunk.length > image.length - at - 12) return {};
    const auto crc = crc32(0, image.data + at + 4, static_cast<uInt>(chunk.length + 4));
    chunk.crcValid = crc == BigU32At(image, chunk.dataOffset + chunk.length);
    chunks.push_back(chunk);
    at = chunk.dataOffset + chunk.length + 4;
  }
  return chunks;
}

std::optional<Pixels> DecodePicture(const AssetImage& image) {
  if (image.length >= 2 && image.data[0] == 'B' && image.data[1] == 'M') return DecodeBmp(image);
  return DecodePng(image);
}

}  // namespace pellaris::assets::test
