// What the replay tool and the page's replay mode share about the headless machine they run the game
// on: the script's actions put on it, and the hash of what each pass showed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "play/format/script.h"
#include "runtime/platform/headless/headless_platform.h"

namespace pellaris::play {

// Each action of the script at its frame.
void ScheduleScript(rt::platform::HeadlessPlatform& machine, const std::vector<ScriptEvent>& events);

// One line "PASS HASH" (decimal, then 16 hex digits of the FNV-1a hash of the pixels) for each pass
// that showed a picture: the last picture it showed, as a pass may also repaint a window.
class PassHashes {
 public:
  explicit PassHashes(std::function<void(const std::string& line)> write) : write_(std::move(write)) {}
  ~PassHashes() { Finish(); }
  PassHashes(const PassHashes&) = delete;
  PassHashes& operator=(const PassHashes&) = delete;

  void Shown(int pass, std::uint64_t hash);
  // Writes the last pass; later pictures start a new line.
  void Finish();

 private:
  std::function<void(const std::string&)> write_;
  int pass_ = -1;
  std::uint64_t hash_ = 0;
};

}  // namespace pellaris::play
