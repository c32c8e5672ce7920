// The three sounds: 16-bit mono PCM WAV files at 22050 Hz of exactly the catalogue's lengths, each
// peaking near -6 dBFS so that two or three at once stay clear of full scale, starting and ending
// without a click.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
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

// Share of the energy above `hertz`, through a windowed-sinc high-pass (Blackman, 127 taps): sharp
// enough at 22050 Hz for a bound, and far less code than a transform.
double ShareAbove(const std::vector<std::int16_t>& samples, double hertz) {
  constexpr int kHalf = 63;
  const double cut = hertz / 22050.0;
  std::vector<double> taps;
  for (int n = -kHalf; n <= kHalf; ++n) {
    const double x = std::numbers::pi * (n + kHalf) / kHalf;
    const double window = 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2 * x);
    const double lowPass =
        n == 0 ? 2 * cut : std::sin(2 * std::numbers::pi * cut * n) / (std::numbers::pi * n);
    taps.push_back((n == 0 ? 1.0 : 0.0) - window * lowPass);
  }
  double above = 0, total = 0;
  for (std::size_t i = 0; i < samples.size() + taps.size() - 1; ++i) {
    double out = 0;
    for (std::size_t k = 0; k < taps.size() && k <= i; ++k) {
      if (i - k < samples.size()) out += taps[k] * samples[i - k];
    }
    above += out * out;
  }
  for (std::int16_t s : samples) total += static_cast<double>(s) * s;
  return above / total;
}

constexpr double kFrame = 1.0 / 60;  // continuous fire restarts the shot and the hit every frame

struct ContentBound {
  const char* what;
  int sound;
  double (*share)(const std::vector<std::int16_t>&);
  double most;
};

// Under continuous fire each restart cuts the sound at one frame: one still loud there plays as an
// unbroken drone instead of a tick per frame, and hiss repeated sixty times a second grates.
TEST(SoundContent, KeepsContinuousFireATickPerFrameWithoutHiss) {
  using Pcm = std::vector<std::int16_t>;
  const ContentBound bounds[] = {
      {"shot after its first frame", 0, [](const Pcm& s) { return EnergyShare(s, kFrame, 10.0); }, 0.25},
      {"hit after its first frame", 2, [](const Pcm& s) { return EnergyShare(s, kFrame, 10.0); }, 0.5},
      {"hit above 6 kHz", 2, [](const Pcm& s) { return ShareAbove(s, 6000.0); }, 1.0 / 3},
  };
  for (const ContentBound& bound : bounds) {
    EXPECT_LT(bound.share(Samples(Sound(bound.sound))), bound.most) << bound.what;
  }
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
