// The three sounds: 16-bit mono PCM WAV files at 22050 Hz of exactly the catalogue's lengths, each
// peaking near -6 dBFS so that two or three at once stay clear of full scale, starting and ending
// without a click.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/assets/asset_reader.h"

namespace pellaris::assets::test {
namespace {

struct ExpectedSound {
  int number;
  std::uint32_t riffSize;
  std::uint32_t dataBytes;
};

class SoundFormat : public ::testing::TestWithParam<ExpectedSound> {};
INSTANTIATE_TEST_SUITE_P(Catalogue, SoundFormat,
                         ::testing::Values(ExpectedSound{0, 41440, 41404}, ExpectedSound{1, 100360, 100324},
                                           ExpectedSound{2, 44910, 44874}),
                         [](const auto& info) { return "Sound" + std::to_string(info.param.number); });

constexpr std::size_t kDataStart = 44;

std::vector<std::int16_t> Samples(const AssetImage& image) {
  std::vector<std::int16_t> samples;
  for (std::size_t at = kDataStart; at + 1 < image.length; at += 2) {
    samples.push_back(static_cast<std::int16_t>(U16At(image, at)));
  }
  return samples;
}

TEST_P(SoundFormat, IsARiffWaveWithAPcmFormatChunkAndItsData) {
  const ExpectedSound& expected = GetParam();
  const AssetImage& image = Sound(expected.number);
  EXPECT_EQ(TagAt(image, 0), "RIFF");
  EXPECT_EQ(U32At(image, 4), expected.riffSize);
  EXPECT_EQ(image.length, expected.riffSize + 8u);
  EXPECT_EQ(TagAt(image, 8), "WAVE");
  EXPECT_EQ(TagAt(image, 12), "fmt ");
  EXPECT_EQ(U32At(image, 16), 16u);
  EXPECT_EQ(U16At(image, 20), 1);       // PCM
  EXPECT_EQ(U16At(image, 22), 1);       // mono
  EXPECT_EQ(U32At(image, 24), 22050u);  // samples per second
  EXPECT_EQ(U32At(image, 28), 44100u);  // bytes per second
  EXPECT_EQ(U16At(image, 32), 2);       // block align
  EXPECT_EQ(U16At(image, 34), 16);      // bits per sample
  EXPECT_EQ(TagAt(image, 36), "data");
  EXPECT_EQ(U32At(image, 40), expected.dataBytes);
  EXPECT_EQ(kDataStart + expected.dataBytes, image.length);
}

TEST_P(SoundFormat, PeaksBetweenSevenAndFiveDecibelsBelowFullScale) {
  int peak = 0;
  for (std::int16_t s : Samples(Sound(GetParam().number)))
    peak = std::max(peak, std::abs(static_cast<int>(s)));
  const double decibels = 20.0 * std::log10(peak / 32768.0);
  EXPECT_GE(decibels, -7.0);
  EXPECT_LE(decibels, -5.0);
}

TEST_P(SoundFormat, StartsAndEndsWithoutAClick) {
  const std::vector<std::int16_t> samples = Samples(Sound(GetParam().number));
  ASSERT_FALSE(samples.empty());
  EXPECT_LT(std::abs(samples.front()), 1000);
  EXPECT_EQ(samples.back(), 0);
}

double EnergyShare(const std::vector<std::int16_t>& samples, double fromSeconds, double toSeconds) {
  double part = 0, total = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const double energy = static_cast<double>(samples[i]) * samples[i];
    const double t = static_cast<double>(i) / 22050.0;
    total += energy;
    if (t >= fromSeconds && t < toSeconds) part += energy;
  }
  return part / total;
}

TEST(ShotSound, HasMostOfItsEnergyInTheFirstTwoHundredMilliseconds) {
  EXPECT_GT(EnergyShare(Samples(Sound(0)), 0.0, 0.2), 0.8);
}

TEST(ExplosionSound, RumblesOnAndDecaysWithinASecond) {
  const std::vector<std::int16_t> samples = Samples(Sound(1));
  EXPECT_GT(EnergyShare(samples, 0.25, 1.0), 0.15);  // a boom, not a bang
  EXPECT_LT(EnergyShare(samples, 1.2, 2.3), 0.01);
  EXPECT_GT(EnergyShare(samples, 0.0, 0.5), EnergyShare(samples, 0.5, 1.0));
  EXPECT_GT(EnergyShare(samples, 0.5, 1.0), EnergyShare(samples, 1.0, 2.3) / 2);
}

}  // namespace
}  // namespace pellaris::assets::test
