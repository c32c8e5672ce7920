// How SDL's view of the machine becomes ours, in plain numbers so it can be checked without a display:
// key scan codes, mouse buttons, pad buttons and axes, and where a full-screen picture goes.
#pragma once

#include <optional>

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

// The whole scale at which a window of a client size opens on a desktop whose usable area is
// `usableWidth` x `usableHeight`: the one asked for when the window fits, else the largest that does
// (1 at least); asked 0, the largest that fits comfortably, within nine tenths of the area.
int WindowScale(int asked, int width, int height, int usableWidth, int usableHeight);

// Where the cursor can be held in a window: the part of `area` (in client coordinates, the client area
// being at `clientX`, `clientY` on the desktop) that lies on the desktop, whose screens span `desktop`.
// Nothing when none of it does. The X server refuses a confinement that reaches off the screens.
std::optional<Rect> ConfinementOnDesktop(const Rect& area, int clientX, int clientY, const Rect& desktop);

}  // namespace rt::platform
