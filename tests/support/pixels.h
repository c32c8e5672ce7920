// A surface's pixel values, read and written the way the runtime stores them (little-endian, as many
// bytes as the depth has), for tests that check or prepare pixels one at a time.
#pragma once

#include <cstdint>
#include <cstring>

#include "runtime/display/surface.h"

namespace rt::test {

inline std::uint32_t PixelAt(const Surface& surface, int x, int y) {
  std::uint32_t value = 0;
  std::memcpy(&value, surface.Row(y) + x * surface.BytesPerPixel(), static_cast<std::size_t>(surface.BytesPerPixel()));
  return value;
}

inline void SetPixelAt(Surface& surface, int x, int y, std::uint32_t value) {
  std::memcpy(surface.Row(y) + x * surface.BytesPerPixel(), &value, static_cast<std::size_t>(surface.BytesPerPixel()));
}

}  // namespace rt::test
