// Reads the embedded files back for the tests, independently of the runtime's own loaders: little-
// endian fields, PNG chunks, and pixels of BMP and PNG images as red, green, blue.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "assets/catalogue.h"

namespace pellaris::assets::test {

std::uint16_t U16At(const AssetImage& image, std::size_t offset);
std::uint32_t U32At(const AssetImage& image, std::size_t offset);
std::uint32_t BigU32At(const AssetImage& image, std::size_t offset);
std::string TagAt(const AssetImage& image, std::size_t offset);  // four characters

const AssetImage& Picture(int number);
const AssetImage& Sound(int number);

struct PngChunk {
  std::string type;
  std::size_t dataOffset = 0;  // in the file
  std::uint32_t length = 0;
  bool crcValid = false;
};

// The chunks after the signature; empty when the signature is wrong or a chunk overruns the file.
std::vector<PngChunk> ReadPngChunks(const AssetImage& image);

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<Rgb> rgb;  // top row first
  const Rgb& At(int x, int y) const { return rgb[static_cast<std::size_t>(y * width + x)]; }
};

// Decodes a BMP (8-bit palette) or PNG image; nothing when it cannot be read.
std::optional<Pixels> DecodePicture(const AssetImage& image);

}  // namespace pellaris::assets::test
