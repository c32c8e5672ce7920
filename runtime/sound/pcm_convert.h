// Converting a sound's PCM samples to the audio device's format once, at load time: sample type,
// channel layout and rate, so that the mixer only ever adds samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/platform/platform.h"

namespace rt {

// Sample rates we take, in and out: wide enough for any real recording.
inline constexpr int kMinPcmRate = 1000;
inline constexpr int kMaxPcmRate = 384000;
// Sound effects are short: a sound longer than this is refused before anything is allocated for its
// conversion (at most 23 MB, as 48 kHz stereo floats), so a small file cannot ask for gigabytes.
inline constexpr int kLongestSoundSeconds = 60;

struct PcmFormat {
  int rate = 0;
  int channels = 0;       // 1 or 2
  int bitsPerSample = 0;  // 8 (unsigned) or 16 (signed)
};

// The number of frames `frames` input frames become at the new rate.
std::uint64_t ConvertedFrames(std::uint64_t frames, int fromRate, int toRate);

// Converts interleaved samples into `out`, written once at its final size. A trailing partial frame
// is dropped. False, with `out` left as it was, for formats it does not take and for sounds longer
// than kLongestSoundSeconds.
bool ConvertPcm(const std::uint8_t* data, std::size_t bytes, const PcmFormat& from,
                const platform::AudioFormat& to, std::vector<std::uint8_t>& out);
// The same into floats (the F32 sample type) at `rate` and `channels`, as the mixer keeps sounds.
bool ConvertPcmToFloat(const std::uint8_t* data, std::size_t bytes, const PcmFormat& from, int rate, int channels,
                       std::vector<float>& out);

}  // namespace rt
