// Floats written and read without <charconv>, as on Emscripten: the same text as the standard
// library's, and the same answers when read.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "play/format/fields.h"

namespace pellaris::play {
namespace {

TEST(PortableFloats, WriteTheLibrarysShortestText) {
  const float table[] = {0.0f,
                         -0.0f,
                         1.0f,
                         -1.5f,
                         0.1f,
                         100.0f,
                         123456.0f,
                         1e7f,
                         1.5e-7f,
                         0.00015f,
                         1e20f,
                         3.4028235e38f,
                         1e-45f,
                         1.17549435e-38f,
                         412.5f,
                         256.03125f,
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
  for (float value : table) EXPECT_EQ(PortableFloatText(value), FloatText(value)) << FloatText(value);
  std::mt19937 bits(7);
  for (int i = 0; i < 20000; ++i) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(bits()));
    if (std::isnan(value)) continue;
    ASSERT_EQ(PortableFloatText(value), FloatText(value));
  }
}

TEST(PortableFloats, ReadWhatTheLibraryReads) {
  for (const char* word :
       {"0",     "-0",  "1.5", "-1.5e-07", "1e+20", "1E5",  ".5",    "5.",    "3.4028235e38",
        "1e-45", "",    "-",   "+1",       " 1",    "1 ",   "0x10",  "inf",   "nan",
        "1e",    "1e+", "e5",  ".",        "1.5.2", "1e39", "-1e39", "1e-50", "1,5"}) {
    float library = 42, portable = 42;
    const bool read = ParseFloat(word, library);
    EXPECT_EQ(PortableParseFloat(word, portable), read) << '"' << word << '"';
    if (read) {
      EXPECT_EQ(std::bit_cast<std::uint32_t>(portable), std::bit_cast<std::uint32_t>(library)) << word;
    }
  }
  std::mt19937 bits(11);
  for (int i = 0; i < 2000; ++i) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(bits()));
    if (!std::isfinite(value)) continue;
    float back = 0;
    ASSERT_TRUE(PortableParseFloat(PortableFloatText(value), back));
    ASSERT_EQ(std::bit_cast<std::uint32_t>(back), std::bit_cast<std::uint32_t>(value));
  }
}

}  // namespace
}  // namespace pellaris::play
