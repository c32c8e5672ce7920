// A window of the program: SDL's window, what shows its pictures, and the size the runtime asked for.
// The runtime sees every window at that logical size; on the screen a window may be larger (a whole
// scale, resized or maximised by the player, or switched to full screen), and the picture is scaled
// into it, centred on black.
#pragma once

#include <SDL.h>

#include <memory>

#include "runtime/platform/platform.h"
#include "runtime/platform/sdl/sdl_mapping.h"
#include "runtime/platform/sdl/sdl_presenter.h"

namespace rt::platform {

class SdlWindow {
 public:
  // `openedFullScreen`: a desktop-sized window whose picture is always scaled to fit; otherwise the
  // runtime places pictures at client coordinates of a `logicalWidth` x `logicalHeight` area.
  SdlWindow(SDL_Window* window, std::unique_ptr<Presenter> presenter, bool openedFullScreen, int logicalWidth,
            int logicalHeight, Scaling scaling);
  ~SdlWindow();
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  SDL_Window* Window() const { return window_; }
  Presenter& Shows() const { return *presenter_; }
  bool OpenedFullScreen() const { return openedFullScreen_; }
  bool ShownFullScreen() const;
  int LogicalWidth() const { return logicalWidth_; }
  int LogicalHeight() const { return logicalHeight_; }
  // The size of the last picture shown (0 before the first).
  int PictureWidth() const { return pictureWidth_; }
  int PictureHeight() const { return pictureHeight_; }

  // Shows a picture: a window opened full screen scales it to fit; any other places it at `dest` in
  // its logical client area, which is scaled to fit the window as it now is.
  void Show(const std::uint32_t* pixels, int width, int height, int pitchBytes, const Rect& dest);
  // A rectangle or a point of the logical client area where it is on the screen.
  Rect ToOutput(const Rect& logical);

 private:
  Rect View();  // where the logical client area is shown in the window's output

  SDL_Window* window_;
  std::unique_ptr<Presenter> presenter_;
  bool openedFullScreen_;
  int logicalWidth_, logicalHeight_;
  Scaling scaling_;
  int pictureWidth_ = 0, pictureHeight_ = 0;
};

}  // namespace rt::platform
