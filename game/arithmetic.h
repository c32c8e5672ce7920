// The game's conversions. Positions, speeds and counters are 32-bit floats; every conversion to an
// integer rounds to nearest with halves to even, except the explicit truncations.
#pragma once

#include <cmath>
#include <cstdint>

namespace pellaris {

inline int Round(float value) {
  return static_cast<int>(std::lrintf(value));
}
inline int TruncateToInt(float value) {
  return static_cast<int>(value);
}

// Plain addition without masking: a component above 255 carries into the next byte, and the game
// passes such values on unchanged.
inline std::uint32_t MakeColor(int red, int green, int blue) {
  return static_cast<std::uint32_t>(red + 256 * green + 65536 * blue);
}

}  // namespace pellaris
