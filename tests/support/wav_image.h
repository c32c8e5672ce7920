// Builds small WAV images for the sound tests, the malformed-file tests and the fuzz seeds: chunks are
// put together as given, and the sizes cover them unless a test gives others, so a test can shape
// every field it wants to break.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

namespace rt::test {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& bytes, unsigned value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void Put32(Bytes& bytes, std::uint32_t value) {
  Put16(bytes, value & 0xFFFF);
  Put16(bytes, value >> 16);
}

inline void SetAt32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void PutId(Bytes& bytes, std::string_view id) {
  bytes.insert(bytes.end(), id.begin(), id.end());
}

// A chunk whose size field is the content's length, or `declared` when given.
inline Bytes Chunk(std::string_view id, const Bytes& content, std::optional<std::uint32_t> declared = {}) {
  Bytes chunk;
  PutId(chunk, id);
  Put32(chunk, declared.value_or(static_cast<std::uint32_t>(content.size())));
  chunk.insert(chunk.end(), content.begin(), content.end());
  return chunk;
}

struct WavFormat {
  unsigned tag = 1;
  unsigned channels = 1;
  std::uint32_t rate = 22050;
  unsigned bits = 16;
  unsigned blockAlign = 2;
};

inline WavFormat Pcm(unsigned channels, std::uint32_t rate, unsigned bits) {
  return {1, channels, rate, bits, channels * bits / 8};
}

inline Bytes FormatRecord(const WavFormat& format) {
  Bytes record;
  Put16(record, format.tag);
  Put16(record, format.channels);
  Put32(record, format.rate);
  Put32(record, format.rate * format.blockAlign);
  Put16(record, format.blockAlign);
  Put16(record, format.bits);
  return record;
}

// "RIFF", the size of what follows it (or `size` when given), "WAVE", then the chunks in order.
inline Bytes Riff(std::initializer_list<Bytes> chunks, std::optional<std::uint32_t> size = {}) {
  Bytes image;
  PutId(image, "RIFF");
  Put32(image, 0);
  PutId(image, "WAVE");
  for (const Bytes& chunk : chunks) image.insert(image.end(), chunk.begin(), chunk.end());
  SetAt32(image, 4, size.value_or(static_cast<std::uint32_t>(image.size() - 8)));
  return image;
}

inline Bytes Wav(const WavFormat& format, const Bytes& samples) {
  return Riff({Chunk("fmt ", FormatRecord(format)), Chunk("data", samples)});
}

// 16-bit samples as little-endian bytes.
inline Bytes Samples16(std::initializer_list<int> values) {
  Bytes bytes;
  for (int value : values) Put16(bytes, static_cast<unsigned>(value) & 0xFFFF);
  return bytes;
}

}  // namespace rt::test
