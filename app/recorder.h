// Every round played, written down as it goes: one file a round in the replays folder, in the replay
// script's format under a recording's header. A round depends on everything the game read since it
// started (the random numbers run on from one round to the next), so each file holds the session's
// passes from the first, and its header says in which pass its own round begins. The file is written
// out every second while the round runs, so a crash loses only the last moments; a finished round's
// file is named by its date and score, and the folder keeps the last 50 and every high score's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "runtime/core/date.h"
#include "tools/replay/script.h"

namespace pellaris::app {

class Recorder {
 public:
  static constexpr std::size_t kKeptRecordings = 50;
  static constexpr std::int64_t kPassesBetweenWrites = 60;

  // `session`: the header's seed and program; each round's file adds its display and first pass.
  Recorder(std::filesystem::path folder, replay::RecordingHeader session, std::ostream& report);
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // A round begins in this pass, on this date: its file starts.
  void RoundStarts(std::int64_t pass, rt::DateValue date, bool fullScreen);
  // What the game read at the pass (after RoundStarts for the round's first pass).
  void Pass(std::int64_t pass, const std::vector<replay::ScriptEvent>& changes);
  // The round is over with this score when the pass begins. Returns the finished file's name (in
  // the folder), or "" when the round was not recorded.
  std::string RoundEnds(std::int64_t pass, std::int32_t score);
  // Deletes the oldest recordings beyond the last kKeptRecordings, except those named in `keep`.
  void Prune(const std::set<std::string>& keep);

 private:
  void Write();
  std::filesystem::path FreeName(const std::string& stem) const;

  std::filesystem::path folder_;
  replay::RecordingHeader session_;
  std::ostream& report_;
  std::string sessionLines_;  // every pass so far, the start of every round's file
  std::string pending_;       // lines of the round not yet written to its file
  std::ofstream file_;
  std::filesystem::path path_;
  std::string stem_;  // the round's date, the start of its names
  std::int64_t lastWrite_ = 0;
  bool broken_ = false;  // the folder could not be written: record nothing more, say so once
};

// "2026-12-08_15-30-05": the date as it starts a recording's name (and sorts it).
std::string RecordingStem(rt::DateValue date);

}  // namespace pellaris::app
