// Reading WAV images: the chunk walk, the sample formats taken, and images that must be refused
// without disturbing the sound already held under the number.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/runtime/sound/sound_fixture.h"

namespace rt::test {
namespace {

const Bytes kSamples = Samples16({1200, -1200, 2400, -2400, 3600, -3600, 4800, -4800});

class LoadingTest : public SoundTest, public ::testing::WithParamInterface<platform::AudioFormat> {
 protected:
  platform::AudioFormat DeviceFormat() const override { return GetParam(); }
  // Loads an image under number 0 and returns what playing it renders, for `frames` frames.
  Bytes LoadAndPlay(const Bytes& image, int frames) {
    EXPECT_EQ(LoadSoundFromMemory(0, image.data(), image.size()), 1);
    EXPECT_EQ(PlaySoundEffect(0), 1);
    return Render(frames);
  }
  // `expected` followed by silence, as rendered over `frames` frames.
  Bytes Padded(Bytes expected, int frames) const {
    expected.resize(static_cast<std::size_t>(frames) * BytesPerFrame(), 0);  // zero bytes are silence
    return expected;
  }
};

TEST_P(LoadingTest, ChunksBetweenFormatAndDataAreSkipped) {
  const Bytes list = Chunk("LIST", {'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 4, 0, 0, 0, 'd', 'a', 't', 'a'});
  const Bytes fact = Chunk("fact", {8, 0, 0, 0});
  const Bytes image =
      Riff({Chunk("fmt ", FormatRecord(Pcm(1, 22050, 16))), list, fact, Chunk("data", kSamples)});
  EXPECT_EQ(LoadAndPlay(image, 60), Padded(Converted(kSamples, {22050, 1, 16}), 60));
}

TEST_P(LoadingTest, OddChunkSizesAreFollowedWithoutAPadByte) {
  const Bytes note = Chunk("note", {'a', 'b', 'c'});
  const Bytes image = Riff({Chunk("fmt ", FormatRecord(Pcm(1, 22050, 16))), note, Chunk("data", kSamples)});
  EXPECT_EQ(LoadAndPlay(image, 60), Padded(Converted(kSamples, {22050, 1, 16}), 60));
}

TEST_P(LoadingTest, LongerFormatRecordMovesTheWalkOnByItsSize) {
  Bytes record = FormatRecord(Pcm(1, 22050, 16));
  Put16(record, 0);  // an extra-size field, as some writers add for PCM too
  const Bytes image = Riff({Chunk("fmt ", record), Chunk("data", kSamples)});
  EXPECT_EQ(LoadAndPlay(image, 60), Padded(Converted(kSamples, {22050, 1, 16}), 60));
}

TEST_P(LoadingTest, EightBitUnsignedSamplesAreCentredOn128) {
  const Bytes samples{128, 210, 46, 128, 170, 86};  // within the limiter's threshold
  const Bytes image = Wav(Pcm(1, 22050, 8), samples);
  const Bytes expected = Converted(samples, {22050, 1, 8});
  EXPECT_EQ(LoadAndPlay(image, 60), Padded(expected, 60));
  // The converter is the one under test only as far as the sign: 255 plays above and 0 below zero.
  const std::vector<double> levels = Levels(expected);
  double highest = 0, lowest = 0;
  for (double level : levels) {
    highest = std::max(highest, level);
    lowest = std::min(lowest, level);
  }
  EXPECT_GT(highest, 0.5);
  EXPECT_LT(lowest, -0.5);
}

TEST_P(LoadingTest, StereoAndOtherRatesAreConvertedToTheDevice) {
  // 8-bit samples of their own: the 16-bit ones read as bytes would be loud enough to be limited.
  const Bytes eightBit{128, 160, 96, 176, 80, 144, 112, 128, 150, 106, 128, 128, 120, 136, 128, 128};
  for (const PcmFormat from :
       {PcmFormat{44100, 2, 16}, PcmFormat{11025, 2, 8}, PcmFormat{48000, 1, 16}, PcmFormat{8000, 1, 16}}) {
    const Bytes& samples = from.bitsPerSample == 8 ? eightBit : kSamples;
    const Bytes image = Wav(Pcm(static_cast<unsigned>(from.channels), static_cast<std::uint32_t>(from.rate),
                                static_cast<unsigned>(from.bitsPerSample)),
                            samples);
    EXPECT_EQ(LoadAndPlay(image, 100), Padded(Converted(samples, from), 100)) << from.rate << " Hz";
  }
}

TEST_P(LoadingTest, TrailingPartialFrameIsLeftOut) {
  Bytes samples = Samples16({1000, -1000, 2000, -2000});
  const Bytes whole = samples;
  samples.push_back(0x7F);  // half of a third frame
  samples.push_back(0x7F);
  samples.push_back(0x7F);
  const Bytes image = Wav(Pcm(2, 44100, 16), samples);
  EXPECT_EQ(LoadAndPlay(image, 20), Padded(Converted(whole, {44100, 2, 16}), 20));
}

TEST_P(LoadingTest, ImageLongerThanItsRiffSizeIsReadOnlyUpToThatSize) {
  Bytes image = Wav(Pcm(1, 22050, 16), kSamples);
  Bytes longer = image;
  longer.resize(image.size() + 64, 0xAB);
  EXPECT_EQ(LoadAndPlay(longer, 60), Padded(Converted(kSamples, {22050, 1, 16}), 60));
}

TEST_P(LoadingTest, RiffSizeClaimingMoreThanTheImageIsBoundedByTheLength) {
  Bytes image = Wav(Pcm(1, 22050, 16), kSamples);
  SetAt32(image, 4, 0xFFFFFFFF);
  EXPECT_EQ(LoadAndPlay(image, 60), Padded(Converted(kSamples, {22050, 1, 16}), 60));
}

// Every refused image leaves the earlier sound under the number playing as before.
struct Malformed {
  std::string name;
  Bytes image;
};

Bytes FormatChunk(const WavFormat& format) {
  return Chunk("fmt ", FormatRecord(format));
}

Bytes WithChunkSize(Bytes image, std::size_t chunkOffset, std::uint32_t size) {
  SetAt32(image, chunkOffset + 4, size);
  return image;
}

std::vector<Malformed> MalformedImages() {
  const WavFormat game = Pcm(1, 22050, 16);
  const Bytes valid = Wav(game, kSamples);
  const std::size_t fmtOffset = 12;
  const std::size_t dataOffset = 36;
  const Bytes list = Chunk("LIST", {'I', 'N', 'F', 'O'});
  std::vector<Malformed> cases;
  auto add = [&cases](std::string name, Bytes image) {
    cases.push_back({std::move(name), std::move(image)});
  };

  Bytes riff = valid;
  riff[3] = 'X';
  add("NoRiffMark", riff);
  add("ListBeforeFormat", Riff({list, FormatChunk(game), Chunk("data", kSamples)}));
  add("DataBeforeFormat", Riff({Chunk("data", kSamples), FormatChunk(game)}));
  add("NoDataChunk", Riff({FormatChunk(game)}));
  add("NoDataChunkAfterOthers", Riff({FormatChunk(game), list, Chunk("fact", {0, 0, 0, 0})}));
  add("DataMisnamed", Riff({FormatChunk(game), Chunk("DATA", kSamples)}));
  add("DataRunsPastTheEnd",
      WithChunkSize(valid, dataOffset, static_cast<std::uint32_t>(kSamples.size() + 2)));
  add("DataSizeAllOnes", WithChunkSize(valid, dataOffset, 0xFFFFFFFF));
  add("FormatSizeAllOnes", WithChunkSize(valid, fmtOffset, 0xFFFFFFFF));
  add("FormatSizePastTheEnd", WithChunkSize(valid, fmtOffset, static_cast<std::uint32_t>(valid.size())));
  const Bytes listFirst = Riff({FormatChunk(game), list, Chunk("data", kSamples)});
  add("SkippedChunkSizeAllOnes", WithChunkSize(listFirst, dataOffset, 0xFFFFFFFF));
  // Sizes that bring a 32-bit offset round to the start: back onto the format chunk, and onto itself.
  add("SizeWrapsToTheFormatChunk",
      WithChunkSize(listFirst, dataOffset,
                    static_cast<std::uint32_t>(0x100000000 - dataOffset - 8 + fmtOffset)));
  add("SizeWrapsOntoItself", WithChunkSize(listFirst, dataOffset, 0xFFFFFFF8));
  Bytes shortRiff = valid;
  SetAt32(shortRiff, 4, static_cast<std::uint32_t>(valid.size() - 8 - 2));
  add("RiffSizeCutsTheData", shortRiff);
  Bytes riffCutsFormat = valid;
  SetAt32(riffCutsFormat, 4, 20);
  add("RiffSizeCutsTheFormat", riffCutsFormat);
  add("HeaderOnly", Bytes(valid.begin(), valid.begin() + 12));
  add("CutInsideTheFormat", Bytes(valid.begin(), valid.begin() + 30));
  add("CutInsideTheDataHeader", Bytes(valid.begin(), valid.begin() + dataOffset + 6));
  add("CutInsideTheData", Bytes(valid.begin(), valid.end() - 3));
  add("Empty", {});

  Bytes shortRecord = FormatRecord(game);
  shortRecord.resize(14);
  add("FormatRecordWithoutBits", Riff({Chunk("fmt ", shortRecord), Chunk("data", kSamples)}));
  auto format = [&](WavFormat f) { return Wav(f, kSamples); };
  add("BlockAlignZero", format({1, 1, 22050, 16, 0}));
  add("BlockAlignTooLarge", format({1, 1, 22050, 16, 4}));
  add("SevenBitSamples", format({1, 1, 22050, 7, 1}));
  add("TwentyFourBitSamples", format(Pcm(1, 22050, 24)));
  add("ThirtyTwoBitSamples", format(Pcm(1, 22050, 32)));
  add("NoChannels", format({1, 0, 22050, 16, 0}));
  add("ThreeChannels", format(Pcm(3, 22050, 16)));
  add("FloatSamples", format({3, 1, 22050, 32, 4}));
  add("AdpcmSamples", format({2, 1, 22050, 4, 256}));
  add("ExtensibleFormat", format({0xFFFE, 1, 22050, 16, 2}));
  add("RateZero", format(Pcm(1, 0, 16)));
  add("RateBelowTheLowest", format(Pcm(1, 999, 16)));
  add("RateAboveTheHighest", format(Pcm(1, 384001, 16)));
  add("RateAllOnes", format(Pcm(1, 0xFFFFFFFF, 16)));
  add("NoSamples", Wav(game, {}));
  add("LessThanOneFrame", Wav(Pcm(2, 22050, 16), {1, 2, 3}));
  return cases;
}

class MalformedTest : public SoundTest, public ::testing::WithParamInterface<Malformed> {};

TEST_P(MalformedTest, IsRefusedAndTheEarlierSoundStays) {
  const Bytes earlier = Samples16({-5000, 5000, -6000, 6000});
  const Bytes good = Wav(Pcm(1, 22050, 16), earlier);
  ASSERT_EQ(LoadSoundFromMemory(0, good.data(), good.size()), 1);

  const Bytes& image = GetParam().image;
  // An exact-size copy, so that a read past the end is a read past the allocation.
  const std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[image.size()]);
  std::copy(image.begin(), image.end(), exact.get());
  EXPECT_EQ(LoadSoundFromMemory(0, exact.get(), image.size()), 0);
  EXPECT_EQ(LoadSoundFromMemory(kAutomaticObject, exact.get(), image.size()), 0);

  ASSERT_EQ(PlaySoundEffect(0), 1);
  const Bytes expected = Converted(earlier, {22050, 1, 16});
  Bytes block = Render(static_cast<int>(expected.size() / BytesPerFrame()));
  EXPECT_EQ(block, expected);
}

INSTANTIATE_TEST_SUITE_P(Images, MalformedTest, ::testing::ValuesIn(MalformedImages()),
                         [](const ::testing::TestParamInfo<Malformed>& info) { return info.param.name; });

TEST_P(LoadingTest, MissingImageIsRefused) {
  EXPECT_EQ(LoadSoundFromMemory(0, nullptr, 100), 0);
  EXPECT_EQ(PlaySoundEffect(0), 0);
}

TEST_P(LoadingTest, NumbersBelowMinusOneAreRefused) {
  const Bytes image = Wav(Pcm(1, 22050, 16), kSamples);
  EXPECT_EQ(LoadSoundFromMemory(-2, image.data(), image.size()), 0);
}

INSTANTIATE_TEST_SUITE_P(Devices, LoadingTest, ::testing::ValuesIn(kDeviceFormats), FormatName);

}  // namespace
}  // namespace rt::test
