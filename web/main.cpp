// The game in a browser page: the web backend, then the program, then a word on the page that it has
// ended. A page loaded with a replay request (by a test) replays a script instead; see page_replay.h.
#include <memory>

#include "game/game.h"
#include "game/startup.h"
#include "runtime/platform/web/web_platform.h"
#include "web/page_replay.h"

int main() {
  if (pellaris::web::ReplayRequested()) return pellaris::web::RunPageReplay();
  const std::unique_ptr<rt::platform::WebBackend> page = rt::platform::CreateWebBackend();
  int status = 0;
  {
    const rt::platform::ScopedBackend installed(page->Facets());
    status = pellaris::RunProgram(pellaris::PlayGame);
  }
  page->ShowEnded();
  return status;
}
