#include "runtime/core/random.h"

#include <bit>

#include "runtime/core/runtime_state.h"
#include "runtime/platform/platform.h"

namespace rt {

namespace {

constexpr int kPairs = 17;
constexpr int kLag = 10;
constexpr int kRotation0 = 19;
constexpr int kRotation1 = 27;
constexpr std::uint32_t kSeedMultiplier = 2891336453u;
constexpr std::uint32_t kSeedIncrement = 1;
constexpr int kDiscardedSteps = 31;
constexpr std::int32_t kFailure = INT32_MIN;

int PreviousIndex(int index) {
  return index == 0 ? kPairs - 1 : index - 1;
}

// floor(r * n / 2^64), built from 32-bit halves so no wider type is needed.
std::uint32_t MapToRange(std::uint64_t r, std::uint32_t n) {
  const std::uint64_t high = (r >> 32) * n;
  const std::uint64_t low = (r & 0xFFFFFFFFu) * n;
  return static_cast<std::uint32_t>((high + (low >> 32)) >> 32);
}

// The process's generator, seeded at its first use unless a seed was given.
struct ProcessRandom : LibraryState {
  RandomGenerator generator;
  bool seeded = false;
};

ProcessRandom& State() {
  return PartOf<ProcessRandom>(Runtime().random);
}

}  // namespace

void RandomGenerator::Seed(std::uint32_t seed) {
  std::uint32_t s = seed;
  for (Pair& pair : pairs_) {
    s = s * kSeedMultiplier + kSeedIncrement;
    pair.w0 = s;
    s = s * kSeedMultiplier + kSeedIncrement;
    pair.w1 = s;
  }
  p1_ = 0;
  p2_ = kLag;
  for (int i = 0; i < kDiscardedSteps; ++i) Step();
  draws_ = 0;
}

std::uint64_t RandomGenerator::Step() {
  const std::uint32_t y = std::rotl(pairs_[p1_].w0, kRotation0) + pairs_[p2_].w0;
  const std::uint32_t z = std::rotl(pairs_[p1_].w1, kRotation1) + pairs_[p2_].w1;
  // Stored crosswise: the words feed each other on the next lap.
  pairs_[p1_].w0 = z;
  pairs_[p1_].w1 = y;
  p1_ = PreviousIndex(p1_);
  p2_ = PreviousIndex(p2_);
  ++draws_;
  return (std::uint64_t{y} << 32) | z;
}

RandomState RandomGenerator::State() const {
  RandomState state;
  for (int i = 0; i < kPairs; ++i) {
    state.words[2 * i] = pairs_[i].w0;
    state.words[2 * i + 1] = pairs_[i].w1;
  }
  state.first = p1_;
  state.second = p2_;
  state.draws = draws_;
  return state;
}

bool RandomGenerator::Restore(const RandomState& state) {
  if (state.first < 0 || state.first >= kPairs || state.second < 0 || state.second >= kPairs) return false;
  for (int i = 0; i < kPairs; ++i) pairs_[i] = {state.words[2 * i], state.words[2 * i + 1]};
  p1_ = state.first;
  p2_ = state.second;
  draws_ = state.draws;
  return true;
}

std::int32_t RandomGenerator::Int(std::int32_t max) {
  const std::uint64_t r = Step();
  if (max < 0) return kFailure;
  return static_cast<std::int32_t>(MapToRange(r, static_cast<std::uint32_t>(max) + 1));
}

std::int32_t RandomInt(std::int32_t max) {
  if (!State().seeded) RandomSeed(platform::Clock().TickMs());
  return State().generator.Int(max);
}

void RandomSeed(std::uint32_t seed) {
  State().seeded = true;
  State().generator.Seed(seed);
}

void SkipRandomDraws(std::uint64_t count) {
  if (!State().seeded) RandomSeed(platform::Clock().TickMs());
  for (std::uint64_t i = 0; i < count; ++i) State().generator.Step();
}

RandomState TakeRandomState() {
  return State().generator.State();
}

bool RestoreRandomState(const RandomState& state) {
  if (!State().generator.Restore(state)) return false;
  State().seeded = true;
  return true;
}

}  // namespace rt
