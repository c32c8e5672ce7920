// Damaged WAV images: each is refused with 0 (leaving the number's earlier sound in place) or, where
// the damage leaves a readable sound, loads and plays without reading past the image.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/platform/headless/headless_platform.h"
#include "runtime/sound/sound.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/headless_runtime.h"
#include "tests/support/wav_image.h"

namespace rt::test {
namespace {

// The fmt chunk of a format, its size field saying `declared`.
Bytes FmtChunk(const WavFormat& format, std::uint32_t declared = 16) {
  return Chunk("fmt ", FormatRecord(format), declared);
}

// `samples` 16-bit samples in a data chunk whose size field says `declared` bytes.
Bytes DataChunk(std::uint32_t declared, int samples = 64) {
  Bytes content;
  for (int i = 0; i < samples; ++i) Put16(content, static_cast<unsigned>(i * 997));
  return Chunk("data", content, declared);
}

Bytes Good() {
  return Riff({FmtChunk({}), DataChunk(128)});
}

Bytes Cut(Bytes b, std::size_t length) {
  b.resize(length);
  return b;
}

enum class Expect { Refused, Either };

struct WavCase {
  const char* name;
  std::function<Bytes()> make;
  Expect expect;
};

std::vector<WavCase> WavCases() {
  const Bytes list = Chunk("LIST", {'I', 'N', 'F', 'O'});
  return {
      {"Empty", [] { return Bytes{}; }, Expect::Refused},
      {"CutInRiff", [] { return Cut(Good(), 3); }, Expect::Refused},
      {"CutInRiffSize", [] { return Cut(Good(), 6); }, Expect::Refused},
      {"CutInFormType", [] { return Cut(Good(), 10); }, Expect::Refused},
      {"CutInFmtId", [] { return Cut(Good(), 14); }, Expect::Refused},
      {"CutInFmtSize", [] { return Cut(Good(), 18); }, Expect::Refused},
      {"CutInFormatRecord", [] { return Cut(Good(), 30); }, Expect::Refused},
      {"CutInDataHeader", [] { return Cut(Good(), 40); }, Expect::Refused},
      {"CutInSamples", [] { return Cut(Good(), 100); }, Expect::Either},
      {"NotRiff",
       [] {
         Bytes b = Good();
         b[0] = 'X';
         return b;
       },
       Expect::Refused},
      {"DataSizePastEnd",
       [] {
         return Riff({FmtChunk({}), DataChunk(4096)});
       },
       Expect::Refused},
      {"DataSizeAllOnes",
       [] {
         return Riff({FmtChunk({}), DataChunk(0xFFFFFFFFu)});
       },
       Expect::Refused},
      {"DataSizeZero",
       [] {
         return Riff({FmtChunk({}), DataChunk(0, 0)});
       },
       Expect::Refused},
      {"FmtSizeAllOnes",
       [] {
         return Riff({FmtChunk({}, 0xFFFFFFFFu), DataChunk(128)});
       },
       Expect::Refused},
      {"FmtSizeZero",
       [] {
         return Riff({FmtChunk({}, 0), DataChunk(128)});
       },
       Expect::Refused},
      {"OtherChunkSizeAllOnes",
       [] {
         return Riff({FmtChunk({}), Chunk("junk", {}, 0xFFFFFFFFu), DataChunk(128)});
       },
       Expect::Refused},
      {"OtherChunkBeforeData",
       [list] {
         return Riff({FmtChunk({}), list, DataChunk(128)});
       },
       Expect::Either},
      {"FmtAfterData",
       [] {
         return Riff({DataChunk(128), FmtChunk({})});
       },
       Expect::Refused},
      {"NoDataChunk",
       [list] {
         return Riff({FmtChunk({}), list});
       },
       Expect::Refused},
      {"BlockAlignZero",
       [] {
         WavFormat f;
         f.blockAlign = 0;
         return Riff({FmtChunk(f), DataChunk(128)});
       },
       Expect::Refused},
      {"SevenBitSamples",
       [] {
         WavFormat f;
         f.bits = 7;
         return Riff({FmtChunk(f), DataChunk(128)});
       },
       Expect::Refused},
      {"ZeroChannels",
       [] {
         WavFormat f;
         f.channels = 0;
         return Riff({FmtChunk(f), DataChunk(128)});
       },
       Expect::Refused},
      {"RateZero",
       [] {
         WavFormat f;
         f.rate = 0;
         return Riff({FmtChunk(f), DataChunk(128)});
       },
       Expect::Refused},
      {"RateHuge",
       [] {
         WavFormat f;
         f.rate = 0xFFFFFFFFu;
         return Riff({FmtChunk(f), DataChunk(128)});
       },
       Expect::Refused},
      {"RiffSizeSmallerThanContent",
       [] {
         return Riff({FmtChunk({}), DataChunk(128)}, 40);
       },
       Expect::Refused},
      {"RiffSizeZero",
       [] {
         return Riff({FmtChunk({}), DataChunk(128)}, 0);
       },
       Expect::Refused},
      {"RiffSizeAllOnes",
       [] {
         return Riff({FmtChunk({}), DataChunk(128)}, 0xFFFFFFFFu);
       },
       Expect::Either},
      {"OddDataSize",
       [] {
         return Riff({FmtChunk({}), DataChunk(127)});
       },
       Expect::Either},
  };
}

class MalformedWav : public ::testing::TestWithParam<WavCase> {
 protected:
  void SetUp() override { ASSERT_TRUE(machine_.Start({RuntimePart::Sound})); }

