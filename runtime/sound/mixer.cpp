#include "runtime/sound/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace rt {

namespace {

// The mix is built on the audio thread's stack, one chunk of this many samples at a time.
constexpr std::size_t kChunkSamples = 1024;
constexpr int kMaxChannels = 8;

// A restarted playback fades out over this long: short enough to leave the new start clean, long
// enough not to click.
constexpr double kFadeSeconds = 0.0015;
// A master gain change from silence to full takes this long.
constexpr double kGainRampSeconds = 0.02;

// The limiter: below the threshold (-3 dBFS) the mix passes untouched; above it, the level bends
// smoothly towards the ceiling (-0.45 dBFS) and never reaches it, so nothing is ever at full scale.
// The gain follows the mix's peak at once and recovers over the release time, which keeps the
// waveform's shape (a gain that moves slowly) instead of bending each peak into new harmonics.
constexpr float kThreshold = 0.70794578f;
constexpr float kCeiling = 0.95f;
constexpr double kReleaseSeconds = 0.05;
// An envelope this small is silence; keeping it from decaying further avoids subnormal arithmetic.
constexpr float kQuietEnvelope = 1e-6f;

// A start more than this far ahead of the block being rendered belongs to a later block in any case.
constexpr std::uint64_t kFarestStartSeconds = 60;

class AudioLock {
 public:
  AudioLock() { platform::Audio().LockAudio(); }
  ~AudioLock() { platform::Audio().UnlockAudio(); }
  AudioLock(const AudioLock&) = delete;
  AudioLock& operator=(const AudioLock&) = delete;
};

// The limiter's curve: the identity up to the threshold, then a knee whose slope starts at 1 and
// falls towards 0 as the level approaches the ceiling.
float Limited(float level) {
  if (level <= kThreshold) return level;
  constexpr float kRoom = kCeiling - kThreshold;
  return kThreshold + kRoom * std::tanh((level - kThreshold) / kRoom);
}

}  // namespace

// ---- The schedule.

std::uint64_t Mixer::Schedule::BeginBlock(std::uint64_t now, std::uint64_t frequency, int rate,
                                          std::size_t frames) {
  frequency_ = frequency;
  rate_ = rate;
  const bool clockStill = anchored_ && now == lastNow_;
  lastNow_ = now;
  if (frequency == 0 || rate <= 0) {
    // A clock that does not run: every start is due at once.
    anchored_ = false;
    windowStart_ = now;
    return windowStart_;
  }
  const std::uint64_t span = static_cast<std::uint64_t>(frames) * frequency / static_cast<std::uint64_t>(rate);
  const std::uint64_t expected = anchor_ + span;
  const auto error = static_cast<std::int64_t>(now - expected);
  const auto tolerance = static_cast<std::int64_t>(2 * span);
  if (!anchored_ || clockStill || error > tolerance || error < -tolerance) {
    // The first block, a clock that has not moved since the last one (nothing to time by), or a
    // stream that stalled or jumped: whatever is waiting starts now.
    anchored_ = true;
    anchor_ = now;
    windowStart_ = now;
  } else {
    // The block covers the requests made since the previous callback, and a quarter of a block
    // more: a callback a little early then still finds its requests ahead of it, not late. The
    // estimate of the callback times follows the real ones slowly, so the device's jitter hardly
    // moves the starts while a drift between the two clocks is still followed.
    windowStart_ = anchor_ > span / 4 ? anchor_ - span / 4 : 0;
    anchor_ = expected + static_cast<std::uint64_t>(error / 32);
  }
  return windowStart_;
}

std::size_t Mixer::Schedule::Offset(std::uint64_t time) const {
  if (time <= windowStart_ || frequency_ == 0) return 0;
  const std::uint64_t ahead = time - windowStart_;
  if (ahead >= kFarestStartSeconds * frequency_) return std::numeric_limits<std::size_t>::max();
  return static_cast<std::size_t>((ahead * static_cast<std::uint64_t>(rate_) + frequency_ / 2) / frequency_);
}

// ---- The game thread's side.

bool Mixer::Open() {
  // The platform fills in the format before the callback first runs, so the callback reads it here.
  if (!platform::Audio().OpenAudio(&Mixer::Callback, this, format_)) return false;
  if (format_.channels >= 1 && format_.channels <= kMaxChannels && format_.rate > 0) return true;
  Close();
  return false;
}

void Mixer::Close() {
  platform::Audio().CloseAudio();
  format_ = {};
  schedule_.Reset();
  envelope_ = 0.0f;
  gain_ = targetGain_;
}

Mixer::VoiceId Mixer::AddVoice(const float* samples, std::size_t frames) {
  Voice voice;
  voice.samples = samples;
  voice.frames = samples ? frames : 0;
  voice.inUse = true;
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
  const std::uint64_t now = platform::Clock().Counter();
  AudioLock lock;
  Voice& v = voices_[voice];
  if (!v.inUse) return;
  if (v.pendingCount == kPendingStarts) {
    std::copy(v.pending.begin() + 1, v.pending.end(), v.pending.begin());
    --v.pendingCount;
  }
  v.pending[v.pendingCount++] = now;
}

void Mixer::SetGain(float gain) {
  gain = gain >= 0.0f ? std::min(gain, 1.0f) : 0.0f;  // NaN too becomes silence
  AudioLock lock;
  targetGain_ = gain;
  if (format_.channels == 0) gain_ = gain;
}

// ---- The audio thread's side.

void Mixer::Callback(void* user, std::uint8_t* out, int frames) {
  static_cast<Mixer*>(user)->Render(out, frames);
}

