// Feeds arbitrary text to the high scores reader. A table it reads holds ten rounds at most, best
// first, and reads back the same from the text the writer makes of it; a text it refuses says why.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "play/store/scores.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pellaris::play;
  const ScoresText read = ParseScores(std::string_view(reinterpret_cast<const char*>(data), size));
  if (read.kind != ScoresText::Kind::Table) {
    if (read.why.empty() || !read.table.Best().empty()) std::abort();
    return 0;
  }
  const std::vector<ScoredRound>& rounds = read.table.Best();
  if (rounds.size() > ScoreTable::kSize) std::abort();
  for (std::size_t i = 1; i < rounds.size(); ++i) {
    if (rounds[i - 1].score < rounds[i].score) std::abort();
  }
  const ScoresText again = ParseScores(FormatScores(read.table));
  if (again.kind != ScoresText::Kind::Table || again.table.Best() != rounds) std::abort();
  return 0;
}
