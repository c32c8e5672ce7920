// Converting sounds to the device's format once, at load time, with SDL's own converter: it does the
// sample type, the channel layout and the resampling, so the mixer only ever adds samples.
// SDL_AudioCVT rather than an audio stream: it converts the whole sound in one pass, while a stream
// (SDL 2.26) keeps back the last stretch of a resampled sound that was put in at once, flush or not.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/platform/platform.h"

namespace rt::platform {

namespace {

constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384'000;
constexpr int kMaxChannels = 2;
// SDL works in place in a buffer of len_mult times the input, and counts its bytes in int.
constexpr std::uint64_t kMaxWorkBytes = std::uint64_t{1} << 30;

bool RateTaken(int rate) {
  return rate >= kMinRate && rate <= kMaxRate;
}
bool ChannelsTaken(int channels) {
  return channels >= 1 && channels <= kMaxChannels;
}

bool Takes(const PcmFormat& from, const AudioFormat& to) {
  return RateTaken(from.rate) && ChannelsTaken(from.channels) &&
         (from.bitsPerSample == 8 || from.bitsPerSample == 16) && RateTaken(to.rate) &&
         ChannelsTaken(to.channels) && (to.sample == SampleFormat::S16 || to.sample == SampleFormat::F32);
}

bool BuildConverter(const PcmFormat& from, const AudioFormat& to, SDL_AudioCVT& cvt) {
  const SDL_AudioFormat fromSample = from.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16SYS;
  const SDL_AudioFormat toSample = to.sample == SampleFormat::S16 ? AUDIO_S16SYS : AUDIO_F32SYS;
  return SDL_BuildAudioCVT(&cvt, fromSample, static_cast<Uint8>(from.channels), from.rate, toSample,
                           static_cast<Uint8>(to.channels), to.rate) >= 0;
}

// SDL's resampler overshoots near full scale; 16-bit results it saturates itself, float ones are
// brought back to the device's range here.
void ClampFloats(std::vector<std::uint8_t>& bytes) {
  for (std::size_t i = 0; i + sizeof(float) <= bytes.size(); i += sizeof(float)) {
    float sample;
    std::memcpy(&sample, &bytes[i], sizeof sample);
    sample = std::clamp(sample, -1.0f, 1.0f);
    std::memcpy(&bytes[i], &sample, sizeof sample);
  }
}

}  // namespace

// A trailing partial frame is dropped rather than read as half a sample. On failure `out` is left as
// it was.
bool ConvertPcm(const std::uint8_t* data, std::size_t bytes, const PcmFormat& from, const AudioFormat& to,
                std::vector<std::uint8_t>& out) {
  if (!Takes(from, to) || (!data && bytes != 0)) return false;
  SDL_AudioCVT cvt;
  if (!BuildConverter(from, to, cvt)) return false;
  const auto frameBytes = static_cast<std::size_t>(from.channels * from.bitsPerSample / 8);
  const std::size_t wholeBytes = bytes - bytes % frameBytes;
  const std::uint64_t workBytes =
      static_cast<std::uint64_t>(wholeBytes) * static_cast<unsigned>(cvt.len_mult);
  if (workBytes > kMaxWorkBytes) return false;
  if (wholeBytes == 0) {
    out.clear();
    return true;
  }
  std::vector<std::uint8_t> work(static_cast<std::size_t>(workBytes));
  std::copy(data, data + wholeBytes, work.begin());
  cvt.buf = work.data();
  cvt.len = static_cast<int>(wholeBytes);
  if (SDL_ConvertAudio(&cvt) != 0 || cvt.len_cvt < 0) return false;
  // Copied out so the sound does not keep the working space for as long as it is loaded.
  out.assign(work.begin(), work.begin() + cvt.len_cvt);
  if (to.sample == SampleFormat::F32) ClampFloats(out);
  return true;
}

}  // namespace rt::platform
