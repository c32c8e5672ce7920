// Rounds recorded by the game itself on the headless machine, as a player's program records them.
#pragma once

#include <cstdint>
#include <string>

namespace pellaris::board {

enum class RoundLength {
  Short,  // the clock jumps to the round's last ten seconds: for tests
  Full,   // two minutes of play, as a player sends: for the benchmark
};

// A round of seed `seed`, fired at and flown through: the recording's text, empty when the round did
// not end.
std::string RecordRound(std::uint32_t seed, RoundLength length = RoundLength::Short);

// The recording with `what` replaced by `by` (the first time it occurs; as it was when it does not).
std::string Changed(std::string recording, const std::string& what, const std::string& by);

}  // namespace pellaris::board
