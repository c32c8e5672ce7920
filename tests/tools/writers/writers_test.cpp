// The shared writers: a WAV file reads back as what was written, whether written whole or as the
// samples come; a PNG says of its colours exactly what it was asked to, and one libpng cannot write
// is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/sound/wav.h"
#include "tools/writers/png_writer.h"
#include "tools/writers/wav_writer.h"

namespace writers {
namespace {

const std::vector<std::int16_t> kStereoSamples{0, -1, 32767, -32768, 1234, -4321, 7, 8};

Bytes ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

TEST(WavWriter, AWholeFileReadsBackAsItsSamples) {
  const Bytes image = EncodeWav(48000, 2, kStereoSamples);
  rt::WavSamples wav;
  ASSERT_TRUE(rt::ReadWav(image.data(), image.size(), wav));
  EXPECT_EQ(wav.format.rate, 48000);
  EXPECT_EQ(wav.format.channels, 2);
  EXPECT_EQ(wav.format.bitsPerSample, 16);
  ASSERT_EQ(wav.bytes, kStereoSamples.size() * 2);
  std::vector<std::int16_t> samples(kStereoSamples.size());
  std::memcpy(samples.data(), wav.data, wav.bytes);  // little-endian, as the machine
  EXPECT_EQ(samples, kStereoSamples);
}

TEST(WavWriter, AFileWrittenAsTheSamplesComeIsTheWholeFile) {
  const std::string path = ::testing::TempDir() + "writers_test.wav";
  WavFileWriter writer(48000, 2);
  ASSERT_TRUE(writer.Open(path));
  writer.Write(kStereoSamples.data(), 2);
  writer.Write(kStereoSamples.data() + 2, kStereoSamples.size() - 2);
  ASSERT_TRUE(writer.Finish());
  EXPECT_EQ(ReadFile(path), EncodeWav(48000, 2, kStereoSamples));
}

bool HasChunk(const Bytes& png, const char* type) {
  return std::search(png.begin(), png.end(), type, type + 4) != png.end();
}

struct Marking {
  PngColourSpace space;
  bool srgb, fallbacks;
};

TEST(PngWriter, MarksTheColourSpaceAsAsked) {
  for (const Marking& marking :
       {Marking{PngColourSpace::Unmarked, false, false}, Marking{PngColourSpace::Srgb, true, false},
        Marking{PngColourSpace::SrgbWithFallbacks, true, true}}) {
    PngImage image;
    image.width = 2;
    image.height = 1;
    image.colourSpace = marking.space;
    image.samples = {1, 2, 3, 4, 5, 6};
    const Bytes png = EncodePng(image);
    ASSERT_FALSE(png.empty());
    EXPECT_EQ(HasChunk(png, "sRGB"), marking.srgb) << static_cast<int>(marking.space);
    EXPECT_EQ(HasChunk(png, "gAMA"), marking.fallbacks) << static_cast<int>(marking.space);
    EXPECT_EQ(HasChunk(png, "cHRM"), marking.fallbacks) << static_cast<int>(marking.space);
  }
}

TEST(PngWriter, RefusesADepthTheColourTypeDoesNotHave) {
  PngImage image;
  image.width = 2;
  image.height = 1;
  image.bitDepth = 4;  // RGB is 8 or 16 bits a sample
  image.samples = {1, 2, 3, 4, 5, 6};
  EXPECT_TRUE(EncodePng(image).empty());
  EXPECT_FALSE(WritePngFile(::testing::TempDir() + "writers_test_refused.png", image));
}

}  // namespace
}  // namespace writers
