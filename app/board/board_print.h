// pellaris --board: today's daily challenge and the board of all rounds, on the terminal.
#pragma once

#include <ostream>
#include <string>

#include "app/board/http.h"
#include "play/daily.h"

namespace pellaris::app {

// Prints both boards of the board at `url` on `out`; 0, or 1 with why on `error` when the board
// cannot be reached or does not answer as one.
int PrintBoards(const std::string& url, const play::UtcDate& today, std::ostream& out, std::ostream& error,
                HttpLimits limits = {});

}  // namespace pellaris::app
