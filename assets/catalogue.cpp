#include "assets/catalogue.h"

#include <array>

#include "assets/embedded_files.h"

namespace pellaris::assets {

namespace {

using namespace embedded;

template <std::size_t N>
constexpr AssetImage Image(int number, const unsigned char (&bytes)[N]) {
  return {number, bytes, N};
}

constexpr std::array kSounds{Image(0, sound0_shot_wav), Image(1, sound1_explosion_wav),
                             Image(2, sound2_hit_wav)};

// The craft (last of the first six) is loaded before the starfield because its height places it.
constexpr std::size_t kBeforeStarfield = 6;
constexpr std::array kPictures{
    Image(99, sprite099_logo_png),      Image(100, sprite100_spark_png), Image(101, sprite101_spark_png),
    Image(102, sprite102_spark_png),    Image(103, sprite103_spark_png), Image(0, sprite000_craft_png),
    Image(2, sprite002_rock_bmp),       Image(3, sprite003_rock_bmp),    Image(4, sprite004_rock_bmp),
    Image(5, sprite005_rock_bmp),       Image(6, sprite006_rock_bmp),    Image(7, sprite007_rock_bmp),
    Image(8, sprite008_rock_bmp),       Image(9, sprite009_rock_bmp),    Image(10, sprite010_rock_bmp),
    Image(11, sprite011_rock_bmp),      Image(12, sprite012_burst_bmp),  Image(13, sprite013_burst_bmp),
    Image(14, sprite014_burst_bmp),     Image(15, sprite015_burst_bmp),  Image(16, sprite016_fifty_png),
    Image(17, sprite017_stopwatch_png), Image(18, sprite018_skull_png),  Image(19, sprite019_stop_png)};

constexpr int kIconSize = 32;
static_assert(sizeof(window_icon_rgb) == kIconSize * kIconSize * 3, "the icon is 32 x 32 RGB bytes");

std::array<std::uint32_t, kIconSize * kIconSize> IconPixels() {
  std::array<std::uint32_t, kIconSize * kIconSize> pixels{};
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const unsigned char* rgb = window_icon_rgb + 3 * i;
    pixels[i] = (std::uint32_t{rgb[0]} << 16) | (std::uint32_t{rgb[1]} << 8) | rgb[2];
  }
  return pixels;
}

}  // namespace

std::span<const AssetImage> SoundImages() {
  return kSounds;
}
std::span<const AssetImage> PictureImages() {
  return kPictures;
}
std::span<const AssetImage> PicturesBeforeStarfield() {
  return PictureImages().first(kBeforeStarfield);
}
std::span<const AssetImage> PicturesAfterStarfield() {
  return PictureImages().subspan(kBeforeStarfield);
}

IconImage WindowIcon() {
  static const std::array<std::uint32_t, kIconSize* kIconSize> pixels = IconPixels();
  return {pixels.data(), kIconSize, kIconSize};
}

}  // namespace pellaris::assets
