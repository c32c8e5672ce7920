// Numbers stored in file images: little-endian (BMP, WAV) and big-endian (PNG) fields read byte by byte,
// so that they mean the same on every machine.
#pragma once

#include <cstdint>

namespace rt {

inline std::uint16_t ReadLittle16(const std::uint8_t* bytes) {
  return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

inline std::uint32_t ReadLittle32(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

inline std::uint32_t ReadBig32(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 |
         std::uint32_t{bytes[3]};
}

}  // namespace rt
