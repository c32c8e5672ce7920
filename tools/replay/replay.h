// Runs the game's own code on the headless backend, deterministically: a seeded generator, a virtual
// clock, the player's actions from a script; writes a log line per frame and PNG dumps on request.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "game/entities.h"
#include "tools/replay/script.h"

namespace rt::platform {
struct Action;
}

namespace pellaris::replay {

struct ReplayOptions {
  std::uint32_t seed = 1;
  bool answerYes = false;   // the display question: full screen when true
  std::int64_t frames = 0;  // the run ends at flip frames + 1; 0 runs until the game ends
  int fps = 60;             // virtual clock step per FlipBuffers
  std::vector<ScriptEvent> events;
  std::string dumpDir;
  std::set<std::int64_t> dumpAt;
};

// What the game's state was after one pass, as the log reports it.
struct FrameRecord {
  std::int64_t frame = 0;
  std::string screen;
  std::int32_t score = 0;
  float craftY = 0, craftSpeedY = 0;
  int fireCooldown = 0, flashLevel = 0, remaining = 0;
  float backdropX = 0;
  int entities[kEntityKindCount] = {};  // by kind
  std::vector<int> sounds;
};

std::string FormatLogLine(const FrameRecord& record);

// What a script line does on the headless machine.
rt::platform::Action ToAction(const ScriptEvent& event);

// Runs a replay. `observe` (optional) sees every frame's record; `log` (optional) gets its JSON line.
// Returns false when a dump could not be written.
bool RunReplay(const ReplayOptions& options, std::ostream* log,
               const std::function<void(const FrameRecord&)>& observe = nullptr);

}  // namespace pellaris::replay
