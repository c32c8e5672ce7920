#include "runtime/sound/pcm_convert.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <numeric>

namespace rt {

namespace {

using platform::AudioFormat;
using platform::SampleFormat;

// The resampler is a windowed sinc: each output sample weighs the input samples within this many
// zero crossings of the kernel on each side (at the lower of the two rates), which keeps images and
// aliases near 80 dB down while passing the audible band flat.
constexpr int kZeroCrossings = 16;
constexpr int kTableSteps = 512;     // kernel values per zero crossing, linear in between
constexpr double kPassband = 0.92;   // the cut-off, as a share of the lower rate's Nyquist frequency
constexpr double kKaiserBeta = 8.0;  // the window's trade of main-lobe width against side lobes

bool RateTaken(int rate) {
  return rate >= kMinPcmRate && rate <= kMaxPcmRate;
}
bool ChannelsTaken(int channels) {
  return channels == 1 || channels == 2;
}

bool Takes(const PcmFormat& from, const AudioFormat& to) {
  return RateTaken(from.rate) && ChannelsTaken(from.channels) &&
         (from.bitsPerSample == 8 || from.bitsPerSample == 16) && RateTaken(to.rate) &&
         ChannelsTaken(to.channels) && (to.sample == SampleFormat::S16 || to.sample == SampleFormat::F32);
}

// Reads the input's samples as floats from -1 to just under 1: unsigned bytes centred on 128,
// 16-bit little-endian as stored in the file.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t frames, const PcmFormat& format)
      : data_(data), frames_(frames), channels_(format.channels), bytes_(format.bitsPerSample / 8) {}

  std::size_t Frames() const { return frames_; }
  int Channels() const { return channels_; }

  float At(std::size_t frame, int channel) const {
    const std::uint8_t* sample = data_ + (frame * static_cast<std::size_t>(channels_) + channel) * bytes_;
    if (bytes_ == 1) return (static_cast<float>(sample[0]) - 128.0f) / 128.0f;
    const auto value = static_cast<std::int16_t>(sample[0] | sample[1] << 8);
    return static_cast<float>(value) / 32768.0f;
  }

 private:
  const std::uint8_t* data_;
  std::size_t frames_;
  int channels_;
  std::size_t bytes_;
};

// Writes output frames in the device's sample type, mapping the input's channels onto its own:
// mono is copied to both sides, stereo folded to mono as the mean of the two.
class Output {
 public:
  Output(std::uint8_t* out, const AudioFormat& format) : out_(out), format_(format) {}

  void Put(std::size_t frame, const float* in, int inChannels) {
    for (int channel = 0; channel < format_.channels; ++channel) {
      float value = in[std::min(channel, inChannels - 1)];
      if (inChannels == 2 && format_.channels == 1) value = (in[0] + in[1]) * 0.5f;
      Store(frame * static_cast<std::size_t>(format_.channels) + channel, value);
    }
  }

 private:
  void Store(std::size_t index, float value) {
    if (format_.sample == SampleFormat::S16) {
      const auto sample =
          static_cast<std::int16_t>(std::clamp(std::lrintf(value * 32768.0f), -32768L, 32767L));
      std::memcpy(out_ + index * sizeof sample, &sample, sizeof sample);
    } else {
      const float sample = std::clamp(value, -1.0f, 1.0f);
      std::memcpy(out_ + index * sizeof sample, &sample, sizeof sample);
    }
  }

  std::uint8_t* out_;
  AudioFormat format_;
};

double BesselI0(double x) {
  double sum = 1.0, term = 1.0;
  for (int k = 1; term > 1e-12 * sum; ++k) {
    const double factor = x / (2.0 * k);
    term *= factor * factor;
    sum += term;
  }
  return sum;
}

// The kernel from its centre out to the last zero crossing, in input samples at the lower rate: the
// same for every conversion, so worked out once.
const std::vector<float>& Kernel() {
  static const std::vector<float> kernel = [] {
    std::vector<float> values(static_cast<std::size_t>(kZeroCrossings * kTableSteps) + 2, 0.0f);
    const double windowScale = 1.0 / BesselI0(kKaiserBeta);
    for (int i = 0; i <= kZeroCrossings * kTableSteps; ++i) {
      const double u = static_cast<double>(i) / kTableSteps;
      const double x = u / kZeroCrossings;
      const double argument = std::numbers::pi * kPassband * u;
      const double sinc = i == 0 ? 1.0 : std::sin(argument) / argument;
      values[static_cast<std::size_t>(i)] =
          static_cast<float>(sinc * BesselI0(kKaiserBeta * std::sqrt(1.0 - x * x)) * windowScale);
    }
    return values;
  }();
  return kernel;
}

// The kernel's weights for every position of an output sample between two input samples: each
// output sample is then a dot product. Positions repeat with the rates' ratio; where they would be
// very many, they are rounded to the nearest of kMostPhases (a timing error under 1/8000 of an input
// sample). The weights of every position are worked out once when the sound comes out at least as
// many frames long as there are positions; a shorter one works out each frame's own, so that the work
// stays in proportion to the sound whatever the rates.
class Resampler {
 public:
  Resampler(const Input& in, int fromRate, int toRate, std::uint64_t outputFrames)
      : in_(in),
        from_(static_cast<std::uint64_t>(fromRate)),
        to_(static_cast<std::uint64_t>(toRate)),
        scale_(std::min(1.0, static_cast<double>(toRate) / fromRate)) {
    reach_ = static_cast<std::int64_t>(std::ceil(kZeroCrossings / scale_));
    phases_ = std::min<std::uint64_t>(to_ / std::gcd(from_, to_), kMostPhases);
    everyPhase_ = outputFrames >= phases_;
    weights_.resize(static_cast<std::size_t>(everyPhase_ ? phases_ : 1) * Taps());
    if (!everyPhase_) return;
    for (std::uint64_t phase = 0; phase < phases_; ++phase) MakeWeights(phase, &weights_[phase * Taps()]);
  }

