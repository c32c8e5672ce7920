#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <utility>
#include <vector>

#include "runtime/sound/pcm_convert.h"

namespace rt::platform {
namespace {

const AudioFormat kStereo16{44100, 2, SampleFormat::S16};
const AudioFormat kStereoFloat{48000, 2, SampleFormat::F32};

std::vector<std::uint8_t> Bytes(const std::vector<std::int16_t>& samples) {
  std::vector<std::uint8_t> bytes(samples.size() * 2);
  std::memcpy(bytes.data(), samples.data(), bytes.size());
  return bytes;
}

template <typename Sample>
std::vector<Sample> Samples(const std::vector<std::uint8_t>& bytes) {
  std::vector<Sample> samples(bytes.size() / sizeof(Sample));
  if (samples.empty()) return samples;
  std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(Sample));
  return samples;
}

// `frames` frames of `channels` copies of the same value.
std::vector<std::uint8_t> Constant(std::int16_t value, int frames, int channels) {
  return Bytes(std::vector<std::int16_t>(static_cast<std::size_t>(frames * channels), value));
}

// A mono 16-bit sine tone.
std::vector<std::uint8_t> Tone(double hertz, double amplitude, int rate, int frames) {
  std::vector<std::int16_t> samples;
  for (int i = 0; i < frames; ++i) {
    samples.push_back(static_cast<std::int16_t>(
        std::lround(amplitude * std::sin(2 * std::numbers::pi * hertz * i / rate))));
  }
  return Bytes(samples);
}

std::vector<std::int16_t> Convert16(const std::vector<std::uint8_t>& in, const PcmFormat& from,
                                    const AudioFormat& to = kStereo16) {
  std::vector<std::uint8_t> out;
  EXPECT_TRUE(ConvertPcm(in.data(), in.size(), from, to, out));
  EXPECT_EQ(out.size() % static_cast<std::size_t>(to.BytesPerFrame()), 0u);
  return Samples<std::int16_t>(out);
}

// The samples of the first channel between 10% and 90% of the sound, clear of the resampler's edges.
std::vector<std::int16_t> Middle(const std::vector<std::int16_t>& samples, int channels) {
  std::vector<std::int16_t> middle;
  const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
  for (std::size_t i = frames / 10; i < frames * 9 / 10; ++i) middle.push_back(samples[i * channels]);
  return middle;
}

double Rms(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return std::sqrt(sum / static_cast<double>(to - from));
}

TEST(ConvertPcmSameRate, SoundInTheDevicesFormatComesThroughUnchanged) {
  const std::vector<std::uint8_t> in = Bytes({100, -200, 32767, -32768, 0, 1, -1, 12345});
  std::vector<std::uint8_t> out;
  ASSERT_TRUE(ConvertPcm(in.data(), in.size(), PcmFormat{44100, 2, 16}, kStereo16, out));
  EXPECT_EQ(out, in);
}

TEST(ConvertPcmSameRate, MonoBecomesTheSameSampleOnBothSidesWithinOneStep) {
  const std::vector<std::int16_t> in = {100, -200, 32767, -32768, 0, 7, -7, 20000};
  const std::vector<std::int16_t> out = Convert16(Bytes(in), PcmFormat{44100, 1, 16});
  ASSERT_EQ(out.size(), in.size() * 2);
  for (std::size_t i = 0; i < in.size(); ++i) {
    EXPECT_EQ(out[2 * i], out[2 * i + 1]) << "frame " << i;
    EXPECT_NEAR(out[2 * i], in[i], 1) << "frame " << i;
  }
}

TEST(ConvertPcmSameRate, StereoBecomesMonoAsTheMeanOfBothSides) {
  const std::vector<std::int16_t> out = Convert16(Bytes({1000, 3000, -4000, 2000, 0, 0}),
                                                  PcmFormat{44100, 2, 16}, {44100, 1, SampleFormat::S16});
  ASSERT_EQ(out.size(), 3u);
  EXPECT_NEAR(out[0], 2000, 1);
  EXPECT_NEAR(out[1], -1000, 1);
  EXPECT_EQ(out[2], 0);
}

TEST(ConvertPcmSameRate, UnsignedBytesAreCentredOnZero) {
  const std::vector<std::int16_t> out = Convert16({0x80, 0xFF, 0x00, 0x90}, PcmFormat{44100, 2, 8});
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0], 0);
  EXPECT_NEAR(out[1], 0x7F00, 1);
  EXPECT_EQ(out[2], -32768);
  EXPECT_NEAR(out[3], 0x1000, 1);
}

