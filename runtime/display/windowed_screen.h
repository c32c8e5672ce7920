// The windowed screen: a display area inside the client area of a window of the window library,
// shown 1:1 or stretched over the client area, paced by the frame timer.
#pragma once

#include <cstdint>

namespace rt::platform {
struct Event;
}  // namespace rt::platform

namespace rt {

// `window` is a handle from WindowHandle. The depth is the desktop's. 1 on success, 0 on failure.
int OpenWindowedScreen(std::int64_t window, int x, int y, int width, int height, int autoStretch = 0,
                       int rightOffset = 0, int bottomOffset = 0);

// Used by the display: one frame's presentation, after the frame timer.
void PresentWindowed();
// Shows the current back buffer again when the display window moved, changed size or was exposed.
void RepaintWindowedScreen(const platform::Event& event);
// Blackens the client area after the screen closed, as a repaint of the bare window would.
void ClearWindowedScreenArea(std::uint32_t window);

}  // namespace rt
