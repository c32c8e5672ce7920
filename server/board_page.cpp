#include "server/board_page.h"

#include "server/player.h"

namespace pellaris::board {

namespace {

constexpr std::string_view kHead = R"(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Pellaris score board</title>
<link rel="icon" href="data:,">
<style>
  html, body { margin: 0; background: #111; color: #ccc; font: 15px/1.5 system-ui, sans-serif; }
  main { display: flex; flex-direction: column; align-items: center; padding: 16px; }
  section { min-width: 24em; margin-bottom: 24px; }
  h1 { font-size: 20px; color: #eee; }
  h2 { font-size: 16px; color: #eee; margin: 8px 0; }
  p { color: #999; margin: 4px 0 8px; }
  a { color: #8ab4f8; }
  table { border-collapse: collapse; width: 100%; }
  th, td { padding: 3px 12px; text-align: left; border-bottom: 1px solid #2a2a2a; }
  th { color: #eee; font-weight: 600; }
  td.score, th.score, td.rank { text-align: right; font-variant-numeric: tabular-nums; }
  #countdown { color: #eee; font-variant-numeric: tabular-nums; }
</style>
<script src="/board.js" defer></script>
</head>
<body>
<main>
<h1>Pellaris score board</h1>
)";

constexpr std::string_view kScript = R"(// Counts down to the next daily challenge, from the moment the page gives.
(function () {
  var shown = document.getElementById('countdown');
  if (!shown) return;
  var next = Number(shown.getAttribute('data-next')) * 1000;
  function two(n) { return (n < 10 ? '0' : '') + n; }
  function tick() {
    var left = Math.max(0, Math.round((next - Date.now()) / 1000));
    shown.textContent = two(Math.floor(left / 3600)) + ':' + two(Math.floor(left / 60) % 60) + ':' + two(left % 60);
    if (left === 0) { setTimeout(function () { location.reload(); }, 5000); return; }
    setTimeout(tick, 1000);
  }
  tick();
})();
)";

std::string Table(const std::vector<BoardLine>& lines) {
  if (lines.empty()) return "<p>No verified rounds yet.</p>\n";
  std::string html = "<table>\n<tr><th class=\"score\">#</th><th>player</th><th class=\"score\">score</th></tr>\n";
  for (const BoardLine& line : lines) {
    html += "<tr><td class=\"rank\">" + std::to_string(line.rank) + "</td><td title=\"" + PlayerTag(line.installId) +
            "\">" + HtmlEscaped(line.name) + "</td><td class=\"score\"><a href=\"/api/rounds/" +
            std::to_string(line.roundId) + "\">" + std::to_string(line.score) + "</a></td></tr>\n";
  }
  return html + "</table>\n";
}

std::string Clock(std::int64_t seconds) {
  const auto two = [](std::int64_t n) { return (n < 10 ? "0" : "") + std::to_string(n); };
  return two(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
}

}  // namespace

std::string HtmlEscaped(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string BoardPage(const PageContents& contents) {
  const std::string date = play::DateText(contents.today);
  const std::int64_t next = StartOf(DayAfter(contents.today));
  std::string html(kHead);
  if (contents.withGame) html += "<p><a href=\"/play/\">Play Pellaris in the browser</a></p>\n";
  html += "<section>\n<h2>Daily challenge, " + date + "</h2>\n<p>Seed " + std::to_string(contents.dailySeed) +
          ". The next challenge starts in <span id=\"countdown\" data-next=\"" + std::to_string(next) + "\">" +
          Clock(next - contents.nowSeconds) + "</span> (at midnight UTC); rounds of a day count until an hour after it.</p>\n" +
          Table(contents.daily) + "<p><a href=\"/api/boards/daily/" + date + "\">as JSON</a></p>\n</section>\n";
  html += "<section>\n<h2>All rounds</h2>\n" + Table(contents.all) +
          "<p><a href=\"/api/boards/all\">as JSON</a></p>\n</section>\n</main>\n</body>\n</html>\n";
  return html;
}

std::string_view BoardScript() { return kScript; }

}  // namespace pellaris::board
