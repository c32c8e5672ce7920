// A 120-second round: set-up, the frame loop with HUD, warning, flash and pause, and game over.
#pragma once

namespace pellaris {

enum class RoundResult { Restart, Quit };

inline constexpr int kStartRocks = 35;
inline constexpr int kRoundSeconds = 120;  // of the wall clock, and ten more for each stopwatch

// The round's set-up: an empty list, the clock, the score, 35 rocks.
void SetUpRound();
// The work of one active frame after the clear, from the mouse hand-over to the backdrop scroll;
// false when Enter on the game-over screen asked for the next round.
bool ActiveFrame();

// Runs one round from its set-up until Enter restarts it from the game-over screen or the player quits.
RoundResult RunRound();
// Runs a round whose set-up is done (put back by RestoreRoundStart), from the flip that begins its
// first pass, as RunRound would go on after its set-up.
RoundResult ResumeRound();

}  // namespace pellaris
