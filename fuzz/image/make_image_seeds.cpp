// Writes the fuzzer's seed corpus: tiny valid BMP and PNG images of every kind the loader reads, each
// behind the byte that picks the screen depth and sprite mode.
#include <cstdio>
#include <string>

#include "tests/runtime/sprites/test_images.h"

namespace {

using rt::test::Bytes;

bool WriteSeed(const std::string& path, std::uint8_t selector, const Bytes& image) {
  Bytes bytes{selector};
  bytes.insert(bytes.end(), image.begin(), image.end());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

// A text chunk before the image data whose length field claims 2 GiB: the reader must refuse it
// without asking for the memory.
Bytes WithHugeTextChunk(Bytes png) {
  constexpr std::size_t kAfterHeader = 8 + 25;  // signature, then the header chunk
  const Bytes chunk = {0x7F, 0xFF, 0xFF, 0xFF, 't', 'E', 'X', 't', 'k', 'e', 'y', 0, 'v'};
  png.insert(png.begin() + kAfterHeader, chunk.begin(), chunk.end());
  return png;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_image_seeds DIRECTORY\n", stderr);
    return 2;
  }
  using namespace rt::test;
  const std::string dir = argv[1];
  BmpImage rle = Bmp(6, 4, 8, {}, {0x808080, 0xFF0000, 0x00FF00});
  rle.compression = 1;
  rle.rle = {2, 1, 0, 3, 2, 1, 0, 0, 0, 0, 2, 3, 0, 9, 2, 0, 0, 3, 1, 0, 1};
  PngImage palette = Png(3, 2, PngColour::Palette, 2, {0, 1, 2, 3, 2, 1});
  palette.palette = {0x102030, 0x405060, 0x708090, 0xA0B0C0};
  PngImage interlaced = Png(9, 9, PngColour::Rgba, 8, std::vector<std::uint16_t>(9 * 9 * 4, 77));
  interlaced.interlaced = true;
  const bool ok =
      WriteSeed(dir + "/bmp1.bin", 0, MakeBmp(Bmp(9, 2, 1, std::vector<std::uint32_t>(18, 1)))) &&
      WriteSeed(dir + "/bmp4.bin", 4,
                MakeBmp(Bmp(3, 2, 4, {1, 2, 3, 4, 5, 6}, std::vector<std::uint32_t>(16, 0xFF)))) &&
      WriteSeed(dir + "/bmp8.bin", 1,
                MakeBmp(Bmp(5, 2, 8, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {0xFF, 0xFF00, 0xFF0000}))) &&
      WriteSeed(dir + "/rle8.bin", 0, MakeBmp(rle)) &&
      WriteSeed(dir + "/bmp16.bin", 4, MakeBmp(Bmp(3, 2, 16, {0x7FFF, 1, 2, 3, 4, 5}))) &&
      WriteSeed(dir + "/bmp24.bin", 0, MakeBmp(Bmp(3, 2, 24, {0xFF8000, 1, 2, 3, 4, 5}))) &&
      WriteSeed(dir + "/bmp32.bin", 2, MakeBmp(Bmp(2, 2, 32, {0x80FF8000, 1, 2, 3}))) &&
      WriteSeed(dir + "/palette.bin", 0, MakePng(palette)) &&
      WriteSeed(dir + "/grey.bin", 4, MakePng(Png(4, 2, PngColour::Grey, 4, {0, 3, 7, 15, 1, 2, 4, 8}))) &&
      WriteSeed(dir + "/greyalpha.bin", 2, MakePng(Png(2, 1, PngColour::GreyAlpha, 16, {1, 2, 65535, 0}))) &&
      WriteSeed(dir + "/rgb16.bin", 0,
                MakePng(Png(1, 2, PngColour::Rgb, 16, {1, 2, 3, 40000, 50000, 60000}))) &&
      WriteSeed(dir + "/interlaced.bin", 6, MakePng(interlaced)) &&
      WriteSeed(dir + "/huge-text.bin", 0, WithHugeTextChunk(MakePng(palette)));
  return ok ? 0 : 1;
}
