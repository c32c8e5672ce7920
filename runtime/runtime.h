// The runtime's start and end: the one place that knows the order of its libraries. Each library
// starts when the game first initialises it; EndRuntime ends them all in a fixed order, whatever
// order they started in and however far each got, and then forgets the runtime's whole state.
#pragma once

#include <string>

namespace rt {

// Empties the string accumulator and starts the window library; the drawing and image-decoder
// state starts with the program. Libraries with devices start when the game initialises them.
void StartRuntime();
// Windows, sound, mouse, the sprite system with its screen, the keyboard, in that order; then every
// part of the runtime's state is destroyed, so the next start is a fresh one.
void EndRuntime();

// The sprite table, the display device and the keyboard, in that order: 0 when the display or the
// keyboard cannot be had. Ending it closes the screen (which frees its sprites) and the device.
int InitSpriteSystem();
void EndSpriteSystem();

// The full path of the running program.
std::string ProgramFilename();

}  // namespace rt
