// A 120-second round: set-up, the frame loop with HUD, warning, flash and pause, and game over.
#pragma once

namespace pellaris {

enum class RoundResult { Restart, Quit };

// Runs one round from its set-up until Enter restarts it from the game-over screen or the player quits.
RoundResult RunRound();

}  // namespace pellaris