TEST(ConvertPcmSameRate, FloatDevicesGetTheSameLevels) {
  const std::vector<std::uint8_t> in = Bytes({16384, -16384, 32767, -32768});
  std::vector<std::uint8_t> out;
  ASSERT_TRUE(ConvertPcm(in.data(), in.size(), PcmFormat{48000, 2, 16}, kStereoFloat, out));
  const std::vector<float> levels = Samples<float>(out);
  ASSERT_EQ(levels.size(), 4u);
  const float step = 1.0f / 32768;
  EXPECT_NEAR(levels[0], 0.5f, step);
  EXPECT_NEAR(levels[1], -0.5f, step);
  EXPECT_NEAR(levels[2], 1.0f, step);
  EXPECT_NEAR(levels[3], -1.0f, step);
}

struct RateChange {
  int fromRate;
  int fromChannels;
  int toRate;
};

class ConvertPcmRateChange : public ::testing::TestWithParam<RateChange> {
 protected:
  PcmFormat From() const { return {GetParam().fromRate, GetParam().fromChannels, 16}; }
  AudioFormat To() const { return {GetParam().toRate, 2, SampleFormat::S16}; }
  double IdealFrames(int frames) const {
    return static_cast<double>(frames) * GetParam().toRate / GetParam().fromRate;
  }
};

TEST_P(ConvertPcmRateChange, KeepsTheDurationWithinAFewFrames) {
  for (int frames : {1001, 4410, 48000}) {
    const std::vector<std::int16_t> out = Convert16(Constant(0, frames, From().channels), From(), To());
    EXPECT_NEAR(static_cast<double>(out.size() / 2), IdealFrames(frames), 3) << frames << " frames";
  }
}

// SDL's filter passes a constant at very nearly, not exactly, full gain: the level wavers by up to
// about 0.25%, which is a step or two for quiet sounds.
TEST_P(ConvertPcmRateChange, ConstantStaysConstantAwayFromTheEdges) {
  for (std::int16_t level : {std::int16_t{1000}, std::int16_t{-20000}}) {
    const std::vector<std::int16_t> middle =
        Middle(Convert16(Constant(level, 4000, From().channels), From(), To()), 2);
    ASSERT_FALSE(middle.empty());
    const double tolerance = std::max(2.0, std::abs(level) * 0.005);
    for (std::int16_t sample : middle) ASSERT_NEAR(sample, level, tolerance) << "level " << level;
  }
}

TEST_P(ConvertPcmRateChange, SilenceStaysSilence) {
  const std::vector<std::int16_t> out = Convert16(Constant(0, 3000, From().channels), From(), To());
  ASSERT_FALSE(out.empty());
  for (std::int16_t sample : out) ASSERT_EQ(sample, 0);
}

INSTANTIATE_TEST_SUITE_P(Rates, ConvertPcmRateChange,
                         ::testing::Values(RateChange{22050, 1, 44100}, RateChange{22050, 1, 48000},
                                           RateChange{48000, 2, 44100}, RateChange{11025, 2, 22050},
                                           RateChange{44100, 1, 8000}));

TEST(ConvertPcmResampling, ToneKeepsItsPitchAndLevel) {
  const std::vector<std::int16_t> out = Convert16(Tone(441, 10000, 22050, 22050), PcmFormat{22050, 1, 16},
                                                  AudioFormat{48000, 2, SampleFormat::S16});
  const std::vector<std::int16_t> middle = Middle(out, 2);
  int crossings = 0;
  for (std::size_t i = 1; i < middle.size(); ++i) crossings += (middle[i - 1] < 0) != (middle[i] < 0);
  // 441 cycles a second, two crossings each, over the middle 80%.
  EXPECT_NEAR(crossings, 2 * 441 * 0.8, 2);
  EXPECT_NEAR(Rms(middle, 0, middle.size()), 10000 / std::numbers::sqrt2, 100);
}

