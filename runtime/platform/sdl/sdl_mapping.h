// How SDL's view of the machine becomes ours, in plain numbers so it can be checked without a display:
// key scan codes, mouse buttons, pad buttons and axes, and where a full-screen picture goes.
#pragma once

#include "runtime/platform/platform.h"

namespace rt::platform {

// The keyboard's code (set-1 make code, +128 for extended keys) of an SDL scancode; 0 for keys a PC
// keyboard does not have.
int KeyCodeFromSdlScancode(int scancode);
// Our button number (1 left, 2 right, 3 middle, 4 and 5 the side buttons) of an SDL button; 0 if none.
int ButtonFromSdlButton(int button);
// Pad buttons and axes between SDL's game controller numbers and ours, by their names; false or -1 for
// what the other side does not have.
bool PadButtonFromSdl(int sdlButton, PadButton& button);
bool PadAxisFromSdl(int sdlAxis, PadAxis& axis);
int SdlPadButton(PadButton button);
int SdlPadAxis(PadAxis axis);
// How a picture is scaled to an output larger than itself.
enum class Scaling {
  WholeNumber,  // by the largest whole number that fits: every pixel the same size
  Fit,          // to the largest size of the same shape
};

// Where a width x height picture goes on an output of the given size: scaled as asked, or, on an output
// smaller than the picture, to the largest size of the same shape; centred either way.
Rect FitToOutput(int width, int height, int outputWidth, int outputHeight,
                 Scaling scaling = Scaling::WholeNumber);

}  // namespace rt::platform
