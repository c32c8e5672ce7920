// The mix as a player hears it: starts timed to the frame whatever the device's block, the limiter's
// headroom, and the master volume.
#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/runtime/sound/sound_fixture.h"

namespace rt::test {
namespace {

constexpr std::uint64_t kSecond = platform::HeadlessPlatform::kCounterFrequency;

struct TimingCase {
  const char* name;
  int rate;
  std::uint64_t block;   // frames the device asks for at a time
  std::uint64_t jitter;  // how late a callback may come, in counter ticks
  std::uint64_t tolerance;  // frames an interval may be off by
};

// The game restarts a click every frame at 60 frames a second while the device asks for blocks of
// its own size: each click must be heard one frame's worth of samples after the one before, not at
// the start of whichever block came next.
TEST(MixTiming, PerFrameRestartsLandOneFrameApartWhateverTheDeviceBlock) {
  const TimingCase cases[] = {
      {"a frame's samples at each frame's end (the replay)", 44100, 735, 0, 0},
      {"1024-frame blocks", 44100, 1024, 0, 1},
      {"1024-frame blocks, callbacks up to 3 ms late", 44100, 1024, 3'000'000, 44},
      {"256-frame blocks", 44100, 256, 0, 1},
      {"48 kHz, 1024-frame blocks up to 3 ms late", 48000, 1024, 3'000'000, 48},
  };
  for (const TimingCase& c : cases) {
    SCOPED_TRACE(c.name);
    HeadlessRuntime machine;
    machine.SetAudioFormat({c.rate, 2, platform::SampleFormat::S16});
    ASSERT_TRUE(machine.Start({RuntimePart::Sound}));
    // One loud sample, then silence: where it is heard is where the start landed.
    Bytes click;
    for (int frame = 0; frame < 2000; ++frame) {
      Put16(click, frame == 0 ? 8000 : 0);
      Put16(click, frame == 0 ? 8000 : 0);
    }
    const Bytes image = Wav(Pcm(2, static_cast<std::uint32_t>(c.rate), 16), click);
    ASSERT_EQ(LoadSoundFromMemory(0, image.data(), image.size()), 1);

    // The stream runs for a few blocks before the first click, as it does in the game, and on a little
    // after the last.
    constexpr std::uint64_t kFirstClick = 6, kClicks = 120;
    const std::uint64_t end = (kFirstClick + kClicks + 6) * kSecond / 60;
    std::vector<std::int16_t> heard;
    std::uint64_t clicks = 0;
    for (std::uint64_t block = 0;;) {
      const std::uint64_t late = c.jitter ? (block * 2654435761u >> 7) % c.jitter : 0;
      const std::uint64_t callbackAt = block * c.block * kSecond / static_cast<std::uint64_t>(c.rate) + late;
      if (callbackAt > end) break;
      const std::uint64_t playAt = (kFirstClick + clicks) * kSecond / 60;
      if (clicks < kClicks && playAt <= callbackAt) {
        machine.AdvanceTime(playAt - machine.ElapsedNanoseconds());
        ASSERT_EQ(PlaySoundEffect(0), 1);
        ++clicks;
      } else {
        machine.AdvanceTime(callbackAt - machine.ElapsedNanoseconds());
        const std::vector<std::int16_t> samples = machine.RenderAudio(static_cast<int>(c.block));
        heard.insert(heard.end(), samples.begin(), samples.end());
        ++block;
      }
    }
    std::vector<std::int64_t> onsets;
    for (std::size_t i = 0; i < heard.size(); i += 2) {
      EXPECT_EQ(heard[i], heard[i + 1]);
      if (heard[i] != 0) onsets.push_back(static_cast<std::int64_t>(i / 2));
    }
    ASSERT_EQ(onsets.size(), kClicks);
    const auto frameSamples = static_cast<std::int64_t>(c.rate / 60);
    for (std::size_t i = 1; i < onsets.size(); ++i) {
      EXPECT_LE(std::abs(onsets[i] - onsets[i - 1] - frameSamples), static_cast<std::int64_t>(c.tolerance))
          << "click " << i << " at " << onsets[i];
    }
  }
}

class MixLevelsTest : public SoundTest, public ::testing::WithParamInterface<platform::AudioFormat> {
 protected:
  platform::AudioFormat DeviceFormat() const override { return GetParam(); }
};

struct LevelCase {
  const char* name;
  std::vector<int> sounds;  // the 16-bit level of each steady sound, all started together
  float volume;
  bool muted;
  double low, high;  // the range the mix must stay in, as a share of full scale
};

// Sounds of a steady level played together: what comes out, on every channel alike, and exact
// silence once they end.
TEST_P(MixLevelsTest, SoundsTogetherComeOutAtTheirLevelOrLimitedBelowFullScale) {
  const double threshold = std::pow(10.0, -3.0 / 20.0);
  const LevelCase cases[] = {
      {"a single sound passes untouched", {16384}, 1.0f, false, 0.5, 0.5},
      {"just under the limiter's threshold passes untouched", {23000}, 1.0f, false, 23000 / 32768.0,
       23000 / 32768.0},
      {"two sounds peaking at -6 dBFS bend below full scale", {16384, 16384}, 1.0f, false, threshold, 0.96},
      {"three loud sounds never reach full scale", {30000, 32767, 30000}, 1.0f, false, threshold, 0.96},
      {"opposite sounds cancel to exact silence", {16384, -16384}, 1.0f, false, 0.0, 0.0},
      {"half volume halves the level", {16384}, 0.5f, false, 0.25, 0.25},
      {"volume 0 is silence", {16384}, 0.0f, false, 0.0, 0.0},
      {"muted is silence", {16384}, 1.0f, true, 0.0, 0.0},
  };
  constexpr int kFrames = 2000;
  for (const LevelCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetSoundVolume(c.volume);
    SetSoundMuted(c.muted);
    EXPECT_TRUE(Silent(Render(format_.rate / 2)));  // the volume settles, the limiter recovers
    for (std::size_t i = 0; i < c.sounds.size(); ++i) {
      const Bytes image = DeviceRateWav(std::vector<int>(kFrames, c.sounds[i]));
      ASSERT_EQ(LoadSoundFromMemory(static_cast<ObjectNumber>(i), image.data(), image.size()), 1);
      ASSERT_EQ(PlaySoundEffect(static_cast<ObjectNumber>(i)), 1);
    }
    const std::vector<double> levels = Levels(Render(kFrames + 100));
    const auto channels = static_cast<std::size_t>(format_.channels);
    for (std::size_t i = 0; i < levels.size(); ++i) {
      if (i / channels < kFrames) {
        ASSERT_GE(levels[i], c.low) << "sample " << i;
        ASSERT_LE(levels[i], c.high) << "sample " << i;
      } else {
        ASSERT_EQ(levels[i], 0.0) << "sample " << i;
      }
      ASSERT_EQ(levels[i], levels[i - i % channels]) << "sample " << i;
    }
  }
}

// A volume change, muting and unmuting while a sound plays: the level glides to the new one within
// a few tens of milliseconds, never in a step that would click.
TEST_P(MixLevelsTest, VolumeAndMuteGlideWithoutAClick) {
  const Bytes image = DeviceRateWav(std::vector<int>(format_.rate, 16384));
  ASSERT_EQ(LoadSoundFromMemory(0, image.data(), image.size()), 1);
  ASSERT_EQ(PlaySoundEffect(0), 1);
  Render(100);
  const int settle = format_.rate / 40;  // 25 ms
  const auto channels = static_cast<std::size_t>(format_.channels);
  double last = 0.5;
  auto expectGlideTo = [&](double level) {
    const std::vector<double> levels = Levels(Render(settle));
    for (std::size_t i = 0; i < levels.size(); i += channels) {
      EXPECT_LE(std::abs(levels[i] - last), 0.002) << "frame " << i / channels;
      last = levels[i];
    }
    EXPECT_EQ(last, level);
  };
  SetSoundVolume(0.25f);
  EXPECT_EQ(SoundVolume(), 0.25f);
  expectGlideTo(0.125);
  SetSoundMuted(true);
  EXPECT_TRUE(SoundMuted());
  expectGlideTo(0.0);
  SetSoundMuted(false);
  expectGlideTo(0.125);
  SetSoundVolume(7.0f);  // beyond the range: full
  EXPECT_EQ(SoundVolume(), 1.0f);
  expectGlideTo(0.5);
}

INSTANTIATE_TEST_SUITE_P(Devices, MixLevelsTest, ::testing::ValuesIn(kDeviceFormats), FormatName);

}  // namespace
}  // namespace rt::test
