// Rounds waiting for the score board: a copy of each round's recording in a folder of its own, so that
// a round survives the program's end and the pruning of the replays folder until the board has it. A
// copy is named as its recording, with "daily-YYYY-MM-DD_" in front for a round of that day's daily
// challenge; only files named so are ever read or deleted.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "play/daily.h"

namespace pellaris::app {

struct OutboxEntry {
  std::filesystem::path file;
  std::string recording;  // the recording's own file name
  std::optional<play::UtcDate> daily;
};

class Outbox {
 public:
  // Beyond this many, the oldest rounds go: a board that never answers costs a bounded space.
  static constexpr std::size_t kMostWaiting = 100;

  explicit Outbox(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // Copies the recording in, atomically. False with `error` when it cannot; names in `dropped` the
  // oldest rounds that made way for it.
  bool Add(const std::filesystem::path& recording, const std::optional<play::UtcDate>& daily,
           std::vector<std::string>& dropped, std::string& error);
  // The waiting rounds, oldest first.
  std::vector<OutboxEntry> Entries() const;
  void Remove(const OutboxEntry& entry) const;

 private:
  std::filesystem::path folder_;
};

}  // namespace pellaris::app
