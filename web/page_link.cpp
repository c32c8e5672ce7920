#include "web/page_link.h"

#include <cstdlib>

extern "C" {
// page_library.js; the two that wait suspend the program through Asyncify.
int pellaris_page_open_storage();
int pellaris_page_request(int* hasSeed, std::uint32_t* seed, int* daily, int* watch);
char* pellaris_page_watch_text(char** error);
void pellaris_page_tell(const char* kind, const char* json);
char* pellaris_page_next_request();
}

namespace pellaris::web {

namespace {

// A string the page made with malloc.
std::string Take(char* text) {
  std::string taken = text ? text : "";
  std::free(text);
  return taken;
}

}  // namespace

Storage OpenStorage() {
  switch (pellaris_page_open_storage()) {
    case 1:
      return Storage::Kept;
    case 2:
      return Storage::ThisVisit;
    default:
      return Storage::None;
  }
}

PageRequest ReadPageRequest() {
  int hasSeed = 0, daily = 0, watch = 0;
  std::uint32_t seed = 0;
  pellaris_page_request(&hasSeed, &seed, &daily, &watch);
  PageRequest request;
  if (hasSeed) request.seed = seed;
  request.daily = daily != 0;
  request.watch = watch != 0;
  return request;
}

std::optional<std::string> WatchText(std::string& error) {
  char* why = nullptr;
  char* text = pellaris_page_watch_text(&why);
  error = Take(why);
  if (!text) return std::nullopt;
  return Take(text);
}

void Tell(std::string_view kind, const std::string& json) {
  pellaris_page_tell(std::string(kind).c_str(), json.c_str());
}

std::optional<std::string> NextRequest() {
  char* request = pellaris_page_next_request();
  if (!request) return std::nullopt;
  return Take(request);
}

}  // namespace pellaris::web