  // Output frame `frame`: the input around its position, weighted; beyond the input's ends there is
  // silence.
  void Frame(std::uint64_t frame, float* out) {
    const std::uint64_t scaled = frame * from_;
    const auto centre = static_cast<std::int64_t>(scaled / to_);
    const float* weights = WeightsAt(scaled % to_ * phases_ / to_);
    const std::int64_t first = centre - reach_ + 1;
    const std::int64_t begin = std::max<std::int64_t>(first, 0);
    const std::int64_t end =
        std::min<std::int64_t>(centre + reach_ + 1, static_cast<std::int64_t>(in_.Frames()));
    for (int channel = 0; channel < in_.Channels(); ++channel) {
      float sum = 0.0f;
      for (std::int64_t k = begin; k < end; ++k) {
        sum += weights[k - first] * in_.At(static_cast<std::size_t>(k), channel);
      }
      out[channel] = sum;
    }
  }

 private:
  static constexpr std::uint64_t kMostPhases = 4096;

  std::size_t Taps() const { return static_cast<std::size_t>(2 * reach_); }

  const float* WeightsAt(std::uint64_t phase) {
    if (everyPhase_) return &weights_[phase * Taps()];
    MakeWeights(phase, weights_.data());
    return weights_.data();
  }

  // Normalised per position, so that a constant comes through exactly.
  void MakeWeights(std::uint64_t phase, float* row) const {
    const std::vector<float>& kernel = Kernel();
    const double offset = static_cast<double>(phase) / static_cast<double>(phases_);
    double total = 0.0;
    for (std::size_t tap = 0; tap < Taps(); ++tap) {
      const double distance = static_cast<double>(reach_ - 1) - static_cast<double>(tap) + offset;
      row[tap] = static_cast<float>(KernelAt(kernel, std::abs(distance) * scale_));
      total += row[tap];
    }
    for (std::size_t tap = 0; tap < Taps(); ++tap) row[tap] = static_cast<float>(row[tap] / total);
  }

  static double KernelAt(const std::vector<float>& kernel, double u) {
    const double position = u * kTableSteps;
    const auto index = static_cast<std::size_t>(position);
    if (index >= kernel.size() - 1) return 0.0;
    const double fraction = position - static_cast<double>(index);
    return kernel[index] + fraction * (kernel[index + 1] - kernel[index]);
  }

  const Input& in_;
  std::uint64_t from_, to_;
  double scale_;            // the lower rate over the input's
  std::int64_t reach_ = 0;  // input samples on each side that can carry weight
  std::uint64_t phases_ = 1;
  bool everyPhase_ = false;     // whether weights_ holds every position's
  std::vector<float> weights_;  // phases_ rows of Taps() weights, or the row of the frame at hand
};

void Convert(const Input& in, const PcmFormat& from, const AudioFormat& to, std::uint64_t frames,
             Output& out) {
  float values[2];
  if (from.rate == to.rate) {
    for (std::size_t frame = 0; frame < frames; ++frame) {
      for (int channel = 0; channel < in.Channels(); ++channel) values[channel] = in.At(frame, channel);
      out.Put(frame, values, in.Channels());
    }
    return;
  }
  Resampler resampler(in, from.rate, to.rate, frames);
  for (std::uint64_t frame = 0; frame < frames; ++frame) {
    resampler.Frame(frame, values);
    out.Put(static_cast<std::size_t>(frame), values, in.Channels());
  }
}

}  // namespace

std::uint64_t ConvertedFrames(std::uint64_t frames, int fromRate, int toRate) {
  if (fromRate <= 0 || toRate <= 0) return 0;
  const auto from = static_cast<std::uint64_t>(fromRate);
  return (frames * static_cast<std::uint64_t>(toRate) + from - 1) / from;
}

namespace {

// Converts into a buffer of `Sample` made at its final size, so the peak is the output alone.
template <typename Sample>
bool ConvertInto(const std::uint8_t* data, std::size_t bytes, const PcmFormat& from, const AudioFormat& to,
                 std::vector<Sample>& out) {
  if (!Takes(from, to) || (!data && bytes != 0)) return false;
  const auto inFrameBytes = static_cast<std::size_t>(from.channels * from.bitsPerSample / 8);
  const Input in(data, bytes / inFrameBytes, from);
  const std::uint64_t frames = ConvertedFrames(in.Frames(), from.rate, to.rate);
  if (frames > static_cast<std::uint64_t>(kLongestSoundSeconds) * static_cast<std::uint64_t>(to.rate))
    return false;
  std::vector<Sample> converted(static_cast<std::size_t>(frames) * static_cast<std::size_t>(to.BytesPerFrame()) /
                                sizeof(Sample));
  Output output(reinterpret_cast<std::uint8_t*>(converted.data()), to);
  Convert(in, from, to, frames, output);
  out.swap(converted);
  return true;
}

}  // namespace

bool ConvertPcm(const std::uint8_t* data, std::size_t bytes, const PcmFormat& from, const AudioFormat& to,
                std::vector<std::uint8_t>& out) {
  return ConvertInto(data, bytes, from, to, out);
}

bool ConvertPcmToFloat(const std::uint8_t* data, std::size_t bytes, const PcmFormat& from, int rate, int channels,
                       std::vector<float>& out) {
  return ConvertInto(data, bytes, from, AudioFormat{rate, channels, SampleFormat::F32}, out);
}

}  // namespace rt
