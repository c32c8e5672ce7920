// The converter fuzzer's input: a byte that picks the sample types and channels, the two rates, then
// the samples. The seed generator writes inputs in the same layout.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/platform/platform.h"
#include "runtime/sound/pcm_convert.h"

namespace rt::fuzz {

struct Conversion {
  PcmFormat from;
  platform::AudioFormat to;
  const std::uint8_t* samples = nullptr;
  std::size_t bytes = 0;
};

// Rates come from three bytes each, onto the rates taken and one refused on either side of them.
inline constexpr int kLowestRate = kMinPcmRate - 1;
inline constexpr std::uint32_t kRateCount = kMaxPcmRate - kMinPcmRate + 3;
inline constexpr std::size_t kHeaderBytes = 7;
// The samples are cut to what makes this many frames at the new rate, so that a few bytes at the
// lowest rate cannot ask for seconds at the highest: every input converts quickly.
inline constexpr std::uint64_t kMostConvertedFrames = 512;

// Bits 0-1: the input's channels (0 to 3, so that 0 and 3 are refused); bit 2: 16-bit input, else
// 8-bit; bits 3-4: the output's channels, as the input's; bit 5: float output, else 16-bit.
inline std::uint8_t LayoutByte(const PcmFormat& from, const platform::AudioFormat& to) {
  return static_cast<std::uint8_t>((from.channels & 3) | (from.bitsPerSample == 16 ? 4 : 0) | (to.channels & 3) << 3 |
                                   (to.sample == platform::SampleFormat::F32 ? 32 : 0));
}

inline int RateAt(const std::uint8_t* bytes) {
  const std::uint32_t value = bytes[0] | bytes[1] << 8 | static_cast<std::uint32_t>(bytes[2]) << 16;
  return kLowestRate + static_cast<int>(value % kRateCount);
}

inline void PutRate(std::vector<std::uint8_t>& bytes, int rate) {
  const auto value = static_cast<std::uint32_t>(rate - kLowestRate);
  for (int shift : {0, 8, 16}) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline bool ReadConversion(const std::uint8_t* data, std::size_t size, Conversion& out) {
  if (size < kHeaderBytes) return false;
  const std::uint8_t layout = data[0];
  out.from = {RateAt(data + 1), layout & 3, (layout & 4) ? 16 : 8};
  out.to = {RateAt(data + 4), (layout >> 3) & 3,
            (layout & 32) ? platform::SampleFormat::F32 : platform::SampleFormat::S16};
  out.samples = data + kHeaderBytes;
  const auto frameBytes = static_cast<std::size_t>(std::max(out.from.channels, 1) * out.from.bitsPerSample / 8);
  const std::uint64_t mostFrames =
      kMostConvertedFrames * static_cast<std::uint64_t>(out.from.rate) / static_cast<std::uint64_t>(out.to.rate);
  out.bytes = static_cast<std::size_t>(std::min<std::uint64_t>(size - kHeaderBytes, mostFrames * frameBytes));
  return true;
}

inline std::vector<std::uint8_t> WriteConversion(const PcmFormat& from, const platform::AudioFormat& to,
                                                 const std::vector<std::uint8_t>& samples) {
  std::vector<std::uint8_t> bytes = {LayoutByte(from, to)};
  PutRate(bytes, from.rate);
  PutRate(bytes, to.rate);
  bytes.insert(bytes.end(), samples.begin(), samples.end());
  return bytes;
}

}  // namespace rt::fuzz
