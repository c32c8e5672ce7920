// The program from the first instruction to the exit code: the runtime and the four devices, the
// display question, the display, then the game, and the runtime's end on every path.
#pragma once

namespace pellaris {

// Runs the program; `playGame` is everything after the display is open (assets, title, rounds) and
// returns when the player quits. The result is the process's exit code: 0 on every path.
int RunProgram(void (*playGame)());

}  // namespace pellaris
