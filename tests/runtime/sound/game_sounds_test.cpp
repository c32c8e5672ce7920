// The game's own embedded sounds load and play in full on every device format.
#include "assets/catalogue.h"
#include "tests/runtime/sound/sound_fixture.h"

namespace rt::test {
namespace {

class GameSoundsTest : public SoundTest, public ::testing::WithParamInterface<platform::AudioFormat> {
 protected:
  platform::AudioFormat DeviceFormat() const override { return GetParam(); }
};

TEST_P(GameSoundsTest, EachEmbeddedSoundPlaysItsWholeDataOnce) {
  for (const pellaris::assets::AssetImage& image : pellaris::assets::SoundImages()) {
    ASSERT_EQ(LoadSoundFromMemory(image.number, image.data, image.length), 1) << "sound " << image.number;
    // The samples start behind the 44-byte header: "RIFF", "fmt " with its 16-byte record, "data".
    const Bytes samples(image.data + 44, image.data + image.length);
    const Bytes expected = Converted(samples, {22050, 1, 16});
    ASSERT_EQ(PlaySoundEffect(image.number), 1);
    const int frames = static_cast<int>(expected.size() / BytesPerFrame());
    EXPECT_EQ(Render(frames), expected) << "sound " << image.number;
    EXPECT_TRUE(Silent(Render(64))) << "sound " << image.number;
  }
}

INSTANTIATE_TEST_SUITE_P(Devices, GameSoundsTest, ::testing::ValuesIn(kDeviceFormats), FormatName);

}  // namespace
}  // namespace rt::test
