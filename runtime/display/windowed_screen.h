// The windowed screen: a display area inside the client area of a window of the window library,
// shown 1:1 or stretched over the client area, paced by the frame timer.
#pragma once

#include <cstdint>

namespace rt::platform {
struct Event;
struct Rect;
}  // namespace rt::platform

namespace rt {

// `window` is a handle from WindowHandle. The depth is the desktop's. 1 on success, 0 on failure.
int OpenWindowedScreen(std::int64_t window, int x, int y, int width, int height, int autoStretch = 0,
                       int rightOffset = 0, int bottomOffset = 0);

// Used by the display: one frame's presentation, after the frame timer.
void PresentWindowed();
// Shows the current back buffer again when the display window moved, changed size or was exposed.
void RepaintWindowedScreen(const platform::Event& event);
// Where the screen is shown, in the display window's client coordinates (the mouse confines the
// cursor to it).
platform::Rect WindowedScreenArea();
// Blackens the client area after the screen closed, as a repaint of the bare window would.
void ClearWindowedScreenArea(std::uint32_t window);

}  // namespace rt
