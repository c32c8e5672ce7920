// The page around the game (page_library.js, the page's half of this front end): the browser's
// storage, what the page's address asks for, the news shown beside the canvas, and what the player
// changed there.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellaris::web {

// Where the player's files are kept in the browser: settings.ini, scores and replays/ in a folder
// that the page writes to the browser's storage (IndexedDB) after every change.
inline const std::filesystem::path kPlayerFolder = "/pellaris";

enum class Storage {
  None,       // the browser keeps nothing (no IndexedDB, or it refused): this visit only
  Kept,       // read from the browser, and every change written back
  ThisVisit,  // read, but another tab of the game keeps the files: changes last this visit only
};

// Reads the folder in from the browser; waits for it, before the game starts.
Storage OpenStorage();

// What the address asks for: "?seed=N" a seed, "?daily" today's daily challenge, and one of
// "?watch=URL" (a board's recording), "?watch-kept=NAME" (one the page keeps), "?watch-file" (one the
// player chose) a recording to watch.
struct PageRequest {
  std::optional<std::uint32_t> seed;
  bool daily = false;
  bool watch = false;
};
PageRequest ReadPageRequest();

// The text of the recording to watch, or nothing with why in `error`; waits for it.
std::optional<std::string> WatchText(std::string& error);

// News for the page ("scores", "round", ...): a JSON value, shown beside the canvas.
void Tell(std::string_view kind, const std::string& json);

// What the player asked of the game beside the canvas since the last call, a line at a time
// ("set<TAB>section<TAB>name<TAB>value"); nothing when there is no more.
std::optional<std::string> NextRequest();

}  // namespace pellaris::web
