#include <vector>

#include "runtime/platform/web/web_facets.h"
#include "runtime/platform/web/web_library.h"

namespace rt::platform {

namespace {
constexpr int kMaxIconSide = 256;
}

bool WebVideo::DesktopMode(int& width, int& height, int& depth) {
  pellaris_web_screen_size(&width, &height);
  depth = 32;
  return width > 0 && height > 0;
}

WindowId WebVideo::CreateWindow(const WindowDesc& desc) {
  if (desc.clientWidth <= 0 || desc.clientHeight <= 0) return 0;
  const WindowId window = page_.OpenWindow(desc.clientWidth, desc.clientHeight, false, desc.visible);
  SetWindowTitle(window, desc.title);
  return window;
}

// The screen's size is the client area; the picture's own size is the canvas's, set when it comes.
WindowId WebVideo::CreateFullScreenWindow(const std::string& title) {
  int width = 0, height = 0, depth = 0;
  if (!DesktopMode(width, height, depth)) return 0;
  const WindowId window = page_.OpenWindow(width, height, true, true);
  SetWindowTitle(window, title);
  return window;
}

void WebVideo::DestroyWindow(WindowId window) {
  page_.CloseWindow(window);
}

void WebVideo::ShowWindow(WindowId window, bool visible) {
  if (page_.IsWindow(window)) pellaris_web_show_window(visible ? 1 : 0);
}

void WebVideo::SetWindowTitle(WindowId window, const std::string& title) {
  if (page_.IsWindow(window) && !title.empty()) pellaris_web_set_title(title.c_str());
}

// The window icon is the page's icon; pixel value 0 is transparent.
void WebVideo::SetWindowIcon(WindowId window, const std::uint32_t* pixels, int width, int height) {
  if (!page_.IsWindow(window) || !pixels || width <= 0 || height <= 0 || width > kMaxIconSide ||
      height > kMaxIconSide)
    return;
  std::vector<std::uint32_t> rgba;
  ToCanvasBytes(pixels, width, height, width * 4, rgba);
  for (std::size_t i = 0; i < rgba.size(); ++i)
    if (pixels[i] == 0) rgba[i] = 0;
  pellaris_web_set_icon(rgba.data(), width, height);
}

bool WebVideo::WindowGeometry(WindowId window, Rect& outer, Rect& client) {
  if (!page_.IsWindow(window)) return false;
  client = Rect{0, 0, page_.ClientWidth(), page_.ClientHeight()};
  outer = client;  // the page has no frame around the canvas
  return true;
}

void WebVideo::Present(WindowId window, const std::uint32_t* pixels, int width, int height, int pitchBytes,
                       const Rect& dest) {
  if (!page_.IsWindow(window) || !pixels || width <= 0 || height <= 0) return;
  const bool sized = dest.width > 0 && dest.height > 0;
  page_.Show(pixels, width, height, pitchBytes,
             Rect{dest.x, dest.y, sized ? dest.width : width, sized ? dest.height : height});
}

}  // namespace rt::platform
