// The high scores: the ten best rounds, kept in a small text file that is replaced atomically and,
// when damaged, set aside rather than lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "runtime/core/date.h"

namespace pellaris::app {

struct ScoredRound {
  std::int32_t score = 0;
  rt::DateValue date = 0;  // when it was played, on the local wall clock (rt::CurrentDate)
  std::string recording;   // the recording's file name, "" when there is none
  bool verified = false;   // the recording plays back to this score

  bool operator==(const ScoredRound&) const = default;
};

class ScoreTable {
 public:
  static constexpr std::size_t kSize = 10;

  // Puts the round in its place if it is among the best ten; of equal scores the earlier round
  // stays ahead. Returns its place (0 is the best), or nothing when it did not make the table.
  std::optional<std::size_t> Add(const ScoredRound& round);
  // Best first.
  const std::vector<ScoredRound>& Best() const { return rounds_; }
  // Marks the round in this place as one whose recording plays back to its score.
  void MarkVerified(std::size_t place) { rounds_.at(place).verified = true; }

 private:
  std::vector<ScoredRound> rounds_;
};

// "scores" in the data folder; empty when there is no home to keep it in.
std::filesystem::path DefaultScoresFile();

// The table in the file; empty when there is none. A damaged file (or one from a newer version) is
// renamed to "scores.damaged-N", reported on `report`, and an empty table returned.
ScoreTable LoadScores(const std::filesystem::path& file, std::ostream& report);

// Writes the table atomically (a temporary file in the same folder, flushed, then renamed over the
// old one). A file there that does not read as scores is set aside first, and if it cannot be, it is
// left alone and nothing is written. False, with the reason reported, when the table was not saved;
// the old file is then as it was. Load just before adding a round, so that two games running at
// once lose nothing of each other's.
bool SaveScores(const std::filesystem::path& file, const ScoreTable& table, std::ostream& report);

// The table for --scores: place, score, date and time ("2024-06-10 15:30") on a line each.
std::string FormatTable(const ScoreTable& table);

}  // namespace pellaris::app
