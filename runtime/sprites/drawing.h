// 2D drawing of points, boxes, lines and text onto one target at a time (the screen's back buffer or
// a sprite), between BeginDrawing and EndDrawing. Every other call does nothing, and returns 0, while
// no drawing is in progress. Colours are 0x00BBGGRR values; only their low three bytes count, so a
// component above 255, carried into the next byte, shows as those bytes say.
#pragma once

#include <cstdint>

#include "runtime/display/drawing_target.h"

namespace rt {

// SetDrawingMode flags, which may be added.
// Text without its box of the background colour.
inline constexpr int DrawingModeTransparentText = 1;
// Lines and boxes invert the pixels they cover instead of painting them.
inline constexpr int DrawingModeInvert = 2;
// Boxes are one-pixel outlines.
inline constexpr int DrawingModeOutline = 4;

// The start routine: forgets any drawing state without touching a target.
void InitDrawing();
// Ends any drawing in progress, then starts one on the target: 1 on success, 0 for no target (or one
// without pixels, which is handed back at once). Mode 0 at every start.
int BeginDrawing(DrawingTarget* target);
// Hands the target back to its owner; nothing while no drawing is in progress.
void EndDrawing();

// One pixel, stored as 0x00RRGGBB at 32 bits and 5-6-5 at 16 bits whatever the pixel format; the
// mode does not apply. Points outside the target are not drawn.
void DrawPoint(int x, int y, std::uint32_t color);
// Every drawing call takes its own colour, so the front colour paints nothing by itself.
void SetFrontColor(std::uint32_t color);
// Width in pixels of the text in the font DrawTextAt uses; 0 for a null or empty text.
int TextWidth(const char* text);
// Draws the text with its top-left corner at (x, y), on a box of the background colour unless
// DrawingModeTransparentText is set; returns x + TextWidth(text).
int DrawTextAt(int x, int y, const char* text, std::uint32_t textColor, std::uint32_t backColor);
// Covers columns x to x + width - 1 and rows y to y + height - 1. A 1 x 1 box is one plain pixel
// whatever the mode; boxes without area draw nothing.
void DrawBox(int x, int y, int width, int height, std::uint32_t color);
// A one-pixel line from (x, y) towards (x + width, y + height), that end point not drawn.
void DrawLine(int x, int y, int width, int height, std::uint32_t color);
void SetDrawingMode(int mode);

}  // namespace rt
