// Playing numbered sounds: what comes out of the device after a play, restarts and mixing.
#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/runtime/sound/sound_fixture.h"

namespace rt::test {
namespace {

const PcmFormat kGameFormat{22050, 1, 16};

// A few hundred frames of busy 16-bit noise: any lost, repeated or shifted frame shows. It stays
// 12 dB down, below the limiter's threshold even after resampling, so it must come out exactly.
Bytes NoiseSamples(std::uint32_t seed, int count) {
  Bytes samples;
  for (int i = 0; i < count; ++i) {
    seed = seed * 1664525u + 1013904223u;
    Put16(samples, static_cast<unsigned>(static_cast<std::int16_t>(seed >> 16) / 4) & 0xFFFF);
  }
  return samples;
}

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t count) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
               bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

class PlaybackTest : public SoundTest, public ::testing::WithParamInterface<platform::AudioFormat> {
 protected:
  platform::AudioFormat DeviceFormat() const override { return GetParam(); }
  void SetUp() override {
    SoundTest::SetUp();
    samples_ = NoiseSamples(7, 300);
    const Bytes image = Wav(Pcm(1, 22050, 16), samples_);
    ASSERT_EQ(LoadSoundFromMemory(0, image.data(), image.size()), 1);
    expected_ = Converted(samples_, kGameFormat);
    frames_ = static_cast<int>(expected_.size() / BytesPerFrame());
    ASSERT_GT(frames_, 100);
  }

