// Reads the sample data and format of a RIFF/WAVE image held in memory. Every read stays inside both
// the caller's length and the extent the RIFF header claims, so a damaged image is refused, never
// read past.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/sound/pcm_convert.h"

namespace rt {

struct WavSamples {
  PcmFormat format;
  const std::uint8_t* data = nullptr;  // points into the image
  std::size_t bytes = 0;               // at least one whole frame; the converter drops a partial one
};

// Fills `out` from a PCM image (8-bit unsigned or 16-bit signed, mono or stereo); false for a
// malformed image or any other format.
bool ReadWav(const void* image, std::size_t length, WavSamples& out);

}  // namespace rt
