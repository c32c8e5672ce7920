// Every round played, written down as it goes: one file a round in the replays folder, a recording
// (recording.h) that stands alone: the state the round starts from, then its passes. The file is
// written out every second while the round runs, so a crash loses only the last moments; a finished
// round's file is named by its date and score, and the folder keeps the last 50 and every high score's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "play/format/recording.h"
#include "runtime/core/date.h"

namespace pellaris::play {

class Recorder {
 public:
  static constexpr std::size_t kKeptRecordings = 50;
  static constexpr std::int64_t kPassesBetweenWrites = 60;

  Recorder(std::filesystem::path folder, std::ostream& report);
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // A round begins in this pass: its file starts with the header.
  void RoundStarts(std::int64_t pass, const RecordingHeader& header);
  // What the game read at the pass (after RoundStarts for the round's first pass).
  void Pass(std::int64_t pass, const std::vector<ScriptEvent>& changes);
  // The round is over with this score when the pass begins. Returns the finished file's name (in
  // the folder), or "" when the round was not recorded, or not to its end: a recording ends, cut
  // short, after the most passes a round can have (kMostRoundPasses).
  std::string RoundEnds(std::int64_t pass, std::int32_t score);
  // Deletes the oldest recordings beyond the last kKeptRecordings, except those named in `keep`.
  void Prune(const std::set<std::string>& keep);

 private:
  void Write();
  std::filesystem::path FreeName(const std::string& stem) const;

  std::filesystem::path folder_;
  std::ostream& report_;
  std::int64_t firstPass_ = 0;  // the session's pass that is the round's first
  std::string pending_;         // lines of the round not yet written to its file
  std::ofstream file_;
  std::filesystem::path path_;
  std::string stem_;  // the round's date, the start of its names
  std::int64_t lastWrite_ = 0;
  bool broken_ = false;  // the folder could not be written: record nothing more, say so once
};

// Whether the file name is one a recorder gives, and no other: "2026-12-08_15-30-05_4200.rec".
bool IsRecordingName(std::string_view name);

// "2026-12-08_15-30-05": the date as it starts a recording's name (and sorts it).
std::string RecordingStem(rt::DateValue date);

}  // namespace pellaris::play
