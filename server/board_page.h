// The board as a plain page for people: today's daily challenge first, with the time left until the
// next, then the best of all rounds. Dark like the game's page; nothing fetched from elsewhere.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "server/daily.h"
#include "server/store.h"

namespace pellaris::board {

struct PageContents {
  Date today;
  std::uint32_t dailySeed = 0;
  std::int64_t nowSeconds = 0;
  std::vector<BoardLine> daily, all;
  bool withGame = false;  // the game's page is served at /play/
};

std::string BoardPage(const PageContents& contents);
// The page's script, served as /board.js: the countdown to the next daily.
std::string_view BoardScript();

// Text as HTML shows it, whatever it holds.
std::string HtmlEscaped(std::string_view text);

}  // namespace pellaris::board
