// Feeds arbitrary bytes to the sound loader on a headless audio device, then plays whatever loaded
// and renders it, so the reader, the converter and the mixer all see the result.
#include <cstddef>
#include <cstdint>

#include "runtime/platform/headless/headless_platform.h"
#include "runtime/platform/platform.h"
#include "runtime/sound/sound.h"

namespace {

rt::platform::HeadlessPlatform& Device() {
  static rt::platform::HeadlessPlatform* device = [] {
    auto* headless = new rt::platform::HeadlessPlatform();
    rt::platform::Install(headless->Facets());
    rt::InitSoundSystem();
    return headless;
  }();
  return *device;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto& device = Device();
  if (rt::LoadSoundFromMemory(0, data, size) && rt::PlaySoundEffect(0)) {
    device.RenderAudio(512);
  }
  rt::FreeSound(0);
  return 0;
}
