#include "app/board/board_print.h"

#include <iomanip>
#include <optional>
#include <vector>

#include "app/board/board_api.h"
#include "play/format/printable.h"

namespace pellaris::app {

namespace {

// Rank and score in columns, the name last: its width on a terminal is its own.
void PrintBoard(const std::string& title, const std::vector<BoardLine>& lines, std::ostream& out) {
  out << title << '\n';
  if (lines.empty()) out << "  no rounds yet\n";
  for (const BoardLine& line : lines) {
    out << std::setw(5) << line.rank << std::setw(9) << line.score << "  " << play::Printable(line.name)
        << '\n';
  }
}

}  // namespace

int PrintBoards(const std::string& url, const play::UtcDate& today, std::ostream& out, std::ostream& error,
                HttpLimits limits) {
  HttpClient http(limits);
  std::optional<std::vector<BoardLine>> boards[2];
  const std::string addresses[2] = {DailyBoardUrl(url, today), AllRoundsBoardUrl(url)};
  for (int i = 0; i < 2; ++i) {
    const HttpReply reply = http.Get(addresses[i]);
    boards[i] = ReadBoard(reply);
    if (boards[i]) continue;
    error << "pellaris: the score board at " << play::Printable(url)
          << (reply.status == 0
                  ? " cannot be reached: " + play::Printable(reply.error)
                  : " does not answer as a Pellaris score board (HTTP " + std::to_string(reply.status) + ")")
          << '\n';
    return 1;
  }
  PrintBoard("Today's daily challenge (" + play::DateText(today) + "):", *boards[0], out);
  out << '\n';
  PrintBoard("All rounds:", *boards[1], out);
  return out.flush() ? 0 : 1;
}

}  // namespace pellaris::app
