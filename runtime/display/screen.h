// The display device: one screen at a time, full screen or in a window, with a back buffer that the
// game clears, draws into and presents once per frame.
#pragma once

#include <cstdint>

#include "runtime/display/drawing_target.h"
#include "runtime/display/surface.h"

namespace rt::platform {
struct Event;
struct Rect;
}  // namespace rt::platform

namespace rt {

// Opens the display device (the sprite table itself belongs to the sprite store, whose
// InitSpriteSystem calls this first). 1 on success, 0 on failure.
int InitDisplay();
void EndDisplay();  // closes the screen and releases the device

int OpenScreen(int width, int height, int depth, const char* title);  // full screen
int FlipBuffers();
void ClearScreen(std::uint32_t color);  // 0x00BBGGRR
DrawingTarget* ScreenTarget();          // nullptr while a drawing is pending or with no screen
int ScreenActive();
// The player paused the game: while held the screen reads as inactive to the program (which then
// shows its paused frame), yet keeps presenting.
void HoldScreen(bool held);
bool ScreenHeld();

// Checking a round needs what the game computes, not its pictures: while skipped, clearing, blits,
// drawing and presenting write no pixels, and everything else (drawing targets, text widths,
// collisions on the sprites' masks) works as usual. Set before the runtime starts; its end forgets it.
void SkipPixelWrites(bool skip);
bool PixelWritesSkipped();

// Read by the sprite store, blits, collision and drawing.
int ScreenWidth();  // 0 when no screen is open
int ScreenHeight();
int ScreenDepth();
int ScreenPixelFormat();
Surface* BlitTarget();  // the back buffer, or nullptr with no screen
// True while a full-screen display lacks the focus: blits draw nothing then.
bool FullScreenInactive();

int SetFrameRate(int rate);
int WaitFrameTick();

// 1 after a full-screen display saved the sprites' pixels for a focus loss, until it is active again.
int SpritePixelsSaved();

// Used inside the display library by the windowed screen and the window library.
// Closes an open screen, forgetting an automatic frame rate: the first step of every open.
void CloseOpenScreen();
// Makes the back buffer for a screen shown in `window` (depth 32 or 16); 0 if it cannot be made.
int OpenScreenSurface(std::uint32_t window, int width, int height, int depth, bool windowed);
// Sets the frame rate unless one is set already; an automatic rate is forgotten when the screen closes.
void UseAutomaticFrameRate(int rate);
// Shows the back buffer in the display window at `dest` (converted to 0x00RRGGBB first if needed).
void ShowBackBuffer(const platform::Rect& dest);
std::uint32_t DisplayWindow();  // 0 with no screen
bool WindowedScreenOpen();
// What the display does with an event of the platform: focus changes, Tab and Alt releases in full
// screen, repaints of a windowed screen.
void HandleDisplayEvent(const platform::Event& event);

}  // namespace rt
