#include "sound_art.h"

#include <algorithm>
#include <cmath>

#include "formats.h"
#include "geometry.h"

namespace assetgen {

namespace {

using Signal = std::vector<float>;

// -6 dBFS: the shot and the hit start together in every frame of continuous fire, and an explosion
// may come on top, so each keeps well clear of full scale on its own.
constexpr float kPeak = 0.5f;
constexpr float kDt = 1.0f / static_cast<float>(kSampleRate);

float TimeOf(std::size_t i) {
  return static_cast<float>(i) * kDt;
}

// A rounded rise over the first `attack` seconds against clicks, and a fade over the last `fade`
// seconds to true silence.
void ApplyEdges(Signal& signal, float attack, float fade) {
  const float length = TimeOf(signal.size());
  for (std::size_t i = 0; i < signal.size(); ++i) {
    const float t = TimeOf(i);
    signal[i] *= SmoothStep(0.0f, attack, t) * Clamp01((length - kDt - t) / fade);
  }
}

// A gentle high-pass (about 20 Hz) keeps the filtered noise from drifting off centre.
void RemoveOffset(Signal& signal) {
  const float k = std::exp(-2.0f * kPi * 20.0f * kDt);
  float previousIn = 0.0f, previousOut = 0.0f;
  for (float& s : signal) {
    const float out = s - previousIn + k * previousOut;
    previousIn = s;
    previousOut = out;
    s = out;
  }
}

std::vector<std::int16_t> ToPcm(Signal signal) {
  float loudest = 0.0f;
  for (float s : signal) loudest = std::max(loudest, std::abs(s));
  const float gain = loudest > 0.0f ? kPeak * 32767.0f / loudest : 0.0f;
  std::vector<std::int16_t> pcm;
  pcm.reserve(signal.size());
  for (float s : signal) pcm.push_back(static_cast<std::int16_t>(std::lrintf(s * gain)));
  return pcm;
}

// Two one-pole low-passes in a row, cut-off in Hz: steep enough to keep shaped noise out of the
// hiss above a few kilohertz.
class LowPass {
 public:
  float Step(float input, float cutoff) {
    const float k = 1.0f - std::exp(-2.0f * kPi * cutoff * kDt);
    first_ += k * (input - first_);
    second_ += k * (first_ - second_);
    return second_;
  }

 private:
  float first_ = 0.0f;
  float second_ = 0.0f;
};

// An oscillator that follows a changing frequency without jumps.
class Oscillator {
 public:
  float Sine(float frequency) { return std::sin(Advance(frequency)); }
  // A softly squared sine: a little body from its odd harmonics, none of them harsh.
  float Round(float frequency) { return std::tanh(1.5f * std::sin(Advance(frequency))) / std::tanh(1.5f); }

