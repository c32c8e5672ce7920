// How a window's pictures reach the screen. The path is chosen once for the machine and kept: an
// accelerated renderer with a streaming texture written in place where the GPU is real; the window
// surface, written directly, where OpenGL is a software rasteriser or no accelerated renderer works
// (there it costs a fraction of the renderer's CPU). Either way 1:1 and whole-number scales keep the
// exact pixels, and stretches take the source pixel under each output pixel's centre; only SDL's own
// scalers (its software renderer, a last resort, and 16-bit desktops) sample at a pixel's corner,
// which moves some rows and columns of a stretch by one.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>

#include "runtime/platform/platform.h"

namespace rt::platform {

enum class PresentPath { Texture, Surface };

// PELLARIS_PRESENT=texture or surface forces a path; otherwise a hidden probe window tells whether an
// accelerated renderer runs on real hardware.
PresentPath ChoosePresentPath();

class Presenter {
 public:
  virtual ~Presenter() = default;
  // Shows the 0x00RRGGBB picture at `target` in the window's output, black around it.
  virtual void Show(const std::uint32_t* pixels, int width, int height, int pitchBytes,
                    const Rect& target) = 0;
  virtual void ShowBlack() = 0;
  virtual Rect OutputSize() = 0;
  // Whether a present waits for the display's retrace.
  virtual bool WaitsForRetrace() const = 0;
  // After the render device was reset its textures are gone: the next picture makes a new one.
  virtual void ForgetTexture() {}
};

// A presenter for the window, or nullptr when the path cannot serve it. `retrace` asks presents to
// wait for the retrace where the path can.
std::unique_ptr<Presenter> MakePresenter(SDL_Window* window, PresentPath path, bool retrace);

// Writes the picture into 32-bit rows at `target`, taking for each output pixel the source pixel
// under its centre, clipped to the output (`outWidth` x `outHeight`, rows `outPitch` bytes apart).
void ScalePicture(const std::uint32_t* pixels, int width, int height, int pitchBytes, const Rect& target,
                  std::uint8_t* out, int outWidth, int outHeight, int outPitch);

}  // namespace rt::platform