TEST(ConvertPcmResampling, TheEndOfTheSoundIsKept) {
  const int frames = 2205;
  const std::vector<std::int16_t> out = Convert16(Tone(441, 10000, 22050, frames), PcmFormat{22050, 1, 16},
                                                  AudioFormat{48000, 1, SampleFormat::S16});
  ASSERT_NEAR(static_cast<double>(out.size()), frames * 48000.0 / 22050, 3);
  const double whole = Rms(out, 0, out.size());
  EXPECT_GT(Rms(out, out.size() * 9 / 10, out.size()), 0.8 * whole);
}

// A sound that comes out shorter than the rates have positions between two input samples (at most
// 4096) has its weights worked out frame by frame rather than all at once: its frames must come out
// exactly as those of a longer sound, up to where its own end comes within the kernel's reach.
TEST(ConvertPcmResampling, AShortSoundComesOutAsTheStartOfALongerOne) {
  for (const auto& [fromRate, toRate] : {std::pair{44101, 48000}, std::pair{96001, 44100}}) {
    const PcmFormat from{fromRate, 1, 16};
    const std::vector<std::uint8_t> tone = Tone(1000, 12000, fromRate, 20000);
    const std::vector<std::uint8_t> start(tone.begin(), tone.begin() + 2 * 1000);
    std::vector<float> longer, shorter;
    ASSERT_TRUE(ConvertPcmToFloat(tone.data(), tone.size(), from, toRate, 1, longer));
    ASSERT_TRUE(ConvertPcmToFloat(start.data(), start.size(), from, toRate, 1, shorter));
    ASSERT_GT(longer.size(), 4096u);
    ASSERT_LT(shorter.size(), 4096u);
    const auto clear = static_cast<std::size_t>((1000 - 40) * static_cast<double>(toRate) / fromRate);
    for (std::size_t i = 0; i < clear; ++i) ASSERT_EQ(shorter[i], longer[i]) << "frame " << i << " from " << fromRate;
  }
}

TEST(ConvertPcmResampling, UnsignedSilenceBecomesZero) {
  const std::vector<std::int16_t> out =
      Convert16(std::vector<std::uint8_t>(2000, 0x80), PcmFormat{11025, 1, 8});
  EXPECT_NEAR(static_cast<double>(out.size() / 2), 2000 * 4, 3);
  for (std::int16_t sample : out) ASSERT_EQ(sample, 0);
}

TEST(ConvertPcmResampling, FloatResultsStayWithinFullScale) {
  std::vector<std::int16_t> square;
  for (int i = 0; i < 2000; ++i) square.push_back((i / 20) % 2 ? std::int16_t{-32768} : std::int16_t{32767});
  const std::vector<std::uint8_t> in = Bytes(square);
  std::vector<std::uint8_t> out;
  ASSERT_TRUE(ConvertPcm(in.data(), in.size(), PcmFormat{22050, 1, 16}, kStereoFloat, out));
  ASSERT_FALSE(out.empty());
  for (float level : Samples<float>(out)) ASSERT_LE(std::abs(level), 1.0f);
}

// A sound is as long after its conversion as before, rounded up to a whole frame at the new rate, so
// that no sound loses its end and none, however short, becomes nothing.
TEST(ConvertPcmLength, IsTheNewRatesFramesRoundedUp) {
  struct Length {
    int frames, fromRate, toRate;
    std::size_t expected;
  };
  const Length lengths[] = {{1001, 22050, 48000, 2180}, {1, 48000, 22050, 1}, {2, 48000, 22050, 1},
                            {3, 48000, 22050, 2},       {441, 44100, 48000, 480}, {1000, 44100, 44100, 1000},
                            {7, 384000, 1000, 1},       {5, 1000, 384000, 1920},  {0, 22050, 48000, 0}};
  for (const Length& length : lengths) {
    const std::vector<std::uint8_t> in(static_cast<std::size_t>(length.frames), 0x80);
    std::vector<float> out;
    EXPECT_EQ(ConvertedFrames(static_cast<std::uint64_t>(length.frames), length.fromRate, length.toRate),
              length.expected)
        << length.frames << " frames from " << length.fromRate << " to " << length.toRate;
    ASSERT_TRUE(ConvertPcmToFloat(in.data(), in.size(), PcmFormat{length.fromRate, 1, 8}, length.toRate, 1, out));
    EXPECT_EQ(out.size(), length.expected) << length.frames << " frames from " << length.fromRate << " to "
                                           << length.toRate;
  }
}

