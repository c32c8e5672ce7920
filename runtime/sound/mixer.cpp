#include "runtime/sound/mixer.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace rt {

namespace {

// Sums are built on the audio thread's stack, one chunk of this many samples at a time.
constexpr std::size_t kChunkSamples = 1024;
constexpr int kMaxChannels = 8;

class AudioLock {
 public:
  AudioLock() { platform::Audio().LockAudio(); }
  ~AudioLock() { platform::Audio().UnlockAudio(); }
  AudioLock(const AudioLock&) = delete;
  AudioLock& operator=(const AudioLock&) = delete;
};

// Sample buffers are plain bytes; copying in and out keeps the accesses well-defined.
template <typename Sample>
Sample LoadSample(const std::uint8_t* bytes) {
  Sample sample;
  std::memcpy(&sample, bytes, sizeof sample);
  return sample;
}

template <typename Sample>
void StoreSample(std::uint8_t* bytes, Sample sample) {
  std::memcpy(bytes, &sample, sizeof sample);
}

// Loud overlaps clip at full scale instead of wrapping round into a click.
std::int16_t Saturate(std::int64_t sum) {
  return static_cast<std::int16_t>(std::clamp<std::int64_t>(sum, std::numeric_limits<std::int16_t>::min(),
                                                            std::numeric_limits<std::int16_t>::max()));
}

float Saturate(float sum) {
  return std::clamp(sum, -1.0f, 1.0f);
}

}  // namespace

bool Mixer::Open() {
  // The platform fills in the format before the callback first runs, so the callback reads it here.
  if (!platform::Audio().OpenAudio(&Mixer::Callback, this, format_)) return false;
  if (format_.channels >= 1 && format_.channels <= kMaxChannels) return true;
  Close();
  return false;
}

void Mixer::Close() {
  platform::Audio().CloseAudio();
  format_ = {};
}

Mixer::VoiceId Mixer::AddVoice(const std::uint8_t* samples, std::size_t bytes) {
  const auto bytesPerFrame = static_cast<std::size_t>(format_.BytesPerFrame());
  Voice voice{samples, bytesPerFrame ? bytes / bytesPerFrame : 0, 0, false, true};
  AudioLock lock;
  auto freeSlot = std::find_if(voices_.begin(), voices_.end(), [](const Voice& v) { return !v.inUse; });
  if (freeSlot != voices_.end()) {
    *freeSlot = voice;
    return static_cast<VoiceId>(freeSlot - voices_.begin());
  }
  voices_.push_back(voice);
  return voices_.size() - 1;
}

void Mixer::RemoveVoice(VoiceId voice) {
  if (voice >= voices_.size()) return;
  AudioLock lock;
  voices_[voice] = Voice{};
}

void Mixer::Restart(VoiceId voice) {
  if (voice >= voices_.size()) return;
  AudioLock lock;
  voices_[voice].position = 0;
  voices_[voice].playing = voices_[voice].frames > 0;
}

void Mixer::Callback(void* user, std::uint8_t* out, int frames) {
  static_cast<Mixer*>(user)->Render(out, frames);
}

void Mixer::Render(std::uint8_t* out, int frames) {
  if (frames <= 0 || format_.channels < 1 || format_.channels > kMaxChannels) return;
  if (format_.sample == platform::SampleFormat::S16) {
    MixVoices<std::int16_t, std::int64_t>(out, static_cast<std::size_t>(frames));
  } else {
    MixVoices<float, float>(out, static_cast<std::size_t>(frames));
  }
}

template <typename Sample, typename Sum>
void Mixer::MixVoices(std::uint8_t* out, std::size_t frames) {
  const auto channels = static_cast<std::size_t>(format_.channels);
  const std::size_t chunkFrames = kChunkSamples / channels;
  Sum sums[kChunkSamples];
  for (std::size_t done = 0; done < frames;) {
    const std::size_t count = std::min(chunkFrames, frames - done);
    std::fill_n(sums, count * channels, Sum{0});
    for (Voice& voice : voices_) AddVoiceTo<Sample>(voice, sums, count);
    for (std::size_t i = 0; i < count * channels; ++i) {
      StoreSample(out + ((done * channels) + i) * sizeof(Sample), Saturate(sums[i]));
    }
    done += count;
  }
}

template <typename Sample, typename Sum>
void Mixer::AddVoiceTo(Voice& voice, Sum* sums, std::size_t frames) const {
  if (!voice.playing) return;
  const auto channels = static_cast<std::size_t>(format_.channels);
  const std::size_t count = std::min(frames, voice.frames - voice.position);
  const std::uint8_t* source = voice.samples + voice.position * channels * sizeof(Sample);
  for (std::size_t i = 0; i < count * channels; ++i)
    sums[i] += LoadSample<Sample>(source + i * sizeof(Sample));
  voice.position += count;
  voice.playing = voice.position < voice.frames;
}

}  // namespace rt
