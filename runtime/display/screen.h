// The display device: one screen at a time, full screen or in a window, with a back buffer that the
// game clears, draws into and presents once per frame.
#pragma once

#include <cstdint>

#include "runtime/display/drawing_target.h"
#include "runtime/display/surface.h"

namespace rt {

// Opens the display device (the sprite table itself belongs to the sprite store, whose
// InitSpriteSystem calls this first). 1 on success, 0 on failure.
int InitDisplay();
void EndDisplay();  // closes the screen and releases the device

int OpenScreen(int width, int height, int depth, const char* title);  // full screen
int FlipBuffers();
void ClearScreen(std::uint32_t color);  // 0x00BBGGRR
DrawingTarget* ScreenTarget();           // nullptr while a drawing is pending or with no screen
int ScreenActive();

// Read by the sprite store, blits, collision and drawing.
int ScreenWidth();   // 0 when no screen is open
int ScreenHeight();
int ScreenDepth();
int ScreenPixelFormat();
Surface* BlitTarget();  // the back buffer, or nullptr with no screen
// True while a full-screen display lacks the focus: blits draw nothing then.
bool FullScreenInactive();

// Run when a screen closes (the sprite store frees every sprite there) and when a full-screen display
// loses the focus (the mouse gives itself back); set by the higher libraries as they start.
void SetCloseScreenHook(void (*hook)());
void SetDeactivationHook(void (*hook)());

int SetFrameRate(int rate);
int WaitFrameTick();

}  // namespace rt
