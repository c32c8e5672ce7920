#include "runtime/platform/headless/headless_audio.h"

#include <cstring>

namespace rt::platform {

namespace {

int SampleBytes(SampleFormat sample) {
  return sample == SampleFormat::S16 ? 2 : 4;
}

}  // namespace

bool HeadlessAudio::OpenAudio(AudioCallback callback, void* user, AudioFormat& obtained) {
  if (!available_ || !callback || AudioOpen()) return false;
  callback_ = callback;
  user_ = user;
  obtained = format_;
  return true;
}

void HeadlessAudio::CloseAudio() {
  callback_ = nullptr;
  user_ = nullptr;
}

std::vector<std::uint8_t> HeadlessAudio::RenderBytes(int frames, SampleFormat sample) {
  if (!AudioOpen() || format_.sample != sample || frames <= 0) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(frames) * format_.BytesPerFrame());
  callback_(user_, bytes.data(), frames);
  return bytes;
}

std::vector<std::int16_t> HeadlessAudio::RenderAudio(int frames) {
  const std::vector<std::uint8_t> bytes = RenderBytes(frames, SampleFormat::S16);
  std::vector<std::int16_t> samples(bytes.size() / SampleBytes(SampleFormat::S16));
  if (!bytes.empty()) std::memcpy(samples.data(), bytes.data(), bytes.size());
  return samples;
}

std::vector<float> HeadlessAudio::RenderAudioFloat(int frames) {
  const std::vector<std::uint8_t> bytes = RenderBytes(frames, SampleFormat::F32);
  std::vector<float> samples(bytes.size() / SampleBytes(SampleFormat::F32));
  if (!bytes.empty()) std::memcpy(samples.data(), bytes.data(), bytes.size());
  return samples;
}

}  // namespace rt::platform
