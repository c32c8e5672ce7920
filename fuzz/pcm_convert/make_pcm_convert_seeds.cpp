// Writes the converter fuzzer's seed corpus: the conversions the game makes, every channel layout and
// sample type, the extremes of the rates both ways, and formats the converter refuses.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "fuzz/pcm_convert/conversion_input.h"

namespace {

using rt::PcmFormat;
using rt::platform::AudioFormat;
using rt::platform::SampleFormat;

// `frames` frames of a tone at a tenth of the rate, in the input's own sample type.
std::vector<std::uint8_t> Tone(const PcmFormat& format, int frames) {
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < frames * format.channels; ++i) {
    const double level = std::sin(2 * std::numbers::pi * (i / format.channels) / 10.0);
    if (format.bitsPerSample == 8) {
      bytes.push_back(static_cast<std::uint8_t>(128 + std::lround(127 * level)));
    } else {
      const auto sample = static_cast<std::uint16_t>(std::lround(32767 * level));
      bytes.push_back(static_cast<std::uint8_t>(sample));
      bytes.push_back(static_cast<std::uint8_t>(sample >> 8));
    }
  }
  return bytes;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

struct Seed {
  const char* name;
  PcmFormat from;
  AudioFormat to;
  int frames;
};

const Seed kSeeds[] = {
    {"game-sound", {22050, 1, 16}, {44100, 2, SampleFormat::S16}, 300},
    {"game-sound-float", {22050, 1, 16}, {48000, 2, SampleFormat::F32}, 300},
    {"same-rate", {44100, 2, 16}, {44100, 2, SampleFormat::S16}, 200},
    {"stereo-to-mono", {48000, 2, 8}, {44100, 1, SampleFormat::F32}, 200},
    {"lowest-to-highest", {1000, 1, 8}, {384000, 2, SampleFormat::F32}, 5},
    {"highest-to-lowest", {384000, 2, 16}, {1000, 1, SampleFormat::S16}, 400},
    {"odd-rates", {383999, 1, 16}, {44101, 2, SampleFormat::F32}, 400},
    {"no-samples", {11025, 1, 8}, {44100, 2, SampleFormat::S16}, 0},
    {"no-channels", {22050, 0, 16}, {44100, 2, SampleFormat::S16}, 10},
    {"three-channels", {22050, 3, 16}, {44100, 2, SampleFormat::S16}, 10},
    {"no-output-channels", {22050, 1, 16}, {44100, 0, SampleFormat::F32}, 10},
    {"rate-too-low", {rt::kMinPcmRate - 1, 1, 16}, {44100, 2, SampleFormat::S16}, 10},
    {"rate-too-high", {22050, 1, 16}, {rt::kMaxPcmRate + 1, 2, SampleFormat::S16}, 10},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_pcm_convert_seeds DIRECTORY\n", stderr);
    return 2;
  }
  bool ok = true;
  for (const Seed& seed : kSeeds) {
    const std::vector<std::uint8_t> samples = Tone(seed.from, seed.frames);
    ok = WriteFile(std::string(argv[1]) + "/" + seed.name, rt::fuzz::WriteConversion(seed.from, seed.to, samples)) && ok;
  }
  return ok ? 0 : 1;
}
