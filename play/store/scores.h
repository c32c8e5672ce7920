// The high scores: the ten best rounds, kept in a small text file that is replaced atomically under a
// lock and, when damaged, set aside rather than lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/core/date.h"

namespace pellaris::play {

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

// What a scores file's text holds: the table, or why it is not one. A file of a newer version is no
// damage: a newer Pellaris wrote it, and it is left for that one.
struct ScoresText {
  enum class Kind { Table, Damaged, Newer } kind = Kind::Table;
  ScoreTable table;  // when Table
  std::string why;   // when Damaged or Newer
};
// Lines may end in CR LF as well as LF (a file saved by an editor): the table is written back with LF.
ScoresText ParseScores(std::string_view text);
// The file's text for the table.
std::string FormatScores(const ScoreTable& table);

// The table in a file after reading or changing it.
struct ScoresOutcome {
  ScoreTable table;     // as the file has it, with the change when one was asked for
  bool saved = false;   // the change is in the file
  std::string problem;  // why the file is left alone or was not written: for the caller to report
};

// The table in the file; empty when there is none. A damaged file is renamed to "scores.damaged-N"
// under the file's lock, reported on `report`, and an empty table returned. A file of a newer version,
// or one that cannot be read (a permission, a folder or a device in its place), is left alone and
// `problem` says why: while it is there no scores are saved.
ScoresOutcome LoadScores(const std::filesystem::path& file, std::ostream& report);

// Changes the table in the file without losing what another game saved meanwhile: under the file's
// lock (FileLock) reads it again as LoadScores does, calls `change` on that table, and writes it
// atomically when `change` says it changed it. On any failure the old file stays as it was.
using ScoresChange = std::function<bool(ScoreTable& table)>;
ScoresOutcome UpdateScores(const std::filesystem::path& file, const ScoresChange& change,
                           std::ostream& report);

// Whether a round's recording plays back to the round's score.
struct RecordingCheck {
  std::string recording;
  std::int32_t score = 0;
  bool verified = false;
};

// Checks take seconds each, so a failed one is remembered beside the scores, in "<file>.checked"
// (one line a recording, its verdict and its name), which older builds leave alone; a verified one is
// marked in the table. These are the recordings whose check failed.
std::set<std::string> FailedChecks(const std::filesystem::path& file);
// Keeps the checks' verdicts, under the scores' lock, for the rounds still in the table as it is
// then: verified rounds are marked, failures written to "<file>.checked" for those rounds only.
ScoresOutcome RecordChecks(const std::filesystem::path& file, const std::vector<RecordingCheck>& checks,
                           std::ostream& report);

// The table for --scores: place, score, date and time ("2024-06-10 15:30") on a line each.
std::string FormatTable(const ScoreTable& table);

}  // namespace pellaris::play