  HeadlessRuntime machine_;
};

TEST_P(MalformedWav, IsRefusedOrPlaysWithinTheImage) {
  const Bytes bytes = GetParam().make();
  const std::vector<std::uint8_t> image(bytes.begin(), bytes.end());  // exactly sized
  const ObjectNumber result = LoadSoundFromMemory(0, image.data(), image.size());
  if (GetParam().expect == Expect::Refused) {
    EXPECT_EQ(result, 0);
    EXPECT_EQ(PlaySoundEffect(0), 0);
    return;
  }
  if (result == 0) return;
  ASSERT_EQ(PlaySoundEffect(0), 1);
  EXPECT_FALSE(machine_.RenderAudio(4096).empty());
}

using RefusedWav = MalformedWav;

TEST_P(RefusedWav, KeepsTheEarlierSound) {
  const Bytes good = Good();
  ASSERT_NE(LoadSoundFromMemory(0, good.data(), good.size()), 0);
  const Bytes bytes = GetParam().make();
  const std::vector<std::uint8_t> image(bytes.begin(), bytes.end());
  EXPECT_EQ(LoadSoundFromMemory(0, image.data(), image.size()), 0);
  EXPECT_EQ(PlaySoundEffect(0), 1);
}

std::vector<WavCase> RefusedWavCases() {
  std::vector<WavCase> cases = WavCases();
  std::erase_if(cases, [](const WavCase& c) { return c.expect != Expect::Refused; });
  return cases;
}

std::string WavCaseName(const ::testing::TestParamInfo<WavCase>& info) {
  return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, MalformedWav, ::testing::ValuesIn(WavCases()), WavCaseName);
INSTANTIATE_TEST_SUITE_P(Cases, RefusedWav, ::testing::ValuesIn(RefusedWavCases()), WavCaseName);

// ---- Small images whose conversion to the device's format would be huge: refused before anything
// is allocated for them, on both kinds of device; sounds of a sane length still load.
struct LargeSound {
  const char* name;
  std::uint32_t rate;
  int channels, bits;
  std::size_t dataBytes;
  bool loads;
};

Bytes SoundOf(const LargeSound& sound) {
  WavFormat f;
  f.rate = sound.rate;
  f.channels = sound.channels;
  f.bits = sound.bits;
  f.blockAlign = sound.channels * sound.bits / 8;
  return Riff({FmtChunk(f), Chunk("data", Bytes(sound.dataBytes, 0x40))});
}

class HostileWav : public ::testing::TestWithParam<std::tuple<LargeSound, platform::AudioFormat>> {
 protected:
  void SetUp() override {
    machine_.SetAudioFormat(std::get<1>(GetParam()));
    ASSERT_TRUE(machine_.Start({RuntimePart::Sound}));
  }

  HeadlessRuntime machine_;
};

TEST_P(HostileWav, NeverGrowsTheHeapPastASoundEffectsSize) {
  const LargeSound& sound = std::get<0>(GetParam());
  const Bytes image = SoundOf(sound);
  StartPeakMeasurement();
  const ObjectNumber result = LoadSoundFromMemory(0, image.data(), image.size());
  EXPECT_LE(PeakBytesSinceStart(), std::size_t{24} << 20);
  EXPECT_EQ(result != 0, sound.loads);
}

INSTANTIATE_TEST_SUITE_P(
    Sounds, HostileWav,
    ::testing::Combine(::testing::Values(LargeSound{"EightBitMonoAt1000Hz", 1000, 1, 8, 1400000, false},
                                         LargeSound{"SixteenBitStereoAt1000Hz", 1000, 2, 16, 4000000, false},
                                         LargeSound{"StereoAtTheHighestRate", 384000, 2, 16, 4000000, true},
                                         LargeSound{"AMinuteAtTheGamesRate", 22050, 1, 16, 2646000, true}),
                       ::testing::Values(platform::AudioFormat{44100, 2, platform::SampleFormat::S16},
                                         platform::AudioFormat{48000, 2, platform::SampleFormat::F32})),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) +
             (std::get<1>(info.param).sample == platform::SampleFormat::S16 ? "OnS16" : "OnF32");
    });

}  // namespace
}  // namespace rt::test
