#include <vector>

#include "runtime/platform/sdl/sdl_facets.h"
#include "runtime/platform/sdl/sdl_mapping.h"

namespace rt::platform {

namespace {
constexpr int kMaxIconSide = 1024;
}

bool SdlVideo::DesktopMode(int& width, int& height, int& depth) {
  SDL_DisplayMode mode;
  if (!sdl_.EnsureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
  width = mode.w;
  height = mode.h;
  // Four bytes a pixel is a 32-bit desktop, whatever SDL counts as colour bits.
  depth = SDL_BYTESPERPIXEL(mode.format) == 4 ? 32 : static_cast<int>(SDL_BITSPERPIXEL(mode.format));
  return true;
}

void SdlVideo::Reveal(SdlWindow& window) {
  SDL_ShowWindow(window.Window());
  SDL_RaiseWindow(window.Window());
  window.Shows().ShowBlack();
}

WindowId SdlVideo::CreateWindow(const WindowDesc& desc) {
  if (!sdl_.EnsureVideo() || desc.clientWidth <= 0 || desc.clientHeight <= 0) return 0;
  const SdlOptions& options = sdl_.Options();
  // The first display decides, as SDL centres windows on it.
  const int scale = sdl_.OpeningScale(desc.clientWidth, desc.clientHeight, 0);
  const Uint32 flags = SDL_WINDOW_HIDDEN | (desc.decorated ? 0 : SDL_WINDOW_BORDERLESS) |
                       (options.resizable ? SDL_WINDOW_RESIZABLE : 0);
  const int x = desc.centred ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : desc.x;
  const int y = desc.centred ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : desc.y;
  SDL_Window* made =
      SDL_CreateWindow(desc.title.c_str(), x, y, desc.clientWidth * scale, desc.clientHeight * scale, flags);
  const WindowId id = sdl_.Adopt(made, false, desc.clientWidth, desc.clientHeight);
  SdlWindow* window = sdl_.Find(id);
  if (!window || !desc.visible) return id;
  Reveal(*window);
  int top = 0, left = 0, bottom = 0, right = 0;
  // The given corner is the frame's; SDL places the client area. The frame is known once shown.
  if (!desc.centred && SDL_GetWindowBordersSize(window->Window(), &top, &left, &bottom, &right) == 0) {
    SDL_SetWindowPosition(window->Window(), desc.x + left, desc.y + top);
  }
  return id;
}

WindowId SdlVideo::CreateFullScreenWindow(const std::string& title) {
  int width = 0, height = 0, depth = 0;
  if (!DesktopMode(width, height, depth)) return 0;
  // A desktop-sized window: the display mode never changes.
  const Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_FULLSCREEN_DESKTOP;
  const WindowId id = sdl_.Adopt(
      SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags),
      true, width, height);
  if (SdlWindow* window = sdl_.Find(id)) Reveal(*window);
  return id;
}

void SdlVideo::DestroyWindow(WindowId window) {
  sdl_.Forget(window);
}

void SdlVideo::ShowWindow(WindowId window, bool visible) {
  SdlWindow* found = sdl_.Find(window);
  if (!found) return;
  if (visible) {
    Reveal(*found);
  } else {
    SDL_HideWindow(found->Window());
  }
}

void SdlVideo::SetWindowTitle(WindowId window, const std::string& title) {
  if (SdlWindow* found = sdl_.Find(window)) SDL_SetWindowTitle(found->Window(), title.c_str());
}

void SdlVideo::SetWindowIcon(WindowId window, const std::uint32_t* pixels, int width, int height) {
  SdlWindow* found = sdl_.Find(window);
  if (!found || !pixels || width <= 0 || height <= 0 || width > kMaxIconSide || height > kMaxIconSide) return;
  std::vector<std::uint32_t> argb(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < argb.size(); ++i) argb[i] = pixels[i] == 0 ? 0 : 0xFF000000u | pixels[i];
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!surface) return;
  SDL_SetWindowIcon(found->Window(), surface);  // SDL keeps its own copy
  SDL_FreeSurface(surface);
}

// The runtime sees the client area at the size it asked for, wherever the window is.
bool SdlVideo::WindowGeometry(WindowId window, Rect& outer, Rect& client) {
  SdlWindow* found = sdl_.Find(window);
  if (!found) return false;
  SDL_GetWindowPosition(found->Window(), &client.x, &client.y);
  client.width = found->LogicalWidth();
  client.height = found->LogicalHeight();
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(found->Window(), &top, &left, &bottom, &right) != 0)
    top = left = bottom = right = 0;
  outer = Rect{client.x - left, client.y - top, client.width + left + right, client.height + top + bottom};
  return true;
}

int SdlVideo::PresentRate(WindowId window) {
  SdlWindow* found = sdl_.Find(window);
  if (!found || !found->Shows().WaitsForRetrace()) return 0;
  return SdlContext::DisplayRefresh(found->Window());
}

void SdlVideo::Present(WindowId window, const std::uint32_t* pixels, int width, int height, int pitchBytes,
                       const Rect& dest) {
  SdlWindow* found = sdl_.Find(window);
  if (!found || !pixels || width <= 0 || height <= 0) return;
  found->Show(pixels, width, height, pitchBytes, dest);
}

}  // namespace rt::platform
