#include "runtime/display/windowed_screen.h"

#include "runtime/display/display_state.h"
#include "runtime/display/screen.h"
#include "runtime/platform/platform.h"

namespace rt {

namespace {

constexpr int kWindowedFrameRate = 60;  // each frame period is just over 1/61 s

// Where the back buffer goes in the client area.
platform::Rect Destination() {
  const WindowedGeometry& geometry = Display().geometry;
  platform::Rect dest{geometry.x, geometry.y, geometry.width, geometry.height};
  platform::Rect outer, client;
  if (geometry.autoStretch && platform::Video().WindowGeometry(DisplayWindow(), outer, client)) {
    dest.width = client.width - geometry.x - geometry.rightOffset;
    dest.height = client.height - geometry.y - geometry.bottomOffset;
  }
  return dest;
}

int DesktopDepth() {
  int width = 0, height = 0, depth = 0;
  if (!platform::Video().DesktopMode(width, height, depth)) return 0;
  // The back buffer holds 16-bit 5-6-5 or 32-bit pixels; deeper or unusual desktops get 32 bits.
  return depth == 16 ? 16 : 32;
}

}  // namespace

int OpenWindowedScreen(std::int64_t window, int x, int y, int width, int height, int autoStretch,
                       int rightOffset, int bottomOffset) {
  CloseOpenScreen();
  if (window <= 0 || window > static_cast<std::int64_t>(UINT32_MAX)) return 0;
  const auto id = static_cast<platform::WindowId>(window);
  platform::Rect outer, client;
  if (!platform::Video().WindowGeometry(id, outer, client)) return 0;
  const int depth = DesktopDepth();
  if (depth == 0) return 0;
  if (!OpenScreenSurface(id, width, height, depth, true)) return 0;
  UseAutomaticFrameRate(kWindowedFrameRate);
  Display().geometry = WindowedGeometry{x, y, width, height, rightOffset, bottomOffset, autoStretch != 0};
  return 1;
}

void PresentWindowed() {
  const platform::Rect dest = Destination();
  WaitFrameTick();
  ShowBackBuffer(dest);
}

void RepaintWindowedScreen(const platform::Event& event) {
  using platform::EventType;
  if (event.type == EventType::Moved || event.type == EventType::Resized ||
      event.type == EventType::Exposed) {
    ShowBackBuffer(Destination());
  }
}

platform::Rect WindowedScreenArea() {
  return Destination();
}

void ClearWindowedScreenArea(std::uint32_t window) {
  platform::Rect outer, client;
  if (!platform::Video().WindowGeometry(window, outer, client)) return;
  const std::uint32_t black = 0;
  platform::Video().Present(window, &black, 1, 1, 4, platform::Rect{0, 0, client.width, client.height});
}

}  // namespace rt
