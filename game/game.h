// The game after its display is open: assets, starfield, the title screen once, then rounds until
// the player quits.
#pragma once

namespace pellaris {

// The version of the game's rules and numbers. Whatever changes what a round computes (its rules,
// speeds, scores, timings, the order of its random draws) changes it, so that a recording is played by
// the rules it was played by; the golden runs' test is pinned to it.
inline constexpr int kRulesVersion = 1;

// Loads the embedded sounds and pictures in their fixed order and places the craft from its height.
void LoadAssets();
// Everything after the display is open: a fresh entity list, the assets, the starfield, the title
// screen and rounds; returns when the player quits.
void PlayGame();

struct RoundStart;
// The same from a round's start instead of the title: the assets and the starfield (from the seed the
// generator was given), then the round as `start` has it, then the rounds after it. The input the
// round begins with is read once from the machine (the title read it in the game it came from).
// Before that, when `expected` is given, it gets the round that this game would set up after as many
// random numbers as `start` had drawn: what a real game's start would look like, to compare with.
void PlayGameFrom(const RoundStart& start, RoundStart* expected = nullptr);

}  // namespace pellaris
