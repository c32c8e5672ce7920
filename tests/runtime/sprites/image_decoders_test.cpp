// The decoder table: registration order, its size limit and the PNG decoder's single registration.
#include <gtest/gtest.h>

#include "runtime/sprites/image.h"
#include "runtime/sprites/png_decoder.h"
#include "tests/runtime/sprites/test_images.h"

namespace rt::test {
namespace {

// Two decoders that accept data by its first byte and report which of them was asked.
int lastAsked = 0;
int CheckA(const std::uint8_t* data, std::size_t length) {
  lastAsked = 'A';
  return length > 0 && data[0] == 'A' ? ImageRows24 : ImageNotMine;
}
int CheckAnything(const std::uint8_t*, std::size_t) {
  lastAsked = '*';
  return ImageRows32;
}
int DecodeNothing(std::uint8_t*, std::size_t, int) {
  return 1;
}
int One() {
  return 1;
}

const ImageDecoder kDecoderA{CheckA, DecodeNothing, One, One};
const ImageDecoder kDecoderAnything{CheckAnything, DecodeNothing, One, One};

class DecoderTable : public ::testing::Test {
 protected:
  void SetUp() override { ResetImageDecoders(); }
  void TearDown() override { ResetImageDecoders(); }
};

TEST_F(DecoderTable, TheFirstAcceptingDecoderInRegistrationOrderWins) {
  ASSERT_EQ(RegisterImageDecoder(kDecoderA), 1);
  ASSERT_EQ(RegisterImageDecoder(kDecoderAnything), 1);
  const std::uint8_t a[] = {'A'};
  const std::uint8_t b[] = {'B'};
  const ImageDecoder* accepted = nullptr;
  EXPECT_EQ(IdentifyImage(a, 1, &accepted), ImageRows24);
  EXPECT_EQ(accepted->check, kDecoderA.check);
  EXPECT_EQ(lastAsked, 'A');
  EXPECT_EQ(IdentifyImage(b, 1, &accepted), ImageRows32);
  EXPECT_EQ(accepted->check, kDecoderAnything.check);
  EXPECT_EQ(lastAsked, '*');
}

TEST_F(DecoderTable, AnEmptyTableAcceptsNothing) {
  const std::uint8_t a[] = {'A'};
  const ImageDecoder* accepted = nullptr;
  EXPECT_EQ(IdentifyImage(a, 1, &accepted), ImageNotMine);
  EXPECT_EQ(accepted, nullptr);
}

TEST_F(DecoderTable, HoldsAHundredDecoders) {
  for (int i = 0; i < kMaxImageDecoders; ++i) ASSERT_EQ(RegisterImageDecoder(kDecoderA), 1) << i;
  EXPECT_EQ(RegisterImageDecoder(kDecoderAnything), 0);
  EXPECT_FALSE(ImageDecoderRegistered(kDecoderAnything));
  ResetImageDecoders();
  EXPECT_FALSE(ImageDecoderRegistered(kDecoderA));
  EXPECT_EQ(RegisterImageDecoder(kDecoderAnything), 1);
}

TEST_F(DecoderTable, EnablingPngTwiceRegistersItOnce) {
  EnablePngDecoder();
  EnablePngDecoder();
  EXPECT_TRUE(ImageDecoderRegistered(PngDecoder()));
  // One slot taken: 99 more fit, the hundred-and-first does not.
  for (int i = 1; i < kMaxImageDecoders; ++i) ASSERT_EQ(RegisterImageDecoder(kDecoderA), 1) << i;
  EXPECT_EQ(RegisterImageDecoder(kDecoderA), 0);
}

TEST_F(DecoderTable, PngIsIdentifiedOnceEnabled) {
  PngImage image = Png(3, 2, PngColour::GreyAlpha, 8, std::vector<std::uint16_t>(12, 9));
  const Bytes png = MakePng(image);
  EXPECT_EQ(IdentifyImage(png.data(), png.size()), ImageNotMine);
  EnablePngDecoder();
  const ImageDecoder* accepted = nullptr;
  EXPECT_EQ(IdentifyImage(png.data(), png.size(), &accepted), ImageRows32);
  ASSERT_NE(accepted, nullptr);
  EXPECT_EQ(accepted->width(), 3);
  EXPECT_EQ(accepted->height(), 2);
}

}  // namespace
}  // namespace rt::test
