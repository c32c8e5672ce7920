// Runs the sound library on a headless audio device and reads back what the mixer renders.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/platform/headless/headless_platform.h"
#include "runtime/platform/platform.h"
#include "runtime/sound/pcm_convert.h"
#include "runtime/sound/sound.h"
#include "tests/support/headless_runtime.h"
#include "tests/support/wav_image.h"

namespace rt::test {

// The device formats the mixer is run against: the common ones, and one the game's sounds need no
// resampling for.
inline const std::vector<platform::AudioFormat> kDeviceFormats{
    {44100, 2, platform::SampleFormat::S16},
    {48000, 2, platform::SampleFormat::F32},
    {22050, 1, platform::SampleFormat::S16},
};

inline std::string FormatName(const ::testing::TestParamInfo<platform::AudioFormat>& info) {
  return std::to_string(info.param.rate) + (info.param.channels == 1 ? "Mono" : "Stereo") +
         (info.param.sample == platform::SampleFormat::S16 ? "S16" : "F32");
}

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    device_.SetAudioFormat(DeviceFormat());
    ASSERT_TRUE(device_.Start({RuntimePart::Sound}));
    format_ = DeviceFormat();
  }
  void TearDown() override { EXPECT_EQ(device_.AudioLockDepth(), 0); }
  virtual platform::AudioFormat DeviceFormat() const { return kDeviceFormats.front(); }

  // The next `frames` frames the device plays, as raw bytes in its format.
  Bytes Render(int frames) {
    Bytes bytes(static_cast<std::size_t>(frames) * BytesPerFrame());
    if (format_.sample == platform::SampleFormat::S16) {
      const std::vector<std::int16_t> samples = device_.RenderAudio(frames);
      EXPECT_EQ(samples.size() * sizeof samples[0], bytes.size());
      std::memcpy(bytes.data(), samples.data(), std::min(bytes.size(), samples.size() * sizeof samples[0]));
    } else {
      const std::vector<float> samples = device_.RenderAudioFloat(frames);
      EXPECT_EQ(samples.size() * sizeof samples[0], bytes.size());
      std::memcpy(bytes.data(), samples.data(), std::min(bytes.size(), samples.size() * sizeof samples[0]));
    }
    return bytes;
  }

  // What loading converts a sound's samples to.
  Bytes Converted(const Bytes& samples, const PcmFormat& from) const {
    Bytes out;
    EXPECT_TRUE(ConvertPcm(samples.data(), samples.size(), from, format_, out));
    return out;
  }

  // A 16-bit sound in the device's own rate and channel count, so conversion only changes the
  // sample type: every value is the same level after loading.
  Bytes DeviceRateWav(const std::vector<int>& values) const {
    Bytes samples;
    for (int value : values) {
      for (int channel = 0; channel < format_.channels; ++channel) {
        Put16(samples, static_cast<unsigned>(value) & 0xFFFF);
      }
    }
    return Wav(Pcm(static_cast<unsigned>(format_.channels), static_cast<std::uint32_t>(format_.rate), 16),
               samples);
  }

  // Each sample of a rendered block as a level in [-1, 1] (16-bit values scaled by 1/32768).
  std::vector<double> Levels(const Bytes& block) const {
    std::vector<double> levels;
    if (format_.sample == platform::SampleFormat::S16) {
      for (std::size_t i = 0; i + 1 < block.size(); i += 2) {
        levels.push_back(static_cast<std::int16_t>(block[i] | block[i + 1] << 8) / 32768.0);
      }
    } else {
      for (std::size_t i = 0; i + 3 < block.size(); i += 4) {
        float value;
        std::memcpy(&value, &block[i], 4);
        levels.push_back(value);
      }
    }
    return levels;
  }

  // The level of the first channel of frame `frame` of a block.
  double LevelAt(const Bytes& block, int frame) const {
    return Levels(block).at(static_cast<std::size_t>(frame * format_.channels));
  }

  // The largest positive and negative levels the device format can carry.
  double PositiveFullScale() const {
    return format_.sample == platform::SampleFormat::S16 ? 32767 / 32768.0 : 1.0;
  }
  double NegativeFullScale() const { return -1.0; }

  bool Silent(const Bytes& block) const {
    for (double level : Levels(block)) {
      if (level != 0.0) return false;
    }
    return true;
  }

  std::size_t BytesPerFrame() const { return static_cast<std::size_t>(format_.BytesPerFrame()); }

  HeadlessRuntime device_;
  platform::AudioFormat format_;
};

}  // namespace rt::test
