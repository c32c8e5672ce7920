// The runtime's start and end. Libraries register their end routines as they start; EndRuntime runs
// them in the fixed order below, whatever order they started in, and each must tolerate a partial
// start. Memory is owned by the libraries' own objects, so ending them leaves nothing behind.
#pragma once

#include <string>

namespace rt {

enum class EndOrder {
  Windows,
  Sound,
  Mouse,
  SpriteSystem,
  Screen,
  Keyboard,
  Count,
};

using EndRoutine = void (*)();

// Starts the window library; the drawing and image-decoder state starts with the program. Libraries
// with devices start when the game initialises them and register their end routine then.
void StartRuntime();
// Ends every registered library in the fixed order and forgets the registrations.
void EndRuntime();
void RegisterEndRoutine(EndOrder slot, EndRoutine routine);

// The full path of the running program.
std::string ProgramFilename();

}  // namespace rt
