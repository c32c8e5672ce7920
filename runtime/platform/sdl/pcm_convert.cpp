// Converting sounds to the device's format once, at load time. Done here rather than by SDL's audio
// streams: those pass every sample through float and back even when only the layout changes (32767
// comes out as 32766) and lose the last stretch of a resampled sound. Here a sample whose rate does not
// change comes through exactly, and a rate change interpolates linearly between neighbouring frames.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "runtime/platform/platform.h"

namespace rt::platform {

namespace {

constexpr int kMaxRate = 1'000'000;
constexpr std::uint64_t kMaxOutputBytes = std::uint64_t{1} << 31;
constexpr int kMaxChannels = 2;

bool Takes(const PcmFormat& from, const AudioFormat& to) {
  return from.rate > 0 && from.rate <= kMaxRate && from.channels >= 1 && from.channels <= kMaxChannels &&
         (from.bitsPerSample == 8 || from.bitsPerSample == 16) && to.rate > 0 && to.rate <= kMaxRate &&
         to.channels >= 1 && to.channels <= kMaxChannels;
}

// Samples are worked on as floats on the 16-bit scale, which holds every input value exactly.
float ReadSample(const std::uint8_t* frame, int channel, int bitsPerSample) {
  if (bitsPerSample == 8) return static_cast<float>((frame[channel] - 128) * 256);
  const std::uint8_t* bytes = frame + 2 * channel;
  return static_cast<float>(static_cast<std::int16_t>(bytes[0] | bytes[1] << 8));
}

struct Frame {
  float sample[kMaxChannels] = {};
};

class Source {
 public:
  Source(const std::uint8_t* data, std::size_t bytes, const PcmFormat& format, int outChannels)
      : data_(data),
        format_(format),
        frameBytes_(static_cast<std::size_t>(format.channels) * (format.bitsPerSample / 8)),
        frames_(bytes / frameBytes_),
        outChannels_(outChannels) {}

  std::uint64_t Frames() const { return frames_; }

  // Frame `index` in the target's channels; past the end, the last frame.
  Frame At(std::uint64_t index) const {
    const std::uint8_t* frame = data_ + std::min(index, frames_ - 1) * frameBytes_;
    const float left = ReadSample(frame, 0, format_.bitsPerSample);
    const float right = format_.channels == 2 ? ReadSample(frame, 1, format_.bitsPerSample) : left;
    Frame out;
    if (outChannels_ == 1) {
      out.sample[0] = format_.channels == 2 ? (left + right) * 0.5f : left;
    } else {
      out.sample[0] = left;
      out.sample[1] = right;
    }
    return out;
  }

 private:
  const std::uint8_t* data_;
  PcmFormat format_;
  std::size_t frameBytes_;
  std::uint64_t frames_;
  int outChannels_;
};

std::uint8_t* WriteSample(float value, SampleFormat sample, std::uint8_t* out) {
  if (sample == SampleFormat::S16) {
    const auto clamped = static_cast<std::int16_t>(std::clamp(std::lrintf(value), -32768L, 32767L));
    std::memcpy(out, &clamped, sizeof(clamped));
    return out + sizeof(clamped);
  }
  const float scaled = value / 32768.0f;
  std::memcpy(out, &scaled, sizeof(scaled));
  return out + sizeof(scaled);
}

// Output frame i lies at i * from / to source frames.
std::uint8_t* WriteFrame(const Source& source, std::uint64_t i, const PcmFormat& from, const AudioFormat& to,
                         std::uint8_t* out) {
  const std::uint64_t position = i * static_cast<std::uint64_t>(from.rate);
  const std::uint64_t index = position / static_cast<std::uint64_t>(to.rate);
  const float fraction =
      static_cast<float>(position % static_cast<std::uint64_t>(to.rate)) / static_cast<float>(to.rate);
  const Frame a = source.At(index);
  const Frame b = fraction == 0.0f ? a : source.At(index + 1);
  for (int channel = 0; channel < to.channels; ++channel) {
    out = WriteSample(a.sample[channel] + (b.sample[channel] - a.sample[channel]) * fraction, to.sample, out);
  }
  return out;
}

}  // namespace

// A trailing partial frame is dropped rather than read as half a sample.
bool ConvertPcm(const std::uint8_t* data, std::size_t bytes, const PcmFormat& from, const AudioFormat& to,
                std::vector<std::uint8_t>& out) {
  if (!Takes(from, to) || (!data && bytes != 0)) return false;
  const Source source(data, bytes, from, to.channels);
  if (source.Frames() > kMaxOutputBytes) return false;
  const std::uint64_t frames =
      source.Frames() * static_cast<std::uint64_t>(to.rate) / static_cast<std::uint64_t>(from.rate);
  const std::uint64_t outBytes = frames * static_cast<std::uint64_t>(to.BytesPerFrame());
  if (outBytes > kMaxOutputBytes) return false;
  out.resize(static_cast<std::size_t>(outBytes));
  std::uint8_t* cursor = out.data();
  for (std::uint64_t i = 0; i < frames; ++i) cursor = WriteFrame(source, i, from, to, cursor);
  return true;
}

}  // namespace rt::platform
