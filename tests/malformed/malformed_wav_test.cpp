// Damaged WAV images: each is refused with 0 (leaving the number's earlier sound in place) or, where
// the damage leaves a readable sound, loads and plays without reading past the image.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/platform/headless/headless_platform.h"
#include "runtime/runtime.h"
#include "runtime/sound/sound.h"
#include "tests/support/allocation_counter.h"

namespace rt::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Append16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Append32(Bytes& b, std::uint32_t v) {
  Append16(b, v & 0xFFFF);
  Append16(b, v >> 16);
}
void AppendId(Bytes& b, const char (&id)[5]) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(id[i]));
}

struct Format {
  std::uint32_t chunkSize = 16;
  int tag = 1, channels = 1;
  std::uint32_t rate = 22050;
  int blockAlign = 2, bits = 16;
};

Bytes FmtChunk(const Format& f) {
  Bytes b;
  AppendId(b, "fmt ");
  Append32(b, f.chunkSize);
  Append16(b, static_cast<std::uint32_t>(f.tag));
  Append16(b, static_cast<std::uint32_t>(f.channels));
  Append32(b, f.rate);
  Append32(b, f.rate * static_cast<std::uint32_t>(f.blockAlign));
  Append16(b, static_cast<std::uint32_t>(f.blockAlign));
  Append16(b, static_cast<std::uint32_t>(f.bits));
  return b;
}

Bytes DataChunk(std::uint32_t declared, int samples = 64) {
  Bytes b;
  AppendId(b, "data");
  Append32(b, declared);
  for (int i = 0; i < samples; ++i) Append16(b, static_cast<std::uint32_t>(i * 997));
  return b;
}

// "RIFF", the size (of everything behind it unless given), "WAVE", then the chunks.
Bytes Riff(const std::vector<Bytes>& chunks, std::int64_t riffSize = -1) {
  Bytes body;
  AppendId(body, "WAVE");
  for (const Bytes& chunk : chunks) body.insert(body.end(), chunk.begin(), chunk.end());
  Bytes b;
  AppendId(b, "RIFF");
  Append32(b, riffSize < 0 ? static_cast<std::uint32_t>(body.size()) : static_cast<std::uint32_t>(riffSize));
  b.insert(b.end(), body.begin(), body.end());
  return b;
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
  Bytes list;
  AppendId(list, "LIST");
  Append32(list, 4);
  AppendId(list, "INFO");
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
         Format f;
         f.chunkSize = 0xFFFFFFFFu;
         return Riff({FmtChunk(f), DataChunk(128)});
       },
       Expect::Refused},
      {"FmtSizeZero",
       [] {
         Format f;
         f.chunkSize = 0;
         return Riff({FmtChunk(f), DataChunk(128)});
       },
       Expect::Refused},
      {"OtherChunkSizeAllOnes",
       [] {
         Bytes junk;
         AppendId(junk, "junk");
         Append32(junk, 0xFFFFFFFFu);
         return Riff({FmtChunk({}), junk, DataChunk(128)});
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
         Format f;
         f.blockAlign = 0;
         return Riff({FmtChunk(f), DataChunk(128)});
       },
       Expect::Refused},
      {"SevenBitSamples",
       [] {
         Format f;
         f.bits = 7;
         return Riff({FmtChunk(f), DataChunk(128)});
       },
       Expect::Refused},
      {"ZeroChannels",
       [] {
         Format f;
         f.channels = 0;
         return Riff({FmtChunk(f), DataChunk(128)});
       },
       Expect::Refused},
      {"RateZero",
       [] {
         Format f;
         f.rate = 0;
         return Riff({FmtChunk(f), DataChunk(128)});
       },
       Expect::Refused},
      {"RateHuge",
       [] {
         Format f;
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
  void SetUp() override { ASSERT_NE(InitSoundSystem(), 0); }
  void TearDown() override { EndRuntime(); }

  platform::InstalledHeadless machine_;
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
  Format f;
  f.rate = sound.rate;
  f.channels = sound.channels;
  f.bits = sound.bits;
  f.blockAlign = sound.channels * sound.bits / 8;
  Bytes data;
  AppendId(data, "data");
  Append32(data, static_cast<std::uint32_t>(sound.dataBytes));
  data.resize(data.size() + sound.dataBytes, 0x40);
  return Riff({FmtChunk(f), data});
}

class HostileWav : public ::testing::TestWithParam<std::tuple<LargeSound, platform::AudioFormat>> {
 protected:
  void SetUp() override {
    machine_.SetAudioFormat(std::get<1>(GetParam()));
    ASSERT_NE(InitSoundSystem(), 0);
  }
  void TearDown() override { EndRuntime(); }

  platform::InstalledHeadless machine_;
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
