#include "tools/iconmaker/icon_layout.h"

#include <gtest/gtest.h>

namespace iconmaker {
namespace {

constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kGreen{0, 255, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};
constexpr Rgba kClear{};

// A one-row picture of the given pixels.
Image Row(std::initializer_list<Rgba> pixels) {
  Image image(static_cast<int>(pixels.size()), 1);
  std::copy(pixels.begin(), pixels.end(), image.pixels.begin());
  return image;
}

int CountOpaque(const Image& image) {
  return static_cast<int>(
      std::count_if(image.pixels.begin(), image.pixels.end(), [](const Rgba& p) { return p.a != 0; }));
}

TEST(ChooseScale, ArtThatFitsGrowsByTheLargestWholeFactor) {
  EXPECT_EQ(ChooseScale(29, 21, 32).factor, 1);
  EXPECT_EQ(ChooseScale(29, 21, 48).factor, 1);
  EXPECT_EQ(ChooseScale(29, 21, 64).factor, 2);
  EXPECT_EQ(ChooseScale(29, 21, 128).factor, 4);
  EXPECT_EQ(ChooseScale(29, 21, 256).factor, 8);
  EXPECT_EQ(ChooseScale(29, 21, 256).divisor, 1);
}

TEST(ChooseScale, TheLongerSideDecides) {
  EXPECT_EQ(ChooseScale(10, 30, 64).factor, 2);
  EXPECT_EQ(ChooseScale(30, 10, 64).factor, 2);
}

TEST(ChooseScale, ArtLargerThanTheIconShrinksJustEnough) {
  EXPECT_EQ(ChooseScale(29, 21, 16).divisor, 2);
  EXPECT_EQ(ChooseScale(29, 21, 16).factor, 1);
  EXPECT_EQ(ChooseScale(32, 8, 16).divisor, 2);
  EXPECT_EQ(ChooseScale(33, 8, 16).divisor, 3);
}

TEST(BlackToTransparent, OnlyPureBlackBecomesClear) {
  const Image art = BlackToTransparent(Row({{0, 0, 0, 255}, {1, 0, 0, 255}, {0, 0, 1, 255}, kGreen}));
  EXPECT_EQ(art.At(0, 0), kClear);
  EXPECT_EQ(art.At(1, 0), (Rgba{1, 0, 0, 255}));
  EXPECT_EQ(art.At(2, 0), (Rgba{0, 0, 1, 255}));
  EXPECT_EQ(art.At(3, 0), kGreen);
}

TEST(MakeIcon, IsSquareAndClearAroundTheArt) {
  const Image icon = MakeIcon(Row({kRed, kGreen, kBlue}), 8);
  ASSERT_EQ(icon.width, 8);
  ASSERT_EQ(icon.height, 8);
  // Three pixels doubled: a 6 x 2 block, the rest clear.
  EXPECT_EQ(CountOpaque(icon), 12);
}

TEST(MakeIcon, EnlargedPixelsAreWholeBlocksCentred) {
  const Image icon = MakeIcon(Row({kRed, kGreen, kBlue}), 8);
  // Factor 2: the 6 x 2 result starts at column (8 - 6) / 2 and row (8 - 2) / 2.
  for (int y = 3; y <= 4; ++y) {
    EXPECT_EQ(icon.At(0, y), kClear);
    EXPECT_EQ(icon.At(1, y), kRed);
    EXPECT_EQ(icon.At(2, y), kRed);
    EXPECT_EQ(icon.At(3, y), kGreen);
    EXPECT_EQ(icon.At(4, y), kGreen);
    EXPECT_EQ(icon.At(5, y), kBlue);
    EXPECT_EQ(icon.At(6, y), kBlue);
    EXPECT_EQ(icon.At(7, y), kClear);
  }
  EXPECT_EQ(icon.At(1, 2), kClear);
  EXPECT_EQ(icon.At(1, 5), kClear);
}

TEST(MakeIcon, OddMarginsLeaveTheExtraPixelAfterTheArt) {
  // Factor 2 makes a 4 x 2 block on a 5 x 5 square: no column before it, one after; one row above,
  // two below.
  const Image icon = MakeIcon(Row({kRed, kGreen}), 5);
  for (int y = 1; y <= 2; ++y) {
    EXPECT_EQ(icon.At(0, y), kRed);
    EXPECT_EQ(icon.At(3, y), kGreen);
    EXPECT_EQ(icon.At(4, y), kClear);
  }
  EXPECT_EQ(icon.At(0, 0), kClear);
  EXPECT_EQ(icon.At(0, 3), kClear);
  EXPECT_EQ(CountOpaque(icon), 8);
}

TEST(MakeIcon, ShrinkingKeepsBothEndsOfOddArt) {
  const Image icon = MakeIcon(Row({kRed, kGreen, kBlue, kGreen, kRed}), 3);
  EXPECT_EQ(icon.At(0, 1), kRed);
  EXPECT_EQ(icon.At(1, 1), kBlue);
  EXPECT_EQ(icon.At(2, 1), kRed);
  EXPECT_EQ(CountOpaque(icon), 3);
}

TEST(MakeIcon, ArtExactlyTheIconSizeIsCopiedUnchanged) {
  Image art(2, 2);
  art.pixels = {kRed, kGreen, kBlue, kClear};
  const Image icon = MakeIcon(art, 2);
  EXPECT_EQ(icon.pixels, art.pixels);
}

}  // namespace
}  // namespace iconmaker
