#include "runtime/platform/sdl/sdl_window.h"

namespace rt::platform {

SdlWindow::SdlWindow(SDL_Window* window, std::unique_ptr<Presenter> presenter, bool openedFullScreen,
                     int logicalWidth, int logicalHeight, Scaling scaling)
    : window_(window),
      presenter_(std::move(presenter)),
      openedFullScreen_(openedFullScreen),
      logicalWidth_(logicalWidth),
      logicalHeight_(logicalHeight),
      scaling_(scaling) {}

SdlWindow::~SdlWindow() {
  presenter_.reset();
  SDL_DestroyWindow(window_);
}

bool SdlWindow::ShownFullScreen() const {
  return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
}

void SdlWindow::Show(const std::uint32_t* pixels, int width, int height, int pitchBytes, const Rect& dest) {
  pictureWidth_ = width;
  pictureHeight_ = height;
  if (openedFullScreen_) {
    const Rect output = presenter_->OutputSize();
    presenter_->Show(pixels, width, height, pitchBytes,
                     FitToOutput(width, height, output.width, output.height, scaling_));
    return;
  }
  const bool sized = dest.width > 0 && dest.height > 0;
  presenter_->Show(pixels, width, height, pitchBytes,
                   ToOutput(Rect{dest.x, dest.y, sized ? dest.width : width, sized ? dest.height : height}));
}

Rect SdlWindow::View() {
  const Rect output = presenter_->OutputSize();
  if (output.width == logicalWidth_ && output.height == logicalHeight_)
    return Rect{0, 0, logicalWidth_, logicalHeight_};
  return FitToOutput(logicalWidth_, logicalHeight_, output.width, output.height, scaling_);
}

// Edges are scaled, not sizes, so that rectangles side by side stay side by side.
Rect SdlWindow::ToOutput(const Rect& logical) {
  const Rect view = View();
  if (view.width == logicalWidth_ && view.height == logicalHeight_) {
    return Rect{view.x + logical.x, view.y + logical.y, logical.width, logical.height};
  }
  const auto scaleX = [&](int x) {
    return view.x + static_cast<int>(static_cast<std::int64_t>(x) * view.width / logicalWidth_);
  };
  const auto scaleY = [&](int y) {
    return view.y + static_cast<int>(static_cast<std::int64_t>(y) * view.height / logicalHeight_);
  };
  const int left = scaleX(logical.x), top = scaleY(logical.y);
  return Rect{left, top, scaleX(logical.x + logical.width) - left, scaleY(logical.y + logical.height) - top};
}

}  // namespace rt::platform
