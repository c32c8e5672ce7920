// The icons the package installs are committed; they must be what the icon maker draws from the
// craft picture the game embeds today.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tools/iconmaker/icon_layout.h"
#include "tools/iconmaker/png_file.h"

namespace iconmaker {
namespace {

const std::filesystem::path kSource = PELLARIS_SOURCE_DIR;

std::string IconPath(int size) {
  const std::string side = std::to_string(size);
  return (kSource / "packaging" / "icons" / (side + "x" + side) / "io.github.pellaris.Pellaris.png").string();
}

class CommittedIcon : public testing::TestWithParam<int> {};

TEST_P(CommittedIcon, MatchesTheCraftPicture) {
  const std::optional<Image> craft =
      ReadPng((kSource / "assets" / "images" / "sprite000_craft.png").string());
  ASSERT_TRUE(craft.has_value());
  const std::optional<Image> committed = ReadPng(IconPath(GetParam()));
  ASSERT_TRUE(committed.has_value()) << IconPath(GetParam());
  const Image expected = MakeIcon(BlackToTransparent(*craft), GetParam());
  ASSERT_EQ(committed->width, expected.width);
  ASSERT_EQ(committed->height, expected.height);
  EXPECT_TRUE(committed->pixels == expected.pixels)
      << "regenerate: pellaris-iconmaker assets/images/sprite000_craft.png packaging/icons "
         "io.github.pellaris.Pellaris";
}

INSTANTIATE_TEST_SUITE_P(EverySize, CommittedIcon, testing::Values(16, 32, 48, 64, 128, 256));

TEST(PngFile, WrittenImageReadsBackTheSame) {
  Image image(3, 2);
  image.pixels = {{1, 2, 3, 255}, {0, 0, 0, 0},         {250, 128, 7, 255},
                  {9, 9, 9, 255}, {255, 255, 255, 255}, {40, 50, 60, 255}};
  const std::filesystem::path file = std::filesystem::path(testing::TempDir()) / "iconmaker_round_trip.png";
  ASSERT_TRUE(WritePng(file.string(), image));
  const std::optional<Image> back = ReadPng(file.string());
  std::filesystem::remove(file);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->width, 3);
  EXPECT_EQ(back->height, 2);
  EXPECT_TRUE(back->pixels == image.pixels);
}

TEST(PngFile, MissingOrForeignFilesReadAsNothing) {
  EXPECT_FALSE(ReadPng((kSource / "no-such-picture.png").string()).has_value());
  EXPECT_FALSE(ReadPng((kSource / "assets" / "images" / "sprite002_rock.bmp").string()).has_value());
}

TEST(PngFile, UnwritablePathIsReported) {
  EXPECT_FALSE(WritePng((kSource / "no-such-folder" / "icon.png").string(), Image(1, 1)));
}

}  // namespace
}  // namespace iconmaker