TEST(ConvertPcmInput, TrailingPartialFrameIsDropped) {
  const std::vector<std::int16_t> out = Convert16({0x10, 0x00, 0x20}, PcmFormat{44100, 1, 16});
  ASSERT_EQ(out.size(), 2u);
  EXPECT_NEAR(out[0], 16, 1);
  EXPECT_EQ(out[1], out[0]);
  EXPECT_TRUE(Convert16({1, 2, 3}, PcmFormat{44100, 2, 16}).empty());
}

TEST(ConvertPcmInput, NoSamplesGiveNoSamples) {
  std::vector<std::uint8_t> out = {1, 2, 3};
  ASSERT_TRUE(ConvertPcm(nullptr, 0, PcmFormat{11025, 1, 8}, kStereo16, out));
  EXPECT_TRUE(out.empty());
}

TEST(ConvertPcmInput, FormatsItDoesNotTakeFailAndLeaveTheOutputAlone) {
  const std::vector<std::uint8_t> in(64, 0);
  const std::vector<std::uint8_t> before = {9, 8, 7};
  std::vector<std::uint8_t> out = before;
  const auto refuses = [&](const PcmFormat& from, const AudioFormat& to) {
    return !ConvertPcm(in.data(), in.size(), from, to, out) && out == before;
  };
  EXPECT_TRUE(refuses({44100, 2, 24}, kStereo16));
  EXPECT_TRUE(refuses({44100, 2, 32}, kStereo16));
  EXPECT_TRUE(refuses({44100, 2, 0}, kStereo16));
  EXPECT_TRUE(refuses({44100, 3, 16}, kStereo16));
  EXPECT_TRUE(refuses({44100, 0, 16}, kStereo16));
  EXPECT_TRUE(refuses({0, 2, 16}, kStereo16));
  EXPECT_TRUE(refuses({-8000, 2, 16}, kStereo16));
  EXPECT_TRUE(refuses({999, 2, 16}, kStereo16));
  EXPECT_TRUE(refuses({384001, 2, 16}, kStereo16));
  EXPECT_TRUE(refuses({44100, 2, 16}, {0, 2, SampleFormat::S16}));
  EXPECT_TRUE(refuses({44100, 2, 16}, {384001, 2, SampleFormat::S16}));
  EXPECT_TRUE(refuses({44100, 2, 16}, {44100, 3, SampleFormat::S16}));
  EXPECT_TRUE(refuses({44100, 2, 16}, {44100, 0, SampleFormat::F32}));
  EXPECT_TRUE(refuses({44100, 2, 16}, {44100, 2, static_cast<SampleFormat>(7)}));
  EXPECT_FALSE(ConvertPcm(nullptr, 4, PcmFormat{44100, 2, 16}, kStereo16, out));
  EXPECT_TRUE(ConvertPcm(in.data(), in.size(), PcmFormat{1000, 1, 8}, {384000, 2, SampleFormat::F32}, out));
}

TEST(ConvertPcmInput, AResultOfGigabytesIsRefused) {
  // A megabyte at the lowest rate would come out over a gigabyte at the highest.
  const std::vector<std::uint8_t> in(std::size_t{1} << 20, 0);
  std::vector<std::uint8_t> out;
  EXPECT_FALSE(ConvertPcm(in.data(), in.size(), PcmFormat{1000, 1, 16}, {384000, 2, SampleFormat::F32}, out));
}

}  // namespace
}  // namespace rt::platform
