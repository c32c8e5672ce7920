// A long, random, reproducible game session and the rules every frame of it must keep.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "play/format/script.h"
#include "play/replay.h"

namespace pellaris::soak {

// Random play for `frames` frames: Enter to start and restart, fire and thrust keys and buttons held
// for a while, mouse motion, focus lost and regained, the wall clock set forward or back. Never
// Escape and never a close request, so the game runs to the end.
std::vector<play::ScriptEvent> RandomScript(std::uint32_t seed, std::int64_t frames);

struct Limits {
  int minimumRocksInPlay = 35;
  int maximumEntities = 2000;
};

// The first rule a frame breaks, or "" when it keeps them all.
std::string Violation(const play::FrameRecord& record, const Limits& limits);

// The process's peak resident set in kB (VmHWM), or -1 when it cannot be read.
long PeakResidentKilobytes();

}  // namespace pellaris::soak
