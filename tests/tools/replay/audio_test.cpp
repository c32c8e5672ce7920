// The replay tool's --audio: what a scripted run played, written as a WAV file that reads back, with
// every shot of continuous fire heard one frame after the one before and nothing at full scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/catalogue.h"
#include "game/asset_numbers.h"
#include "play/replay.h"
#include "runtime/sound/pcm_convert.h"
#include "runtime/sound/wav.h"
#include "tools/writers/wav_writer.h"

namespace pellaris::replay {
using namespace pellaris::play;
namespace {

constexpr std::size_t kFrameSamples = kAudioRate / 60;

// The first 4 ms of the shot as the device plays it (left channel).
std::vector<float> ShotAttack() {
  for (const assets::AssetImage& image : assets::SoundImages()) {
    if (image.number != kShotSound) continue;
    rt::WavSamples wav;
    std::vector<std::uint8_t> bytes;
    if (!rt::ReadWav(image.data, image.length, wav) ||
        !rt::ConvertPcm(wav.data, wav.bytes, wav.format, {kAudioRate, 2, rt::platform::SampleFormat::F32},
                        bytes)) {
      break;
    }
    std::vector<float> attack(kAudioRate / 250);
    for (std::size_t i = 0; i < attack.size(); ++i) std::memcpy(&attack[i], &bytes[i * 8], sizeof(float));
    return attack;
  }
  return {};
}

// Where the shot starts in `left`: the peaks of its normalised correlation with the shot's attack,
// at least a third of a frame apart. Other sounds starting with it make a few shots unrecognisable.
std::vector<std::size_t> ShotOnsets(const std::vector<float>& left, const std::vector<float>& attack) {
  double attackEnergy = 0;
  for (float a : attack) attackEnergy += a * a;
  std::vector<double> match(left.size() - attack.size(), 0.0);
  for (std::size_t i = 0; i < match.size(); ++i) {
    double dot = 0, energy = 0;
    for (std::size_t k = 0; k < attack.size(); ++k) {
      dot += left[i + k] * attack[k];
      energy += left[i + k] * left[i + k];
    }
    if (energy > 0) match[i] = dot / std::sqrt(energy * attackEnergy);
  }
  std::vector<std::size_t> onsets;
  for (std::size_t i = 1; i + 1 < match.size(); ++i) {
    if (match[i] < 0.75 || match[i] < match[i - 1] || match[i] < match[i + 1]) continue;
    if (!onsets.empty() && i - onsets.back() < kFrameSamples / 3) {
      if (match[i] > match[onsets.back()]) onsets.back() = i;
    } else {
      onsets.push_back(i);
    }
  }
  return onsets;
}

TEST(ReplayAudio, ContinuousFireIsHeardOneFrameApartAndNeverAtFullScale) {
  ReplayOptions options;
  options.frames = 400;
  options.events = ParseScript("2 key down 28\n3 key up 28\n40 key down 29\n").events;
  const std::string path = ::testing::TempDir() + "replay_audio_test.wav";
  writers::WavFileWriter writer(kAudioRate, kAudioChannels);
  ASSERT_TRUE(writer.Open(path));
  options.audio = [&writer](const std::int16_t* samples, std::size_t count) { writer.Write(samples, count); };
  int shots = 0;
  RunReplay(options, nullptr, [&shots](const FrameRecord& record) {
    shots += static_cast<int>(std::count(record.sounds.begin(), record.sounds.end(), kShotSound));
  });
  ASSERT_TRUE(writer.Finish());
  ASSERT_GT(shots, 300);

  std::ifstream file(path, std::ios::binary);
  const std::vector<char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  rt::WavSamples wav;
  ASSERT_TRUE(rt::ReadWav(image.data(), image.size(), wav));
  EXPECT_EQ(wav.format.rate, kAudioRate);
  EXPECT_EQ(wav.format.channels, kAudioChannels);
  EXPECT_EQ(wav.format.bitsPerSample, 16);
  // The file covers the run's virtual time: a frame's samples per pass.
  const std::size_t frames = wav.bytes / 4;
  EXPECT_GE(frames, static_cast<std::size_t>(options.frames) * kFrameSamples);

  std::vector<float> left;
  for (std::size_t frame = 0; frame < frames; ++frame) {
    const auto l = static_cast<std::int16_t>(wav.data[frame * 4] | wav.data[frame * 4 + 1] << 8);
    const auto r = static_cast<std::int16_t>(wav.data[frame * 4 + 2] | wav.data[frame * 4 + 3] << 8);
    ASSERT_EQ(l, r) << "frame " << frame;
    ASSERT_LT(std::abs(l), 32767) << "frame " << frame;
    left.push_back(static_cast<float>(l) / 32768.0f);
  }
  const std::vector<std::size_t> onsets = ShotOnsets(left, ShotAttack());
  EXPECT_GE(onsets.size(), static_cast<std::size_t>(shots) * 4 / 5);
  int oneFrameApart = 0;
  for (std::size_t i = 1; i < onsets.size(); ++i) {
    const std::size_t gap = onsets[i] - onsets[i - 1];
    // A missed shot makes a gap of whole frames; a block-bound start would be off by far more.
    const std::size_t rest = gap % kFrameSamples;
    EXPECT_LE(std::min(rest, kFrameSamples - rest), 1u) << "gap " << gap << " before onset " << onsets[i];
    oneFrameApart += gap == kFrameSamples;
  }
  EXPECT_GE(oneFrameApart, shots * 3 / 4);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace pellaris::replay
