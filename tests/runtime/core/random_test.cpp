#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <map>

#include "runtime/core/random.h"
#include "tests/runtime/core/fake_platform.h"

namespace rt {
namespace {

// A second, deliberately plain rendering of the generator: a flat table of 34 words, explicit
// wrap-around of the indices, and the range mapping as one wide multiplication.
class ReferenceRanrot {
 public:
  explicit ReferenceRanrot(std::uint32_t seed) {
    std::uint32_t s = seed;
    for (int i = 0; i < 34; ++i) {
      s = s * 0xAC564B05u + 1u;
      words_[i] = s;
    }
    for (int i = 0; i < 31; ++i) Step();
  }

  void Step() {
    auto rotl = [](std::uint32_t v, int n) { return (v << n) | (v >> (32 - n)); };
    const std::uint32_t y = rotl(words_[2 * p1_], 19) + words_[2 * p2_];
    const std::uint32_t z = rotl(words_[2 * p1_ + 1], 27) + words_[2 * p2_ + 1];
    words_[2 * p1_] = z;
    words_[2 * p1_ + 1] = y;
    p1_ = p1_ > 0 ? p1_ - 1 : 16;
    p2_ = p2_ > 0 ? p2_ - 1 : 16;
    high_ = y;
    low_ = z;
  }

  std::int32_t Int(std::int32_t max) {
    Step();
    if (max < 0) return INT32_MIN;
    __extension__ using Wide = unsigned __int128;
    const Wide r = (Wide{high_} << 32) | low_;
    const Wide n = static_cast<std::uint32_t>(max) + std::uint64_t{1};
    return static_cast<std::int32_t>((r * n) >> 64);
  }

 private:
  std::array<std::uint32_t, 34> words_{};
  int p1_ = 0, p2_ = 10;
  std::uint32_t high_ = 0, low_ = 0;
};

TEST(RandomGenerator, MatchesThePlainRenderingOfTheAlgorithm) {
  for (std::uint32_t seed : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
    RandomGenerator generator;
    generator.Seed(seed);
    ReferenceRanrot reference(seed);
    for (std::int32_t max : {0, 1, 4, 99, 639, 10000, 65535, 1 << 30, INT32_MAX, -1, INT32_MIN}) {
      for (int i = 0; i < 50; ++i) EXPECT_EQ(generator.Int(max), reference.Int(max)) << seed << " " << max;
    }
  }
}

TEST(RandomGenerator, AlikeSeedsGiveAlikeSequences) {
  RandomGenerator a, b, c;
  a.Seed(42);
  b.Seed(42);
  c.Seed(43);
  bool differs = false;
  for (int i = 0; i < 200; ++i) {
    const std::int32_t value = a.Int(1000000);
    EXPECT_EQ(value, b.Int(1000000));
    differs |= value != c.Int(1000000);
  }
  EXPECT_TRUE(differs);
}

TEST(RandomGenerator, IndicesReturnAfterSeventeenSteps) {
  RandomGenerator generator;
  generator.Seed(9);
  const int p1 = generator.FirstIndex();
  const int p2 = generator.SecondIndex();
  EXPECT_EQ((p2 - p1 + 17) % 17, 10);
  for (int i = 0; i < 17; ++i) {
    generator.Step();
    if (i < 16) {
      EXPECT_NE(generator.FirstIndex(), p1);
    }
  }
  EXPECT_EQ(generator.FirstIndex(), p1);
  EXPECT_EQ(generator.SecondIndex(), p2);
}

TEST(RandomGenerator, ZeroMaximumGivesZeroAndStillAdvances) {
  RandomGenerator withZero, plain;
  withZero.Seed(5);
  plain.Seed(5);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(withZero.Int(0), 0);
  for (int i = 0; i < 20; ++i) plain.Step();
  EXPECT_EQ(withZero.Int(1 << 20), plain.Int(1 << 20));
}

TEST(RandomGenerator, NegativeMaximumFailsAndStillAdvances) {
  RandomGenerator failing, plain;
  failing.Seed(6);
  plain.Seed(6);
  EXPECT_EQ(failing.Int(-1), INT32_MIN);
  EXPECT_EQ(failing.Int(INT32_MIN), INT32_MIN);
  plain.Step();
  plain.Step();
  EXPECT_EQ(failing.Int(1000), plain.Int(1000));
}

TEST(RandomGenerator, BoundsAreInclusiveAndTheSpreadIsEven) {
  RandomGenerator generator;
  generator.Seed(2024);
  std::map<std::int32_t, int> counts;
  constexpr int kDraws = 50000;
  for (int i = 0; i < kDraws; ++i) ++counts[generator.Int(4)];
  ASSERT_EQ(counts.size(), 5u);
  EXPECT_EQ(counts.begin()->first, 0);
  EXPECT_EQ(counts.rbegin()->first, 4);
  for (const auto& [value, count] : counts) EXPECT_NEAR(count, kDraws / 5, kDraws / 50) << value;
}

TEST(RandomGenerator, WideRangesReachBothEnds) {
  RandomGenerator generator;
  generator.Seed(31337);
  bool low = false, high = false;
  for (int i = 0; i < 20000; ++i) {
    const std::int32_t value = generator.Int(639);
    ASSERT_GE(value, 0);
    ASSERT_LE(value, 639);
    low |= value == 0;
    high |= value == 639;
  }
  EXPECT_TRUE(low);
  EXPECT_TRUE(high);
}

TEST(RandomInt, FixedSeedReplaysTheSameSequence) {
  RandomSeed(1234);
  std::array<std::int32_t, 64> first{};
  for (auto& value : first) value = RandomInt(100000);
  RandomSeed(1234);
  ReferenceRanrot reference(1234);
  for (std::int32_t value : first) {
    EXPECT_EQ(RandomInt(100000), value);
    EXPECT_EQ(reference.Int(100000), value);
  }
}

// The process generator seeds itself only once, at its first use, so this runs in a fresh process.
TEST(RandomIntDeathTest, FirstCallSeedsFromTheTickCount) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        test::ScopedFakePlatform platform;
        platform.fake.tick = 987654;
        ReferenceRanrot reference(987654);
        bool same = true;
        for (int i = 0; i < 32; ++i) same &= RandomInt(5000) == reference.Int(5000);
        platform.fake.tick = 1;  // never read again
        for (int i = 0; i < 32; ++i) same &= RandomInt(5000) == reference.Int(5000);
        std::exit(same ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace rt