void Mixer::Render(std::uint8_t* out, int frames) {
  if (frames <= 0 || format_.channels < 1 || format_.channels > kMaxChannels || format_.rate <= 0) return;
  const auto rate = static_cast<double>(format_.rate);
  fadeFrames_ = std::max<std::size_t>(1, static_cast<std::size_t>(kFadeSeconds * rate));
  gainStep_ = static_cast<float>(1.0 / (kGainRampSeconds * rate));
  release_ = static_cast<float>(std::exp(-1.0 / (kReleaseSeconds * rate)));

  const auto count = static_cast<std::size_t>(frames);
  platform::ClockFacet& clock = platform::Clock();
  schedule_.BeginBlock(clock.Counter(), clock.CounterFrequency(), format_.rate, count);

  const auto channels = static_cast<std::size_t>(format_.channels);
  const std::size_t chunkFrames = kChunkSamples / channels;
  const auto frameBytes = static_cast<std::size_t>(format_.BytesPerFrame());
  float mix[kChunkSamples];
  for (std::size_t done = 0; done < count;) {
    StartDue(done);
    const std::size_t span = std::min({chunkFrames, count - done, NextStart(done) - done});
    MixSpan(mix, span);
    Finish(mix, span);
    Store(mix, out + done * frameBytes, span);
    done += span;
  }
}

// Begins every start that falls on or before `frame` of the block. A playback already heard fades
// out; one that has not played a frame yet is simply replaced.
void Mixer::StartDue(std::size_t frame) {
  for (Voice& voice : voices_) {
    while (voice.pendingCount > 0 && schedule_.Offset(voice.pending[0]) <= frame) {
      std::copy(voice.pending.begin() + 1, voice.pending.end(), voice.pending.begin());
      --voice.pendingCount;
      if (voice.current.playing && voice.current.position > 0) {
        voice.fading = voice.current;
        voice.fading.fadeStep = 1.0f / static_cast<float>(fadeFrames_);
        voice.fading.gain = 1.0f - voice.fading.fadeStep;
      }
      voice.current = Playback{0, voice.frames > 0};
    }
  }
}

// The frame of the block at which the next start after `after` falls (beyond the block if none).
std::size_t Mixer::NextStart(std::size_t after) const {
  std::size_t next = std::numeric_limits<std::size_t>::max();
  for (const Voice& voice : voices_) {
    if (voice.pendingCount > 0) next = std::min(next, std::max(after + 1, schedule_.Offset(voice.pending[0])));
  }
  return next;
}

void Mixer::MixSpan(float* out, std::size_t frames) {
  std::fill_n(out, frames * static_cast<std::size_t>(format_.channels), 0.0f);
  for (Voice& voice : voices_) {
    AddPlayback(voice, voice.current, out, frames);
    AddPlayback(voice, voice.fading, out, frames);
  }
}

void Mixer::AddPlayback(const Voice& voice, Playback& playback, float* sums, std::size_t frames) const {
  if (!playback.playing) return;
  const auto channels = static_cast<std::size_t>(format_.channels);
  std::size_t count = std::min(frames, voice.frames - playback.position);
  const float* source = voice.samples + playback.position * channels;
  if (playback.fadeStep == 0.0f) {
    for (std::size_t i = 0; i < count * channels; ++i) sums[i] += source[i];
  } else {
    for (std::size_t frame = 0; frame < count; ++frame) {
      for (std::size_t c = 0; c < channels; ++c) sums[frame * channels + c] += source[frame * channels + c] * playback.gain;
      playback.gain -= playback.fadeStep;
      if (playback.gain <= 0.0f) {
        count = frame + 1;
        playback.playing = false;
        break;
      }
    }
  }
  playback.position += count;
  if (playback.position >= voice.frames) playback.playing = false;
}

// Master gain, then the limiter, frame by frame. The limiter acts on all channels alike, so a
// centred sound stays centred.
void Mixer::Finish(float* mix, std::size_t frames) {
  const auto channels = static_cast<std::size_t>(format_.channels);
  for (std::size_t frame = 0; frame < frames; ++frame) {
    float* samples = mix + frame * channels;
    if (gain_ != targetGain_) {
      gain_ = gain_ < targetGain_ ? std::min(targetGain_, gain_ + gainStep_) : std::max(targetGain_, gain_ - gainStep_);
    }
    float peak = 0.0f;
    for (std::size_t c = 0; c < channels; ++c) {
      samples[c] *= gain_;
      peak = std::max(peak, std::fabs(samples[c]));
    }
    envelope_ = std::max(peak, envelope_ * release_);
    if (envelope_ > kThreshold) {
      const float scale = Limited(envelope_) / envelope_;
      for (std::size_t c = 0; c < channels; ++c) samples[c] *= scale;
    } else if (envelope_ < kQuietEnvelope) {
      envelope_ = 0.0f;
    }
  }
}

void Mixer::Store(const float* mix, std::uint8_t* out, std::size_t frames) const {
  const std::size_t count = frames * static_cast<std::size_t>(format_.channels);
  if (format_.sample == platform::SampleFormat::S16) {
    for (std::size_t i = 0; i < count; ++i) {
      const auto sample = static_cast<std::int16_t>(std::clamp(std::lrintf(mix[i] * 32768.0f), -32768L, 32767L));
      std::memcpy(out + i * sizeof sample, &sample, sizeof sample);
    }
  } else {
    for (std::size_t i = 0; i < count; ++i) {
      const float sample = std::clamp(mix[i], -1.0f, 1.0f);
      std::memcpy(out + i * sizeof sample, &sample, sizeof sample);
    }
  }
}

}  // namespace rt
