// The process's random numbers: a RANROT type W generator (17 pairs of 32-bit words, lag 10) with a
// range mapping from 64 random bits to 0 .. max inclusive.
#pragma once

#include <array>
#include <cstdint>

namespace rt {

// Everything the generator's next numbers depend on (its 17 pairs of words and its two indices), and
// how many numbers it has given since it was seeded.
struct RandomState {
  std::array<std::uint32_t, 34> words{};  // the pairs, each pair's first word first
  int first = 0, second = 0;
  std::uint64_t draws = 0;

  bool operator==(const RandomState&) const = default;
};

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

  RandomState State() const;
  // Continues from a state taken before; false (and nothing changed) for indices out of range.
  bool Restore(const RandomState& state);

 private:
  struct Pair {
    std::uint32_t w0 = 0, w1 = 0;
  };
  std::array<Pair, 17> pairs_{};
  int p1_ = 0;
  int p2_ = 10;
  std::uint64_t draws_ = 0;
};

// A uniform value 0 .. max inclusive (-2147483648 for a negative max). The first call seeds the
// process's generator from the platform's millisecond tick unless RandomSeed came first.
std::int32_t RandomInt(std::int32_t max);
// Seeds the process's generator now, exactly as the first RandomInt would with this tick value.
void RandomSeed(std::uint32_t seed);
// Moves the process's generator on by `count` numbers, as that many RandomInt calls would.
void SkipRandomDraws(std::uint64_t count);
// The process's generator as it stands, and the same put back (a restored state counts as seeded).
RandomState TakeRandomState();
bool RestoreRandomState(const RandomState& state);

}  // namespace rt