 private:
  float Advance(float frequency) {
    phase_ = std::fmod(phase_ + 2.0f * kPi * frequency * kDt, 2.0f * kPi);
    return phase_;
  }
  float phase_ = 0.0f;
};

}  // namespace

// Continuous fire restarts the shot every frame, so only its first 16.7 ms is heard then: the chirp
// and nearly all of its energy sit there and have died away by the next frame, which makes a
// rattle of ticks rather than a drone. A faint tail, heard only after a single shot, finishes the
// "pew".
std::vector<std::int16_t> MakeShot() {
  Signal signal(kShotSamples);
  Oscillator tone, body;
  for (std::size_t i = 0; i < signal.size(); ++i) {
    const float t = TimeOf(i);
    // From 1.6 kHz to about 1 kHz within the frame: a clear pitch in the middle of the range, which
    // repeats into a rattle; higher, sixty of them a second turn into a whine.
    const float frequency = 560.0f + 1000.0f * std::exp(-t / 0.02f);
    const float level = std::exp(-t / 0.0045f) + 0.15f * std::exp(-t / 0.05f);
    // An octave below, shorter still: a little weight to each tick.
    const float knock = 0.35f * body.Sine(0.5f * frequency) * std::exp(-t / 0.006f);
    signal[i] = level * tone.Round(frequency) + knock;
  }
  RemoveOffset(signal);
  ApplyEdges(signal, 0.0015f, 0.05f);
  return ToPcm(signal);
}

// A boom that is over within a second: a falling low tone under a roar that darkens as it dies,
// then silence for the rest of the sound's length.
std::vector<std::int16_t> MakeExplosion() {
  Signal signal(kExplosionSamples);
  Rng rng(19);
  Oscillator thump;
  LowPass roar, rumble;
  for (std::size_t i = 0; i < signal.size(); ++i) {
    const float t = TimeOf(i);
    const float white = rng.Uniform(-1.0f, 1.0f);
    // The roar darkens as it dies away; the rumble and the falling tone underneath give it weight.
    const float roarCutoff = 200.0f + 2800.0f * std::exp(-t / 0.08f);
    const float noise = 6.0f * roar.Step(white, roarCutoff) * std::exp(-t / 0.15f);
    const float low = 25.0f * rumble.Step(white, 110.0f) * std::exp(-t / 0.28f);
    const float boom = thump.Sine(38.0f + 80.0f * std::exp(-t / 0.07f)) * std::exp(-t / 0.2f);
    // Whatever is left fades out smoothly before a second has passed.
    const float over = 1.0f - SmoothStep(0.55f, 1.0f, t);
    signal[i] = std::tanh(1.5f * (noise + low + boom)) * over;
  }
  RemoveOffset(signal);
  ApplyEdges(signal, 0.003f, 0.25f);
  return ToPcm(signal);
}

// A shot striking rock: a low knock that drops in pitch, with a burst of band-limited grit at the
// strike and a few crumbs of debris after, all of it below a few kilohertz so that it thumps rather
// than hisses. Like the shot, it is restarted every frame while the player fires at a rock, so most
// of it is over within a frame.
std::vector<std::int16_t> MakeHit() {
  Signal signal(kHitSamples);
  Rng rng(23);
  Oscillator thump;
  LowPass gritTop, gritBottom, debrisTop, debrisBottom;
  float crackle = 0.0f;  // level of the current crumb, decaying fast
  for (std::size_t i = 0; i < signal.size(); ++i) {
    const float t = TimeOf(i);
    const float frequency = 110.0f + 170.0f * std::exp(-t / 0.012f);
    const float knock = thump.Sine(frequency) * (std::exp(-t / 0.007f) + 0.25f * std::exp(-t / 0.05f));
    const float white = rng.Uniform(-1.0f, 1.0f);
    // Noise between 300 Hz and 2.5 kHz for a few milliseconds: the grit of the strike.
    const float band = gritTop.Step(white, 2500.0f) - gritBottom.Step(white, 300.0f);
    const float grit = 3.0f * band * std::exp(-t / 0.008f);
    // Crumbs start only after a frame, so that continuous fire hears a clean knock, and then arrive
    // ever more rarely.
    const float rate = 300.0f * SmoothStep(0.017f, 0.03f, t) * std::exp(-t / 0.1f);
    if (rng.Uniform(0.0f, 1.0f) < rate * kDt) crackle = rng.Uniform(0.3f, 1.0f) * std::exp(-t / 0.12f);
    crackle *= 0.99f;
    // Filtered after the crumbs' sudden onsets, so that they crackle without clicking.
    const float crumbs = crackle * rng.Uniform(-1.0f, 1.0f);
    const float debris = 2.0f * (debrisTop.Step(crumbs, 2500.0f) - debrisBottom.Step(crumbs, 500.0f));
    signal[i] = knock + grit + debris;
  }
  RemoveOffset(signal);
  ApplyEdges(signal, 0.0015f, 0.05f);
  return ToPcm(signal);
}

}  // namespace assetgen
