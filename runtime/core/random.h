// The process's random numbers: a RANROT type W generator (17 pairs of 32-bit words, lag 10) with a
// range mapping from 64 random bits to 0 .. max inclusive.
#pragma once

#include <array>
#include <cstdint>

namespace rt {

// One generator. The runtime keeps a single one for the process (RandomInt); tests and tools can make
// their own to compare sequences.
class RandomGenerator {
 public:
  // Fills the buffer from the seed, resets the indices and discards the first 31 steps.
  void Seed(std::uint32_t seed);
  // One step: 64 random bits, the high word first.
  std::uint64_t Step();
  // A uniform value 0 .. max inclusive, or -2147483648 for a negative max; always one step.
  std::int32_t Int(std::int32_t max);

  int FirstIndex() const { return p1_; }
  int SecondIndex() const { return p2_; }

 private:
  struct Pair {
    std::uint32_t w0 = 0, w1 = 0;
  };
  std::array<Pair, 17> pairs_{};
  int p1_ = 0;
  int p2_ = 10;
};

// A uniform value 0 .. max inclusive (-2147483648 for a negative max). The first call seeds the
// process's generator from the platform's millisecond tick unless RandomSeed came first.
std::int32_t RandomInt(std::int32_t max);
// Seeds the process's generator now, exactly as the first RandomInt would with this tick value.
void RandomSeed(std::uint32_t seed);

}  // namespace rt
