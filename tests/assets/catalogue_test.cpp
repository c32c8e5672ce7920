// The catalogue hands out every picture and sound under its number, in the order the game loads them.
#include "assets/catalogue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "tests/assets/asset_reader.h"

namespace pellaris::assets::test {
namespace {

std::vector<int> Numbers(std::span<const AssetImage> images) {
  std::vector<int> numbers;
  for (const AssetImage& image : images) numbers.push_back(image.number);
  return numbers;
}

TEST(CatalogueOrder, SoundsComeAsShotExplosionHit) {
  EXPECT_EQ(Numbers(SoundImages()), (std::vector<int>{0, 1, 2}));
}

TEST(CatalogueOrder, PicturesComeLogoSparksCraftThenTwoToNineteen) {
  std::vector<int> expected{99, 100, 101, 102, 103, 0};
  for (int number = 2; number <= 19; ++number) expected.push_back(number);
  EXPECT_EQ(Numbers(PictureImages()), expected);
}

TEST(CatalogueOrder, TheStarfieldSplitsTheOrderRightAfterTheCraft) {
  const auto before = PicturesBeforeStarfield();
  const auto after = PicturesAfterStarfield();
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(before.back().number, 0);
  ASSERT_EQ(before.size() + after.size(), PictureImages().size());
  for (std::size_t i = 0; i < PictureImages().size(); ++i) {
    const AssetImage& part = i < before.size() ? before[i] : after[i - before.size()];
    EXPECT_EQ(part.data, PictureImages()[i].data);
  }
}

TEST(CatalogueImages, EveryImageIsItsOwnAlignedNonEmptyFile) {
  std::set<const unsigned char*> seen;
  for (auto images : {SoundImages(), PictureImages()}) {
    for (const AssetImage& image : images) {
      ASSERT_NE(image.data, nullptr) << image.number;
      EXPECT_GT(image.length, 44u) << image.number;
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(image.data) % 16, 0u) << image.number;
      EXPECT_TRUE(seen.insert(image.data).second) << image.number;
    }
  }
}

TEST(WindowIcon, IsTheCraftCentredOnATransparentSquare) {
  const IconImage icon = WindowIcon();
  ASSERT_EQ(icon.width, 32);
  ASSERT_EQ(icon.height, 32);
  const auto craft = DecodePicture(Picture(0));
  ASSERT_TRUE(craft.has_value());
  const int left = (icon.width - craft->width) / 2;
  const int top = (icon.height - craft->height) / 2;
  for (int y = 0; y < icon.height; ++y) {
    for (int x = 0; x < icon.width; ++x) {
      const bool onCraft = x >= left && x < left + craft->width && y >= top && y < top + craft->height;
      std::uint32_t expected = 0;
      if (onCraft) {
        const Rgb& c = craft->At(x - left, y - top);
        expected = std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b;
      }
      ASSERT_EQ(icon.pixels[y * icon.width + x], expected) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace pellaris::assets::test
