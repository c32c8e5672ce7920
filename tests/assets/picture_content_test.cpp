// What the pictures show, as far as the game depends on it: shapes on a transparent black ground
// (the pop-up on grey), no shape pixel dark enough to turn transparent, rocks that turn without
// changing size, and bursts that grow and fade.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/assets/asset_reader.h"

namespace pellaris::assets::test {
namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kPopupGrey{128, 128, 128};
constexpr int kPopup = 16;

Pixels Decoded(int number) {
  auto pixels = DecodePicture(Picture(number));
  if (!pixels) throw std::runtime_error("cannot decode picture " + std::to_string(number));
  return *pixels;
}

std::vector<Rgb> Border(const Pixels& p) {
  std::vector<Rgb> border;
  for (int x = 0; x < p.width; ++x) {
    border.push_back(p.At(x, 0));
    border.push_back(p.At(x, p.height - 1));
  }
  for (int y = 1; y + 1 < p.height; ++y) {
    border.push_back(p.At(0, y));
    border.push_back(p.At(p.width - 1, y));
  }
  return border;
}

int Opaque(const Pixels& p) {
  return static_cast<int>(
      std::count_if(p.rgb.begin(), p.rgb.end(), [](const Rgb& c) { return c != kBlack; }));
}

std::vector<int> BlackGroundPictures() {
  std::vector<int> numbers;
  for (const AssetImage& image : PictureImages()) {
    if (image.number != kPopup) numbers.push_back(image.number);
  }
  return numbers;
}

class BlackGround : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Catalogue, BlackGround, ::testing::ValuesIn(BlackGroundPictures()),
                         [](const auto& info) { return "Sprite" + std::to_string(info.param); });

TEST_P(BlackGround, AShapeStandsOnPureBlackReachingTheBorder) {
  const Pixels p = Decoded(GetParam());
  const std::vector<Rgb> border = Border(p);
  EXPECT_NE(std::find(border.begin(), border.end(), kBlack), border.end());
  const int area = p.width * p.height;
  EXPECT_GE(Opaque(p) * 10, area) << "at least a tenth of the picture is shape";
  EXPECT_GE((area - Opaque(p)) * 20, area) << "at least a twentieth is ground";
}

// At 16 bits a colour whose red and blue are below 8 and green below 4 becomes pixel 0, the
// transparent colour; shape pixels keep well clear of that.
TEST_P(BlackGround, NoShapePixelIsNearlyBlack) {
  const Pixels p = Decoded(GetParam());
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const Rgb& c = p.At(x, y);
      if (c == kBlack) continue;
      EXPECT_GE(std::max({c.r, c.g, c.b}), 24) << x << "," << y;
    }
  }
}

TEST(Popup, IsWhiteFiftyOnMidGreyWithNothingTransparent) {
  const Pixels p = Decoded(kPopup);
  for (const Rgb& corner :
       {p.At(0, 0), p.At(p.width - 1, 0), p.At(0, p.height - 1), p.At(p.width - 1, p.height - 1)}) {
    EXPECT_EQ(corner, kPopupGrey);
  }
  const std::vector<Rgb> border = Border(p);
  EXPECT_GE(std::count(border.begin(), border.end(), kPopupGrey) * 4, static_cast<long>(border.size()) * 3);
  EXPECT_EQ(Opaque(p), p.width * p.height);
  const auto white = std::count(p.rgb.begin(), p.rgb.end(), Rgb{255, 255, 255});
  EXPECT_GE(white, 20) << "two digits' worth of white";
}

TEST(Rock, EveryStepIsTheSameBoulderTurned) {
  const int first = Opaque(Decoded(2));
  for (int number = 3; number <= 11; ++number) {
    const int area = Opaque(Decoded(number));
    EXPECT_NEAR(area, first, first / 8) << number;
  }
}

TEST(Rock, NeighbouringStepsDiffer) {
  for (int number = 2; number < 10; ++number) {
    const Pixels a = Decoded(number);
    const Pixels b = Decoded(number + 1);
    int differing = 0;
    for (int y = 0; y < std::min(a.height, b.height); ++y) {
      for (int x = 0; x < std::min(a.width, b.width); ++x) differing += a.At(x, y) != b.At(x, y);
    }
    EXPECT_GT(differing, 20) << number;
  }
}

int ShapeWidth(const Pixels& p) {
  int left = p.width, right = -1;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      if (p.At(x, y) == kBlack) continue;
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  return right - left + 1;
}

double MeanBrightness(const Pixels& p) {
  double sum = 0;
  for (const Rgb& c : p.rgb) {
    if (c != kBlack) sum += c.r + c.g + c.b;
  }
  return sum / Opaque(p);
}

TEST(Burst, GrowsOverItsFourSteps) {
  EXPECT_LT(ShapeWidth(Decoded(12)), ShapeWidth(Decoded(13)));
  EXPECT_LT(ShapeWidth(Decoded(13)), ShapeWidth(Decoded(14)));
  EXPECT_LE(ShapeWidth(Decoded(14)), ShapeWidth(Decoded(15)));
}

TEST(Burst, FadesOverItsLastThreeSteps) {
  EXPECT_GT(MeanBrightness(Decoded(13)), MeanBrightness(Decoded(14)));
  EXPECT_GT(MeanBrightness(Decoded(14)), MeanBrightness(Decoded(15)));
}

}  // namespace
}  // namespace pellaris::assets::test
