// Feeds arbitrary bytes to the WAV reader and checks what it accepts: samples inside the image, at
// least one whole frame of them, in a format the converter takes. A sound that comes out short on the
// device goes on through the loader, is played and mixed, so that the reader's results reach the
// converter and the mixer too; longer ones are the converter's own fuzzer's (fuzz/pcm_convert).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/platform/headless/headless_platform.h"
#include "runtime/platform/platform.h"
#include "runtime/sound/pcm_convert.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/wav.h"

namespace {

constexpr rt::platform::AudioFormat kDevice{44100, 2, rt::platform::SampleFormat::S16};
constexpr std::uint64_t kMostLoadedFrames = 1024;

rt::platform::HeadlessPlatform& Device() {
  static rt::platform::HeadlessPlatform* device = [] {
    auto* headless = new rt::platform::HeadlessPlatform();
    headless->SetAudioFormat(kDevice);
    rt::platform::Install(headless->Facets());
    rt::InitSoundSystem();
    return headless;
  }();
  return *device;
}

std::size_t FrameBytes(const rt::PcmFormat& format) {
  return static_cast<std::size_t>(format.channels * format.bitsPerSample / 8);
}

void CheckAccepted(const std::uint8_t* data, std::size_t size, const rt::WavSamples& wav) {
  const bool inside = wav.data >= data && wav.data <= data + size &&
                      wav.bytes <= static_cast<std::size_t>(data + size - wav.data);
  std::vector<float> none;  // converting nothing tells whether the converter takes the format
  if (!inside || FrameBytes(wav.format) == 0 || wav.bytes < FrameBytes(wav.format) ||
      !rt::ConvertPcmToFloat(nullptr, 0, wav.format, kDevice.rate, kDevice.channels, none)) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto& device = Device();
  rt::WavSamples wav;
  if (!rt::ReadWav(data, size, wav)) return 0;
  CheckAccepted(data, size, wav);
  const std::size_t frames = wav.bytes / FrameBytes(wav.format);
  if (rt::ConvertedFrames(frames, wav.format.rate, kDevice.rate) > kMostLoadedFrames) return 0;
  if (!rt::LoadSoundFromMemory(0, data, size) || !rt::PlaySoundEffect(0)) __builtin_trap();
  device.RenderAudio(512);
  rt::FreeSound(0);
  return 0;
}
