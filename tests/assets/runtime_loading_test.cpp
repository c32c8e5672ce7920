// Every embedded file loads through the runtime's own loaders, as the game
// loads them at start-up, on a headless machine with a 32-bit and a 16-bit
// screen.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "runtime/display/screen.h"
#include "runtime/sound/sound.h"
#include "runtime/sprites/image.h"
#include "runtime/sprites/png_decoder.h"
#include "runtime/sprites/sprite.h"
#include "tests/assets/asset_reader.h"
#include "tests/support/headless_runtime.h"

namespace pellaris::assets::test {
namespace {

class RuntimeLoading : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(machine_.Start({rt::test::RuntimePart::SpriteSystem, rt::test::RuntimePart::Sound}));
    ASSERT_EQ(rt::OpenScreen(640, 400, GetParam(), "Pellaris"), 1);
    rt::EnablePngDecoder();
  }

  rt::test::HeadlessRuntime machine_;
};

INSTANTIATE_TEST_SUITE_P(Depths, RuntimeLoading, ::testing::Values(32, 16),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

int NonZeroPixels(const rt::Surface& surface) {
  int count = 0;
  for (int y = 0; y < surface.Height(); ++y) {
    for (int x = 0; x < surface.Width(); ++x) {
      std::uint32_t value = 0;
      std::memcpy(&value, surface.Row(y) + x * surface.BytesPerPixel(),
                  static_cast<std::size_t>(surface.BytesPerPixel()));
      count += value != 0;
    }
  }
  return count;
}

int NonBlackPixels(const Pixels& pixels) {
  int count = 0;
  for (const Rgb& c : pixels.rgb) count += c != Rgb{0, 0, 0};
  return count;
}

TEST_P(RuntimeLoading, EverySoundLoadsUnderItsNumber) {
  for (const AssetImage& sound : SoundImages()) {
    EXPECT_EQ(rt::LoadSoundFromMemory(sound.number, sound.data, sound.length), 1) << sound.number;
    EXPECT_EQ(rt::PlaySoundEffect(sound.number), 1) << sound.number;
  }
}

// The sprite keeps every shape pixel opaque and every ground pixel transparent,
// at either depth.
TEST_P(RuntimeLoading, EveryPictureLoadsWithItsSizeAndItsShapeIntact) {
  for (const AssetImage& picture : PictureImages()) {
    ASSERT_NE(rt::LoadSpriteFromMemory(picture.number, picture.data, picture.length), 0) << picture.number;
    const auto decoded = DecodePicture(picture);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(rt::SpriteWidth(picture.number), decoded->width) << picture.number;
    EXPECT_EQ(rt::SpriteHeight(picture.number), decoded->height) << picture.number;
    const rt::Sprite* sprite = rt::FindSprite(picture.number);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(NonZeroPixels(sprite->surface), NonBlackPixels(*decoded)) << picture.number;
  }
}

TEST_P(RuntimeLoading, TheCraftsHeightStartsItAtOneEightyNinePointFive) {
  for (const AssetImage& picture : PicturesBeforeStarfield()) {
    rt::LoadSpriteFromMemory(picture.number, picture.data, picture.length);
  }
  const auto craftHeight = static_cast<std::int16_t>(rt::SpriteHeight(0));
  EXPECT_EQ(craftHeight, 21);
  EXPECT_EQ((400.0f - static_cast<float>(craftHeight)) / 2.0f, 189.5f);
}

}  // namespace
}  // namespace pellaris::assets::test
