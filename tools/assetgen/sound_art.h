// The three sound effects, synthesised at 22050 Hz, mono, 16-bit, each exactly as long as the game's
// catalogue says (silent after its sound is over) and peaking at -6 dBFS, so that two or three
// playing at once stay clear of full scale.
#pragma once

#include <cstdint>
#include <vector>

namespace assetgen {

inline constexpr std::size_t kShotSamples = 20702;       // 0.94 s
inline constexpr std::size_t kExplosionSamples = 50162;  // 2.27 s
inline constexpr std::size_t kHitSamples = 22437;        // 1.02 s

std::vector<std::int16_t> MakeShot();       // a soft-edged falling tick, nearly all of it in one frame
std::vector<std::int16_t> MakeExplosion();  // a low boom under a darkening roar, over within a second
std::vector<std::int16_t> MakeHit();        // a knock on rock with grit, then a few crumbs of debris

}  // namespace assetgen
