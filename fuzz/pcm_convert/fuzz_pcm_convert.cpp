// Converts arbitrary samples between arbitrary formats (see conversion_input.h) and checks the
// result: refused without a trace, or exactly as long as the new rate makes it and, as floats,
// within full scale.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/pcm_convert/conversion_input.h"
#include "runtime/sound/pcm_convert.h"

namespace {

using rt::platform::SampleFormat;

// The loader's way into floats, the same converter as the device's sample type.
bool Convert(const rt::fuzz::Conversion& c, std::vector<std::uint8_t>& bytes, std::vector<float>& floats) {
  if (c.to.sample == SampleFormat::F32) {
    return rt::ConvertPcmToFloat(c.samples, c.bytes, c.from, c.to.rate, c.to.channels, floats);
  }
  return rt::ConvertPcm(c.samples, c.bytes, c.from, c.to, bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rt::fuzz::Conversion c;
  if (!rt::fuzz::ReadConversion(data, size, c)) return 0;
  std::vector<std::uint8_t> bytes = {1, 2, 3};
  std::vector<float> floats = {4.0f};
  if (!Convert(c, bytes, floats)) {
    if (bytes.size() != 3 || floats.size() != 1) __builtin_trap();
    return 0;
  }
  const auto frameBytes = static_cast<std::size_t>(c.from.channels * c.from.bitsPerSample / 8);
  const std::uint64_t samples = rt::ConvertedFrames(c.bytes / frameBytes, c.from.rate, c.to.rate) *
                                static_cast<std::uint64_t>(c.to.channels);
  if (c.to.sample == SampleFormat::S16) {
    if (bytes.size() != samples * 2) __builtin_trap();
    return 0;
  }
  if (floats.size() != samples) __builtin_trap();
  for (float level : floats) {
    if (!(std::abs(level) <= 1.0f)) __builtin_trap();
  }
  return 0;
}
