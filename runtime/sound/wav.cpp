#include "runtime/sound/wav.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/byte_order.h"

namespace rt {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint64_t kChunkHeaderBytes = 8;
constexpr std::uint64_t kRiffHeaderBytes = 8;  // "RIFF" and the size that counts from behind it
constexpr std::uint64_t kFirstChunkOffset = 12;
constexpr std::uint64_t kPcmRecordBytes = 16;

bool HasId(const std::uint8_t* bytes, const char (&id)[5]) {
  return std::memcmp(bytes, id, 4) == 0;
}

struct Chunk {
  const std::uint8_t* header = nullptr;
  std::uint64_t size = 0;
  std::uint64_t end = 0;  // offset of the byte behind the content: where the next chunk starts
  const std::uint8_t* Content() const { return header + kChunkHeaderBytes; }
};

// The chunk at `offset`, or false when its header or content would reach beyond `extent`. Sizes are
// 32-bit and offsets 64-bit, so the sums cannot overflow.
bool ChunkAt(const std::uint8_t* image, std::uint64_t offset, std::uint64_t extent, Chunk& chunk) {
  if (offset > extent || extent - offset < kChunkHeaderBytes) return false;
  chunk.header = image + offset;
  chunk.size = ReadLittle32(chunk.header + 4);
  chunk.end = offset + kChunkHeaderBytes + chunk.size;
  return chunk.end <= extent;
}

bool ReadPcmFormat(const Chunk& fmt, PcmFormat& format, int& blockAlign) {
  if (fmt.size < kPcmRecordBytes) return false;
  const std::uint8_t* record = fmt.Content();
  const int tag = ReadLittle16(record);
  const int channels = ReadLittle16(record + 2);
  const std::uint32_t rate = ReadLittle32(record + 4);
  blockAlign = ReadLittle16(record + 12);
  const int bits = ReadLittle16(record + 14);
  if (tag != kFormatPcm || channels < 1 || channels > 2 || (bits != 8 && bits != 16)) return false;
  if (blockAlign != channels * bits / 8) return false;
  if (rate < static_cast<std::uint32_t>(kMinPcmRate) || rate > static_cast<std::uint32_t>(kMaxPcmRate)) {
    return false;
  }
  format = {static_cast<int>(rate), channels, bits};
  return true;
}

}  // namespace

bool ReadWav(const void* image, std::size_t length, WavSamples& out) {
  if (!image || length < kFirstChunkOffset) return false;
  const auto* bytes = static_cast<const std::uint8_t*>(image);
  if (!HasId(bytes, "RIFF")) return false;
  const std::uint64_t extent = std::min<std::uint64_t>(length, kRiffHeaderBytes + ReadLittle32(bytes + 4));

  Chunk chunk;
  if (!ChunkAt(bytes, kFirstChunkOffset, extent, chunk) || !HasId(chunk.header, "fmt ")) return false;
  PcmFormat format;
  int blockAlign = 0;
  if (!ReadPcmFormat(chunk, format, blockAlign)) return false;

  // Chunks follow one another without pad bytes; the first "data" chunk holds the samples.
  do {
    if (!ChunkAt(bytes, chunk.end, extent, chunk)) return false;
  } while (!HasId(chunk.header, "data"));

  if (chunk.size < static_cast<std::uint64_t>(blockAlign)) return false;
  out = {format, chunk.Content(), static_cast<std::size_t>(chunk.size)};
  return true;
}

}  // namespace rt