  Bytes samples_;
  Bytes expected_;  // the whole sound in the device's format
  int frames_ = 0;
};

TEST_P(PlaybackTest, LoadedSoundIsSilentUntilPlayed) {
  EXPECT_TRUE(Silent(Render(frames_)));
}

TEST_P(PlaybackTest, FirstBlockAfterPlayCarriesTheConvertedSamplesExactly) {
  ASSERT_EQ(PlaySoundEffect(0), 1);
  const Bytes block = Render(frames_ + 50);
  EXPECT_EQ(Slice(block, 0, expected_.size()), expected_);
  EXPECT_TRUE(Silent(Slice(block, expected_.size(), 50 * BytesPerFrame())));
}

TEST_P(PlaybackTest, SoundContinuesAcrossBlocksAndStopsAtItsEnd) {
  ASSERT_EQ(PlaySoundEffect(0), 1);
  Bytes played = Render(37);
  while (played.size() < expected_.size() + 100 * BytesPerFrame()) {
    const Bytes block = Render(41);
    played.insert(played.end(), block.begin(), block.end());
  }
  EXPECT_EQ(Slice(played, 0, expected_.size()), expected_);
  EXPECT_TRUE(Silent(Slice(played, expected_.size(), played.size() - expected_.size())));
}

TEST_P(PlaybackTest, PlayingAgainFadesTheFirstPlayingOutAndStartsFromTheBeginning) {
  ASSERT_EQ(PlaySoundEffect(0), 1);
  const Bytes first = Render(60);
  EXPECT_EQ(first, Slice(expected_, 0, 60 * BytesPerFrame()));
  ASSERT_EQ(PlaySoundEffect(0), 1);
  const Bytes block = Render(frames_ + 10);
  // Over the new start lies the first playing, going on where it was and fading within 2 ms: a
  // cut would leave a step in the waveform, heard as a click.
  const std::vector<double> heard = Levels(block), start = Levels(expected_);
  const auto fadeFrames = static_cast<std::size_t>(format_.rate / 500);
  const auto channels = static_cast<std::size_t>(format_.channels);
  EXPECT_NE(heard[0], start[0]);
  for (std::size_t i = 0; i < fadeFrames * channels; ++i) {
    const double firstGoingOn = start[60 * channels + i];
    EXPECT_LE(std::abs(heard[i] - start[i]), std::abs(firstGoingOn) + 1 / 32768.0) << "sample " << i;
  }
  const std::size_t fadeBytes = fadeFrames * BytesPerFrame();
  EXPECT_EQ(Slice(block, fadeBytes, expected_.size() - fadeBytes), Slice(expected_, fadeBytes, expected_.size() - fadeBytes));
  EXPECT_TRUE(Silent(Slice(block, expected_.size(), 10 * BytesPerFrame())));
}

TEST_P(PlaybackTest, TwoPlaysBeforeTheDeviceRunsSoundOnce) {
  ASSERT_EQ(PlaySoundEffect(0), 1);
  ASSERT_EQ(PlaySoundEffect(0), 1);
  EXPECT_EQ(Slice(Render(frames_), 0, expected_.size()), expected_);
}

TEST_P(PlaybackTest, FinishedSoundPlaysAgainFromTheBeginning) {
  ASSERT_EQ(PlaySoundEffect(0), 1);
  Render(frames_ + 20);
  EXPECT_TRUE(Silent(Render(20)));
  ASSERT_EQ(PlaySoundEffect(0), 1);
  EXPECT_EQ(Slice(Render(frames_), 0, expected_.size()), expected_);
}

TEST_P(PlaybackTest, NumbersWithoutASoundDoNotPlay) {
  EXPECT_EQ(PlaySoundEffect(1), 0);
  EXPECT_EQ(PlaySoundEffect(64), 0);
  EXPECT_EQ(PlaySoundEffect(100000), 0);
  EXPECT_EQ(PlaySoundEffect(kAutomaticObject), 0);
  EXPECT_EQ(PlaySoundEffect(kFirstAutomaticNumber), 0);
  EXPECT_TRUE(Silent(Render(frames_)));
}

TEST_P(PlaybackTest, AutomaticNumberNamesANewSound) {
  const Bytes other = NoiseSamples(99, 200);
  const Bytes image = Wav(Pcm(1, 22050, 16), other);
  const ObjectNumber handle = LoadSoundFromMemory(kAutomaticObject, image.data(), image.size());
  ASSERT_GE(handle, kFirstAutomaticNumber);
  const Bytes expected = Converted(other, kGameFormat);
  ASSERT_EQ(PlaySoundEffect(handle), 1);
  EXPECT_EQ(Slice(Render(static_cast<int>(expected.size() / BytesPerFrame())), 0, expected.size()), expected);
  // The fixed number still holds its own sound.
  ASSERT_EQ(PlaySoundEffect(0), 1);
  EXPECT_EQ(Slice(Render(frames_), 0, expected_.size()), expected_);
}

TEST_P(PlaybackTest, NumberGrowsTheTableBeyondItsFirstSlots) {
  const Bytes image = Wav(Pcm(1, 22050, 16), samples_);
  ASSERT_EQ(LoadSoundFromMemory(200, image.data(), image.size()), 1);
  ASSERT_EQ(PlaySoundEffect(200), 1);
  EXPECT_EQ(Slice(Render(frames_), 0, expected_.size()), expected_);
}

TEST_P(PlaybackTest, LoadingOverAPlayingNumberStopsItAndHoldsTheNewSound) {
  ASSERT_EQ(PlaySoundEffect(0), 1);
  Render(30);
  const Bytes other = NoiseSamples(1234, 150);
  const Bytes image = Wav(Pcm(1, 22050, 16), other);
  ASSERT_EQ(LoadSoundFromMemory(0, image.data(), image.size()), 1);
  EXPECT_TRUE(Silent(Render(frames_)));
  const Bytes expected = Converted(other, kGameFormat);
  ASSERT_EQ(PlaySoundEffect(0), 1);
  EXPECT_EQ(Slice(Render(static_cast<int>(expected.size() / BytesPerFrame())), 0, expected.size()), expected);
}

// Mixing uses sounds at the device's own rate and layout, so every level is known exactly.
class MixingTest : public SoundTest, public ::testing::WithParamInterface<platform::AudioFormat> {
 protected:
  platform::AudioFormat DeviceFormat() const override { return GetParam(); }
  void Load(ObjectNumber number, const std::vector<int>& values) {
    const Bytes image = DeviceRateWav(values);
    ASSERT_EQ(LoadSoundFromMemory(number, image.data(), image.size()), 1);
  }
};

TEST_P(MixingTest, DifferentNumbersPlayTogetherAndAdd) {
  Load(0, {1000, 2000, -3000, 4000});
  Load(1, {500, -700, 100});
  ASSERT_EQ(PlaySoundEffect(0), 1);
  ASSERT_EQ(PlaySoundEffect(1), 1);
  const Bytes block = Render(5);
  const std::vector<double> expected{1500, 1300, -2900, 4000, 0};
  for (int frame = 0; frame < 5; ++frame) {
    for (int channel = 0; channel < format_.channels; ++channel) {
      EXPECT_EQ(Levels(block).at(static_cast<std::size_t>(frame * format_.channels + channel)),
                expected[static_cast<std::size_t>(frame)] / 32768.0)
          << "frame " << frame << " channel " << channel;
    }
  }
}

TEST_P(MixingTest, LateStartMixesFromItsOwnBeginning) {
  Load(0, {100, 100, 100, 100, 100, 100});
  Load(1, {1000, 2000});
  ASSERT_EQ(PlaySoundEffect(0), 1);
  Render(2);
  ASSERT_EQ(PlaySoundEffect(1), 1);
  const Bytes block = Render(4);
  EXPECT_EQ(LevelAt(block, 0), 1100 / 32768.0);
  EXPECT_EQ(LevelAt(block, 1), 2100 / 32768.0);
  EXPECT_EQ(LevelAt(block, 2), 100 / 32768.0);
  EXPECT_EQ(LevelAt(block, 3), 100 / 32768.0);
}

TEST_P(MixingTest, LoudOverlapsStayBelowFullScaleWithoutWrapping) {
  Load(0, {30000, -30000, 32767, -32768, 20000});
  Load(1, {30000, -30000, 32767, -32768, -20000});
  ASSERT_EQ(PlaySoundEffect(0), 1);
  ASSERT_EQ(PlaySoundEffect(1), 1);
  const Bytes block = Render(5);
  for (int frame = 0; frame < 4; ++frame) {
    const double level = LevelAt(block, frame);
    EXPECT_GT(std::abs(level), 0.7) << "frame " << frame;
    EXPECT_LT(level, PositiveFullScale()) << "frame " << frame;
    EXPECT_GT(level, NegativeFullScale()) << "frame " << frame;
    EXPECT_EQ(level > 0, frame % 2 == 0) << "frame " << frame;
  }
  EXPECT_EQ(LevelAt(block, 4), 0.0);
}

TEST_P(MixingTest, LimitingAppliesToTheWholeSumNotToEachVoiceInTurn) {
  Load(0, {20000});
  Load(1, {20000});
  Load(2, {-20000});
  for (ObjectNumber number : {0, 1, 2}) ASSERT_EQ(PlaySoundEffect(number), 1);
  EXPECT_EQ(LevelAt(Render(1), 0), 20000 / 32768.0);
}

INSTANTIATE_TEST_SUITE_P(Devices, PlaybackTest, ::testing::ValuesIn(kDeviceFormats), FormatName);
INSTANTIATE_TEST_SUITE_P(Devices, MixingTest, ::testing::ValuesIn(kDeviceFormats), FormatName);

}  // namespace
}  // namespace rt::test
