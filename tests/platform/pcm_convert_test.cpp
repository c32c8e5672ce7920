#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/platform/platform.h"

namespace rt::platform {
namespace {

const AudioFormat kStereo16{44100, 2, SampleFormat::S16};

std::vector<std::uint8_t> Bytes(const std::vector<std::int16_t>& samples) {
  std::vector<std::uint8_t> bytes(samples.size() * 2);
  std::memcpy(bytes.data(), samples.data(), bytes.size());
  return bytes;
}

template <typename Sample>
std::vector<Sample> Samples(const std::vector<std::uint8_t>& bytes) {
  std::vector<Sample> samples(bytes.size() / sizeof(Sample));
  std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(Sample));
  return samples;
}

TEST(ConvertPcm, MonoBecomesTheSameSampleOnBothSides) {
  const std::vector<std::uint8_t> in = Bytes({100, -200, 32767, -32768});
  std::vector<std::uint8_t> out;
  ASSERT_TRUE(ConvertPcm(in.data(), in.size(), PcmFormat{44100, 1, 16}, kStereo16, out));
  EXPECT_EQ(Samples<std::int16_t>(out),
            (std::vector<std::int16_t>{100, 100, -200, -200, 32767, 32767, -32768, -32768}));
}

TEST(ConvertPcm, UnsignedBytesAreCentredOnZero) {
  const std::vector<std::uint8_t> in = {0x80, 0xFF, 0x00, 0x90};
  std::vector<std::uint8_t> out;
  ASSERT_TRUE(ConvertPcm(in.data(), in.size(), PcmFormat{44100, 2, 8}, kStereo16, out));
  EXPECT_EQ(Samples<std::int16_t>(out), (std::vector<std::int16_t>{0, 0x7F00, -32768, 0x1000}));
}

TEST(ConvertPcm, FloatDevicesGetTheSameLevels) {
  const std::vector<std::uint8_t> in = Bytes({16384, -16384});
  std::vector<std::uint8_t> out;
  ASSERT_TRUE(ConvertPcm(in.data(), in.size(), PcmFormat{44100, 2, 16},
                         AudioFormat{44100, 2, SampleFormat::F32}, out));
  EXPECT_EQ(Samples<float>(out), (std::vector<float>{0.5f, -0.5f}));
}

TEST(ConvertPcm, DoublingTheRateInterpolatesBetweenFrames) {
  const std::vector<std::uint8_t> in = Bytes({0, 1000, 100, 2000, 200, 3000});
  std::vector<std::uint8_t> out;
  ASSERT_TRUE(ConvertPcm(in.data(), in.size(), PcmFormat{22050, 2, 16}, kStereo16, out));
  EXPECT_EQ(Samples<std::int16_t>(out),
            (std::vector<std::int16_t>{0, 1000, 50, 1500, 100, 2000, 150, 2500, 200, 3000, 200, 3000}));
}

TEST(ConvertPcm, RateChangeKeepsTheDuration) {
  const std::vector<std::uint8_t> in(48000 * 4, 0);
  std::vector<std::uint8_t> out;
  ASSERT_TRUE(ConvertPcm(in.data(), in.size(), PcmFormat{48000, 2, 16}, kStereo16, out));
  EXPECT_EQ(out.size(), 44100u * 4);
  ASSERT_TRUE(ConvertPcm(in.data(), in.size(), PcmFormat{11025, 1, 8}, kStereo16, out));
  EXPECT_EQ(out.size(), in.size() * 4 * 4);  // a byte a frame in, four frames of four bytes out
}

TEST(ConvertPcm, TrailingHalfFrameIsDropped) {
  const std::vector<std::uint8_t> in = {0x10, 0x00, 0x20};
  std::vector<std::uint8_t> out;
  ASSERT_TRUE(ConvertPcm(in.data(), in.size(), PcmFormat{44100, 1, 16}, kStereo16, out));
  EXPECT_EQ(Samples<std::int16_t>(out), (std::vector<std::int16_t>{16, 16}));
}

TEST(ConvertPcm, NoSamplesGiveNoSamples) {
  std::vector<std::uint8_t> out = {1, 2, 3};
  ASSERT_TRUE(ConvertPcm(nullptr, 0, PcmFormat{11025, 1, 8}, kStereo16, out));
  EXPECT_TRUE(out.empty());
}

TEST(ConvertPcm, FormatsItDoesNotTakeFail) {
  const std::vector<std::uint8_t> in(64, 0);
  std::vector<std::uint8_t> out;
  EXPECT_FALSE(ConvertPcm(in.data(), in.size(), PcmFormat{44100, 2, 24}, kStereo16, out));
  EXPECT_FALSE(ConvertPcm(in.data(), in.size(), PcmFormat{44100, 3, 16}, kStereo16, out));
  EXPECT_FALSE(ConvertPcm(in.data(), in.size(), PcmFormat{0, 2, 16}, kStereo16, out));
  EXPECT_FALSE(ConvertPcm(in.data(), in.size(), PcmFormat{-8000, 2, 16}, kStereo16, out));
  EXPECT_FALSE(
      ConvertPcm(in.data(), in.size(), PcmFormat{44100, 2, 16}, AudioFormat{0, 2, SampleFormat::S16}, out));
  EXPECT_FALSE(ConvertPcm(nullptr, 4, PcmFormat{44100, 2, 16}, kStereo16, out));
}

}  // namespace
}  // namespace rt::platform
