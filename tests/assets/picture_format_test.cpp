// Every picture is a complete BMP or PNG file of the format and size the game's sprites need.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/assets/asset_reader.h"

namespace pellaris::assets::test {
namespace {

enum class Format { Bmp8, PngPalette, PngTruecolor };

struct Expected {
  int number;
  Format format;
  int width;
  int height;
};

const std::vector<Expected> kPictures{{0, Format::PngPalette, 29, 21},    {2, Format::Bmp8, 18, 20},
                                      {3, Format::Bmp8, 17, 20},          {4, Format::Bmp8, 19, 20},
                                      {5, Format::Bmp8, 19, 20},          {6, Format::Bmp8, 19, 20},
                                      {7, Format::Bmp8, 17, 20},          {8, Format::Bmp8, 18, 20},
                                      {9, Format::Bmp8, 19, 19},          {10, Format::Bmp8, 17, 20},
                                      {11, Format::Bmp8, 19, 20},         {12, Format::Bmp8, 34, 34},
                                      {13, Format::Bmp8, 34, 34},         {14, Format::Bmp8, 34, 34},
                                      {15, Format::Bmp8, 34, 34},         {16, Format::PngPalette, 16, 8},
                                      {17, Format::PngTruecolor, 17, 15}, {18, Format::PngTruecolor, 18, 20},
                                      {19, Format::PngTruecolor, 20, 14}, {99, Format::PngPalette, 185, 28},
                                      {100, Format::PngTruecolor, 15, 6}, {101, Format::PngTruecolor, 15, 6},
                                      {102, Format::PngTruecolor, 15, 6}, {103, Format::PngTruecolor, 15, 6}};

std::vector<Expected> InFormats(std::initializer_list<Format> formats) {
  std::vector<Expected> chosen;
  for (const Expected& e : kPictures) {
    if (std::find(formats.begin(), formats.end(), e.format) != formats.end()) chosen.push_back(e);
  }
  return chosen;
}

std::string SpriteName(const ::testing::TestParamInfo<Expected>& info) {
  return "Sprite" + std::to_string(info.param.number);
}

class PictureSize : public ::testing::TestWithParam<Expected> {};
class BmpFormat : public ::testing::TestWithParam<Expected> {};
class PngFormat : public ::testing::TestWithParam<Expected> {};

INSTANTIATE_TEST_SUITE_P(Catalogue, PictureSize, ::testing::ValuesIn(kPictures), SpriteName);
INSTANTIATE_TEST_SUITE_P(Catalogue, BmpFormat, ::testing::ValuesIn(InFormats({Format::Bmp8})), SpriteName);
INSTANTIATE_TEST_SUITE_P(Catalogue, PngFormat,
                         ::testing::ValuesIn(InFormats({Format::PngPalette, Format::PngTruecolor})),
                         SpriteName);

std::uint32_t BmpFileSize(int width, int height) {
  return 1078 + static_cast<std::uint32_t>(((width + 3) & ~3) * height);
}

TEST(PictureCatalogue, ListsExactlyTheTwentyFourPictures) {
  ASSERT_EQ(PictureImages().size(), kPictures.size());
  for (const Expected& expected : kPictures) EXPECT_NO_THROW(Picture(expected.number)) << expected.number;
}

TEST(BmpSizes, AreTheFileSizesTheSpritesWereMadeFor) {
  EXPECT_EQ(Picture(2).length, 1478u);
  EXPECT_EQ(Picture(9).length, 1458u);
  for (int burst = 12; burst <= 15; ++burst) EXPECT_EQ(Picture(burst).length, 2302u);
}

TEST_P(BmpFormat, HeadersDescribeAnUncompressedBottomUpPaletteImage) {
  const Expected& expected = GetParam();
  const AssetImage& image = Picture(expected.number);
  EXPECT_EQ(image.data[0], 'B');
  EXPECT_EQ(image.data[1], 'M');
  EXPECT_EQ(U32At(image, 2), image.length);
  EXPECT_EQ(image.length, BmpFileSize(expected.width, expected.height));
  EXPECT_EQ(U16At(image, 6), 0);
  EXPECT_EQ(U16At(image, 8), 0);
  EXPECT_EQ(U32At(image, 10), 1078u);
  EXPECT_EQ(U32At(image, 14), 40u);
  EXPECT_EQ(static_cast<int>(U32At(image, 18)), expected.width);
  EXPECT_EQ(static_cast<int>(U32At(image, 22)), expected.height);  // positive: rows bottom-up
  EXPECT_EQ(U16At(image, 26), 1);
  EXPECT_EQ(U16At(image, 28), 8);
  EXPECT_EQ(U32At(image, 30), 0u);
  EXPECT_EQ(U32At(image, 34), 0u);
  EXPECT_EQ(U32At(image, 46), 0u);  // colours used: all 256
  for (std::size_t entry = 0; entry < 256; ++entry) EXPECT_EQ(image.data[54 + 4 * entry + 3], 0) << entry;
}

TEST_P(PngFormat, HeadersDescribeAnEightBitNonInterlacedImage) {
  const Expected& expected = GetParam();
  const AssetImage& image = Picture(expected.number);
  const std::vector<PngChunk> chunks = ReadPngChunks(image);
  ASSERT_GE(chunks.size(), 3u);
  ASSERT_EQ(chunks.front().type, "IHDR");
  ASSERT_EQ(chunks.front().length, 13u);
  EXPECT_EQ(chunks.back().type, "IEND");
  const std::size_t header = chunks.front().dataOffset;
  EXPECT_EQ(static_cast<int>(BigU32At(image, header)), expected.width);
  EXPECT_EQ(static_cast<int>(BigU32At(image, header + 4)), expected.height);
  EXPECT_EQ(image.data[header + 8], 8);  // bits per sample
  EXPECT_EQ(image.data[header + 9], expected.format == Format::PngPalette ? 3 : 2);
  EXPECT_EQ(image.data[header + 10], 0);  // deflate
  EXPECT_EQ(image.data[header + 11], 0);  // adaptive filtering
  EXPECT_EQ(image.data[header + 12], 0);  // not interlaced
  int palettes = 0, idats = 0;
  for (const PngChunk& chunk : chunks) {
    EXPECT_TRUE(chunk.crcValid) << chunk.type;
    EXPECT_NE(chunk.type, "tRNS");
    idats += chunk.type == "IDAT";
    if (chunk.type == "PLTE") {
      ++palettes;
      EXPECT_EQ(chunk.length, 256u * 3u);
    }
  }
  EXPECT_GE(idats, 1);
  EXPECT_EQ(palettes, expected.format == Format::PngPalette ? 1 : 0);
}

TEST_P(PictureSize, DecodesToItsSpriteSize) {
  const Expected& expected = GetParam();
  const auto pixels = DecodePicture(Picture(expected.number));
  ASSERT_TRUE(pixels.has_value());
  EXPECT_EQ(pixels->width, expected.width);
  EXPECT_EQ(pixels->height, expected.height);
}

}  // namespace
}  // namespace pellaris::assets::test
