// What a round's passes depend on, as the round begins (its set-up done, its first pass about to
// start): the game's state, the random generator's and the entity list. Taken in one game and put
// back in another, it lets a round be played again without the rounds before it.
#pragma once

#include <cstdint>
#include <vector>

#include "game/entity.h"
#include "runtime/core/random.h"

namespace pellaris {

struct RoundStart {
  rt::RandomState random;
  float craftX = 0, craftY = 0, craftSpeedY = 0;
  std::int16_t craftHeight = 0;
  std::int32_t craftOnGround = 0;
  std::int16_t fireCooldown = 0;
  std::int32_t score = 0, flashLevel = 0, roundEndTime = 0, gameOver = 0, restartRequested = 0;
  float warningPhase = 0, backdropX = 0;
  std::int32_t lastEvent = 0;     // the window event polled just before the first pass
  std::vector<Entity> entities;   // in the list's order
  int cursor = -1;                // the list's current element, -1 for none
  std::vector<int> mouseButtons;  // held as the mouse was last read (1 the left, 2 the right, 3 the middle)

  // The same state, bit for bit (so -0.0 and 0.0 differ, as they may in what follows).
  bool operator==(const RoundStart& other) const;
};

// The running game's state as it stands.
RoundStart TakeRoundStart();
// Puts the state back into the running game; the sprites, sounds and starfield are the game's own.
void RestoreRoundStart(const RoundStart& start);

// How many random numbers a game has drawn as its first round begins: the starfield's and the
// round's set-up's (the title draws none).
std::uint64_t FirstRoundDraws();

}  // namespace pellaris
