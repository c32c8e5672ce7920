// Feeds arbitrary bytes to the image loader on a headless screen. The first byte picks the screen
// depth and the sprite mode, the rest is the image, so BMP and PNG readers are reached at both depths
// and in the plain-memory and alpha modes.
#include <cstddef>
#include <cstdint>

#include "runtime/display/screen.h"
#include "runtime/runtime.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/platform/platform.h"
#include "runtime/sprites/image.h"
#include "runtime/sprites/png_decoder.h"
#include "runtime/sprites/sprite.h"

namespace {

void StartOnce() {
  static const bool started = [] {
    rt::platform::Install((new rt::platform::HeadlessPlatform())->Facets());
    rt::InitSpriteSystem();
    rt::EnablePngDecoder();
    return true;
  }();
  (void)started;
}

constexpr int kModes[] = {rt::SpriteModeDefault, rt::SpriteModePlainMemory, rt::SpriteModeAlpha,
                          rt::SpriteModeDefault};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  StartOnce();
  const int depth = (data[0] & 4) ? 16 : 32;
  if (rt::ScreenDepth() != depth) rt::OpenScreen(64, 48, depth, "fuzz");
  rt::LoadSpriteFromMemory(0, data + 1, size - 1, kModes[data[0] & 3]);
  rt::FreeSprite(0);
  return 0;
}
